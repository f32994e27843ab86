#include "cardsetsource.h"

#include "cardtable.h"
#include "table.h"
#include "textforms.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace karte {

namespace {

constexpr std::size_t kColumns = 4;
constexpr std::size_t kMaxGloss = 100;
constexpr std::size_t kMaxLanguage = 150;

std::vector<std::string> splitTabs(const std::string& line)
{
    std::vector<std::string> columns(1);
    for (char c : line) {
        if (c == '\t')
            columns.emplace_back();
        else
            columns.back() += c;
    }
    return columns;
}

bool allDigits(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

} // namespace

SourceError::SourceError(int line, const std::string& problem)
    : std::runtime_error("line " + std::to_string(line) + ": " + problem)
    , line_(line)
{
}

std::vector<SourceCard> parseCardSource(std::istream& in)
{
    std::vector<SourceCard> cards;
    std::set<long> ranks;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (number == 1) {
            if (line != "rank\tLanguage\tEnglish\tFrequency")
                throw SourceError(number, "the header must read rank, Language, English, Frequency");
            continue;
        }
        if (line.empty())
            throw SourceError(number, "empty line");
        std::vector<std::string> columns = splitTabs(line);
        if (columns.size() != kColumns)
            throw SourceError(
                number, "expected " + std::to_string(kColumns) + " columns, found " + std::to_string(columns.size()));
        SourceCard card;
        card.line = number;
        if (!allDigits(columns[0]) || columns[0].size() > 9)
            throw SourceError(number, "the rank '" + columns[0] + "' is not a whole number");
        card.rank = std::stol(columns[0]);
        card.language = columns[1];
        card.english = columns[2];
        card.frequency = columns[3];
        if (card.language.empty())
            throw SourceError(number, "the Greek word is empty");
        if (cardstore::utf8Length(card.language) > kMaxLanguage)
            throw SourceError(number, "the Greek word is longer than 150 characters");
        if (card.english.empty())
            throw SourceError(number, "the English gloss is empty");
        if (cardstore::utf8Length(card.english) > kMaxGloss)
            throw SourceError(number, "the English gloss is longer than 100 characters");
        if (!allDigits(card.frequency) || card.frequency.size() > 9)
            throw SourceError(number, "the count '" + card.frequency + "' is not a whole number");
        if (!ranks.insert(card.rank).second)
            throw SourceError(number, "rank " + columns[0] + " appears twice");
        cards.push_back(std::move(card));
    }
    if (number == 0)
        throw SourceError(1, "the source is empty");
    std::stable_sort(
        cards.begin(), cards.end(), [](const SourceCard& a, const SourceCard& b) { return a.rank < b.rank; });
    return cards;
}

void writeBuiltInSet(const std::string& path, const std::vector<SourceCard>& cards)
{
    cardstore::Table table;
    table.setTableName(path);
    table.fieldDefs() = cardstore::cardFieldDefs();
    table.indexDefs() = cardstore::builtInIndexDefs();
    table.createTable();
    table.open();
    std::vector<std::vector<std::string>> records;
    records.reserve(cards.size());
    for (const SourceCard& card : cards)
        records.push_back({ card.english, card.language, "", "", card.frequency });
    table.appendRecords(records);
    table.close();
}

} // namespace karte
