#pragma once

#include <cstdint>
#include <string>

namespace learning {

// A short text for an interval, for the answer buttons: "<1m" under a minute, then whole minutes ("10m"),
// hours ("5h"), days ("3d", up to 29), months of 30.44 days with one decimal ("1.2mo", "3mo" when the decimal
// is 0) up to 11.9, and years of 365.25 days the same way ("2.1y", "1y"). Each unit is chosen after rounding,
// so 59.7 minutes reads "1h", not "60m". Negative intervals read as "<1m".
std::string intervalLabel(std::int64_t ms);

} // namespace learning
