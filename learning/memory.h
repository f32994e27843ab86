#pragma once

#include <cstdint>

namespace learning {

// A card's place in the study cycle. The numbers are stored by the card set; keep them.
enum class State { New = 0, Learning = 1, Review = 2, Relearning = 3 };

// The learner's answer. The numbers are stored in the review log; keep them.
enum class Grade { Again = 1, Hard = 2, Good = 3, Easy = 4 };

// What the program remembers of the learner's memory of one card. Times are milliseconds since the Unix
// epoch (UTC); a card never studied has state New and zeros everywhere.
struct Memory
{
    State state = State::New;
    int step = 0; // index into the learning or relearning steps
    double stability = 0; // days until recall falls to 90%
    double difficulty = 0; // 1 (easy) to 10 (hard)
    std::int64_t dueMs = 0;
    std::int64_t lastReviewMs = 0;
    int reps = 0;
    int lapses = 0;

    friend bool operator==(const Memory&, const Memory&) = default;
};

// The memory as the scheduler may use it. A stored row can be damaged or come from a newer program: an unknown
// state, or a stability or difficulty that is not a finite number, leaves nothing to go on, so the card starts
// again as new (its counts of reviews and lapses are kept). Values merely out of range are clamped: stability
// to [0.001, 36500] days, difficulty to [1, 10], negative counts and steps to 0. A review card has no step.
Memory sanitized(const Memory& memory);

} // namespace learning
