#pragma once

#include "answerjournal.h"
#include "studyrecords.h"

#include "sqlitedb.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace cardstore {

class CardFile;
class ProtectedFile;

// Keys of the study settings kept in a set, read by the study window and the scheduler alike.
namespace studysetting {
inline constexpr const char* kDesiredRetention = "desired-retention"; // "0.9"
inline constexpr const char* kDailyNewCards = "daily-new-cards"; // "20"
inline constexpr const char* kFirstSide = "first-side"; // "greek" or "english"
inline constexpr const char* kBook = "book";
inline constexpr const char* kReadAloud = "read-aloud"; // "yes" or "no"
inline constexpr const char* kPronunciation = "pronunciation"; // "erasmian" or "modern"
inline constexpr const char* kSpeechSpeed = "speech-speed"; // "100", percent of the voice's normal speed
inline constexpr const char* kChapter = "chapter"; // "3": with a book, one chapter of it; "0" for the whole book
} // namespace studysetting

// The learner's progress on a card set, kept in the set's file beside the cards: a memory for each card answered
// and a log of every answer, with the set's study settings. Its writes go through the set's own connection, each
// one transaction synced as card writes are, and never notify the table's listeners nor count as a change for
// its refresh. Reached through Table::study(); it lives until the table closes.
//
// A set that was never studied has none of the tables; the first answer or setting makes them in its own
// transaction. Damage to their shape raises the damaged error when the store opens; rows with values no answer
// can leave (an unknown state, a stability or a time outside what the program writes, a difficulty outside 1 to
// 10, the key of no card, answers to a card whose memory is missing...) are left out, their cards studied as new,
// and reported in resetMessages(); the first write then deletes them. Nothing is written to the set while the store
// opens.
//
// A protected set is sealed whole into its file on every write, so its answers are sealed in batches: once
// kSealAfterAnswers answers wait, or kSealAfterMs have passed since the first of them (checked by sealIfDue(), which
// the window calls from a timer), at any other write to the set, and when the table closes. Until then each is kept
// in the program's encrypted answer journal beside the set (answerjournal.h), synced before recordAnswer returns, so
// that an answer costs an append and not the sealing of the whole set; the journal goes once they are sealed. A store
// opening a protected set for writing takes in the journals of programs that were killed first: their answers
// wait to be sealed with its own. A journal that cannot be read with the set's key raises the damaged error.
// Should another program replace the file meanwhile, its version is taken in (as for card writes) and the answers
// not yet sealed are made again on top of it; an answer to a card that version no longer holds is dropped.
class StudyStore
{
public:
    static constexpr std::size_t kSealAfterAnswers = 20;
    static constexpr std::int64_t kSealAfterMs = 30'000;

    // cardKeys: the keys of the set's cards, ascending, when the caller holds them already (a table does); read from
    // the file otherwise.
    explicit StudyStore(CardFile& file, std::vector<std::int64_t> cardKeys = {});
    ~StudyStore();
    StudyStore(const StudyStore&) = delete;
    StudyStore& operator=(const StudyStore&) = delete;

    // false for a set opened read-only or whose file may not be written: it can be studied, but every write
    // raises the read-only error and leaves the file alone.
    bool canSave() const;
    // What was left out when the store opened, in sentences the window can show; empty for sound progress.
    const std::vector<std::string>& resetMessages() const;

    // The memory of every card answered, by card key: read when the store opens (the memories left out as damaged
    // aside) and kept, following the store's own writes and the cards the table deletes, and read again once
    // another program has changed the file.
    const std::vector<CardMemory>& memories() const;
    // One card's memory as memories() last read it; null for a card never answered.
    const CardMemory* memory(std::int64_t cardKey) const;
    // A copy of memories().
    std::vector<CardMemory> loadMemories() const;
    // The table deleted the card, and its progress with it (studyschema::removeCard).
    void cardRemoved(std::int64_t cardKey);

