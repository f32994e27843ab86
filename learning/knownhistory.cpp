#include "knownhistory.h"

#include "scheduler.h"

#include <algorithm>

namespace learning {

KnownHistory::KnownHistory(
    std::unordered_map<std::int64_t, std::int64_t> frequencies, const Clock& clock, std::int64_t totalWords)
    : clock_(clock)
    , totalWords_(totalWords)
{
    cards_.reserve(frequencies.size());
    for (const auto& [key, frequency] : frequencies)
        cards_.emplace(key, CardRecord { std::max<std::int64_t>(0, frequency), 0, false });
}

void KnownHistory::forget(std::int64_t key, CardRecord& card)
{
    if (!card.counted)
        return;
    knownUntil_.erase({ card.knownUntilMs, key });
    card.counted = false;
    --known_;
    knownOccurrences_ -= card.frequency;
}

void KnownHistory::add(const ReviewLogEntry& entry)
{
    if (!dayOpen_ || entry.reviewedMs >= dayEnd_) {
        if (dayOpen_)
            closeDay();
        dayStart_ = localDayStartMs(entry.reviewedMs, clock_.utcOffsetSeconds(entry.reviewedMs));
        dayEnd_ = dayStart_ + kDayMs;
        dayOpen_ = true;
    }
    const auto it = cards_.find(entry.key);
    if (it == cards_.end())
        return;
    CardRecord& card = it->second;
    forget(entry.key, card);
    const Memory memory = sanitized(entry.after);
    if (memory.state != State::Review)
        return;
    // Counted for now; closeDay() drops it again if it is no longer known at the end of the day.
    card.knownUntilMs = knownUntilMs(memory);
    card.counted = true;
    knownUntil_.insert({ card.knownUntilMs, entry.key });
    ++known_;
    knownOccurrences_ += card.frequency;
}

void KnownHistory::closeDay()
{
    const std::int64_t lastMs = dayEnd_ - 1;
    while (!knownUntil_.empty() && knownUntil_.begin()->first <= lastMs) {
        const std::int64_t key = knownUntil_.begin()->second;
        forget(key, cards_.at(key));
    }
    const double coverage = totalWords_ > 0
        ? std::min(1.0, static_cast<double>(knownOccurrences_) / static_cast<double>(totalWords_))
        : 0.0;
    points_.push_back({ dayStart_, known_, knownOccurrences_, coverage });
}

std::vector<HistoryPoint> KnownHistory::finish()
{
    if (dayOpen_)
        closeDay();
    dayOpen_ = false;
    return std::move(points_);
}

} // namespace learning
