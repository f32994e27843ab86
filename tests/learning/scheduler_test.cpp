// The scheduler where the reference histories do not reach: damaged memories, a clock set back, the retention
// setting, fuzz ranges, the interval labels and the known-until time.

#include "clock.h"
#include "fsrsmath.h"
#include "fuzz.h"
#include "intervallabel.h"
#include "scheduler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace learning;

namespace {

constexpr std::int64_t kNoon = 1'717'243'200'000; // 2024-06-01 12:00 UTC
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

Scheduler plainScheduler()
{
    SchedulerSettings settings;
    settings.fuzz = false;
    return Scheduler(settings);
}

Memory reviewCard(double stability, double difficulty)
{
    return { State::Review, 0, stability, difficulty, kNoon + 5 * kDayMs, kNoon, 4, 1 };
}

} // namespace

TEST(Scheduler, DamagedMemoriesAreResetOrClampedNeverPassedOn)
{
    const Scheduler scheduler = plainScheduler();
    struct Case
    {
        const char* what;
        Memory damaged;
        Memory sameAs; // the memory it must behave like
    };
    const Case cases[] = {
        { "NaN stability", reviewCard(kNaN, 5), Memory { State::New, 0, 0, 0, 0, 0, 4, 1 } },
        { "infinite difficulty", reviewCard(3, kInf), Memory { State::New, 0, 0, 0, 0, 0, 4, 1 } },
        { "negative stability", reviewCard(-2, 5), Memory { State::New, 0, 0, 0, 0, 0, 4, 1 } },
        { "unknown state", Memory { static_cast<State>(9), 0, 3, 5, 0, kNoon, 4, 1 },
            Memory { State::New, 0, 0, 0, 0, 0, 4, 1 } },
        { "difficulty below 1", reviewCard(3, 0.2), reviewCard(3, 1) },
        { "difficulty above 10", reviewCard(3, 12), reviewCard(3, 10) },
        { "stability beyond 100 years", reviewCard(1e9, 5), reviewCard(36500, 5) },
        { "tiny stability", reviewCard(1e-9, 5), reviewCard(0.001, 5) },
        { "negative counts and step", Memory { State::Learning, -3, 3, 5, kNoon, kNoon, -1, -1 },
            Memory { State::Learning, 0, 3, 5, kNoon, kNoon, 0, 0 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (Grade grade : { Grade::Again, Grade::Hard, Grade::Good, Grade::Easy }) {
            const Memory after = scheduler.review(c.damaged, grade, kNoon + kDayMs);
            EXPECT_EQ(after, scheduler.review(c.sameAs, grade, kNoon + kDayMs));
            EXPECT_TRUE(std::isfinite(after.stability) && after.stability >= 0.001 && after.stability <= 36500);
            EXPECT_TRUE(after.difficulty >= 1 && after.difficulty <= 10);
        }
    }
}

TEST(Scheduler, AClockSetBackCountsAsTheSameDay)
{
    const Scheduler scheduler = plainScheduler();
    for (State state : { State::Learning, State::Review, State::Relearning }) {
        Memory memory = reviewCard(12, 6);
        memory.state = state;
        for (std::int64_t back : { kMinuteMs, 3 * kDayMs, 400 * kDayMs }) {
            const Memory after = scheduler.review(memory, Grade::Good, kNoon - back);
            // Elapsed days are taken as 0: the same-day formula, whatever the distance back.
            EXPECT_DOUBLE_EQ(after.stability, fsrs::shortTermStability(12, Grade::Good));
            EXPECT_EQ(after.lastReviewMs, kNoon - back);
            EXPECT_GE(after.dueMs, kNoon - back + kMinuteMs);
        }
        EXPECT_DOUBLE_EQ(retrievability(memory, kNoon - 5 * kDayMs), 1.0);
    }
}

TEST(Scheduler, DesiredRetentionIsKeptInItsRangeAndShortensIntervals)
{
    Scheduler scheduler = plainScheduler();
    EXPECT_FALSE(scheduler.setDesiredRetention(0.5));
    EXPECT_DOUBLE_EQ(scheduler.settings().desiredRetention, 0.70);
    EXPECT_FALSE(scheduler.setDesiredRetention(0.99));
    EXPECT_DOUBLE_EQ(scheduler.settings().desiredRetention, 0.97);
    EXPECT_FALSE(scheduler.setDesiredRetention(kNaN));
    EXPECT_DOUBLE_EQ(scheduler.settings().desiredRetention, 0.97);
    std::int64_t previousDue = 0;
    for (double retention : { 0.97, 0.9, 0.8, 0.7 }) {
        EXPECT_TRUE(scheduler.setDesiredRetention(retention));
        const Memory after = scheduler.review(reviewCard(30, 5), Grade::Good, kNoon + 20 * kDayMs);
        EXPECT_GT(after.dueMs, previousDue) << retention;
        previousDue = after.dueMs;
    }
}

TEST(Scheduler, FuzzStaysWithinTheReferenceRanges)
{
    struct Case
    {
        double interval;
        double elapsed;
        fsrs::FuzzRange range; // worked out by hand from the reference's bands
    };
    const Case cases[] = {
        { 3, 5, { 2, 4 } }, // delta 1.075
        { 3, 2, { 3, 4 } }, // not sooner than elapsed + 1
        { 10, 0, { 8, 12 } }, // delta 1.975
        { 100, 40, { 93, 107 } }, // delta 6.975
        { 36500, 0, { 34673, 36500 } }, // delta 1826.975, capped at the maximum interval
    };
    for (const Case& c : cases) {
        const fsrs::FuzzRange range = fsrs::fuzzRange(c.interval, c.elapsed, 36500);
        EXPECT_EQ(range.minDays, c.range.minDays) << c.interval;
        EXPECT_EQ(range.maxDays, c.range.maxDays) << c.interval;
        bool sawMin = false;
        bool sawMax = false;
        for (int seed = 0; seed < 2000; ++seed) {
            const int days = fsrs::fuzzedInterval(c.interval, c.elapsed, 36500, std::to_string(seed) + "_3_17.5");
            ASSERT_GE(days, range.minDays);
            ASSERT_LE(days, range.maxDays);
            sawMin |= days == range.minDays;
            sawMax |= days == range.maxDays;
        }
        // Every day of a narrow range is drawn, the ends included.
        if (range.maxDays - range.minDays < 20) {
            EXPECT_TRUE(sawMin && sawMax) << c.interval;
        }
    }
    EXPECT_EQ(fsrs::fuzzedInterval(2, 0, 36500, "x"), 2); // too short to move
}

TEST(Scheduler, SeedNumbersAreSpelledAsJavaScriptSpellsThem)
{
    const std::pair<double, const char*> cases[] = { { 0, "0" }, { 100, "100" }, { 0.1 + 0.2, "0.30000000000000004" },
        { 4.8854623212405, "4.8854623212405" }, { 1e-6, "0.000001" }, { 1.5e-7, "1.5e-7" }, { 1e21, "1e+21" },
        { 123456789012345680000.0, "123456789012345680000" }, { -2.5, "-2.5" } };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(fsrs::javaScriptNumberText(value), text);
}

TEST(Scheduler, PreviewLabelsEachAnswer)
{
    const auto preview = plainScheduler().preview(Memory {}, kNoon);
    const char* const labels[] = { "1m", "6m", "10m", "8d" };
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(preview[i].label, labels[i]);
        EXPECT_EQ(preview[i].intervalMs, preview[i].memory.dueMs - kNoon);
    }
    const std::pair<std::int64_t, const char*> cases[] = { { -kMinuteMs, "<1m" }, { 59'999, "<1m" },
        { kMinuteMs, "1m" }, { 59 * kMinuteMs + 29'000, "59m" }, { 59 * kMinuteMs + 31'000, "1h" },
        { 23 * kHourMs + 29 * kMinuteMs, "23h" }, { 23 * kHourMs + 31 * kMinuteMs, "1d" }, { 3 * kDayMs, "3d" },
        { 29 * kDayMs, "29d" }, { 30 * kDayMs, "1mo" }, { 46 * kDayMs, "1.5mo" }, { 360 * kDayMs, "11.8mo" },
        { 364 * kDayMs, "1y" }, { 767 * kDayMs, "2.1y" }, { 36500 * kDayMs, "99.9y" } };
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(intervalLabel(ms), text) << ms;
}

TEST(Scheduler, KnownUntilIsWhereRecallDropsBelowNinetyPercent)
{
    for (double stability : { 0.001, 0.5, 1.0, 2.3065, 10.97104786, 99.99, 365.0, 36500.0 }) {
        const Memory memory = reviewCard(stability, 5);
        const std::int64_t until = knownUntilMs(memory);
        EXPECT_TRUE(isKnown(memory, until - 1)) << stability;
        EXPECT_FALSE(isKnown(memory, until)) << stability;
        EXPECT_GE(retrievability(memory, until - 1), 0.9);
    }
    Memory learning = reviewCard(20, 5);
    learning.state = State::Relearning;
    EXPECT_FALSE(isKnown(learning, kNoon));
}
