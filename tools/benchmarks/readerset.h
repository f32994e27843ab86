#pragma once

#include <cstdint>
#include <string>

namespace nttext {
class Text;
}

namespace benchsets {

// A week after the generated answers: some cards are known, others have faded.
constexpr std::int64_t kReadingTime = 1'700'000'000'000 + 7 * 86'400'000LL;

// The studied set of 100,000 cards (studiedSet) with its first cards' Greek sides made the text's lemmas, by lemma id,
// so that the set names every lemma of the text. Made once per process.
const std::string& readerSet(const nttext::Text& text);

} // namespace benchsets
