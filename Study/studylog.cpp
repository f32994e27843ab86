// The Study window looks the set's log over between events: damage is told once found, and the days before today
// are counted and kept in the set, so that the next opening of either window reads only the answers since.
#include "tstudyform.h"

#include "historycount.h"
#include "studysession.h"

void TStudyForm::startLookingOverLog()
{
    logCount_.reset();
    // The count itself is set up in the first turn, after the first card is on the screen.
    if (session_)
        logTimer_.start();
}

bool TStudyForm::lookingOverLog() const
{
    return logTimer_.isActive() || logCount_;
}

void TStudyForm::lookOverLogPart()
{
    if (!session_)
        return;
    if (!logCount_)
        logCount_ = std::make_unique<learning::HistoryCount>(*session_);
    if (!logCount_->step(learning::HistoryCount::kAnswersPerTurn)) {
        // What is known so far (a set that cannot be written, the memories' damage) is told meanwhile.
        showNote();
        logTimer_.start();
        return;
    }
    const std::unique_ptr<learning::HistoryCount> count = std::move(logCount_);
    showNote();
    count->keep();
}
