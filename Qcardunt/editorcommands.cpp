#include "tfontform.h"
#include "tform1.h"
#include "tformqcustom.h"

void TForm1::ButtonAddClick(QObject* /*sender*/)
{
    // The editor and the font chooser both change what the card shows; only one of them is open at a time.
    if (FontForm)
        FontForm->hide();
    setEnabled(false);
    FormQCustom->show();
    FormQCustom->raise();
    FormQCustom->activateWindow();
}
