// The import window over the main window: each sample file with its guessed layout, mapping, preview and plan; a
// changed mapping; imports into the open set and into a new set; refused files and cancels, which leave every set
// as it was; and a window that a screen reader can read and the keyboard can work.
#include "filedialogs.h"
#include "qcardunt.h"
#include "table.h"
#include "tform1.h"
#include "timportform.h"
#include "ui_tform1.h"
#include "ui_timportform.h"
#include "windowtest.h"
#include "workprogress.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>

#include <filesystem>
#include <set>

using namespace windowtest;
using karte::FileDialog;
using karte::WorkProgress;

namespace {

std::string sample(const std::string& name)
{
    return std::string(KARTE_INTERCHANGE_DATA) + "/" + name;
}

// The English sides of the set at path, in its own order.
QStringList englishIn(const std::string& path)
{
    cardstore::Table table;
    table.setTableName(path);
    table.setReadOnly(true);
    table.open();
    QStringList english;
    for (table.first(); !table.eof(); table.next())
        english.append(QString::fromStdString(table.fieldText("English")));
    return english;
}

QStringList previewRow(Ui::TImportForm& w, int row)
{
    QStringList cells { w.PreviewTable->verticalHeaderItem(row)->text() };
    for (int c = 0; c < w.PreviewTable->columnCount(); ++c)
        cells.append(w.PreviewTable->item(row, c)->text());
    return cells;
}

void choose(QComboBox* box, int column)
{
    ASSERT_GE(box->findData(column), 0);
    box->setCurrentIndex(box->findData(column));
}

class ImportWindowTest : public MainWindowTest
{
protected:
    ImportWindowTest()
    {
        FileDialog::clearScript();
        formOn(threeCards());
        testsupport::makeCardSet(setPath, { { "word", "λόγος", 330 } });
    }
    ~ImportWindowTest() override
    {
        FileDialog::clearScript();
        WorkProgress::setStepObserver({});
    }

    void openUserSet() { form->openCardSet(QString::fromStdString(setPath)); }

    // Tools > Import Cards with the file dialog answered; the window it shows, or null.
    TImportForm* importFile(const std::string& file)
    {
        FileDialog::setNextFileName(QString::fromStdString(file));
        ui().ImportCards1->trigger();
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* importForm = qobject_cast<TImportForm*>(window); importForm && importForm->isVisible())
                return importForm;
        return nullptr;
    }

    std::string setPath = dataHome.file("mine.SDB");
    std::string newSetPath = dataHome.file("fresh.SDB");
};

TEST_F(ImportWindowTest, ShowsEachSampleWithItsGuessedLayoutMappingAndPlan)
{
    struct Case
    {
        const char* file;
        QStringList layout; // format, separator, header row, HTML
        QStringList columns; // Greek, English, Frequency
        QStringList firstRow;
        QString plan; // against the open set, which holds λόγος "word"
    };
    const std::vector<Case> cases {
        { "spreadsheet.csv", { "CSV", "Comma", "header row", "" },
            { "Greek (column 1)", "English (column 2)", "Frequency (column 3)" },
            { "Line 2", "λόγος", "word, message", "330", "" }, "6 cards to add" },
        { "words.tsv", { "TSV", "Tab", "", "" }, { "Column 2: λόγος", "Column 1: word", "Column 3: 330" },
            { "Line 1", "λόγος", "word", "330", "Duplicate, skipped" }, "3 cards to add, 1 duplicate skipped" },
        { "flashcards.txt", { "Flashcard text", "Tab", "", "HTML" },
            { "Front (column 3)", "Back (column 4)", "(none)" }, { "Line 7", "λόγος", "word, message saying", "", "" },
            "4 cards to add" },
    };
    openUserSet();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TImportForm* window = importFile(sample(c.file));
        ASSERT_NE(window, nullptr);
        Ui::TImportForm& w = formOf(*window);
        EXPECT_EQ((QStringList { w.FormatBox->currentText(), w.SeparatorBox->currentText(),
                      w.HeaderRowBox->isChecked() ? "header row" : "", w.HtmlBox->isChecked() ? "HTML" : "" }),
            c.layout);
        EXPECT_EQ((QStringList { w.GreekColumnBox->currentText(), w.EnglishColumnBox->currentText(),
                      w.FrequencyColumnBox->currentText() }),
            c.columns);
        EXPECT_EQ(previewRow(w, 0), c.firstRow);
        EXPECT_EQ(w.PlanLabel->text(), c.plan);
        EXPECT_TRUE(w.ImportButton->isEnabled() && w.ImportButton->isDefault());
        EXPECT_TRUE(w.IntoOpenSetButton->isChecked());
        EXPECT_FALSE(form->isEnabled());
        window->reject();
        EXPECT_TRUE(form->isEnabled());
    }
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(ImportWindowTest, ChangingTheMappingShowsThePreviewAndPlanAgain)
{
    openUserSet();
    Ui::TImportForm& w = formOf(*importFile(sample("words.tsv")));
    // The English words taken as the Greek side: no card of the file is the one the set holds.
    choose(w.GreekColumnBox, 0);
    choose(w.EnglishColumnBox, 1);
    EXPECT_EQ(previewRow(w, 0), (QStringList { "Line 1", "word", "λόγος", "330", "" }));
    EXPECT_EQ(w.PlanLabel->text(), "4 cards to add");
    choose(w.FrequencyColumnBox, -1);
    EXPECT_EQ(previewRow(w, 2), (QStringList { "Line 3", "love", "ἀγάπη", "", "" }));
    // Both sides from one column make no cards: the preview is empty and the sentence says why.
    choose(w.EnglishColumnBox, 0);
    EXPECT_EQ(w.PreviewTable->rowCount(), 0);
    EXPECT_TRUE(w.PlanLabel->text().contains("a different column")) << w.PlanLabel->text().toStdString();
}

