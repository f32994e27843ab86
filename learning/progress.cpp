#include "progress.h"

#include "scheduler.h"

#include <algorithm>

namespace learning {

SetProgress setProgress(std::span<const ProgressCard> cards, const Clock& clock, std::int64_t totalWords)
{
    const std::int64_t now = clock.nowMs();
    const int offset = clock.utcOffsetSeconds(now);
    const std::int64_t todayStart = localDayStartMs(now, offset);
    const std::int64_t todayEnd = todayStart + kDayMs;

    SetProgress p;
    p.cards = static_cast<int>(cards.size());
    p.totalWords = totalWords;
    for (const ProgressCard& card : cards) {
        const Memory memory = card.memory ? sanitized(*card.memory) : Memory {};
        switch (memory.state) {
        case State::New:
            ++p.newCards;
            continue;
        case State::Learning:
        case State::Relearning:
            ++p.learning;
            break;
        case State::Review:
            ++p.review;
            if (isKnown(memory, now)) {
                ++p.known;
                p.knownOccurrences += std::max<std::int64_t>(0, card.frequency);
            }
            break;
        }
        if (memory.dueMs < todayEnd)
            ++p.dueToday;
        // Days from today, the overdue on day 0; a due time too far off to reckon in days is far past or far ahead.
        const std::optional<std::int64_t> dueDay = checkedLocalDayStartMs(memory.dueMs, offset);
        const std::optional<std::int64_t> fromToday = dueDay ? checked::subtract(*dueDay, todayStart) : std::nullopt;
        const std::int64_t day = fromToday ? std::max<std::int64_t>(0, *fromToday / kDayMs)
                                           : (memory.dueMs < todayStart ? 0 : kForecastDays);
        if (day < kForecastDays)
            ++p.duePerDay[static_cast<std::size_t>(day)];
    }
    if (totalWords > 0)
        p.coverage = std::min(1.0, static_cast<double>(p.knownOccurrences) / static_cast<double>(totalWords));
    return p;
}

TodaySummary todaySummary(std::span<const ReviewLogEntry> log, std::span<const ProgressCard> cards, const Clock& clock)
{
    const DaySpan day = today(clock);
    TodaySummary s;
    for (const ReviewLogEntry& entry : log) {
        if (entry.reviewedMs < day.startMs || entry.reviewedMs >= day.endMs)
            continue;
        ++s.reviews;
        if (const std::optional<std::int64_t> spent
            = checked::add(s.timeSpentMs, std::max<std::int64_t>(0, entry.durationMs)))
            s.timeSpentMs = *spent;
        if (entry.stateBefore == State::New)
            ++s.newCards;
        if (entry.stateBefore == State::Review) {
            ++s.reviewAnswers;
            if (entry.grade != Grade::Again)
                ++s.reviewsRecalled;
        }
    }
    if (s.reviewAnswers > 0)
        s.retention = static_cast<double>(s.reviewsRecalled) / s.reviewAnswers;
    for (const ProgressCard& card : cards) {
        if (!card.memory)
            continue;
        const Memory memory = sanitized(*card.memory);
        if (memory.state != State::New && (!s.nextDueMs || memory.dueMs < *s.nextDueMs))
            s.nextDueMs = memory.dueMs;
    }
    return s;
}

} // namespace learning
