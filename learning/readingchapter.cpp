#include "readingchapter.h"

#include "progresstext.h"
#include "reading.h"
#include "text.h"

#include <algorithm>

namespace learning {

BookCoverage chapterCoverage(const nttext::ReadingText& reading, int chapter, const LemmaKnowledge& knowledge)
{
    std::vector<BookLemma> lemmas;
    for (const nttext::LemmaCount& counted : reading.chapterLemmas(chapter))
        lemmas.push_back({ counted.count, knowledge.inSet(counted.lemma), knowledge.known(counted.lemma) });
    return bookCoverage(lemmas);
}

std::string chapterCoverageSentence(const BookCoverage& coverage, const std::string& chapterName)
{
    const std::int64_t percent = coverage.totalWords > 0 ? coverage.knownWords * 100 / coverage.totalWords : 0;
    std::string sentence = "You know " + std::to_string(percent) + "% of the "
        + countText(coverage.totalWords, "word", "words") + " of " + chapterName + ".";
    if (!coverage.mark95.reached)
        sentence += " " + countText(coverage.mark95.words, "more word", "more words") + " for 95%.";
    return sentence;
}

ChapterGlosses chapterGlosses(const nttext::ReadingText& reading, const nttext::Text& text, int chapter,
    const LemmaKnowledge& knowledge, GlossRule rule)
{
    const std::span<const nttext::TextWord> words = reading.chapterWords(chapter);
    const int first = reading.chapter(chapter).firstWord;
    ChapterGlosses glosses;
    glosses.footnoteOfWord.assign(words.size(), -1);
    if (rule.mode == GlossMode::None)
        return glosses;
    std::vector<int> footnoteOfLemma(static_cast<std::size_t>(reading.lemmaCount()), -1);
    const std::span<const nttext::ChapterVerse> verses = reading.verses(chapter);
    auto verse = verses.begin();
    for (std::size_t i = 0; i < words.size(); ++i) {
        const int lemma = words[i].lemma;
        const bool glossed
            = rule.mode == GlossMode::NotKnown ? !knowledge.known(lemma) : text.count(lemma) < rule.rarerThan;
        if (!glossed)
            continue;
        int& footnote = footnoteOfLemma[static_cast<std::size_t>(lemma)];
        if (footnote < 0) {
            const int word = first + static_cast<int>(i);
            while (verse + 1 != verses.end() && (verse + 1)->firstWord <= word)
                ++verse;
            footnote = static_cast<int>(glosses.footnotes.size());
            glosses.footnotes.push_back({ word, verse->number, lemma });
        }
        glosses.footnoteOfWord[i] = footnote;
    }
    return glosses;
}

std::vector<ChapterShare> chaptersByShare(const nttext::ReadingText& reading, const LemmaKnowledge& knowledge)
{
    std::vector<ChapterShare> shares;
    shares.reserve(static_cast<std::size_t>(reading.chapterCount()));
    for (int chapter = 0; chapter < reading.chapterCount(); ++chapter) {
        ChapterShare share { chapter, reading.chapter(chapter).words, 0, 0 };
        for (const nttext::TextWord& word : reading.chapterWords(chapter))
            share.known += knowledge.known(word.lemma) ? 1 : 0;
        share.share = share.words > 0 ? static_cast<double>(share.known) / share.words : 0;
        shares.push_back(share);
    }
    // Compared as fractions, so that two chapters with the same share are equal however they were rounded.
    std::stable_sort(shares.begin(), shares.end(), [](const ChapterShare& a, const ChapterShare& b) {
        return static_cast<std::int64_t>(a.known) * b.words > static_cast<std::int64_t>(b.known) * a.words;
    });
    return shares;
}

std::vector<std::int64_t> chapterNewCards(
    const nttext::ReadingText& reading, int chapter, std::span<const LemmaCard> cards)
{
    std::vector<int> countOfLemma(static_cast<std::size_t>(reading.lemmaCount()));
    for (const nttext::TextWord& word : reading.chapterWords(chapter))
        ++countOfLemma[word.lemma];
    std::vector<std::pair<int, std::int64_t>> found; // count in the chapter, card key
    for (const LemmaCard& card : cards) {
        const bool isNew = !card.memory || card.memory->state == State::New;
        if (isNew && card.lemma >= 0 && card.lemma < reading.lemmaCount()
            && countOfLemma[static_cast<std::size_t>(card.lemma)] > 0)
            found.emplace_back(countOfLemma[static_cast<std::size_t>(card.lemma)], card.key);
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::int64_t> keys;
    keys.reserve(found.size());
    for (const auto& [count, key] : found)
        keys.push_back(key);
    return keys;
}

} // namespace learning
