#pragma once

class QWidget;

namespace karte {

// The density window layouts are designed at, in pixels per inch.
constexpr int kDesignDpi = 120;
// The password prompt's layout is designed at the density of an ordinary screen.
constexpr int kPasswordPromptDesignDpi = 96;

// Scales a window built from its layout in proportion to the logical density of the screen it opens on, once,
// at creation. Fonts are given in points and follow the density by themselves.
void scaleToScreen(QWidget* window, int designDpi = kDesignDpi);

// Scales a window and every control in it by numerator / denominator: the window's client size, each control's
// edges (so that controls that touch or overlap by a pixel still do), fixed, minimum and maximum sizes, layout
// margins and spacing, and the "itemHeight" property of the controls that have one. A line one pixel wide, such
// as a bevel margin, stays one pixel wide.
void scaleWindow(QWidget* window, int numerator, int denominator);

} // namespace karte
