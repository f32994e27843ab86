#include "announcement.h"
#include "tform1.h"
#include "ui_tform1.h"

#include <QEvent>
#include <QStringList>
#include <QTimer>

#include <utility>

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
    describeCard();
}

void TForm1::announceRevealedSide(const QLabel* side)
{
    karte::announce(this, side->text());
    describeCard();
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

void TForm1::describeCard()
{
    // The card's labels and the status line follow a change one after the other: the description is read once
    // they all have.
    if (std::exchange(descriptionPending_, true))
        return;
    QTimer::singleShot(0, this, [this] {
        descriptionPending_ = false;
        setAccessibleDescription(shownCardText());
    });
}

bool TForm1::event(QEvent* event)
{
    // A screen reader says the window by its name and description as the window gets the focus, then the word
    // list: with the card as the description, the card the program starts on is said with the window, in the
    // same breath, and so is the card the user left when coming back from another window. The description follows
    // the card; while the word list has the focus, a screen reader does not say the change.
    if (event->type() == QEvent::Show)
        setAccessibleDescription(shownCardText());
    return QMainWindow::event(event);
}
