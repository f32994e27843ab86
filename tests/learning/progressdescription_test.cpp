// The Progress window's figures in words: calendar dates from the study core's times, and the sentences a screen
// reader and karte-progress give for the figures and the charts.

#include "progressdescription.h"

#include <gtest/gtest.h>

using namespace learning;

namespace {

constexpr std::int64_t kNoon = 1'765'281'600'000; // 2025-12-09 12:00 UTC
constexpr std::int64_t kFirstDecember = 1'764'547'200'000; // 2025-12-01 00:00 UTC

HistoryPoint pointOn(std::int64_t dayStartMs, int known, double coverage)
{
    return { dayStartMs, known, 0, coverage };
}

} // namespace

TEST(ProgressDescription, CivilDatesAcrossDayMonthAndEraBoundaries)
{
    struct Case
    {
        std::int64_t ms;
        int offsetSeconds;
        CivilDate date;
    };
    const Case cases[] = {
        { 0, 0, { 1970, 1, 1 } }, { -1, 0, { 1969, 12, 31 } }, { 951'782'400'000, 0, { 2000, 2, 29 } },
        { 951'782'400'000 - 1, 0, { 2000, 2, 28 } },
        { 4'107'542'400'000 - 1, 0, { 2100, 2, 28 } }, // no leap day in 2100
        { -11'670'912'000'000, 0, { 1600, 3, 1 } },
        { kNoon, 13 * 3600, { 2025, 12, 10 } }, // 01:00 the next day, east of UTC
        { 1'704'085'200'000, -10 * 3600, { 2023, 12, 31 } }, // 05:00 UTC on New Year's Day, in Hawaii
    };
    for (const Case& c : cases)
        EXPECT_EQ(civilDate(c.ms, c.offsetSeconds), c.date) << c.ms << " at " << c.offsetSeconds;
}

TEST(ProgressDescription, FiguresAndDueForecast)
{
    const ManualClock clock(kNoon);
    SetProgress progress;
    progress.cards = 1125;
    progress.newCards = 1100;
    progress.learning = 5;
    progress.known = 12;
    progress.dueToday = 12;
    EXPECT_EQ(figuresSentence(progress), "1,125 cards: 1,100 new, 5 learning, 12 known, 12 due today");
    EXPECT_EQ(dueForecastDescription(progress, clock), "Reviews due: 0 today, 0 tomorrow; 0 in the next 30 days");

    progress.duePerDay[0] = 12;
    progress.duePerDay[1] = 5;
    progress.duePerDay[3] = 3;
    progress.duePerDay[29] = 1; // the forecast's last day is in the next year
    EXPECT_EQ(dueForecastDescription(progress, clock),
        "Reviews due: 12 today, 5 tomorrow, 3 on 12 December, 1 on 7 January 2026; 21 in the next 30 days");
}

TEST(ProgressDescription, KnownWordsAndCoverageOverTime)
{
    const ManualClock clock(kNoon);
    EXPECT_EQ(knownHistoryDescription({}, clock), "Known words: no reviews yet");

    const std::vector<HistoryPoint> week { pointOn(kFirstDecember, 0, 0),
        pointOn(kFirstDecember + 7 * kDayMs, 1040, 0.1234) };
    EXPECT_EQ(knownHistoryDescription(week, clock), "Known words: 0 on 1 December, 1,040 on 8 December");
    EXPECT_EQ(coverageHistoryDescription(week, clock),
        "Coverage of the New Testament: 0.0% on 1 December, 12.3% on 8 December");

    // Fifteen days of reviews from 25 November: the first day, then the last ten.
    std::vector<HistoryPoint> longHistory;
    for (int day = 0; day < 15; ++day)
        longHistory.push_back(pointOn(kFirstDecember + (day - 6) * kDayMs, day, 0));
    EXPECT_EQ(knownHistoryDescription(longHistory, clock),
        "Known words: 0 on 25 November; on the last 10 of 15 days with reviews, 5 on 30 November, 6 on 1 December, "
        "7 on 2 December, 8 on 3 December, 9 on 4 December, 10 on 5 December, 11 on 6 December, 12 on 7 December, "
        "13 on 8 December, 14 on 9 December");

    // Another year's days name their year.
    const std::vector<HistoryPoint> lastYear { pointOn(kFirstDecember - 365 * kDayMs, 3, 0) };
    EXPECT_EQ(knownHistoryDescription(lastYear, clock), "Known words: 3 on 1 December 2024");
}
