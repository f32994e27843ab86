#include "menuannouncements.h"

#include "announcement.h"

#include <QAccessible>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>

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

} // namespace

void announceMenuNames(QMenuBar* bar)
{
    for (QAction* title : bar->actions()) {
        QMenu* menu = title->menu();
        if (!menu)
            continue;
        // Said once the menu is open and its first item highlighted: the screen reader reads the item as it gets
        // the focus, and would cut off anything said before. The item is said again after the menu's name.
        QObject::connect(menu, &QMenu::aboutToShow, bar, [bar, menu = QPointer<QMenu>(menu)] {
            QTimer::singleShot(0, bar, [bar, menu] {
                if (menu && menu->isVisible())
                    announce(bar, openedMenuText(menu));
            });
        });
    }
}

} // namespace karte
