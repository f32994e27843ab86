#include "parse.h"

#include <array>
#include <optional>
#include <utility>

namespace nttext {

namespace {

using Names = std::initializer_list<std::pair<char, std::string_view>>;

std::string_view lookup(char letter, Names names)
{
    for (const auto& [code, name] : names)
        if (code == letter)
            return name;
    return {};
}

// The places of the parsing code.
enum Place { kPerson, kTense, kVoice, kMood, kCase, kNumber, kGender, kDegree, kPlaces };

std::string_view nameAt(Place place, char c)
{
    switch (place) {
    case kPerson:
        return lookup(c, { { '1', "first person" }, { '2', "second person" }, { '3', "third person" } });
    case kTense:
        return lookup(c,
            { { 'P', "present" }, { 'I', "imperfect" }, { 'F', "future" }, { 'A', "aorist" }, { 'X', "perfect" },
                { 'Y', "pluperfect" } });
    case kVoice:
        return lookup(c, { { 'A', "active" }, { 'M', "middle" }, { 'P', "passive" } });
    case kMood:
        return lookup(c,
            { { 'I', "indicative" }, { 'D', "imperative" }, { 'S', "subjunctive" }, { 'O', "optative" },
                { 'N', "infinitive" }, { 'P', "participle" } });
    case kCase:
        return lookup(c,
            { { 'N', "nominative" }, { 'G', "genitive" }, { 'D', "dative" }, { 'A', "accusative" },
                { 'V', "vocative" } });
    case kNumber:
        return lookup(c, { { 'S', "singular" }, { 'P', "plural" } });
    case kGender:
        return lookup(c, { { 'M', "masculine" }, { 'F', "feminine" }, { 'N', "neuter" } });
    case kDegree:
        return lookup(c, { { 'C', "comparative" }, { 'S', "superlative" } });
    case kPlaces:
        break;
    }
    return {};
}

std::string_view nameAt(std::string_view code, Place place)
{
    return nameAt(place, code[static_cast<std::size_t>(place)]);
}

// What each place of the code holds for a part of speech.
enum class Use { None, Optional, Required };
using Layout = std::array<Use, kPlaces>;

std::optional<Layout> layoutOf(std::string_view partOfSpeech, char mood)
{
    constexpr Use N = Use::None, O = Use::Optional, R = Use::Required;
    if (partOfSpeech == "V-") {
        switch (mood) {
        case 'I':
        case 'D':
        case 'S':
        case 'O':
            return Layout { R, R, R, R, N, R, N, N };
        case 'N':
            return Layout { N, R, R, R, N, N, N, N };
        case 'P':
            return Layout { N, R, R, R, R, R, R, N };
        default:
            return std::nullopt;
        }
    }
    if (partOfSpeech == "N-" || partOfSpeech == "RA" || partOfSpeech == "RD" || partOfSpeech == "RI"
        || partOfSpeech == "RR")
        return Layout { N, N, N, N, R, R, R, N };
    if (partOfSpeech == "RP") // ἐγώ and σύ have no gender
        return Layout { N, N, N, N, R, R, O, N };
    if (partOfSpeech == "A-")
        return Layout { N, N, N, N, R, R, R, O };
    if (partOfSpeech == "D-")
        return Layout { N, N, N, N, N, N, N, O };
    if (!partOfSpeechName(partOfSpeech).empty())
        return Layout { N, N, N, N, N, N, N, N };
    return std::nullopt;
}

// Joins the non-empty words with single spaces.
std::string words(std::initializer_list<std::string_view> parts)
{
    std::string out;
    for (std::string_view part : parts) {
        if (part.empty())
            continue;
        if (!out.empty())
            out += ' ';
        out += part;
    }
    return out;
}

std::string joinClauses(const std::string& first, const std::string& second)
{
    if (first.empty() || second.empty())
        return first.empty() ? second : first;
    return first + ", " + second;
}

std::string_view voiceName(std::string_view code)
{
    const bool sharedForms = code[kTense] == 'P' || code[kTense] == 'I' || code[kTense] == 'X' || code[kTense] == 'Y';
    if (sharedForms && (code[kVoice] == 'M' || code[kVoice] == 'P'))
        return "middle or passive";
    return nameAt(code, kVoice);
}

std::string describe(std::string_view partOfSpeech, std::string_view code, bool nounGender)
{
    if (code.size() != kPlaces)
        return std::string(partOfSpeechName(partOfSpeech));
    std::string verbal = words({ nameAt(code, kTense), voiceName(code), nameAt(code, kMood) });
    std::string_view caseName = nameAt(code, kCase);
    std::string_view genderName = partOfSpeech == "N-" && !nounGender ? std::string_view() : nameAt(code, kGender);
    std::string_view degreeName = nameAt(code, kDegree);
    if (!verbal.empty()) {
        // A finite verb agrees with its subject in person and number; a participle declines like an adjective.
        std::string agreement = caseName.empty() ? words({ nameAt(code, kPerson), nameAt(code, kNumber) })
                                                 : words({ caseName, nameAt(code, kNumber), genderName });
        return joinClauses(verbal, agreement);
    }
    if (!caseName.empty())
        return words({ caseName, nameAt(code, kNumber), genderName, degreeName });
    return words({ degreeName, partOfSpeechName(partOfSpeech) });
}

} // namespace

std::string_view partOfSpeechName(std::string_view partOfSpeech)
{
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 13> kNames = { {
        { "A-", "adjective" },
        { "C-", "conjunction" },
        { "D-", "adverb" },
        { "I-", "interjection" },
        { "N-", "noun" },
        { "P-", "preposition" },
        { "RA", "definite article" },
        { "RD", "demonstrative pronoun" },
        { "RI", "interrogative or indefinite pronoun" },
        { "RP", "personal pronoun" },
        { "RR", "relative pronoun" },
        { "V-", "verb" },
        { "X-", "particle" },
    } };
    for (const auto& [code, name] : kNames)
        if (code == partOfSpeech)
            return name;
    return {};
}

std::string parseInWords(std::string_view partOfSpeech, std::string_view code)
{
    return describe(partOfSpeech, code, true);
}

std::string readableParse(std::string_view partOfSpeech, std::string_view code)
{
    return describe(partOfSpeech, code, false);
}

bool parseUnderstood(std::string_view partOfSpeech, std::string_view code)
{
    if (code.size() != kPlaces)
        return false;
    std::optional<Layout> layout = layoutOf(partOfSpeech, code[kMood]);
    if (!layout)
        return false;
    for (int place = 0; place < kPlaces; ++place) {
        const bool named = !nameAt(static_cast<Place>(place), code[static_cast<std::size_t>(place)]).empty();
        switch ((*layout)[static_cast<std::size_t>(place)]) {
        case Use::None:
            if (code[static_cast<std::size_t>(place)] != '-')
                return false;
            break;
        case Use::Optional:
            if (!named && code[static_cast<std::size_t>(place)] != '-')
                return false;
            break;
        case Use::Required:
            if (!named)
                return false;
            break;
        }
    }
    return true;
}

} // namespace nttext
