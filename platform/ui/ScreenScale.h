#pragma once
// Screen scaling of the windows. Every window is laid out for a screen 800 pixels wide and
// scales itself before it shows by the present screen's width against 800, limited so the whole
// window, with its frame, fits the screen's available area: on a wide screen that is lower than
// the design's 4:3 the window scales by the height instead. Fonts and fixed sizes follow the
// same factor: a window scales every design pixel v to ScaleToScreen(v, width), where width is
// the fitted screen width below.
#include <QRect>
#include <QSize>

class QWidget;

constexpr int kDesignScreenWidth = 800;
// Room the window system's frame takes around a window: the title bar. The design width is the
// window's whole width on the design screen, so its thin borders may lie at the screen's edges.
constexpr int kWindowFrameWidth = 0;
constexpr int kWindowFrameHeight = 32;
// Room a title bar takes beyond the title's text: the window icon and the buttons.
constexpr int kTitleBarButtons = 100;

// value x width / 800, integer division after the product.
int ScaleToScreen(int value, int width);

// The screen width a window of designSize (its size on the 800-pixel screen) scales by: the
// screen's width, lowered so the scaled window and its frame fit `available`.
int FittedScreenWidth(QSize designSize, int screenWidth, const QRect& available);
// The same on the primary screen (the design width when there is none).
int FittedScreenWidth(QSize designSize);

// Scales the window's font by width against the design width, once: a window scaled before is
// left as it is.
void ScaleFontToScreen(QWidget* window, int width);

// The width the window of `w` was scaled by; the design width while it is not scaled.
int ScaledWidthOf(const QWidget* w);

// Scales a window that a layout arranges: its font (and with it the layout) by the fitted
// width of its present size, unless it was scaled before; then widens it, where its size may
// change, so its title fits the title bar, and makes it as high as its wrapped texts need at
// that width.
void FitWindowToScreen(QWidget* window);

// FitWindowToScreen for a window whose size the user has no reason to change (a wait window,
// a short question): fitted to its present contents (growing only) and then fixed, so the
// window manager offers no resizing and draws no resize handle under it. Called again after
// its contents change, it fits them again.
void FitAndFixWindowToScreen(QWidget* window);

// The seven-segment face "NI7SEG" at `pixels`, bold; any fixed-width face where it is missing.
void SetSevenSegmentFont(QWidget* w, int pixels);
