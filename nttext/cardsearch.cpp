#include "cardsearch.h"

#include "spelling.h"
#include "text.h"

#include <algorithm>
#include <unordered_set>

namespace nttext {

CardSearch::CardSearch(std::vector<SearchCard> cards, const Text* text)
    : cards_(std::move(cards))
    , text_(text)
{
    entries_.reserve(cards_.size());
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        std::string lemma = lemmaKey(cards_[i].greek);
        if (text_)
            if (std::optional<int> id = text_->findLemma(lemma))
                cardsOfLemma_[*id].push_back(static_cast<int>(i));
        entries_.push_back({ searchSpelling(lemma), static_cast<int>(i) });
    }
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return a.spelling != b.spelling ? a.spelling < b.spelling : a.card < b.card;
    });
    // Worked out here rather than in the first query, which the learner waits for.
    if (text_)
        text_->lemmasBySpelling();
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
    std::string typed = formKey(word);
    for (auto entry = first; entry != last; ++entry)
        if (formKey(lemmaKey(cards_[static_cast<std::size_t>(entry->card)].greek)) == typed)
            take(entry->card, MatchKind::Exact);
    for (auto entry = first; entry != last; ++entry)
        take(entry->card, MatchKind::Spelling);

    if (text_) {
        std::vector<int> lemmas = text_->lemmasOfForm(word);
        const auto& bySpelling = text_->lemmasBySpelling();
        if (auto found = bySpelling.find(spelling); found != bySpelling.end())
            lemmas.insert(lemmas.end(), found->second.begin(), found->second.end());
        for (int lemma : lemmas)
            if (auto cards = cardsOfLemma_.find(lemma); cards != cardsOfLemma_.end())
                for (int card : cards->second)
                    take(card, MatchKind::Form);
    }

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
