#pragma once

#include "clock.h"
#include "progress.h"

#include <cstdint>
#include <functional>
#include <queue>
#include <unordered_map>
#include <utility>
#include <vector>

namespace learning {

// Known words and coverage at the end of one local day that had reviews.
struct HistoryPoint
{
    std::int64_t dayStartMs;
    int known;
    std::int64_t knownOccurrences;
    double coverage;
    friend bool operator==(const HistoryPoint&, const HistoryPoint&) = default;
};

// Rebuilds known words and coverage over time from the review log, read once in time order. A card counts as
// known at the end of a day when its latest memory as of then is known at that moment (isKnown() at the day's
// last millisecond). It keeps one small record per card and one point per day with reviews, however long the
// log. Entries for cards not in the set are passed over; an entry earlier than the day being read (a clock set
// back) counts for that day.
class KnownHistory
{
public:
    // frequencies: every card of the set with its occurrences in the text, each key once.
    KnownHistory(const std::vector<std::pair<std::int64_t, std::int64_t>>& frequencies, const Clock& clock,
        std::int64_t totalWords = kNewTestamentWords);
    KnownHistory(const std::unordered_map<std::int64_t, std::int64_t>& frequencies, const Clock& clock,
        std::int64_t totalWords = kNewTestamentWords)
        : KnownHistory(std::vector<std::pair<std::int64_t, std::int64_t>>(frequencies.begin(), frequencies.end()),
            clock, totalWords)
    {
    }

    // Before the first entry, when the log is read from a time on rather than from its start: the card's latest
    // memory as of that time.
    void seed(std::int64_t key, const Memory& memory);
    void add(const ReviewLogEntry& entry);
    // The points, the last day closed. Call once, after the last entry.
    std::vector<HistoryPoint> finish();
    // How many entries each point's day had, once finished.
    const std::vector<int>& dayAnswers() const { return dayAnswers_; }

private:
    struct CardRecord
    {
        std::int64_t frequency = 0;
        std::int64_t knownUntilMs = 0; // counted as known until then
        bool inSet = false;
        bool counted = false;
    };
    // Known cards by the time they stop being known, earliest first. An entry whose card has since been answered
    // again no longer matches its record and is passed over when it comes up.
    struct Expiry
    {
        std::int64_t knownUntilMs;
        std::size_t card;
        bool operator>(const Expiry& other) const { return knownUntilMs > other.knownUntilMs; }
    };

    CardRecord* record(std::int64_t key);
    void closeDay();
    void forget(CardRecord& card);
    void count(CardRecord& card, const Memory& memory);
    // Keeps the expiries within twice the cards, however many answers the log holds.
    void dropStaleExpiries();

    // The records by key: a plain table from the lowest key when the keys lie close together, as the row ids of
    // a set do, and a hash table into it otherwise.
    std::vector<CardRecord> cards_;
    std::int64_t lowestKey_ = 0;
    std::unordered_map<std::int64_t, std::size_t> placeOfKey_;
    bool denseKeys_ = true;
    std::priority_queue<Expiry, std::vector<Expiry>, std::greater<>> expiries_;
    const Clock& clock_;
    std::int64_t totalWords_;
    std::int64_t dayStart_ = 0;
    std::int64_t dayEnd_ = 0;
    bool dayOpen_ = false;
    int known_ = 0;
    std::int64_t knownOccurrences_ = 0;
    std::vector<HistoryPoint> points_;
    int answers_ = 0; // of the day open
    std::vector<int> dayAnswers_;
};

} // namespace learning
