// The Sort List menu: every row of its transition table, chosen through the menu items, and the list's sorted
// order across card set changes.
#include "qcardunt.h"
#include "tform1.h"
#include "ui_tform1.h"
#include "windowtest.h"

#include <QAction>

using namespace windowtest;

namespace {

const std::vector<testsupport::Card>& sortCards()
{
    static const std::vector<testsupport::Card> cards {
        { "the", "ὁ", 19769 },
        { "and", "καί", 8973 },
        { "God", "θεός", 1317 },
        { "apostle", "ἀπόστολος", 80 },
    };
    return cards;
}

const QStringList kEnglish { "the", "and", "God", "apostle" };
const QStringList kEnglishSorted { "and", "apostle", "God", "the" };
const QStringList kGreek { "ὁ", "καί", "θεός", "ἀπόστολος" };
const QStringList kGreekSorted { "ἀπόστολος", "θεός", "καί", "ὁ" };
const QStringList kFrequency { "19769", "8973", "1317", "80" };
// What the list holds before a command: entries no refill gives, so that a re-sort tells itself from a refill.
const QStringList kStale { "zeta", "Beta", "alpha" };
const QStringList kStaleSorted { "alpha", "Beta", "zeta" };

const char* const kStaleFace = "Stale Face";
const char* const kGreekFace = "Gentium Plus";
const char* const kListFace = "TimesNewRoman";

struct Marks
{
    bool alphabetically;
    bool greek;
    bool frequency;
};

struct SortCase
{
    const char* name;
    QAction* Ui::TForm1::*item;
    Marks before;
    bool sortedBefore;
    const char* faceBefore;
    Marks after;
    bool sortedAfter;
    const char* faceAfter;
    QStringList entries;
    QString shown;
    bool refilled; // the walk of a refill leaves the first card current
};

void PrintTo(const SortCase& c, std::ostream* out)
{
    *out << c.name;
}

class SortListTest : public MainWindowTest
{
protected:
    TForm1& formOn(const std::vector<testsupport::Card>& cards)
    {
        TForm1& form1 = MainWindowTest::formOn(cards);
        QFont greek = ui().TextGreek->font();
        greek.setFamily(kGreekFace);
        ui().TextGreek->setFont(greek);
        return form1;
    }

    void setMarks(const Marks& marks)
    {
        ui().Alphabetcally1->setChecked(marks.alphabetically);
        ui().ShowGreek1->setChecked(marks.greek);
        ui().ShowFrequency1->setChecked(marks.frequency);
        ui().Alphabetcally1->setEnabled(!marks.frequency);
        ui().ShowGreek1->setEnabled(!marks.frequency);
    }

    void expectMarks(const Marks& marks)
    {
        EXPECT_EQ(ui().Alphabetcally1->isChecked(), marks.alphabetically);
        EXPECT_EQ(ui().ShowGreek1->isChecked(), marks.greek);
        EXPECT_EQ(ui().ShowFrequency1->isChecked(), marks.frequency);
        EXPECT_EQ(ui().Alphabetcally1->isEnabled(), !marks.frequency);
        EXPECT_EQ(ui().ShowGreek1->isEnabled(), !marks.frequency);
        EXPECT_TRUE(ui().ShowFrequency1->isEnabled());
    }

    void setListFace(const QString& face)
    {
        QFont font = ui().FrequencyComboBox->font();
        font.setFamily(face);
        ui().FrequencyComboBox->setFont(font);
    }

