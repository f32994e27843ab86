#include "tfontform.h"
#include "tform1.h"
#include "tformqcustom.h"

void TForm1::ButtonAddClick(QObject* /*sender*/)
{
    if (!editor_)
        return;
    // The editor and the font chooser both change what the card shows; only one of them is open at a time.
    if (fontChooser_)
        fontChooser_->hide();
    setEnabled(false);
    editor_->show();
    editor_->raise();
    editor_->activateWindow();
}
