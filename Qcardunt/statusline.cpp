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
    describeCard();
}

namespace {

// The position panel has the width the layout gives it, which suits the design's face and sets of a thousand
// cards or so. Where the face on hand is wider, or the set has a hundred thousand cards, the panel widens to show
// the whole position rather than cut it off; it never narrows again, so the frequency panel does not jump about.
void showInPanelThatFits(QLabel* panel, const QString& text)
{
    panel->setText(text);
    const int needed = panel->fontMetrics().horizontalAdvance(text) + 2 * panel->frameWidth() + 2 * panel->margin()
        + panel->fontMetrics().averageCharWidth();
    if (needed > panel->maximumWidth())
        panel->setFixedWidth(needed);
}

} // namespace

void TForm1::showStatusPosition(const QString& text)
{
    if (FrequencySource.controlsDisabled())
        heldPosition_ = text;
    else
        showInPanelThatFits(ui->StatusPanel0, text);
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
        showInPanelThatFits(ui->StatusPanel0, *std::exchange(heldPosition_, std::nullopt));
    if (heldFrequency_)
        ui->StatusPanel1->setText(*std::exchange(heldFrequency_, std::nullopt));
}