    // Opens a set under a name of the test's choosing, as New and Open do with a file's full path.
    void openAs(const std::string& tableName)
    {
        form->FrequencyTable.close();
        form->FrequencyTable.setTableName(tableName);
        form->FrequencyTable.open();
    }
};

class SortTransitionTest : public SortListTest, public ::testing::WithParamInterface<SortCase>
{
};

TEST_P(SortTransitionTest, SetsMarksOrderFaceAndEntries)
{
    const SortCase& c = GetParam();
    TForm1& form1 = formOn(sortCards());
    SortedComboBox* list = ui().FrequencyComboBox;
    setMarks(c.before);
    list->setSorted(c.sortedBefore);
    list->clear();
    list->addEntries(kStale);
    list->setCurrentIndex(1);
    setListFace(c.faceBefore);
    form1.FrequencyTable.moveBy(2);

    (ui().*c.item)->trigger();

    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
    expectMarks(c.after);
    EXPECT_EQ(list->sorted(), c.sortedAfter);
    EXPECT_EQ(list->font().family(), c.faceAfter);
    EXPECT_EQ(list->font().pointSize(), 13);
    EXPECT_EQ(list->entries(), c.entries);
    EXPECT_EQ(list->currentText(), c.shown);
    EXPECT_EQ(form1.FrequencyTable.sequenceNumber(), c.refilled ? 1 : 3);
    EXPECT_EQ(ui().StatusPanel0->text(), c.refilled ? "1 of 4" : "3 of 4");
    // The sort mode is no business of the drill.
    EXPECT_TRUE(DrillFlag);
    EXPECT_FALSE(ui().TextEnglish->isVisibleTo(&form1));
}

constexpr Marks kNone { false, false, false };
constexpr Marks kA { true, false, false };
constexpr Marks kG { false, true, false };
constexpr Marks kAG { true, true, false };
constexpr Marks kF { false, false, true };
constexpr Marks kAF { true, false, true };
constexpr Marks kGF { false, true, true };
constexpr Marks kAGF { true, true, true };

INSTANTIATE_TEST_SUITE_P(SortList, SortTransitionTest,
    ::testing::Values(
        // Alphabetically.
        SortCase { "AlphabeticallyOnResortsWhatIsThere", &Ui::TForm1::Alphabetcally1, kNone, false, kStaleFace, kA,
            true, kStaleFace, kStaleSorted, "alpha", false },
        SortCase { "AlphabeticallyOnInGreekResortsToo", &Ui::TForm1::Alphabetcally1, kG, false, kStaleFace, kAG, true,
            kStaleFace, kStaleSorted, "alpha", false },
        SortCase { "AlphabeticallyOffRefillsEnglish", &Ui::TForm1::Alphabetcally1, kA, true, kStaleFace, kNone, false,
            kStaleFace, kEnglish, "the", true },
        SortCase { "AlphabeticallyOffInGreekRefillsGreek", &Ui::TForm1::Alphabetcally1, kAG, true, kStaleFace, kG,
            false, kGreekFace, kGreek, "ὁ", true },
        // Show Greek.
        SortCase { "ShowGreekOn", &Ui::TForm1::ShowGreek1, kNone, false, kStaleFace, kG, false, kGreekFace, kGreek, "ὁ",
            true },
        SortCase { "ShowGreekOnWhileSorted", &Ui::TForm1::ShowGreek1, kA, true, kStaleFace, kAG, true, kGreekFace,
            kGreekSorted, "ἀπόστολος", true },
        SortCase { "ShowGreekOff", &Ui::TForm1::ShowGreek1, kG, false, kStaleFace, kNone, false, kListFace, kEnglish,
            "the", true },
        SortCase { "ShowGreekOffWhileSorted", &Ui::TForm1::ShowGreek1, kAG, true, kStaleFace, kA, true, kListFace,
            kEnglishSorted, "and", true },
        // Show Frequency: entering keeps the other marks and disables their items; leaving gives back their list.
        SortCase { "ShowFrequencyOn", &Ui::TForm1::ShowFrequency1, kNone, false, kStaleFace, kF, false, kListFace,
            kFrequency, "19769", true },
        SortCase { "ShowFrequencyOnWhileSortedInGreek", &Ui::TForm1::ShowFrequency1, kAG, true, kGreekFace, kAGF, false,
            kListFace, kFrequency, "19769", true },
        SortCase { "ShowFrequencyOff", &Ui::TForm1::ShowFrequency1, kF, false, kListFace, kNone, false, kListFace,
            kEnglish, "the", true },
        SortCase { "ShowFrequencyOffSortsAgain", &Ui::TForm1::ShowFrequency1, kAF, false, kListFace, kA, true,
            kListFace, kEnglishSorted, "and", true },
        SortCase { "ShowFrequencyOffToGreek", &Ui::TForm1::ShowFrequency1, kGF, false, kListFace, kG, false, kGreekFace,
            kGreek, "ὁ", true },
        SortCase { "ShowFrequencyOffToSortedGreek", &Ui::TForm1::ShowFrequency1, kAGF, false, kListFace, kAG, true,
            kGreekFace, kGreekSorted, "ἀπόστολος", true }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SortListTest, InFrequencyModeOnlyShowFrequencyCanBeChosen)
{
    formOn(sortCards());
    ui().ShowFrequency1->trigger();
    ui().Alphabetcally1->trigger();
    ui().ShowGreek1->trigger();
    expectMarks(kF);
    EXPECT_FALSE(ui().FrequencyComboBox->sorted());
    EXPECT_EQ(ui().FrequencyComboBox->entries(), kFrequency);
}

TEST_F(SortListTest, EnteringAndLeavingFrequencyModeWithAlphabeticallyChecked)
{
    formOn(sortCards());
    SortedComboBox* list = ui().FrequencyComboBox;
    ui().Alphabetcally1->trigger();
    ASSERT_EQ(list->entries(), kEnglishSorted);

    ui().ShowFrequency1->trigger();
    expectMarks(kAF);
    EXPECT_EQ(list->entries(), kFrequency);
    EXPECT_FALSE(list->sorted());

    ui().ShowFrequency1->trigger();
    expectMarks(kA);
    EXPECT_EQ(list->entries(), kEnglishSorted);
    EXPECT_TRUE(list->sorted());
    EXPECT_EQ(list->currentText(), "and");

    // And the same round in Greek.
    ui().ShowGreek1->trigger();
    ui().ShowFrequency1->trigger();
    expectMarks(kAGF);
    EXPECT_EQ(list->font().family(), kListFace);
    ui().ShowFrequency1->trigger();
    expectMarks(kAG);
    EXPECT_EQ(list->entries(), kGreekSorted);
    EXPECT_EQ(list->font().family(), kGreekFace);
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(SortListTest, TheSortedOrderOutlastsTheMarksAcrossCardSetChanges)
{
    TForm1& form1 = formOn(sortCards());
    SortedComboBox* list = ui().FrequencyComboBox;
    ui().Alphabetcally1->trigger();

    // Open: another set, refilled with its English side, the marks cleared; the list stays sorted. (A copy of the
    // glossary's file opened by its path is a user set in table order.)
    const std::string other = dataHome.file("other.db");
    testsupport::makeBuiltInLikeSet(
        other, { { "zeal", "ζῆλος", 16 }, { "Bread", "ἄρτος", 97 }, { "ask", "αἰτέω", 70 } });
    openAs(other);
    setMarks(kNone);
    form1.RefreshComboBox();
    EXPECT_TRUE(list->sorted());
    EXPECT_EQ(list->entries(), QStringList({ "ask", "Bread", "zeal" }));
    EXPECT_EQ(form1.FrequencyTable.fieldText("English"), "zeal");

    // New: the list cleared, not refilled; still sorted.
    list->clear();
    EXPECT_TRUE(list->sorted());

    // NT Frequency: the glossary refilled with its English side, sorted while Alphabetically is unchecked.
    openAs("cardsfrq.db");
    form1.RefreshComboBox();
    EXPECT_EQ(list->entries(), kEnglishSorted);
    EXPECT_FALSE(ui().Alphabetcally1->isChecked());

    // The next Alphabetically checks it, and the list stays sorted; the one after unsorts and refills.
    ui().Alphabetcally1->trigger();
    expectMarks(kA);
    EXPECT_TRUE(list->sorted());
    EXPECT_EQ(list->entries(), kEnglishSorted);
    EXPECT_EQ(list->currentText(), "and");
    ui().Alphabetcally1->trigger();
    expectMarks(kNone);
    EXPECT_FALSE(list->sorted());
    EXPECT_EQ(list->entries(), kEnglish);
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(SortListTest, AfterNtFrequencyWithShowGreekCheckedTheNextClicksUncheckThenShowGreek)
{
    TForm1& form1 = formOn(sortCards());
    SortedComboBox* list = ui().FrequencyComboBox;
    ui().ShowGreek1->trigger();
    ASSERT_EQ(list->entries(), kGreek);
    // NT Frequency refills the English side and leaves the marks.
    form1.RefreshComboBox();
    EXPECT_EQ(list->entries(), kEnglish);

    ui().ShowGreek1->trigger();
    expectMarks(kNone);
    EXPECT_EQ(list->entries(), kEnglish);
    EXPECT_EQ(list->font().family(), kListFace);
    ui().ShowGreek1->trigger();
    expectMarks(kG);
    EXPECT_EQ(list->entries(), kGreek);
    EXPECT_EQ(list->font().family(), kGreekFace);
}

TEST_F(SortListTest, ARefillThatFailsShowsTheErrorAfterTheMarkIsSet)
{
    TForm1& form1 = formOn(sortCards());
    form1.FrequencyTable.close();
    ui().ShowGreek1->trigger();
    EXPECT_EQ(messages.texts(), QStringList { "Cannot perform this operation on a closed dataset." });
    EXPECT_TRUE(ui().ShowGreek1->isChecked());
    EXPECT_EQ(ui().FrequencyComboBox->count(), 0);
    EXPECT_EQ(ui().FrequencyComboBox->font().family(), kGreekFace);
}

} // namespace
