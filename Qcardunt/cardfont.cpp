#include "cardtable.h"
#include "qcardunt.h"
#include "textforms.h"
#include "tform1.h"
#include "ui_tform1.h"

void TForm1::NewTable()
{
    FrequencyTable.close();
    FrequencyTable.setDatabaseName("Karte32");
    FrequencyTable.setTableName(CardSetFileName.toStdString());
    FrequencyTable.setTableType(cardstore::TableType::Paradox);
    FrequencyTable.fieldDefs() = cardstore::cardFieldDefs();
    FrequencyTable.indexDefs() = { cardstore::englishIndexDef() };
    FrequencyTable.createTable();
    FrequencyTable.open();
}

void TForm1::GetRecordID(cardstore::Table& table, int& recordId)
{
    recordId = cardstore::recordPosition(table);
}

void TForm1::GetFont()
{
    const cardstore::StoredFont stored = cardstore::readStoredFont(FrequencyTable);
    if (stored.name.empty())
        return;
    QFont greek = ui->TextGreek->font();
    greek.setFamily(QString::fromStdString(stored.name).left(255));
    ui->TextGreek->setFont(greek);
    // A size that is not a whole number fails here, after the face has been put on the Greek text.
    const int size = cardstore::toInteger(stored.size);
    greek.setPointSize(size);
    ui->TextGreek->setFont(greek);
    QFont english = ui->TextEnglish->font();
    english.setPointSize(size);
    ui->TextEnglish->setFont(english);
}

void TForm1::SaveFont()
{
    if (FrequencyTable.active() && FrequencyTable.recordCount() == 0)
        FontSaveEnabled = false;
    if (!FontSaveEnabled)
        return;
    // With no set open (a switch of sets failed) or a set that cannot be written, there is nowhere to keep the
    // font: writing nothing, and saying nothing, keeps switching sets and closing the window possible.
    if (!FrequencyTable.active() || !FrequencyTable.canModify())
        return;
    const QFont& font = ui->TextGreek->font();
    cardstore::writeStoredFont(FrequencyTable, font.family().toStdString(), font.pointSize());
}

void TForm1::FrequencyTableAfterPost(cardstore::Table& /*table*/)
{
    FontSaveEnabled = true;
}

void TForm1::FrequencyTableAfterDelete(cardstore::Table& /*table*/)
{
    if (FrequencyTable.recordCount() == 0)
        FontSaveEnabled = false;
}
