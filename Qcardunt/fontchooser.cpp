#include "fontchooser.h"

#include "checkedint.h"
#include "tfontform.h"
#include "tform1.h"

namespace karte {

int fontChooserLeft(int mainLeft, int mainWidth, int chooserWidth)
{
    const CheckedInt centre = CheckedInt(mainLeft) + div(CheckedInt(mainWidth), 2);
    return (centre - div(CheckedInt(chooserWidth), 2)).value();
}

} // namespace karte

void TForm1::FontButtonClick(QObject* /*sender*/)
{
    // Everything is worked out before the chooser is touched: an overflow leaves it neither moved nor shown.
    const QRect mainFrame = frameGeometry();
    const int left = karte::fontChooserLeft(mainFrame.left(), mainFrame.width(), FontForm->frameGeometry().width());
    FontForm->move(left, mainFrame.top());
    // The main window stays usable while the chooser floats above it.
    FontForm->show();
    FontForm->raise();
    FontForm->activateWindow();
}
