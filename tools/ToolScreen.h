#pragma once
// What the tool windows share about the screen: they are laid out for a screen 800 pixels
// wide and scaled by the present screen's width against it, and show figures in a
// seven-segment face.
class QWidget;

constexpr int kToolDesignWidth = 800;

// Width of the primary screen; the design width when there is none.
int ToolScreenWidth();
// v design pixels on a screen `screenWidth` wide: v x screenWidth div 800.
int ToolScaled(int v, int screenWidth);
// Scales the window's font by the screen against the design width.
void ScaleToolFont(QWidget* window, int screenWidth);
// The seven-segment face "NI7SEG" at `pixels`, bold; any fixed-width face where it is missing.
void SetSevenSegmentFont(QWidget* w, int pixels);
