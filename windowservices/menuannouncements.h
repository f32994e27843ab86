#pragma once

class QMenuBar;

namespace karte {

// Has a screen reader say a menu's name as it opens, from the keyboard or the mouse, and as the arrow keys move
// on to the next menu: "File menu, New...". A screen reader names a menu from its role, which Qt gives a
// drop-down menu as a "popup menu" that the screen reader never names, so the user hears the highlighted item
// alone and cannot tell which menu it is in. The menus that are in the bar now are covered.
void announceMenuNames(QMenuBar* bar);

} // namespace karte
