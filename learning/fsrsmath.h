#pragma once

#include "memory.h"

#include <array>

// The FSRS-6 memory model: how stability and difficulty change with each answer, and how recall fades between
// answers. Written from the published formulas; intermediate results are rounded to eight decimals at the
// places the reference implementation rounds them, so a card's figures come out the same on both.
namespace learning::fsrs {

// The 21 published default parameters of FSRS-6 (w[20] is the decay of the forgetting curve).
inline constexpr std::array<double, 21> kWeights { 0.212, 1.2931, 2.3065, 8.2956, 6.4133, 0.8334, 3.0194, 0.001, 1.8722,
    0.1666, 0.796, 1.4835, 0.0614, 0.2629, 1.6483, 0.6014, 1.8729, 0.5425, 0.0912, 0.0658, 0.1542 };

inline constexpr double kMinStability = 0.001;
inline constexpr double kMaxStability = 36500;

// Rounding half up, as the reference does (std::round rounds half away from zero).
double roundHalfUp(double x);
// x rounded to eight decimals.
double round8(double x);

// Probability of recall after elapsedDays for a memory of the given stability: 0.9 when elapsedDays equals
// the stability.
double forgettingCurve(double elapsedDays, double stability);
// Scale from stability to the interval at which recall falls to desiredRetention.
double intervalModifier(double desiredRetention);

double initialStability(Grade grade);
double initialDifficulty(Grade grade);
double nextDifficulty(double difficulty, Grade grade);
// Stability after a successful recall (Hard, Good or Easy) at retrievability r.
double recallStability(double difficulty, double stability, double r, Grade grade);
// Stability after a lapse at retrievability r, before the short-term cap.
double forgetStability(double difficulty, double stability, double r);
// Stability after an answer on the same day as the last one.
double shortTermStability(double stability, Grade grade);

struct MemoryState
{
    double stability;
    double difficulty;
};

// The memory after answering with grade elapsedDays (whole days) after the last review, at retrievability r.
// A memory of zeros is a first answer.
MemoryState nextState(MemoryState memory, double elapsedDays, Grade grade, double r);

} // namespace learning::fsrs
