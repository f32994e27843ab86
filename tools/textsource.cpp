#include "textsource.h"

#include "books.h"
#include "parse.h"

#include <zlib.h>

#include <array>
#include <charconv>
#include <tuple>

namespace karte {

namespace {

constexpr std::string_view kHeader = "book\tchapter\tverse\ttext\tword\tlemma\tpos\tparse";
constexpr std::size_t kColumns = 8;

bool validUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        if (lead >= 0x80) {
            if ((lead & 0xE0) == 0xC0)
                extra = 1;
            else if ((lead & 0xF0) == 0xE0)
                extra = 2;
            else if ((lead & 0xF8) == 0xF0)
                extra = 3;
            else
                return false;
        }
        if (extra >= text.size() - i)
            return false;
        for (std::size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

std::optional<int> smallNumber(std::string_view text)
{
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > 999)
        return std::nullopt;
    return value;
}

std::string place(const TextToken& token)
{
    return std::string(nttext::bookNames()[static_cast<std::size_t>(token.book)].code) + " "
        + std::to_string(token.chapter) + ":" + std::to_string(token.verse);
}

} // namespace

TextSourceError::TextSourceError(const std::string& file, int line, const std::string& problem)
    : cardstore::Error(file + ", line " + std::to_string(line) + ": " + problem)
    , line_(line)
{
}

TextSource::TextSource(std::string bytes, const std::string& fileName, std::optional<int> expectedWords)
    : bytes_(std::make_unique<std::string>(std::move(bytes)))
{
    std::string_view rest = *bytes_;
    int line = 0;
    tokens_.reserve(expectedWords.value_or(0) > 0 ? static_cast<std::size_t>(*expectedWords) : 0);
    auto fail = [&](const std::string& problem) { throw TextSourceError(fileName, line, problem); };
    while (!rest.empty()) {
        std::size_t end = rest.find('\n');
        std::string_view text = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        ++line;
        if (line == 1) {
            if (text != kHeader)
                fail("the header must name the columns book, chapter, verse, text, word, lemma, pos, parse");
            continue;
        }
        if (!validUtf8(text))
            fail("the line is not valid UTF-8");
        std::array<std::string_view, kColumns> columns;
        std::size_t count = 0;
        for (std::size_t start = 0;; ++count) {
            std::size_t tab = text.find('\t', start);
            if (count < kColumns)
                columns[count] = text.substr(start, tab == std::string_view::npos ? tab : tab - start);
            if (tab == std::string_view::npos)
                break;
            start = tab + 1;
        }
        if (++count != kColumns)
            fail(std::to_string(count) + " columns, " + std::to_string(kColumns) + " expected");
        if (expectedWords && static_cast<int>(tokens_.size()) == *expectedWords)
            fail("more words than the " + std::to_string(*expectedWords) + " the text has");
        TextToken token;
        std::optional<int> book = nttext::bookIndex(columns[0]);
        if (!book)
            fail("unknown book code '" + std::string(columns[0]) + "'");
        std::optional<int> chapter = smallNumber(columns[1]);
        std::optional<int> verse = smallNumber(columns[2]);
        if (!chapter || !verse)
            fail("the chapter and verse must be numbers from 1 to 999");
        token.book = *book;
        token.chapter = *chapter;
        token.verse = *verse;
        if (!tokens_.empty()) {
            const TextToken& previous = tokens_.back();
            if (std::tie(token.book, token.chapter, token.verse)
                < std::tie(previous.book, previous.chapter, previous.verse))
                fail(place(token) + " comes after " + place(previous) + "; the text must be in canonical order");
        }
        token.text = columns[3];
        token.word = columns[4];
        token.lemma = columns[5];
        token.partOfSpeech = columns[6];
        token.parse = columns[7];
        if (token.text.empty() || token.word.empty() || token.lemma.empty())
            fail("the text, word and lemma must not be empty");
        if (token.text.find(' ') != std::string_view::npos)
            fail("the printed word holds a space");
        if (nttext::partOfSpeechName(token.partOfSpeech).empty())
            fail("unknown part of speech '" + std::string(token.partOfSpeech) + "'");
        if (token.parse.size() != 8)
            fail("the parsing code '" + std::string(token.parse) + "' is not 8 characters long");
        tokens_.push_back(token);
    }
    if (line == 0)
        fail("the text is empty");
    if (expectedWords && static_cast<int>(tokens_.size()) != *expectedWords)
        fail("the text ends here after " + std::to_string(tokens_.size()) + " words; " + std::to_string(*expectedWords)
            + " expected");
}

std::string readCompressedFile(const std::string& path)
{
    gzFile file = gzopen(path.c_str(), "rb");
    if (!file)
        throw TextSourceError(path, 0, "cannot be opened");
    std::string bytes;
    std::array<char, 1 << 16> buffer;
    int read = 0;
    while ((read = gzread(file, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0)
        bytes.append(buffer.data(), static_cast<std::size_t>(read));
    int status = Z_OK;
    std::string message = gzerror(file, &status);
    gzclose(file);
    if (read < 0 || status != Z_OK) {
        int lines = 1;
        for (char c : bytes)
            lines += c == '\n';
        throw TextSourceError(path, lines, "the compressed file is damaged or cut short here (" + message + ")");
    }
    return bytes;
}

} // namespace karte
