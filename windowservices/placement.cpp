#include "placement.h"

#include "checkedint.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace karte {

namespace {

QMargins reportedFrame(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return { client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
        frame.bottom() - client.bottom() };
}

bool isNoFrame(const QMargins& frame)
{
    return frame.isNull();
}

// A frame no window manager draws: a side below zero, or as wide or as tall as the area it would stand in.
bool isImpossibleFrame(const QMargins& frame, const QRect& area)
{
    return frame.left() < 0 || frame.top() < 0 || frame.right() < 0 || frame.bottom() < 0
        || frame.left() + frame.right() >= area.width() || frame.top() + frame.bottom() >= area.height();
}

// The frame of another of the program's windows on the screen that the window manager has framed; none where no
// other window is framed yet.
QMargins frameOfAnotherWindow(const QWidget* window, const QRect& area)
{
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other == window || !other->isVisible())
            continue;
        const QMargins frame = reportedFrame(other);
        if (!isNoFrame(frame) && !isImpossibleFrame(frame, area))
            return frame;
    }
    return {};
}

QMargins frameFor(const QWidget* window, const QRect& area)
{
    const QMargins reported = reportedFrame(window);
    if (!isNoFrame(reported) && !isImpossibleFrame(reported, area))
        return reported;
    return frameOfAnotherWindow(window, area);
}

struct Placement
{
    QSize client;
    QMargins frame;
    bool operator==(const Placement&) const = default;
};

// The client size and frame the window was placed by.
Placement placeCentred(QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return { window->size(), reportedFrame(window) };
    const QRect area = screen->availableGeometry();
    const Placement placement { window->size(), reportedFrame(window) };
    window->move(centredFramePosition(area, window->size(), placement.frame, frameOfAnotherWindow(window, area)));
    return placement;
}

// Watches the native window until it is first exposed, by which time the window manager has framed it, and then
// centres the window again if its frame or size changed since it was placed.
class PlaceWhenFramed : public QObject
{
public:
    PlaceWhenFramed(QWidget* window, Placement placedBy)
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
            if (window_ && !(Placement { window_->size(), reportedFrame(window_) } == placedBy_))
                placeCentred(window_);
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
    Placement placedBy_;
};

} // namespace

int centredStart(int start, int extent, int boxExtent)
{
    return (CheckedInt(start) + div(CheckedInt(extent), 2) - div(CheckedInt(boxExtent), 2)).value();
}

QPoint centredFramePosition(const QRect& area, const QSize& client, const QMargins& reported, const QMargins& known)
{
    const QMargins frame = isNoFrame(reported) || isImpossibleFrame(reported, area) ? known : reported;
    const CheckedInt width = CheckedInt(client.width()) + frame.left() + frame.right();
    const CheckedInt height = CheckedInt(client.height()) + frame.top() + frame.bottom();
    const int left = std::max(0, div(CheckedInt(area.width()) - width, 2).value());
    const int top = std::max(0, div(CheckedInt(area.height()) - height, 2).value());
    return { area.left() + left, area.top() + top };
}

void centreOnScreen(QWidget* window)
{
    const Placement placedBy = placeCentred(window);
    if (!window->windowHandle())
        window->winId();
    if (window->windowHandle() && !window->windowHandle()->isExposed())
        new PlaceWhenFramed(window, placedBy);
}

void fitToScreen(QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    if (QLayout* layout = window->layout())
        layout->activate();
    const QRect area = screen->availableGeometry();
    const QMargins frame = frameFor(window, area);
    const QSize room = area.size().shrunkBy(frame);
    const QSize size = window->size().boundedTo(room).expandedTo(window->minimumSize());
    if (size != window->size())
        window->resize(size);
}

} // namespace karte
