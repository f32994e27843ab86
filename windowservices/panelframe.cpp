#include "panelframe.h"

#include <QAccessibleWidget>

namespace {

// Reads the role from the panel each time it is asked, so the role may be set after the interface was made
// (setupUi names a panel, which makes its interface, before it sets the role).
class AccessiblePanel : public QAccessibleWidget
{
public:
    explicit AccessiblePanel(PanelFrame* panel)
        : QAccessibleWidget(panel)
    {
    }

    QAccessible::Role role() const override { return static_cast<const PanelFrame*>(object())->accessibleRole(); }
};

QAccessibleInterface* panelInterface(const QString& className, QObject* object)
{
    if (className == QLatin1String(PanelFrame::staticMetaObject.className()))
        return new AccessiblePanel(static_cast<PanelFrame*>(object));
    return nullptr;
}

} // namespace

PanelFrame::PanelFrame(QWidget* parent)
    : QFrame(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(panelInterface);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
}

void PanelFrame::setAccessibleRole(QAccessible::Role role)
{
    role_ = role;
}
