#include "textderive.h"

#include "formcount.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace karte {

namespace {

constexpr std::size_t kExamples = 2;
constexpr int kShortestExample = 5; // words; shorter verses say too little to learn a word from
constexpr std::size_t kForms = 3;

struct Verse
{
    std::size_t start = 0; // first token
    int length = 0;
};

} // namespace

std::vector<nttext::LemmaRecord> countLemmas(const std::vector<TextToken>& tokens, std::vector<int>& lemmaIds)
{
    std::unordered_map<std::string_view, int> firstIds;
    std::vector<nttext::LemmaRecord> lemmas;
    lemmaIds.resize(tokens.size());
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        auto [found, added] = firstIds.emplace(tokens[i].lemma, static_cast<int>(lemmas.size()));
        if (added)
            lemmas.push_back({ std::string(tokens[i].lemma), 0, {} });
        nttext::LemmaRecord& lemma = lemmas[static_cast<std::size_t>(found->second)];
        ++lemma.count;
        ++lemma.books[static_cast<std::size_t>(tokens[i].book)];
        lemmaIds[i] = found->second;
    }
    std::vector<int> order(lemmas.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const nttext::LemmaRecord& x = lemmas[static_cast<std::size_t>(a)];
        const nttext::LemmaRecord& y = lemmas[static_cast<std::size_t>(b)];
        return x.count != y.count ? x.count > y.count : x.lemma < y.lemma;
    });
    std::vector<int> rank(lemmas.size());
    std::vector<nttext::LemmaRecord> sorted;
    sorted.reserve(lemmas.size());
    for (int id : order) {
        rank[static_cast<std::size_t>(id)] = static_cast<int>(sorted.size());
        sorted.push_back(std::move(lemmas[static_cast<std::size_t>(id)]));
    }
    for (int& id : lemmaIds)
        id = rank[static_cast<std::size_t>(id)];
    return sorted;
}

std::vector<nttext::ParseCode> parseTable(const std::vector<TextToken>& tokens, std::vector<int>& parseIds)
{
    std::map<std::pair<std::string_view, std::string_view>, int> ids;
    for (const TextToken& token : tokens)
        ids.emplace(std::make_pair(token.partOfSpeech, token.parse), 0);
    std::vector<nttext::ParseCode> parses;
    for (auto& [parse, id] : ids) {
        id = static_cast<int>(parses.size());
        parses.push_back({ std::string(parse.first), std::string(parse.second) });
    }
    parseIds.reserve(tokens.size());
    for (const TextToken& token : tokens)
        parseIds.push_back(ids.at({ token.partOfSpeech, token.parse }));
    return parses;
}

namespace {

std::vector<Verse> splitVerses(const std::vector<TextToken>& tokens, std::vector<int>& verseOf)
{
    std::vector<Verse> verses;
    verseOf.resize(tokens.size());
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const TextToken& token = tokens[i];
        if (i == 0 || token.book != tokens[i - 1].book || token.chapter != tokens[i - 1].chapter
            || token.verse != tokens[i - 1].verse)
            verses.push_back({ i, 0 });
        ++verses.back().length;
        verseOf[i] = static_cast<int>(verses.size() - 1);
    }
    return verses;
}

// The lemma's shortest verses of at least kShortestExample words, the earlier first among equals; verse ids.
std::vector<int> exampleVerses(
    const std::vector<std::size_t>& lemmaTokens, const std::vector<int>& verseOf, const std::vector<Verse>& verses)
{
    std::vector<int> candidates;
    for (std::size_t token : lemmaTokens) {
        int verse = verseOf[token];
        if (verses[static_cast<std::size_t>(verse)].length >= kShortestExample
            && (candidates.empty() || candidates.back() != verse))
            candidates.push_back(verse);
    }
    std::size_t chosen = std::min(kExamples, candidates.size());
    std::partial_sort(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(chosen), candidates.end(),
        [&](int a, int b) {
            int x = verses[static_cast<std::size_t>(a)].length;
            int y = verses[static_cast<std::size_t>(b)].length;
            return x != y ? x < y : a < b;
        });
    candidates.resize(chosen);
    return candidates;
}

} // namespace

