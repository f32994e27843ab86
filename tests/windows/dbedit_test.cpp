// The data-bound text box over a real card set: what it shows, when it lets the user type, which keys start an
// edit, the key filter of number fields, Esc, and writing the text into the card.
#include "editor_typing.h"
#include "errors.h"
#include "tdatasource.h"
#include "tdbedit.h"
#include "windowtest.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>

using editortest::readCards;
using editortest::typeText;

namespace {

const std::vector<testsupport::Card>& sortedCards()
{
    // In the order of the English index.
    static const std::vector<testsupport::Card> cards {
        { "apostle", "ἀπόστολος", 80 },
        { "bread", "ἄρτος", 97 },
        { "word", "λόγος", 330 },
    };
    return cards;
}

class DBEditTest : public ::testing::Test
{
protected:
    DBEditTest()
    {
        window.resize(600, 200);
        language = new TDBEdit(&window);
        english = new TDBEdit(&window);
        frequency = new TDBEdit(&window);
        other = new QLineEdit(&window);
        language->setGeometry(10, 10, 500, 30);
        english->setGeometry(10, 50, 500, 30);
        frequency->setGeometry(10, 90, 140, 30);
        other->setGeometry(10, 130, 140, 30);
        language->setAutoSelect(false);
        english->setAutoSelect(false);
        // The design limits of the editor's boxes, which the field sizes replace.
        language->setMaxLength(150);
        english->setMaxLength(130);
        language->setDataField("Language");
        english->setDataField("English");
        frequency->setDataField("Frequency");
        QWidget::setTabOrder(language, english);
        QWidget::setTabOrder(english, frequency);
        QWidget::setTabOrder(frequency, other);
        source.setDataSet(&table);
        for (TDBEdit* box : boxes())
            box->setDataSource(&source);
    }

    void openSet(const std::vector<testsupport::Card>& cards, bool readOnly = false)
    {
        path = dir.file("set.db");
        testsupport::makeCardSet(path, cards);
        table.setTableName(path);
        table.setReadOnly(readOnly);
        table.open();
    }

    void showWindow()
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void focus(QWidget* widget)
    {
        widget->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(widget->hasFocus());
    }

    std::vector<TDBEdit*> boxes() const { return { language, english, frequency }; }

