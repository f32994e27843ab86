#include "placement.h"
#include "tfontform.h"
#include "tform1.h"

void TForm1::FontButtonClick(QObject* /*sender*/)
{
    if (!fontChooser_)
        return;
    // Everything is worked out before the chooser is touched: an overflow leaves it neither moved nor shown.
    const QRect mainFrame = frameGeometry();
    const int left = karte::centredStart(mainFrame.left(), mainFrame.width(), fontChooser_->frameGeometry().width());
    fontChooser_->move(left, mainFrame.top());
    // The main window stays usable while the chooser floats above it.
    fontChooser_->show();
    fontChooser_->raise();
    fontChooser_->activateWindow();
}
