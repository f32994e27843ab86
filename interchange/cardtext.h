#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace interchange {

// A cell as a card side would hold it: HTML reduced to text when the file is HTML, "[sound:...]" references
// dropped, line breaks and tabs as spaces (a card side is one line), blanks trimmed from both ends, in Unicode
// normal form C.
std::string cardText(std::string_view cell, bool html);

// Whether a spreadsheet would take the text for a formula, were it not for the apostrophes it may start with: it
// begins with '=', '+', '-' or '@'. A CSV export writes such a value after one apostrophe more, as spreadsheets
// expect, and a CSV import takes that apostrophe away again (withoutFormulaGuard).
bool startsAsFormula(std::string_view text);
std::string withoutFormulaGuard(std::string text);

// The separator (" - ", an en or em dash, " = ") a value holds between a Greek word and an English one, as the
// value of a whole card would; nullopt when it holds none.
std::optional<std::string> wholeCardSeparator(std::string_view text);

// The text in Unicode normal form C, so that a word typed with combining accents and one typed precomposed are
// the same word.
std::string normalized(std::string_view text);

// Whether the text holds a Greek letter (basic or polytonic).
bool holdsGreek(std::string_view text);

// A frequency as a file may write it: a decimal number with '.' or the program's decimal separator, blanks
// around it allowed. nullopt when the text is no number.
std::optional<double> parseFrequency(std::string_view text);

} // namespace interchange