    testsupport::TempDir dir;
    std::string path;
    windowtest::MessageRecorder messages;
    cardstore::Table table;
    TDataSource source;
    QWidget window;
    TDBEdit* language;
    TDBEdit* english;
    TDBEdit* frequency;
    QLineEdit* other;
};

TEST_F(DBEditTest, ShowsItsFieldAndFollowsTheCursor)
{
    for (TDBEdit* box : boxes()) {
        EXPECT_EQ(box->text(), "");
        EXPECT_TRUE(box->isReadOnly());
    }
    openSet(sortedCards());
    EXPECT_EQ(language->text(), "ἀπόστολος");
    EXPECT_EQ(english->text(), "apostle");
    EXPECT_EQ(frequency->text(), "80");
    table.next();
    EXPECT_EQ(language->text(), "ἄρτος");
    EXPECT_EQ(english->text(), "bread");
    EXPECT_EQ(frequency->text(), "97");
    table.close();
    for (TDBEdit* box : boxes()) {
        EXPECT_EQ(box->text(), "");
        EXPECT_TRUE(box->isReadOnly());
    }
}

struct SizeCase
{
    const char* field;
    int size;
};

void PrintTo(const SizeCase& c, std::ostream* out)
{
    *out << c.field;
}

class DBEditSizeTest : public DBEditTest, public ::testing::WithParamInterface<SizeCase>
{
protected:
    TDBEdit* box() const { return std::string(GetParam().field) == "English" ? english : language; }
};

TEST_P(DBEditSizeTest, TakesTheDeclaredSizeAsItsLimitForTypingAndPasting)
{
    openSet(sortedCards());
    showWindow();
    const int size = GetParam().size;
    EXPECT_EQ(box()->maxLength(), size);
    // A number field has no limit of its own.
    EXPECT_EQ(frequency->maxLength(), 32767);

    focus(box());
    box()->selectAll();
    typeText(box(), QString(size + 5, QLatin1Char('x')));
    EXPECT_EQ(box()->text(), QString(size, QLatin1Char('x')));

    QGuiApplication::clipboard()->setText(QString(size + 50, QLatin1Char('y')));
    box()->selectAll();
    QTest::keyClick(box(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box()->text(), QString(size, QLatin1Char('y')));

    table.post();
    EXPECT_EQ(table.fieldText(GetParam().field), std::string(static_cast<std::size_t>(size), 'y'));
}

INSTANTIATE_TEST_SUITE_P(FieldSizes, DBEditSizeTest,
    ::testing::Values(SizeCase { "English", 100 }, SizeCase { "Language", 150 }),
    [](const auto& info) { return std::string(info.param.field); });

TEST_F(DBEditTest, IsReadOnlyWhileBrowsingAndTypingStartsAnEdit)
{
    openSet(sortedCards());
    showWindow();
    focus(language);
    EXPECT_TRUE(language->isReadOnly());
    typeText(language, "ς");
    EXPECT_EQ(table.state(), cardstore::DataSetState::Edit);
    EXPECT_EQ(language->text(), "ἀπόστολοςς");
    EXPECT_TRUE(language->isModified());
    // Every box of the card may change now; only the one typed into is marked.
    for (TDBEdit* box : boxes())
        EXPECT_FALSE(box->isReadOnly());
    EXPECT_FALSE(english->isModified());
    // Nothing is written yet, not even into the card in memory.
    EXPECT_EQ(table.fieldText("Language"), "ἀπόστολος");
}

enum class Caret { AtEnd, AtStart, AllSelected };

struct KeyCase
{
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    Caret caret;
    bool startsEdit;
    const char* textAfter;
};

void PrintTo(const KeyCase& c, std::ostream* out)
{
    *out << c.name;
}

class DBEditKeyTest : public DBEditTest, public ::testing::WithParamInterface<KeyCase>
{
};

TEST_P(DBEditKeyTest, StartsAnEditOnTheKeysThatChangeText)
{
    openSet(sortedCards());
    showWindow();
    focus(english);
    QGuiApplication::clipboard()->setText("ZZ");
    switch (GetParam().caret) {
    case Caret::AtEnd:
        english->end(false);
        break;
    case Caret::AtStart:
        english->home(false);
        break;
    case Caret::AllSelected:
        english->selectAll();
        break;
    }

    QTest::keyClick(english, GetParam().key, GetParam().modifiers);

    EXPECT_EQ(table.state(), GetParam().startsEdit ? cardstore::DataSetState::Edit : cardstore::DataSetState::Browse);
    EXPECT_EQ(english->text(), QString::fromUtf8(GetParam().textAfter));
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Keys, DBEditKeyTest,
    ::testing::Values(KeyCase { "Backspace", Qt::Key_Backspace, Qt::NoModifier, Caret::AtEnd, true, "apostl" },
        KeyCase { "Delete", Qt::Key_Delete, Qt::NoModifier, Caret::AtStart, true, "postle" },
        KeyCase { "CtrlV", Qt::Key_V, Qt::ControlModifier, Caret::AtEnd, true, "apostleZZ" },
        KeyCase { "ShiftInsert", Qt::Key_Insert, Qt::ShiftModifier, Caret::AtEnd, true, "apostleZZ" },
        KeyCase { "CtrlX", Qt::Key_X, Qt::ControlModifier, Caret::AllSelected, true, "" },
        KeyCase { "ShiftDelete", Qt::Key_Delete, Qt::ShiftModifier, Caret::AllSelected, true, "" },
        KeyCase { "CtrlC", Qt::Key_C, Qt::ControlModifier, Caret::AllSelected, false, "apostle" },
        KeyCase { "Left", Qt::Key_Left, Qt::NoModifier, Caret::AtEnd, false, "apostle" },
        KeyCase { "Home", Qt::Key_Home, Qt::NoModifier, Caret::AtEnd, false, "apostle" },
        KeyCase { "Return", Qt::Key_Return, Qt::NoModifier, Caret::AtEnd, false, "apostle" },
        KeyCase { "Escape", Qt::Key_Escape, Qt::NoModifier, Caret::AtEnd, false, "apostle" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DBEditTest, TypingIntoAnEmptySetStartsANewCard)
{
    openSet({});
    showWindow();
    focus(english);
    typeText(english, "w");
    EXPECT_EQ(table.state(), cardstore::DataSetState::Insert);
    EXPECT_EQ(english->text(), "w");
    EXPECT_EQ(language->text(), "");
    EXPECT_FALSE(language->isReadOnly());
}

TEST_F(DBEditTest, ASetOpenedForReadingKeepsTheBoxesReadOnly)
{
    openSet(sortedCards(), true);
    showWindow();
    focus(english);
    QGuiApplication::clipboard()->setText("ZZ");
    typeText(english, "s");
    QTest::keyClick(english, Qt::Key_Backspace);
    QTest::keyClick(english, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(english->text(), "apostle");
    EXPECT_EQ(table.state(), cardstore::DataSetState::Browse);
    for (TDBEdit* box : boxes())
        EXPECT_TRUE(box->isReadOnly());
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

// The key filter, on a set with a field of each type.
struct FilterCase
{
    const char* name;
    const char* field;
    char decimalSeparator;
    const char* accepted;
    const char* refused;
};

void PrintTo(const FilterCase& c, std::ostream* out)
{
    *out << c.name;
}

class DBEditFilterTest : public DBEditTest, public ::testing::WithParamInterface<FilterCase>
{
protected:
    ~DBEditFilterTest() override { cardstore::setDecimalSeparator('.'); }

    void openTypedSet()
    {
        path = dir.file("typed.db");
        cardstore::Table maker;
        maker.setTableName(path);
        maker.fieldDefs() = { { "Name", cardstore::FieldType::Text, 40, false },
            { "Amount", cardstore::FieldType::Float, 0, false }, { "Count", cardstore::FieldType::Integer, 0, false } };
        maker.createTable();
        maker.open();
        maker.appendRecords({ { "", "", "" } });
        maker.close();
        table.setTableName(path);
        table.open();
    }
};

TEST_P(DBEditFilterTest, RefusesTheCharactersTheFieldDoesNotTake)
{
    cardstore::setDecimalSeparator(GetParam().decimalSeparator);
    english->setDataField(GetParam().field);
    openTypedSet();
    showWindow();
    focus(english);

    // A refused character goes no further: no edit starts and the text stays as it is.
    for (char32_t character : QString::fromUtf8(GetParam().refused).toUcs4()) {
        const QString one = QString::fromUcs4(&character, 1);
        typeText(english, one);
        EXPECT_EQ(english->text(), "") << one.toStdString();
        EXPECT_EQ(table.state(), cardstore::DataSetState::Browse) << one.toStdString();
    }
    const QString accepted = QString::fromUtf8(GetParam().accepted);
    typeText(english, accepted);
    EXPECT_EQ(english->text(), accepted);
    EXPECT_EQ(table.state(), cardstore::DataSetState::Edit);
}

INSTANTIATE_TEST_SUITE_P(Fields, DBEditFilterTest,
    ::testing::Values(FilterCase { "Text", "Name", '.', "aΩ ,.-+٣€E5ά", "" },
        FilterCase { "Float", "Amount", '.', "0123456789+-Ee.", "xX,/ Ωε٣" },
        FilterCase { "FloatWithDecimalComma", "Amount", ',', "5,25", ".;" },
        FilterCase { "Integer", "Count", '.', "0123456789+-", "Ee., x" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DBEditTest, EscRestoresTheValueTheCardHoldsNowAndKeepsEditing)
{
    openSet(sortedCards());
    showWindow();
    focus(english);
    typeText(english, "s");
    QTest::keyClick(english, Qt::Key_Tab);
    ASSERT_TRUE(frequency->hasFocus());
    EXPECT_EQ(table.fieldText("English"), "apostles");

    frequency->end(false);
    typeText(frequency, "5");
    EXPECT_EQ(frequency->text(), "805");
    QTest::keyClick(frequency, Qt::Key_Escape);
    EXPECT_EQ(frequency->text(), "80");
    EXPECT_EQ(frequency->selectedText(), "80");
    EXPECT_FALSE(frequency->isModified());
    EXPECT_EQ(table.state(), cardstore::DataSetState::Edit);
    // The box that wrote its text keeps it.
    EXPECT_EQ(english->text(), "apostles");

    // Back in the English box, Esc goes back to what the card holds now, not to what the file holds.
    focus(english);
    english->end(false);
    typeText(english, "hip");
    QTest::keyClick(english, Qt::Key_Escape);
    EXPECT_EQ(english->text(), "apostles");
    EXPECT_EQ(english->selectedText(), "apostles");

    // Leaving the box after Esc writes nothing more; posting keeps what was written.
    QTest::keyClick(english, Qt::Key_Tab);
    table.post();
    EXPECT_EQ(readCards(path).at(0).english, "apostles");
    EXPECT_EQ(readCards(path).at(0).frequency, 80);
}

TEST_F(DBEditTest, LeavingABoxWritesIntoTheCardButNotYetIntoTheFile)
{
    openSet(sortedCards());
    showWindow();
    focus(language);
    typeText(language, "ι");
    EXPECT_EQ(table.fieldText("Language"), "ἀπόστολος");
    QTest::keyClick(language, Qt::Key_Tab);
    EXPECT_TRUE(english->hasFocus());
    EXPECT_EQ(table.fieldText("Language"), "ἀπόστολοςι");
    EXPECT_FALSE(language->isModified());
    EXPECT_EQ(readCards(path).at(0).language, "ἀπόστολος");
    EXPECT_EQ(table.state(), cardstore::DataSetState::Edit);
}

TEST_F(DBEditTest, AFrequencyThatIsNoNumberIsRefusedWhenLeavingTheBox)
{
    openSet(sortedCards());
    showWindow();
    focus(frequency);
    frequency->selectAll();
    typeText(frequency, "1-2");
    QTest::keyClick(frequency, Qt::Key_Tab);
    QCoreApplication::processEvents();

    EXPECT_EQ(messages.texts(), QStringList("'1-2' is not a valid floating point value for field 'Frequency'."));
    EXPECT_TRUE(frequency->hasFocus());
    EXPECT_EQ(frequency->selectedText(), "1-2");
    EXPECT_EQ(table.fieldText("Frequency"), "80");
    EXPECT_EQ(table.state(), cardstore::DataSetState::Edit);

    // Mended, it goes in.
    typeText(frequency, "12");
    QTest::keyClick(frequency, Qt::Key_Tab);
    QCoreApplication::processEvents();
    EXPECT_EQ(table.fieldText("Frequency"), "12");
    EXPECT_EQ(messages.requests().size(), 1u);
}

TEST_F(DBEditTest, AnEmptyFrequencyClearsTheNumber)
{
    openSet(sortedCards());
    showWindow();
    focus(frequency);
    frequency->selectAll();
    QTest::keyClick(frequency, Qt::Key_Delete);
    QTest::keyClick(frequency, Qt::Key_Tab);
    table.post();
    EXPECT_EQ(readCards(path).at(0).frequency, std::nullopt);
}

TEST_F(DBEditTest, TextStillInABoxIsWrittenWhenTheTableAsksBeforeAPostOrAMove)
{
    openSet(sortedCards());
    showWindow();
    focus(english);
    typeText(english, "s");
    table.post();
    EXPECT_EQ(readCards(path).at(0).english, "apostles");

    typeText(english, "!");
    table.next();
    EXPECT_EQ(readCards(path).at(0).english, "apostles!");

    // A text its field refuses stops the move that asked for it.
    const int before = table.sequenceNumber();
    focus(frequency);
    frequency->selectAll();
    typeText(frequency, "1-2");
    EXPECT_THROW(table.next(), cardstore::DatabaseError);
    EXPECT_EQ(table.sequenceNumber(), before);
    EXPECT_EQ(table.state(), cardstore::DataSetState::Edit);
    EXPECT_EQ(frequency->text(), "1-2");
}

TEST_F(DBEditTest, ANumberStandsAtTheRightEdgeUntilTheBoxIsEntered)
{
    openSet(sortedCards());
    showWindow();
    focus(other);
    EXPECT_EQ(frequency->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(language->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    focus(frequency);
    EXPECT_EQ(frequency->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    focus(language);
    EXPECT_EQ(frequency->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(language->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

TEST_F(DBEditTest, OnlyTheFrequencyBoxSelectsItsTextWhenEnteredOtherThanByTheMouse)
{
    openSet(sortedCards());
    showWindow();
    focus(language);
    QTest::keyClick(language, Qt::Key_Tab);
    ASSERT_TRUE(english->hasFocus());
    EXPECT_FALSE(english->hasSelectedText());
    QTest::keyClick(english, Qt::Key_Tab);
    ASSERT_TRUE(frequency->hasFocus());
    EXPECT_EQ(frequency->selectedText(), "80");

    focus(other);
    QTest::mouseClick(frequency, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    ASSERT_TRUE(frequency->hasFocus());
    EXPECT_FALSE(frequency->hasSelectedText());
}

// Opens the box's context menu and reports whether the action whose caption starts with the text is enabled,
// choosing it when it is.
bool chooseFromContextMenu(QLineEdit* box, const QString& caption)
{
    bool enabled = false;
    bool found = false;
    QTimer::singleShot(0, box, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction* action : menu->actions()) {
            if (!action->text().startsWith(caption))
                continue;
            found = true;
            enabled = action->isEnabled();
            if (enabled)
                action->trigger();
        }
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), box->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(box, &event);
    EXPECT_TRUE(found) << caption.toStdString();
    // The menu took the window's activation with it.
    box->window()->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(box->window()));
    return enabled;
}

TEST_F(DBEditTest, PastingOrCuttingFromTheContextMenuStartsAnEdit)
{
    openSet(sortedCards());
    showWindow();
    focus(english);
    QGuiApplication::clipboard()->setText("ZZ");
    english->end(false);
    EXPECT_TRUE(chooseFromContextMenu(english, "&Paste"));
    EXPECT_EQ(table.state(), cardstore::DataSetState::Edit);
    EXPECT_EQ(english->text(), "apostleZZ");
    EXPECT_TRUE(english->isModified());

    table.cancel();
    focus(language);
    language->selectAll();
    EXPECT_TRUE(chooseFromContextMenu(language, "Cu&t"));
    EXPECT_EQ(table.state(), cardstore::DataSetState::Edit);
    EXPECT_EQ(language->text(), "");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "ἀπόστολος");
}

TEST_F(DBEditTest, TheContextMenuOffersNoPastingIntoASetOpenedForReading)
{
    openSet(sortedCards(), true);
    showWindow();
    focus(english);
    QGuiApplication::clipboard()->setText("ZZ");
    english->selectAll();
    EXPECT_FALSE(chooseFromContextMenu(english, "&Paste"));
    english->selectAll();
    EXPECT_FALSE(chooseFromContextMenu(english, "Cu&t"));
    english->selectAll();
    EXPECT_TRUE(chooseFromContextMenu(english, "&Copy"));
    EXPECT_EQ(english->text(), "apostle");
    EXPECT_EQ(table.state(), cardstore::DataSetState::Browse);
}

} // namespace
