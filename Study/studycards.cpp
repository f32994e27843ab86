#include "errors.h"
#include "readablecolours.h"
#include "spelling.h"
#include "studysession.h"
#include "studytexts.h"
#include "table.h"
#include "tdatasource.h"
#include "text.h"
#include "tstudyform.h"
#include "ui_tstudyform.h"

// The card on show: one side first, then the answer with the word's verses and forms, then the four grades.

namespace {

// The verses' references, quieter than the verses; made readable where the user wants readable colours.
const QColor kReferenceGrey(0x55, 0x55, 0x55);

} // namespace

void TStudyForm::showCurrent()
{
    if (!session_)
        return;
    dueTimer_.stop();
    if (const std::optional<learning::QueueItem> next = session_->next())
        showCard(next->key, false);
    else
        showDone();
}

void TStudyForm::showCard(std::int64_t key, bool outOfTurn, const QString& saidFirst)
{
    const learning::StudyCard* card = session_->card(key);
    if (!card)
        return;
    keepFocusOnReview();
    current_ = key;
    outOfTurn_ = outOfTurn;
    revealed_ = false;
    const bool greekFirst = session_->settings().firstSide == learning::FirstSide::Greek;
    ui->FrontText->setFont(greekFirst ? ui->FrontText->property("greekFont").value<QFont>() : ui->BackText->font());
    ui->BackText->setFont(
        greekFirst ? QFont(ui->BackText->font()) : ui->FrontText->property("greekFont").value<QFont>());
    ui->FrontText->setText(QString::fromStdString(greekFirst ? card->greek : card->english));
    ui->BackText->setText(QString::fromStdString(greekFirst ? card->english : card->greek));
    ui->FrequencyText->setText(card->frequency.empty()
            ? QString()
            : QStringLiteral("Frequency: %1").arg(QString::fromStdString(card->frequency)));
    const nttext::Text* text = nullptr;
    if (card->lemma >= 0)
        text = newTestamentText();
    const nttext::Study* study = text ? text->study(card->lemma) : nullptr;
    // A card that names its lemma through a form (δεῖ, filed under δέω) says whose verses and forms it shows.
    const QString note = study && card->lemmaThroughForm
        ? studytexts::formNote(
            QString::fromStdString(nttext::lemmaKey(card->greek)), QString::fromStdString(text->lemma(card->lemma)))
        : QString();
    ui->ContextView->setHtml((text ? studytexts::lemmaHtml(*text, card->lemma) : QString())
        + (study ? studytexts::contextHtml(
               *study, karte::readableTextColour(kReferenceGrey, ui->ContextView->palette()), note)
                 : QString()));
    for (QWidget* answer : { static_cast<QWidget*>(ui->BackText), static_cast<QWidget*>(ui->FrequencyText),
             static_cast<QWidget*>(ui->ContextView) })
        answer->setVisible(false);
    for (QPushButton* button : { ui->AgainButton, ui->HardButton, ui->GoodButton, ui->EasyButton })
        button->setVisible(false);
    ui->ShowAnswerButton->setVisible(true);
    ui->Pages->setCurrentWidget(ui->CardPage);
    onShow_.start();
    showCounts();
    if (outOfTurn)
        ui->CountsText->setText(ui->CountsText->text() + QStringLiteral(" · Reviewing a card out of turn"));
    // A screen reader says the side that came up, and how much is left.
    announce((saidFirst.isEmpty() ? QString() : saidFirst + QStringLiteral(": ")) + ui->FrontText->text()
        + QStringLiteral(". ") + ui->CountsText->text());
    if (greekFirst)
        greekSideShown();
}

void TStudyForm::ShowAnswerClick(QObject* /*sender*/)
{
    reveal();
}

void TStudyForm::reveal()
{
    if (!current_ || revealed_)
        return;
    revealed_ = true;
    keepFocusOnReview();
    ui->BackText->setVisible(true);
    ui->FrequencyText->setVisible(!ui->FrequencyText->text().isEmpty());
    ui->ContextView->setVisible(!ui->ContextView->toPlainText().isEmpty());
    ui->ShowAnswerButton->setVisible(false);
    const auto outcomes = session_->preview(*current_);
    QPushButton* buttons[] = { ui->AgainButton, ui->HardButton, ui->GoodButton, ui->EasyButton };
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        const QString name = QString::fromLatin1(studytexts::kGradeNames[i]);
        buttons[i]->setText(
            QStringLiteral("%1 &%2\n%3").arg(name).arg(i + 1).arg(QString::fromStdString(outcomes[i].label)));
        buttons[i]->setAccessibleName(
            QStringLiteral("%1, next in %2").arg(name, studytexts::spokenInterval(outcomes[i].label)));
        buttons[i]->setVisible(true);
    }
    // The intervals are said with the answer, as the buttons show them.
    announce(answerSpoken());
    if (session_->settings().firstSide == learning::FirstSide::English)
        greekSideShown();
}

void TStudyForm::primaryAction()
{
    // Enter in the search reviews the card found.
    if (ui->SearchBox->hasFocus() || ui->SearchResults->hasFocus()) {
        openFoundCard();
        return;
    }
    if (!current_)
        return;
    if (!revealed_)
        reveal();
    else
        grade(learning::Grade::Good);
}

void TStudyForm::grade(learning::Grade grade)
{
    if (!current_ || !revealed_)
        return;
    cardGone_.clear();
    try {
        session_->answer(*current_, grade, onShow_.elapsed());
    } catch (const cardstore::DatabaseError& error) {
        if (error.code() != cardstore::status::kRecordDeleted)
            throw;
        // Another program deleted the card, which has left the study. The set is read again, so that it does not
        // come back when the window opens again, and the study goes on with the next card.
        cardGone_ = QString::fromUtf8(error.what());
        source_->dataSet()->refresh();
    }
    showNote();
    showCurrent();
}

void TStudyForm::undoAnswer()
{
    if (!session_ || !session_->canUndo())
        return;
    const std::optional<learning::Answer> undone = session_->undo();
    showNote();
    // The card answered last comes up again, whether the queue would give it now or not.
    if (undone)
        showCard(undone->key, false, QStringLiteral("Answer taken back"));
}

void TStudyForm::studyMoreNewCards()
{
    if (!session_)
        return;
    session_->allowExtraNewCards(std::max(session_->settings().dailyNewCards, 1));
    showCurrent();
}

void TStudyForm::showCounts()
{
    if (session_)
        ui->CountsText->setText(studytexts::countsText(session_->counts()));
}

void TStudyForm::showDone()
{
    keepFocusOnReview();
    current_.reset();
    revealed_ = false;
    const std::int64_t now = clock().nowMs();
    const std::optional<std::int64_t> nextDue = session_->nextDueMs();
    ui->SummaryText->setText(studytexts::summaryText(session_->today(), nextDue, now));
    // More new cards only by asking: the day's limit is reached and the set has new cards left.
    ui->MoreNewButton->setVisible(session_->counts().newCards == 0 && session_->progress().newCards > 0);
    ui->Pages->setCurrentWidget(ui->DonePage);
    showCounts();
    announce(ui->SummaryText->text());
    // A learning card falling due within the next hours brings the window back to it by itself.
    if (nextDue && *nextDue > now && *nextDue - now < 6 * 60 * 60 * 1000)
        dueTimer_.start(static_cast<int>(*nextDue - now) + 500);
}
