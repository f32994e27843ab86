#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace nttext {

class Text;

// A card as the search sees it: its key in its set and its Greek side, and the text's lemma the side names when the
// caller has matched it already (Text::lemmaOfCard; -1 for none).
struct SearchCard
{
    std::string key;
    std::string greek;
    std::optional<int> lemma = std::nullopt;
};

// How a card matched, best first.
enum class MatchKind {
    Exact, // the card's lemma as typed, accents and all (case and grave for acute aside)
    Spelling, // the same word in another spelling: without accents, in Latin letters ("logos")
    Form, // the query is an inflected form of the card's lemma in the text ("λόγον", "logon")
    Prefix, // the card's lemma begins with the query's letters
};

struct SearchHit
{
    int card = 0; // place in the cards given
    MatchKind kind = MatchKind::Exact;
};

// Finds the cards of a set by any spelling a learner types (see searchSpelling): a card is known by its
// lemma (lemmaKey of its Greek side), a query by its first word. Built once per set; a query then costs a
// binary search and the hits.
class CardSearch
{
public:
    // With text, queries that are inflected forms of the text find their lemma's cards as well.
    explicit CardSearch(std::vector<SearchCard> cards, const Text* text = nullptr);

    // The cards that match, the surest first: the card spelled as typed, then the cards of the lemmas the text
    // gives for the query in their order (Text::visitLemmasOfWord; a form typed with its accents before a lemma
    // typed without them), cards with the query's letters coming with the lemmas so matched and cards spelled the
    // same in Latin letters with the lemmas so matched, then prefixes (shorter lemmas first); where nothing else
    // tells, in the order the cards were given. At most limit hits.
    std::vector<SearchHit> find(std::string_view query, std::size_t limit = 50) const;

    const SearchCard& card(int index) const { return cards_[static_cast<std::size_t>(index)]; }
    std::size_t size() const { return cards_.size(); }

private:
    struct Entry
    {
        std::string spelling;
        int card;
    };

    std::vector<SearchCard> cards_;
    std::vector<Entry> entries_; // by spelling, then card
    std::unordered_map<int, std::vector<int>> cardsOfLemma_; // the text's lemma id → cards
    const Text* text_;
};

} // namespace nttext
