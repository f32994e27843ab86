#include "tform1.h"
#include "ui_tform1.h"

void TForm1::RefreshComboBox()
{
    refillWordList("English", false);
}

void TForm1::RefreshComboBoxGreek()
{
    setWordListFace(ui->TextGreek->font().family());
    refillWordList("Language", false);
}

void TForm1::RefreshComboBoxFrequency()
{
    setWordListFace(QString::fromLatin1(kWordListFace));
    refillWordList("Frequency", true);
}

void TForm1::refillWordList(const char* field, bool keepsTableOrder)
{
    SortedComboBox* list = ui->FrequencyComboBox;
    list->clear();
    // The walk moves the one cursor that the status line follows at every move. The card texts (and the editor's
    // boxes) show only where the walk ends: laying out the text of every card passed over made a big set's refill
    // crawl. The entries go into the list in one batch at the end (or at the failure that ends the walk), for the
    // same reason.
    ControlsDisabled quietControls(FrequencySource);
    QStringList entries;
    try {
        FrequencyTable.first();
        // The frequency list is never sorted. The walk always adds at least one entry, so turning the order off
        // before the first one is turning it off before each.
        if (keepsTableOrder)
            list->setSorted(false);
        do {
            entries.append(QString::fromStdString(FrequencyTable.fieldText(field)));
            FrequencyTable.next();
        } while (!FrequencyTable.eof());
    } catch (const std::exception&) {
        // A failed refill keeps the entries it had reached.
        list->addEntries(entries);
        throw;
    }
    list->addEntries(entries);
    FrequencyTable.first();
    list->setCurrentIndex(0);
}
