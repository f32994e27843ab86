// The drill bar and the status line: the four drill states, the walks through a small set, both ends, failures.
#include "errors.h"
#include "qcardunt.h"
#include "tform1.h"
#include "ui_tform1.h"
#include "windowtest.h"

#include <QTest>

#include <ostream>

using namespace windowtest;

namespace {

// The drill state: DrillFlag and which card texts are visible.
enum class Sides { GreekOnly, BothForward, EnglishOnly, BothBackward };

const char* sidesName(Sides sides)
{
    switch (sides) {
    case Sides::GreekOnly:
        return "Greek only";
    case Sides::BothForward:
        return "Both forward";
    case Sides::EnglishOnly:
        return "English only";
    case Sides::BothBackward:
        return "Both backward";
    }
    return "?";
}

struct DrillState
{
    bool drillFlag;
    bool greekVisible;
    bool englishVisible;
};

DrillState stateOf(Sides sides)
{
    switch (sides) {
    case Sides::GreekOnly:
        return { true, true, false };
    case Sides::BothForward:
        return { false, true, true };
    case Sides::EnglishOnly:
        return { false, false, true };
    case Sides::BothBackward:
        return { true, true, true };
    }
    return {};
}

// Three cards A, B, C; B has no frequency.
const std::vector<testsupport::Card>& abc()
{
    static const std::vector<testsupport::Card> cards {
        { "A-english", "α-greek", 30 },
        { "B-english", "β-greek", std::nullopt },
        { "C-english", "γ-greek", 2.5 },
    };
    return cards;
}

class DrillTest : public MainWindowTest
{
protected:
    void press(char button)
    {
        switch (button) {
        case '<':
            ui().SpeedButton1->click();
            break;
        case '>':
            ui().SpeedButton2->click();
            break;
        case 'F': // "<<", to the first card
            ui().SpeedButton3->click();
            break;
        case 'L': // ">>", to the last card
            ui().SpeedButton4->click();
            break;
        default:
            FAIL() << "no button " << button;
        }
    }

    void putInState(Sides sides)
    {
        const DrillState state = stateOf(sides);
        DrillFlag = state.drillFlag;
        ui().TextGreek->setVisible(state.greekVisible);
        ui().TextEnglish->setVisible(state.englishVisible);
    }

