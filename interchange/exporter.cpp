#include "exporter.h"

#include "cardtext.h"
#include "errors.h"
#include "interchangeerror.h"
#include "pendingfile.h"
#include "table.h"
#include "textforms.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace interchange {

namespace {

constexpr std::size_t kProgressStep = 1024;

std::string textOf(const cardstore::Value& value)
{
    if (const auto* text = std::get_if<std::string>(&value))
        return normalized(*text);
    if (const auto* real = std::get_if<double>(&value))
        return cardstore::formatFloat(*real);
    if (const auto* integer = std::get_if<std::int64_t>(&value))
        return std::to_string(*integer);
    return {};
}

void appendValue(std::string& line, const std::string& value, char separator, bool guardFormulas)
{
    // A spreadsheet opening the file would run a value that starts as a formula: an apostrophe before it makes it
    // text there, and the import takes it away again.
    if (guardFormulas && startsAsFormula(value)) {
        appendValue(line, "'" + value, separator, false);
        return;
    }
    if (value.find_first_of(std::string { separator, '"', '\n', '\r' }) == std::string::npos) {
        line += value;
        return;
    }
    line += '"';
    for (char c : value) {
        if (c == '"')
            line += '"';
        line += c;
    }
    line += '"';
}

} // namespace

Format exportFormatFor(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".tsv" || extension == ".tab" || extension == ".txt" ? Format::Tsv : Format::Csv;
}

std::size_t exportSet(
    cardstore::Table& table, const std::string& path, const ExportSettings& settings, const Progress& progress)
{
    if (settings.format == Format::FlashcardText)
        throw ExportError("Cards are exported as CSV or TSV");
    const bool csv = settings.format == Format::Csv;
    const char separator = settings.separator ? settings.separator : csv ? ',' : '\t';
    const char* lineEnd = csv ? "\r\n" : "\n";
    std::vector<std::pair<std::string, int>> columns { { "Greek", table.fieldIndexOrThrow("Language") },
        { "English", table.fieldIndexOrThrow("English") } };
    if (int frequency = table.fieldIndex("Frequency"); frequency >= 0)
        columns.emplace_back("Frequency", frequency);

    std::error_code error;
    if (std::filesystem::equivalent(path, table.filePath(), error))
        throw ExportError("The cards cannot be exported into the card set's own file");
    PendingFile file(path, settings.overwrite);
    std::string line = csv ? "\xEF\xBB\xBF" : "";
    for (std::size_t i = 0; i < columns.size(); ++i)
        line += (i ? std::string(1, separator) : "") + columns[i].first;
    file.write(line + lineEnd);

    const auto total = static_cast<std::uint64_t>(table.recordCount());
    std::size_t written = 0;
    table.visitRecords([&](std::int64_t, const std::vector<cardstore::Value>& values) {
        line.clear();
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (i)
                line += separator;
            const cardstore::Value& value = values[static_cast<std::size_t>(columns[i].second)];
            // A number is a number to a spreadsheet, -1 as well.
            appendValue(line, textOf(value), separator, csv && std::holds_alternative<std::string>(value));
        }
        line += lineEnd;
        file.write(line);
        if (++written % kProgressStep == 0 && progress && !progress(Phase::Writing, written, total))
            throw cardstore::Abort();
    });
    if (progress && !progress(Phase::Writing, written, total))
        throw cardstore::Abort();
    file.commit();
    return written;
}

} // namespace interchange
