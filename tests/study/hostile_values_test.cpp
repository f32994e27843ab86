// Study progress written by another program with values the program never writes: in every time zone the study and
// its figures neither crash nor show them as figures; the rows are left out and named like other damage.
#include "progressdescription.h"
#include "sessiontest.h"

using namespace sessiontest;
using namespace studytest;

namespace {

struct Hostile
{
    const char* name;
    std::string sql; // run on the set after answers to "and" (card 2, answers 1 and 3) and "God" (card 3, answer 2)
    std::string named; // in the study's messages
    int newCards; // of the five, once the bad rows are left out
    int answersToday;
};

std::vector<Hostile> hostileValues()
{
    const std::string outOfYears = "had a time outside the years 1970 to 9999";
    return {
        { "a due time at the lowest", "UPDATE karte_study_memory SET due = -9223372036854775808 WHERE card = 3",
            outOfYears + " (card 3)", 4, 2 },
        { "a due time at the highest", "UPDATE karte_study_memory SET due = 9223372036854775807 WHERE card = 3",
            outOfYears + " (card 3)", 4, 2 },
        { "an answer at the highest time", "UPDATE karte_study_log SET reviewed = 9223372036854775807 WHERE id = 2",
            "1 recorded answer " + outOfYears + " (answer 2)", 3, 2 },
        { "an answer at the lowest time", "UPDATE karte_study_log SET reviewed = -9223372036854775808 WHERE id = 2",
            "1 recorded answer " + outOfYears + " (answer 2)", 3, 2 },
        { "a duration of 2^62 ms", "UPDATE karte_study_log SET duration = 4611686018427387904 WHERE id = 1",
            "had a duration longer than a day (answer 1)", 3, 2 },
        { "no memories beside a full log", "DELETE FROM karte_study_memory",
            "3 recorded answers had a card whose progress is missing (answers 1, 2, 3)", 5, 0 },
        { "stability 0", "UPDATE karte_study_memory SET stability = 0 WHERE card = 2",
            "had a stability outside 0.001 to 36,500 days (card 2)", 4, 1 },
        { "a learning step of 2^31-1", "UPDATE karte_study_memory SET state = 1, step = 2147483647 WHERE card = 2",
            "had a learning step out of range (card 2)", 4, 1 },
        { "the state of a new card", "UPDATE karte_study_memory SET state = 0 WHERE card = 2",
            "had the state of a card never answered (card 2)", 4, 1 },
    };
}

// UTC, Athens and New York in winter, and the offsets furthest east and west.
constexpr int kOffsets[] = { 0, 2 * 3600, -5 * 3600, 14 * 3600, -12 * 3600 };

} // namespace

TEST_F(SessionTest, HostileValuesAreLeftOutAndNamedInEveryTimeZone)
{
    // Ten past noon and later, UTC: the same local day in every offset, as is now.
    const std::string answered = answeredCopy("answered.SDB",
        { answer(2, kNoon + 10 * 60'000), answer(3, kNoon + 20 * 60'000), answer(2, kNoon + 30 * 60'000) });
    clock.setNowMs(kNoon + 40 * 60'000);
    for (const Hostile& hostile : hostileValues()) {
        SCOPED_TRACE(hostile.name);
        std::filesystem::copy_file(answered, path, std::filesystem::copy_options::overwrite_existing);
        runSql(path, hostile.sql);
        cardstore::Table reader;
        enginetest::openTable(reader, path);
        for (int offset : kOffsets) {
            SCOPED_TRACE(offset);
            clock.setUtcOffsetSeconds(offset);
            const learning::StudySession session(reader, clock, nullptr, false);
            std::string messages;
            for (const std::string& message : session.resetMessages())
                messages += message + "\n";
            EXPECT_NE(messages.find(hostile.named), std::string::npos) << messages;

            const learning::SetProgress figures = session.progress();
            EXPECT_EQ(figures.newCards, hostile.newCards);
            const learning::TodaySummary today = session.today();
            EXPECT_EQ(today.reviews, hostile.answersToday);
            EXPECT_EQ(today.timeSpentMs, 1500 * hostile.answersToday);
            if (today.nextDueMs) {
                EXPECT_GT(*today.nextDueMs, kNoon - 24 * kHour);
                EXPECT_LT(*today.nextDueMs, kNoon + 48 * kHour);
            }
            // The chart of known words counts no card the figures do not (an answer left out may leave it fewer), and
            // ends on a day of this year.
            const std::vector<learning::HistoryPoint> history = session.history();
            if (!history.empty()) {
                EXPECT_LE(history.back().known, figures.known);
                EXPECT_EQ(learning::civilDate(history.back().dayStartMs, offset).year,
                    learning::civilDate(kNoon, offset).year);
            } else {
                EXPECT_EQ(figures.known, 0);
            }
        }
    }
}
