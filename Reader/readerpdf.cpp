#include "books.h"
#include "errors.h"
#include "filedialogs.h"
#include "readertexts.h"
#include "reading.h"
#include "readingcards.h"
#include "treaderform.h"
#include "ui_treaderform.h"

#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextDocument>

// A reader's edition of one's own: a chapter or several of a book saved as a PDF to print, each chapter's text with
// the glosses of the words not known yet under it, on A4 or Letter.

namespace {

QString utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void TReaderForm::showPdfChoices()
{
    if (!reading_ || chapter_ < 0)
        return;
    const nttext::Chapter& shown = reading_->chapter(chapter_);
    const int chapters = reading_->bookChapters(shown.book).second;
    const QString book = utf8(nttext::bookNames()[static_cast<std::size_t>(shown.book)].name);
    for (QSpinBox* box : { ui->PdfFromBox, ui->PdfToBox }) {
        box->setRange(1, chapters);
        box->setValue(shown.number);
        box->setPrefix(book + QLatin1Char(' '));
    }
    ui->Pages->setCurrentWidget(ui->PdfPage);
    ui->PdfFromBox->setFocus();
    ui->PdfFromBox->selectAll();
    announce(ui->PdfLabel->text());
}

void TReaderForm::savePdf()
{
    if (!reading_ || chapter_ < 0)
        return;
    const int book = reading_->chapter(chapter_).book;
    const int from = std::min(ui->PdfFromBox->value(), ui->PdfToBox->value());
    const int to = std::max(ui->PdfFromBox->value(), ui->PdfToBox->value());
    const std::optional<int> first = reading_->findChapter(book, from);
    const std::optional<int> last = reading_->findChapter(book, to);
    if (!first || !last)
        return;
    QString name = QString::fromStdString(reading_->chapterName(*first));
    if (*last != *first)
        name += QStringLiteral("-%1").arg(to);
    const QString folder = pdfDialog_->fileName().isEmpty() ? QString() : QFileInfo(pdfDialog_->fileName()).path();
    pdfDialog_->setFileName(
        folder.isEmpty() ? name + QStringLiteral(".pdf") : folder + QLatin1Char('/') + name + QStringLiteral(".pdf"));
    if (!pdfDialog_->execute(this))
        return;
    writePdf(pdfDialog_->fileName(), *first, *last, ui->PaperBox->currentIndex() == 1);
    added_ = QStringLiteral("Saved %1 as %2.").arg(name, QFileInfo(pdfDialog_->fileName()).fileName());
    showReading();
    showNotes();
    announce(added_);
}

void TReaderForm::writePdf(const QString& path, int first, int last, bool letter) const
{
    QTextDocument document;
    document.setUndoRedoEnabled(false);
    QFont face = ui->ChapterView->font();
    face.setPointSize(11);
    document.setDefaultFont(face);
    QTextCursor cursor(&document);

    QTextCharFormat heading;
    heading.setFontPointSize(15);
    heading.setFontWeight(QFont::Bold);
    QTextBlockFormat headingBlock;
    headingBlock.setBottomMargin(8);
    QTextBlockFormat textBlock;
    textBlock.setLineHeight(140, QTextBlockFormat::ProportionalHeight);
    textBlock.setAlignment(Qt::AlignJustify);
    QTextBlockFormat glossesBlock;
    glossesBlock.setTopMargin(10);
    QTextBlockFormat glossBlock;
    glossBlock.setLeftMargin(12);
    glossBlock.setTextIndent(-12);
    QTextCharFormat gloss;
    gloss.setFontPointSize(9);
    readertexts::ChapterFormats formats;
    formats.glossed.setUnderlineStyle(QTextCharFormat::DotLine);
    formats.verseNumber.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    formats.verseNumber.setFontWeight(QFont::Bold);

    // The glosses are those of the window: the words the set's progress says are not known yet, or the choice made.
    const learning::GlossRule rule = learning::glossRuleOf(state_);
    for (int chapter = first; chapter <= last; ++chapter) {
        if (chapter > first) {
            headingBlock.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            cursor.insertBlock(headingBlock);
        } else {
            cursor.setBlockFormat(headingBlock);
        }
        cursor.insertText(QString::fromStdString(reading_->chapterName(chapter)), heading);
        cursor.insertBlock(textBlock, QTextCharFormat());
        const learning::ChapterGlosses glosses
            = learning::chapterGlosses(*reading_, *text(), chapter, knowledge_, rule);
        readertexts::writeChapter(cursor, *reading_, chapter, glosses, formats);
        if (glosses.footnotes.empty())
            continue;
        cursor.insertBlock(glossesBlock, gloss);
        cursor.insertText(QStringLiteral("Glosses"), gloss);
        for (const learning::Footnote& footnote : glosses.footnotes) {
            cursor.insertBlock(glossBlock, gloss);
            cursor.insertText(readertexts::footnoteLine(*reading_, *text(), footnote), gloss);
        }
    }

    // Written beside the file and put in its place whole: a failed save leaves the file that was there.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw cardstore::Error(QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString()).toStdString());
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(letter ? QPageSize::Letter : QPageSize::A4));
        writer.setPageMargins(QMarginsF(20, 18, 20, 18), QPageLayout::Millimeter);
        writer.setTitle(QString::fromStdString(reading_->chapterName(first))
            + (last != first ? QStringLiteral(" to %1").arg(QString::fromStdString(reading_->chapterName(last)))
                             : QString()));
        writer.setCreator(QStringLiteral("Karte Cards"));
        document.print(&writer);
    }
    if (!file.commit())
        throw cardstore::Error(QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString()).toStdString());
}
