#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace interchange {

// The kinds of text file cards come in and go out as.
enum class Format : std::uint8_t {
    Csv, // comma- or semicolon-separated values, as spreadsheets save them
    Tsv, // tab-separated values
    FlashcardText, // the plain-text export of flashcard programs: "#key:value" header lines, then records
};

// How the records of a text file are laid out. Every format may quote a value ("a, b" or "say ""yes""").
struct Layout
{
    Format format = Format::Csv;
    char separator = ',';
    bool html = false; // values hold HTML, reduced to plain text
    bool headerRow = false; // the first record names the columns

    bool operator==(const Layout&) const = default;
};

// "CSV", "TSV", "flashcard text".
const char* formatName(Format format);
// The format an option or extension names ("csv", "tsv", "flashcards"); nullopt when none.
std::optional<Format> formatFromName(std::string_view name);
// "tab", "comma", "semicolon", "pipe", "space", "colon", or the character itself.
std::string separatorName(char separator);
// The separator a name from separatorName (or a single character) stands for; nullopt when none.
std::optional<char> separatorFromName(std::string_view name);

// What the "#key:value" lines at the top of a flashcard program's export say. Unknown keys are passed over.
struct FileHeader
{
    std::optional<char> separator;
    std::optional<bool> html;
    std::optional<std::string> columns; // the text after "#columns:", names split by the separator
    std::vector<int> nonCardColumns; // 0-based: the note type, deck, tags and guid columns
    int lines = 0; // how many lines the header takes

    bool empty() const { return lines == 0; }
};

// Takes one line into the header when it is a "#key:value" line; false when it is not one.
bool readHeaderLine(std::string_view line, FileHeader& header);

// The cells of one record split by a separator, with no regard to quotes (for the header's column names).
std::vector<std::string> splitPlain(std::string_view text, char separator);

// Where long work has come to. Reading counts bytes of the file, writing counts cards.
enum class Phase : std::uint8_t { Reading, Writing };
// Told how far long work has come; returning false cancels it: the work raises cardstore::Abort and leaves
// every file as it was.
using Progress = std::function<bool(Phase phase, std::uint64_t done, std::uint64_t total)>;

} // namespace interchange
