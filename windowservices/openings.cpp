#include "openings.h"

#include "errorbox.h"
#include "placement.h"

#include <QEvent>
#include <QWidget>

namespace karte {

Openings::Openings(QWidget* window, std::function<void()> opened, std::function<void()> closed)
    : window_(window)
    , opened_(std::move(opened))
    , closed_(std::move(closed))
{
    window->installEventFilter(this);
}

Openings::~Openings()
{
    window_->removeEventFilter(this);
}

bool Openings::eventFilter(QObject* watched, QEvent* event)
{
    // A spontaneous show or hide is the window manager minimising the window or bringing it back.
    if (watched != window_ || event->spontaneous())
        return false;
    if (event->type() == QEvent::Show) {
        // The opened handler fills the window, which may change its size: the window is fitted to the screen and
        // placed by the size it opens with.
        if (opened_)
            guarded(opened_);
        fitToScreen(window_);
        if (!placed_) {
            centreOnScreen(window_);
            placed_ = true;
        }
    } else if (event->type() == QEvent::Hide) {
        guardedThen(
            [this] {
                if (closed_)
                    closed_();
            },
            [this] { Q_EMIT closed(); });
    }
    return false;
}

} // namespace karte
