#include "cardtext.h"

#include "errors.h"
#include "htmltext.h"
#include "textforms.h"

#include <unicode/bytestream.h>
#include <unicode/normalizer2.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace interchange {

namespace {

const icu::Normalizer2& nfc()
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* normalizer = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status) || !normalizer)
        throw cardstore::Error(std::string("The Unicode normalization data cannot be loaded: ") + u_errorName(status));
    return *normalizer;
}

std::string_view trimmed(std::string_view text)
{
    constexpr std::string_view kNoBreakSpace = "\xC2\xA0";
    for (;;) {
        if (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        else if (text.starts_with(kNoBreakSpace))
            text.remove_prefix(kNoBreakSpace.size());
        else
            break;
    }
    for (;;) {
        if (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
            text.remove_suffix(1);
        else if (text.ends_with(kNoBreakSpace))
            text.remove_suffix(kNoBreakSpace.size());
        else
            break;
    }
    return text;
}

} // namespace

std::string normalized(std::string_view text)
{
    const icu::Normalizer2& normalizer = nfc();
    UErrorCode status = U_ZERO_ERROR;
    icu::StringPiece piece(text.data(), static_cast<std::int32_t>(text.size()));
    if (normalizer.isNormalizedUTF8(piece, status) && U_SUCCESS(status))
        return std::string(text);
    std::string result;
    icu::StringByteSink<std::string> sink(&result, static_cast<std::int32_t>(text.size()));
    status = U_ZERO_ERROR;
    normalizer.normalizeUTF8(0, piece, sink, nullptr, status);
    if (U_FAILURE(status))
        return std::string(text);
    return result;
}

std::string cardText(std::string_view cell, bool html)
{
    std::string text = html ? htmlToText(cell) : std::string(cell);
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    return normalized(trimmed(text));
}

bool holdsGreek(std::string_view text)
{
    // Greek and Coptic (U+0370-U+03FF) is CE or CF followed by a continuation byte; Greek Extended
    // (U+1F00-U+1FFF) is E1 BC to E1 BF followed by one.
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]), d = static_cast<unsigned char>(text[i + 1]);
        if ((c == 0xCD && d >= 0xB0) || c == 0xCE || c == 0xCF)
            return true;
        if (c == 0xE1 && d >= 0xBC && d <= 0xBF)
            return true;
    }
    return false;
}

std::optional<double> parseFrequency(std::string_view text)
{
    std::string plain(trimmed(text));
    if (cardstore::decimalSeparator() != '.')
        std::replace(plain.begin(), plain.end(), cardstore::decimalSeparator(), '.');
    const char* begin = plain.data();
    const char* end = begin + plain.size();
    if (begin != end && *begin == '+')
        ++begin;
    double value = 0;
    auto [stop, error] = std::from_chars(begin, end, value, std::chars_format::general);
    if (begin == end || error != std::errc() || stop != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace interchange
