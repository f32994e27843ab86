#pragma once

#include "clock.h"
#include "knownhistory.h"
#include "progress.h"

#include <cstdint>
#include <span>
#include <string>

// The Progress window's figures and charts said in words: for a screen reader, which cannot see a chart, and for
// karte-progress, which prints them.
namespace learning {

struct CivilDate
{
    int year = 1970;
    int month = 1; // 1 = January
    int day = 1;
    friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// The local calendar date at atMs for a learner utcOffsetSeconds east of UTC.
CivilDate civilDate(std::int64_t atMs, int utcOffsetSeconds);
// "9 December"; "9 December 2024" when the year is not that of the clock's today.
std::string dateText(const CivilDate& date, const Clock& clock);

// "4 cards: 2 new, 1 learning, 1 known, 1 due today"
std::string figuresSentence(const SetProgress& progress);
// "Reviews due: 12 today, 5 tomorrow, 3 on 12 December; 20 in the next 30 days": today and tomorrow always, the
// later days only when something falls due on them.
std::string dueForecastDescription(const SetProgress& progress, const Clock& clock);
// "Known words: 0 on 1 December, 40 on 8 December"; a long history names its first day and its last ten.
std::string knownHistoryDescription(std::span<const HistoryPoint> history, const Clock& clock);
// "Coverage of the New Testament: 0.0% on 1 December, 12.3% on 8 December", shortened as the known words are.
std::string coverageHistoryDescription(std::span<const HistoryPoint> history, const Clock& clock);

} // namespace learning
