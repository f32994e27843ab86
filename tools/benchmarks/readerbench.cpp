// karte-bench-reader: the Reader's work on a generated set of 100,000 cards whose every card has been answered twice
// and whose first 5,461 cards name every lemma of the text, most frequent first. Here without its window: the text
// for reading loaded when the Reader first opens, the set's progress read by lemma, a chapter opened with its glosses
// and coverage, a move to the next word with what its panel shows, "What to read next" over the 260 chapters, and the
// memory the Reader holds; readerwindowbench.cpp times the same through the window.

#include "readerset.h"

#include "location.h"
#include "reading.h"
#include "readingcards.h"
#include "readingchapter.h"
#include "table.h"
#include "text.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

using benchsets::kReadingTime;
using benchsets::readerSet;

const nttext::Text& text()
{
    static const nttext::Text loaded = nttext::Text::load(nttext::findTextFile());
    return loaded;
}

const nttext::ReadingText& reading()
{
    static const nttext::ReadingText loaded = nttext::ReadingText::load(nttext::findReadingFile(), text());
    return loaded;
}

double heapMegabytes()
{
    return static_cast<double>(mallinfo2().uordblks) / (1 << 20);
}

struct OpenSet
{
    OpenSet()
    {
        table.setTableName(readerSet(text()));
        table.open();
    }
    cardstore::Table table;
};

learning::LemmaKnowledge knowledgeOf(cardstore::Table& table)
{
    return learning::LemmaKnowledge(learning::lemmaCards(table, text()), text().lemmaCount(), kReadingTime);
}

// The text for reading read from its file and checked against the companion file, as the Reader's first opening
// does; reports the heap it holds.
void BM_ReaderLoadText(benchmark::State& state)
{
    text();
    const std::string path = nttext::findReadingFile();
    for (auto _ : state) {
        const double before = heapMegabytes();
        nttext::ReadingText loaded = nttext::ReadingText::load(path, text());
        state.counters["held_MB"] = heapMegabytes() - before;
        benchmark::DoNotOptimize(loaded.wordCount());
    }
}

// The open set's cards read, the lemmas their Greek sides name looked up and their memories read, and each
// lemma's progress worked out: the Reader's opening. Reports the heap the cards and the progress by lemma hold.
void BM_ReaderReadProgress(benchmark::State& state)
{
    OpenSet set;
    set.table.study(); // the main window's study store is open already
    for (auto _ : state) {
        const double before = heapMegabytes();
        std::vector<learning::LemmaCard> cards = learning::lemmaCards(set.table, text());
        learning::LemmaKnowledge knowledge(cards, text().lemmaCount(), kReadingTime);
        state.PauseTiming();
        state.counters["held_MB"] = heapMegabytes() - before;
        state.counters["known"] = knowledge.knownLemmas();
        state.ResumeTiming();
    }
}

// The same after the learner has studied: the memories read again and the progress by lemma worked out anew.
void BM_ReaderRefreshProgress(benchmark::State& state)
{
    OpenSet set;
    std::vector<learning::LemmaCard> cards = learning::lemmaCards(set.table, text());
    for (auto _ : state) {
        learning::refreshMemories(cards, set.table);
        learning::LemmaKnowledge knowledge(cards, text().lemmaCount(), kReadingTime);
        benchmark::DoNotOptimize(knowledge.knownLemmas());
    }
}

// A chapter opened: its words, the glosses of the words not known yet with their footnotes, and the coverage
// sentence. Arg 0 goes through every chapter in turn, so the time is the mean over all 260; arg 1 opens the
// longest chapter each time.
void BM_ReaderOpenChapter(benchmark::State& state)
{
    OpenSet set;
    const learning::LemmaKnowledge knowledge = knowledgeOf(set.table);
    int longest = 0;
    for (int chapter = 1; chapter < reading().chapterCount(); ++chapter)
        if (reading().chapter(chapter).words > reading().chapter(longest).words)
            longest = chapter;
    int next = 0;
    std::size_t footnotes = 0;
    for (auto _ : state) {
        const int chapter = state.range(0) == 0 ? next++ % reading().chapterCount() : longest;
        const learning::ChapterGlosses glosses
            = learning::chapterGlosses(reading(), text(), chapter, knowledge, learning::GlossRule {});
        const std::string sentence = learning::chapterCoverageSentence(
            learning::chapterCoverage(reading(), chapter, knowledge), reading().chapterName(chapter));
        footnotes += glosses.footnotes.size();
        benchmark::DoNotOptimize(sentence.data());
    }
    state.counters["footnotes"]
        = benchmark::Counter(static_cast<double>(footnotes), benchmark::Counter::kAvgIterations);
    if (state.range(0) == 1)
        state.SetLabel(
            reading().chapterName(longest) + ", " + std::to_string(reading().chapter(longest).words) + " words");
}

// A move to the next word, and what the panel shows of it: its form and printed text, its parsing, its lemma's
// counts in the text and the book, the learner's progress on it, its footnote and its verse.
void BM_ReaderNextWord(benchmark::State& state)
{
    OpenSet set;
    const learning::LemmaKnowledge knowledge = knowledgeOf(set.table);
    const int chapter = *reading().findChapter(3, 1);
    const learning::ChapterGlosses glosses
        = learning::chapterGlosses(reading(), text(), chapter, knowledge, learning::GlossRule {});
    const nttext::Chapter& john1 = reading().chapter(chapter);
    int place = 0;
    std::size_t sum = 0;
    for (auto _ : state) {
        place = (place + 1) % john1.words;
        const nttext::TextWord& word = reading().word(john1.firstWord + place);
        sum += reading().form(word).size() + reading().printed(word).size();
        sum += reading().parse(word.parse).code.size();
        sum += static_cast<std::size_t>(text().count(word.lemma) + text().bookCounts(word.lemma)[3]);
        sum += static_cast<std::size_t>(knowledge.progress(word.lemma).progress);
        sum += static_cast<std::size_t>(glosses.footnoteOfWord[static_cast<std::size_t>(place)] + 1);
        sum += static_cast<std::size_t>(reading().verseOfWord(chapter, john1.firstWord + place));
        benchmark::DoNotOptimize(sum);
    }
}

// "What to read next": the 260 chapters ranked by the share of their words known. Arg 1 reads the set's memories
// again first, as the list does when the learner comes back from studying.
void BM_ReaderWhatToReadNext(benchmark::State& state)
{
    OpenSet set;
    std::vector<learning::LemmaCard> cards = learning::lemmaCards(set.table, text());
    learning::LemmaKnowledge knowledge(cards, text().lemmaCount(), kReadingTime);
    for (auto _ : state) {
        if (state.range(0) == 1) {
            learning::refreshMemories(cards, set.table);
            knowledge = learning::LemmaKnowledge(cards, text().lemmaCount(), kReadingTime);
        }
        const std::vector<learning::ChapterShare> ranked = learning::chaptersByShare(reading(), knowledge);
        benchmark::DoNotOptimize(ranked.data());
    }
}

} // namespace

BENCHMARK(BM_ReaderLoadText)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReaderReadProgress)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReaderRefreshProgress)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReaderOpenChapter)->ArgName("longest")->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReaderNextWord)->UseRealTime()->Unit(benchmark::kNanosecond);
BENCHMARK(BM_ReaderWhatToReadNext)->ArgName("progress")->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
