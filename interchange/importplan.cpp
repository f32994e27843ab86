#include "importplan.h"

#include "cardmaker.h"
#include "cardtext.h"
#include "errors.h"
#include "interchangeerror.h"
#include "table.h"

#include <filesystem>
#include <optional>
#include <unordered_set>

namespace interchange {

namespace {

// Cut lines a plan keeps: the summary lists a few, and a window may show a few more.
constexpr std::size_t kCutLinesKept = 20;
constexpr std::uint64_t kProgressStep = 1024;

std::string cardKey(std::string_view greek, std::string_view english)
{
    std::string key;
    key.reserve(greek.size() + english.size() + 1);
    key.append(greek);
    key += '\0';
    key.append(english);
    return key;
}

std::string storedText(const cardstore::Value& value)
{
    const auto* text = std::get_if<std::string>(&value);
    return text ? cardText(*text, false) : std::string();
}

// The cards a set holds already, as keys of their Greek and English sides.
std::unordered_set<std::string> cardsOf(cardstore::Table& table)
{
    int greek = table.fieldIndexOrThrow("Language");
    int english = table.fieldIndexOrThrow("English");
    std::unordered_set<std::string> keys;
    keys.reserve(static_cast<std::size_t>(table.recordCount()));
    table.visitRecords([&](std::int64_t, const std::vector<cardstore::Value>& values) {
        keys.insert(cardKey(storedText(values[static_cast<std::size_t>(greek)]),
            storedText(values[static_cast<std::size_t>(english)])));
    });
    return keys;
}

void countCut(ImportPlan& plan, int size, int line)
{
    auto it = plan.cuts.begin();
    while (it != plan.cuts.end() && it->size < size)
        ++it;
    if (it == plan.cuts.end() || it->size != size)
        it = plan.cuts.insert(it, CutValues { size, 0, {} });
    ++it->count;
    if (it->lines.size() < kCutLinesKept && (it->lines.empty() || it->lines.back() != line))
        it->lines.push_back(line);
}

std::string fileNameOf(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

} // namespace

std::vector<PreviewRow> previewCards(
    const FileSurvey& survey, const ImportSettings& settings, const std::vector<cardstore::FieldDef>& fields)
{
    CardMaker maker(settings, fields, survey.columnNames.size(), fileNameOf(survey.path));
    std::vector<PreviewRow> rows;
    for (const Record& record : survey.rows) {
        PreviewRow row;
        row.card.line = record.line;
        try {
            CardMaker::Made made = maker.make(record);
            row.card = std::move(made.card);
            row.cut = made.cutSize[0] || made.cutSize[1];
        } catch (const ImportError& error) {
            row.problem = error.problem();
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

ImportPlan planImport(
    const std::string& path, const ImportSettings& settings, cardstore::Table* into, const Progress& progress)
{
    // Better said now than after the whole file has been read.
    if (into && !into->canModify())
        throw ImportError(
            "The card set " + fileNameOf(into->filePath()) + " is read-only; no cards can be added to it");
    const std::vector<cardstore::FieldDef> fields = into ? into->fieldDefs() : cardstore::cardFieldDefs();
    std::unordered_set<std::string> seen = into ? cardsOf(*into) : std::unordered_set<std::string> {};

    RecordReader reader(path, settings.layout);
    const LineReader& lines = reader.lines();
    std::optional<std::size_t> columns;
    Record record;
    if (settings.layout.headerRow) {
        if (reader.next(record))
            columns = record.fields.size();
    } else if (reader.header().columns) {
        columns = splitPlain(*reader.header().columns, settings.layout.separator).size();
    }

    ImportPlan plan;
    plan.duplicatesKept = settings.keepDuplicates;
    std::optional<CardMaker> maker;
    std::uint64_t records = 0;
    auto report = [&](std::uint64_t done) {
        if (progress && !progress(Phase::Reading, done, std::max(lines.size(), done)))
            throw cardstore::Abort();
    };
    while (reader.next(record)) {
        if (!maker)
            maker.emplace(settings, fields, columns.value_or(record.fields.size()), lines.fileName());
        CardMaker::Made made = maker->make(record);
        if (!seen.insert(cardKey(made.card.greek, made.card.english)).second) {
            ++plan.duplicates;
            if (!settings.keepDuplicates)
                continue;
        }
        for (int size : made.cutSize)
            if (size)
                countCut(plan, size, record.line);
        plan.cards.push_back(std::move(made.card));
        if (++records % kProgressStep == 0)
            report(lines.bytesRead());
    }
    report(lines.bytesRead());
    if (!maker)
        throw ImportError(lines.fileName() + " holds no cards");
    return plan;
}

} // namespace interchange
