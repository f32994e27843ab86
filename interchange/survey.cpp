#include "survey.h"

#include "cardtext.h"
#include "htmltext.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <map>

namespace interchange {

namespace {

enum Role { kGreek, kEnglish, kFrequency, kRoleCount };

const std::array<std::vector<std::string>, kRoleCount> kRoleNames { {
    { "greek", "language", "lemma", "front", "word" },
    { "english", "gloss", "meaning", "back", "translation" },
    { "frequency", "count", "freq" },
} };

std::string lower(std::string_view text)
{
    std::string result;
    for (char c : text)
        result += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

std::vector<std::string> wordsOf(const std::string& name)
{
    std::vector<std::string> words(1);
    for (char c : lower(name)) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            words.back() += c;
        else if (!words.back().empty())
            words.emplace_back();
    }
    return words;
}

bool isRoleName(Role role, const std::string& word)
{
    const auto& names = kRoleNames[role];
    return std::find(names.begin(), names.end(), word) != names.end();
}

// The role a column's name gives it: its whole name first, else the one role a word of it names.
int roleOfName(const std::string& name, bool wholeName)
{
    std::string key = lower(name);
    key.erase(0, key.find_first_not_of(" \t"));
    key.erase(key.find_last_not_of(" \t") + 1);
    int found = -1;
    for (int role = 0; role < kRoleCount; ++role) {
        bool matches = wholeName ? isRoleName(Role(role), key) : false;
        if (!wholeName)
            for (const std::string& word : wordsOf(name))
                matches = matches || isRoleName(Role(role), word);
        if (matches) {
            if (found >= 0)
                return -1;
            found = role;
        }
    }
    return found;
}

bool isNumberColumn(const std::vector<Record>& rows, std::size_t column)
{
    bool any = false;
    for (const Record& row : rows) {
        if (column >= row.fields.size() || cardText(row.fields[column], false).empty())
            continue;
        if (!parseFrequency(row.fields[column]))
            return false;
        any = true;
    }
    return any;
}

std::size_t greekRows(const std::vector<Record>& rows, std::size_t column)
{
    return static_cast<std::size_t>(std::count_if(rows.begin(), rows.end(),
        [column](const Record& row) { return column < row.fields.size() && holdsGreek(row.fields[column]); }));
}

// How often a separator occurs on a line outside quoted values.
int countOutsideQuotes(const std::string& line, char separator)
{
    int count = 0;
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == separator && !quoted)
            ++count;
    }
    return count;
}

// The separator that splits the most lines into the same number of values.
char guessSeparator(const std::vector<std::string>& lines, char fallback)
{
    char best = fallback;
    std::size_t bestScore = 0;
    for (char candidate : { '\t', ';', ',', '|' }) {
        std::map<int, std::size_t> lineCounts;
        for (const std::string& line : lines)
            if (int count = countOutsideQuotes(line, candidate))
                ++lineCounts[count];
        std::size_t score = 0;
        for (const auto& [count, lineCount] : lineCounts)
            score = std::max(score, lineCount);
        if (score > bestScore) {
            best = candidate;
            bestScore = score;
        }
    }
    return best;
}

// A first record that names a column by a known name, and holds no Greek and no number as a card would.
bool namesColumns(const std::vector<std::string>& cells)
{
    auto isName = [](const std::string& cell) { return roleOfName(cell, true) >= 0; };
    auto isCardValue = [](const std::string& cell) { return holdsGreek(cell) || parseFrequency(cell); };
    return std::any_of(cells.begin(), cells.end(), isName) && std::none_of(cells.begin(), cells.end(), isCardValue);
}

} // namespace

