// The Study window over the main window: studying from the keyboard alone, progress kept in the set and read back,
// undo, a set that cannot keep progress, damaged progress, the search for a card out of turn, and study by book.
#include "clock.h"
#include "newtestament.h"
#include "studystore.h"
#include "table.h"
#include "tform1.h"
#include "tstudyform.h"
#include "ui_tform1.h"
#include "ui_tstudyform.h"
#include "windowtest.h"

#include <QTest>

#include <sqlite3.h>

using namespace windowtest;

namespace {

// A Tuesday noon, UTC.
constexpr std::int64_t kNoon = 1'765'281'600'000;

class StudyTest : public MainWindowTest
{
protected:
    StudyTest()
        : clock(kNoon)
    {
        formOn(fourCards());
        study = std::make_unique<TStudyForm>();
        study->setClock(&clock, false);
        study->setNewTestament(&karte::newTestament());
        form->connectStudyWindow(study.get());
        form->show();
    }
    ~StudyTest() override { study.reset(); }

    Ui::TStudyForm& studyUi() { return formOf(*study); }

    void openStudy()
    {
        ui().Study1->trigger();
        ASSERT_TRUE(study->isVisible());
        study->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(study.get()));
        // The note about the progress follows the first card.
        QCoreApplication::processEvents();
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(study.get(), Qt::Key(key), modifiers);
    }
    QString front() { return studyUi().FrontText->text(); }
    bool answerShown() { return studyUi().BackText->isVisible(); }

    std::size_t answersInFile()
    {
        cardstore::Table table;
        table.setTableName(builtInSetPath(dataHome));
        table.setReadOnly(true);
        table.open();
        return table.study().lastReviews(1000).size();
    }

    learning::ManualClock clock;
    std::unique_ptr<TStudyForm> study;
};

TEST_F(StudyTest, StudiedWithTheKeyboardAloneAndKeptInTheSet)
{
    openStudy();
    EXPECT_FALSE(form->isEnabled());
    EXPECT_EQ(studyUi().CountsText->text().toStdString(), "New 4 · Learning 0 · Due 0");
    EXPECT_EQ(front(), "ὁ");
    EXPECT_FALSE(answerShown());

    // A grade before the answer is shown does nothing.
    press(Qt::Key_3);
    EXPECT_EQ(front(), "ὁ");
    press(Qt::Key_Space);
    ASSERT_TRUE(answerShown());
    EXPECT_EQ(studyUi().BackText->text(), "the");
    EXPECT_EQ(studyUi().GoodButton->text(), "Good &3\n10m");
    EXPECT_EQ(studyUi().AgainButton->accessibleName(), "Again, next in 1 minute");
    press(Qt::Key_3);
    EXPECT_EQ(front(), "καί");
    EXPECT_EQ(studyUi().CountsText->text().toStdString(), "New 3 · Learning 1 · Due 0");
    press(Qt::Key_Return);
    press(Qt::Key_4);
    EXPECT_EQ(answersInFile(), 2u);

    // Ctrl+Z takes the last answer back, in the file as well.
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(front(), "καί");
    EXPECT_EQ(answersInFile(), 1u);

    press(Qt::Key_Escape);
    EXPECT_FALSE(study->isVisible());
    EXPECT_TRUE(form->isEnabled());

    // Opened again, the set remembers: ὁ is learning, three cards are new.
    openStudy();
    EXPECT_EQ(studyUi().CountsText->text().toStdString(), "New 3 · Learning 1 · Due 0");
    EXPECT_TRUE(messages.requests().empty()) << messages.texts().join('\n').toStdString();
}

TEST_F(StudyTest, TheAnswerGivesTheWordAsADictionaryListsItAndItsFormsParsed)
{
    openStudy();
    for (int answer = 0; answer < 2; ++answer) {
        press(Qt::Key_Space);
        press(Qt::Key_4);
    }
    ASSERT_EQ(front(), "λόγος");
    press(Qt::Key_Space);
    const QString context = studyUi().ContextView->toPlainText();
    // The gloss is the text's, which may say more than the card's English side.
    EXPECT_TRUE(context.startsWith("λόγος, -ου, ὁ — word, message")) << context.toStdString();
    EXPECT_TRUE(context.contains("λόγον — accusative singular, 130×")) << context.toStdString();
}

