#pragma once

#include "studyrecords.h"

#include <cstdint>
#include <string>

namespace benchsets {

// An answer that leaves the card in review, due four days later.
cardstore::ReviewEntry answerTo(std::int64_t key, std::int64_t reviewedMs);

// A copy of the generated user set of count cards, every card answered twice. Made once per size and process.
const std::string& studiedSet(int count);

// The time the answers of longStudiedSet() lead up to: the last was given a minute before, this day's since its UTC
// midnight, about 22 hours before.
inline constexpr std::int64_t kLongLogNowMs = 1'700'000'000'000 + 7 * 86'400'000LL;

// A copy, for this process, of the generated user set of count cards whose log holds answers answers, given evenly
// over the ten years up to kLongLogNowMs: each round of answers takes every card once, in an order of its own; one
// answer in ten is Again, which sends the card back to relearning; each card's memory is the one its last answer
// left. Ten million answers take minutes to write, so the set is made once and kept between runs in the temporary
// directory's karte-bench-cache. daysKept: the set as the Study or Progress window leaves it once it has counted the
// log, its days before kLongLogNowMs's kept (karte_study_days); without, as a program that kept none left it.
std::string longStudiedSet(int count, std::int64_t answers, bool daysKept = false);

} // namespace benchsets
