#pragma once

class QWidget;

namespace karte {

// Any program on an X server may destroy any window (xdotool windowclose does), and Qt is not told: the widget
// goes on as if it were on the screen. For a window that disables the main window while it is up, that would
// leave the program unusable. A window watched here is closed instead, as if the user had closed it, running its
// close and hide handlers; a window that refuses to close is shown again in a new native window. Elsewhere than on
// an X server this does nothing.
void closeWhenDestroyedFromOutside(QWidget* window);

} // namespace karte
