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

// "[sound:x.mp3]", a flashcard program's reference to a recording it keeps, is no text of the card.
void dropSoundReferences(std::string& text)
{
    for (std::size_t at; (at = text.find("[sound:")) != std::string::npos;) {
        std::size_t close = text.find(']', at);
        if (close == std::string::npos)
            return;
        text.erase(at, close + 1 - at);
        if (at > 0 && text[at - 1] == ' ' && (at == text.size() || text[at] == ' '))
            text.erase(at - 1, 1);
    }
}

bool holdsLatin(std::string_view text)
{
    return std::any_of(
        text.begin(), text.end(), [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

// The words of text nearest to position at, before and after it: what lies between it and the blanks around them.
std::string_view wordBefore(std::string_view text, std::size_t at)
{
    std::string_view before = text.substr(0, at);
    while (!before.empty() && before.back() == ' ')
        before.remove_suffix(1);
    std::size_t start = before.find_last_of(' ');
    return start == std::string_view::npos ? before : before.substr(start + 1);
}

std::string_view wordAfter(std::string_view text, std::size_t at)
{
    std::string_view after = text.substr(at);
    while (!after.empty() && after.front() == ' ')
        after.remove_prefix(1);
    return after.substr(0, after.find(' '));
}

// One a Greek word, the other an English one.
bool greekAndEnglish(std::string_view one, std::string_view other)
{
    auto greekOnly = [](std::string_view word) { return holdsGreek(word) && !holdsLatin(word); };
    auto englishOnly = [](std::string_view word) { return holdsLatin(word) && !holdsGreek(word); };
    return (greekOnly(one) && englishOnly(other)) || (englishOnly(one) && greekOnly(other));
}

} // namespace

std::optional<std::string> wholeCardSeparator(std::string_view text)
{
    for (std::string_view separator : { " - ", " \u2013 ", " \u2014 ", " = " }) {
        for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, at + 1))
            if (greekAndEnglish(wordBefore(text, at), wordAfter(text, at + separator.size())))
                return std::string(separator.substr(1, separator.size() - 2));
    }
    return std::nullopt;
}

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
    dropSoundReferences(text);
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    return normalized(trimmed(text));
}

std::string withoutFormulaGuard(std::string text)
{
    if (text.starts_with('\'') && startsAsFormula(std::string_view(text).substr(1)))
        text.erase(0, 1);
    return text;
}

bool startsAsFormula(std::string_view text)
{
    text.remove_prefix(std::min(text.find_first_not_of('\''), text.size()));
    return !text.empty() && std::string_view("=+-@").find(text.front()) != std::string_view::npos;
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
