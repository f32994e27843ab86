#include "tform1.h"
#include "ui_tform1.h"

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
    ui->StatusPanel0->setText(QString::number(recordId) + QLatin1String(" of ") + QString::number(recordCount));
    ui->StatusPanel1->setText(QString::fromStdString(FrequencyTable.fieldText("Frequency")));
}
