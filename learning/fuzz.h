#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Interval fuzz: a review interval of a few days or more is moved by a small random amount so that cards learnt
// together do not stay together for ever. The random number is seeded from the review (its time, the card's
// count of reviews and its memory) the way the reference implementation seeds it, so an answer gives the same
// interval here as there, and the same interval again when it is replayed.
namespace learning::fsrs {

// The "Alea" generator the reference uses, seeded from a text.
class Alea
{
public:
    explicit Alea(std::string_view seed);
    // The next number in [0, 1).
    double next();

private:
    double s0_;
    double s1_;
    double s2_;
    double c_ = 1;
};

// A number as JavaScript's String(x) writes it (shortest digits that read back the same), which is how the
// reference spells the product of difficulty and stability in the seed.
std::string javaScriptNumberText(double x);

// The seed of the fuzz for a review at reviewMs of a card that will then have been reviewed repsAfter times and
// had the given difficulty and stability before the review.
std::string fuzzSeed(std::int64_t reviewMs, int repsAfter, double difficulty, double stability);

// Whole days an interval (in days, at least 2.5 to be fuzzed) may be moved to.
struct FuzzRange
{
    int minDays;
    int maxDays;
};
FuzzRange fuzzRange(double intervalDays, double elapsedDays, int maximumIntervalDays);

// The fuzzed interval: intervals under 2.5 days are only rounded.
int fuzzedInterval(double intervalDays, double elapsedDays, int maximumIntervalDays, std::string_view seed);

} // namespace learning::fsrs
