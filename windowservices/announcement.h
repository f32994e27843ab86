#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace karte {

// Has a screen reader say text once, as news of what just changed in the window that context belongs to: a card
// that came up, a side that was revealed. Nothing is shown on the screen. Texts announced in one turn of the
// event loop are not queued: the last one is said, so a step that changes several things says them in one text.
//
// A screen reader follows the focus and ignores a label whose text changes elsewhere; what it does say
// unasked is a notification appearing. Every window gets one such notification object of its own, which is never
// on the screen; each announcement names it with the text and tells the screen reader that it appeared.
void announce(QWidget* context, const QString& text);
// The same, said before whatever else is announced in this turn of the event loop, earlier or later.
void announceFirst(QWidget* context, const QString& text);

// The object through which announce speaks in this window, or nullptr before the window's first announcement.
QWidget* announcementObject(const QWidget* window);

// Tests' view of what goes out: called with the object each time it is made to appear, after the screen reader
// was told. Only a screen reader's bridge passes the event itself on, so without one this is all there is to see.
void setAnnouncementListener(std::function<void(QWidget* object)> listener);

} // namespace karte
