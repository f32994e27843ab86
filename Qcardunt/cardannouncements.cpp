#include "announcement.h"
#include "tform1.h"
#include "ui_tform1.h"

#include <QStringList>

// What a screen reader user hears of the card. The card's labels change their text without the focus moving
// (the drill buttons never take it), and a screen reader says nothing of such a change; so each drill step and
// each jump says, once and briefly, what it brought: the side just revealed, or the card that came up with the
// sides it shows and its place in the set.

QStringList TForm1::shownSides() const
{
    QStringList sides;
    for (const QLabel* side :
        { static_cast<const QLabel*>(ui->TextGreek), static_cast<const QLabel*>(ui->TextEnglish) })
        if (side->isVisibleTo(ui->QCard) && !side->text().isEmpty())
            sides.append(side->text());
    return sides;
}

QString TForm1::shownCardText() const
{
    return (shownSides() << ui->StatusPanel0->text()).join(QLatin1String(", "));
}

void TForm1::announceCard()
{
    karte::announce(this, shownCardText());
}

void TForm1::announceRevealedSide(const QLabel* side)
{
    karte::announce(this, side->text());
}

void TForm1::announceChosenEntry()
{
    // A screen reader does not say the list's own change of entry (it takes it for a repeat of the list's focus),
    // so the entry comes first, unless it is a side the card shows and is said with it.
    const QString entry = ui->FrequencyComboBox->currentText();
    const QStringList sides = shownSides();
    const QString card = shownCardText();
    karte::announce(this, entry.isEmpty() || sides.contains(entry) ? card : entry + QLatin1String(": ") + card);
}
