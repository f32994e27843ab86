// Sealing the answers to a protected set in batches, and keeping them in the answer journal until then.
#include "answerjournal.h"
#include "protectedfile.h"
#include "sqlitedb.h"
#include "studyschema.h"
#include "studystore.h"
#include "writetransaction.h"

#include <sodium.h>

#include <algorithm>

namespace cardstore {

namespace {

// The journal key of the open set, wiped when it goes.
class JournalKey
{
public:
    explicit JournalKey(const ProtectedFile& file) { file.journalKey(bytes_); }
    ~JournalKey() { sodium_memzero(bytes_, sizeof bytes_); }
    JournalKey(const JournalKey&) = delete;
    JournalKey& operator=(const JournalKey&) = delete;
    const unsigned char* data() const { return bytes_; }

private:
    unsigned char bytes_[journalformat::kKeySize];
};

// The id of the newest answer in the log exactly like entry (card, time, grade, duration and the memory it left),
// or 0: how a journal tells an answer the set holds already.
std::int64_t sameAnswer(sqlite::Connection& connection, const ReviewEntry& entry)
{
    auto query = connection.prepare("SELECT id FROM karte_study_log WHERE card = ? AND reviewed = ? AND grade = ? AND "
                                    "duration = ? AND state = ? AND step = ? AND stability = ? AND difficulty = ? AND "
                                    "due = ? AND last_review = ? AND reps = ? AND lapses = ? ORDER BY id DESC LIMIT 1");
    query.bindInt(1, entry.cardKey);
    query.bindInt(2, entry.reviewedMs);
    query.bindInt(3, entry.grade);
    query.bindInt(4, entry.durationMs);
    studyschema::bindMemory(query, 5, entry.after);
    return query.step() ? query.columnInt(0) : 0;
}

} // namespace

// Any successful write of the file sealed everything the database held, the waiting answers with it: the journals
// that kept them go.
void StudyStore::forgetSealedAnswers()
{
    if (protected_ && protected_->writeCount() != writeCountOfUnsealed_) {
        unsealed_.clear();
        daysUnsealed_ = false;
        writeCountOfUnsealed_ = protected_->writeCount();
        if (journal_)
            journal_->remove();
        for (StaleJournal& stale : takenIn_)
            stale.remove();
        takenIn_.clear();
    }
}

bool StudyStore::hasUnsealedAnswers() const
{
    return protected_ && !unsealed_.empty() && protected_->writeCount() == writeCountOfUnsealed_;
}

void StudyStore::sealIfDue()
{
    if (hasUnsealedAnswers() && (unsealed_.size() >= kSealAfterAnswers || clock_() - firstUnsealedMs_ >= kSealAfterMs))
        seal();
}

void StudyStore::seal()
{
    forgetSealedAnswers();
    if (!hasUnsealedAnswers() && !daysUnsealed_)
        return;
    // A write of the database as it stands: it takes the directory lock, and should another program have
    // replaced the file, takes that version in and the waiting answers are made again on it first.
    ProtectedWrite sealing(protected_, connection_);
    sealing.finish();
    daysUnsealed_ = false;
    forgetSealedAnswers();
}

void StudyStore::takeInReplacedFile()
{
    if (protected_ && canSave())
        protected_->dataVersion(connection_, false);
}

void StudyStore::journal(const JournalRecord& record)
{
    const JournalKey key(*protected_);
    if (!journal_)
        journal_ = std::make_unique<AnswerJournal>(connection_.path());
    // Another program gave the set a new password: what waits is kept under the new key from now on, which is the
    // one the next opening will have.
    if (journal_->onDisk() && protected_->keyChanges() != journalKeyChanges_) {
        std::vector<JournalRecord> waiting;
        for (const ReviewEntry& entry : unsealed_)
            waiting.push_back({ JournalRecord::Kind::Answer, entry, std::nullopt });
        journal_->rewrite(waiting, key.data());
    }
    journalKeyChanges_ = protected_->keyChanges();
    journal_->append(record, key.data());
}

// The database now holds another program's version of the file: the waiting answers go on top of it, as card
// writes do, under their own ids where that version leaves them free. Its progress is its own, so what was found
// damaged in ours no longer applies.
void StudyStore::reapplyUnsealed()
{
    forgetSealedAnswers();
    resetCards_.clear();
    resetAnswers_.clear();
    logLookedOver_ = true;
    memoriesStale_ = true;
    // Its own days as well, which the ones this program counted cannot be kept over.
    earliestChangeMs_ = INT64_MIN;
    daysUnsealed_ = false;
    putMemories_.clear();
    if (unsealed_.empty())
        return;
    std::vector<ReviewEntry> answers = std::move(unsealed_);
    unsealed_.clear();
    writeTransaction(connection_, [&] {
        if (!studyschema::present(connection_))
            studyschema::create(connection_);
        for (ReviewEntry& entry : answers) {
            const std::int64_t id = entry.id;
            const bool kept = insertAnswer(entry, true);
            // An answer dropped has no id any more (0): an undo of it has nothing to take back.
            const std::int64_t now = kept ? entry.id : 0;
            if (now != id) {
                for (auto& [given, current] : renumbered_)
                    if (current == id)
                        current = now;
                renumbered_[id] = now;
            }
            if (kept)
                unsealed_.push_back(entry);
        }
    });
    putMemories_.clear();
}

// The answers a killed program kept in its journal go into the database, to be sealed with this program's own;
// the journals stay, locked, until they are. Those the set holds already (the program was killed after sealing
// them, before removing its journal) are passed over, as are those to cards the set no longer has.
void StudyStore::takeInStaleJournals()
{
    const JournalKey key(*protected_);
    std::vector<StaleJournal> stale = AnswerJournal::takeStale(connection_.path(), key.data());
    if (stale.empty())
        return;
    std::vector<ReviewEntry> answers;
    writeTransaction(connection_, [&] {
        if (!studyschema::present(connection_))
            studyschema::create(connection_);
        for (const StaleJournal& journal : stale)
            for (const JournalRecord& record : journal.records())
                replay(record, answers);
    });
    writeCountOfUnsealed_ = protected_->writeCount();
    journalKeyChanges_ = protected_->keyChanges();
    if (answers.empty()) {
        for (StaleJournal& journal : stale)
            journal.remove();
        return;
    }
    unsealed_ = std::move(answers);
    firstUnsealedMs_ = clock_();
    takenIn_ = std::move(stale);
}

void StudyStore::replay(const JournalRecord& record, std::vector<ReviewEntry>& answers)
{
    ReviewEntry entry = record.answer;
    const std::int64_t same = sameAnswer(connection_, entry);
    if (record.kind == JournalRecord::Kind::Undo) {
        if (same == 0)
            return;
        auto remove = connection_.prepare("DELETE FROM karte_study_log WHERE id = ?");
        remove.bindInt(1, same);
        remove.step();
        answersChangedAt(entry.reviewedMs);
        putMemory(entry.cardKey, record.restored);
        std::erase_if(answers, [same](const ReviewEntry& answer) { return answer.id == same; });
        return;
    }
    auto card = connection_.prepare("SELECT 1 FROM cards WHERE id = ?");
    card.bindInt(1, entry.cardKey);
    if (same != 0 || !card.step())
        return;
    insertLogEntry(entry, false);
    // A memory left by a later answer (given in another program since) stays.
    auto memory = connection_.prepare("SELECT last_review FROM karte_study_memory WHERE card = ?");
    memory.bindInt(1, entry.cardKey);
    if (!memory.step() || memory.columnInt(0) <= entry.reviewedMs)
        putMemory(entry.cardKey, entry.after);
    answers.push_back(entry);
}

} // namespace cardstore
