#include "cardsearch.h"
#include "reading.h"
#include "studysession.h"
#include "text.h"
#include "tstudyform.h"
#include "ui_tstudyform.h"

#include <QKeyEvent>
#include <QSignalBlocker>

#include <cmath>

// What the learner chooses: the words studied (all, or one book's), the side shown first, the day's new cards, the
// desired retention; and the search for a card to review out of turn.

namespace {

// A chapter prepared in the Reader is an entry of "Words:" of its own, after its book, with its number here.
constexpr int kChapterRole = Qt::UserRole + 1;

} // namespace

void TStudyForm::fillChoices()
{
    const QSignalBlocker quietBooks(ui->BookBox);
    ui->BookBox->clear();
    ui->BookBox->addItem(QStringLiteral("All words"), QString());
    if (const nttext::Text* text = newTestamentText())
        for (const nttext::Book& book : text->books())
            ui->BookBox->addItem(QString::fromStdString(book.name), QString::fromStdString(book.code));
    const learning::StudySettings& settings = session_->settings();
    int book = ui->BookBox->findData(QString::fromStdString(settings.book));
    if (const std::optional<int> chapter = session_->chapterIndex(); chapter && reading_ && book >= 0) {
        ++book;
        ui->BookBox->insertItem(
            book, QString::fromStdString(reading_->chapterName(*chapter)), QString::fromStdString(settings.book));
        ui->BookBox->setItemData(book, settings.chapter, kChapterRole);
    }
    ui->BookBox->setCurrentIndex(std::max(book, 0));

    const QSignalBlocker quietSide(ui->FirstSideBox);
    const QSignalBlocker quietNew(ui->NewCardsBox);
    const QSignalBlocker quietRetention(ui->RetentionBox);
    ui->FirstSideBox->setCurrentIndex(settings.firstSide == learning::FirstSide::Greek ? 0 : 1);
    ui->NewCardsBox->setValue(settings.dailyNewCards);
    ui->RetentionBox->setValue(static_cast<int>(std::lround(settings.desiredRetention * 100)));
    for (QWidget* control : { static_cast<QWidget*>(ui->BookBox), static_cast<QWidget*>(ui->SearchBox),
             static_cast<QWidget*>(ui->FirstSideBox), static_cast<QWidget*>(ui->NewCardsBox),
             static_cast<QWidget*>(ui->RetentionBox), static_cast<QWidget*>(ui->ReadAloudBox),
             static_cast<QWidget*>(ui->PronunciationBox), static_cast<QWidget*>(ui->SpeechSpeedBox) })
        control->setEnabled(true);
    ui->BookBox->setEnabled(ui->BookBox->count() > 1);
    fillSpeechChoices();
}

void TStudyForm::settingsChanged()
{
    if (!session_)
        return;
    learning::StudySettings settings = session_->settings();
    settings.firstSide
        = ui->FirstSideBox->currentIndex() == 1 ? learning::FirstSide::English : learning::FirstSide::Greek;
    settings.dailyNewCards = ui->NewCardsBox->value();
    settings.desiredRetention = ui->RetentionBox->value() / 100.0;
    if (settings.firstSide == session_->settings().firstSide
        && settings.dailyNewCards == session_->settings().dailyNewCards
        && settings.desiredRetention == session_->settings().desiredRetention)
        return;
    session_->changeSettings(settings);
    showCurrent();
}

void TStudyForm::bookChosen()
{
    if (!session_)
        return;
    learning::StudySettings settings = session_->settings();
    settings.book = ui->BookBox->currentData().toString().toStdString();
    settings.chapter = ui->BookBox->currentData(kChapterRole).toInt(); // 0: the whole book
    if (settings.book == session_->settings().book && settings.chapter == session_->settings().chapter)
        return;
    session_->changeSettings(settings);
    showCurrent();
}

void TStudyForm::findCard()
{
    if (!ui->SearchBox->isEnabled())
        return;
    ui->SearchBox->setFocus();
    ui->SearchBox->selectAll();
}

void TStudyForm::searchChanged()
{
    ui->SearchResults->clear();
    const QString query = ui->SearchBox->text().trimmed();
    if (!session_ || query.isEmpty()) {
        ui->SearchResults->hide();
        return;
    }
    // The index is made at the first search: most studies never search, and a big set takes a while to index.
    if (!search_) {
        std::vector<nttext::SearchCard> cards;
        for (const learning::StudyCard& card : session_->cards())
            cards.push_back({ std::to_string(card.key), card.greek, card.lemma });
        search_ = std::make_unique<nttext::CardSearch>(std::move(cards), newTestamentText());
    }
    for (const nttext::SearchHit& hit : search_->find(query.toStdString(), 10)) {
        const learning::StudyCard* found = session_->card(std::stoll(search_->card(hit.card).key));
        if (!found)
            continue;
        const learning::StudyCard& card = *found;
        auto* item = new QListWidgetItem(
            QStringLiteral("%1 — %2").arg(QString::fromStdString(card.greek), QString::fromStdString(card.english)));
        item->setData(Qt::UserRole, QVariant::fromValue<qint64>(card.key));
        ui->SearchResults->addItem(item);
    }
    ui->SearchResults->setVisible(ui->SearchResults->count() > 0);
    if (ui->SearchResults->count() > 0)
        ui->SearchResults->setCurrentRow(0);
}

void TStudyForm::openFoundCard()
{
    const QListWidgetItem* chosen = ui->SearchResults->currentItem();
    if (!session_ || !chosen)
        return;
    const std::int64_t key = chosen->data(Qt::UserRole).value<qint64>();
    closeSearch();
    showCard(key, true);
}

void TStudyForm::closeSearch()
{
    ui->SearchBox->clear();
    ui->SearchResults->clear();
    ui->SearchResults->hide();
    setFocus();
}

bool TStudyForm::eventFilter(QObject* watched, QEvent* event)
{
    if (takesReviewKey(watched, event))
        return true;
    // Enter in a number box commits the number, as in any dialog, rather than answering the card.
    if ((watched == ui->NewCardsBox || watched == ui->RetentionBox) && event->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            event->accept();
            return true;
        }
    }
    // The arrow keys walk the cards found while the typing stays in the search box.
    if (watched == ui->SearchBox && event->type() == QEvent::KeyPress && ui->SearchResults->count() > 0) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up) {
            const int row = ui->SearchResults->currentRow() + (key == Qt::Key_Down ? 1 : -1);
            ui->SearchResults->setCurrentRow(std::clamp(row, 0, ui->SearchResults->count() - 1));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