Layout guessLayout(const std::string& path)
{
    constexpr int kSampleLines = 50;
    LineReader reader(path);
    FileHeader header;
    std::vector<std::string> lines;
    std::string line;
    while (
        lines.size() < kSampleLines && reader.next(line, RecordReader::kMaxRecordBytes) == LineReader::Result::Line) {
        if (lines.empty() && readHeaderLine(line, header))
            continue;
        if (!line.empty())
            lines.push_back(line);
    }
    std::string extension = lower(std::filesystem::path(path).extension().string());
    Layout layout;
    layout.separator = guessSeparator(lines, extension == ".tsv" || extension == ".tab" ? '\t' : ',');
    // Flashcard programs write HTML into the fields whether or not their export says so in a header.
    const bool holdsHtml
        = std::any_of(lines.begin(), lines.end(), [](const std::string& l) { return looksLikeHtml(l); });
    layout.html = header.html.value_or(holdsHtml);
    if (!header.empty()) {
        layout.format = Format::FlashcardText;
        layout.separator = header.separator.value_or(layout.separator);
    } else {
        layout.format = layout.separator == '\t' ? Format::Tsv : Format::Csv;
    }
    if (!header.columns && !lines.empty()) {
        Record first;
        RecordReader records(path, layout);
        layout.headerRow = records.next(first) && namesColumns(first.fields);
    }
    return layout;
}

ColumnMapping guessMapping(
    const std::vector<std::string>& names, const std::vector<Record>& rows, const std::vector<int>& nonCardColumns)
{
    const std::size_t columns = names.size();
    std::vector<bool> taken(columns, false);
    for (int column : nonCardColumns)
        if (column >= 0 && static_cast<std::size_t>(column) < columns)
            taken[static_cast<std::size_t>(column)] = true;
    std::array<int, kRoleCount> chosen { -1, -1, -1 };
    auto assign = [&](int role, std::size_t column) {
        chosen[static_cast<std::size_t>(role)] = static_cast<int>(column);
        taken[column] = true;
    };
    for (bool wholeName : { true, false })
        for (std::size_t column = 0; column < names.size(); ++column)
            if (int role = roleOfName(names[column], wholeName); role >= 0 && !taken[column] && chosen[role] < 0)
                assign(role, column);

    if (chosen[kGreek] < 0) {
        std::size_t best = 0, bestRows = 0;
        for (std::size_t column = 0; column < columns; ++column)
            if (std::size_t count = taken[column] ? 0 : greekRows(rows, column); count > bestRows)
                best = column, bestRows = count;
        if (bestRows > 0)
            assign(kGreek, best);
    }
    if (chosen[kFrequency] < 0)
        for (std::size_t column = 0; column < columns; ++column)
            if (!taken[column] && isNumberColumn(rows, column)) {
                assign(kFrequency, column);
                break;
            }
    // Sides the contents did not settle take the free columns in order, Greek first.
    for (int role : { kGreek, kEnglish })
        for (std::size_t column = 0; column < columns && chosen[role] < 0; ++column)
            if (!taken[column])
                assign(role, column);
    return { chosen[kGreek], chosen[kEnglish], chosen[kFrequency] };
}

FileSurvey surveyFile(const std::string& path, std::size_t rowCount)
{
    return surveyFile(path, guessLayout(path), rowCount);
}

FileSurvey surveyFile(const std::string& path, const Layout& layout, std::size_t rowCount)
{
    FileSurvey survey;
    survey.path = path;
    survey.layout = layout;
    RecordReader reader(path, layout);
    const FileHeader& header = reader.header();
    survey.nonCardColumns = header.nonCardColumns;
    Record record;
    if (layout.headerRow) {
        if (reader.next(record))
            for (const std::string& name : record.fields)
                survey.columnNames.push_back(cardText(name, layout.html));
    } else if (header.columns) {
        survey.columnNames = splitPlain(*header.columns, layout.separator);
    }
    while (survey.rows.size() < rowCount && reader.next(record))
        survey.rows.push_back(record);
    // Without names, the first record says how many columns every record has.
    std::size_t columns = survey.columnNames.size();
    if (!layout.headerRow && !header.columns && !survey.rows.empty())
        columns = survey.rows.front().fields.size();
    for (std::size_t column = 0; column < columns; ++column)
        if (column >= survey.columnNames.size())
            survey.columnNames.push_back("Column " + std::to_string(column + 1));
        else if (survey.columnNames[column].empty())
            survey.columnNames[column] = "Column " + std::to_string(column + 1);
    survey.mapping = guessMapping(survey.columnNames, survey.rows, survey.nonCardColumns);
    return survey;
}

} // namespace interchange
