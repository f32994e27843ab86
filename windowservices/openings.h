#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace karte {

// The openings and closings of a side window: each time it is shown or hidden by the program or the user, opened
// runs before it shows or closed after it hides, guarded; then the window is fitted to its screen (fitToScreen)
// and, the first time, placed in the middle of the screen by the size it opens with and its frame (centreOnScreen). A
// window only minimised and brought back is neither opened nor closed. The window holds it as its last member, so that
// it stops watching before the window's other members go: the hiding that destroying a window does is no closing.
class Openings : public QObject
{
    Q_OBJECT

public:
    // Either handler may be empty.
    Openings(QWidget* window, std::function<void()> opened, std::function<void()> closed);
    ~Openings() override;

Q_SIGNALS:
    // The window was hidden and its closed handler has run. It is sent whether the handler succeeded or failed, and
    // before the handler's error is shown: the window the side window was opened over is given back first, and the
    // error stands over a usable program.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    std::function<void()> opened_;
    std::function<void()> closed_;
    bool placed_ = false;
};

} // namespace karte
