#pragma once

#include "errors.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace karte {

// A damaged source of the companion file; what() names the file and the line.
class TextSourceError : public cardstore::Error
{
public:
    TextSourceError(const std::string& file, int line, const std::string& problem);
    int line() const { return line_; }
    const char* kind() const noexcept override { return "TextSourceError"; }

private:
    int line_;
};

// One word of the text, its columns pointing into the source's bytes.
struct TextToken
{
    int book = 0; // canonical place, 0 = Matthew
    int chapter = 0;
    int verse = 0;
    std::string_view text; // as printed, with punctuation
    std::string_view word; // punctuation stripped
    std::string_view lemma;
    std::string_view partOfSpeech;
    std::string_view parse;
};

// The whole text, one token per word in canonical order, checked line by line: the header, eight columns on
// every line, a known book code, books and verses in canonical order, numbers, no empty column, a two-letter
// part of speech and an eight-letter parsing code, valid UTF-8, and, when given, the number of words.
class TextSource
{
public:
    // bytes: the plain (uncompressed) text; fileName is only named in errors.
    TextSource(std::string bytes, const std::string& fileName, std::optional<int> expectedWords = std::nullopt);

    const std::vector<TextToken>& tokens() const { return tokens_; }

private:
    std::unique_ptr<std::string> bytes_; // the tokens point into it; held apart so moves keep it in place
    std::vector<TextToken> tokens_;
};

// The contents of a gzip-compressed file (a plain file is read as it is); a missing, unreadable or cut-short
// file throws TextSourceError.
std::string readCompressedFile(const std::string& path);

} // namespace karte
