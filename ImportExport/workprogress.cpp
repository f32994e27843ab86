#include "workprogress.h"

#include <QCoreApplication>
#include <QWidget>

#include <algorithm>

namespace karte {

namespace {

// The bar's steps in each phase: fine enough to move smoothly, and each step lets the windows repaint once.
constexpr int kStepsPerPhase = 1000;
constexpr int kShowAfterMs = 500;

WorkProgress::StepObserver& stepObserver()
{
    static WorkProgress::StepObserver observer;
    return observer;
}

} // namespace

WorkProgress::WorkProgress(QWidget* parent, const QString& title, std::vector<interchange::Phase> phases)
    : dialog_(parent)
    , phases_(std::move(phases))
{
    dialog_.setWindowTitle(title);
    dialog_.setAccessibleName(title);
    dialog_.setCancelButtonText(QStringLiteral("Cancel"));
    dialog_.setWindowModality(Qt::ApplicationModal);
    // The bar runs across all the phases; it must neither hide nor start again at the end of one.
    dialog_.setAutoReset(false);
    dialog_.setAutoClose(false);
    dialog_.setRange(0, kStepsPerPhase * static_cast<int>(std::max<std::size_t>(phases_.size(), 1)));
    dialog_.setMinimumDuration(kShowAfterMs);
    // The half second is counted from here.
    dialog_.setValue(0);
}

WorkProgress::~WorkProgress() = default;

void WorkProgress::setPhaseText(interchange::Phase phase, const QString& text)
{
    texts_[phase] = text;
}

void WorkProgress::beginPhase(interchange::Phase phase)
{
    step(phase, 0, 1);
    // The bar stands where the last phase ended, so nothing has shown the new line yet.
    if (dialog_.isVisible())
        QCoreApplication::processEvents();
}

interchange::Progress WorkProgress::callback()
{
    return
        [this](interchange::Phase phase, std::uint64_t done, std::uint64_t total) { return step(phase, done, total); };
}

void WorkProgress::setStepObserver(StepObserver observer)
{
    stepObserver() = std::move(observer);
}

bool WorkProgress::step(interchange::Phase phase, std::uint64_t done, std::uint64_t total)
{
    const auto it = std::find(phases_.begin(), phases_.end(), phase);
    const int index = it == phases_.end() ? 0 : static_cast<int>(it - phases_.begin());
    if (const QString& text = texts_[phase]; dialog_.labelText() != text)
        dialog_.setLabelText(text);
    const std::uint64_t part = total ? std::min(done, total) * kStepsPerPhase / total : 0;
    // Once the dialog shows, a new value repaints the windows and takes the user's clicks (a modal progress
    // dialog handles the events when its value changes); until then, a value past half a second shows it.
    dialog_.setValue(index * kStepsPerPhase + static_cast<int>(part));
    if (stepObserver())
        stepObserver()(dialog_, phase);
    return !dialog_.wasCanceled();
}

} // namespace karte
