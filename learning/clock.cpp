#include "clock.h"

#include <chrono>
#include <ctime>

namespace learning {

std::int64_t SystemClock::nowMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

int SystemClock::utcOffsetSeconds(std::int64_t atMs) const
{
    const std::time_t seconds = static_cast<std::time_t>(floorDiv(atMs, 1000));
    std::tm local {};
    if (localtime_r(&seconds, &local) == nullptr)
        return 0;
    return static_cast<int>(local.tm_gmtoff);
}

DaySpan today(const Clock& clock)
{
    const std::int64_t now = clock.nowMs();
    const std::int64_t start = localDayStartMs(now, clock.utcOffsetSeconds(now));
    return { start, start + kDayMs };
}

} // namespace learning
