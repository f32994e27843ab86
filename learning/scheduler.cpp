#include "scheduler.h"

#include "clock.h"
#include "fsrsmath.h"
#include "fuzz.h"
#include "intervallabel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace learning {

namespace {

// Whole UTC calendar days from one time to another; never negative, so a clock set back reads as "same day".
double elapsedDays(const Memory& memory, std::int64_t nowMs)
{
    if (memory.state == State::New || memory.lastReviewMs == 0)
        return 0;
    const std::int64_t days = floorDiv(nowMs, kDayMs) - floorDiv(memory.lastReviewMs, kDayMs);
    return static_cast<double>(std::max<std::int64_t>(0, days));
}

struct StepPlan
{
    double minutes;
    int nextStep;
};

// The short-term step an answer leads to, if any (otherwise the card moves on to days). A card in review uses
// the relearning steps for Again only.
std::optional<StepPlan> stepFor(const SchedulerSettings& settings, State state, int step, Grade grade)
{
    const bool relearning = state == State::Relearning || state == State::Review;
    const std::vector<int>& steps = relearning ? settings.relearningStepsMinutes : settings.learningStepsMinutes;
    const int count = static_cast<int>(steps.size());
    if (count == 0 || step >= count)
        return std::nullopt;
    if (state == State::Review)
        return grade == Grade::Again ? std::optional<StepPlan>({ double(steps[step]), 0 }) : std::nullopt;
    switch (grade) {
    case Grade::Again:
        return StepPlan { double(steps[0]), 0 };
    case Grade::Hard: {
        const double minutes
            = count == 1 ? fsrs::roundHalfUp(steps[0] * 1.5) : fsrs::roundHalfUp((steps[0] + steps[1]) / 2.0);
        return StepPlan { minutes, step };
    }
    case Grade::Good:
        if (step + 1 < count && steps[step + 1] != 0)
            return StepPlan { double(steps[step + 1]), step + 1 };
        return std::nullopt;
    case Grade::Easy:
        return std::nullopt;
    }
    return std::nullopt;
}

int gradeIndex(Grade grade)
{
    return static_cast<int>(grade) - 1;
}

} // namespace

Scheduler::Scheduler(SchedulerSettings settings)
    : settings_(std::move(settings))
{
    if (!std::isfinite(settings_.desiredRetention))
        settings_.desiredRetention = 0.9;
    setDesiredRetention(settings_.desiredRetention);
    settings_.maximumIntervalDays = std::clamp(settings_.maximumIntervalDays, 1, 36500);
}

bool Scheduler::setDesiredRetention(double retention)
{
    if (!std::isfinite(retention))
        return false;
    settings_.desiredRetention = std::clamp(retention, kMinRetention, kMaxRetention);
    intervalModifier_ = fsrs::intervalModifier(settings_.desiredRetention);
    return settings_.desiredRetention == retention;
}

int Scheduler::interval(double stability, double elapsed, const std::string& seed) const
{
    const double maximum = settings_.maximumIntervalDays;
    const double days = std::min(std::max(1.0, fsrs::roundHalfUp(stability * intervalModifier_)), maximum);
    if (!settings_.fuzz)
        return static_cast<int>(days);
    return fsrs::fuzzedInterval(days, elapsed, settings_.maximumIntervalDays, seed);
}

void Scheduler::applySteps(const Memory& before, Memory& after, Grade grade, State stepState, std::int64_t nowMs,
    double elapsed, const std::string& seed) const
{
    const std::optional<StepPlan> plan = stepFor(settings_, before.state, before.step, grade);
    const double minutes = plan ? std::max(0.0, plan->minutes) : 0;
    const int nextStep = plan ? std::max(0, plan->nextStep) : 0;
    if (minutes > 0 && minutes < 1440) {
        after.state = stepState;
        after.step = nextStep;
        after.dueMs = nowMs + static_cast<std::int64_t>(fsrs::roundHalfUp(minutes)) * kMinuteMs;
        return;
    }
    after.state = State::Review;
    if (minutes >= 1440) {
        // A step of a day or more is kept as a step, but the card counts as in review.
        after.step = nextStep;
        after.dueMs = nowMs + static_cast<std::int64_t>(fsrs::roundHalfUp(minutes)) * kMinuteMs;
    } else {
        after.step = 0;
        after.dueMs = nowMs + std::int64_t { interval(after.stability, elapsed, seed) } * kDayMs;
    }
}

