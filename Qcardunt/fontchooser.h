#pragma once

namespace karte {

// Where the font chooser's left edge goes: centred on the main window, from outer window rectangles in screen
// pixels. Halves are truncated toward zero; an overflow raises IntOverflow.
int fontChooserLeft(int mainLeft, int mainWidth, int chooserWidth);

} // namespace karte
