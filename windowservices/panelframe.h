#pragma once

#include <QAccessible>
#include <QFrame>

// A framed panel that groups controls inside a window: the toolbar, the card, the drill bar, the status line.
// Qt gives a plain frame the role of a window border, which a screen reader takes for a window of its own: the
// first panel it meets becomes "the window", and everything outside that panel is out of its reach. A panel says
// what it is instead, a tool bar, a status bar or a group, and keeps its accessible name.
class PanelFrame : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(QAccessible::Role accessibleRole READ accessibleRole WRITE setAccessibleRole)

public:
    explicit PanelFrame(QWidget* parent = nullptr);

    QAccessible::Role accessibleRole() const { return role_; }
    void setAccessibleRole(QAccessible::Role role);

private:
    QAccessible::Role role_ = QAccessible::Grouping;
};
