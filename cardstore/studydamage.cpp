// What the study store leaves out of a set's progress when it opens, and how it tells the user.
#include "sqlitedb.h"
#include "studyschema.h"
#include "studystore.h"

#include <algorithm>

namespace cardstore {

namespace {

using Tally = StudyStore::Tally;

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

void StudyStore::findLogDamage(bool onlyWhenQuick) const
{
    if (logLookedOver_)
        return;
    // The answers before the days kept summarized were looked over when they were summarized; those since are few.
    const std::optional<std::int64_t> summarized = daysKeptBeforeMs();
    if (onlyWhenQuick && !summarized)
        return;
    LogPlace place(summarized.value_or(INT64_MIN));
    while (lookOverLog(place, SIZE_MAX, {}))
        ;
}

bool StudyStore::lookOverLog(
    LogPlace& place, std::size_t count, const std::function<void(const ReviewEntry&)>& visit) const
{
    if (place.finished_)
        return false;
    if (!studyschema::present(connection_)) {
        place.finished_ = true;
        logLookedOver_ = true;
        return false;
    }
    // From where the last part stopped, in time order: a row value compared as the order sorts it, whatever type a
    // file gave the time.
    auto query = connection_.prepare(std::string("SELECT ") + studyschema::kEntryColumns
        + ", EXISTS (SELECT 1 FROM cards WHERE id = karte_study_log.card), " + studyschema::kHasMemory
        + ", reviewed FROM karte_study_log WHERE " + (place.last_ ? "(reviewed, id) > (?1, ?2)" : "reviewed >= ?3")
        + " ORDER BY reviewed, id LIMIT ?4");
    if (place.last_) {
        query.bindValue(1, place.last_);
        query.bindInt(2, place.lastId_);
    } else {
        query.bindInt(3, place.sinceMs_);
    }
    query.bindInt(4, static_cast<std::int64_t>(std::min<std::size_t>(count, INT64_MAX)));
    std::size_t read = 0;
    ReviewEntry entry;
    const bool noting = !logLookedOver_;
    bool noted = false;
    while (query.step()) {
        ++read;
        const char* problem = studyschema::readEntry(query, entry);
        if (!problem && query.columnInt(13) == 0)
            problem = studyschema::kNoSuchCard;
        // The card's memory is what its answers led to: answers beside none (or beside one left out) would count
        // the card as known over time while it is new now.
        if (!problem && (query.columnInt(14) == 0 || excludedMemory(entry.cardKey)))
            problem = studyschema::kNoMemory;
        if (!problem && excludedAnswer(entry.id))
            problem = "";
        if (problem) {
            if (noting && *problem && !excludedAnswer(entry.id)) {
                resetAnswers_.push_back(entry.id);
                note(logTallies_, problem, entry.id);
                noted = true;
            }
        } else if (visit) {
            visit(entry);
        }
        place.last_ = query.columnValue(15);
        place.lastId_ = query.columnInt(0);
    }
    if (noted)
        std::sort(resetAnswers_.begin(), resetAnswers_.end());
    if (read == count)
        return true;
    place.finished_ = true;
    // The log is looked over once a read reaches its end from its start, or from the days kept summarized on.
    const std::optional<std::int64_t> summarized = daysKeptBeforeMs();
    if (noting && (place.sinceMs_ == INT64_MIN || (summarized && place.sinceMs_ <= *summarized))) {
        logLookedOver_ = true;
        for (const Tally& tally : logTallies_)
            logMessages_.push_back(sentence(tally,
                std::to_string(tally.count) + (tally.count > 1 ? " recorded answers" : " recorded answer"), "answer",
                "left out"));
        logTallies_.clear();
    }
    return false;
}

} // namespace cardstore
