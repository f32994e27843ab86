#include "lexicalform.h"

#include "spelling.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <tuple>

namespace karte {

namespace {

constexpr char kCase = 4, kNumber = 5, kGender = 6, kDegree = 7; // places in the parsing code

// A letter of a word: its code point, and its base letter in lower case without accents or breathings.
struct Letter
{
    UChar32 codePoint = 0;
    UChar32 base = 0;
    bool diaeresis = false;
    bool accent = false; // acute, grave or circumflex
};

std::vector<Letter> lettersOf(std::string_view word)
{
    UErrorCode error = U_ZERO_ERROR;
    const icu::Normalizer2* decomposition = icu::Normalizer2::getNFDInstance(error);
    if (U_FAILURE(error))
        throw std::runtime_error("Unicode normalisation is not available");
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(icu::StringPiece(word.data(), int32_t(word.size())));
    std::vector<Letter> letters;
    for (int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1)) {
        Letter letter { text.char32At(i), text.char32At(i), false, false };
        icu::UnicodeString parts;
        if (decomposition->getDecomposition(letter.codePoint, parts)) {
            letter.base = parts.char32At(0);
            letter.diaeresis = parts.indexOf(UChar(0x0308)) >= 0;
            letter.accent = parts.indexOf(UChar(0x0301)) >= 0 || parts.indexOf(UChar(0x0300)) >= 0
                || parts.indexOf(UChar(0x0342)) >= 0;
        }
        letter.base = u_tolower(letter.base);
        letters.push_back(letter);
    }
    return letters;
}

bool isVowel(UChar32 base)
{
    return base == U'α' || base == U'ε' || base == U'η' || base == U'ι' || base == U'ο' || base == U'υ' || base == U'ω';
}

// Whether the letters at at and at + 1 are one of the diphthongs αι ει οι υι αυ ευ ηυ ου.
bool diphthongAt(const std::vector<Letter>& word, std::size_t at)
{
    if (at + 1 >= word.size() || word[at + 1].diaeresis)
        return false;
    UChar32 first = word[at].base, second = word[at + 1].base;
    if (first == U'υ')
        return second == U'ι';
    return (first == U'α' || first == U'ε' || first == U'η' || first == U'ο') && (second == U'ι' || second == U'υ');
}

// What follows the stem a form shares with its lemma, begun at the vowel its ending starts with: λόγου → ου,
// χάριτος → ιτος, βασιλέως → έως, θεοῦ → οῦ.
struct Ending
{
    std::string text; // empty when the form is the lemma
    std::string form; // the whole form
    std::size_t stem = 0; // letters the form keeps of the lemma
    std::size_t letters = 0; // letters of the ending
    bool vowelFirst = false;

