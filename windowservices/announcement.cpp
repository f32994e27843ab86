#include "announcement.h"

#include "panelframe.h"

#include <QAccessibleEvent>
#include <QStatusBar>
#include <QStringList>
#include <QTimer>

#include <utility>

namespace karte {

namespace {

const QString kObjectName = QStringLiteral("karteAnnouncement");

std::function<void(QWidget*)>& listener()
{
    static std::function<void(QWidget*)> function;
    return function;
}

// A notification is spoken with the word "notification" before its text, except one in a status bar, which is
// read as the status message it is. The window's own status bar holds it, or a status bar of its own that is never
// shown where the window has none.
QWidget* statusBarOf(QWidget* window)
{
    for (auto* panel : window->findChildren<PanelFrame*>())
        if (panel->window() == window && panel->accessibleRole() == QAccessible::StatusBar)
            return panel;
    for (auto* bar : window->findChildren<QStatusBar*>())
        if (bar->window() == window)
            return bar;
    auto* own = new PanelFrame(window);
    own->setAccessibleRole(QAccessible::StatusBar);
    own->hide();
    return own;
}

QWidget* makeAnnouncementObject(QWidget* window)
{
    auto* object = new PanelFrame(statusBarOf(window));
    object->setObjectName(kObjectName);
    object->setAccessibleRole(QAccessible::Notification);
    // It never shows itself: shown, it would be spoken whenever the window is, with whatever text it last had, and
    // it would take a place in the screen reader's review of the window.
    object->hide();
    // The screen reader reads the text when it gets to the event, which may be after further announcements
    // renamed the object: one appearance per turn of the event loop, with the text the turn ended on, keeps it
    // from saying the last text several times over.
    auto* appearance = new QTimer(object);
    appearance->setSingleShot(true);
    appearance->setInterval(0);
    QObject::connect(appearance, &QTimer::timeout, object, [object] {
        QAccessibleEvent appeared(object, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&appeared);
        if (listener())
            listener()(object);
    });
    return object;
}

} // namespace

QWidget* announcementObject(const QWidget* window)
{
    if (!window)
        return nullptr;
    // Windows that belong to this one (a dialog with it as parent) have objects of their own.
    for (auto* object : window->findChildren<PanelFrame*>(kObjectName))
        if (object->window() == window)
            return object;
    return nullptr;
}

namespace {

// What this turn of the event loop announces: a text said first, and the last of the others.
const char kFirstProperty[] = "karteFirstAnnouncement";
const char kLastProperty[] = "karteLastAnnouncement";

void say(QWidget* context, const QString& text, bool first)
{
    if (!context || text.isEmpty())
        return;
    QWidget* window = context->window();
    QWidget* object = announcementObject(window);
    if (!object)
        object = makeAnnouncementObject(window);
    QTimer* appearance = object->findChild<QTimer*>();
    if (!appearance->isActive()) {
        object->setProperty(kFirstProperty, QString());
        object->setProperty(kLastProperty, QString());
    }
    object->setProperty(first ? kFirstProperty : kLastProperty, text);
    QStringList parts;
    for (const char* property : { kFirstProperty, kLastProperty })
        if (const QString part = object->property(property).toString(); !part.isEmpty())
            parts.append(part);
    object->setAccessibleName(parts.join(QLatin1String(". ")));
    appearance->start();
}

} // namespace

void announce(QWidget* context, const QString& text)
{
    say(context, text, false);
}

void announceFirst(QWidget* context, const QString& text)
{
    say(context, text, true);
}

void setAnnouncementListener(std::function<void(QWidget* object)> function)
{
    listener() = std::move(function);
}

} // namespace karte
