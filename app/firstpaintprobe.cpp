#include "firstpaintprobe.h"

#include "firstpaint.h"

#include <QCoreApplication>

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

} // namespace

void installFirstPaintProbe(QWidget* window)
{
    if (!std::getenv("KARTE_QUIT_AFTER_FIRST_PAINT"))
        return;
    afterFirstPaint(window, [] {
        paintedAt = Clock::now();
        std::printf("first paint\n");
        std::fflush(stdout);
        std::atexit(reportShutdown);
        QCoreApplication::quit();
    });
}

} // namespace karte
