// The word list refills and the list control's sorted order.
#include "errors.h"
#include "qcardunt.h"
#include "sortedcombobox.h"
#include "tform1.h"
#include "ui_tform1.h"
#include "windowtest.h"

#include <QSignalSpy>

using namespace windowtest;

namespace {

using WordListTest = MainWindowTest;

struct RefillCase
{
    const char* name;
    void (TForm1::*refill)();
    QStringList entries;
};

void PrintTo(const RefillCase& c, std::ostream* out)
{
    *out << c.name;
}

class RefillTest : public WordListTest, public ::testing::WithParamInterface<RefillCase>
{
};

TEST_P(RefillTest, ListsTheFieldInTableOrderAndEndsOnTheFirstCard)
{
    TForm1& form1 = formOn(threeCards());
    form1.FrequencyTable.last();
    ASSERT_EQ(ui().StatusPanel0->text(), "3 of 3");

    (form1.*GetParam().refill)();

    EXPECT_EQ(ui().FrequencyComboBox->entries(), GetParam().entries);
    EXPECT_EQ(ui().FrequencyComboBox->currentIndex(), 0);
    EXPECT_EQ(form1.FrequencyTable.sequenceNumber(), 1);
    // The card texts and the status line followed the walk back to the first card.
    EXPECT_EQ(ui().TextGreek->text(), "ὁ");
    EXPECT_EQ(ui().StatusPanel0->text(), "1 of 3");
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Refills, RefillTest,
    ::testing::Values(RefillCase { "English", &TForm1::RefreshComboBox, { "the", "and", "God" } },
        RefillCase { "Greek", &TForm1::RefreshComboBoxGreek, { "ὁ", "καί", "θεός" } },
        RefillCase { "Frequency", &TForm1::RefreshComboBoxFrequency, { "19769", "8973", "1317" } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WordListTest, TheCardTextsAndStatusLineShowWhereTheWalkEndsWhileItsFiguresAreTakenAtEveryCard)
{
    TForm1& form1 = formOn(threeCards());
    form1.FrequencyTable.last();
    QSignalSpy controlUpdates(&form1.FrequencySource, &TDataSource::dataChanged);
    std::vector<int> positionsRead;
    auto statusLine = form1.FrequencySource.OnDataChange;
    form1.FrequencySource.OnDataChange = [&](int fieldIndex) {
        positionsRead.push_back(form1.FrequencyTable.sequenceNumber());
        statusLine(fieldIndex);
        // The panels are not redrawn card by card.
        EXPECT_EQ(ui().StatusPanel0->text(), "3 of 3");
    };

    form1.RefreshComboBox();

    // The step past the last card tells of the last card again, then the walk goes back to the first.
    EXPECT_EQ(positionsRead, (std::vector<int> { 1, 2, 3, 3, 1 }));
    EXPECT_EQ(controlUpdates.count(), 1);
    EXPECT_EQ(ui().TextEnglish->text(), "the");
    EXPECT_EQ(ui().StatusPanel0->text(), "1 of 3");
    EXPECT_EQ(ui().StatusPanel1->text(), "19769");
    EXPECT_FALSE(form1.FrequencySource.controlsDisabled());
}

TEST_F(WordListTest, AWalkThatFailsShowsTheStatusItReachedBeforeTheFailure)
{
    TForm1& form1 = formOn(threeCards());
    form1.FrequencyTable.last();
    auto statusLine = form1.FrequencySource.OnDataChange;
    form1.FrequencySource.OnDataChange = [&](int fieldIndex) {
        statusLine(fieldIndex);
        if (form1.FrequencyTable.sequenceNumber() == 2)
            throw cardstore::DatabaseError(cardstore::status::kDataset, "Not a Paradox or dBASE table");
    };

    EXPECT_THROW(form1.RefreshComboBox(), cardstore::DatabaseError);

    EXPECT_EQ(ui().StatusPanel0->text(), "2 of 3");
    EXPECT_EQ(ui().StatusPanel1->text(), "8973");
    EXPECT_EQ(ui().TextGreek->text(), "καί");
    EXPECT_EQ(ui().FrequencyComboBox->entries(), (QStringList { "the" }));
}

TEST_F(WordListTest, KeepsDuplicatesAndEntriesAsTheyAre)
{
    TForm1& form1 = formOn({ { "word", "λόγος", 330 }, { " word ", "ῥῆμα", 68 }, { "word", "λόγος", 2.5 } });
    form1.RefreshComboBox();
    EXPECT_EQ(ui().FrequencyComboBox->entries(), QStringList({ "word", " word ", "word" }));
    form1.RefreshComboBoxFrequency();
    EXPECT_EQ(ui().FrequencyComboBox->entries(), QStringList({ "330", "68", "2.5" }));
}

TEST_F(WordListTest, AnEmptySetGivesOneBlankEntry)
{
    TForm1& form1 = formOn({});
    for (auto refill : { &TForm1::RefreshComboBox, &TForm1::RefreshComboBoxGreek, &TForm1::RefreshComboBoxFrequency }) {
        (form1.*refill)();
        EXPECT_EQ(ui().FrequencyComboBox->entries(), QStringList({ "" }));
        EXPECT_EQ(ui().FrequencyComboBox->currentIndex(), 0);
        EXPECT_EQ(ui().FrequencyComboBox->currentText(), "");
    }
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(WordListTest, SortedListsShowTheAlphabeticallyFirstEntryWhileTheFirstCardStaysCurrent)
{
    TForm1& form1 = formOn(
        { { "the", "ὁ", 19769 }, { "and", "καί", 8973 }, { "God", "θεός", 1317 }, { "apostle", "ἀπόστολος", 80 } });
    ui().FrequencyComboBox->setSorted(true);

    form1.RefreshComboBox();
    EXPECT_EQ(ui().FrequencyComboBox->entries(), QStringList({ "and", "apostle", "God", "the" }));
    EXPECT_EQ(ui().FrequencyComboBox->currentText(), "and");
    EXPECT_EQ(ui().TextGreek->text(), "ὁ");
    EXPECT_EQ(form1.FrequencyTable.sequenceNumber(), 1);

    form1.RefreshComboBoxGreek();
    EXPECT_EQ(ui().FrequencyComboBox->entries(), QStringList({ "ἀπόστολος", "θεός", "καί", "ὁ" }));
    EXPECT_EQ(ui().FrequencyComboBox->currentText(), "ἀπόστολος");
    EXPECT_TRUE(ui().FrequencyComboBox->sorted());
}

TEST_F(WordListTest, TheFrequencyRefillSwitchesSortedOffAndKeepsTableOrder)
{
    TForm1& form1 = formOn(threeCards());
    ui().FrequencyComboBox->setSorted(true);
    form1.RefreshComboBoxFrequency();
    EXPECT_FALSE(ui().FrequencyComboBox->sorted());
    EXPECT_EQ(ui().FrequencyComboBox->entries(), QStringList({ "19769", "8973", "1317" }));
    EXPECT_EQ(ui().FrequencyComboBox->font().family(), "TimesNewRoman");
    // Switched off, it stays off for the next refill.
    form1.RefreshComboBox();
    EXPECT_EQ(ui().FrequencyComboBox->entries(), QStringList({ "the", "and", "God" }));
}

TEST_F(WordListTest, TheGreekRefillTakesTheFaceTheGreekTextHasNow)
{
    TForm1& form1 = formOn(threeCards());
    QFont greek = ui().TextGreek->font();
    greek.setFamily("Gentium Plus");
    greek.setPointSize(30);
    ui().TextGreek->setFont(greek);

    form1.RefreshComboBoxGreek();

    EXPECT_EQ(ui().FrequencyComboBox->font().family(), "Gentium Plus");
    // Face only: the list keeps its own size and colour.
    EXPECT_EQ(ui().FrequencyComboBox->font().pointSize(), 13);
    EXPECT_EQ(ui().FrequencyComboBox->palette().color(QPalette::Text), QColor(128, 0, 0));
    // The English refill leaves the face as it is.
    form1.RefreshComboBox();
    EXPECT_EQ(ui().FrequencyComboBox->font().family(), "Gentium Plus");
}

TEST_F(WordListTest, ARefillNeverChangesTheDrillState)
{
    TForm1& form1 = formOn(threeCards());
    ui().TextGreek->hide();
    ui().TextEnglish->show();
    DrillFlag = false;
    form1.RefreshComboBox();
    EXPECT_FALSE(ui().TextGreek->isVisibleTo(&form1));
    EXPECT_TRUE(ui().TextEnglish->isVisibleTo(&form1));
    EXPECT_FALSE(DrillFlag);
    // The hidden label followed the walk all the same.
    EXPECT_EQ(ui().TextGreek->text(), "ὁ");
}

TEST_F(WordListTest, ARefillThatFailsAtItsFirstReadLeavesTheListEmpty)
{
    TForm1& form1 = formOn(threeCards());
    // A foreign table: it has no English field (its Frequency field keeps the status line going).
    const std::string foreign = dataHome.file("foreign.db");
    {
        cardstore::Table table;
        table.setTableName(foreign);
        table.fieldDefs() = { { "Word", cardstore::FieldType::Text, 20, true },
            { "Frequency", cardstore::FieldType::Float, 0, false } };
        table.createTable();
        table.open();
        table.appendRecords({ { "a", "1" }, { "b", "2" } });
    }
    form1.FrequencyTable.close();
    form1.FrequencyTable.setTableName(foreign);
    form1.FrequencyTable.open();

    try {
        form1.RefreshComboBox();
        FAIL() << "no error raised";
    } catch (const cardstore::Error& error) {
        EXPECT_STREQ(error.what(), "Field 'English' not found");
    }
    EXPECT_EQ(ui().FrequencyComboBox->count(), 0);
    EXPECT_EQ(ui().FrequencyComboBox->currentText(), "");
}

TEST_F(WordListTest, ARefillOnAClosedTableFailsWithAnEmptyList)
{
    TForm1& form1 = formOn(threeCards());
    form1.FrequencyTable.close();
    EXPECT_EQ(ui().TextGreek->text(), "");
    try {
        form1.RefreshComboBox();
        FAIL() << "no error raised";
    } catch (const cardstore::Error& error) {
        EXPECT_STREQ(error.what(), "Cannot perform this operation on a closed dataset");
    }
    EXPECT_EQ(ui().FrequencyComboBox->count(), 0);
}

// The list control on its own.
class SortedComboBoxTest : public ::testing::Test
{
protected:
    SortedComboBox list;
};

TEST_F(SortedComboBoxTest, AddingEntriesNeverChoosesOne)
{
    list.addEntries({ "b", "a" });
    EXPECT_EQ(list.currentIndex(), -1);
    list.addEntry("c");
    EXPECT_EQ(list.currentIndex(), -1);
    list.setSorted(true);
    list.addEntries({ "d" });
    EXPECT_EQ(list.currentIndex(), -1);
}

TEST_F(SortedComboBoxTest, SortedOrderIgnoresCaseAndAccentsGoWithTheirLetters)
{
    list.setSorted(true);
    list.addEntries({ "beta", "Alpha", "alpha", "Éta", "eta", "zeta", "Delta" });
    EXPECT_EQ(list.entries(), QStringList({ "Alpha", "alpha", "beta", "Delta", "eta", "Éta", "zeta" }));
}

TEST_F(SortedComboBoxTest, TurningSortedOnResortsAtOnceAndShowsNoEntry)
{
    list.addEntries({ "c", "A", "b" });
    list.setCurrentIndex(2);
    list.setSorted(true);
    EXPECT_EQ(list.entries(), QStringList({ "A", "b", "c" }));
    EXPECT_EQ(list.currentIndex(), -1);
    EXPECT_EQ(list.currentText(), "");
}

TEST_F(SortedComboBoxTest, LaterEntriesGoToTheirPlaceWhileSortedAndToTheEndAfterwards)
{
    list.setSorted(true);
    list.addEntries({ "b", "d" });
    list.setCurrentIndex(1);
    list.addEntry("c");
    list.addEntries({ "a", "B" });
    EXPECT_EQ(list.entries(), QStringList({ "a", "b", "B", "c", "d" }));
    // The shown entry is still the one that was shown.
    EXPECT_EQ(list.currentText(), "d");

    list.setSorted(false);
    EXPECT_EQ(list.entries(), QStringList({ "a", "b", "B", "c", "d" }));
    EXPECT_EQ(list.currentIndex(), -1);
    list.addEntries({ "A", "0" });
    EXPECT_EQ(list.entries(), QStringList({ "a", "b", "B", "c", "d", "A", "0" }));
}

TEST_F(SortedComboBoxTest, NothingDoneFromCodeCountsAsTheUsersChoice)
{
    QSignalSpy chosen(&list, &QComboBox::activated);
    list.addEntries({ "b", "a", "c" });
    list.setCurrentIndex(1);
    list.setSorted(true);
    list.setCurrentIndex(0);
    list.clear();
    EXPECT_EQ(chosen.count(), 0);
}

} // namespace
