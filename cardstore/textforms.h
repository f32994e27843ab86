#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cardstore {

// Number of characters (code points) in a UTF-8 text.
std::size_t utf8Length(std::string_view text);
// The first maxChars characters of a UTF-8 text.
std::string utf8Left(std::string_view text, std::size_t maxChars);

// The decimal separator used by the text forms of floating-point fields; '.' unless the program sets
// the system's.
char decimalSeparator();
void setDecimalSeparator(char separator);

// Shortest general form with up to 15 significant digits: 1234, 12.5, 1E20, 1E-5.
std::string formatFloat(double value);
// Parses the general form written by formatFloat (blanks around it allowed). nullopt when the text is
// not a number.
std::optional<double> parseFloat(std::string_view text);

// Integer conversion as the program's size boxes and stored sizes use it: leading blanks, an optional
// sign, decimal digits or '$' and hexadecimal digits, nothing after; 32-bit range.
std::optional<std::int32_t> parseInteger(std::string_view text);
// As parseInteger, raising ConvertError "'%s' is not a valid integer value" on failure.
std::int32_t toInteger(std::string_view text);

} // namespace cardstore
