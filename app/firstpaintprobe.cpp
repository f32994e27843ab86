#include "firstpaintprobe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace karte {

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point paintedAt;

void reportShutdown()
{
    const double after = std::chrono::duration<double, std::milli>(Clock::now() - paintedAt).count();
    std::printf("after %.3f ms\n", after);
    std::fflush(stdout);
}

class FirstPaintProbe : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Reported once the paint event has been handled in full, when the window's pixels are ready.
            QTimer::singleShot(0, [] {
                paintedAt = Clock::now();
                std::printf("first paint\n");
                std::fflush(stdout);
                std::atexit(reportShutdown);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

} // namespace

void installFirstPaintProbe(QWidget* window)
{
    if (!std::getenv("KARTE_QUIT_AFTER_FIRST_PAINT"))
        return;
    window->installEventFilter(new FirstPaintProbe(window));
}

} // namespace karte
