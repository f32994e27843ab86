// A screen reader moving through the text boxes word by word and line by line: what it asks of each box's
// accessible text, at the start, in the middle and at the end of the text. Qt 6.4 answered "the word at the end"
// by looking for ever, which froze the program at the first Ctrl+Left or Ctrl+Right a screen reader followed.
#include "tdatasource.h"
#include "tfontform.h"
#include "tformqcustom.h"
#include "tpassworddialog.h"
#include "tstudyform.h"
#include "ui_tfontform.h"
#include "ui_tformqcustom.h"
#include "ui_tpassworddialog.h"
#include "ui_tstudyform.h"
#include "windowtest.h"

#include <QAccessible>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace windowtest;

namespace {

// The text boxes of the program's windows, each in its window.
struct Boxes
{
    TStudyForm study;
    TFormQCustom editor;
    TPasswordDialog password;
    TFontForm fontChooser;
    QFileDialog fileDialog { nullptr, QStringLiteral("Open") };
};

struct BoxCase
{
    const char* box;
    std::function<QLineEdit*(Boxes&)> find;
    QString text;
    // A place inside a word other than the first, and that word.
    int middle;
    QString middleWord;
};

struct Item
{
    QString text;
    int start;
    int end;
};

std::ostream& operator<<(std::ostream& out, const Item& item)
{
    return out << '"' << item.text.toStdString() << "\" [" << item.start << ", " << item.end << ')';
}

bool operator==(const Item& a, const Item& b)
{
    return a.text == b.text && a.start == b.start && a.end == b.end;
}

enum class Where { Before, At, After };

Item ask(QAccessibleTextInterface* text, Where where, int offset, QAccessible::TextBoundaryType boundary)
{
    Item item { {}, -1, -1 };
    switch (where) {
    case Where::Before:
        item.text = text->textBeforeOffset(offset, boundary, &item.start, &item.end);
        break;
    case Where::At:
        item.text = text->textAtOffset(offset, boundary, &item.start, &item.end);
        break;
    case Where::After:
        item.text = text->textAfterOffset(offset, boundary, &item.start, &item.end);
        break;
    }
    return item;
}

QLineEdit* fileNameBox(Boxes& boxes)
{
    boxes.fileDialog.setOption(QFileDialog::DontUseNativeDialog);
    return boxes.fileDialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

const BoxCase kBoxes[] = {
    { "the Study window's search", [](Boxes& b) { return formOf(b.study).SearchBox; }, "logos kai", 7, "kai" },
    { "the editor's word box", [](Boxes& b) { return formOf(b.editor).LanguageEdit; }, "λόγος, -ου, ὁ", 8, "ου" },
    { "the editor's English box", [](Boxes& b) { return formOf(b.editor).EnglishEdit; }, "and, even, also", 6, "even" },
    { "the editor's frequency box", [](Boxes& b) { return formOf(b.editor).FrequencyEdit; }, "19769", 0, "19769" },
    { "the font chooser's face", [](Boxes& b) { return formOf(b.fontChooser).FontName->lineEdit(); }, "Gentium Plus", 9,
        "Plus" },
    { "the font chooser's size", [](Boxes& b) { return formOf(b.fontChooser).FontSize->lineEdit(); }, "24", 1, "24" },
    { "a file dialog's name", fileNameBox, "chapter one.SDB", 9, "one" },
};

TEST(TextBoxReadingTest, WordsAndLinesAtTheStartInTheMiddleAndAtTheEndOfEveryBox)
{
    Boxes boxes;
    for (const BoxCase& row : kBoxes) {
        SCOPED_TRACE(row.box);
        QLineEdit* box = row.find(boxes);
        ASSERT_NE(box, nullptr);
        box->setText(row.text);
        QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(box);
        ASSERT_NE(interface, nullptr);
        EXPECT_EQ(interface->role(), QAccessible::EditableText);
        QAccessibleTextInterface* text = interface->textInterface();
        ASSERT_NE(text, nullptr);
        const int end = int(row.text.size());
        const int firstEnd = int(row.text.indexOf(
            QRegularExpression(QStringLiteral("\\W|$"), QRegularExpression::UseUnicodePropertiesOption)));
        const Item whole { row.text, 0, end };

        // Word by word: the word the caret is in; at the end, where there is none, nothing, and the word before it
        // is the last one.
        EXPECT_EQ(ask(text, Where::At, 0, QAccessible::WordBoundary), (Item { row.text.left(firstEnd), 0, firstEnd }));
        const int middleStart = int(row.text.lastIndexOf(row.middleWord, row.middle));
        EXPECT_EQ(ask(text, Where::At, row.middle, QAccessible::WordBoundary),
            (Item { row.middleWord, middleStart, middleStart + int(row.middleWord.size()) }));
        EXPECT_EQ(ask(text, Where::At, end, QAccessible::WordBoundary), (Item { QString(), end, end }));
        EXPECT_EQ(ask(text, Where::At, -2, QAccessible::WordBoundary), (Item { QString(), end, end }))
            << "the caret, which setText left at the end";
        const Item lastWord = ask(text, Where::Before, end, QAccessible::WordBoundary);
        EXPECT_TRUE(row.text.endsWith(lastWord.text) && lastWord.end == end && !lastWord.text.isEmpty()) << lastWord;
        EXPECT_EQ(ask(text, Where::After, end, QAccessible::WordBoundary).text, QString());
        EXPECT_EQ(ask(text, Where::Before, 0, QAccessible::WordBoundary).text, QString());

        // Line by line: the one line is the whole text from anywhere in it, and there is none before or after it.
        for (int offset : { 0, row.middle, end }) {
            EXPECT_EQ(ask(text, Where::At, offset, QAccessible::LineBoundary), whole) << offset;
            EXPECT_EQ(ask(text, Where::Before, offset, QAccessible::LineBoundary).text, QString()) << offset;
            EXPECT_EQ(ask(text, Where::After, offset, QAccessible::LineBoundary).text, QString()) << offset;
        }
        // The text is one run of attributes from anywhere in it: pieced together from the runs, it is whole.
        for (int offset : { 0, row.middle, end - 1 }) {
            Item run { QString(), -1, -1 };
            run.text = text->attributes(offset, &run.start, &run.end);
            EXPECT_EQ(run.start, 0) << offset;
            EXPECT_EQ(run.end, end) << offset;
        }
        // Character by character: none past the end.
        EXPECT_EQ(ask(text, Where::At, end, QAccessible::CharBoundary), (Item { QString(), end, end }));
        EXPECT_EQ(ask(text, Where::At, end - 1, QAccessible::CharBoundary), (Item { row.text.right(1), end - 1, end }));
    }
}

// A password is never read out, in whole or in part, wherever the screen reader asks.
TEST(TextBoxReadingTest, APasswordGivesNothingAway)
{
    TPasswordDialog prompt;
    QLineEdit* box = formOf(prompt).Edit;
    box->setText(QStringLiteral("secret words"));
    QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(box);
    ASSERT_NE(interface, nullptr);
    EXPECT_TRUE(interface->state().passwordEdit);
    QAccessibleTextInterface* text = interface->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(0, 12), QString());
    for (int offset : { 0, 7, 12 })
        for (auto boundary : { QAccessible::CharBoundary, QAccessible::WordBoundary, QAccessible::LineBoundary })
            for (Where where : { Where::Before, Where::At, Where::After })
                EXPECT_EQ(ask(text, where, offset, boundary), (Item { QString(), -1, -1 })) << offset;
    EXPECT_NE(interface->text(QAccessible::Value), QStringLiteral("secret words"));
}

} // namespace
