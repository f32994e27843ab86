#pragma once

#include <QWidget>

// The client area of a main window. It tells of a change of its size only after its own layout has placed the
// controls in it, so that a handler of the window's resize sees every control where it now is (a control's own
// resize comes while its siblings may still be waiting for theirs).
class ClientArea : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;

Q_SIGNALS:
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override;
};
