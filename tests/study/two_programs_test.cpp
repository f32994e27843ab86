// Two programs (here two tables) on one set: one study at a time, undo takes back this session's own answer, and a
// card another program deletes leaves the study.
#include "sessiontest.h"
#include "studylock.h"

using namespace sessiontest;
using namespace studytest;

TEST_F(SessionTest, ASecondStudyIsRefusedWhileTheFirstGoesOn)
{
    cardstore::Table other;
    enginetest::openTable(other, path);
    learning::StudySession second(other, clock, nullptr, false);
    {
        learning::StudySession first(table, clock, nullptr, false);
        first.answer(keys[0], learning::Grade::Good, 1000);
        const std::string before = enginetest::bytesOf(path);
        for (const auto& refused : std::vector<std::function<void()>> {
                 [&] { second.answer(keys[1], learning::Grade::Good, 1000); }, [&] { second.beginStudy(); } }) {
            const cardstore::DatabaseError error = enginetest::errorOf(refused);
            EXPECT_EQ(error.code(), cardstore::status::kTableLocked);
            EXPECT_EQ(std::string(error.what()), cardstore::StudyLock::refusal(path));
            EXPECT_TRUE(enginetest::bytesOf(path) == before);
        }
    }
    // Once the first study is over the second goes on.
    second.answer(keys[1], learning::Grade::Good, 1000);
    EXPECT_EQ(storedLog(path).size(), 2u);
}

TEST_F(SessionTest, UndoTakesBackThisSessionsAnswerNotTheNewestInTheFile)
{
    learning::StudySession session(table, clock, nullptr, false);
    session.answer(keys[0], learning::Grade::Good, 1000);
    // Another program writes an answer of its own into the file.
    cardstore::Table other;
    enginetest::openTable(other, path);
    other.study().recordAnswer(answer(keys[1], kNoon + 1000, 3, 7.0));
    ASSERT_TRUE(session.undo().has_value());
    EXPECT_EQ(storedLog(path), (std::vector<std::pair<std::int64_t, std::int64_t>> { { keys[1], kNoon + 1000 } }));
    EXPECT_EQ(storedMemories(path), (std::map<std::int64_t, double> { { keys[1], 7.0 } }));
}

TEST_F(SessionTest, ACardAnotherProgramDeletesLeavesTheStudy)
{
    learning::StudySession session(table, clock, nullptr, false);
    const std::int64_t shown = session.next()->key;
    {
        cardstore::Table other;
        enginetest::openTable(other, path);
        ASSERT_TRUE(enginetest::moveToText(other, "and"));
        ASSERT_EQ(other.recordKey(), shown);
        other.deleteRecord();
    }
    const cardstore::DatabaseError error
        = enginetest::errorOf([&] { session.answer(shown, learning::Grade::Good, 1000); });
    EXPECT_EQ(error.code(), cardstore::status::kRecordDeleted);
    ASSERT_TRUE(session.next().has_value());
    EXPECT_NE(session.next()->key, shown);
    EXPECT_EQ(session.progress().cards, 4);
    session.answer(session.next()->key, learning::Grade::Good, 1000);
    EXPECT_EQ(storedLog(path).size(), 1u);
}

TEST_F(SessionTest, AReadOnlySetCountsTodaysAnswersAlreadyInItsFile)
{
    table.study().setSetting(cardstore::studysetting::kDailyNewCards, "4");
    {
        learning::StudySession writer(table, clock, nullptr, false);
        for (int i = 0; i < 3; ++i)
            writer.answer(writer.next()->key, learning::Grade::Good, 1000);
    }
    table.close();
    cardstore::Table reader;
    reader.setReadOnly(true);
    enginetest::openTable(reader, path);
    const learning::StudySession session(reader, clock, nullptr, false);
    ASSERT_FALSE(session.canSave());
    EXPECT_EQ(session.counts().newCards, 1); // four a day, three of them today already
    EXPECT_EQ(session.today().reviews, 3);
    EXPECT_EQ(session.today().newCards, 3);
}
