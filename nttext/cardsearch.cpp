#include "cardsearch.h"

#include "spelling.h"
#include "text.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace nttext {

CardSearch::CardSearch(std::vector<SearchCard> cards, const Text* text)
    : cards_(std::move(cards))
    , text_(text)
{
    entries_.reserve(cards_.size());
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        std::string lemma = lemmaKey(cards_[i].greek);
        if (text_) {
            int id = -1;
            if (cards_[i].lemma)
                id = *cards_[i].lemma;
            else if (const std::optional<LemmaMatch> match = text_->matchWord(lemma))
                id = match->lemma;
            if (id >= 0)
                cardsOfLemma_[id].push_back(static_cast<int>(i));
        }
        entries_.push_back({ searchSpelling(lemma), static_cast<int>(i) });
    }
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return a.spelling != b.spelling ? a.spelling < b.spelling : a.card < b.card;
    });
    // Worked out here rather than in the first query, which the learner waits for.
    if (text_)
        text_->prepareForgivingMatches();
}

std::vector<SearchHit> CardSearch::find(std::string_view query, std::size_t limit) const
{
    std::vector<SearchHit> hits;
    std::string word = lemmaKey(query);
    std::string spelling = searchSpelling(word);
    if (spelling.empty() || limit == 0)
        return hits;
    std::unordered_set<int> taken;
    auto take = [&](int card, MatchKind kind) {
        if (hits.size() < limit && taken.insert(card).second)
            hits.push_back({ card, kind });
    };

    auto first = std::lower_bound(entries_.begin(), entries_.end(), spelling,
        [](const Entry& entry, const std::string& value) { return entry.spelling < value; });
    auto last = first;
    while (last != entries_.end() && last->spelling == spelling)
        ++last;
    // Among the cards of the query's Latin spelling, those that are the same by keyOf.
    const auto takeAlike = [&](std::string (*keyOf)(std::string_view), MatchKind kind) {
        const std::string typed = keyOf(word);
        for (auto entry = first; entry != last; ++entry)
            if (keyOf(lemmaKey(cards_[static_cast<std::size_t>(entry->card)].greek)) == typed)
                take(entry->card, kind);
    };
    takeAlike(formKey, MatchKind::Exact);

    // Cards of the query's letters, and then of its Latin spelling, rank with the lemmas the text gives so.
    bool lettersTaken = false;
    const auto takeLetters = [&] {
        if (!std::exchange(lettersTaken, true))
            takeAlike(bareLetters, MatchKind::Spelling);
    };
    bool spellingTaken = false;
    const auto takeSpelling = [&] {
        takeLetters();
        if (std::exchange(spellingTaken, true))
            return;
        for (auto entry = first; entry != last; ++entry)
            take(entry->card, MatchKind::Spelling);
    };
    if (text_)
        text_->visitLemmasOfWord(word, [&](const LemmaMatch& match) {
            if (match.how >= WordMatch::LemmaLetters)
                takeLetters();
            if (match.how >= WordMatch::LemmaSpelling)
                takeSpelling();
            const MatchKind kind = match.throughForm() ? MatchKind::Form : MatchKind::Spelling;
            if (auto cards = cardsOfLemma_.find(match.lemma); cards != cardsOfLemma_.end())
                for (int card : cards->second)
                    take(card, kind);
            return hits.size() < limit;
        });
    takeSpelling();

    std::vector<std::pair<std::size_t, int>> prefixed; // spelling length, card
    for (auto entry = last; entry != entries_.end() && entry->spelling.starts_with(spelling); ++entry)
        if (!taken.count(entry->card))
            prefixed.emplace_back(entry->spelling.size(), entry->card);
    std::size_t wanted = std::min(prefixed.size(), limit - std::min(limit, hits.size()));
    std::partial_sort(prefixed.begin(), prefixed.begin() + static_cast<std::ptrdiff_t>(wanted), prefixed.end());
    for (std::size_t i = 0; i < wanted; ++i)
        take(prefixed[i].second, MatchKind::Prefix);
    return hits;
}

} // namespace nttext
