#pragma once

#include <functional>

class QWidget;

namespace karte {

// Runs action once, from the event loop, as soon as window has finished its first paint: for work that need not
// keep the user from seeing the window.
void afterFirstPaint(QWidget* window, std::function<void()> action);

} // namespace karte
