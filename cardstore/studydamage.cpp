// What the study store leaves out of a set's progress when it opens, and how it tells the user.
#include "sqlitedb.h"
#include "studyschema.h"
#include "studystore.h"

#include <algorithm>

namespace cardstore {

namespace {

struct Tally
{
    const char* problem;
    std::size_t count = 0;
    std::vector<std::int64_t> examples;
};

void note(std::vector<Tally>& tallies, const char* problem, std::int64_t key)
{
    auto found = std::find_if(
        tallies.begin(), tallies.end(), [&](const Tally& tally) { return std::string(tally.problem) == problem; });
    if (found == tallies.end())
        found = tallies.insert(tallies.end(), Tally { problem, 0, {} });
    ++found->count;
    if (found->examples.size() < 5)
        found->examples.push_back(key);
}

// "The progress of 2 cards had an unknown state (cards 4, 9); they are studied as new again."
std::string sentence(const Tally& tally, const std::string& subject, const char* item, const char* outcome)
{
    bool many = tally.count > 1;
    std::string keys;
    for (std::int64_t key : tally.examples)
        keys += (keys.empty() ? "" : ", ") + std::to_string(key);
    if (tally.count > tally.examples.size())
        keys += ", …";
    return subject + " had " + tally.problem + " (" + item + (many ? "s " : " ") + keys + "); "
        + (many ? "they are " : "it is ") + outcome + ".";
}

} // namespace

void StudyStore::findMemoryDamage(std::vector<std::int64_t> cards) const
{
    if (cards.empty()) {
        auto cardQuery = connection_.prepare("SELECT id FROM cards ORDER BY id");
        while (cardQuery.step())
            cards.push_back(cardQuery.columnInt(0));
    }
    auto known = [&](std::int64_t key) { return std::binary_search(cards.begin(), cards.end(), key); };

    std::vector<Tally> memories;
    std::vector<CardMemory>& sound = memories_;
    sound.clear();
    auto memoryQuery = connection_.prepare(
        std::string("SELECT card, ") + studyschema::kMemoryColumns + " FROM karte_study_memory ORDER BY card");
    CardMemory memory;
    while (memoryQuery.step()) {
        memory.cardKey = memoryQuery.columnInt(0);
        const char* problem = studyschema::readMemory(memoryQuery, 1, memory);
        if (!problem && !known(memory.cardKey))
            problem = studyschema::kNoSuchCard;
        if (problem) {
            resetCards_.push_back(memory.cardKey);
            note(memories, problem, memory.cardKey);
        } else {
            sound.push_back(memory);
        }
    }
    for (const Tally& tally : memories)
        memoryMessages_.push_back(
            sentence(tally, "The progress of " + std::to_string(tally.count) + (tally.count > 1 ? " cards" : " card"),
                "card", "studied as new again"));
}

void StudyStore::findLogDamage() const
{
    if (!logLookedOver_)
        lookOverLog(nullptr);
}

void StudyStore::lookOverLog(const std::function<void(const ReviewEntry&)>* visit) const
{
    logLookedOver_ = true;
    if (!studyschema::present(connection_))
        return;
    std::vector<Tally> answers;
    auto logQuery = connection_.prepare(std::string("SELECT ") + studyschema::kEntryColumns
        + ", EXISTS (SELECT 1 FROM cards WHERE id = karte_study_log.card), " + studyschema::kHasMemory
        + " FROM karte_study_log ORDER BY reviewed, id");
    ReviewEntry entry;
    while (logQuery.step()) {
        const char* problem = studyschema::readEntry(logQuery, entry);
        if (!problem && logQuery.columnInt(13) == 0)
            problem = studyschema::kNoSuchCard;
        // The card's memory is what its answers led to: answers beside none (or beside one left out) would count
        // the card as known over time while it is new now.
        if (!problem && (logQuery.columnInt(14) == 0 || excludedMemory(entry.cardKey)))
            problem = studyschema::kNoMemory;
        if (problem) {
            resetAnswers_.push_back(entry.id);
            note(answers, problem, entry.id);
        } else if (visit) {
            (*visit)(entry);
        }
    }
    std::sort(resetAnswers_.begin(), resetAnswers_.end());
    for (const Tally& tally : answers)
        logMessages_.push_back(
            sentence(tally, std::to_string(tally.count) + (tally.count > 1 ? " recorded answers" : " recorded answer"),
                "answer", "left out"));
}

} // namespace cardstore
