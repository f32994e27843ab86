#pragma once

namespace karte {

// At a scale other than 1 (QT_SCALE_FACTOR=2, say), Qt 6.4 tells a screen reader where the controls and the
// characters of a text are in the program's own pixels, where the screen reader works in the screen's: Orca's flat
// review clicked beside the button it had read. The program then answers these questions on the accessibility bus
// itself, in the screen's pixels, and leaves every other one to Qt's bridge. Does nothing at scale 1.
void answerInScreenPixels();

} // namespace karte
