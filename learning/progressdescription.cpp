#include "progressdescription.h"

#include "progresstext.h"

#include <array>
#include <functional>

namespace learning {

namespace {

// A long history is told by its first day and its last days: a screen reader reading a year of days helps nobody.
constexpr std::size_t kLastDaysTold = 10;

constexpr std::array<const char*, 12> kMonths { "January", "February", "March", "April", "May", "June", "July",
    "August", "September", "October", "November", "December" };

std::string historyDescription(std::string_view title, std::span<const HistoryPoint> history, const Clock& clock,
    const std::function<std::string(const HistoryPoint&)>& value)
{
    std::string text(title);
    text += ": ";
    if (history.empty())
        return text + "no reviews yet";
    const auto told = [&](const HistoryPoint& point) {
        return value(point) + " on "
            + dateText(civilDate(point.dayStartMs, clock.utcOffsetSeconds(point.dayStartMs)), clock);
    };
    std::size_t from = 0;
    if (history.size() > kLastDaysTold + 2) {
        from = history.size() - kLastDaysTold;
        text += told(history.front()) + "; on the last " + std::to_string(kLastDaysTold) + " of "
            + std::to_string(history.size()) + " days with reviews, ";
    }
    for (std::size_t i = from; i < history.size(); ++i)
        text += (i == from ? "" : ", ") + told(history[i]);
    return text;
}

} // namespace

CivilDate civilDate(std::int64_t atMs, int utcOffsetSeconds)
{
    // Days since 1970-01-01 to a proleptic Gregorian date, in 400-year eras starting on 1 March. The offset goes onto
    // the time within its UTC day, so that no time whatever overflows.
    const std::int64_t withinDay = atMs % kDayMs + (atMs % kDayMs < 0 ? kDayMs : 0);
    const std::int64_t days
        = floorDiv(atMs, kDayMs) + floorDiv(withinDay + std::int64_t { utcOffsetSeconds } * 1000, kDayMs) + 719'468;
    const std::int64_t era = floorDiv(days, 146'097);
    const std::int64_t dayOfEra = days - era * 146'097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153; // 0 = March
    CivilDate date;
    date.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    date.month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    date.year = static_cast<int>(yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0));
    return date;
}

std::string dateText(const CivilDate& date, const Clock& clock)
{
    const std::int64_t now = clock.nowMs();
    std::string text = std::to_string(date.day) + " " + kMonths[static_cast<std::size_t>(date.month - 1)];
    if (date.year != civilDate(now, clock.utcOffsetSeconds(now)).year)
        text += " " + std::to_string(date.year);
    return text;
}

std::string figuresSentence(const SetProgress& progress)
{
    return countText(progress.cards, "card", "cards") + ": " + groupedText(progress.newCards) + " new, "
        + groupedText(progress.learning) + " learning, " + groupedText(progress.known) + " known, "
        + groupedText(progress.dueToday) + " due today";
}

std::string dueForecastDescription(const SetProgress& progress, const Clock& clock)
{
    const DaySpan day = today(clock);
    const int offset = clock.utcOffsetSeconds(clock.nowMs());
    std::string text = "Reviews due: " + groupedText(progress.duePerDay[0]) + " today, "
        + groupedText(progress.duePerDay[1]) + " tomorrow";
    int total = 0;
    for (std::size_t i = 0; i < progress.duePerDay.size(); ++i) {
        const int due = progress.duePerDay[i];
        total += due;
        if (i >= 2 && due > 0)
            text += ", " + groupedText(due) + " on "
                + dateText(civilDate(day.startMs + static_cast<std::int64_t>(i) * kDayMs, offset), clock);
    }
    return text + "; " + groupedText(total) + " in the next " + std::to_string(kForecastDays) + " days";
}

std::string knownHistoryDescription(std::span<const HistoryPoint> history, const Clock& clock)
{
    return historyDescription(
        "Known words", history, clock, [](const HistoryPoint& point) { return groupedText(point.known); });
}

std::string coverageHistoryDescription(std::span<const HistoryPoint> history, const Clock& clock)
{
    return historyDescription("Coverage of the New Testament", history, clock,
        [](const HistoryPoint& point) { return percentText(point.coverage); });
}

} // namespace learning
