// The jump to the word chosen in the word list: the lookups on the built-in set's indexes and on a user set's
// primary index, equal keys, misses, failures, and the index the set is left on.
#include "cardtable.h"
#include "errors.h"
#include "qcardunt.h"
#include "tform1.h"
#include "ui_tform1.h"
#include "windowtest.h"

#include <QSignalSpy>
#include <QTest>

#include <filesystem>
#include <set>

using namespace windowtest;

namespace {

// In table order. Two cards share the gloss "word", two the Greek "λόγος", two the count 68; the gloss of the
// last card is the Greek text of "and".
const std::vector<testsupport::Card>& jumpCards()
{
    static const std::vector<testsupport::Card> cards {
        { "the", "ὁ", 19769 }, // 1
        { "word", "λόγος", 330 }, // 2
        { "say", "λέγω", 2353 }, // 3
        { "word", "ῥῆμα", 68 }, // 4
        { "and", "καί", 68 }, // 5
        { "speech", "λόγος", 2.5 }, // 6
        { "καί", "σύνδεσμος", 1 }, // 7
    };
    return cards;
}

class JumpTest : public MainWindowTest
{
protected:
    TForm1& formOn(const std::vector<testsupport::Card>& cards)
    {
        TForm1& form1 = MainWindowTest::formOn(cards);
        // Every index the set passes through while the test runs.
        form1.FrequencyTable.addListener(
            [this](cardstore::DataEvent, int) { indexesSeen.insert(form->FrequencyTable.indexName()); });
        return form1;
    }

    // The user picks the entry at this row of the list.
    void choose(int row)
    {
        SortedComboBox* list = ui().FrequencyComboBox;
        ASSERT_LT(row, list->count());
        list->setCurrentIndex(row);
        Q_EMIT list->activated(row);
    }

    void chooseText(const QString& text)
    {
        const int row = ui().FrequencyComboBox->findText(text);
        ASSERT_GE(row, 0) << text.toStdString();
        choose(row);
    }

    int currentCard() { return form->FrequencyTable.sequenceNumber(); }

    void expectOnCardInPrimaryOrder(int card)
    {
        EXPECT_EQ(currentCard(), card);
        EXPECT_EQ(form->FrequencyTable.indexName(), "");
        EXPECT_EQ(form->FrequencyTable.state(), cardstore::DataSetState::Browse);
        EXPECT_EQ(
            ui().StatusPanel0->text(), QStringLiteral("%1 of %2").arg(card).arg(form->FrequencyTable.recordCount()));
    }

    // Opens a set under a name of the test's choosing, as New and Open do with a file's full path.
    void openAs(const std::string& tableName)
    {
        form->FrequencyTable.close();
        form->FrequencyTable.setTableName(tableName);
        form->FrequencyTable.open();
    }

