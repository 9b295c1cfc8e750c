#pragma once
// Geometry of the main window's entry list and the screen scaling of the forms, as plain
// arithmetic so it can be checked without widgets. The forms are laid out for a screen 800
// pixels wide.
#include <array>

#include "ScreenScale.h"

constexpr int kMenuCount = 8;  // entry labels of the main window, by Tag

struct MenuRows {
  int rowHeight = 0;
  int firstRowTop = 0;                 // Top of entry 0
  int titleTop = 0;                    // Top of the title label
  std::array<int, kMenuCount> tops{};  // Top of every entry (hidden ones keep theirs)
};

// Rows of clientHeight / (entries + 3); the title a third of a row down, the entries from one
// and a half rows below it, the visible ones one row apart, and the last entry ("ESCI") one and
// a half rows below entry 6. oldTops: the entries' present Tops (kept by the hidden ones).
MenuRows LayoutMenuRows(int clientHeight, const std::array<bool, kMenuCount>& visible,
                        const std::array<int, kMenuCount>& oldTops);

struct MenuColumns {
  int titleLeft = 0;
  int entryLeft = 0;
  int arrowLeft = 0;
};

// The title centred in the window; every entry at the Left that centres the widest visible
// one; the arrow 50 pixels left of the entries. Divisions truncate toward zero.
MenuColumns CentreMenuColumns(int windowWidth, int titleWidth, const std::array<int, kMenuCount>& widths,
                              const std::array<bool, kMenuCount>& visible);

// The entry that Down (down true) or Up selects from `selected`, stepping over hidden entries;
// -1 when the key changes nothing (Down on the last visible entry, Up on entry 0).
int MenuSelectionAfterKey(int selected, bool down, const std::array<bool, kMenuCount>& visible);
