#include "fsrsmath.h"

#include <algorithm>
#include <cmath>

namespace learning::fsrs {

namespace {

const auto& w = kWeights;

double decay()
{
    return -w[20];
}

// The factor that makes the curve pass through 0.9 at elapsed == stability.
double decayFactor()
{
    static const double factor = round8(std::exp(1.0 / decay() * std::log(0.9)) - 1);
    return factor;
}

int value(Grade grade)
{
    return static_cast<int>(grade);
}

} // namespace

double roundHalfUp(double x)
{
    const double down = std::floor(x);
    return x - down >= 0.5 ? down + 1 : down;
}

double round8(double x)
{
    return roundHalfUp(x * 1e8) / 1e8;
}

double forgettingCurve(double elapsedDays, double stability)
{
    return round8(std::pow(1 + decayFactor() * elapsedDays / stability, decay()));
}

double intervalModifier(double desiredRetention)
{
    return round8((std::pow(desiredRetention, 1 / decay()) - 1) / decayFactor());
}

double initialStability(Grade grade)
{
    return std::max(w[value(grade) - 1], 0.1);
}

double initialDifficulty(Grade grade)
{
    return round8(w[4] - std::exp((value(grade) - 1) * w[5]) + 1);
}

double nextDifficulty(double difficulty, Grade grade)
{
    const double delta = -w[6] * (value(grade) - 3);
    // Linear damping: the closer to 10, the smaller the step up.
    const double damped = difficulty + round8(delta * (10 - difficulty) / 9);
    // Mean reversion towards the difficulty of a first Easy.
    const double reverted = round8(w[7] * initialDifficulty(Grade::Easy) + (1 - w[7]) * damped);
    return std::clamp(reverted, 1.0, 10.0);
}

double recallStability(double difficulty, double stability, double r, Grade grade)
{
    const double hardPenalty = grade == Grade::Hard ? w[15] : 1;
    const double easyBonus = grade == Grade::Easy ? w[16] : 1;
    const double growth = std::exp(w[8]) * (11 - difficulty) * std::pow(stability, -w[9])
        * (std::exp((1 - r) * w[10]) - 1) * hardPenalty * easyBonus;
    return round8(std::clamp(stability * (1 + growth), kMinStability, kMaxStability));
}

double forgetStability(double difficulty, double stability, double r)
{
    const double s
        = w[11] * std::pow(difficulty, -w[12]) * (std::pow(stability + 1, w[13]) - 1) * std::exp((1 - r) * w[14]);
    return round8(std::clamp(s, kMinStability, kMaxStability));
}

double shortTermStability(double stability, Grade grade)
{
    const double increase = std::pow(stability, -w[19]) * std::exp(w[17] * (value(grade) - 3 + w[18]));
    // A same-day answer other than Again never lowers stability.
    const double masked = grade >= Grade::Hard ? std::max(increase, 1.0) : increase;
    return round8(std::clamp(stability * masked, kMinStability, kMaxStability));
}

MemoryState nextState(MemoryState memory, double elapsedDays, Grade grade, double r)
{
    if (memory.difficulty == 0 && memory.stability == 0)
        return { initialStability(grade), std::clamp(initialDifficulty(grade), 1.0, 10.0) };
    double stability;
    if (elapsedDays == 0) {
        stability = shortTermStability(memory.stability, grade);
    } else if (grade == Grade::Again) {
        // A lapse never leaves the card more stable than a same-day Again would.
        const double cap = round8(memory.stability / std::exp(w[17] * w[18]));
        stability = std::min(std::max(cap, kMinStability), forgetStability(memory.difficulty, memory.stability, r));
    } else {
        stability = recallStability(memory.difficulty, memory.stability, r, grade);
    }
    return { stability, nextDifficulty(memory.difficulty, grade) };
}

} // namespace learning::fsrs
