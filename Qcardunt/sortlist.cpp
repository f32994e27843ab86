#include "errorbox.h"
#include "tform1.h"
#include "ui_tform1.h"

#include <QAction>

// The Sort List menu. Its three check marks, the enabled states of its items, the list's sorted order and its
// face are the whole sort mode; there is no other variable. Each command decides by the marks as they were
// when it was chosen, and sets the marks itself.

void TForm1::Alphabetically1Click(QObject* /*sender*/)
{
    SortedComboBox* list = ui->FrequencyComboBox;
    if (!ui->Alphabetcally1->isChecked()) {
        // The entries there are re-sorted as they are, not read again.
        list->setSorted(true);
        list->setCurrentIndex(0);
        ui->Alphabetcally1->setChecked(true);
    } else if (!ui->ShowGreek1->isChecked()) {
        list->setSorted(false);
        RefreshComboBox();
        ui->Alphabetcally1->setChecked(false);
    } else {
        list->setSorted(false);
        RefreshComboBoxGreek();
        ui->Alphabetcally1->setChecked(false);
    }
}

void TForm1::ShowGreek1Click(QObject* /*sender*/)
{
    if (!ui->ShowGreek1->isChecked()) {
        ui->ShowGreek1->setChecked(true);
        RefreshComboBoxGreek();
    } else {
        ui->ShowGreek1->setChecked(false);
        RefreshComboBox();
        setWordListFace(QString::fromLatin1(kWordListFace));
    }
}

void TForm1::ShowFrequency1Click(QObject* /*sender*/)
{
    if (!ui->ShowFrequency1->isChecked()) {
        // The other two marks stay as they are, so that leaving frequency mode gives back the list they describe.
        ui->ShowFrequency1->setChecked(true);
        ui->Alphabetcally1->setEnabled(false);
        ui->ShowGreek1->setEnabled(false);
        RefreshComboBoxFrequency();
    } else {
        ui->ShowFrequency1->setChecked(false);
        ui->Alphabetcally1->setEnabled(true);
        ui->ShowGreek1->setEnabled(true);
        if (ui->ShowGreek1->isChecked())
            RefreshComboBoxGreek();
        else
            RefreshComboBox();
        if (ui->Alphabetcally1->isChecked()) {
            // Sorting rebuilds the list without a shown entry; the alphabetically first one is shown, as when
            // Alphabetically is chosen.
            ui->FrequencyComboBox->setSorted(true);
            ui->FrequencyComboBox->setCurrentIndex(0);
        }
    }
}

void TForm1::wireSortCommand(QAction* item, void (TForm1::*command)(QObject*))
{
    // Qt flips a checkable item's mark before it reports the click; the commands read the mark as the user saw it
    // and set it themselves.
    connect(item, &QAction::triggered, this, [item] { item->setChecked(!item->isChecked()); });
    karte::connectHandler(item, &QAction::triggered, this, command);
}
