#include "firstpaint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace karte {

namespace {

class FirstPaintWatch : public QObject
{
public:
    FirstPaintWatch(QWidget* window, std::function<void()> action)
        : QObject(window)
        , action_(std::move(action))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Once the paint event has been handled in full, when the window's pixels are on their way.
            QTimer::singleShot(0, parent(), std::move(action_));
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> action_;
};

} // namespace

void afterFirstPaint(QWidget* window, std::function<void()> action)
{
    new FirstPaintWatch(window, std::move(action));
}

} // namespace karte
