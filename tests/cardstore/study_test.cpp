// The study progress kept in a card set: memories and the log of answers, undo, settings, and how its writes sit
// with the cards' (deleting a card, read-only sets, the table's refresh, a second instance, a failing disk).
#include "cardfile.h"
#include "enginetest.h"
#include "failingvfs.h"
#include "studytest.h"

#include <sys/stat.h>

#include <cmath>
#include <future>
#include <thread>

using namespace cardstore;
using namespace enginetest;
using namespace studytest;

namespace {

class StudyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testsupport::makeCardSet(path, fiveCards());
        openTable(table, path);
        keys = keysOf(table); // and, God, love, spirit, word
    }

    testsupport::TempDir dir;
    std::string path = dir.file("set.SDB");
    Table table;
    std::vector<std::int64_t> keys;
};

} // namespace

TEST_F(StudyTest, CardsAreReachedByKeysThatEditsKeepAndNewCardsDoNotReuse)
{
    std::vector<std::string> english;
    table.visitRecords([&](std::int64_t key, const std::vector<Value>& values) {
        english.push_back(std::get<std::string>(values[0]));
        EXPECT_EQ(table.recordValues(key), &values);
    });
    EXPECT_EQ(english, (std::vector<std::string> { "and", "God", "love", "spirit", "word" }));
    const std::int64_t highest = *std::max_element(keys.begin(), keys.end());
    EXPECT_EQ(table.recordValues(highest + 1), nullptr);
    ASSERT_TRUE(moveToText(table, "love"));
    EXPECT_EQ(table.recordKey(), keys[2]);
    table.deleteRecord();
    table.insert();
    EXPECT_EQ(table.recordKey(), 0);
    table.setFieldText("English", "beginning");
    table.setFieldText("Language", "ἀρχή");
    table.post();
    const std::int64_t added = table.recordKey();
    EXPECT_GT(added, highest);
    table.edit();
    table.setFieldText("English", "origin");
    table.post();
    EXPECT_EQ(table.recordKey(), added);
}

TEST_F(StudyTest, AnswersAndSettingsRoundTripThroughTheFile)
{
    const std::string before = bytesOf(path);
    StudyStore& study = table.study();
    EXPECT_TRUE(study.loadMemories().empty());
    EXPECT_EQ(study.setting(studysetting::kBook), std::nullopt);
    EXPECT_TRUE(bytesOf(path) == before) << "looking at a set never studied leaves it as it was";

    // Recorded out of time order; each is in the file when recordAnswer returns.
    const std::vector<ReviewEntry> answers
        = { answer(keys[1], 3000, 3, 1.5), answer(keys[4], 1000, 1, 0.2), answer(keys[1], 5000, 4, 9.0) };
    for (std::size_t i = 0; i < answers.size(); ++i) {
        study.recordAnswer(answers[i]);
        EXPECT_EQ(storedLog(path).size(), i + 1);
    }
    using Log = std::vector<std::pair<std::int64_t, std::int64_t>>;
    EXPECT_EQ(storedLog(path), (Log { { keys[4], 1000 }, { keys[1], 3000 }, { keys[1], 5000 } }));
    EXPECT_EQ(storedMemories(path), (std::map<std::int64_t, double> { { keys[1], 9.0 }, { keys[4], 0.2 } }));
    const CardMemory stored = study.loadMemories().back(), &given = answers[2].after;
    EXPECT_EQ(std::tie(stored.cardKey, stored.state, stored.step, stored.difficulty, stored.dueMs, stored.lastReviewMs,
                  stored.reps, stored.lapses),
        std::tie(given.cardKey, given.state, given.step, given.difficulty, given.dueMs, given.lastReviewMs, given.reps,
            given.lapses));
    EXPECT_EQ(study.lastReviews(2).front().reviewedMs, 3000);
    EXPECT_EQ(study.reviewsSince(3000).size(), 2u);
    EXPECT_EQ(study.reviewsSince(3000).back().grade, 4);

    study.setSetting(studysetting::kBook, "John");
    study.setSetting(studysetting::kBook, "Ἰωάννης");
    Table other;
    openTable(other, path);
    EXPECT_EQ(other.study().setting(studysetting::kBook), "Ἰωάννης");

    // Editing a card's text keeps its progress.
    ASSERT_TRUE(moveToText(table, "God"));
    table.edit();
    table.setFieldText("English", "God, god");
    table.post();
    EXPECT_EQ(storedMemories(path).at(keys[1]), 9.0);
}

