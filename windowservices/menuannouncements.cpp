#include "menuannouncements.h"

#include "accessibilityevents.h"
#include "announcement.h"

#include <QAccessible>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>

#include <utility>

namespace karte {

namespace {

// The menu's name, and the item the keyboard highlighted on opening, as the screen reader reads the item.
QString openedMenuText(QMenu* menu)
{
    QAccessibleInterface* menuInterface = QAccessible::queryAccessibleInterface(menu);
    QString text = menuInterface->text(QAccessible::Name) + QLatin1String(" menu");
    const int item = menu->actions().indexOf(menu->activeAction());
    if (QAccessibleInterface* highlighted = item >= 0 ? menuInterface->child(item) : nullptr) {
        text += QLatin1String(", ") + highlighted->text(QAccessible::Name);
        if (highlighted->state().disabled)
            text += QLatin1String(", unavailable");
    }
    return text;
}

// While a menu of the bar opens, the focus that its title in the bar and then its highlighted item take is kept
// from the screen reader: the menu's name and the item are said together, once. Said as they took the focus as
// well, the first item of every menu was heard twice. The title's focus is held until the event loop next turns:
// a title highlighted without a menu opening (Esc back to the bar) is said as it was.
struct Opening
{
    QPointer<QMenuBar> bar;
    bool menuShown = false;
    int heldTitle = -1;
};

Opening& opening()
{
    static Opening state;
    return state;
}

// True for a focus the opening menu takes, which is held or kept from the screen reader.
bool isOpeningFocus(const QAccessibleEvent& event)
{
    Opening& state = opening();
    if (!state.bar || event.type() != QAccessible::Focus)
        return false;
    if (event.object() == state.bar) {
        state.heldTitle = event.child();
        return true;
    }
    const auto* menu = qobject_cast<const QMenu*>(event.object());
    return menu && state.bar->actions().contains(menu->menuAction());
}

void keepOpeningFocusUnsaid(QMenuBar* bar)
{
    Opening& state = opening();
    if (state.bar)
        return;
    static const bool filtered = [] {
        addAccessibilityEventFilter(isOpeningFocus);
        return true;
    }();
    Q_UNUSED(filtered);
    state = { bar, false, -1 };
    QTimer::singleShot(0, bar, [] {
        const Opening ended = std::exchange(opening(), Opening {});
        if (ended.bar && !ended.menuShown && ended.heldTitle >= 0) {
            QAccessibleEvent title(ended.bar, QAccessible::Focus);
            title.setChild(ended.heldTitle);
            QAccessible::updateAccessibility(&title);
        }
    });
}

} // namespace

void announceMenuNames(QMenuBar* bar)
{
    // The bar's title is highlighted, and takes the focus, before its menu opens.
    QObject::connect(bar, &QMenuBar::hovered, bar, [bar](QAction* title) {
        if (title->menu())
            keepOpeningFocusUnsaid(bar);
    });
    for (QAction* title : bar->actions()) {
        QMenu* menu = title->menu();
        if (!menu)
            continue;
        // Said once the menu is open and its first item highlighted, with the item: the screen reader would say
        // the item as it got the focus, and would cut off anything said before.
        QObject::connect(menu, &QMenu::aboutToShow, bar, [bar, menu = QPointer<QMenu>(menu)] {
            keepOpeningFocusUnsaid(bar);
            opening().menuShown = true;
            QTimer::singleShot(0, bar, [bar, menu] {
                if (menu && menu->isVisible())
                    announce(bar, openedMenuText(menu));
            });
        });
    }
}

} // namespace karte
