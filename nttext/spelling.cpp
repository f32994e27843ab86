#include "spelling.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <stdexcept>

namespace nttext {

namespace {

constexpr UChar32 kAcute = 0x0301;
constexpr UChar32 kGrave = 0x0300;
constexpr UChar32 kCircumflex = 0x0342;
constexpr UChar32 kIotaSubscript = 0x0345; // ypogegrammeni, as NFD writes ᾳ ῃ ῳ
constexpr UChar32 kIota = 0x03B9;

const icu::Normalizer2& normalizer(bool composed)
{
    UErrorCode error = U_ZERO_ERROR;
    const icu::Normalizer2* instance
        = composed ? icu::Normalizer2::getNFCInstance(error) : icu::Normalizer2::getNFDInstance(error);
    if (U_FAILURE(error))
        throw std::runtime_error("Unicode normalisation is not available");
    return *instance;
}

icu::UnicodeString normalized(const icu::UnicodeString& text, bool composed)
{
    UErrorCode error = U_ZERO_ERROR;
    icu::UnicodeString out = normalizer(composed).normalize(text, error);
    return U_FAILURE(error) ? text : out;
}

icu::UnicodeString decomposed(std::string_view utf8)
{
    return normalized(icu::UnicodeString::fromUTF8(utf8), false);
}

std::string composedUtf8(const icu::UnicodeString& text)
{
    std::string out;
    normalized(text, true).toUTF8String(out);
    return out;
}

bool isAccent(UChar32 c)
{
    return c == kAcute || c == kGrave || c == kCircumflex;
}

// NFD with graves as acutes and an enclitic's thrown-back accent removed.
icu::UnicodeString decomposedForm(std::string_view word)
{
    icu::UnicodeString text = decomposed(word);
    int32_t last = -1;
    int accents = 0;
    for (int32_t i = 0; i < text.length(); ++i) {
        if (text.charAt(i) == kGrave)
            text.setCharAt(i, kAcute);
        if (isAccent(text.charAt(i))) {
            ++accents;
            last = i;
        }
    }
    if (accents >= 2)
        text.remove(last, 1);
    return text;
}

// Appends what a Greek letter (lower case, without marks) is written as in Latin letters; false when c is
// not one.
bool appendGreekInLatin(UChar32 c, std::string& out)
{
    static constexpr const char* kLetters[] = { "a", "b", "g", "d", "e", "z", "e", "th", "i", "k", "l", "m", "n", "ks",
        "o", "p", "r", "s", "s", "t", "u", "ph", "ch", "ps", "o" }; // α … ω, with final sigma at ς
    if (c >= 0x03B1 && c <= 0x03C9) {
        out += kLetters[c - 0x03B1];
        return true;
    }
    if (c == 0x03F2 || c == 0x03F9) { // lunate sigma
        out += 's';
        return true;
    }
    return false;
}

// Brings the Latin spellings of one Greek letter to the one this program compares.
std::string canonicalLatin(const std::string& raw)
{
    std::string out;
    out.reserve(raw.size() + 4);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        char c = raw[i];
        bool beforeH = i + 1 < raw.size() && raw[i + 1] == 'h';
        switch (c) {
        case 'c':
        case 'k':
            out += beforeH ? "ch" : "k";
            i += beforeH ? 1 : 0;
            break;
        case 't':
        case 'p':
            out += c;
            if (beforeH) {
                out += 'h';
                ++i;
            }
            break;
        case 'h':
            break;
        case 'f':
            out += "ph";
            break;
        case 'x':
            out += "ks";
            break;
        case 'y':
            out += 'u';
            break;
        case 'j':
            out += 'i';
            break;
        case 'q':
            out += 'k';
            break;
        case 'v':
            out += 'b';
            break;
        case 'w':
            out += 'o';
            break;
        default:
            out += c;
        }
    }
    // Greek writes the nasal before a velar as gamma: ἄγγελος is "angelos".
    for (std::size_t i = 0; i + 1 < out.size(); ++i)
        if (out[i] == 'g' && (out[i + 1] == 'g' || out[i + 1] == 'k' || out[i + 1] == 'c'))
            out[i] = 'n';
    return out;
}

} // namespace

