#include "intervallabel.h"

#include "clock.h"

#include <cmath>
#include <cstdio>

namespace learning {

namespace {

std::string whole(double value, const char* unit)
{
    return std::to_string(static_cast<long long>(std::llround(value))) + unit;
}

// One decimal, without a trailing ".0".
std::string tenths(double tenthsValue, const char* unit)
{
    const long long t = std::llround(tenthsValue);
    if (t % 10 == 0)
        return std::to_string(t / 10) + unit;
    return std::to_string(t / 10) + "." + std::to_string(t % 10) + unit;
}

} // namespace

std::string intervalLabel(std::int64_t ms)
{
    constexpr double kMonthDays = 365.25 / 12;
    constexpr double kYearDays = 365.25;
    const double minutes = static_cast<double>(ms) / kMinuteMs;
    if (minutes < 1)
        return "<1m";
    if (std::round(minutes) < 60)
        return whole(minutes, "m");
    const double hours = minutes / 60;
    if (std::round(hours) < 24)
        return whole(hours, "h");
    const double days = hours / 24;
    if (std::round(days) < 30)
        return whole(days, "d");
    const double monthTenths = days / kMonthDays * 10;
    if (std::round(monthTenths) < 120)
        return tenths(monthTenths, "mo");
    return tenths(days / kYearDays * 10, "y");
}

} // namespace learning
