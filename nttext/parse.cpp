#include "parse.h"

#include <array>
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

std::string_view person(char c)
{
    return lookup(c, { { '1', "1st" }, { '2', "2nd" }, { '3', "3rd" } });
}

std::string_view tense(char c)
{
    return lookup(c,
        { { 'P', "present" }, { 'I', "imperfect" }, { 'F', "future" }, { 'A', "aorist" }, { 'X', "perfect" },
            { 'Y', "pluperfect" } });
}

std::string_view voice(char c)
{
    return lookup(c, { { 'A', "active" }, { 'M', "middle" }, { 'P', "passive" } });
}

std::string_view mood(char c)
{
    return lookup(c,
        { { 'I', "indicative" }, { 'D', "imperative" }, { 'S', "subjunctive" }, { 'O', "optative" },
            { 'N', "infinitive" }, { 'P', "participle" } });
}

std::string_view grammaticalCase(char c)
{
    return lookup(c,
        { { 'N', "nominative" }, { 'G', "genitive" }, { 'D', "dative" }, { 'A', "accusative" }, { 'V', "vocative" } });
}

std::string_view number(char c)
{
    return lookup(c, { { 'S', "singular" }, { 'P', "plural" } });
}

std::string_view gender(char c)
{
    return lookup(c, { { 'M', "masculine" }, { 'F', "feminine" }, { 'N', "neuter" } });
}

std::string_view degree(char c)
{
    return lookup(c, { { 'C', "comparative" }, { 'S', "superlative" } });
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

std::string readableParse(std::string_view partOfSpeech, std::string_view code)
{
    if (code.size() != 8)
        return std::string(partOfSpeechName(partOfSpeech));
    std::string verbal = words({ tense(code[1]), voice(code[2]), mood(code[3]) });
    std::string_view caseName = grammaticalCase(code[4]);
    std::string_view genderName = partOfSpeech == "N-" ? std::string_view() : gender(code[6]);
    std::string nominal = words({ caseName, number(code[5]), genderName, degree(code[7]) });
    if (!verbal.empty()) {
        // A finite verb agrees with its subject in person and number; a participle declines like an adjective.
        std::string agreement = caseName.empty() ? words({ person(code[0]), number(code[5]) }) : nominal;
        return joinClauses(verbal, agreement);
    }
    if (!nominal.empty())
        return nominal;
    return std::string(partOfSpeechName(partOfSpeech));
}

} // namespace nttext
