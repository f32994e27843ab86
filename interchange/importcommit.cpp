#include "importplan.h"

#include "cardfile.h"
#include "filecards.h"
#include "interchangeerror.h"

#include <filesystem>

namespace interchange {

void commitImport(
    cardstore::Table& into, const ImportPlan& plan, const Progress& progress, cardstore::Table::AfterAppend after)
{
    auto greek = static_cast<std::size_t>(into.fieldIndexOrThrow("Language"));
    auto english = static_cast<std::size_t>(into.fieldIndexOrThrow("English"));
    int frequency = into.fieldIndex("Frequency");
    FileCards cards(plan.path, plan.settings, into.fieldDefs());
    std::size_t record = 0, made = 0;
    // Another program may have changed the file since the plan was worked out: the cards it holds now are not the
    // ones the user agreed to.
    auto changed = [&] {
        return ImportError(cards.lines().fileName()
            + " has changed since the plan was worked out; no card was added. Work the plan out again");
    };
    into.appendEach(
        [&](std::vector<std::string>& texts) {
            CardMaker::Made card;
            while (cards.next(card)) {
                if (record < plan.skipped.size() && plan.skipped[record++])
                    continue;
                if (++made > plan.cards)
                    throw changed();
                texts[greek] = std::move(card.card.greek);
                texts[english] = std::move(card.card.english);
                if (frequency >= 0)
                    texts[static_cast<std::size_t>(frequency)] = std::move(card.card.frequency);
                return true;
            }
            if (made != plan.cards || !(cardstore::fileIdentity(plan.path) == plan.source))
                throw changed();
            return false;
        },
        plan.cards,
        [&progress](std::size_t done, std::size_t total) { return !progress || progress(Phase::Writing, done, total); },
        after);
}

void importIntoNewSet(const std::string& setPath, const ImportPlan& plan, const Progress& progress)
{
    const std::string taken = setPath + " is there already; choose another name for the new card set";
    std::error_code error;
    if (std::filesystem::exists(setPath, error))
        throw ImportError(taken);
    // A name without a directory is a file in the working directory, not one in an alias's directory.
    std::string path = setPath.find('/') == std::string::npos ? "./" + setPath : setPath;
    // The set is filled under a temporary name and takes its own only once it holds every card: an import cut
    // short leaves no set, and the same import can simply be run again.
    bool made = cardstore::CardFile::create(
        path, cardstore::cardFieldDefs(), { cardstore::englishIndexDef() },
        [&](const std::string& newSet) {
            cardstore::Table table;
            table.setTableName(newSet);
            table.open();
            commitImport(table, plan, progress, cardstore::Table::AfterAppend::Close);
        },
        cardstore::Placement::OnlyWhereNone);
    if (!made)
        throw ImportError(taken);
}

} // namespace interchange
