#include "tform1.h"
#include "ui_tform1.h"

#include <exception>

// The jump to the word chosen in the word list. An entry carries no link to its card, so the card is found again
// by looking the entry's text up as a key. Every lookup that switches the index switches it back to the primary
// one, so that the drill and the next refill go on in the set's own order.

void TForm1::FrequencyComboBoxChange(QObject* /*sender*/)
{
    const std::string chosen = ui->FrequencyComboBox->currentText().toStdString();
    const bool builtInSet = FrequencyTable.isBuiltInSet();

    if (builtInSet)
        lookUpByIndex("EnglishIndex", "English", chosen);
    if (ui->ShowGreek1->isChecked())
        lookUpByIndex("LanguageIndex", "Language", chosen);
    if (ui->ShowFrequency1->isChecked())
        lookUpByIndex("FrequencyIndex", "Frequency", chosen);
    if (!builtInSet && keySuitsField("English", chosen)) {
        // A user set's primary index is on English. In a set whose primary index is on another field, setting
        // the key fails and leaves the table in key-entry mode until its next operation.
        FrequencyTable.editKey();
        FrequencyTable.setFieldText("English", chosen);
        FrequencyTable.gotoKey();
    }
    announceChosenEntry();
}

void TForm1::lookUpByIndex(const char* indexName, const char* keyField, const std::string& text)
{
    if (!keySuitsField(keyField, text))
        return;
    try {
        FrequencyTable.setIndexName(indexName);
        FrequencyTable.editKey();
        FrequencyTable.setFieldText(keyField, text);
        FrequencyTable.gotoKey();
    } catch (const std::exception&) {
        // The failure ends the jump and is reported as it is; the set must not stay in the lookup's order.
        returnToPrimaryIndex();
        throw;
    }
    FrequencyTable.setIndexName("");
}

bool TForm1::keySuitsField(const char* keyField, const std::string& text) const
{
    // After NT Frequency the list may hold English words while Show Frequency is checked: such a word can never be
    // a frequency, and setting it as the key would only fail. A closed table or a missing field is left to the
    // lookup itself, which reports it.
    if (!FrequencyTable.active())
        return true;
    const int field = FrequencyTable.fieldIndex(keyField);
    return field < 0
        || cardstore::Table::textSuitsField(FrequencyTable.fieldDefs()[static_cast<std::size_t>(field)], text);
}

void TForm1::returnToPrimaryIndex() noexcept
{
    try {
        FrequencyTable.setIndexName("");
    } catch (const std::exception&) {
        // The index is switched before the switch is announced, so what fails here is a handler of the table's
        // notifications, the status line, failing again for the reason the user is about to be shown.
    }
}
