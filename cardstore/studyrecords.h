#pragma once

#include <cstdint>

namespace cardstore {

// What the learner's progress on one card is after an answer. Times are milliseconds since the Unix epoch, UTC.
// A card without one is new.
struct CardMemory
{
    std::int64_t cardKey = 0; // Table::recordKey() of the card
    int state = 0; // 0 new, 1 learning, 2 review, 3 relearning
    int step = 0;
    double stability = 0; // days; finite and at least 0
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

} // namespace cardstore
