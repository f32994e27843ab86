#include "accessibilityevents.h"

#include <QAccessible>
#include <QAccessibleEvent>
#include <QWidget>

#include <vector>

namespace karte {

namespace {

std::vector<AccessibilityEventFilter>& filters()
{
    static std::vector<AccessibilityEventFilter> installed;
    return installed;
}

void passOn(QAccessibleEvent* event)
{
    // The table of a view has taken in a change of its model before the handler is called; the screen reader's
    // bridge does nothing with such an event, and a second pass would have the table take it in twice.
    if (event->type() == QAccessible::TableModelChanged)
        return;
    for (const AccessibilityEventFilter& filter : filters())
        if (filter(*event))
            return;
    // The event goes on the way it goes without a handler.
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(passOn);
}

} // namespace

void addAccessibilityEventFilter(AccessibilityEventFilter filter)
{
    if (filters().empty())
        QAccessible::installUpdateHandler(passOn);
    filters().push_back(std::move(filter));
}

void keepHiddenWindowsQuiet()
{
    static const bool added = [] {
        addAccessibilityEventFilter([](const QAccessibleEvent& event) {
            switch (event.type()) {
            case QAccessible::ObjectShow:
            case QAccessible::ObjectHide:
            case QAccessible::ObjectCreated:
            case QAccessible::ObjectDestroyed:
            case QAccessible::ParentChanged:
                return false;
            default:
                break;
            }
            const auto* widget = qobject_cast<const QWidget*>(event.object());
            return widget && !widget->window()->isVisible();
        });
        return true;
    }();
    Q_UNUSED(added);
}

} // namespace karte
