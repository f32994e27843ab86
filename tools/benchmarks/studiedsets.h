#pragma once

#include "studyrecords.h"

#include <cstdint>
#include <string>

namespace benchsets {

// An answer that leaves the card in review, due four days later.
cardstore::ReviewEntry answerTo(std::int64_t key, std::int64_t reviewedMs);

// A copy of the generated user set of count cards, every card answered twice. Made once per size and process.
const std::string& studiedSet(int count);

} // namespace benchsets
