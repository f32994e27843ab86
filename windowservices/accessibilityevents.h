#pragma once

#include <functional>

class QAccessibleEvent;

namespace karte {

// The program's say over which accessibility events reach a screen reader. A filter returns true for an event the
// screen reader is not to get; every other event goes on as it would without filters. Filters stay for the run.
using AccessibilityEventFilter = std::function<bool(const QAccessibleEvent& event)>;
void addAccessibilityEventFilter(AccessibilityEventFilter filter);

// Keeps the events of windows that are not on the screen from the screen reader: the windows the program builds
// hidden at start flooded it with their names, texts and values, so that it dropped what it was told next, and it
// remembered their controls as hidden after the windows were shown (its review of a window found nothing in it).
// Their showing, hiding and destruction still go out.
void keepHiddenWindowsQuiet();

} // namespace karte
