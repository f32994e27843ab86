#pragma once

class QWidget;

namespace karte {

// Keeps the controls of a window that come into view while it is open readable by a screen reader's review of the
// window (Orca's flat review). A control built hidden was read once as invisible and, when it was shown, the
// screen reader was told only that it shows, so that it went on taking it for invisible and its review skipped
// it: the answer side and the day's summary of the Study window. The screen reader is made to read each such
// control again as it comes into view; the control stays the object it was, for anything that holds it.
void keepShownControlsReviewable(QWidget* window);

} // namespace karte
