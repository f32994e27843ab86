#include "clock.h"
#include "errorbox.h"
#include "readertexts.h"
#include "reading.h"
#include "text.h"
#include "treaderform.h"
#include "ui_treaderform.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>
#include <functional>

// The word chosen: moved word by word or verse by verse with the keys, or chosen with the mouse; marked in the text,
// its gloss marked under it, and told in the panel. A screen reader says each word as it is chosen, with its gloss
// when it is glossed, a verse whole as Up and Down reach it, and the panel on demand.

namespace {

QString utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void TReaderForm::chooseWord(int word)
{
    if (!reading_ || chapter_ < 0)
        return;
    const nttext::Chapter& shown = reading_->chapter(chapter_);
    chosen_ = std::clamp(word, shown.firstWord, shown.firstWord + shown.words - 1);
    showWord(true);
}

void TReaderForm::moveWord(int step)
{
    if (chosen_ < 0)
        return;
    const int verseBefore = reading_->verseOfWord(chapter_, chosen_);
    const nttext::Chapter& shown = reading_->chapter(chapter_);
    const int word = std::clamp(chosen_ + step, shown.firstWord, shown.firstWord + shown.words - 1);
    if (word == chosen_)
        return;
    chosen_ = word;
    showWord(false);
    // The verse is named as the words cross into it.
    const int verse = reading_->verseOfWord(chapter_, chosen_);
    QString said = wordSaid();
    if (verse != verseBefore)
        said = QStringLiteral("Verse %1. %2")
                   .arg(reading_->verses(chapter_)[static_cast<std::size_t>(verse)].number)
                   .arg(said);
    announce(said);
}

void TReaderForm::moveVerse(int step)
{
    if (chosen_ < 0)
        return;
    const std::span<const nttext::ChapterVerse> verses = reading_->verses(chapter_);
    const int verse = reading_->verseOfWord(chapter_, chosen_) + step;
    if (verse < 0 || verse >= static_cast<int>(verses.size()))
        return;
    chosen_ = verses[static_cast<std::size_t>(verse)].firstWord;
    showWord(false);
    announce(verseText(verse));
}

void TReaderForm::verseEdge(bool end)
{
    if (chosen_ < 0)
        return;
    const nttext::ChapterVerse& verse
        = reading_->verses(chapter_)[static_cast<std::size_t>(reading_->verseOfWord(chapter_, chosen_))];
    chooseWord(end ? verse.firstWord + verse.words - 1 : verse.firstWord);
}

QString TReaderForm::verseText(int verseIndex) const
{
    const nttext::ChapterVerse& verse = reading_->verses(chapter_)[static_cast<std::size_t>(verseIndex)];
    QStringList words;
    words.reserve(verse.words);
    for (int word = verse.firstWord; word < verse.firstWord + verse.words; ++word)
        words.append(utf8(reading_->printed(reading_->word(word))));
    return QStringLiteral("Verse %1. %2").arg(verse.number).arg(words.join(QLatin1Char(' ')));
}

QString TReaderForm::wordSaid() const
{
    const int place = chosen_ - reading_->chapter(chapter_).firstWord;
    const nttext::TextWord& word = reading_->word(chosen_);
    const QString form = utf8(reading_->form(word));
    if (glosses_.footnoteOfWord[static_cast<std::size_t>(place)] < 0)
        return form;
    return QStringLiteral("%1: %2").arg(form, QString::fromStdString(text()->gloss(word.lemma)));
}

void TReaderForm::showWord(bool announceIt)
{
    const int place = chosen_ - reading_->chapter(chapter_).firstWord;
    const int start = wordStarts_[static_cast<std::size_t>(place)];
    const int length = wordLengths_[static_cast<std::size_t>(place)];
    QTextEdit::ExtraSelection chosen;
    chosen.cursor = QTextCursor(ui->ChapterView->document());
    chosen.cursor.setPosition(start);
    chosen.cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    chosen.format.setBackground(palette().highlight());
    chosen.format.setForeground(palette().highlightedText());
    ui->ChapterView->setExtraSelections({ chosen });
    scrollTo(ui->ChapterView, start, length);
    highlightFootnote(glosses_.footnoteOfWord[static_cast<std::size_t>(place)]);

    const nttext::TextWord& word = reading_->word(chosen_);
    const nttext::Text& words = *text();
    ui->WordForm->setText(utf8(reading_->form(word)));
    const QStringList lines {
        readertexts::lexicalLine(words, word.lemma),
        QString::fromStdString(words.parse(word.parse).words),
        readertexts::countsLine(words, word.lemma, reading_->chapter(chapter_).book),
        readertexts::progressLine(
            knowledge_.progress(word.lemma), clock().nowMs(), clock().utcOffsetSeconds(clock().nowMs())),
    };
    ui->WordText->setText(lines.join(QLatin1Char('\n')));
    ui->WordText->setAccessibleName(panelText());
    if (announceIt)
        announce(wordSaid());
}

QString TReaderForm::panelText() const
{
    QStringList parts { ui->WordForm->text() };
    parts.append(ui->WordText->text().split(QLatin1Char('\n')));
    return parts.join(QStringLiteral(". "));
}

void TReaderForm::sayPanel()
{
    if (chosen_ >= 0)
        announce(panelText());
}

void TReaderForm::scrollTo(QTextEdit* view, int position, int length)
{
    // The view is scrolled by hand: moving its text cursor would have a screen reader read the line it lands on.
    QTextCursor cursor(view->document());
    cursor.setPosition(position);
    QRect shown = view->cursorRect(cursor);
    cursor.setPosition(position + length);
    shown = shown.united(view->cursorRect(cursor));
    const int height = view->viewport()->height();
    QScrollBar* bar = view->verticalScrollBar();
    const int margin = shown.height();
    if (shown.top() < 0)
        bar->setValue(bar->value() + shown.top() - margin);
    else if (shown.bottom() > height)
        bar->setValue(bar->value() + shown.bottom() - height + margin);
}

void TReaderForm::highlightFootnote(int footnote)
{
    if (footnote < 0 || static_cast<std::size_t>(footnote) >= footnoteStarts_.size()) {
        ui->FootnotesView->setExtraSelections({});
        return;
    }
    QTextEdit::ExtraSelection line;
    line.cursor = QTextCursor(ui->FootnotesView->document());
    line.cursor.setPosition(footnoteStarts_[static_cast<std::size_t>(footnote)]);
    line.format.setProperty(QTextFormat::FullWidthSelection, true);
    QColor tint = palette().color(QPalette::Highlight);
    tint.setAlpha(60);
    line.format.setBackground(tint);
    ui->FootnotesView->setExtraSelections({ line });
    const QTextBlock block = line.cursor.block();
    scrollTo(ui->FootnotesView, block.position(), block.length() - 1);
}

int TReaderForm::wordAtPosition(int position) const
{
    const auto after = std::upper_bound(wordStarts_.begin(), wordStarts_.end(), position);
    return static_cast<int>(std::max<std::ptrdiff_t>(after - wordStarts_.begin() - 1, 0));
}

bool TReaderForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->ChapterView->viewport() && event->type() == QEvent::MouseButtonPress && chapter_ >= 0) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::LeftButton) {
            const int position = ui->ChapterView->cursorForPosition(press->position().toPoint()).position();
            ui->ChapterView->setFocus(Qt::MouseFocusReason);
            karte::guarded([&] { chooseWord(reading_->chapter(chapter_).firstWord + wordAtPosition(position)); });
            return true;
        }
    }
    if (watched == ui->ChapterView && event->type() == QEvent::KeyPress && chapter_ >= 0) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool control = key->modifiers() & Qt::ControlModifier;
        std::function<void()> command;
        switch (key->key()) {
        case Qt::Key_Left:
            command = [this] { moveWord(-1); };
            break;
        case Qt::Key_Right:
            command = [this] { moveWord(1); };
            break;
        case Qt::Key_Up:
            command = [this] { moveVerse(-1); };
            break;
        case Qt::Key_Down:
            command = [this] { moveVerse(1); };
            break;
        case Qt::Key_Home:
            command
                = [this, control] { control ? chooseWord(reading_->chapter(chapter_).firstWord) : verseEdge(false); };
            break;
        case Qt::Key_End:
            command = [this, control] {
                const nttext::Chapter& shown = reading_->chapter(chapter_);
                control ? chooseWord(shown.firstWord + shown.words - 1) : verseEdge(true);
            };
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            command = [this] { sayPanel(); };
            break;
        default:
            break;
        }
        if (command) {
            karte::guarded(command);
            return true;
        }
    }
    // Enter in the PDF's choices saves, as in a dialog; its two buttons take Enter themselves.
    if (watched == ui->PdfPage && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            karte::guarded([this] { savePdf(); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
