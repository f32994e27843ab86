#include "checkedint.h"
#include "tform1.h"
#include "ui_tform1.h"

using karte::CheckedInt;

namespace {

// Each sets one edge or extent of a control and keeps the rest, so that a failure part way through FormResize
// leaves the controls set so far with their new bounds.
void setLeft(QWidget* control, CheckedInt left)
{
    control->move(left.value(), control->y());
}
void setTop(QWidget* control, CheckedInt top)
{
    control->move(control->x(), top.value());
}
void setWidth(QWidget* control, CheckedInt width)
{
    control->resize(width.value(), control->height());
}
void setHeight(QWidget* control, CheckedInt height)
{
    control->resize(control->width(), height.value());
}

} // namespace

void TForm1::FormResize(QObject* /*sender*/)
{
    // The card panel's position is added to positions inside the panel, so the English text and the drill bar
    // sit one toolbar height lower in it than the Greek text's top would suggest. The cards are laid out for that.
    const CheckedInt cardLeft = ui->QCard->x();
    const CheckedInt cardTop = ui->QCard->y();
    const CheckedInt cardWidth = ui->QCard->width();
    const CheckedInt cardHeight = ui->QCard->height();
    setLeft(ui->TextGreek, cardLeft + 1);
    setLeft(ui->TextEnglish, cardLeft + 1);
    setWidth(ui->TextGreek, cardWidth - 2);
    setWidth(ui->TextEnglish, cardWidth - 2);
    setHeight(ui->TextGreek, div(cardHeight, 3) + 1);
    setHeight(ui->TextEnglish, div(cardHeight, 3));
    setTop(ui->TextEnglish, cardTop + ui->TextGreek->height());
    setTop(ui->QCardButtons, cardTop + CheckedInt(ui->TextGreek->height()) * 2 + 2);
    setLeft(ui->QCardButtons, div(cardWidth, 2) - div(CheckedInt(ui->QCardButtons->width()), 2));
    const CheckedInt toolbarWidth = ui->Panel1->width();
    setWidth(ui->FrequencyComboBox, div(toolbarWidth, 2));
    setLeft(ui->FrequencyComboBox, div(toolbarWidth, 2) - div(CheckedInt(ui->FrequencyComboBox->width()), 2));
}

void TForm1::Label2DblClick(QObject* sender)
{
    // The hot spot is never disabled: it reaches the editor even while its button and menu item are.
    ButtonAddClick(sender);
}
