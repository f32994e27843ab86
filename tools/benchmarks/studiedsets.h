#pragma once

#include "studystore.h"

#include <cstdint>
#include <string>

namespace benchsets {

// The generated user set of count cards with every card answered twice, the second time a day after the first,
// from 1,700,000,000,000 ms on (November 2023); made once per process and size.
const std::string& studiedSet(int count);
// An answer Good to the card key at reviewedMs, leaving it in review.
cardstore::ReviewEntry answerTo(std::int64_t key, std::int64_t reviewedMs);

} // namespace benchsets
