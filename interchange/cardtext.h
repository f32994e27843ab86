#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace interchange {

// A cell as a card side would hold it: HTML reduced to text when the file is HTML, line breaks and tabs as
// spaces (a card side is one line), blanks trimmed from both ends, in Unicode normal form C.
std::string cardText(std::string_view cell, bool html);

// The text in Unicode normal form C, so that a word typed with combining accents and one typed precomposed are
// the same word.
std::string normalized(std::string_view text);

// Whether the text holds a Greek letter (basic or polytonic).
bool holdsGreek(std::string_view text);

// A frequency as a file may write it: a decimal number with '.' or the program's decimal separator, blanks
// around it allowed. nullopt when the text is no number.
std::optional<double> parseFrequency(std::string_view text);

} // namespace interchange
