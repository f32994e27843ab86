#pragma once

#include "clock.h"
#include "memory.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace learning {

// Running words of the Greek New Testament (SBLGNT), the text the built-in set's frequencies count.
inline constexpr std::int64_t kNewTestamentWords = 137'554;

// A card of the set as the progress figures need it.
struct ProgressCard
{
    std::int64_t key = 0;
    std::optional<Memory> memory; // none: never studied
    std::int64_t frequency = 0; // occurrences in the text
};

inline constexpr int kForecastDays = 30;

struct SetProgress
{
    int cards = 0;
    int newCards = 0;
    int learning = 0; // learning or relearning
    int review = 0; // in review, known or not
    int known = 0; // in review and recalled with at least 90% probability now (isKnown())
    int dueToday = 0; // learning and review cards due by the end of the local day, overdue ones included
    std::int64_t knownOccurrences = 0; // the known cards' frequencies added up
    std::int64_t totalWords = 0;
    double coverage = 0; // knownOccurrences / totalWords, at most 1
    // Learning and review cards falling due on each local day from today (day 0, with the overdue ones).
    std::array<int, kForecastDays> duePerDay {};
};

// The figures of the Progress window for a set, now. Local days use the clock's UTC offset at now throughout.
SetProgress setProgress(
    std::span<const ProgressCard> cards, const Clock& clock, std::int64_t totalWords = kNewTestamentWords);

// One answer as the review log keeps it.
struct ReviewLogEntry
{
    std::int64_t key = 0;
    std::int64_t reviewedMs = 0;
    Grade grade = Grade::Good;
    State stateBefore = State::New;
    std::int64_t durationMs = 0; // time the card was on screen
    Memory after;
};

struct TodaySummary
{
    int reviews = 0; // answers today
    int newCards = 0; // cards answered for the first time today
    std::int64_t timeSpentMs = 0;
    int reviewAnswers = 0; // answers to cards that were in review
    int reviewsRecalled = 0; // of those, the ones not answered Again
    std::optional<double> retention; // reviewsRecalled / reviewAnswers; none when there were no such answers
    std::optional<std::int64_t> nextDueMs; // earliest due time of a studied card (may be now or past)
};

// Today's study: log entries outside today's local day are skipped.
TodaySummary todaySummary(std::span<const ReviewLogEntry> log, std::span<const ProgressCard> cards, const Clock& clock);

} // namespace learning