// An undo takes back the answer it names, not the newest in the file, and puts back the memory it is given.
TEST_F(StudyTest, UndoTakesBackTheAnswerItNamesAndPutsBackTheMemoryGiven)
{
    StudyStore& study = table.study();
    const std::int64_t first = study.recordAnswer(answer(keys[0], 1000, 3, 1.0));
    const std::int64_t second = study.recordAnswer(answer(keys[1], 2000, 3, 2.0));
    const std::int64_t third = study.recordAnswer(answer(keys[0], 3000, 3, 3.0));
    struct Undo
    {
        std::int64_t id;
        std::int64_t card;
        std::optional<CardMemory> restored;
        std::int64_t undoneTime;
        std::map<std::int64_t, double> memories;
        std::size_t answersLeft;
    };
    const std::vector<Undo> undos = {
        { second, keys[1], std::nullopt, 2000, { { keys[0], 3.0 } }, 2 },
        { third, keys[0], answer(keys[0], 1000, 3, 1.0).after, 3000, { { keys[0], 1.0 } }, 1 },
        { first, keys[0], std::nullopt, 1000, {}, 0 },
    };
    for (const Undo& undo : undos) {
        SCOPED_TRACE(undo.undoneTime);
        std::optional<ReviewEntry> undone = study.undoAnswer(undo.id, undo.card, undo.restored);
        ASSERT_TRUE(undone.has_value());
        EXPECT_EQ(undone->reviewedMs, undo.undoneTime);
        EXPECT_EQ(storedMemories(path), undo.memories);
        EXPECT_EQ(storedLog(path).size(), undo.answersLeft);
    }
    EXPECT_EQ(study.undoAnswer(first, keys[0], std::nullopt), std::nullopt);
    // An id is taken back only with its own card: another answer that took the id is left alone.
    const std::int64_t next = study.recordAnswer(answer(keys[2], 4000));
    EXPECT_EQ(study.undoAnswer(next, keys[0], std::nullopt), std::nullopt);
    EXPECT_EQ(storedLog(path).size(), 1u);
}

TEST_F(StudyTest, DeletingACardDeletesItsProgressAndNothingElse)
{
    table.study().recordAnswer(answer(keys[1], 1000, 3, 1.0));
    table.study().recordAnswer(answer(keys[2], 2000, 3, 2.0));
    table.study().recordAnswer(answer(keys[1], 3000, 3, 3.0));
    ASSERT_TRUE(moveToText(table, "God"));
    table.deleteRecord();
    EXPECT_EQ(storedMemories(path), (std::map<std::int64_t, double> { { keys[2], 2.0 } }));
    EXPECT_EQ(storedLog(path), (std::vector<std::pair<std::int64_t, std::int64_t>> { { keys[2], 2000 } }));
    EXPECT_EQ(table.study().loadMemories().size(), 1u);
    EXPECT_THROW(table.study().recordAnswer(answer(keys[1], 4000)), DatabaseError);
}

TEST_F(StudyTest, InvalidAnswersAreRefusedAndNothingIsWritten)
{
    struct Case
    {
        const char* name;
        std::function<void(ReviewEntry&)> spoil;
        int code;
    };
    const std::vector<Case> cases = {
        { "grade 5", [](ReviewEntry& e) { e.grade = 5; }, status::kDataset },
        { "negative duration", [](ReviewEntry& e) { e.durationMs = -1; }, status::kDataset },
        { "NaN stability", [](ReviewEntry& e) { e.after.stability = std::nan(""); }, status::kDataset },
        { "infinite stability", [](ReviewEntry& e) { e.after.stability = INFINITY; }, status::kDataset },
        { "difficulty under 1", [](ReviewEntry& e) { e.after.difficulty = 0.99; }, status::kDataset },
        { "unknown state", [](ReviewEntry& e) { e.after.state = 4; }, status::kDataset },
        { "no such card", [&](ReviewEntry& e) { e.cardKey = 99; }, status::kRecordDeleted },
    };
    const std::string before = bytesOf(path);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReviewEntry spoilt = answer(keys[0], 1000);
        c.spoil(spoilt);
        EXPECT_EQ(errorOf([&] { table.study().recordAnswer(spoilt); }).code(), c.code);
        EXPECT_TRUE(bytesOf(path) == before);
    }
}