    // Checks the drill state, the card shown on both sides (a hidden side follows the cursor too) and the
    // status line.
    void expectShowing(Sides sides, int card, const std::vector<testsupport::Card>& cards)
    {
        const DrillState state = stateOf(sides);
        EXPECT_EQ(DrillFlag, state.drillFlag);
        EXPECT_EQ(ui().TextGreek->isVisibleTo(form.get()), state.greekVisible);
        EXPECT_EQ(ui().TextEnglish->isVisibleTo(form.get()), state.englishVisible);
        const testsupport::Card& shown = cards[static_cast<std::size_t>(card - 1)];
        EXPECT_EQ(ui().TextGreek->text().toStdString(), shown.language);
        EXPECT_EQ(ui().TextEnglish->text().toStdString(), shown.english);
        EXPECT_EQ(ui().StatusPanel0->text(), QStringLiteral("%1 of %2").arg(card).arg(cards.size()));
        EXPECT_EQ(ui().StatusPanel1->text().toStdString(), form->FrequencyTable.fieldText("Frequency"));
    }
};

// ---------------------------------------------------------------------------------------------------------------
// The transition table, from the middle card B so that both moves can happen.

struct TransitionCase
{
    Sides from;
    char button;
    Sides to;
    int cardAfter;
    bool rereads;
};

void PrintTo(const TransitionCase& c, std::ostream* out)
{
    *out << sidesName(c.from) << " " << c.button;
}

class DrillTransitionTest : public DrillTest, public ::testing::WithParamInterface<TransitionCase>
{
};

TEST_P(DrillTransitionTest, FollowsTheTableFromTheMiddleCard)
{
    TForm1& form1 = formOn(abc());
    form1.FrequencyTable.next();
    putInState(GetParam().from);

    // Another program renames card B meanwhile: only ">" re-reads the set before it shows a side.
    {
        cardstore::Table other;
        other.setTableName(builtInSetPath(dataHome));
        other.open();
        other.first();
        other.next();
        other.edit();
        other.setFieldText("English", "B-renamed");
        other.post();
    }
    press(GetParam().button);

    std::vector<testsupport::Card> cards = abc();
    if (GetParam().rereads)
        cards[1].english = "B-renamed";
    SCOPED_TRACE(sidesName(GetParam().from));
    expectShowing(GetParam().to, GetParam().cardAfter, cards);
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Drill, DrillTransitionTest,
    ::testing::Values(TransitionCase { Sides::GreekOnly, '>', Sides::BothForward, 2, true },
        TransitionCase { Sides::BothForward, '>', Sides::GreekOnly, 3, true },
        TransitionCase { Sides::EnglishOnly, '>', Sides::GreekOnly, 3, true },
        TransitionCase { Sides::BothBackward, '>', Sides::BothForward, 2, true },
        TransitionCase { Sides::GreekOnly, '<', Sides::EnglishOnly, 1, false },
        TransitionCase { Sides::BothForward, '<', Sides::BothBackward, 2, false },
        TransitionCase { Sides::EnglishOnly, '<', Sides::BothBackward, 2, false },
        TransitionCase { Sides::BothBackward, '<', Sides::EnglishOnly, 1, false },
        // "<<" and ">>" move and leave the drill state alone.
        TransitionCase { Sides::GreekOnly, 'F', Sides::GreekOnly, 1, false },
        TransitionCase { Sides::BothForward, 'F', Sides::BothForward, 1, false },
        TransitionCase { Sides::EnglishOnly, 'L', Sides::EnglishOnly, 3, false },
        TransitionCase { Sides::BothBackward, 'L', Sides::BothBackward, 3, false }),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

// ---------------------------------------------------------------------------------------------------------------
// Walks from the start state (A, Greek only), with what shows after every press.

struct Step
{
    char button;
    Sides sides;
    int card;
};

struct WalkCase
{
    const char* name;
    std::vector<Step> steps;
};

void PrintTo(const WalkCase& c, std::ostream* out)
{
    *out << c.name;
}

class DrillWalkTest : public DrillTest, public ::testing::WithParamInterface<WalkCase>
{
};

TEST_P(DrillWalkTest, ShowsEachCardAndStatusInTurn)
{
    formOn(abc());
    expectShowing(Sides::GreekOnly, 1, abc());
    int pressed = 0;
    for (const Step& step : GetParam().steps) {
        press(step.button);
        SCOPED_TRACE("after press " + std::to_string(++pressed) + " (" + step.button + ")");
        expectShowing(step.sides, step.card, abc());
    }
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Drill, DrillWalkTest,
    ::testing::Values(
        WalkCase { "ForwardToTheEndAndStay",
            { { '>', Sides::BothForward, 1 }, { '>', Sides::GreekOnly, 2 }, { '>', Sides::BothForward, 2 },
                { '>', Sides::GreekOnly, 3 }, { '>', Sides::BothForward, 3 }, { '>', Sides::GreekOnly, 3 },
                { '>', Sides::BothForward, 3 }, { '>', Sides::GreekOnly, 3 } } },
        WalkCase { "BackwardFromTheLastCardToTheFirstAndStay",
            { { 'L', Sides::GreekOnly, 3 }, { '<', Sides::EnglishOnly, 2 }, { '<', Sides::BothBackward, 2 },
                { '<', Sides::EnglishOnly, 1 }, { '<', Sides::BothBackward, 1 }, { '<', Sides::EnglishOnly, 1 },
                { '<', Sides::BothBackward, 1 }, { '<', Sides::EnglishOnly, 1 } } },
        WalkCase { "LastThenForwardRevealsAndStays",
            { { 'L', Sides::GreekOnly, 3 }, { '>', Sides::BothForward, 3 }, { '>', Sides::GreekOnly, 3 } } },
        WalkCase { "FirstWhileBothSidesShow",
            { { '>', Sides::BothForward, 1 }, { '>', Sides::GreekOnly, 2 }, { '>', Sides::BothForward, 2 },
                { 'F', Sides::BothForward, 1 } } },
        WalkCase { "BackThenForwardReturnsToTheCard",
            { { '>', Sides::BothForward, 1 }, { '>', Sides::GreekOnly, 2 }, { '<', Sides::EnglishOnly, 1 },
                { '>', Sides::GreekOnly, 2 } } },
        WalkCase { "BackThenForwardOnTheFirstCardEndsOnTheSecond",
            { { '<', Sides::EnglishOnly, 1 }, { '>', Sides::GreekOnly, 2 } } },
        WalkCase { "BothBackwardThenForwardRevealsWithoutMoving",
            { { 'L', Sides::GreekOnly, 3 }, { '<', Sides::EnglishOnly, 2 }, { '<', Sides::BothBackward, 2 },
                { '>', Sides::BothForward, 2 }, { '>', Sides::GreekOnly, 3 } } }),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------------------------

TEST_F(DrillTest, TheStatusLineShowsAnEmptyFrequencyAndTheFrequencysPlainText)
{
    TForm1& form1 = formOn({ { "one", "ἕν", 1317 }, { "two", "δύο", std::nullopt }, { "third", "τρίτον", 1.0 / 3 },
        { "big", "μέγα", 1e20 } });
    const QStringList expected { "1317", "", "0.333333333333333", "1E20" };
    for (int card = 1; card <= 4; ++card) {
        SCOPED_TRACE(card);
        EXPECT_EQ(ui().StatusPanel0->text(), QStringLiteral("%1 of 4").arg(card));
        EXPECT_EQ(ui().StatusPanel1->text(), expected[card - 1]);
        form1.FrequencyTable.next();
    }
}

TEST_F(DrillTest, ThePositionPanelWidensToShowAWholePositionAndNeverNarrows)
{
    TForm1& form1 = formOn(threeCards());
    QLabel* panel = ui().StatusPanel0;
    // As narrow as a wide face or a big set's long position leaves it.
    panel->setFixedWidth(panel->fontMetrics().horizontalAdvance(QStringLiteral("1 of")));

    form1.FrequencyTable.next();
    EXPECT_EQ(panel->text(), "2 of 3");
    const int widened = panel->maximumWidth();
    EXPECT_GE(panel->contentsRect().width(), panel->fontMetrics().horizontalAdvance(panel->text()));

    // A walk shows its position at the end, in a panel that fits it as well.
    panel->setFixedWidth(panel->fontMetrics().horizontalAdvance(QStringLiteral("1 of")));
    form1.RefreshComboBox();
    EXPECT_EQ(panel->text(), "1 of 3");
    EXPECT_GE(panel->contentsRect().width(), panel->fontMetrics().horizontalAdvance(panel->text()));
    EXPECT_EQ(panel->maximumWidth(), widened);

    form1.FrequencyTable.close();
    form1.FrequencyTable.open();
    EXPECT_EQ(panel->maximumWidth(), widened);
}

TEST_F(DrillTest, AnEmptySetShowsZeroOfZeroAndTheDrillStillAlternates)
{
    formOn({});
    EXPECT_EQ(ui().StatusPanel0->text(), "0 of 0");
    EXPECT_EQ(ui().StatusPanel1->text(), "");
    for (Sides expected : { Sides::BothForward, Sides::GreekOnly, Sides::BothForward }) {
        press('>');
        EXPECT_EQ(DrillFlag, stateOf(expected).drillFlag);
        EXPECT_EQ(ui().TextEnglish->isVisibleTo(form.get()), stateOf(expected).englishVisible);
    }
    press('<');
    press('L');
    press('F');
    EXPECT_EQ(ui().StatusPanel0->text(), "0 of 0");
    EXPECT_EQ(ui().TextGreek->text(), "");
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(DrillTest, OnAClosedTableForwardReportsTheErrorAndChangesNothing)
{
    TForm1& form1 = formOn(abc());
    for (Sides from : { Sides::GreekOnly, Sides::BothForward, Sides::EnglishOnly, Sides::BothBackward }) {
        SCOPED_TRACE(sidesName(from));
        form1.FrequencyTable.close();
        putInState(from);
        messages.clear();
        press('>');
        ASSERT_EQ(messages.texts(), QStringList { "Cannot perform this operation on a closed dataset." });
        EXPECT_EQ(messages.requests()[0].icon, QMessageBox::Critical);
        const DrillState state = stateOf(from);
        EXPECT_EQ(DrillFlag, state.drillFlag);
        EXPECT_EQ(ui().TextGreek->isVisibleTo(&form1), state.greekVisible);
        EXPECT_EQ(ui().TextEnglish->isVisibleTo(&form1), state.englishVisible);
        // The status line keeps what it last showed.
        EXPECT_EQ(ui().StatusPanel0->text(), "1 of 3");
        EXPECT_EQ(ui().StatusPanel1->text(), "30");
        form1.FrequencyTable.open();
    }
}

TEST_F(DrillTest, OnAClosedTableBackwardFailsOnlyWhenItHasToMove)
{
    TForm1& form1 = formOn(abc());
    form1.FrequencyTable.close();

    putInState(Sides::GreekOnly);
    press('<');
    EXPECT_EQ(messages.texts(), QStringList { "Cannot perform this operation on a closed dataset." });
    EXPECT_TRUE(DrillFlag);
    EXPECT_TRUE(ui().TextGreek->isVisibleTo(&form1));
    EXPECT_FALSE(ui().TextEnglish->isVisibleTo(&form1));

    // With DrillFlag false "<" touches no table.
    messages.clear();
    putInState(Sides::EnglishOnly);
    press('<');
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
    EXPECT_TRUE(DrillFlag);
    EXPECT_TRUE(ui().TextGreek->isVisibleTo(&form1));
    EXPECT_TRUE(ui().TextEnglish->isVisibleTo(&form1));

    for (char button : { 'F', 'L' }) {
        messages.clear();
        press(button);
        EXPECT_EQ(messages.texts(), QStringList { "Cannot perform this operation on a closed dataset." });
        EXPECT_TRUE(DrillFlag);
    }
}

TEST_F(DrillTest, TheStatusLineWritesNothingWhenThePositionCannotBeRead)
{
    TForm1& form1 = formOn(abc());
    form1.FrequencyTable.next();
    form1.FrequencyTable.close();
    try {
        form1.FrequencySourceDataChange(&form1.FrequencySource, -1);
        FAIL() << "no error raised";
    } catch (const cardstore::Error& error) {
        EXPECT_STREQ(error.what(), "Cannot perform this operation on a closed dataset");
    }
    EXPECT_EQ(ui().StatusPanel0->text(), "2 of 3");
    EXPECT_EQ(ui().StatusPanel1->text(), "");
}

TEST_F(DrillTest, ASetWithoutFrequencyUpdatesThePositionAndReportsTheMissingField)
{
    TForm1& form1 = formOn(abc());
    form1.FrequencyTable.last();
    ASSERT_EQ(ui().StatusPanel1->text(), "2.5");
    const std::string foreign = dataHome.file("foreign.db");
    {
        cardstore::Table table;
        table.setTableName(foreign);
        table.fieldDefs() = { { "English", cardstore::FieldType::Text, 20, true },
            { "Language", cardstore::FieldType::Text, 20, true } };
        table.createTable();
        table.open();
        table.appendRecords({ { "a", "α" }, { "b", "β" } });
    }
    form1.FrequencyTable.close();
    form1.FrequencyTable.setTableName(foreign);
    try {
        form1.FrequencyTable.open();
        FAIL() << "no error raised";
    } catch (const cardstore::Error& error) {
        EXPECT_STREQ(error.what(), "Field 'Frequency' not found");
    }
    EXPECT_EQ(ui().StatusPanel0->text(), "1 of 2");
    EXPECT_EQ(ui().StatusPanel1->text(), "2.5");

    // ">" fails in its re-read, after the position was written, before it touches the drill state.
    putInState(Sides::BothForward);
    press('>');
    EXPECT_EQ(messages.texts(), QStringList { "Field 'Frequency' not found." });
    EXPECT_FALSE(DrillFlag);
    EXPECT_TRUE(ui().TextEnglish->isVisibleTo(&form1));
    EXPECT_EQ(form1.FrequencyTable.sequenceNumber(), 1);
    EXPECT_EQ(ui().StatusPanel0->text(), "1 of 2");
    EXPECT_EQ(ui().StatusPanel1->text(), "2.5");
}

// Their keys (Alt+Home, Alt+Left, Alt+Right, Alt+End) are checked with the main window's other keys.
TEST_F(DrillTest, TheButtonsNeverTakeTheFocus)
{
    TForm1& form1 = formOn(abc());
    form1.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form1));
    ui().FrequencyComboBox->setFocus();
    for (QToolButton* button : { ui().SpeedButton3, ui().SpeedButton1, ui().SpeedButton2, ui().SpeedButton4 }) {
        SCOPED_TRACE(button->objectName().toStdString());
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(form1.focusWidget(), ui().FrequencyComboBox);
    }
    // The clicks above were real: "<<", "<" (English only on the first card), ">" (Greek only, second card),
    // ">>".
    EXPECT_EQ(ui().StatusPanel0->text(), "3 of 3");
    EXPECT_TRUE(DrillFlag);
    EXPECT_FALSE(ui().TextEnglish->isVisibleTo(&form1));
}

TEST_F(DrillTest, TheDrillLeavesTheWordListAlone)
{
    TForm1& form1 = formOn(abc());
    ui().FrequencyComboBox->setCurrentIndex(1);
    for (char button : { '>', '>', '>', 'L', '<', 'F' })
        press(button);
    EXPECT_EQ(ui().FrequencyComboBox->currentText(), "B-english");
    EXPECT_EQ(ui().FrequencyComboBox->entries(), QStringList({ "A-english", "B-english", "C-english" }));
    EXPECT_EQ(form1.FrequencyTable.sequenceNumber(), 1);
}

} // namespace
