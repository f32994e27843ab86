// The days a set keeps summarized, with the answers since, give the chart of known words over time that a count of
// the whole log gives, whatever wrote to the set after they were kept: answers, an answer taken back, a card deleted,
// another program, another time zone, damage; on plain and protected sets alike.
#include "enginetest.h"
#include "historycount.h"
#include "protectedtest.h"
#include "studysession.h"
#include "studytest.h"

#include <functional>

using learning::Grade;
using learning::HistoryPoint;

namespace {

// A Monday midnight, UTC: 8 December 2025.
constexpr std::int64_t kMonday = 1'765'152'000'000;
constexpr std::int64_t kHour = 3'600'000;
constexpr std::int64_t kDay = 24 * kHour;

std::vector<testsupport::Card> twelveCards()
{
    std::vector<testsupport::Card> cards;
    for (int i = 0; i < 12; ++i)
        cards.push_back({ "card " + std::to_string(i), "λέξις " + std::to_string(i), 100.0 * (i + 1) });
    return cards;
}

// Its members are the changes' to use.
class KeptDaysTest : public protectedtest::ProtectedSetTest
{
public:
    void TearDown() override
    {
        table.close();
        ProtectedSetTest::TearDown();
    }

    void open(bool protect)
    {
        path = dir.file(protect ? "protected.SDB" : "plain.SDB");
        testsupport::makeCardSet(path, twelveCards());
        if (protect) {
            cardstore::protectCardSet(path, "pw");
            cardstore::Session::instance().addPassword("pw");
        }
        table.setTableName(path);
        table.open();
        keys = studytest::keysOf(table);
        clock.setUtcOffsetSeconds(0);
    }

