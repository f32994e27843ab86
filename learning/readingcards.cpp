#include "readingcards.h"

#include "books.h"
#include "studysession.h"
#include "studystore.h"
#include "table.h"
#include "text.h"

#include <algorithm>

namespace learning {

std::vector<LemmaCard> lemmaCards(cardstore::Table& table, const nttext::Text& text)
{
    const int greekField = table.fieldIndex("Language");
    std::vector<LemmaCard> cards;
    cards.reserve(static_cast<std::size_t>(table.recordCount()));
    table.visitRecords([&](std::int64_t key, const std::vector<cardstore::Value>& values) {
        LemmaCard card { key, -1, std::nullopt };
        if (greekField >= 0 && static_cast<std::size_t>(greekField) < values.size())
            if (const auto* greek = std::get_if<std::string>(&values[static_cast<std::size_t>(greekField)]))
                card.lemma = text.lemmaOfCard(*greek).value_or(-1);
        cards.push_back(std::move(card));
    });
    refreshMemories(cards, table);
    return cards;
}

void refreshMemories(std::vector<LemmaCard>& cards, cardstore::Table& table)
{
    // The memories come in key order; the cards are found by key through a sorted list of places.
    std::vector<std::pair<std::int64_t, std::size_t>> places;
    places.reserve(cards.size());
    for (std::size_t place = 0; place < cards.size(); ++place) {
        places.emplace_back(cards[place].key, place);
        cards[place].memory.reset();
    }
    std::sort(places.begin(), places.end());
    for (const cardstore::CardMemory& stored : table.study().loadMemories()) {
        const auto found
            = std::lower_bound(places.begin(), places.end(), std::make_pair(stored.cardKey, std::size_t(0)));
        if (found != places.end() && found->first == stored.cardKey)
            cards[found->second].memory = memoryOf(stored);
    }
}

cardstore::ReadingStore::PlaceCheck placeCheck(const nttext::ReadingText& reading)
{
    return [&reading](std::string_view book, int chapter, int verse) {
        return textPlace(reading, { std::string(book), chapter, verse }).has_value();
    };
}

GlossRule glossRuleOf(const cardstore::ReadingState& state)
{
    GlossRule rule;
    switch (state.glosses.value_or(cardstore::ReadingGlosses::NotKnown)) {
    case cardstore::ReadingGlosses::NotKnown:
        rule.mode = GlossMode::NotKnown;
        break;
    case cardstore::ReadingGlosses::RarerThan:
        rule.mode = GlossMode::RarerThan;
        break;
    case cardstore::ReadingGlosses::None:
        rule.mode = GlossMode::None;
        break;
    }
    rule.rarerThan = state.rarerThan.value_or(kDefaultRarerThan);
    return rule;
}

std::optional<nttext::TextPlace> textPlace(const nttext::ReadingText& reading, const cardstore::ReadingPlace& place)
{
    const std::optional<int> book = nttext::bookIndex(place.book);
    const std::optional<int> chapter = book ? reading.findChapter(*book, place.chapter) : std::nullopt;
    if (!chapter)
        return std::nullopt;
    if (place.verse == 0)
        return nttext::TextPlace { *chapter, 0 };
    for (const nttext::ChapterVerse& verse : reading.verses(*chapter))
        if (verse.number == place.verse)
            return nttext::TextPlace { *chapter, place.verse };
    return std::nullopt;
}

cardstore::ReadingPlace storedPlace(const nttext::ReadingText& reading, const nttext::TextPlace& place)
{
    const nttext::Chapter& chapter = reading.chapter(place.chapter);
    return { std::string(nttext::bookNames()[static_cast<std::size_t>(chapter.book)].code), chapter.number,
        place.verse };
}

} // namespace learning
