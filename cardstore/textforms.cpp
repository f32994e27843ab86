#include "textforms.h"

#include "errors.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace cardstore {

namespace {

char gDecimalSeparator = '.';

bool isContinuationByte(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

std::size_t utf8Length(std::string_view text)
{
    std::size_t count = 0;
    for (unsigned char c : text)
        if (!isContinuationByte(c))
            ++count;
    return count;
}

std::string utf8Left(std::string_view text, std::size_t maxChars)
{
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!isContinuationByte(static_cast<unsigned char>(text[i]))) {
            if (chars == maxChars)
                return std::string(text.substr(0, i));
            ++chars;
        }
    }
    return std::string(text);
}

char decimalSeparator()
{
    return gDecimalSeparator;
}

void setDecimalSeparator(char separator)
{
    gDecimalSeparator = separator;
}

std::string formatFloat(double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    // The same digits as printf's "%.15g" (the standard defines them so), without printf's locale and format
    // parsing: the status line formats a frequency at every step of a walk over the whole set.
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer - 1, value, std::chars_format::general, 15);
    *end = '\0';
    (void)error; // 15 significant digits always fit
    std::string text;
    text.reserve(static_cast<std::size_t>(end - buffer));
    for (const char* p = buffer; *p; ++p) {
        if (*p == '.') {
            text += gDecimalSeparator;
        } else if (*p == 'e') {
            // "1e+20" -> "1E20", "1e-05" -> "1E-5"
            text += 'E';
            ++p;
            if (*p == '-')
                text += '-';
            if (*p == '+' || *p == '-')
                ++p;
            while (*p == '0' && p[1] != '\0')
                ++p;
            text += p;
            break;
        } else {
            text += *p;
        }
    }
    return text;
}

std::optional<double> parseFloat(std::string_view text)
{
    std::size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    std::string plain;
    std::size_t i = begin;
    if (i < end && (text[i] == '+' || text[i] == '-'))
        plain += text[i++];
    std::size_t digits = 0;
    bool separatorSeen = false;
    for (; i < end; ++i) {
        char c = text[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            plain += c;
            ++digits;
        } else if (c == gDecimalSeparator && !separatorSeen) {
            plain += '.';
            separatorSeen = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < end && (text[i] == '+' || text[i] == '-'))
            plain += text[i++];
        std::size_t exponentDigits = 0;
        for (; i < end && std::isdigit(static_cast<unsigned char>(text[i])); ++i, ++exponentDigits)
            plain += text[i];
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != end)
        return std::nullopt;
    errno = 0;
    char* stop = nullptr;
    double value = std::strtod(plain.c_str(), &stop);
    if (*stop != '\0' || std::isinf(value) || std::isnan(value))
        return std::nullopt;
    return value;
}

std::optional<std::int32_t> parseInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int digit;
        if (std::isdigit(c))
            digit = c - '0';
        else if (base == 16 && std::isxdigit(c))
            digit = std::tolower(c) - 'a' + 10;
        else
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > (std::int64_t(1) << 32))
            return std::nullopt;
    }
    std::int64_t value = negative ? -magnitude : magnitude;
    // Hexadecimal literals may spell the full 32-bit pattern, as $FFFFFFFF for -1.
    if (base == 16 && !negative && value > INT32_MAX && value <= UINT32_MAX)
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t toInteger(std::string_view text)
{
    if (auto value = parseInteger(text))
        return *value;
    throw ConvertError(messages::invalidInteger(std::string(text)));
}

} // namespace cardstore
