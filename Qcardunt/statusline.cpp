#include "tform1.h"
#include "ui_tform1.h"

#include <utility>

void TForm1::FrequencySourceDataChange(QObject* /*sender*/, int /*fieldIndex*/)
{
    // While the word list jump types in a key, the table's fields are the key, not a card; a lookup that finds
    // nothing would otherwise leave the key's empty frequency on show. Whatever ends key entry and moves or
    // re-reads the cursor announces the card again.
    if (FrequencyTable.state() == cardstore::DataSetState::SetKey)
        return;
    // Both figures are read before anything is shown, and the frequency only after the position, so that a
    // failure leaves the line as it was up to the figure that failed.
    int recordId = 0;
    GetRecordID(FrequencyTable, recordId);
    const int recordCount = FrequencyTable.recordCount();
    showStatusPosition(QString::number(recordId) + QLatin1String(" of ") + QString::number(recordCount));
    showStatusFrequency(QString::fromStdString(FrequencyTable.fieldText("Frequency")));
}

void TForm1::showStatusPosition(const QString& text)
{
    if (FrequencySource.controlsDisabled())
        heldPosition_ = text;
    else
        ui->StatusPanel0->setText(text);
}

void TForm1::showStatusFrequency(const QString& text)
{
    if (FrequencySource.controlsDisabled())
        heldFrequency_ = text;
    else
        ui->StatusPanel1->setText(text);
}

void TForm1::showHeldStatus()
{
    if (heldPosition_)
        ui->StatusPanel0->setText(*std::exchange(heldPosition_, std::nullopt));
    if (heldFrequency_)
        ui->StatusPanel1->setText(*std::exchange(heldFrequency_, std::nullopt));
}