TEST_F(StudyTest, TheDayEndsWithASummaryAndMoreNewCardsOnlyOnRequest)
{
    openStudy();
    studyUi().NewCardsBox->setValue(2);
    Q_EMIT studyUi().NewCardsBox->editingFinished();
    for (int answer = 0; answer < 2; ++answer) {
        press(Qt::Key_Space);
        press(Qt::Key_4);
    }
    ASSERT_EQ(studyUi().Pages->currentWidget(), studyUi().DonePage);
    EXPECT_TRUE(studyUi().SummaryText->text().contains("Today: 2 answers, 2 new"))
        << studyUi().SummaryText->text().toStdString();
    ASSERT_TRUE(studyUi().MoreNewButton->isVisible());
    QTest::mouseClick(studyUi().MoreNewButton, Qt::LeftButton);
    EXPECT_EQ(front(), "λόγος");
}

TEST_F(StudyTest, ASetThatCannotBeWrittenIsStudiedWithoutSavingAndSaysSo)
{
    const std::string path = builtInSetPath(dataHome);
    form->FrequencyTable.close();
    form->FrequencyTable.setReadOnly(true);
    form->FrequencyTable.open();
    const std::string before = testsupport::readBytes(path);
    openStudy();
    EXPECT_TRUE(studyUi().NoteText->text().contains("not saved")) << studyUi().NoteText->text().toStdString();
    press(Qt::Key_Space);
    press(Qt::Key_3);
    EXPECT_EQ(front(), "καί");
    press(Qt::Key_Escape);
    EXPECT_EQ(testsupport::readBytes(path), before);
}

TEST_F(StudyTest, DamagedProgressIsExplainedAndTheSetStillDrills)
{
    const std::string path = builtInSetPath(dataHome);
    form->FrequencyTable.close();
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        // A view where the card memories belong is no table of ours.
        ASSERT_EQ(sqlite3_exec(db, "CREATE VIEW karte_study_memory AS SELECT 1", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    form->FrequencyTable.open();
    const std::string before = testsupport::readBytes(path);
    openStudy();
    EXPECT_EQ(studyUi().Pages->currentWidget(), studyUi().DonePage);
    EXPECT_TRUE(studyUi().SummaryText->text().contains("damaged")) << studyUi().SummaryText->text().toStdString();
    press(Qt::Key_Escape);
    EXPECT_TRUE(form->isEnabled());
    ui().SpeedButton2->click();
    ui().SpeedButton2->click();
    EXPECT_EQ(ui().TextGreek->text(), "καί");
    EXPECT_EQ(testsupport::readBytes(path), before);
}

TEST_F(StudyTest, AnyCardIsFoundByAnySpellingAndReviewedOutOfTurn)
{
    openStudy();
    press(Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(studyUi().SearchBox->hasFocus());
    QTest::keyClicks(studyUi().SearchBox, "logos");
    ASSERT_EQ(studyUi().SearchResults->count(), 1);
    EXPECT_EQ(studyUi().SearchResults->item(0)->text(), "λόγος — word, message");
    QTest::keyClick(studyUi().SearchBox, Qt::Key_Return);
    EXPECT_EQ(front(), "λόγος");
    EXPECT_TRUE(studyUi().CountsText->text().contains("out of turn"));
    press(Qt::Key_Space);
    press(Qt::Key_3);
    EXPECT_EQ(answersInFile(), 1u);
    // The queue goes on where it was, less the card reviewed.
    EXPECT_EQ(front(), "ὁ");
    EXPECT_EQ(studyUi().CountsText->text().toStdString(), "New 3 · Learning 1 · Due 0");
}

TEST_F(StudyTest, StudyForABookGivesItsWordsByTheirFrequencyThereAndIsRemembered)
{
    openStudy();
    const int firstJohn = studyUi().BookBox->findText("1 John");
    ASSERT_GT(firstJohn, 0) << "no companion file with the books";
    studyUi().BookBox->setCurrentIndex(firstJohn);
    Q_EMIT studyUi().BookBox->activated(firstJohn);
    EXPECT_EQ(studyUi().CountsText->text().toStdString(), "New 4 · Learning 0 · Due 0");
    for (const char* greek : { "ὁ", "καί" }) {
        EXPECT_EQ(front(), greek);
        press(Qt::Key_Space);
        press(Qt::Key_4);
    }
    // λόγος comes before ἀγάπη in the set, but 1 John has ἀγάπη 18 times and λόγος 6.
    EXPECT_EQ(front(), "ἀγάπη");
    press(Qt::Key_Escape);
    openStudy();
    EXPECT_EQ(studyUi().BookBox->currentText(), "1 John");
}

} // namespace
