#include "studystore.h"

#include "cardfile.h"
#include "errors.h"
#include "protectedfile.h"
#include "sqlitedb.h"
#include "studyschema.h"
#include "writetransaction.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>

namespace cardstore {

namespace {

std::int64_t steadyMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

[[noreturn]] void refuseAnswer(const std::string& problem)
{
    throw DatabaseError(status::kDataset, "The answer cannot be saved: it has " + problem);
}

} // namespace

StudyStore::StudyStore(CardFile& file, std::vector<std::int64_t> cardKeys)
    : file_(file)
    , connection_(file.connection())
    , protected_(file.protectedFile())
    , clock_(steadyMilliseconds)
{
    if (protected_ && canSave())
        takeInStaleJournals();
    putMemories_.clear();
    memoriesVersion_ = protected_ ? 0 : connection_.dataVersion();
    // A summary of another shape is damage to the progress, as the other tables' would be.
    studyschema::daysPresent(connection_);
    if (studyschema::present(connection_))
        findMemoryDamage(std::move(cardKeys));
    else
        logLookedOver_ = true;
    if (protected_)
        protected_->setAfterReload([this](sqlite::Connection&) { reapplyUnsealed(); });
}

StudyStore::~StudyStore()
{
    if (protected_) {
        protected_->setAfterReload(nullptr);
        // A journal whose answers were sealed goes; one whose answers were not is left for the next opening.
        forgetSealedAnswers();
    }
}

bool StudyStore::canSave() const
{
    return !file_.readOnly();
}

void StudyStore::requireSaving() const
{
    if (!canSave())
        raiseDataset(messages::kReadOnly);
}

void StudyStore::setClock(std::function<std::int64_t()> nowMs)
{
    clock_ = std::move(nowMs);
}

bool StudyStore::excludedMemory(std::int64_t cardKey) const
{
    return std::binary_search(resetCards_.begin(), resetCards_.end(), cardKey);
}

bool StudyStore::excludedAnswer(std::int64_t id) const
{
    return std::binary_search(resetAnswers_.begin(), resetAnswers_.end(), id);
}

const std::vector<std::string>& StudyStore::resetMessages() const
{
    findLogDamage();
    return resetMessagesSoFar();
}

const std::vector<std::string>& StudyStore::resetMessagesSoFar() const
{
    memories();
    resetMessages_ = memoryMessages_;
    resetMessages_.insert(resetMessages_.end(), logMessages_.begin(), logMessages_.end());
    if (!daysMessage_.empty())
        resetMessages_.push_back(daysMessage_);
    return resetMessages_;
}

const std::vector<CardMemory>& StudyStore::memories() const
{
    const std::int64_t version = protected_ ? 0 : connection_.dataVersion();
    if (memoriesStale_ || version != memoriesVersion_) {
        // Another program's writes: what was left out is looked for anew.
        memoriesStale_ = false;
        memoriesVersion_ = version;
        resetCards_.clear();
        memoryMessages_.clear();
        memories_.clear();
        if (studyschema::present(connection_))
            findMemoryDamage({});
    }
    return memories_;
}

const CardMemory* StudyStore::memory(std::int64_t cardKey) const
{
    const auto found = std::lower_bound(memories_.begin(), memories_.end(), cardKey,
        [](const CardMemory& memory, std::int64_t key) { return memory.cardKey < key; });
    return found != memories_.end() && found->cardKey == cardKey ? &*found : nullptr;
}

std::vector<CardMemory> StudyStore::loadMemories() const
{
    return memories();
}

void StudyStore::cardRemoved(std::int64_t cardKey)
{
    earliestChangeMs_ = INT64_MIN;
    std::erase_if(memories_, [cardKey](const CardMemory& memory) { return memory.cardKey == cardKey; });
}

void StudyStore::keepPutMemories()
{
    for (const auto& [cardKey, memory] : putMemories_) {
        auto found = std::lower_bound(memories_.begin(), memories_.end(), cardKey,
            [](const CardMemory& kept, std::int64_t key) { return kept.cardKey < key; });
        const bool there = found != memories_.end() && found->cardKey == cardKey;
        if (!memory) {
            if (there)
                memories_.erase(found);
        } else if (there) {
            *found = *memory;
        } else {
            memories_.insert(found, *memory)->cardKey = cardKey;
        }
    }
    putMemories_.clear();
}

// A study write: one transaction on the set's connection. sealNow seals a protected set's database into its file
// with it; without, an answer to a protected set is committed to the database in memory and waits.
void StudyStore::write(const std::function<void()>& body, bool sealNow)
{
    requireSaving();
    forgetSealedAnswers();
    // What the log holds that the program never writes goes with the first write, once it has been looked over;
    // a log not summarized is looked over apart, a part at a time, rather than here, where the learner waits.
    findLogDamage(true);
    memories();
    bool resetting = !resetCards_.empty() || !resetAnswers_.empty();
    putMemories_.clear();
    try {
        writeTransaction(
            connection_,
            [&] {
                if (!studyschema::present(connection_))
                    studyschema::create(connection_);
                if (resetting)
                    deleteResetRows();
                body();
            },
            sealNow ? protected_ : nullptr);
    } catch (...) {
        putMemories_.clear();
        throw;
    }
    keepPutMemories();
    if (resetting) {
        resetCards_.clear();
        resetAnswers_.clear();
    }
}

void StudyStore::deleteResetRows()
{
    auto memory = connection_.prepare("DELETE FROM karte_study_memory WHERE card = ?");
    for (std::int64_t card : resetCards_) {
        memory.bindInt(1, card);
        memory.step();
        memory.reset();
    }
    auto time = connection_.prepare("SELECT reviewed FROM karte_study_log WHERE id = ?");
    auto answer = connection_.prepare("DELETE FROM karte_study_log WHERE id = ?");
    for (std::int64_t id : resetAnswers_) {
        time.bindInt(1, id);
        if (time.step())
            answersChangedAt(time.columnType(0) == SQLITE_INTEGER ? time.columnInt(0) : INT64_MIN);
        time.reset();
        answer.bindInt(1, id);
        answer.step();
        answer.reset();
    }
}

bool StudyStore::insertAnswer(ReviewEntry& entry, bool keepId)
{
    auto card = connection_.prepare("SELECT 1 FROM cards WHERE id = ?");
    card.bindInt(1, entry.cardKey);
    if (!card.step())
        return false;
    insertLogEntry(entry, keepId);
    putMemory(entry.cardKey, entry.after);
    return true;
}

void StudyStore::insertLogEntry(ReviewEntry& entry, bool keepId)
{
    if (keepId) {
        auto taken = connection_.prepare("SELECT 1 FROM karte_study_log WHERE id = ?");
        taken.bindInt(1, entry.id);
        keepId = !taken.step();
    }
    auto log = connection_.prepare(std::string("INSERT INTO karte_study_log (") + studyschema::kEntryColumns
        + ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    if (keepId)
        log.bindInt(1, entry.id);
    log.bindInt(2, entry.cardKey);
    log.bindInt(3, entry.reviewedMs);
    log.bindInt(4, entry.grade);
    log.bindInt(5, entry.durationMs);
    studyschema::bindMemory(log, 6, entry.after);
    log.step();
    entry.id = connection_.lastInsertRowid();
    answersChangedAt(entry.reviewedMs);
}

void StudyStore::putMemory(std::int64_t cardKey, const std::optional<CardMemory>& memory)
{
    putMemories_.emplace_back(cardKey, memory);
    if (!memory) {
        auto forget = connection_.prepare("DELETE FROM karte_study_memory WHERE card = ?");
        forget.bindInt(1, cardKey);
        forget.step();
        return;
    }
    auto put = connection_.prepare(std::string("INSERT OR REPLACE INTO karte_study_memory (card, ")
        + studyschema::kMemoryColumns + ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    put.bindInt(1, cardKey);
    studyschema::bindMemory(put, 2, *memory);
    put.step();
}

std::int64_t StudyStore::recordAnswer(const ReviewEntry& answer)
{
    ReviewEntry entry = answer;
    entry.after.cardKey = entry.cardKey;
    if (const char* problem = studyschema::entryProblem(entry))
        refuseAnswer(problem);
    if (const char* problem = studyschema::memoryProblem(entry.after))
        refuseAnswer(problem);
    takeInReplacedFile();
    write(
        [&] {
            if (!insertAnswer(entry))
                throw DatabaseError::fromStatus(status::kRecordDeleted, { "File: " + connection_.path() });
            if (protected_)
                journal({ JournalRecord::Kind::Answer, entry, std::nullopt });
        },
        false);
    if (protected_) {
        if (unsealed_.empty())
            firstUnsealedMs_ = clock_();
        unsealed_.push_back(entry);
    }
    return entry.id;
}

std::optional<ReviewEntry> StudyStore::undoAnswer(
    std::int64_t id, std::int64_t cardKey, const std::optional<CardMemory>& restored)
{
    requireSaving();
    if (restored)
        if (const char* problem = studyschema::memoryProblem(*restored))
            refuseAnswer(problem);
    takeInReplacedFile();
    forgetSealedAnswers();
    if (const auto found = renumbered_.find(id); found != renumbered_.end())
        id = found->second;
    std::optional<ReviewEntry> undone;
    if (!studyschema::present(connection_))
        return undone;
    // An answer not yet sealed is taken back in the database and the journal; a sealed one is sealed away at once.
    const auto waiting = [&] {
        return std::find_if(
            unsealed_.begin(), unsealed_.end(), [id](const ReviewEntry& entry) { return entry.id == id; });
    };
    const bool undoingUnsealed = waiting() != unsealed_.end();
    write(
        [&] {
            auto answer = connection_.prepare(std::string("SELECT ") + studyschema::kEntryColumns
                + " FROM karte_study_log WHERE id = ? AND card = ?");
            answer.bindInt(1, id);
            answer.bindInt(2, cardKey);
            if (id == 0 || !answer.step())
                return;
            ReviewEntry entry;
            studyschema::readEntry(answer, entry, studyschema::Reading::Quick);
            auto remove = connection_.prepare("DELETE FROM karte_study_log WHERE id = ?");
            remove.bindInt(1, id);
            remove.step();
            answersChangedAt(entry.reviewedMs);
            std::optional<CardMemory> memory = restored;
            if (memory)
                memory->cardKey = entry.cardKey;
            putMemory(entry.cardKey, memory);
            if (protected_ && undoingUnsealed)
                journal({ JournalRecord::Kind::Undo, entry, memory });
            undone = entry;
        },
        !undoingUnsealed);
    if (undone && waiting() != unsealed_.end())
        unsealed_.erase(waiting());
    return undone;
}

void StudyStore::visitEntries(
    sqlite::Statement& query, const std::function<void(const ReviewEntry&)>& visit, bool checked) const
{
    ReviewEntry entry;
    const auto reading = checked ? studyschema::Reading::Checked : studyschema::Reading::Quick;
    while (query.step())
        if (!studyschema::readEntry(query, entry, reading) && !excludedAnswer(entry.id))
            visit(entry);
}

void StudyStore::visitReviews(const std::function<void(const ReviewEntry&)>& visit) const
{
    if (!studyschema::present(connection_))
        return;
    if (!logLookedOver_) {
        // The first full read is the look-over.
        LogPlace place;
        while (lookOverLog(place, SIZE_MAX, visit))
            ;
        return;
    }
    auto query = connection_.prepare(
        std::string("SELECT ") + studyschema::kEntryColumns + " FROM karte_study_log ORDER BY reviewed, id");
    visitEntries(query, visit);
}

std::vector<ReviewEntry> StudyStore::lastReviews(std::size_t count) const
{
    std::vector<ReviewEntry> entries;
    if (!studyschema::present(connection_))
        return entries;
    findLogDamage();
    auto query = connection_.prepare(std::string("SELECT ") + studyschema::kEntryColumns
        + " FROM karte_study_log ORDER BY reviewed DESC, id DESC LIMIT ?");
    query.bindInt(1, static_cast<std::int64_t>(std::min<std::size_t>(count, INT64_MAX)));
    visitEntries(query, [&](const ReviewEntry& entry) { entries.push_back(entry); });
    std::reverse(entries.begin(), entries.end());
    return entries;
}

std::vector<ReviewEntry> StudyStore::reviewsSince(std::int64_t sinceMs) const
{
    std::vector<ReviewEntry> entries;
    if (!studyschema::present(connection_))
        return entries;
    // The state before an answer is what the card's previous answer left: one step back along the card's index.
    auto query = connection_.prepare(std::string("SELECT ") + studyschema::kEntryColumns
        + ", coalesce((SELECT previous.state FROM karte_study_log AS previous WHERE previous.card = "
          "karte_study_log.card AND previous.id < karte_study_log.id ORDER BY previous.id DESC LIMIT 1), 0) "
          "FROM karte_study_log WHERE reviewed >= ? AND "
        + studyschema::kHasMemory + " ORDER BY reviewed, id");
    query.bindInt(1, sinceMs);
    constexpr int kStateBefore = 13;
    // Read row by row with every check, so that the day's answers need not wait for the whole log to be looked over.
    visitEntries(
        query,
        [&](const ReviewEntry& entry) {
            if (excludedMemory(entry.cardKey))
                return;
            entries.push_back(entry);
            entries.back().stateBefore = static_cast<int>(query.columnInt(kStateBefore));
        },
        true);
    return entries;
}

std::optional<std::string> StudyStore::setting(const std::string& key) const
{
    if (!studyschema::present(connection_))
        return std::nullopt;
    auto query = connection_.prepare("SELECT value FROM karte_study_settings WHERE key = ?");
    query.bindText(1, key);
    if (!query.step())
        return std::nullopt;
    return query.columnText(0);
}

void StudyStore::setSetting(const std::string& key, const std::string& value)
{
    write(
        [&] {
            auto statement = connection_.prepare("INSERT OR REPLACE INTO karte_study_settings VALUES (?, ?)");
            statement.bindText(1, key);
            statement.bindText(2, value);
            statement.step();
        },
        true);
}

} // namespace cardstore
