#pragma once

#include "checkedarithmetic.h"

#include <cstdint>
#include <optional>

namespace learning {

inline constexpr std::int64_t kMinuteMs = 60'000;
inline constexpr std::int64_t kHourMs = 60 * kMinuteMs;
inline constexpr std::int64_t kDayMs = 24 * kHourMs;

// Where the study core learns the time. The windows use SystemClock; tests set the time by hand.
class Clock
{
public:
    virtual ~Clock() = default;
    // Milliseconds since the Unix epoch, UTC.
    virtual std::int64_t nowMs() const = 0;
    // Seconds east of UTC of the learner's local time at atMs: where "today" begins and ends.
    virtual int utcOffsetSeconds(std::int64_t atMs) const = 0;
};

// The computer's clock and time zone (the C library's localtime).
class SystemClock final : public Clock
{
public:
    std::int64_t nowMs() const override;
    int utcOffsetSeconds(std::int64_t atMs) const override;
};

// A clock that stands still until told otherwise, with a fixed UTC offset.
class ManualClock final : public Clock
{
public:
    explicit ManualClock(std::int64_t nowMs = 0, int utcOffsetSeconds = 0)
        : now_(nowMs)
        , offset_(utcOffsetSeconds)
    {
    }
    std::int64_t nowMs() const override { return now_; }
    int utcOffsetSeconds(std::int64_t) const override { return offset_; }
    void setNowMs(std::int64_t nowMs) { now_ = nowMs; }
    void advanceMs(std::int64_t ms) { now_ += ms; }
    void setUtcOffsetSeconds(int seconds) { offset_ = seconds; }

private:
    std::int64_t now_;
    int offset_;
};

// Integer division rounding towards minus infinity, for times before a boundary.
constexpr std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// The first millisecond of the local day holding atMs, for a learner utcOffsetSeconds east of UTC.
constexpr std::int64_t localDayStartMs(std::int64_t atMs, int utcOffsetSeconds)
{
    const std::int64_t offsetMs = std::int64_t { utcOffsetSeconds } * 1000;
    return floorDiv(atMs + offsetMs, kDayMs) * kDayMs - offsetMs;
}

// The same for a time that may lie anywhere (one read from a file): nothing when the day's start is not a time.
constexpr std::optional<std::int64_t> checkedLocalDayStartMs(std::int64_t atMs, int utcOffsetSeconds)
{
    const std::int64_t offsetMs = std::int64_t { utcOffsetSeconds } * 1000;
    const std::optional<std::int64_t> local = checked::add(atMs, offsetMs);
    const std::optional<std::int64_t> start
        = local ? checked::multiply(floorDiv(*local, kDayMs), kDayMs) : std::nullopt;
    return start ? checked::subtract(*start, offsetMs) : std::nullopt;
}

// Today's local day as [start, end) on the clock, the offset taken at the clock's now. Days are taken as 24 hours,
// so on the night the clocks change for summer time "today" ends an hour early or late.
struct DaySpan
{
    std::int64_t startMs;
    std::int64_t endMs;
};
DaySpan today(const Clock& clock);

} // namespace learning