void appendReadingText(std::string_view printed, std::string& out)
{
    for (std::size_t i = 0; i < printed.size(); ++i) {
        bool apparatusSign = i + 2 < printed.size() && printed[i] == '\xE2' && printed[i + 1] == '\xB8'
            && static_cast<unsigned char>(printed[i + 2]) <= 0x85;
        if (!apparatusSign) {
            out += printed[i];
            continue;
        }
        i += 2;
        while (i + 1 < printed.size() && printed[i + 1] >= '0' && printed[i + 1] <= '9')
            ++i;
    }
}

namespace {

nttext::VerseRecord verseRecord(const std::vector<TextToken>& tokens, const Verse& verse)
{
    const TextToken& first = tokens[verse.start];
    nttext::VerseRecord record { first.book, first.chapter, first.verse, {} };
    for (int i = 0; i < verse.length; ++i) {
        if (i)
            record.text += ' ';
        appendReadingText(tokens[verse.start + static_cast<std::size_t>(i)].text, record.text);
    }
    return record;
}

} // namespace

nttext::TextData deriveText(
    const TextSource& source, const std::vector<BuiltInLemma>& builtIn, const std::string& setFileName)
{
    const std::vector<TextToken>& tokens = source.tokens();
    nttext::TextData data;
    for (const nttext::BookName& book : nttext::bookNames())
        data.books.push_back({ std::string(book.code), std::string(book.name), 0 });
    for (const TextToken& token : tokens)
        ++data.books[static_cast<std::size_t>(token.book)].words;

    std::vector<int> lemmaIds;
    data.lemmas = countLemmas(tokens, lemmaIds);
    std::unordered_map<std::string_view, int> idOf;
    for (std::size_t id = 0; id < data.lemmas.size(); ++id)
        idOf.emplace(data.lemmas[id].lemma, static_cast<int>(id));
    std::vector<std::vector<std::size_t>> tokensOf(data.lemmas.size());
    for (std::size_t i = 0; i < tokens.size(); ++i)
        tokensOf[static_cast<std::size_t>(lemmaIds[i])].push_back(i);

    std::vector<int> verseOf;
    std::vector<Verse> verses = splitVerses(tokens, verseOf);
    std::vector<int> quoted(verses.size(), -1); // verse id → place in data.verses once quoted
    FormSpellings spellings;
    for (const BuiltInLemma& card : builtIn) {
        auto found = idOf.find(card.lemma);
        if (found == idOf.end())
            throw TextSourceError(setFileName, card.line, "the lemma " + card.lemma + " does not occur in the text");
        const nttext::LemmaRecord& lemma = data.lemmas[static_cast<std::size_t>(found->second)];
        if (lemma.count != card.frequency)
            throw TextSourceError(setFileName, card.line,
                "the lemma " + card.lemma + " has the count " + std::to_string(card.frequency) + " but occurs "
                    + std::to_string(lemma.count) + " times in the text");

        const std::vector<std::size_t>& lemmaTokens = tokensOf[static_cast<std::size_t>(found->second)];
        nttext::StudyRecord study;
        study.lemma = found->second;
        for (int verse : exampleVerses(lemmaTokens, verseOf, verses)) {
            nttext::ExampleRecord example { verse, {} };
            for (std::size_t token : lemmaTokens)
                if (verseOf[token] == verse)
                    example.positions.push_back(
                        static_cast<int>(token - verses[static_cast<std::size_t>(verse)].start));
            study.examples.push_back(std::move(example));
            quoted[static_cast<std::size_t>(verse)] = 0;
        }
        std::vector<const TextToken*> lemmaWords;
        for (std::size_t token : lemmaTokens)
            lemmaWords.push_back(&tokens[token]);
        study.forms = commonestForms(card.lemma, lemmaWords, spellings, kForms);
        data.studies.push_back(std::move(study));
    }

    // Quoted verses are kept in canonical order and the examples renumbered to them.
    for (std::size_t verse = 0; verse < verses.size(); ++verse) {
        if (quoted[verse] < 0)
            continue;
        quoted[verse] = static_cast<int>(data.verses.size());
        data.verses.push_back(verseRecord(tokens, verses[verse]));
    }
    for (nttext::StudyRecord& study : data.studies)
        for (nttext::ExampleRecord& example : study.examples)
            example.verse = quoted[static_cast<std::size_t>(example.verse)];

    data.forms = formMap(tokens, lemmaIds, spellings);
    return data;
}

} // namespace karte