    // Records an answer: the card's memory becomes answer.after (whose cardKey is taken from answer) and the
    // answer goes into the log, in one transaction. Returns the log entry's id. Values no answer can leave raise
    // an error and nothing is written; so does a card that is no longer in the file.
    std::int64_t recordAnswer(const ReviewEntry& answer);
    // Takes back the answer to the card cardKey that recordAnswer gave the id: its log entry goes, and the card's
    // memory becomes restored, the memory it had before the answer (none: the card is new again). Returns the answer
    // taken back; nothing, and nothing changed, when the log no longer holds it (its card was deleted).
    std::optional<ReviewEntry> undoAnswer(
        std::int64_t id, std::int64_t cardKey, const std::optional<CardMemory>& restored);

    // Every answer in time order, read as it goes rather than loaded at once. visit must not write to the store.
    void visitReviews(const std::function<void(const ReviewEntry&)>& visit) const;
    // The last count answers in time order, the newest last.
    std::vector<ReviewEntry> lastReviews(std::size_t count) const;
    // The answers given at or after sinceMs, in time order, each with the state its card was in before it.
    std::vector<ReviewEntry> reviewsSince(std::int64_t sinceMs) const;

    // Where a look over the log in time order has come to, from a time on, to go on from there.
    class LogPlace
    {
    public:
        explicit LogPlace(std::int64_t sinceMs = INT64_MIN)
            : sinceMs_(sinceMs)
        {
        }
        std::int64_t sinceMs() const { return sinceMs_; }

    private:
        friend class StudyStore;
        std::int64_t sinceMs_;
        sqlite::ColumnValue last_; // the time of the last answer read, as the file holds it
        std::int64_t lastId_ = 0;
        bool finished_ = false;
    };
    // Reads up to count answers from place on in time order, each looked over as the first full read of the log
    // looks them over (what the program never writes is left out and told in resetMessages()), and hands the sound
    // ones to visit, which must not write to the store. Returns false once the log's end is reached. A window reads
    // the log this way a part at a time, between events.
    bool lookOverLog(LogPlace& place, std::size_t count, const std::function<void(const ReviewEntry&)>& visit) const;
    // How many answers the log holds at or after sinceMs, counting no further than limit.
    std::size_t countAnswersSince(std::int64_t sinceMs, std::size_t limit) const;
    // The card's answer before the one with the given id, in the log's order: *previous is none when there is none.
    // false when that answer holds what the program never writes.
    bool answerBefore(std::int64_t cardKey, std::int64_t id, std::optional<ReviewEntry>& previous) const;
    // What was left out, as far as the memories and the log have been looked over so far: reads nothing more.
    const std::vector<std::string>& resetMessagesSoFar() const;

    // The days the set keeps summarized (karte_study_days), in time order: every answer before the end of the last
    // is in them. None for a set that keeps none; none either, and named in resetMessages(), for days holding values
    // the program never writes: they are counted again from the log and put right by the next keepDays().
    std::vector<StudyDay> keptDays() const;
    // Whether the set has days kept, whether they can be used or not.
    bool keepsDays() const;
    // The end of the last day kept (days are taken as 24 hours), before which the log is summarized; none when the
    // set keeps no sound days.
    std::optional<std::int64_t> daysKeptBeforeMs() const;
    // Starts watching the log for what would make days counted from it wrong before they are kept: an answer added
    // or taken back at an earlier time than the days end, a card deleted, another program's write.
    void watchLog();
    // Keeps days in place of those kept from fromMs on (INT64_MIN: all of them), in one transaction, with the rows
    // the log was found to hold that the program never writes deleted: a protected set's wait in memory to be
    // sealed with the answers, or when the set closes. The days end before untilMs. false, and nothing written,
    // when the log changed before untilMs since watchLog() or the kept days no longer end at fromMs; nothing either
    // for a set that cannot be written.
    bool keepDays(const std::vector<StudyDay>& days, std::int64_t fromMs, std::int64_t untilMs);

    std::optional<std::string> setting(const std::string& key) const;
    void setSetting(const std::string& key, const std::string& value);

    // Whether answers to a protected set are not yet sealed into its file (they are in the database in memory and in
    // the journal).
    bool hasUnsealedAnswers() const;
    // Seals them if there are enough of them or they have waited long enough.
    void sealIfDue();
    // Seals them now. Nothing to do for a plain set, whose answers are in the file when recordAnswer returns.
    void seal();
    // Milliseconds of a steady clock, for the time answers wait to be sealed; tests put in their own.
    void setClock(std::function<std::int64_t()> nowMs);