TEST_F(ImportWindowTest, ImportIntoTheOpenSetAddsTheCardsAndRefillsTheWordList)
{
    openUserSet();
    TImportForm* window = importFile(sample("words.tsv"));
    // Return presses the default button, Import.
    QTest::keyClick(formOf(*window).PreviewTable, Qt::Key_Return);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(form->isEnabled());
    const QStringList cards { "and", "love", "spirit", "word" };
    EXPECT_EQ(englishIn(setPath), cards);
    EXPECT_EQ(ui().FrequencyComboBox->entries(), cards);
    EXPECT_EQ(form->FrequencyTable.tableName(), setPath);
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(ImportWindowTest, ImportIntoANewSetMakesItAndOpensIt)
{
    // The built-in set is open, and takes no cards.
    TImportForm* window = importFile(sample("spreadsheet.csv"));
    Ui::TImportForm& w = formOf(*window);
    EXPECT_FALSE(w.IntoOpenSetButton->isEnabled());
    EXPECT_TRUE(w.IntoNewSetButton->isChecked());
    FileDialog::setNextFileName(QString::fromStdString(newSetPath));
    w.ImportButton->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(form->FrequencyTable.tableName(), newSetPath);
    EXPECT_EQ(form->windowTitle().toStdString(), newSetPath);
    EXPECT_EQ(ui().FrequencyComboBox->entries(), englishIn(newSetPath));
    EXPECT_EQ(englishIn(newSetPath).size(), 6);
}

TEST_F(ImportWindowTest, RefusedFileShowsWhyAndLeavesTheSetAsItWas)
{
    std::string goodLines = "Greek,English\n";
    for (int i = 0; i < 60; ++i)
        goodLines += "λόγος" + std::to_string(i) + ",word " + std::to_string(i) + "\n";
    struct Case
    {
        const char* name;
        std::string bytes;
        bool readOnlySet;
        bool windowShows; // a fault in the first records read with the guessed layout keeps the window from showing
        QString message;
        QStringList shown; // the refused record's row as the preview shows it: the line as written, what is wrong
    };
    const std::vector<Case> cases {
        { "unclosed quote", "Greek,English\nκαί,and\nλόγος,\"word\n", false, false,
            "Line 3 of bad.csv: a quoted value is not closed", {} },
        { "too many columns in the first records", "Greek,English\nκαί,and\nλόγος,word,330\nθεός,God\n", false, true,
            "Line 3 of bad.csv: the record has 3 columns",
            { "Line 3", "λόγος,word,330", "The record has 3 columns where the file has 2" } },
        { "not UTF-8 further down", goodLines + "θεός,caf\xE9\n", false, true, "Line 62 of bad.csv",
            { "Line 62", "θεός,caf\uFFFD", "The text is not valid UTF-8 (save the file as UTF-8 to import it)" } },
        { "read-only set", goodLines, true, true, "The card set mine.SDB is read-only", {} },
    };
    const std::string file = dataHome.file("bad.csv");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::writeBytes(file, c.bytes);
        std::filesystem::permissions(setPath, std::filesystem::perms::owner_write,
            c.readOnlySet ? std::filesystem::perm_options::remove : std::filesystem::perm_options::add);
        openUserSet();
        const std::string before = testsupport::readBytes(setPath);
        messages.clear();
        TImportForm* window = importFile(file);
        ASSERT_EQ(window != nullptr, c.windowShows);
        if (window) {
            Ui::TImportForm& w = formOf(*window);
            EXPECT_TRUE(w.PlanLabel->text().contains(c.message)) << w.PlanLabel->text().toStdString();
            // Nothing can be imported, and Return does not try.
            EXPECT_FALSE(w.ImportButton->isEnabled());
            EXPECT_FALSE(w.ImportButton->isDefault());
            QTest::keyClick(w.PreviewTable, Qt::Key_Return);
            EXPECT_TRUE(window->isVisible());
            EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
            if (!c.shown.isEmpty()) {
                const QList<QTableWidgetItem*> selected = w.PreviewTable->selectedItems();
                ASSERT_FALSE(selected.isEmpty());
                const int row = selected.front()->row();
                EXPECT_EQ((QStringList { w.PreviewTable->verticalHeaderItem(row)->text(),
                              w.PreviewTable->item(row, 0)->text(), w.PreviewTable->item(row, 3)->text() }),
                    c.shown);
                EXPECT_EQ(w.PreviewTable->columnSpan(row, 0), 3);
            }
            window->reject();
        } else {
            ASSERT_EQ(messages.texts().size(), 1);
            EXPECT_TRUE(messages.texts().front().contains(c.message)) << messages.texts().front().toStdString();
        }
        EXPECT_TRUE(form->isEnabled());
        EXPECT_TRUE(testsupport::readBytes(setPath) == before);
    }
}

