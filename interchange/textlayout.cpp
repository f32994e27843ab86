#include "textlayout.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace interchange {

namespace {

struct NamedSeparator
{
    const char* name;
    char separator;
};

constexpr std::array<NamedSeparator, 6> kSeparators { {
    { "tab", '\t' },
    { "comma", ',' },
    { "semicolon", ';' },
    { "pipe", '|' },
    { "space", ' ' },
    { "colon", ':' },
} };

std::string lower(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// "#deck column:3" and its kin name a column from 1.
std::optional<int> columnNumber(std::string_view value)
{
    int number = 0;
    auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end != value.data() + value.size() || number < 1 || number > 1000)
        return std::nullopt;
    return number - 1;
}

} // namespace

const char* formatName(Format format)
{
    switch (format) {
    case Format::Tsv:
        return "TSV";
    case Format::FlashcardText:
        return "flashcard text";
    case Format::Csv:
        break;
    }
    return "CSV";
}

std::optional<Format> formatFromName(std::string_view name)
{
    std::string key = lower(name);
    if (key == "csv")
        return Format::Csv;
    if (key == "tsv" || key == "tab")
        return Format::Tsv;
    if (key == "flashcards" || key == "flashcard" || key == "txt")
        return Format::FlashcardText;
    return std::nullopt;
}

std::string separatorName(char separator)
{
    for (const auto& named : kSeparators)
        if (named.separator == separator)
            return named.name;
    return std::string(1, separator);
}

std::optional<char> separatorFromName(std::string_view name)
{
    std::string key = lower(name);
    for (const auto& named : kSeparators)
        if (key == named.name)
            return named.separator;
    if (name == "\\t")
        return '\t';
    if (name.size() == 1 && name[0] != '"' && name[0] != '\n' && name[0] != '\r')
        return name[0];
    return std::nullopt;
}

bool readHeaderLine(std::string_view line, FileHeader& header)
{
    if (line.empty() || line.front() != '#')
        return false;
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return false;
    std::string key = lower(trimmed(line.substr(1, colon - 1)));
    std::string_view value = line.substr(colon + 1);
    if (key == "separator") {
        auto separator = separatorFromName(trimmed(value));
        if (!separator)
            return false;
        header.separator = separator;
    } else if (key == "html") {
        std::string flag = lower(trimmed(value));
        if (flag != "true" && flag != "false")
            return false;
        header.html = flag == "true";
    } else if (key == "columns") {
        header.columns = std::string(value);
    } else if (key == "notetype column" || key == "deck column" || key == "tags column" || key == "guid column") {
        auto column = columnNumber(trimmed(value));
        if (!column)
            return false;
        header.nonCardColumns.push_back(*column);
    } else if (key.empty() || key.find(' ') != std::string::npos
        || !std::all_of(key.begin(), key.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); })) {
        // Other keys ("#notetype:", "#deck:", "#tags:") are single words; "# some remark: ..." is no header line.
        return false;
    }
    ++header.lines;
    return true;
}

std::vector<std::string> splitPlain(std::string_view text, char separator)
{
    std::vector<std::string> cells;
    for (;;) {
        std::size_t end = text.find(separator);
        cells.emplace_back(trimmed(text.substr(0, end)));
        if (end == std::string_view::npos)
            return cells;
        text.remove_prefix(end + 1);
    }
}

} // namespace interchange
