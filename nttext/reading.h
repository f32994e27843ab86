#pragma once

#include "readingdata.h"
#include "text.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace nttext {

// A running word of the text, as small as it can be kept: 137,554 of them take a megabyte.
struct TextWord
{
    std::uint32_t form; // into the printed forms: ReadingText::printed() and word()
    std::uint16_t lemma; // the lemma id of Text: frequency order, 0 = ὁ
    std::uint16_t parse; // into the table of parsings: ReadingText::parse(), Text::parse()
};

struct ChapterVerse
{
    int number = 0;
    int firstWord = 0; // index of its first word in the whole text
    int words = 0;
};

// A chapter of the text (there are 260), its words and verses as ranges of the whole text's.
struct Chapter
{
    int book = 0; // canonical place, 0 = Matthew
    int number = 0;
    int firstWord = 0;
    int words = 0;
    int firstVerse = 0; // into the text's verses
    int verses = 0;
};

// A place to read: a chapter (its index, 0 to 259) and a verse of it, 0 when none was asked for.
struct TextPlace
{
    int chapter = 0;
    int verse = 0;
};

struct ReferenceResult
{
    std::optional<TextPlace> place;
    std::string error; // when there is no place: why, in a sentence
};

// The whole text for reading, word by word: every running word with its book, chapter and verse, its printed form
// (without the signs of the critical apparatus), its lemma and its parsing. Read from its own file, which the
// program loads only when the reader first needs it; the words of a chapter are a range of one array, found at
// once.
class ReadingText
{
public:
    // Reads the file and checks it against the companion file's text: the same lemmas, each as often, and the same
    // table of parsings, so that a word's lemma and parsing are ids of Text as well (Text::gloss(), Text::parse()).
    // Throws TextFileError when the file is missing, foreign or damaged, or was made from another text.
    static ReadingText load(const std::string& path, const Text& text);
    // Without the check, for data already at hand.
    explicit ReadingText(ReadingData data);
    // TextFileError naming fileName when the words do not count the text's lemmas, or number its parsings, as it does.
    void checkAgainst(const Text& text, const std::string& fileName) const;

    int chapterCount() const { return static_cast<int>(chapters_.size()); }
    const Chapter& chapter(int index) const { return chapters_[static_cast<std::size_t>(index)]; }
    // The chapter of a book (canonical place) with that number, if the text has it.
    std::optional<int> findChapter(int book, int number) const;
    // The book's chapters: the index of its first and how many it has (none: 0, 0).
    std::pair<int, int> bookChapters(int book) const;
    // "John 3"; a book of one chapter is named alone: "Jude".
    std::string chapterName(int index) const;
    std::span<const ChapterVerse> verses(int chapterIndex) const;
    // The verse of a word of the chapter, as an index into verses(chapterIndex).
    int verseOfWord(int chapterIndex, int wordIndex) const;

    int wordCount() const { return static_cast<int>(words_.size()); }
    const TextWord& word(int index) const { return words_[static_cast<std::size_t>(index)]; }
    std::span<const TextWord> chapterWords(int chapterIndex) const;
    // The word as the text prints it, its punctuation with it: "λόγος,".
    std::string_view printed(const TextWord& word) const;
    // The word alone, as it stands in the text: "λόγος".
    std::string_view form(const TextWord& word) const;

    // Every lemma of the chapter with its count there, most frequent first (equal counts by lemma id); the counts
    // sum to the chapter's words.
    std::vector<LemmaCount> chapterLemmas(int chapterIndex) const;

    int lemmaCount() const { return lemmaCount_; }
    int parseCount() const { return static_cast<int>(parses_.size()); }
    // The parsing of a word: part of speech and code, ordered by part of speech, then code.
    const ParseCode& parse(int index) const { return parses_[static_cast<std::size_t>(index)]; }

    // Where what a learner typed points: "John 3", "Jn 3:16", "1 Cor 13", "Jude 5" (a book of one chapter takes a
    // lone number as a verse). A chapter or verse the text lacks is an error that says what there is.
    ReferenceResult findReference(std::string_view typed) const;

private:
    std::vector<ParseCode> parses_;
    std::string forms_; // every printed form, one after another
    struct FormPlace
    {
        std::uint32_t start;
        std::uint16_t length;
        std::uint16_t wordStart;
        std::uint16_t wordLength;
    };
    std::vector<FormPlace> formPlaces_;
    int lemmaCount_ = 0;
    std::vector<Chapter> chapters_;
    std::vector<ChapterVerse> verses_;
    std::vector<TextWord> words_;
};

} // namespace nttext