TEST_F(ImportWindowTest, CancelLeavesEverySetAsItWas)
{
    for (bool intoNewSet : { false, true }) {
        SCOPED_TRACE(intoNewSet ? "into a new set" : "into the open set");
        openUserSet();
        const std::string before = testsupport::readBytes(setPath);
        TImportForm* window = importFile(sample("spreadsheet.csv"));
        Ui::TImportForm& w = formOf(*window);
        // Cancelled while the plan is worked out again, the sentence says so.
        WorkProgress::setStepObserver([](QProgressDialog& progress, interchange::Phase phase) {
            if (phase == interchange::Phase::Reading)
                progress.cancel();
        });
        (intoNewSet ? static_cast<QAbstractButton*>(w.IntoNewSetButton) : w.KeepDuplicatesBox)->click();
        EXPECT_TRUE(w.PlanLabel->text().contains("cancelled")) << w.PlanLabel->text().toStdString();
        // Cancelled while the cards are written, nothing of them is left.
        WorkProgress::setStepObserver([](QProgressDialog& progress, interchange::Phase phase) {
            if (phase == interchange::Phase::Writing)
                progress.cancel();
        });
        FileDialog::setNextFileName(QString::fromStdString(newSetPath));
        w.ImportButton->click();
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(testsupport::readBytes(setPath) == before);
        EXPECT_FALSE(std::filesystem::exists(newSetPath));
        EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
        window->reject();
        WorkProgress::setStepObserver({});
        FileDialog::clearScript();
    }
}

TEST_F(ImportWindowTest, EveryControlIsNamedAndReachedFromTheKeyboard)
{
    openUserSet();
    TImportForm* window = importFile(sample("words.tsv"));
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    Ui::TImportForm& w = formOf(*window);
    std::set<QWidget*> controls;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        // The combo boxes' lists are windows of their own, read as their boxes.
        if (!(control->focusPolicy() & Qt::TabFocus) || control->window() != window)
            continue;
        QAccessibleInterface* readable = QAccessible::queryAccessibleInterface(control);
        EXPECT_FALSE(readable->text(QAccessible::Name).isEmpty()) << control->objectName().toStdString();
        EXPECT_FALSE(readable->text(QAccessible::Description).isEmpty()) << control->objectName().toStdString();
        // Of the two choices of set, Tab goes to the one chosen.
        if (control != w.IntoNewSetButton)
            controls.insert(control);
    }
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->text().contains('&')) {
            EXPECT_NE(label->buddy(), nullptr) << label->objectName().toStdString();
        }
    }
    std::set<QWidget*> reached;
    for (std::size_t i = 0; i < 2 * controls.size(); ++i) {
        reached.insert(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(reached, controls);
    // An arrow key moves to the other choice, and the plan follows it: no card of a new set is a duplicate.
    w.IntoOpenSetButton->setFocus();
    QTest::keyClick(w.IntoOpenSetButton, Qt::Key_Down);
    EXPECT_TRUE(w.IntoNewSetButton->isChecked());
    EXPECT_EQ(w.PlanLabel->text(), "4 cards to add");
}

} // namespace
