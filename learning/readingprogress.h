#pragma once

#include "memory.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace learning {

// A card of the open set as the reader needs it: the lemma of the text its Greek side names (-1 for none) and its
// memory (none: never studied).
struct LemmaCard
{
    std::int64_t key = 0;
    int lemma = -1;
    std::optional<Memory> memory;
};

// What the learner's progress says of a word, from the least to the most.
enum class WordProgress {
    NoCard, // the set has no card for it
    New,
    Learning, // learning or relearning
    Review, // in review, but recalled now with less than 90% probability
    Known, // in review and recalled now with at least 90% probability (isKnown())
};

struct LemmaProgress
{
    WordProgress progress = WordProgress::NoCard;
    std::int64_t card = 0; // the card that says so; 0 when there is none
    std::int64_t dueMs = 0; // when that card is due next, for cards studied
};

// The learner's progress by lemma, now: a lemma goes by its card furthest along (of two as far, the first in the
// set's order), so a lemma is known when any card naming it is; a lemma the set has no card for is not known. The
// Reader asks it of every word it shows, so it is a plain table by lemma id.
class LemmaKnowledge
{
public:
    LemmaKnowledge() = default;
    // cards in the set's order; lemmas at or above lemmaCount are passed over.
    LemmaKnowledge(std::span<const LemmaCard> cards, int lemmaCount, std::int64_t nowMs);

    int lemmaCount() const { return static_cast<int>(lemmas_.size()); }
    const LemmaProgress& progress(int lemma) const { return lemmas_[static_cast<std::size_t>(lemma)]; }
    bool known(int lemma) const { return progress(lemma).progress == WordProgress::Known; }
    bool inSet(int lemma) const { return progress(lemma).progress != WordProgress::NoCard; }
    int knownLemmas() const { return knownLemmas_; }

private:
    std::vector<LemmaProgress> lemmas_;
    int knownLemmas_ = 0;
};

} // namespace learning
