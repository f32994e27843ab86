#include "reviewable.h"

#include <QAccessible>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace karte {

namespace {

class ShownControls : public QObject
{
public:
    explicit ShownControls(QWidget* window)
        : QObject(window)
        , window_(window)
    {
        window->installEventFilter(this);
        for (QWidget* control : window->findChildren<QWidget*>())
            control->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The controls that show as the window opens, with it or set up by its opening's work, are read with the
        // window; only those that come into view once it is open are made known afresh.
        if (watched == window_) {
            if (event->type() == QEvent::Show)
                QTimer::singleShot(0, this, [this] { open_ = window_->isVisible(); });
            else if (event->type() == QEvent::Hide)
                open_ = false;
            return false;
        }
        auto* control = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && !event->spontaneous() && control && open_ && QAccessible::isActive()) {
            // Qt tells the screen reader only that the control shows, never that it is visible, and the screen
            // reader keeps what it read of the control. A change of the control's selection (it has none, and
            // stays unselected) is what has Orca read the control again, its state with it.
            QAccessibleEvent reread(control, QAccessible::Selection);
            QAccessible::updateAccessibility(&reread);
        }
        return false;
    }

private:
    QWidget* window_;
    bool open_ = false;
};

} // namespace

void keepShownControlsReviewable(QWidget* window)
{
    new ShownControls(window);
}

} // namespace karte
