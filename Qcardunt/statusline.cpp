#include "tform1.h"
#include "ui_tform1.h"

void TForm1::FrequencySourceDataChange(QObject* /*sender*/, int /*fieldIndex*/)
{
    int recordId = 0;
    GetRecordID(FrequencyTable, recordId);
    const int recordCount = FrequencyTable.recordCount();
    ui->StatusPanel0->setText(QString::number(recordId) + QLatin1String(" of ") + QString::number(recordCount));
    ui->StatusPanel1->setText(QString::fromStdString(FrequencyTable.fieldText("Frequency")));
}
