#include "importplan.h"

#include "cardkeys.h"
#include "cardmaker.h"
#include "cardtext.h"
#include "errors.h"
#include "filecards.h"
#include "interchangeerror.h"
#include "session.h"

#include <filesystem>
#include <fstream>
#include <limits>

namespace interchange {

namespace {

// Lines of a kind a plan keeps: the summary lists a few, and a window may show a few more (a preview's worth).
constexpr std::size_t kLinesKept = 20;
constexpr std::uint64_t kProgressStep = 1024;

void countCut(ImportPlan& plan, int size, int line)
{
    auto it = plan.cuts.begin();
    while (it != plan.cuts.end() && it->size < size)
        ++it;
    if (it == plan.cuts.end() || it->size != size)
        it = plan.cuts.insert(it, CutValues { size, 0, {} });
    ++it->count;
    if (it->lines.size() < kLinesKept && (it->lines.empty() || it->lines.back() != line))
        it->lines.push_back(line);
}

std::string storedText(const cardstore::Value& value)
{
    const auto* text = std::get_if<std::string>(&value);
    return text ? cardText(*text, false) : std::string();
}

// The cards the set holds already, to tell the file's duplicates by. A protected set's stay in memory.
void addCardsOf(const cardstore::Table& table, CardKeys& keys)
{
    auto greek = static_cast<std::size_t>(table.fieldIndexOrThrow("Language"));
    auto english = static_cast<std::size_t>(table.fieldIndexOrThrow("English"));
    table.visitRecords([&](std::int64_t, const std::vector<cardstore::Value>& values) {
        keys.insert(storedText(values[greek]), storedText(values[english]));
    });
}

std::string fileNameOf(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

} // namespace

const char* const kOnlyOwnSetsTakeCards = "only a set of your own takes cards";

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
    if (into && cardstore::Session::instance().isBuiltInSet(into->filePath()))
        throw ImportError("The built-in set takes no cards: " + std::string(kOnlyOwnSetsTakeCards)
            + ". Import the cards into a new set instead");
    if (into && !into->canModify())
        throw ImportError(
            "The card set " + fileNameOf(into->filePath()) + " is read-only; no cards can be added to it");

    ImportPlan plan;
    plan.path = path;
    plan.settings = settings;
    plan.source = cardstore::fileIdentity(path);
    FileCards cards(path, settings, into ? into->fieldDefs() : cardstore::cardFieldDefs());
    CardKeys seen(into && into->isProtected());
    if (into)
        addCardsOf(*into, seen);
    const LineReader& lines = cards.lines();
    auto report = [&](std::uint64_t done) {
        if (progress && !progress(Phase::Reading, done, std::max(lines.size(), done)))
            throw cardstore::Abort();
    };
    CardMaker::Made made;
    for (std::size_t record = 0; cards.next(made); ++record) {
        if ((record + 1) % kProgressStep == 0)
            report(lines.bytesRead());
        if (!seen.insert(made.card.greek, made.card.english)) {
            ++plan.duplicates;
            if (plan.duplicateLines.size() < kLinesKept)
                plan.duplicateLines.push_back(made.card.line);
            if (!settings.keepDuplicates) {
                plan.skipped.resize(record + 1);
                plan.skipped[record] = true;
                continue;
            }
        }
        for (int size : made.cutSize)
            if (size)
                countCut(plan, size, made.card.line);
        ++plan.cards;
    }
    report(lines.bytesRead());
    if (!cards.anyRecord())
        throw ImportError(lines.fileName() + " holds no cards");
    return plan;
}

std::string lineOfFile(const std::string& path, int line, std::size_t maxBytes)
{
    std::ifstream in(path, std::ios::binary);
    for (int skipped = 1; skipped < line && in; ++skipped)
        in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    std::string text;
    for (char c; text.size() < maxBytes && in.get(c) && c != '\n';)
        text += c;
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    return text;
}

} // namespace interchange
