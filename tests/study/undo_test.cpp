// Undo puts back the memory the card had before the answer, kept with the answer: never one rebuilt from the log,
// which may have lost the card's earlier answers.
#include "sessiontest.h"

using namespace sessiontest;
using namespace studytest;

TEST_F(SessionTest, UndoPutsBackTheMemoryTheCardHadWhateverTheLogHolds)
{
    // "and" known well: last seen ten days ago, stable for 200 days.
    const std::string known = answeredCopy("known.SDB", { answer(2, kNoon - 240 * kHour, 3, 200.0) });
    const std::vector<std::pair<const char*, std::string>> logs = {
        { "a memory beside an empty log", "DELETE FROM karte_study_log" },
        { "its earlier answer damaged, and deleted by the first write", "UPDATE karte_study_log SET grade = 9" },
    };
    for (const auto& [name, sql] : logs) {
        SCOPED_TRACE(name);
        std::filesystem::copy_file(known, path, std::filesystem::copy_options::overwrite_existing);
        runSql(path, sql);
        cardstore::Table reader;
        enginetest::openTable(reader, path);
        learning::StudySession session(reader, clock, nullptr, false);
        const std::optional<learning::Memory> before = session.memory(2);
        ASSERT_TRUE(before.has_value());
        session.answer(2, learning::Grade::Again, 2000);
        ASSERT_TRUE(session.undo().has_value());
        EXPECT_EQ(session.memory(2), before);
        EXPECT_EQ(storedMemories(path), (std::map<std::int64_t, double> { { 2, 200.0 } }));
    }
}
