#include "placement.h"

#include "checkedint.h"

#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace karte {

namespace {

// The size of the frame the window was placed by.
QSize placeCentred(QWidget* window)
{
    const QScreen* screen = window->screen();
    const QRect frame = window->frameGeometry();
    if (!screen)
        return frame.size();
    const QRect area = screen->availableGeometry();
    const int left = std::max(0, div(CheckedInt(area.width()) - frame.width(), 2).value());
    const int top = std::max(0, div(CheckedInt(area.height()) - frame.height(), 2).value());
    window->move(area.left() + left, area.top() + top);
    return frame.size();
}

// Watches the native window until it is first exposed, by which time the window manager has framed it, and then
// centres the window again by its real frame.
class PlaceWhenFramed : public QObject
{
public:
    PlaceWhenFramed(QWidget* window, QSize placedBy)
        : QObject(window->windowHandle())
        , window_(window)
        , placedBy_(placedBy)
    {
        window->windowHandle()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* handle = qobject_cast<QWindow*>(watched);
        if (event->type() == QEvent::Expose && handle && handle->isExposed()) {
            handle->removeEventFilter(this);
            if (window_ && window_->frameGeometry().size() != placedBy_)
                placeCentred(window_);
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
    QSize placedBy_;
};

} // namespace

int centredStart(int start, int extent, int boxExtent)
{
    return (CheckedInt(start) + div(CheckedInt(extent), 2) - div(CheckedInt(boxExtent), 2)).value();
}

void centreOnScreen(QWidget* window)
{
    const QSize placedBy = placeCentred(window);
    if (!window->windowHandle())
        window->winId();
    if (window->windowHandle() && !window->windowHandle()->isExposed())
        new PlaceWhenFramed(window, placedBy);
}

} // namespace karte