    // An ending is written "-ου" after a stem of two letters or more that it begins with its vowel.
    bool dashed(std::size_t longest) const { return vowelFirst && stem >= 2 && letters <= longest; }
    std::string shown(bool dash) const { return dash ? "-" + text : form; }
};

Ending endingOf(std::string_view lemma, const std::string& form)
{
    const std::vector<Letter> stem = lettersOf(lemma);
    const std::vector<Letter> word = lettersOf(form);
    std::size_t at = 0;
    while (at < stem.size() && at < word.size() && stem[at].base == word[at].base)
        ++at;
    // Not inside a diphthong of either word: βασιλεύς, βασιλέως → έως.
    while (at > 0 && (diphthongAt(word, at - 1) || diphthongAt(stem, at - 1)))
        --at;
    // An ending starts with its vowel: χάριτος → ιτος, Ἰησοῦ → οῦ.
    if ((at == word.size() || !isVowel(word[at].base)) && at > 0 && isVowel(word[at - 1].base)) {
        --at;
        while (at > 0 && diphthongAt(word, at - 1))
            --at;
    }
    // A form that only adds to the whole lemma shows the lemma's last vowel too: Σολομῶν, Σολομῶντος → ῶντος.
    if (at == stem.size() && at < word.size() && !isVowel(word[at].base)) {
        while (at > 0 && !isVowel(word[at - 1].base))
            --at;
        if (at > 0)
            --at;
        while (at > 0 && diphthongAt(word, at - 1))
            --at;
    }
    // An accent that changes on the lemma's last vowel is shown with it: αἰών, αἰῶνος → ῶνος.
    std::size_t lastVowel = stem.size();
    while (lastVowel > 0 && !isVowel(stem[lastVowel - 1].base))
        --lastVowel;
    if (lastVowel > 0 && --lastVowel < at && word[lastVowel].codePoint != stem[lastVowel].codePoint
        && word[lastVowel].accent) {
        at = lastVowel;
        while (at > 0 && diphthongAt(word, at - 1))
            --at;
    }
    Ending ending;
    ending.form = form;
    ending.stem = at;
    ending.letters = word.size() - at;
    ending.vowelFirst = at < word.size() && isVowel(word[at].base);
    icu::UnicodeString text;
    for (std::size_t i = at; i < word.size(); ++i)
        text.append(word[i].codePoint);
    text.toUTF8String(ending.text);
    return ending;
}

// The spelling the text most often gives, in lower case when the lemma is.
class Spellings
{
public:
    explicit Spellings(std::string_view lemma)
        : lowerCase_(nttext::lowerFirst(lemma) == lemma)
    {
    }
    void add(const TextToken& token)
    {
        std::string spelling = nttext::normalisedForm(token.word);
        ++counts_[lowerCase_ ? nttext::lowerFirst(spelling) : spelling];
    }
    bool empty() const { return counts_.empty(); }
    std::string commonest() const
    {
        return std::max_element(counts_.begin(), counts_.end(), [](const auto& a, const auto& b) {
            return a.second < b.second;
        })->first;
    }

private:
    bool lowerCase_;
    std::map<std::string, int> counts_;
};

// The article of each gender the noun has, masculine first; plural for a gender the text has only in the plural
// when the lemma itself is plural (Ἱεροσόλυμα, ἡ, τά).
std::string articles(const std::map<char, bool>& singularOfGender, bool pluralLemma)
{
    std::string out;
    for (auto [gender, singular, plural] : { std::tuple { 'M', "ὁ", "οἱ" }, { 'F', "ἡ", "αἱ" }, { 'N', "τό", "τά" } }) {
        auto found = singularOfGender.find(gender);
        if (found == singularOfGender.end())
            continue;
        out += out.empty() ? "" : ", ";
        out += pluralLemma && !found->second ? plural : singular;
    }
    return out;
}

// Whether the lemma names a plural (Φίλιπποι, Ἀθῆναι, Σόδομα): it ends as a masculine or feminine nominative plural
// does, or the text spells a plural of it as the lemma.
bool pluralLemma(std::string_view lemma, const std::vector<const TextToken*>& tokens)
{
    if (lemma.ends_with("οι") || lemma.ends_with("αι") || lemma.ends_with("οί") || lemma.ends_with("αί"))
        return true;
    const std::string lemmaKey = nttext::formKey(lemma);
    return std::any_of(tokens.begin(), tokens.end(), [&](const TextToken* token) {
        return token->parse[kNumber] == 'P' && nttext::formKey(token->word) == lemmaKey;
    });
}

// A word the text spells as its lemma in the genitive or dative as well as in every other case it has.
bool indeclinable(std::string_view lemma, const std::vector<const TextToken*>& tokens)
{
    const std::string lemmaKey = nttext::formKey(lemma);
    bool oblique = false;
    for (const TextToken* token : tokens) {
        if (nttext::formKey(token->word) != lemmaKey)
            return false;
        oblique = oblique || token->parse[kCase] == 'G' || token->parse[kCase] == 'D';
    }
    return oblique;
}

std::string nounForm(std::string_view lemma, const std::vector<const TextToken*>& tokens)
{
    const std::string lemmaKey = nttext::formKey(lemma);
    bool singular = false;
    std::map<char, bool> singularOfGender; // gender → whether the text has it in the singular
    for (const TextToken* token : tokens) {
        singular = singular || token->parse[kNumber] == 'S';
        singularOfGender[token->parse[kGender]] |= token->parse[kNumber] == 'S';
    }
    const bool pluralName = pluralLemma(lemma, tokens);
    const bool plural = !singular && pluralName;
    const std::string article = articles(singularOfGender, pluralName);
    const std::string head = std::string(lemma) + ", ";
    if (indeclinable(lemma, tokens))
        return head + article + " (indeclinable)";
    Spellings genitives(lemma);
    for (const TextToken* token : tokens)
        if (token->parse[kCase] == 'G' && token->parse[kNumber] == (plural ? 'P' : 'S'))
            genitives.add(*token);
    if (genitives.empty() || nttext::formKey(genitives.commonest()) == lemmaKey)
        return head + article;
    const Ending genitive = endingOf(lemma, genitives.commonest());
    return head + genitive.shown(genitive.dashed(SIZE_MAX)) + ", " + article;
}

// The feminine nominative singular of an adjective of three endings: as the text has it, else from its accusative,
// which in the singular of the first declension is the nominative with ν added (καλήν → καλή).
std::optional<std::string> feminineNominative(const Spellings& nominatives, const Spellings& accusatives)
{
    if (!nominatives.empty())
        return nominatives.commonest();
    if (accusatives.empty())
        return std::nullopt;
    std::string accusative = accusatives.commonest();
    const std::vector<Letter> letters = lettersOf(accusative);
    if (letters.size() < 2 || letters.back().base != U'ν'
        || (letters[letters.size() - 2].base != U'α' && letters[letters.size() - 2].base != U'η'))
        return std::nullopt;
    return accusative.substr(0, accusative.size() - std::string_view("ν").size());
}

std::string adjectiveForm(std::string_view lemma, const std::vector<const TextToken*>& tokens)
{
    // Comparatives are forms of their positive (μείζων of μέγας) unless the lemma is one itself.
    std::map<char, int> degrees;
    for (const TextToken* token : tokens)
        ++degrees[token->parse[kDegree]];
    const char degree = std::max_element(degrees.begin(), degrees.end(), [](const auto& a, const auto& b) {
        return a.second < b.second;
    })->first;

    Spellings feminine(lemma), feminineAccusative(lemma), neuter(lemma);
    std::map<std::pair<char, char>, std::set<std::string>> masculineKeys; // by case and number
    masculineKeys[{ 'N', 'S' }].insert(nttext::formKey(lemma));
    for (const TextToken* token : tokens) {
        if (token->parse[kDegree] != degree)
            continue;
        const char grammaticalCase = token->parse[kCase], number = token->parse[kNumber],
                   gender = token->parse[kGender];
        if (gender == 'M')
            masculineKeys[{ grammaticalCase, number }].insert(nttext::formKey(token->word));
        if (number == 'S' && gender == 'F' && grammaticalCase == 'N')
            feminine.add(*token);
        if (number == 'S' && gender == 'F' && grammaticalCase == 'A')
            feminineAccusative.add(*token);
        if (number == 'S' && gender == 'N' && (grammaticalCase == 'N' || grammaticalCase == 'A'))
            neuter.add(*token);
    }
    if (neuter.empty())
        return std::string(lemma);
    // Two endings when the feminine is spelled as the masculine: in the nominative singular where the text has it,
    // else in any case but the genitive plural, which every adjective spells alike.
    bool twoEndings = false;
    if (!feminine.empty()) {
        twoEndings = nttext::formKey(feminine.commonest()) == nttext::formKey(lemma);
    } else {
        for (const TextToken* token : tokens) {
            const char grammaticalCase = token->parse[kCase], number = token->parse[kNumber];
            if (token->parse[kDegree] == degree && token->parse[kGender] == 'F'
                && !(grammaticalCase == 'G' && number == 'P')
                && masculineKeys[{ grammaticalCase, number }].count(nttext::formKey(token->word)))
                twoEndings = true;
        }
    }
    constexpr std::size_t kShortEnding = 2;
    const Ending neuterEnding = endingOf(lemma, neuter.commonest());
    if (neuterEnding.text.empty())
        return std::string(lemma);
    if (twoEndings)
        return std::string(lemma) + ", " + neuterEnding.shown(neuterEnding.dashed(kShortEnding));
    const std::optional<std::string> feminineForm = feminineNominative(feminine, feminineAccusative);
    if (!feminineForm)
        return std::string(lemma);
    const Ending feminineEnding = endingOf(lemma, *feminineForm);
    const bool dashed = feminineEnding.dashed(kShortEnding) && neuterEnding.dashed(kShortEnding);
    return std::string(lemma) + ", " + feminineEnding.shown(dashed) + ", " + neuterEnding.shown(dashed);
}

} // namespace

std::string lexicalForm(std::string_view lemma, const std::vector<const TextToken*>& tokens)
{
    std::map<std::string_view, int> partsOfSpeech;
    for (const TextToken* token : tokens)
        ++partsOfSpeech[token->partOfSpeech];
    if (partsOfSpeech.empty())
        return std::string(lemma);
    const std::string_view partOfSpeech
        = std::max_element(partsOfSpeech.begin(), partsOfSpeech.end(), [](const auto& a, const auto& b) {
              return a.second < b.second;
          })->first;
    std::vector<const TextToken*> declined;
    for (const TextToken* token : tokens)
        if (token->partOfSpeech == partOfSpeech)
            declined.push_back(token);
    if (partOfSpeech == "N-")
        return nounForm(lemma, declined);
    if (partOfSpeech == "A-")
        return indeclinable(lemma, declined) ? std::string(lemma) + " (indeclinable)" : adjectiveForm(lemma, declined);
    return std::string(lemma);
}

} // namespace karte
