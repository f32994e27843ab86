#pragma once

#include <string>
#include <vector>

namespace readingtest {

// A word of the Greek text as its source file has it, read here with zlib alone and nothing of the program's.
struct SourceWord
{
    std::string book; // the source's code: "Jn"
    int chapter = 0;
    int verse = 0;
    std::string text; // as printed, apparatus signs and all
    std::string word;
    std::string lemma;
    std::string partOfSpeech;
    std::string parse;
};

const std::vector<SourceWord>& sourceWords();
// The source's words of one chapter ("Jn", 1).
std::vector<SourceWord> sourceChapter(const std::string& book, int chapter);

// The printed text without the signs of the critical apparatus (U+2E00 to U+2E05) and the digits after them.
std::string withoutApparatus(const std::string& printed);

} // namespace readingtest
