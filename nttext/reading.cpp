#include "reading.h"

#include "books.h"
#include "readingfile.h"
#include "reference.h"
#include "text.h"
#include "texterrors.h"

#include <algorithm>

namespace nttext {

ReadingText ReadingText::load(const std::string& path, const Text& text)
{
    ReadingText reading(readReadingFile(path));
    reading.checkAgainst(text, path);
    return reading;
}

ReadingText::ReadingText(ReadingData data)
    : parses_(std::move(data.parses))
    , lemmaCount_(data.lemmaCount)
{
    formPlaces_.reserve(data.forms.size());
    for (const PrintedForm& form : data.forms) {
        formPlaces_.push_back({ static_cast<std::uint32_t>(forms_.size()), static_cast<std::uint16_t>(form.text.size()),
            static_cast<std::uint16_t>(form.wordStart), static_cast<std::uint16_t>(form.wordLength) });
        forms_ += form.text;
    }
    chapters_.reserve(data.chapters.size());
    int word = 0;
    for (const ChapterRecord& record : data.chapters) {
        Chapter chapter { record.book, record.chapter, word, 0, static_cast<int>(verses_.size()),
            static_cast<int>(record.verses.size()) };
        for (const ChapterRecord::Verse& verse : record.verses) {
            verses_.push_back({ verse.number, word, verse.words });
            word += verse.words;
        }
        chapter.words = word - chapter.firstWord;
        chapters_.push_back(chapter);
    }
    words_.reserve(data.words.size());
    for (const WordRecord& record : data.words)
        words_.push_back({ static_cast<std::uint32_t>(record.form), static_cast<std::uint16_t>(record.lemma),
            static_cast<std::uint16_t>(record.parse) });
}

void ReadingText::checkAgainst(const Text& text, const std::string& fileName) const
{
    bool same = lemmaCount_ == text.lemmaCount();
    std::vector<int> counts(static_cast<std::size_t>(lemmaCount_));
    for (const TextWord& word : words_)
        ++counts[word.lemma];
    for (int lemma = 0; same && lemma < lemmaCount_; ++lemma)
        same = counts[static_cast<std::size_t>(lemma)] == text.count(lemma);
    // A word's parsing is a place in the companion file's table too.
    same = same && parseCount() == text.parseCount();
    for (int parse = 0; same && parse < parseCount(); ++parse)
        same = parses_[static_cast<std::size_t>(parse)].partOfSpeech == text.parse(parse).partOfSpeech
            && parses_[static_cast<std::size_t>(parse)].code == text.parse(parse).code;
    if (!same)
        throw TextFileError("The Greek text file " + fileName
            + " does not belong with the companion file: its words count the lemmas or number the parsings otherwise");
}

std::optional<int> ReadingText::findChapter(int book, int number) const
{
    const auto [first, count] = bookChapters(book);
    for (int index = first; index < first + count; ++index)
        if (chapters_[static_cast<std::size_t>(index)].number == number)
            return index;
    return std::nullopt;
}

std::pair<int, int> ReadingText::bookChapters(int book) const
{
    const auto begin = std::lower_bound(
        chapters_.begin(), chapters_.end(), book, [](const Chapter& chapter, int b) { return chapter.book < b; });
    auto end = begin;
    while (end != chapters_.end() && end->book == book)
        ++end;
    return { static_cast<int>(begin - chapters_.begin()), static_cast<int>(end - begin) };
}

std::string ReadingText::chapterName(int index) const
{
    const Chapter& chapter = chapters_[static_cast<std::size_t>(index)];
    std::string name(bookNames()[static_cast<std::size_t>(chapter.book)].name);
    if (bookChapters(chapter.book).second == 1)
        return name;
    return name + " " + std::to_string(chapter.number);
}

std::span<const ChapterVerse> ReadingText::verses(int chapterIndex) const
{
    const Chapter& chapter = chapters_[static_cast<std::size_t>(chapterIndex)];
    return std::span<const ChapterVerse>(verses_).subspan(
        static_cast<std::size_t>(chapter.firstVerse), static_cast<std::size_t>(chapter.verses));
}

int ReadingText::verseOfWord(int chapterIndex, int wordIndex) const
{
    const std::span<const ChapterVerse> chapterVerses = verses(chapterIndex);
    const auto after = std::upper_bound(chapterVerses.begin(), chapterVerses.end(), wordIndex,
        [](int word, const ChapterVerse& verse) { return word < verse.firstWord; });
    return std::max(0, static_cast<int>(after - chapterVerses.begin()) - 1);
}

std::span<const TextWord> ReadingText::chapterWords(int chapterIndex) const
{
    const Chapter& chapter = chapters_[static_cast<std::size_t>(chapterIndex)];
    return std::span<const TextWord>(words_).subspan(
        static_cast<std::size_t>(chapter.firstWord), static_cast<std::size_t>(chapter.words));
}

std::vector<LemmaCount> ReadingText::chapterLemmas(int chapterIndex) const
{
    std::vector<int> lemmas;
    for (const TextWord& word : chapterWords(chapterIndex))
        lemmas.push_back(word.lemma);
    std::sort(lemmas.begin(), lemmas.end());
    std::vector<LemmaCount> counts;
    for (std::size_t i = 0; i < lemmas.size(); ++i) {
        if (i == 0 || lemmas[i] != lemmas[i - 1])
            counts.push_back({ lemmas[i], 0 });
        ++counts.back().count;
    }
    std::stable_sort(
        counts.begin(), counts.end(), [](const LemmaCount& a, const LemmaCount& b) { return a.count > b.count; });
    return counts;
}

std::string_view ReadingText::printed(const TextWord& word) const
{
    const FormPlace& place = formPlaces_[word.form];
    return std::string_view(forms_).substr(place.start, place.length);
}

std::string_view ReadingText::form(const TextWord& word) const
{
    const FormPlace& place = formPlaces_[word.form];
    return std::string_view(forms_).substr(place.start + place.wordStart, place.wordLength);
}

ReferenceResult ReadingText::findReference(std::string_view typed) const
{
    const TypedReferenceReading reading = readTypedReference(typed);
    if (!reading.reference)
        return { std::nullopt, reading.error };
    const TypedReference& typedPlace = *reading.reference;
    const std::string book(bookNames()[static_cast<std::size_t>(typedPlace.book)].name);
    const auto [first, count] = bookChapters(typedPlace.book);
    if (count == 0)
        return { std::nullopt, "The text has no chapter of " + book };
    int chapterNumber = typedPlace.first.value_or(chapters_[static_cast<std::size_t>(first)].number);
    std::optional<int> verse = typedPlace.second;
    // Jude 5 is its fifth verse.
    if (count == 1 && typedPlace.first && !typedPlace.second) {
        chapterNumber = chapters_[static_cast<std::size_t>(first)].number;
        verse = typedPlace.first;
    }
    const std::optional<int> chapter = findChapter(typedPlace.book, chapterNumber);
    if (!chapter)
        return { std::nullopt,
            book + " has " + (count == 1 ? "one chapter" : std::to_string(count) + " chapters") + ", not "
                + std::to_string(chapterNumber) };
    if (!verse)
        return { TextPlace { *chapter, 0 }, {} };
    for (const ChapterVerse& there : verses(*chapter))
        if (there.number == *verse)
            return { TextPlace { *chapter, *verse }, {} };
    const std::span<const ChapterVerse> there = verses(*chapter);
    if (*verse > there.front().number && *verse < there.back().number)
        return { std::nullopt,
            chapterName(*chapter) + ":" + std::to_string(*verse)
                + " is not in the text: its editors leave the verse out" };
    return { std::nullopt,
        chapterName(*chapter) + " has no verse " + std::to_string(*verse) + "; its verses are "
            + std::to_string(there.front().number) + " to " + std::to_string(there.back().number) };
}

} // namespace nttext
