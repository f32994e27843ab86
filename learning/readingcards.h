#pragma once

#include "reading.h"
#include "readingchapter.h"
#include "readingprogress.h"
#include "readingstore.h"

#include <optional>
#include <vector>

namespace cardstore {
class Table;
}

namespace learning {

// Every card of the set the table has open, in its primary order, with the lemma its Greek side names and its
// memory from the set's study progress (which it opens, and whose errors it raises). Looking up the lemmas of a
// hundred thousand cards takes a good part of a second, so the Reader does it once when it opens.
std::vector<LemmaCard> lemmaCards(cardstore::Table& table, const nttext::Text& text);
// The cards' memories read again, after the learner has studied: a tenth of the work of lemmaCards.
void refreshMemories(std::vector<LemmaCard>& cards, cardstore::Table& table);

// The Reader's state as the set keeps it and as the text knows it: the places it may keep, the choice of glosses
// (the default where none was made), and a place in the text and back.
cardstore::ReadingStore::PlaceCheck placeCheck(const nttext::ReadingText& reading);
GlossRule glossRuleOf(const cardstore::ReadingState& state);
std::optional<nttext::TextPlace> textPlace(const nttext::ReadingText& reading, const cardstore::ReadingPlace& place);
cardstore::ReadingPlace storedPlace(const nttext::ReadingText& reading, const nttext::TextPlace& place);

} // namespace learning