    std::set<std::string> indexesSeen;
};

// ---------------------------------------------------------------------------------------------------------------

struct JumpCase
{
    const char* name;
    bool showGreek;
    bool showFrequency;
    int row; // the entry chosen, in table order
    int cardAfter;
};

void PrintTo(const JumpCase& c, std::ostream* out)
{
    *out << c.name;
}

class BuiltInJumpTest : public JumpTest, public ::testing::WithParamInterface<JumpCase>
{
};

TEST_P(BuiltInJumpTest, EndsOnTheFirstCardWithTheKeyInIndexOrder)
{
    const JumpCase& jump = GetParam();
    TForm1& form1 = formOn(jumpCards());
    ui().ShowGreek1->setChecked(jump.showGreek);
    ui().ShowFrequency1->setChecked(jump.showFrequency);
    if (jump.showFrequency)
        form1.RefreshComboBoxFrequency();
    else if (jump.showGreek)
        form1.RefreshComboBoxGreek();
    // A drill state of its own, to show that the jump leaves it alone.
    DrillFlag = false;
    ui().TextGreek->hide();
    ui().TextEnglish->show();
    form1.FrequencyTable.last();
    indexesSeen.clear();

    choose(jump.row);

    expectOnCardInPrimaryOrder(jump.cardAfter);
    EXPECT_EQ(
        ui().TextEnglish->text().toStdString(), jumpCards()[static_cast<std::size_t>(jump.cardAfter - 1)].english);
    EXPECT_EQ(ui().FrequencyComboBox->currentIndex(), jump.row);
    EXPECT_FALSE(DrillFlag);
    EXPECT_FALSE(ui().TextGreek->isVisibleTo(&form1));
    EXPECT_TRUE(ui().TextEnglish->isVisibleTo(&form1));
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
    // Step 1 always runs on the built-in set.
    EXPECT_TRUE(indexesSeen.count("EnglishIndex"));
    EXPECT_EQ(indexesSeen.count("LanguageIndex"), jump.showGreek ? 1u : 0u);
    EXPECT_EQ(indexesSeen.count("FrequencyIndex"), jump.showFrequency ? 1u : 0u);

    // The drill goes on from the found card in table order.
    ui().SpeedButton2->click();
    EXPECT_EQ(currentCard(), std::min(jump.cardAfter + 1, 7));
}

INSTANTIATE_TEST_SUITE_P(Jump, BuiltInJumpTest,
    ::testing::Values(JumpCase { "English", false, false, 2, 3 },
        JumpCase { "EqualGlossesGoToTheFirst", false, false, 3, 2 },
        JumpCase { "EqualGlossesFromTheFirst", false, false, 1, 2 }, JumpCase { "Greek", true, false, 6, 7 },
        JumpCase { "EqualGreekGoesToTheFirst", true, false, 5, 2 },
        // Step 1 finds the card whose gloss is "καί"; step 2 moves on to the Greek word's card.
        JumpCase { "GreekAlsoFoundAsAGloss", true, false, 4, 5 }, JumpCase { "Frequency", false, true, 0, 1 },
        JumpCase { "EqualFrequenciesGoToTheFirst", false, true, 4, 4 },
        JumpCase { "AFloatingFrequency", false, true, 5, 6 },
        // Frequency and Greek both checked: the last lookup that succeeds wins.
        JumpCase { "FrequencyWithGreekChecked", true, true, 2, 3 }),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------------------------

TEST_F(JumpTest, OnlyTheUsersChoiceJumps)
{
    TForm1& form1 = formOn(jumpCards());
    SortedComboBox* list = ui().FrequencyComboBox;
    form1.FrequencyTable.moveBy(3);
    // Setting the shown entry or the order from code is no choice.
    list->setCurrentIndex(2);
    list->setSorted(true);
    list->setCurrentIndex(4);
    EXPECT_EQ(currentCard(), 4);

    // The keyboard is the user's too: Down on the closed list picks the next entry, "say" after "and".
    list->setCurrentIndex(0);
    ASSERT_EQ(list->currentText(), "and");
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->currentText(), "say");
    expectOnCardInPrimaryOrder(3);
}

TEST_F(JumpTest, AMissMovesNothing)
{
    TForm1& form1 = formOn(jumpCards());
    for (bool greek : { false, true }) {
        ui().ShowGreek1->setChecked(greek);
        form1.FrequencyTable.moveBy(2);
        const int before = currentCard();
        ui().FrequencyComboBox->addEntry("no such word");
        chooseText("no such word");
        expectOnCardInPrimaryOrder(before);
        EXPECT_EQ(ui().TextGreek->text().toStdString(), jumpCards()[static_cast<std::size_t>(before - 1)].language);
    }
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(JumpTest, EnglishWordsWithShowFrequencyCheckedAreLookedUpAsGlossesOnly)
{
    // NT Frequency refills the English side while Show Frequency stays checked. An English word is no
    // frequency: that lookup is skipped rather than reported, and the set stays in its own order.
    TForm1& form1 = formOn(jumpCards());
    ui().ShowFrequency1->setChecked(true);
    form1.RefreshComboBox();
    indexesSeen.clear();

    chooseText("say");

    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
    expectOnCardInPrimaryOrder(3);
    EXPECT_EQ(indexesSeen, std::set<std::string>({ "", "EnglishIndex" }));
    ui().SpeedButton2->click();
    ui().SpeedButton2->click();
    expectOnCardInPrimaryOrder(4);

    // A count in that list is still looked up as a count.
    ui().SpeedButton3->click();
    ui().FrequencyComboBox->addEntry("68");
    chooseText("68");
    expectOnCardInPrimaryOrder(4);
    EXPECT_TRUE(indexesSeen.count("FrequencyIndex"));
}

TEST_F(JumpTest, EnglishWordsWithShowGreekCheckedFindTheirGloss)
{
    TForm1& form1 = formOn(jumpCards());
    ui().ShowGreek1->setChecked(true);
    form1.RefreshComboBox();
    chooseText("say");
    expectOnCardInPrimaryOrder(3);
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(JumpTest, AUserSetIsSearchedOnItsPrimaryIndexAlone)
{
    TForm1& form1 = formOn(jumpCards());
    const std::string path = dataHome.file("mine.db");
    // A user set is ordered by its gloss: and, say, the, word, word.
    testsupport::makeCardSet(path,
        { { "word", "λόγος", 330 }, { "the", "ὁ", 19769 }, { "say", "λέγω", 2353 }, { "and", "καί", 8973 },
            { "word", "ῥῆμα", 68 } });
    openAs(path);
    form1.RefreshComboBox();
    ASSERT_EQ(ui().FrequencyComboBox->entries(), QStringList({ "and", "say", "the", "word", "word" }));
    form1.FrequencyTable.first();
    indexesSeen.clear();

    choose(4);
    expectOnCardInPrimaryOrder(4);
    EXPECT_EQ(ui().TextGreek->text(), "λόγος");
    choose(1);
    expectOnCardInPrimaryOrder(2);
    EXPECT_EQ(indexesSeen, std::set<std::string>({ "" }));
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(JumpTest, ASetWhosePrimaryIndexIsNotOnTheGlossReportsTheKeyFieldAndStaysInKeyEntry)
{
    TForm1& form1 = formOn(jumpCards());
    // The built-in set's own file opened by its full path counts as a user set; it has no primary index.
    // A name that differs from the built-in one only in case is not the built-in set either.
    for (const std::string& name : { builtInSetPath(dataHome), std::string("cardsfrq.DB") }) {
        SCOPED_TRACE(name);
        openAs(name);
        form1.FrequencyTable.moveBy(2);
        messages.clear();
        indexesSeen.clear();

        chooseText("say");

        EXPECT_EQ(messages.texts(), QStringList { "Field 'English' is not indexed and cannot be modified." });
        EXPECT_EQ(form1.FrequencyTable.state(), cardstore::DataSetState::SetKey);
        EXPECT_EQ(indexesSeen, std::set<std::string>({ "" }));
        // The next operation leaves key-entry mode on the card where the jump began.
        form1.FrequencyTable.checkBrowseMode();
        expectOnCardInPrimaryOrder(3);
        EXPECT_EQ(ui().TextGreek->text(), "λέγω");
    }
}

TEST_F(JumpTest, AFailedLookupEndsTheJumpAndLeavesTheSetOnItsPrimaryIndex)
{
    // The built-in set closed under its own name, as after a failed NT Frequency.
    TForm1& form1 = formOn(jumpCards());
    form1.FrequencyTable.close();
    chooseText("say");
    EXPECT_EQ(messages.texts(), QStringList { "Cannot perform this operation on a closed dataset." });
    EXPECT_EQ(form1.FrequencyTable.indexName(), "");
    form1.FrequencyTable.open();
    ui().SpeedButton2->click();
    ui().SpeedButton2->click();
    expectOnCardInPrimaryOrder(2);
    EXPECT_EQ(ui().TextEnglish->text(), "word");
}

TEST_F(JumpTest, AStatusLineFailureInsideALookupLeavesTheSetOnItsPrimaryIndex)
{
    // A set under the built-in name with the glossary's indexes but no Frequency field: every change fails in
    // the status line, after the change itself.
    TForm1& form1 = formOn(jumpCards());
    form1.FrequencyTable.close();
    const std::string path = builtInSetPath(dataHome);
    std::filesystem::remove(path);
    {
        cardstore::Table table;
        table.setTableName(path);
        table.fieldDefs() = { { "English", cardstore::FieldType::Text, 100, true },
            { "Language", cardstore::FieldType::Text, 150, true } };
        table.indexDefs() = { { "EnglishIndex", "English", 0 }, { "LanguageIndex", "Language", 0 } };
        table.createTable();
        table.open();
        table.appendRecords({ { "the", "ὁ" }, { "word", "λόγος" }, { "say", "λέγω" } });
    }
    EXPECT_THROW(form1.FrequencyTable.open(), cardstore::Error);
    messages.clear();

    chooseText("say");

    EXPECT_EQ(messages.texts(), QStringList { "Field 'Frequency' not found." });
    EXPECT_EQ(form1.FrequencyTable.indexName(), "");
    EXPECT_EQ(currentCard(), 1);
}

TEST_F(JumpTest, AMissInAUserSetLeavesTheCardAndItsStatusLine)
{
    TForm1& form1 = formOn(jumpCards());
    const std::string path = dataHome.file("mine.db");
    testsupport::makeCardSet(path, { { "word", "λόγος", 330 }, { "the", "ὁ", 19769 } });
    openAs(path);
    form1.RefreshComboBox();
    form1.FrequencyTable.next();
    ui().FrequencyComboBox->addEntry("no such word");

    chooseText("no such word");

    expectOnCardInPrimaryOrder(2);
    EXPECT_EQ(ui().TextGreek->text(), "λόγος");
    EXPECT_EQ(ui().TextEnglish->text(), "word");
    // The key typed in on the way is no card: the status line still shows the card's frequency.
    EXPECT_EQ(ui().StatusPanel1->text(), "330");
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(JumpTest, AnEmptySetsBlankEntryFindsNothing)
{
    TForm1& form1 = formOn({});
    ASSERT_EQ(ui().FrequencyComboBox->entries(), QStringList({ "" }));
    for (bool greek : { false, true }) {
        ui().ShowGreek1->setChecked(greek);
        choose(0);
        EXPECT_EQ(form1.FrequencyTable.indexName(), "");
        EXPECT_EQ(ui().StatusPanel0->text(), "0 of 0");
    }
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

} // namespace
