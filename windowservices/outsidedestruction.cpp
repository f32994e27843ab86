#include "outsidedestruction.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <vector>

namespace karte {

namespace {

// QWidget::destroy, which drops a widget's native window so that its next showing creates a new one, is protected.
struct NativeWindow : QWidget
{
    static void drop(QWidget* window)
    {
        void (QWidget::*destroy)(bool, bool) = &NativeWindow::destroy;
        (window->*destroy)(true, true);
    }
};

class DestructionWatch : public QAbstractNativeEventFilter
{
public:
    static DestructionWatch& instance()
    {
        static DestructionWatch* watch = [] {
            auto* created = new DestructionWatch;
            QCoreApplication::instance()->installNativeEventFilter(created);
            return created;
        }();
        return *watch;
    }

    void watch(QWidget* window) { windows_.emplace_back(window); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY)
            return false;
        const auto* destroyed = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
        for (const QPointer<QWidget>& window : windows_) {
            QWindow* handle = window ? window->windowHandle() : nullptr;
            // A window the program destroyed itself is no longer visible, or no longer has its native window.
            if (handle && handle->handle() && window->isVisible() && handle->winId() == destroyed->window) {
                QPointer<QWidget> target = window;
                QMetaObject::invokeMethod(
                    window, [target] { closeDestroyed(target); }, Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    static void closeDestroyed(QPointer<QWidget> window)
    {
        if (!window)
            return;
        const bool closed = window->close();
        // The next showing makes a new native window in place of the one that is gone.
        if (window)
            NativeWindow::drop(window);
        if (window && !closed) {
            window->hide();
            window->show();
        }
    }

    std::vector<QPointer<QWidget>> windows_;
};

} // namespace

void closeWhenDestroyedFromOutside(QWidget* window)
{
    if (QCoreApplication::instance())
        DestructionWatch::instance().watch(window);
}

} // namespace karte
