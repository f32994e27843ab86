#include "errorbox.h"
#include "tform1.h"

// The side windows that open over this window (the editor, the About box, the Study, Progress and import windows)
// all open and give this window back the same way; see openOver.

void TForm1::showOver(QWidget* window)
{
    setEnabled(false);
    window->show();
    window->raise();
    window->activateWindow();
}

void TForm1::sideWindowClosed(FocusBack focusBack, const std::function<void()>& followUp) noexcept
{
    const auto comeBack = [this, focusBack] {
        setEnabled(true);
        if (focusBack == FocusBack::RaisedAndActivated)
            raise();
        if (focusBack != FocusBack::FromWindowManager)
            activateWindow();
    };
    karte::guardedThen(
        [&followUp] {
            if (followUp)
                followUp();
        },
        comeBack);
}
