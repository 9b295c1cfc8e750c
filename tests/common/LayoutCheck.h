#pragma once
// The layout rule every window keeps, as the user sees it: the window lies on the screen's
// available area and its title fits its title bar; every visible control lies inside its parent,
// covers no visible sibling, and shows its whole text (font metrics against the room the
// control gives its text).
//
// A control meant to lie under others (a bevel, a panel, a picture, a plain container) or over
// them (a canvas the mouse goes through) is a backdrop and may cover or be covered; any other
// control may set the dynamic property "layoutBackdrop" to true to say the same.
#include <gtest/gtest.h>

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

class QLabel;
class QWidget;

// The faults found in `window` (a shown top-level window), one line each: the window's object
// name, the control's path, the rule broken and the figures.
QStringList LayoutViolations(const QWidget* window);

// The same against a given available screen area.
QStringList LayoutViolations(const QWidget* window, const QRect& available);

// The faults found in one control and its parent only (its place, its text and the siblings it
// covers); used for controls that move, such as a hint shown beside a field.
QStringList ControlLayoutViolations(const QWidget* control);

// The controls of a window keep the rule (the window's own size and place are the caller's):
// for the pictures the tests keep.
::testing::AssertionResult ControlsKeepLayout(const QWidget* window);

// Room a window manager's title bar takes over a window (its thin borders may lie at the
// screen's edges).
inline const QSize kFrameAllowance(0, 32);

// Room a window's title bar needs beyond its title's text: the window icon and buttons.
constexpr int kTitleBarAllowance = 100;

// The ink of a one-line label's text, descenders included, as the label draws it (its
// alignment in its contents), against the label's rect: a fault line when some of it falls
// outside, where the label cuts it.
QStringList TextInkViolations(const QLabel* label);
