#include "importplan.h"

#include "cardfile.h"
#include "cardtable.h"
#include "interchangeerror.h"
#include "table.h"

#include <filesystem>

namespace interchange {

void commitImport(cardstore::Table& into, const ImportPlan& plan, const Progress& progress)
{
    auto greek = static_cast<std::size_t>(into.fieldIndexOrThrow("Language"));
    auto english = static_cast<std::size_t>(into.fieldIndexOrThrow("English"));
    int frequency = into.fieldIndex("Frequency");
    std::vector<std::vector<std::string>> records;
    records.reserve(plan.cards.size());
    for (const ImportedCard& card : plan.cards) {
        std::vector<std::string>& texts = records.emplace_back(static_cast<std::size_t>(into.fieldCount()));
        texts[greek] = card.greek;
        texts[english] = card.english;
        if (frequency >= 0)
            texts[static_cast<std::size_t>(frequency)] = card.frequency;
    }
    into.appendRecords(records, [&progress](std::size_t done, std::size_t total) {
        return !progress || progress(Phase::Writing, done, total);
    });
}

void importIntoNewSet(const std::string& setPath, const ImportPlan& plan, const Progress& progress)
{
    std::error_code error;
    if (std::filesystem::exists(setPath, error))
        throw ImportError(setPath + " is there already; choose another name for the new card set");
    // A name without a directory is a file in the working directory, not one in an alias's directory.
    std::string path = setPath.find('/') == std::string::npos ? "./" + setPath : setPath;
    cardstore::CardFile::create(path, cardstore::cardFieldDefs(), { cardstore::englishIndexDef() });
    try {
        cardstore::Table table;
        table.setTableName(path);
        table.open();
        commitImport(table, plan, progress);
    } catch (...) {
        // The set was made for this import alone; what is left of it is no set the user asked for.
        std::filesystem::remove(path, error);
        throw;
    }
}

} // namespace interchange