std::string lemmaKey(std::string_view greekSide)
{
    icu::UnicodeString text = normalized(icu::UnicodeString::fromUTF8(greekSide), true);
    int32_t start = 0;
    while (start < text.length() && u_isUWhiteSpace(text.char32At(start)))
        start = text.moveIndex32(start, 1);
    int32_t end = start;
    while (end < text.length()) {
        UChar32 c = text.char32At(end);
        if (c == ',' || u_isUWhiteSpace(c))
            break;
        end = text.moveIndex32(end, 1);
    }
    std::string out;
    text.tempSubStringBetween(start, end).toUTF8String(out);
    return out;
}

std::string normalisedForm(std::string_view word)
{
    return composedUtf8(decomposedForm(word));
}

std::string formKey(std::string_view word)
{
    // Case folding writes an iota subscript out as a full iota, which would make ἡμέρᾳ the plural ἡμέραι: each
    // letter is folded alone and the subscript kept.
    const icu::UnicodeString text = decomposedForm(word);
    icu::UnicodeString folded;
    for (int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1)) {
        const UChar32 c = text.char32At(i);
        folded.append(c == kIotaSubscript ? c : u_foldCase(c, U_FOLD_CASE_DEFAULT));
    }
    return composedUtf8(folded);
}

std::string lowerFirst(std::string_view word)
{
    icu::UnicodeString text = icu::UnicodeString::fromUTF8(word);
    if (text.isEmpty())
        return std::string();
    UChar32 first = text.char32At(0);
    icu::UnicodeString out;
    out.append(u_tolower(first));
    out.append(text, U16_LENGTH(first), text.length() - U16_LENGTH(first));
    std::string utf8;
    out.toUTF8String(utf8);
    return utf8;
}

std::string withoutAccents(std::string_view word)
{
    icu::UnicodeString text = decomposed(word);
    icu::UnicodeString kept;
    for (int32_t i = 0; i < text.length(); ++i)
        if (!isAccent(text.charAt(i)))
            kept.append(text.charAt(i));
    return composedUtf8(kept);
}

Letters letters(std::string_view text)
{
    const icu::UnicodeString decomposedText = decomposed(text);
    icu::UnicodeString bare;
    std::string raw;
    raw.reserve(static_cast<std::size_t>(decomposedText.length()) + 8);
    for (int32_t i = 0; i < decomposedText.length(); i = decomposedText.moveIndex32(i, 1)) {
        UChar32 c = decomposedText.char32At(i);
        if (u_getCombiningClass(c) != 0 || u_charType(c) == U_NON_SPACING_MARK)
            continue;
        const bool letter = u_isalpha(c);
        c = u_foldCase(c, U_FOLD_CASE_DEFAULT);
        if (letter)
            bare.append(c == 0x03C2 || c == 0x03F2 ? UChar32(0x03C3) : c); // final and lunate sigma as σ
        if (c >= 'a' && c <= 'z')
            raw += static_cast<char>(c);
        else
            appendGreekInLatin(c, raw);
    }
    Letters out;
    bare.toUTF8String(out.bare);
    out.latin = canonicalLatin(raw);
    return out;
}

std::string bareLetters(std::string_view text)
{
    return letters(text).bare;
}

std::string iotaSubscriptWrittenOut(std::string_view word)
{
    icu::UnicodeString text = decomposed(word);
    for (int32_t i = 0; i < text.length(); ++i)
        if (text.charAt(i) == kIotaSubscript)
            text.setCharAt(i, static_cast<char16_t>(kIota));
    return composedUtf8(text);
}

std::string searchSpelling(std::string_view text)
{
    return letters(text).latin;
}

} // namespace nttext