    // Answers cards by their place in the set, a minute apart, as the Study window does.
    void study(std::int64_t at, const std::vector<std::pair<int, Grade>>& answers)
    {
        clock.setNowMs(at);
        learning::StudySession session(table, clock, nullptr, false);
        for (const auto& [place, grade] : answers) {
            session.answer(keys[static_cast<std::size_t>(place)], grade, 2000);
            clock.advanceMs(60'000);
        }
    }

    // What the Study window keeps when it opens at the clock's time, the log read a few answers at a time.
    bool keep()
    {
        const learning::StudySet set(table, clock, nullptr);
        learning::HistoryCount count(set);
        while (!count.step(3))
            ;
        return count.keep();
    }

    std::vector<HistoryPoint> shown() { return learning::StudySet(table, clock, nullptr).history(); }

    // The whole log counted, as the program did before it kept days.
    std::vector<HistoryPoint> recount()
    {
        std::vector<std::pair<std::int64_t, std::int64_t>> frequencies;
        for (const learning::ProgressCard& card : learning::StudySet(table, clock, nullptr).progressCards())
            frequencies.emplace_back(card.key, card.frequency);
        learning::KnownHistory history(frequencies, clock);
        table.study().visitReviews(
            [&history](const cardstore::ReviewEntry& entry) { history.add(learning::logEntryOf(entry)); });
        return history.finish();
    }

    // Nine days of answers, some cards forgotten and learnt again, some let lapse; the first six kept on the
    // seventh morning.
    void studyNineDays()
    {
        const std::vector<std::vector<std::pair<int, Grade>>> days = {
            { { 0, Grade::Easy }, { 1, Grade::Easy }, { 2, Grade::Easy }, { 3, Grade::Good }, { 4, Grade::Good } },
            { { 3, Grade::Good }, { 4, Grade::Again }, { 5, Grade::Easy }, { 6, Grade::Easy } },
            { { 0, Grade::Again }, { 4, Grade::Good }, { 7, Grade::Easy } },
            {},
            { { 0, Grade::Good }, { 1, Grade::Hard }, { 8, Grade::Easy }, { 9, Grade::Easy } },
            { { 2, Grade::Again }, { 3, Grade::Easy } },
            { { 5, Grade::Good }, { 10, Grade::Easy } },
            { { 2, Grade::Good }, { 6, Grade::Again }, { 11, Grade::Easy } },
            { { 1, Grade::Easy }, { 7, Grade::Hard } },
        };
        for (std::size_t day = 0; day < days.size(); ++day) {
            if (day == 6) {
                clock.setNowMs(kMonday + 6 * kDay + kHour);
                ASSERT_FALSE(table.study().keepsDays()) << "the set kept days before the Study window counted them";
                ASSERT_TRUE(keep());
                ASSERT_EQ(table.study().keptDays().size(), 5u); // the fourth day had no answers
            }
            study(kMonday + static_cast<std::int64_t>(day) * kDay + 9 * kHour, days[day]);
        }
        clock.setNowMs(kMonday + 8 * kDay + 20 * kHour);
    }

    std::string path;
    cardstore::Table table;
    std::vector<std::int64_t> keys;
    learning::ManualClock clock { kMonday };
};

struct Change
{
    const char* name;
    std::function<void(KeptDaysTest&)> make;
    bool plainOnly = false; // it writes the file as another program would
};

} // namespace

TEST_F(KeptDaysTest, KeptDaysAndTheAnswersSinceCountAsTheWholeLogDoes)
{
    const std::vector<Change> changes = {
        { "answers on three days since", [](KeptDaysTest&) {} },
        { "the days kept again, and answers since",
            [](KeptDaysTest& t) {
                ASSERT_TRUE(t.keep());
                t.study(t.clock.nowMs(), { { 0, Grade::Easy } });
            } },
        { "an answer on a kept day taken back",
            [](KeptDaysTest& t) {
                t.clock.setNowMs(kMonday + 8 * kDay + 23 * kHour + 59 * 60'000);
                learning::StudySession session(t.table, t.clock, nullptr, false);
                session.answer(t.keys[4], Grade::Easy, 2000);
                t.clock.setNowMs(kMonday + 9 * kDay + kHour);
                ASSERT_TRUE(t.keep());
                ASSERT_EQ(t.table.study().keptDays().back().startMs, kMonday + 8 * kDay);
                ASSERT_TRUE(session.undo());
            } },
        { "a studied card deleted",
            [](KeptDaysTest& t) {
                ASSERT_TRUE(enginetest::moveToText(t.table, "card 0"));
                t.table.deleteRecord();
            } },
        { "another program's answer on a kept day",
            [](KeptDaysTest& t) {
                cardstore::Table other;
                other.setTableName(t.path);
                other.open();
                other.study().recordAnswer(studytest::answer(t.keys[11], kMonday + 2 * kDay + 15 * kHour, 4, 9));
                other.close();
                t.table.refresh();
            } },
        { "another time zone", [](KeptDaysTest& t) { t.clock.setUtcOffsetSeconds(-5 * 3600); } },
        { "a day damaged",
            [](KeptDaysTest& t) {
                studytest::runSql(
                    t.path, "UPDATE karte_study_days SET known = -3 WHERE day = " + std::to_string(kMonday));
            },
            true },
    };
    for (const bool protect : { false, true }) {
        for (const Change& change : changes) {
            if (change.plainOnly && protect)
                continue;
            SCOPED_TRACE(std::string(change.name) + (protect ? ", protected" : ""));
            table.close();
            open(protect);
            studyNineDays();
            change.make(*this);
            const std::vector<HistoryPoint> expected = recount();
            ASSERT_GE(expected.size(), 8u);
            EXPECT_EQ(shown(), expected);
            // And once the days are kept anew from what the set holds now.
            clock.setNowMs(std::max(clock.nowMs(), kMonday + 9 * kDay + 2 * kHour));
            keep();
            EXPECT_EQ(shown(), recount());
        }
        // The days kept in a protected set's database are sealed into its file with the answers.
        const std::vector<HistoryPoint> kept = shown();
        table.close();
        table.open();
        EXPECT_TRUE(table.study().keepsDays());
        EXPECT_EQ(shown(), kept);
    }
}

TEST_F(KeptDaysTest, TheChartIsDrawnFromTheDaysKeptAndDamagedDaysAreNamed)
{
    open(false);
    studyNineDays();
    const std::vector<HistoryPoint> counted = shown();
    // The days kept stand for the answers before them: what they say is what the chart shows.
    studytest::runSql(
        path, "UPDATE karte_study_days SET known = 7, occurrences = 2000 WHERE day = " + std::to_string(kMonday));
    std::vector<HistoryPoint> kept = shown();
    ASSERT_EQ(kept.size(), counted.size());
    EXPECT_EQ(kept.front().known, 7);
    EXPECT_EQ(kept.front().knownOccurrences, 2000);
    // Values the program never writes are named, and the log is counted instead.
    for (const std::string value : { "'seven'", "-1", "2147483648", "9223372036854775807" }) {
        SCOPED_TRACE(value);
        studytest::runSql(
            path, "UPDATE karte_study_days SET known = " + value + " WHERE day = " + std::to_string(kMonday));
        const learning::StudySet set(table, clock, nullptr);
        EXPECT_EQ(set.history(), counted);
        std::string messages;
        for (const std::string& message : set.resetMessages())
            messages += message;
        EXPECT_NE(messages.find("The summary of past days kept in this card set had"), std::string::npos) << messages;
    }
}

TEST_F(KeptDaysTest, NothingIsKeptWhereTheSetCannotBeWrittenOrTheLogChangedMeanwhile)
{
    open(false);
    studyNineDays();
    // A set opened read-only is counted and left as it was.
    {
        cardstore::Table reader;
        reader.setTableName(path);
        reader.setReadOnly(true);
        reader.open();
        clock.setNowMs(kMonday + 12 * kDay);
        const learning::StudySet set(reader, clock, nullptr);
        learning::HistoryCount count(set);
        const std::string before = enginetest::bytesOf(path);
        while (!count.step(100))
            ;
        EXPECT_FALSE(count.keep());
        EXPECT_TRUE(enginetest::bytesOf(path) == before);
    }
    // An answer taken back before the days counted end: they are not kept, and the next count keeps them.
    clock.setNowMs(kMonday + 8 * kDay + 23 * kHour);
    learning::StudySession session(table, clock, nullptr, false);
    session.answer(keys[9], Grade::Again, 2000);
    clock.setNowMs(kMonday + 9 * kDay + kHour);
    const learning::StudySet set(table, clock, nullptr);
    learning::HistoryCount count(set);
    while (!count.step(100))
        ;
    ASSERT_TRUE(session.undo());
    const std::vector<cardstore::StudyDay> before = table.study().keptDays();
    EXPECT_FALSE(count.keep());
    EXPECT_EQ(table.study().keptDays(), before);
    EXPECT_TRUE(keep());
    EXPECT_EQ(table.study().keptDays().back().startMs, kMonday + 8 * kDay);
    EXPECT_EQ(shown(), recount());
}
