#include "errorbox.h"
#include "reading.h"
#include "treaderform.h"
#include "ui_treaderform.h"

#include <QKeySequence>
#include <QShortcut>

#include <algorithm>
#include <iterator>

// The window's keys. The arrows, Home and End choose words in the text (see eventFilter); the commands on buttons
// take their Alt keys from their captions; the rest are here, working anywhere in the window.

void TReaderForm::wireKeys()
{
    using karte::connectGuarded;
    const std::pair<QKeySequence, void (TReaderForm::*)()> keys[] = {
        { QKeySequence(Qt::Key_PageUp), &TReaderForm::previousChapter },
        { QKeySequence(Qt::Key_PageDown), &TReaderForm::nextChapter },
        { QKeySequence(Qt::CTRL | Qt::Key_G), &TReaderForm::askReference },
        { QKeySequence(Qt::CTRL | Qt::Key_I), &TReaderForm::sayPanel },
        { QKeySequence(Qt::CTRL | Qt::Key_R), &TReaderForm::readWordAloud },
        { QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), &TReaderForm::readVerseAloud },
        { QKeySequence(Qt::Key_Escape), &TReaderForm::escape },
    };
    for (const auto& [sequence, command] : keys)
        connectGuarded(
            new QShortcut(sequence, this), &QShortcut::activated, this, [this, command] { (this->*command)(); });
}

void TReaderForm::previousChapter()
{
    if (chapter_ > 0)
        openChapter(chapter_ - 1);
}

void TReaderForm::nextChapter()
{
    if (chapter_ >= 0 && chapter_ + 1 < reading_->chapterCount())
        openChapter(chapter_ + 1);
}

void TReaderForm::askReference()
{
    if (!ui->ReferenceBox->isEnabled())
        return;
    ui->Pages->setCurrentWidget(ui->ReadingPage);
    ui->ReferenceBox->setFocus(Qt::ShortcutFocusReason);
    ui->ReferenceBox->selectAll();
}

void TReaderForm::escape()
{
    // Esc leaves what it can before it closes the window: a box above the text (what was typed there and not taken is
    // put back, and the keys go back to the text), the list of chapters, the PDF's choices.
    const QWidget* boxes[] = { ui->BookBox, ui->ChapterBox, ui->ReferenceBox, ui->GlossBox, ui->RarerBox };
    const QWidget* focused = focusWidget();
    const bool inBox = focused && std::any_of(std::begin(boxes), std::end(boxes), [focused](const QWidget* box) {
        return box == focused || box->isAncestorOf(focused);
    });
    if (inBox && ui->Pages->currentWidget() == ui->ReadingPage && chapter_ >= 0) {
        ui->ReferenceBox->clear();
        showChapterNumber();
        showGlossChoice();
        ui->ChapterView->setFocus();
    } else if (ui->Pages->currentWidget() != ui->ReadingPage && chapter_ >= 0) {
        showReading();
    } else {
        close();
    }
}
