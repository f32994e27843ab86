#pragma once

#include <cstdint>

namespace cardstore {

// The bounds of what the program writes as study progress. A set's progress holding anything beyond them was made
// by something else, and is damage: such a row is left out and named, never shown as a figure.
namespace studybounds {
// Times: from 1970 to the end of the year 9999, UTC, so that any day or date computed from one is a real one.
inline constexpr std::int64_t kEarliestMs = 0;
inline constexpr std::int64_t kLatestMs = 253'402'300'799'999;
// The time one answer counts as spent on its card: a card left on screen longer counts a day.
inline constexpr std::int64_t kLongestAnswerMs = 86'400'000;
// A memory's stability in days, as the scheduler keeps it.
inline constexpr double kLeastStability = 0.001;
inline constexpr double kMostStability = 36'500;
// The scheduler's short steps: a learning card is at one of kLearningSteps, a relearning card at one of
// kRelearningSteps, a card in review at none (step 0).
inline constexpr int kLearningSteps = 2;
inline constexpr int kRelearningSteps = 1;
} // namespace studybounds

// What the learner's progress on one card is after an answer. Times are milliseconds since the Unix epoch, UTC.
// A card without one is new.
struct CardMemory
{
    std::int64_t cardKey = 0; // Table::recordKey() of the card
    int state = 0; // 1 learning, 2 review, 3 relearning (0, new, is a card without one)
    int step = 0;
    double stability = 0; // days
    double difficulty = 0; // 1 to 10 once the card has been answered
    std::int64_t dueMs = 0;
    std::int64_t lastReviewMs = 0;
    int reps = 0;
    int lapses = 0;
};

// One answer in the review log, with the memory it left the card in.
struct ReviewEntry
{
    std::int64_t id = 0; // given by the store, in the order answers were recorded
    std::int64_t cardKey = 0;
    std::int64_t reviewedMs = 0;
    int grade = 0; // 1 again, 2 hard, 3 good, 4 easy
    std::int64_t durationMs = 0;
    CardMemory after;
    // The state the card was in before the answer (the state the card's previous answer left, 0 before its first),
    // where a read works it out (StudyStore::reviewsSince); -1 elsewhere.
    int stateBefore = -1;
};

// One local day of answers as the set keeps it summarized, for the chart of known words over time: how many answers
// it had, and the cards known at its end with their frequencies added up, as the learning core counts them.
struct StudyDay
{
    std::int64_t startMs = 0; // the day's first millisecond; a day is taken as 24 hours
    std::int64_t answers = 0;
    std::int64_t known = 0;
    std::int64_t occurrences = 0;
    friend bool operator==(const StudyDay&, const StudyDay&) = default;
};

} // namespace cardstore