    // What a look-over found left out of one kind, with a few of the keys, for the sentence that tells it.
    struct Tally
    {
        const char* problem;
        std::size_t count = 0;
        std::vector<std::int64_t> examples;
    };

private:
    // The memories are looked over when the store opens, the log (twice as long, and not needed to show the first
    // card) when it is first read in full, or its damage asked for: the answers the days kept summarize were looked
    // over when they were summarized, so only those since are read then. onlyWhenQuick: not when it would read the
    // whole log.
    void findMemoryDamage(std::vector<std::int64_t> cards) const;
    void findLogDamage(bool onlyWhenQuick = false) const;
    // An answer at atMs was added or taken back, or deleted: the days kept from it on go, and keepDays() is told.
    void answersChangedAt(std::int64_t atMs);
    void requireSaving() const;
    void write(const std::function<void()>& body, bool sealNow);
    // Puts the answer into the log and its memory in place; false when the card is not in the file. keepId: under
    // the id entry has when no other answer has it.
    bool insertAnswer(ReviewEntry& entry, bool keepId = false);
    void insertLogEntry(ReviewEntry& entry, bool keepId);
    // Sets the card's memory; none deletes it, making the card new. The memories kept follow once the transaction
    // is committed.
    void putMemory(std::int64_t cardKey, const std::optional<CardMemory>& memory);
    void keepPutMemories();
    void deleteResetRows();
    void forgetSealedAnswers();
    void reapplyUnsealed();
    // An answer or undo of a protected set, kept in the journal only, goes onto the set as it is on disk and under
    // the key it has now: another program's version of the file (a card edited, a new password) is taken in first,
    // as a seal would take it in.
    void takeInReplacedFile();
    // The journal's part of an answer or undo of a protected set, within its transaction.
    void journal(const JournalRecord& record);
    void takeInStaleJournals();
    void replay(const JournalRecord& record, std::vector<ReviewEntry>& answers);
    bool excludedMemory(std::int64_t cardKey) const;
    bool excludedAnswer(std::int64_t id) const;
    // checked: each row read with every check, for a read that comes before the log was looked over.
    void visitEntries(
        sqlite::Statement& query, const std::function<void(const ReviewEntry&)>& visit, bool checked = false) const;

    CardFile& file_;
    sqlite::Connection& connection_;
    ProtectedFile* protected_;
    mutable std::vector<std::int64_t> resetCards_; // sorted
    mutable std::vector<std::int64_t> resetAnswers_; // sorted
    mutable std::vector<std::string> memoryMessages_;
    mutable std::vector<std::string> logMessages_;
    mutable std::vector<Tally> logTallies_; // of a look-over under way
    mutable std::string daysMessage_;
    mutable std::vector<std::string> resetMessages_; // all of them
    mutable bool logLookedOver_ = false;
    // The sound memories by card key, and the file's data version when they were read (another program's writes
    // change it); stale once a protected set's database was replaced.
    mutable std::vector<CardMemory> memories_;
    mutable std::int64_t memoriesVersion_ = 0;
    mutable bool memoriesStale_ = false;
    // The memories a write put or deleted, kept once it is committed.
    std::vector<std::pair<std::int64_t, std::optional<CardMemory>>> putMemories_;
    std::vector<ReviewEntry> unsealed_;
    std::unique_ptr<AnswerJournal> journal_;
    std::vector<StaleJournal> takenIn_; // journals of killed programs whose answers wait among unsealed_
    std::int64_t journalKeyChanges_ = 0;
    // Answers that another program's version of the file made again under a new id, by the id they had.
    std::map<std::int64_t, std::int64_t> renumbered_;
    std::int64_t writeCountOfUnsealed_ = 0;
    // What watchLog() notes: the earliest time of an answer changed since, and the file's data version then.
    std::int64_t earliestChangeMs_ = INT64_MAX;
    std::int64_t watchedVersion_ = 0;
    bool daysUnsealed_ = false; // days kept in a protected set's database, not yet in its file
    std::int64_t firstUnsealedMs_ = 0;
    std::function<std::int64_t()> clock_;
};

} // namespace cardstore
