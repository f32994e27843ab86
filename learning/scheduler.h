#pragma once

#include "memory.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace learning {

struct SchedulerSettings
{
    // Share of reviews the learner should recall; kept within [kMinRetention, kMaxRetention].
    double desiredRetention = 0.9;
    int maximumIntervalDays = 36500;
    // Short steps of a new card before its first interval of days, and of a forgotten card before it returns to
    // review, in minutes.
    std::vector<int> learningStepsMinutes { 1, 10 };
    std::vector<int> relearningStepsMinutes { 10 };
    // Moves review intervals a little at random (seeded by the review, see fuzz.h). Tests turn it off.
    bool fuzz = true;
};

// One possible answer and what it would do.
struct Outcome
{
    Grade grade;
    Memory memory; // the memory after the answer
    std::int64_t intervalMs; // from the answer to the next due time
    std::string label; // the interval for the answer's button, see intervalLabel()
};

// Schedules one card at a time with FSRS-6 and its default parameters. Day counts between reviews are whole UTC
// calendar days, as in the reference implementation, so a card gives the same intervals wherever it is studied.
class Scheduler
{
public:
    static constexpr double kMinRetention = 0.70;
    static constexpr double kMaxRetention = 0.97;

    explicit Scheduler(SchedulerSettings settings = {});

    const SchedulerSettings& settings() const { return settings_; }
    // Clamps retention into [kMinRetention, kMaxRetention]; false (and no change) for a value that is not a
    // number, false with the clamped value for one outside the range.
    bool setDesiredRetention(double retention);
    void setFuzz(bool on) { settings_.fuzz = on; }

    // The memory after answering with grade at nowMs. A review "before" the last one (a clock set back) counts
    // as one on the same day; a damaged memory is taken as sanitized() says.
    Memory review(const Memory& memory, Grade grade, std::int64_t nowMs) const;
    // What each of the four answers would do, Again first.
    std::array<Outcome, 4> preview(const Memory& memory, std::int64_t nowMs) const;

private:
    std::array<Memory, 4> outcomes(const Memory& memory, std::int64_t nowMs) const;
    // Sets the state, step and due time after the short-term steps, or the first interval when they are done.
    void applySteps(const Memory& before, Memory& after, Grade grade, State stepState, std::int64_t nowMs,
        double elapsedDays, const std::string& seed) const;
    int interval(double stability, double elapsedDays, const std::string& seed) const;

    SchedulerSettings settings_;
    double intervalModifier_;
};

// The probability of recalling the card at atMs: the forgetting curve over the whole days since the last review
// (0 for a new card, 1 for a time before the last review).
double retrievability(const Memory& memory, std::int64_t atMs);

// A card counts as known when it is in review and would be recalled with at least this probability.
inline constexpr double kKnownRecall = 0.9;
bool isKnown(const Memory& memory, std::int64_t atMs);
// The first time at which isKnown() no longer holds for memory (the lowest time there is for a card not in
// review): isKnown(memory, t) is memory.state == Review && t < knownUntilMs(memory).
std::int64_t knownUntilMs(const Memory& memory);

} // namespace learning
