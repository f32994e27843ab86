#include "tfontform.h"
#include "tform1.h"
#include "tformqcustom.h"
#include "ui_tform1.h"

void TForm1::ButtonAddClick(QObject* /*sender*/)
{
    if (!editor_)
        return;
    // The editor and the font chooser both change what the card shows; only one of them is open at a time.
    if (fontChooser_)
        fontChooser_->hide();
    editor_->setCardFace(ui->TextGreek->font());
    // What the editor changed shows in the word list, refilled with the English side.
    openOver(editor_, FocusBack::FromWindowManager, [this] { RefreshComboBox(); });
}
