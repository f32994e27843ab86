#include "accessiblewindow.h"

#include <QAccessibleWidget>
#include <QMetaObject>
#include <QSet>
#include <QWidget>

namespace {

QSet<QString>& windowClasses()
{
    static QSet<QString> classes;
    return classes;
}

QAccessibleInterface* windowInterface(const QString& className, QObject* object)
{
    if (windowClasses().contains(className))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

namespace karte {

void readAsWindow(const QMetaObject& windowClass)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(windowInterface);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    windowClasses().insert(QLatin1String(windowClass.className()));
}

} // namespace karte