TEST_F(StudyTest, ReadOnlySetsCanBeStudiedButNotSaved)
{
    table.study().recordAnswer(answer(keys[0], 1000));
    table.study().setSetting(studysetting::kFirstSide, "greek");
    table.close();
    const std::string before = bytesOf(path);
    const std::vector<std::pair<const char*, bool>> ways
        = { { "table set read-only", true }, { "file mode 0444", false } };
    for (const auto& [name, readOnlyTable] : ways) {
        SCOPED_TRACE(name);
        ::chmod(path.c_str(), readOnlyTable ? 0644 : 0444);
        Table reader;
        reader.setReadOnly(readOnlyTable);
        openTable(reader, path);
        StudyStore& study = reader.study();
        EXPECT_FALSE(study.canSave());
        EXPECT_EQ(study.loadMemories().size(), 1u);
        EXPECT_EQ(study.setting(studysetting::kFirstSide), "greek");
        for (const auto& write :
            std::vector<std::function<void()>> { [&] { study.recordAnswer(answer(keys[1], 2000)); },
                [&] { study.undoAnswer(1, keys[0], std::nullopt); },
                [&] { study.setSetting(studysetting::kBook, "Mark"); } })
            EXPECT_STREQ(errorOf(write).what(), messages::kReadOnly);
        reader.close();
        EXPECT_TRUE(bytesOf(path) == before);
    }
}

// The table's cheap refresh asks whether another connection changed the file: answers recorded through the set's
// own connection must not look like one, or every answer would make the main window read all the cards again.
TEST_F(StudyTest, OwnAnswersAreNoChangeForTheRefreshButAnotherInstancesAre)
{
    CardFile file = CardFile::open(path, false);
    EXPECT_TRUE(file.changedSinceLastLook());
    StudyStore own(file);
    const std::int64_t id = own.recordAnswer(answer(keys[0], 1000));
    own.setSetting(studysetting::kBook, "Luke");
    own.undoAnswer(id, keys[0], std::nullopt);
    EXPECT_FALSE(file.changedSinceLastLook());
    table.study().recordAnswer(answer(keys[1], 2000));
    EXPECT_TRUE(file.changedSinceLastLook());
}

// A second instance in the middle of its answer holds the write lock: the answer waits for it and both are kept.
TEST_F(StudyTest, SecondInstanceWaitsForTheWriterAndBothAnswersAreKept)
{
    Table second;
    openTable(second, path);
    table.study().recordAnswer(answer(keys[0], 1000));
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    const std::string midAnswer = "BEGIN IMMEDIATE; INSERT INTO karte_study_log VALUES (NULL, "
        + std::to_string(keys[4]) + ", 1500, 3, 100, 2, 0, 1.0, 5.0, 0, 0, 1, 0)";
    ASSERT_EQ(sqlite3_exec(other, midAnswer.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    std::thread finisher([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    std::string failure;
    try {
        second.study().recordAnswer(answer(keys[1], 2000));
    } catch (const Error& error) {
        failure = error.what();
    }
    finisher.join();
    EXPECT_EQ(failure, "");
    sqlite3_close(other);
    for (int i = 0; i < 10; ++i)
        (i % 2 ? table : second).study().recordAnswer(answer(keys[2 + i % 3], 3000 + i));
    EXPECT_EQ(storedLog(path).size(), 13u);
    EXPECT_EQ(table.study().loadMemories().size(), second.study().loadMemories().size());
}

TEST(Study, FailingWriteLeavesTheFileAsItWas)
{
    for (bool studiedBefore : { false, true }) {
        SCOPED_TRACE(studiedBefore ? "later answer" : "first answer, which makes the tables");
        testsupport::TempDir dir;
        const std::string path = dir.file("set.SDB");
        testsupport::makeCardSet(path, fiveCards());
        if (studiedBefore) {
            Table table;
            openTable(table, path);
            table.study().recordAnswer(answer(keysOf(table)[0], 1000));
        }
        const std::string before = bytesOf(path);
        testsupport::FailingVfs vfs(0);
        int failures = 0;
        bool succeeded = false;
        for (int failAt = 1; failAt <= 40 && !succeeded; ++failAt) {
            Table table;
            openTable(table, path);
            vfs.failAt(failAt);
            try {
                table.study().recordAnswer(answer(keysOf(table)[1], 2000));
                succeeded = true;
            } catch (const DatabaseError& error) {
                ++failures;
                EXPECT_EQ(error.code(), status::kIoError) << error.what();
                vfs.failAt(0);
                // The next read puts the file back from its journal, as it does after a failed card write.
                table.refresh();
                EXPECT_EQ(table.study().loadMemories().size(), studiedBefore ? 1u : 0u);
                table.close();
                EXPECT_TRUE(bytesOf(path) == before) << "failing write " << failAt;
                EXPECT_EQ(directoryEntries(dir.path()), std::set<std::string> { "set.SDB" });
            }
        }
        EXPECT_TRUE(succeeded);
        EXPECT_GE(failures, 3);
        EXPECT_EQ(storedLog(path).size(), studiedBefore ? 2u : 1u);
    }
}
