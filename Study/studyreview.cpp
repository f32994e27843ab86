#include "studysession.h"
#include "studytexts.h"
#include "tstudyform.h"
#include "ui_tstudyform.h"

#include "errorbox.h"

#include <QKeyEvent>
#include <QShortcut>

// What the review says and where its keys go: the answer with the intervals of the four grades, the card said again
// on request, a button with the focus taking Space itself, and the focus given back to the review from a settings
// box (Esc) or from a button the next card hides.

void TStudyForm::wireReviewKeys()
{
    // S says again what the window shows, for a screen reader user who missed it; typed into a box it is a letter.
    karte::connectGuarded(
        new QShortcut(QKeySequence(Qt::Key_S), this), &QShortcut::activated, this, [this] { sayAgain(); });
    for (QWidget* control : reviewButtons() + settingsBoxes())
        control->installEventFilter(this);
}

QList<QWidget*> TStudyForm::reviewButtons() const
{
    return { ui->ShowAnswerButton, ui->AgainButton, ui->HardButton, ui->GoodButton, ui->EasyButton, ui->MoreNewButton,
        ui->ReadAloudButton };
}

QList<QWidget*> TStudyForm::settingsBoxes() const
{
    return { ui->BookBox, ui->FirstSideBox, ui->NewCardsBox, ui->RetentionBox, ui->ReadAloudBox, ui->PronunciationBox,
        ui->SpeechSpeedBox };
}

bool TStudyForm::takesReviewKey(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool plain = key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::ShiftModifier;
    // Space on a button with the focus presses that button (the button does it on the key's release), rather than
    // showing the answer or grading Good.
    const bool buttonsKey = reviewButtons().contains(watched) && key->key() == Qt::Key_Space && plain;
    // What is typed into a settings box goes into it while it has the focus, digits and spaces too (a book by its
    // first letters, the box ticked): they answer the card only from the review.
    const bool boxesKey
        = settingsBoxes().contains(watched) && plain && !key->text().isEmpty() && key->text().at(0).isPrint();
    if (!buttonsKey && !boxesKey)
        return false;
    event->accept();
    return true;
}

bool TStudyForm::settingsBoxHasFocus() const
{
    const QWidget* focus = focusWidget();
    for (const QWidget* box : settingsBoxes())
        if (focus && (focus == box || box->isAncestorOf(focus)))
            return true;
    return false;
}

void TStudyForm::backToReview()
{
    setFocus();
    sayAgain();
}

void TStudyForm::keepFocusOnReview()
{
    // A button the card is about to hide would hand the focus on to the next control, a settings box, which would
    // then take the digits and spaces meant for the review.
    const QWidget* focus = focusWidget();
    if (focus && focus != this && ui->Pages->isAncestorOf(focus))
        setFocus();
}

QString TStudyForm::spokenIntervals() const
{
    if (!session_ || !current_)
        return {};
    QStringList intervals;
    const auto outcomes = session_->preview(*current_);
    for (std::size_t i = 0; i < outcomes.size(); ++i)
        intervals.append(QStringLiteral("%1 %2").arg(
            QLatin1String(studytexts::kGradeNames[i]), studytexts::spokenInterval(outcomes[i].label)));
    return intervals.join(QStringLiteral(", "));
}

QString TStudyForm::answerSpoken() const
{
    QString answer = ui->BackText->text();
    if (!ui->FrequencyText->text().isEmpty())
        answer += QStringLiteral(". ") + ui->FrequencyText->text();
    return answer + QStringLiteral(". ") + spokenIntervals();
}

void TStudyForm::sayAgain()
{
    if (ui->Pages->currentWidget() == ui->DonePage) {
        announce(ui->SummaryText->text());
        return;
    }
    if (!current_)
        return;
    QString text = ui->FrontText->text();
    if (revealed_)
        text += QStringLiteral(": ") + answerSpoken();
    announce(text + QStringLiteral(". ") + ui->CountsText->text());
}
