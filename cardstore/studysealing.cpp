// Sealing the answers to a protected set in batches.
#include "protectedfile.h"
#include "sqlitedb.h"
#include "studyschema.h"
#include "studystore.h"
#include "writetransaction.h"

namespace cardstore {

// Any successful write of the file sealed everything the database held, the waiting answers with it.
void StudyStore::forgetSealedAnswers()
{
    if (protected_ && protected_->writeCount() != writeCountOfUnsealed_) {
        unsealed_.clear();
        writeCountOfUnsealed_ = protected_->writeCount();
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
    if (!hasUnsealedAnswers())
        return;
    // A write of the database as it stands: it takes the directory lock, and should another program have
    // replaced the file, takes that version in and the waiting answers are made again on it first.
    ProtectedWrite sealing(protected_, connection_);
    sealing.finish();
    forgetSealedAnswers();
}

// The database now holds another program's version of the file: the waiting answers go on top of it, as card
// writes do. Its progress is its own, so what was found damaged in ours no longer applies.
void StudyStore::reapplyUnsealed()
{
    forgetSealedAnswers();
    resetCards_.clear();
    resetAnswers_.clear();
    logLookedOver_ = true;
    openingMemories_.reset();
    if (unsealed_.empty())
        return;
    std::vector<ReviewEntry> answers = std::move(unsealed_);
    unsealed_.clear();
    writeTransaction(connection_, [&] {
        if (!studyschema::present(connection_))
            studyschema::create(connection_);
        for (ReviewEntry& entry : answers)
            if (insertAnswer(entry))
                unsealed_.push_back(entry);
    });
}

} // namespace cardstore
