#pragma once

class QWidget;

namespace karte {

// For timing start-up from outside: when KARTE_QUIT_AFTER_FIRST_PAINT is set, the first time the window has
// painted the program writes "first paint" to its standard output and quits, and then writes how long after the
// paint it took to get there ("after N ms"), so the caller can leave the shutdown out of its measure. Without the
// variable nothing is installed.
void installFirstPaintProbe(QWidget* window);

} // namespace karte
