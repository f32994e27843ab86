#include "books.h"
#include "progresstext.h"
#include "readablecolours.h"
#include "readertexts.h"
#include "reading.h"
#include "readingcards.h"
#include "table.h"
#include "tdatasource.h"
#include "text.h"
#include "treaderform.h"
#include "ui_treaderform.h"

#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextDocument>

// The chapter on show: the choice of book and chapter, the running text with its glossed words marked, the glosses
// under it, and how much of it the learner knows.

namespace {

// Inks for an ordinary light page; a dark or high-contrast desktop gets them lightened or darkened until they read.
const QColor kGlossedColour(0x1a, 0x4f, 0x9c);
// Dark enough for 4.5:1 on white: small raised numbers are the first to fade.
const QColor kVerseNumberColour(0x6e, 0x6e, 0x6e);

} // namespace

void TReaderForm::fillBooks()
{
    const QSignalBlocker quiet(ui->BookBox);
    ui->BookBox->clear();
    for (const nttext::BookName& book : nttext::bookNames())
        ui->BookBox->addItem(QString::fromUtf8(book.name.data(), static_cast<qsizetype>(book.name.size())));
}

void TReaderForm::showChapterNumber()
{
    const nttext::Chapter& shown = reading_->chapter(chapter_);
    const QSignalBlocker quietBook(ui->BookBox);
    const QSignalBlocker quietChapter(ui->ChapterBox);
    ui->BookBox->setCurrentIndex(shown.book);
    ui->ChapterBox->setRange(1, reading_->bookChapters(shown.book).second);
    ui->ChapterBox->setValue(shown.number);
}

void TReaderForm::bookChosen()
{
    if (!reading_)
        return;
    const auto [first, count] = reading_->bookChapters(ui->BookBox->currentIndex());
    if (count > 0)
        openChapter(first);
}

void TReaderForm::chapterNumberChosen()
{
    if (!reading_ || chapter_ < 0)
        return;
    const std::optional<int> chosen = reading_->findChapter(reading_->chapter(chapter_).book, ui->ChapterBox->value());
    if (chosen && *chosen != chapter_)
        openChapter(*chosen);
}

void TReaderForm::goToReference()
{
    if (!reading_)
        return;
    const nttext::ReferenceResult found = reading_->findReference(ui->ReferenceBox->text().trimmed().toStdString());
    if (!found.place) {
        // What could not be read is said, and stays in the box to be mended.
        const QString why = QString::fromStdString(found.error);
        ui->ReferenceBox->setToolTip(why);
        announce(why);
        ui->NoteText->setText(why);
        ui->NoteText->show();
        return;
    }
    ui->ReferenceBox->clear();
    ui->ReferenceBox->setToolTip(QString());
    showNotes();
    openChapter(found.place->chapter, found.place->verse);
    ui->ChapterView->setFocus();
}

void TReaderForm::showGlossChoice()
{
    const learning::GlossRule rule = learning::glossRuleOf(state_);
    const QSignalBlocker quietMode(ui->GlossBox);
    const QSignalBlocker quietCount(ui->RarerBox);
    ui->GlossBox->setCurrentIndex(static_cast<int>(rule.mode));
    ui->RarerBox->setValue(rule.rarerThan);
    ui->RarerBox->setEnabled(rule.mode == learning::GlossMode::RarerThan);
}

void TReaderForm::glossesChanged()
{
    if (!reading_ || chapter_ < 0)
        return;
    const auto glosses = static_cast<cardstore::ReadingGlosses>(ui->GlossBox->currentIndex());
    const int rarerThan = ui->RarerBox->value();
    const learning::GlossRule before = learning::glossRuleOf(state_);
    if (static_cast<int>(before.mode) == static_cast<int>(glosses) && before.rarerThan == rarerThan)
        return;
    state_.glosses = glosses;
    state_.rarerThan = rarerThan;
    ui->RarerBox->setEnabled(glosses == cardstore::ReadingGlosses::RarerThan);
    // The choice is the set's: kept at once, where the set can keep it.
    cardstore::Table& table = *source_->dataSet();
    if (stateReadable_ && table.reading().canSave())
        table.reading().setGlosses(glosses, rarerThan);
    const int word = chosen_;
    openChapter(chapter_);
    chooseWord(word);
}

void TReaderForm::openChapter(int chapter, int verse)
{
    if (!reading_ || chapter < 0 || chapter >= reading_->chapterCount())
        return;
    chapter_ = chapter;
    showChapterNumber();
    glosses_ = learning::chapterGlosses(*reading_, *text(), chapter, knowledge_, learning::glossRuleOf(state_));
    layOutChapter();
    showFootnotes();
    showCoverage();
    const nttext::Chapter& shown = reading_->chapter(chapter);
    int word = shown.firstWord;
    for (const nttext::ChapterVerse& each : reading_->verses(chapter))
        if (verse > 0 && each.number == verse)
            word = each.firstWord;
    chosen_ = word;
    showWord(false);
    if (verse <= 0)
        ui->ChapterView->verticalScrollBar()->setValue(0);
}

void TReaderForm::layOutChapter()
{
    auto* document = new QTextDocument(ui->ChapterView);
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(ui->ChapterView->font());
    document->setDocumentMargin(12);
    QTextCursor cursor(document);
    QTextBlockFormat block;
    block.setLineHeight(150, QTextBlockFormat::ProportionalHeight);
    cursor.setBlockFormat(block);
    const QColor glossed = karte::readableTextColour(kGlossedColour, palette());
    readertexts::ChapterFormats formats;
    formats.glossed.setForeground(glossed);
    formats.glossed.setUnderlineStyle(QTextCharFormat::DotLine);
    formats.glossed.setUnderlineColor(glossed);
    formats.verseNumber.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    formats.verseNumber.setForeground(karte::readableTextColour(kVerseNumberColour, palette()));
    formats.verseNumber.setFontWeight(QFont::Bold);
    readertexts::WordPlaces places = readertexts::writeChapter(cursor, *reading_, chapter_, glosses_, formats);
    wordStarts_ = std::move(places.starts);
    wordLengths_ = std::move(places.lengths);
    // The view takes the new document and lets go of the last one, which it owned.
    ui->ChapterView->setDocument(document);
}

void TReaderForm::showFootnotes()
{
    auto* document = new QTextDocument(ui->FootnotesView);
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(ui->FootnotesView->font());
    QTextCursor cursor(document);
    footnoteStarts_.clear();
    footnoteStarts_.reserve(glosses_.footnotes.size());
    cursor.beginEditBlock();
    for (const learning::Footnote& footnote : glosses_.footnotes) {
        if (!footnoteStarts_.empty())
            cursor.insertBlock();
        footnoteStarts_.push_back(cursor.position());
        cursor.insertText(readertexts::footnoteLine(*reading_, *text(), footnote));
    }
    if (glosses_.footnotes.empty())
        cursor.insertText(learning::glossRuleOf(state_).mode == learning::GlossMode::None
                ? QStringLiteral("Glosses are off: choose which words to gloss above.")
                : QStringLiteral("No word of this chapter is glossed."));
    cursor.endEditBlock();
    ui->FootnotesView->setDocument(document);
}

void TReaderForm::showCoverage()
{
    const std::string name = reading_->chapterName(chapter_);
    QString sentence = QString::fromStdString(
        learning::chapterCoverageSentence(learning::chapterCoverage(*reading_, chapter_, knowledge_), name));
    ui->CoverageText->setText(isRead(chapter_) ? sentence + QStringLiteral(" You have marked it as read.") : sentence);
    // A screen reader says it as the chapter comes up.
    announce(ui->CoverageText->text());
}
