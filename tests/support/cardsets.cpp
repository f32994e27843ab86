#include "cardsets.h"

#include "cardtable.h"
#include "table.h"
#include "textforms.h"

namespace testsupport {

namespace {

void build(const std::string& path, const std::vector<Card>& cards, std::vector<cardstore::IndexDef> indexes)
{
    cardstore::Table table;
    table.setTableName(path);
    table.fieldDefs() = cardstore::cardFieldDefs();
    table.indexDefs() = std::move(indexes);
    table.createTable();
    if (cards.empty())
        return;
    table.open();
    std::vector<std::vector<std::string>> records;
    for (const Card& card : cards)
        records.push_back({ card.english, card.language, "", "",
            card.frequency ? cardstore::formatFloat(*card.frequency) : std::string() });
    table.appendRecords(records);
    table.close();
}

} // namespace

void makeCardSet(const std::string& path, const std::vector<Card>& cards)
{
    build(path, cards, { cardstore::englishIndexDef() });
}

void makeBuiltInLikeSet(const std::string& path, const std::vector<Card>& cards)
{
    build(path, cards, cardstore::builtInIndexDefs());
}

} // namespace testsupport