std::array<Memory, 4> Scheduler::outcomes(const Memory& original, std::int64_t nowMs) const
{
    const Memory memory = sanitized(original);
    const double elapsed = elapsedDays(memory, nowMs);
    const std::string seed = fsrs::fuzzSeed(nowMs, memory.reps + 1, memory.difficulty, memory.stability);
    const double r = memory.state == State::New ? 0 : fsrs::forgettingCurve(elapsed, memory.stability);

    std::array<Memory, 4> result;
    for (Grade grade : { Grade::Again, Grade::Hard, Grade::Good, Grade::Easy }) {
        Memory& after = result[gradeIndex(grade)];
        after = memory;
        const fsrs::MemoryState next = fsrs::nextState({ memory.stability, memory.difficulty }, elapsed, grade, r);
        after.stability = next.stability;
        after.difficulty = next.difficulty;
        after.lastReviewMs = nowMs;
        after.reps = memory.reps + 1;
    }

    if (memory.state != State::Review) {
        const State stepState = memory.state == State::New ? State::Learning : memory.state;
        for (Grade grade : { Grade::Again, Grade::Hard, Grade::Good, Grade::Easy })
            applySteps(memory, result[gradeIndex(grade)], grade, stepState, nowMs, elapsed, seed);
        return result;
    }

    // In review the three passing answers keep their order: Hard no later than Good, Easy later than Good.
    Memory& hard = result[gradeIndex(Grade::Hard)];
    Memory& good = result[gradeIndex(Grade::Good)];
    Memory& easy = result[gradeIndex(Grade::Easy)];
    int goodDays = interval(good.stability, elapsed, seed);
    const int hardDays = std::min(interval(hard.stability, elapsed, seed), goodDays);
    goodDays = std::max(goodDays, hardDays + 1);
    const int easyDays = std::max(interval(easy.stability, elapsed, seed), goodDays + 1);
    for (auto [after, days] : { std::pair { &hard, hardDays }, { &good, goodDays }, { &easy, easyDays } }) {
        after->state = State::Review;
        after->step = 0;
        after->dueMs = nowMs + std::int64_t { days } * kDayMs;
    }
    Memory& again = result[gradeIndex(Grade::Again)];
    applySteps(memory, again, Grade::Again, State::Relearning, nowMs, elapsed, seed);
    again.lapses = memory.lapses + 1;
    return result;
}

Memory Scheduler::review(const Memory& memory, Grade grade, std::int64_t nowMs) const
{
    return outcomes(memory, nowMs)[gradeIndex(grade)];
}

std::array<Outcome, 4> Scheduler::preview(const Memory& memory, std::int64_t nowMs) const
{
    const std::array<Memory, 4> after = outcomes(memory, nowMs);
    std::array<Outcome, 4> result;
    for (Grade grade : { Grade::Again, Grade::Hard, Grade::Good, Grade::Easy }) {
        const Memory& m = after[gradeIndex(grade)];
        result[gradeIndex(grade)] = { grade, m, m.dueMs - nowMs, intervalLabel(m.dueMs - nowMs) };
    }
    return result;
}

namespace {

// Whole days since the memory's last review; a difference too large to reckon is as long ago as can be.
std::int64_t daysSinceReview(const Memory& memory, std::int64_t atMs)
{
    const std::optional<std::int64_t> sinceMs = checked::subtract(atMs, memory.lastReviewMs);
    return sinceMs ? std::max<std::int64_t>(0, floorDiv(*sinceMs, kDayMs))
                   : (atMs < memory.lastReviewMs ? 0 : std::numeric_limits<std::int64_t>::max() / kDayMs);
}

} // namespace

double retrievability(const Memory& original, std::int64_t atMs)
{
    const Memory memory = sanitized(original);
    if (memory.state == State::New)
        return 0;
    return fsrs::forgettingCurve(static_cast<double>(daysSinceReview(memory, atMs)), fsrs::round8(memory.stability));
}

bool isKnown(const Memory& original, std::int64_t atMs)
{
    if (original.state != State::Review)
        return false;
    const Memory memory = sanitized(original);
    if (memory.state != State::Review)
        return false;
    // Recall falls to 90% after `stability` days: a whole day away from it, the curve need not be worked out, which
    // the Progress window would do for every card.
    const double days = static_cast<double>(daysSinceReview(memory, atMs));
    const double stability = fsrs::round8(memory.stability);
    if (days + 1 <= stability)
        return true;
    if (days >= stability + 1)
        return false;
    return fsrs::forgettingCurve(days, stability) >= kKnownRecall;
}

std::int64_t knownUntilMs(const Memory& original)
{
    const Memory memory = sanitized(original);
    if (memory.state != State::Review)
        return std::numeric_limits<std::int64_t>::min();
    // Recall falls below 90% after about `stability` days; find the exact last whole day around it.
    const double stability = fsrs::round8(memory.stability);
    const auto recalled = [stability](std::int64_t day) {
        return fsrs::forgettingCurve(static_cast<double>(day), stability) >= kKnownRecall;
    };
    std::int64_t lastDay = static_cast<std::int64_t>(std::floor(stability));
    while (lastDay > 0 && !recalled(lastDay))
        --lastDay;
    while (recalled(lastDay + 1))
        ++lastDay;
    // Known for ever after, as far as times go, when the end lies beyond them.
    return checked::add(memory.lastReviewMs, (lastDay + 1) * kDayMs).value_or(std::numeric_limits<std::int64_t>::max());
}

} // namespace learning
