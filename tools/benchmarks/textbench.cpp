// Speed of the Greek text's companion file: building it from the text, loading it, showing a card's verses
// and forms, looking up a word of the text, and finding cards by any spelling in a generated set of 100,000 cards.
#include "cardsearch.h"
#include "cardsetsource.h"
#include "generatedsets.h"
#include "lemmawords.h"
#include "spelling.h"
#include "text.h"
#include "textderive.h"
#include "textfile.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

namespace {

std::vector<karte::BuiltInLemma> builtInLemmas()
{
    std::ifstream in(KARTE_BUILTIN_SOURCE, std::ios::binary);
    std::vector<karte::BuiltInLemma> lemmas;
    for (const karte::SourceCard& card : karte::parseCardSource(in))
        lemmas.push_back({ card.language, std::stol(card.frequency), card.line });
    return lemmas;
}

// The glosses as karte-buildtext reads them: the built-in set's, then the gloss file's.
std::vector<karte::GlossFile> glossFiles()
{
    std::ifstream set(KARTE_BUILTIN_SOURCE, std::ios::binary);
    karte::GlossFile builtIn { KARTE_BUILTIN_SOURCE, {} };
    for (const karte::SourceCard& card : karte::parseCardSource(set))
        builtIn.glosses.push_back({ card.language, card.english, card.line });
    std::ifstream others(KARTE_GLOSSES_SOURCE, std::ios::binary);
    return { builtIn, karte::readGlossFile(others, KARTE_GLOSSES_SOURCE) };
}

const karte::TextSource& textSource()
{
    static const karte::TextSource source(karte::readCompressedFile(KARTE_TEXT_SOURCE), KARTE_TEXT_SOURCE, 137554);
    return source;
}

const nttext::Text& text()
{
    static const nttext::Text loaded = nttext::Text::load(KARTE_TEXT_FILE);
    return loaded;
}

std::string temporaryFile()
{
    return (std::filesystem::temp_directory_path() / ("karte-bench-text-" + std::to_string(::getpid()))).string();
}

// What karte-buildtext does, from the compressed text to the written file.
void BM_BuildTextFile(benchmark::State& state)
{
    std::vector<karte::BuiltInLemma> builtIn = builtInLemmas();
    std::string output = temporaryFile();
    for (auto _ : state) {
        karte::TextSource source(karte::readCompressedFile(KARTE_TEXT_SOURCE), KARTE_TEXT_SOURCE, 137554);
        nttext::TextData data = karte::deriveText(source, builtIn, KARTE_BUILTIN_SOURCE);
        karte::deriveLemmaWords(source, KARTE_TEXT_SOURCE, glossFiles(), data);
        nttext::writeTextFile(output, data);
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(output));
    std::filesystem::remove(output);
}
BENCHMARK(BM_BuildTextFile)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LoadTextFile(benchmark::State& state)
{
    for (auto _ : state) {
        nttext::Text loaded = nttext::Text::load(KARTE_TEXT_FILE);
        benchmark::DoNotOptimize(loaded.lemmaCount());
    }
}
BENCHMARK(BM_LoadTextFile)->Unit(benchmark::kMillisecond)->Iterations(20);

// One card's study: its lemma from its Greek side, its verses with their references and its forms described,
// over the built-in set's cards in turn.
void BM_ShowCardStudy(benchmark::State& state)
{
    const nttext::Text& loaded = text();
    std::vector<std::string> sides;
    for (const karte::BuiltInLemma& lemma : builtInLemmas())
        sides.push_back(lemma.lemma + ", -ου, ὁ");
    std::size_t next = 0;
    for (auto _ : state) {
        const std::string& side = sides[next++ % sides.size()];
        std::optional<int> lemma = loaded.lemmaOfCard(side);
        const nttext::Study* study = lemma ? loaded.study(*lemma) : nullptr;
        std::size_t shown = 0;
        for (const nttext::Example& example : study->examples)
            shown += example.reference.size() + example.text.size() + example.positions.size();
        for (const nttext::Form& form : study->forms)
            shown += nttext::describeForm(form).size();
        for (int count : loaded.bookCounts(*lemma))
            shown += static_cast<std::size_t>(count);
        benchmark::DoNotOptimize(shown);
    }
}
BENCHMARK(BM_ShowCardStudy)->Unit(benchmark::kMicrosecond);

// A word of the text as a reader meets it: the lemma's gloss and lexical form and the parsing in words, over the
// text's words in order; the lemma found by its name as the text gives it, or by the word as printed.
void BM_LookUpWord(benchmark::State& state, bool byPrintedForm)
{
    const nttext::Text& loaded = text();
    const std::vector<karte::TextToken>& tokens = textSource().tokens();
    std::size_t next = 0;
    for (auto _ : state) {
        const karte::TextToken& token = tokens[next++ % tokens.size()];
        const int lemma = byPrintedForm ? loaded.lemmasOfForm(token.word).front() : *loaded.findLemma(token.lemma);
        const nttext::Parse& parse = loaded.parse(*loaded.findParse(token.partOfSpeech, token.parse));
        benchmark::DoNotOptimize(loaded.gloss(lemma).size() + loaded.lexicalForm(lemma).size() + parse.words.size());
    }
}
BENCHMARK_CAPTURE(BM_LookUpWord, byLemma, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_LookUpWord, byPrintedForm, true)->Unit(benchmark::kMicrosecond);

std::vector<nttext::SearchCard> generatedCards(int count)
{
    std::vector<nttext::SearchCard> cards;
    for (const benchsets::CardTexts& card : benchsets::generateCards(count))
        cards.push_back({ card[0], card[1] });
    return cards;
}

void BM_BuildCardSearch(benchmark::State& state)
{
    std::vector<nttext::SearchCard> cards = generatedCards(static_cast<int>(state.range(0)));
    const nttext::Text& loaded = text();
    for (auto _ : state) {
        nttext::CardSearch search(cards, &loaded);
        benchmark::DoNotOptimize(search.size());
    }
}
BENCHMARK(BM_BuildCardSearch)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Queries of every kind in turn: a card's Greek lemma, the same in Latin letters, without accents, the text's
// forms in Greek and Latin, and short prefixes that match thousands of cards.
void BM_SearchCards(benchmark::State& state)
{
    std::vector<nttext::SearchCard> cards = generatedCards(static_cast<int>(state.range(0)));
    nttext::CardSearch search(cards, &text());
    std::vector<std::string> queries = { "λόγον", "logon", "Iesoun", "ἐστίν", "a", "ka", "pro", "th" };
    for (std::size_t i = 0; i < cards.size(); i += cards.size() / 16) {
        std::string lemma = nttext::lemmaKey(cards[i].greek);
        queries.push_back(lemma);
        queries.push_back(nttext::searchSpelling(lemma));
        queries.push_back(nttext::withoutAccents(lemma));
    }
    std::size_t next = 0;
    std::size_t hits = 0;
    for (auto _ : state)
        hits += search.find(queries[next++ % queries.size()]).size();
    state.counters["hits/query"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SearchCards)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The slowest kind of query: one or two letters, the prefix of thousands of cards that must be ranked.
void BM_SearchShortPrefixes(benchmark::State& state)
{
    std::vector<nttext::SearchCard> cards = generatedCards(static_cast<int>(state.range(0)));
    nttext::CardSearch search(cards, &text());
    const std::vector<std::string> queries = { "a", "e", "o", "k", "p", "s", "ka", "pr" };
    std::size_t next = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(search.find(queries[next++ % queries.size()]).size());
}
BENCHMARK(BM_SearchShortPrefixes)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
