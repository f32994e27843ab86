#pragma once

#include "bookcoverage.h"
#include "clock.h"
#include "knownhistory.h"
#include "progress.h"
#include "studysettings.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace cardstore {
struct CardMemory;
struct ReviewEntry;
class StudyStore;
class Table;
} // namespace cardstore

namespace nttext {
class ReadingText;
class Text;
} // namespace nttext

namespace learning {

// A card of the open set as studying shows it.
struct StudyCard
{
    std::int64_t key = 0;
    std::string greek;
    std::string english;
    std::string frequency; // as the set writes it
    std::int64_t occurrences = 0; // the frequency as a count of words, 0 when there is none
    int lemma = -1; // the text's lemma the Greek side names, -1 when it names none
    bool lemmaThroughForm = false; // the side is a form of the lemma (δεῖ of δέω) rather than the lemma itself
};

// The set a table has open as studying reads it, once: its cards in their primary order, each card's memory (as the
// set's study store keeps them), the study settings, and the figures of the Progress window worked out from them.
// No queue: the Progress window and karte-progress read their figures through this alone, the Study window through
// StudySession, which adds the day's queue and the answers. The table must stay open, on the same set, for its
// life; its cursor is never moved. Time comes from clock; text, when there is one, gives the study by book and the
// word counts of the New Testament; reading, the text word by word, the study of a chapter.
class StudySet
{
public:
    // Raises the engine's error for study progress it cannot read (damaged tables); rows it left out are told in
    // resetMessages().
    StudySet(cardstore::Table& table, const Clock& clock, const nttext::Text* text,
        const nttext::ReadingText* reading = nullptr);
    ~StudySet();
    StudySet(const StudySet&) = delete;
    StudySet& operator=(const StudySet&) = delete;

    // false: answers are taken but not kept (a set that cannot be written).
    bool canSave() const;
    const std::vector<std::string>& resetMessages() const;
    // The same as far as the log has been looked over so far (by a HistoryCount reading it in parts): reads
    // nothing more, so that a window need not wait for a long log.
    const std::vector<std::string>& resetMessagesSoFar() const;
    bool isProtected() const { return protected_; }

    const Clock& clock() const { return clock_; }
    const StudySettings& settings() const { return settings_; }
    // The book studied as the text's canonical place, when a book is chosen and there is a text.
    std::optional<int> bookIndex() const;
    // The chapter studied as its index in the text for reading, when one is chosen and there is that text.
    std::optional<int> chapterIndex() const;

    // Every card of the set in its primary order, their texts read and lemmas looked up: work in proportion to the
    // set, for the search and the Progress window.
    std::vector<StudyCard> cards() const;
    // One card, its lemma looked up; null when the set has no card with that key.
    const StudyCard* card(std::int64_t key) const;
    std::optional<Memory> memory(std::int64_t key) const;
    // Every card with its memory and frequency, in the set's primary order.
    std::vector<ProgressCard> progressCards() const;

    // The Progress window's figures: over the whole text (the cards' frequencies count its running words).
    SetProgress progress() const;
    // Known words and coverage at the end of each day that had answers, from the review log.
    std::vector<HistoryPoint> history() const;
    // Every answer the set keeps, in time order, for figures that count the cards some other way.
    void visitReviews(const std::function<void(const ReviewLogEntry&)>& visit) const;
    // The chosen book's coverage, when a book is chosen and there is a text.
    std::optional<BookCoverage> bookCoverage() const;

protected:
    friend class HistoryCount;
    cardstore::StudyStore& store() const { return store_; }
    const cardstore::Table& table() const { return table_; }
    const nttext::Text* text() const { return text_; }
    const nttext::ReadingText* reading() const { return reading_; }
    std::size_t size() const { return cards_.size(); }
    std::int64_t keyAt(std::size_t place) const { return cards_[place].key; }
    int lemmaAt(std::size_t place) const;
    // Every card's memory by place in the primary order; none: new.
    std::vector<std::optional<Memory>> memoriesByPlace() const;
    // Each card with a memory, by its place.
    void visitMemories(const std::function<void(std::size_t place, const Memory& memory)>& visit) const;
    // Keeps the settings in the set (when it can be written), each that changed.
    void keepSettings(const StudySettings& settings);
    // The memory an answer left a card in a set that cannot be written, which keeps it for this study alone.
    void rememberUnsaved(std::int64_t key, const Memory& memory);
    // Drops a card another program deleted.
    void forgetCard(std::int64_t key);

private:
    // What is kept of every card. Its texts are read from the table, and its lemma looked up, when first needed: a
    // set of a hundred thousand cards would pay for them at every opening of the Study window, which needs only the
    // cards it shows.
    struct CardEntry
    {
        std::int64_t key;
        std::int64_t occurrences;
        int lemma; // kNotReadYet until looked up
        bool lemmaThroughForm;
    };
    static constexpr int kNotReadYet = -2;

    void loadCards();
    // Finds each card's place by its key again, after the cards changed.
    void placeKeys();
    StudyCard read(std::size_t place) const;
    std::optional<std::size_t> placeOf(std::int64_t key) const;

    const cardstore::Table& table_;
    cardstore::StudyStore& store_;
    const Clock& clock_;
    const nttext::Text* text_;
    const nttext::ReadingText* reading_;
    bool protected_;
    StudySettings settings_;
    mutable std::vector<CardEntry> cards_; // in the set's primary order
    mutable std::unordered_map<std::size_t, StudyCard> shown_; // the cards read so far, by place
    int greekField_ = -1;
    int englishField_ = -1;
    int frequencyField_ = -1;
    // The place in cards_ of each key from lowestKey_ on, when the keys lie close together, as the row ids of a set
    // do: no sorting and no hashing. Otherwise (key, place) pairs by key.
    static constexpr std::uint32_t kNoPlace = UINT32_MAX;
    std::int64_t lowestKey_ = 0;
    std::vector<std::uint32_t> placeByKey_;
    std::vector<std::pair<std::int64_t, std::size_t>> placeOfKey_;
    // The memories answers left in a set that cannot be written, by key; none: the card is new again.
    std::unordered_map<std::int64_t, std::optional<Memory>> unsaved_;
};

// A card's memory as the set keeps it, in the study core's terms (sanitized()).
Memory memoryOf(const cardstore::CardMemory& stored);
// An answer as the set's log keeps it, in the study core's terms.
ReviewLogEntry logEntryOf(const cardstore::ReviewEntry& entry);

} // namespace learning
