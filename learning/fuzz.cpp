#include "fuzz.h"

#include "fsrsmath.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace learning::fsrs {

namespace {

constexpr double kTwoTo32 = 4294967296.0;
constexpr double kTwoToMinus32 = 2.3283064365386963e-10;

// JavaScript's ToUint32 for the non-negative values the generator meets.
double toUint32(double x)
{
    return std::fmod(std::trunc(x), kTwoTo32);
}

// The generator's string hash; its state carries over from call to call.
class Mash
{
public:
    double operator()(std::string_view data)
    {
        for (unsigned char c : data) {
            n_ += c;
            double h = 0.02519603282416938 * n_;
            n_ = toUint32(h);
            h -= n_;
            h *= n_;
            n_ = toUint32(h);
            h -= n_;
            n_ += h * kTwoTo32;
        }
        return toUint32(n_) * kTwoToMinus32;
    }

private:
    double n_ = 4022871197.0;
};

double wrapped(double s)
{
    return s < 0 ? s + 1 : s;
}

} // namespace

Alea::Alea(std::string_view seed)
{
    Mash mash;
    s0_ = mash(" ");
    s1_ = mash(" ");
    s2_ = mash(" ");
    s0_ = wrapped(s0_ - mash(seed));
    s1_ = wrapped(s1_ - mash(seed));
    s2_ = wrapped(s2_ - mash(seed));
}

double Alea::next()
{
    const double t = 2091639 * s0_ + c_ * kTwoToMinus32;
    s0_ = s1_;
    s1_ = s2_;
    c_ = std::trunc(t);
    s2_ = t - c_;
    return s2_;
}

std::string javaScriptNumberText(double x)
{
    if (std::isnan(x))
        return "NaN";
    if (x == 0)
        return "0";
    if (x < 0)
        return "-" + javaScriptNumberText(-x);
    if (std::isinf(x))
        return "Infinity";
    // Shortest round-trip digits d.ddd and exponent e, value = 0.ddd * 10^n with n = e + 1.
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::scientific).ptr;
    const std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    const auto ePos = text.find('e');
    std::string digits;
    for (char c : text.substr(0, ePos)) {
        if (c != '.')
            digits += c;
    }
    const int n = std::atoi(std::string(text.substr(ePos + 1)).c_str()) + 1;
    const int k = static_cast<int>(digits.size());
    if (k <= n && n <= 21)
        return digits + std::string(static_cast<std::size_t>(n - k), '0');
    if (0 < n && n <= 21)
        return digits.substr(0, static_cast<std::size_t>(n)) + "." + digits.substr(static_cast<std::size_t>(n));
    if (-6 < n && n <= 0)
        return "0." + std::string(static_cast<std::size_t>(-n), '0') + digits;
    const std::string exponent = (n - 1 < 0 ? "-" : "+") + std::to_string(std::abs(n - 1));
    if (k == 1)
        return digits + "e" + exponent;
    return digits.substr(0, 1) + "." + digits.substr(1) + "e" + exponent;
}

std::string fuzzSeed(std::int64_t reviewMs, int repsAfter, double difficulty, double stability)
{
    return std::to_string(reviewMs) + "_" + std::to_string(repsAfter) + "_"
        + javaScriptNumberText(difficulty * stability);
}

FuzzRange fuzzRange(double intervalDays, double elapsedDays, int maximumIntervalDays)
{
    struct Band
    {
        double start;
        double end;
        double factor;
    };
    // Longer intervals move by a smaller share of their length.
    static constexpr Band kBands[] { { 2.5, 7, 0.15 }, { 7, 20, 0.1 }, { 20, HUGE_VAL, 0.05 } };
    double delta = 1;
    for (const Band& band : kBands)
        delta += band.factor * std::max(std::min(intervalDays, band.end) - band.start, 0.0);
    const double interval = std::min(intervalDays, static_cast<double>(maximumIntervalDays));
    double minDays = std::max(2.0, roundHalfUp(interval - delta));
    const double maxDays = std::min(roundHalfUp(interval + delta), static_cast<double>(maximumIntervalDays));
    // A card answered late is not scheduled sooner than the time it has already held out.
    if (interval > elapsedDays)
        minDays = std::max(minDays, elapsedDays + 1);
    minDays = std::min(minDays, maxDays);
    return { static_cast<int>(minDays), static_cast<int>(maxDays) };
}

int fuzzedInterval(double intervalDays, double elapsedDays, int maximumIntervalDays, std::string_view seed)
{
    if (intervalDays < 2.5)
        return static_cast<int>(roundHalfUp(intervalDays));
    const double factor = Alea(seed).next();
    const FuzzRange range = fuzzRange(intervalDays, elapsedDays, maximumIntervalDays);
    return static_cast<int>(std::floor(factor * (range.maxDays - range.minDays + 1) + range.minDays));
}

} // namespace learning::fsrs
