#pragma once
// The screen cursor: one cursor for the whole program, as the forms set it around long
// operations (the hourglass, the start-up cursor) and back to the default after.
enum class ScreenCursor { Default, HourGlass, AppStart };

void SetScreenCursor(ScreenCursor cursor);
ScreenCursor CurrentScreenCursor();
