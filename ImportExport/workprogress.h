#pragma once

#include "textlayout.h"

#include <QProgressDialog>
#include <QString>

#include <functional>
#include <map>
#include <vector>

class QWidget;

namespace karte {

// The progress bar of long work in the interchange library (an import's reading and writing, an export): a
// progress dialog with a Cancel button that appears only when the work goes on for more than half a second, so
// that quick work shows nothing. It is driven from the work's progress callback. Once it shows, it is modal to the
// whole program and every step lets the windows repaint and the Cancel button be pressed; before that no event is
// handled, so that nothing else can be started in the middle of the work. Cancel makes the callback stop the work,
// which then leaves every file as it was.
class WorkProgress
{
public:
    // The phases the work goes through, in order: the bar runs once across all of them.
    WorkProgress(QWidget* parent, const QString& title, std::vector<interchange::Phase> phases);
    ~WorkProgress();
    WorkProgress(const WorkProgress&) = delete;
    WorkProgress& operator=(const WorkProgress&) = delete;

    // The line above the bar while the work is in this phase ("Reading words.csv...").
    void setPhaseText(interchange::Phase phase, const QString& text);
    // Shows that the work has come to the start of a phase, for work that goes on for a while before it first
    // reports from there.
    void beginPhase(interchange::Phase phase);
    // To hand to the work. It lives as long as this object.
    interchange::Progress callback();

    // Test seam: called at every step of any work, before the dialog is asked whether the user cancelled, so that a
    // test can press Cancel at a phase of its choosing. An empty observer removes it.
    using StepObserver = std::function<void(QProgressDialog& dialog, interchange::Phase phase)>;
    static void setStepObserver(StepObserver observer);

private:
    bool step(interchange::Phase phase, std::uint64_t done, std::uint64_t total);

    QProgressDialog dialog_;
    std::vector<interchange::Phase> phases_;
    std::map<interchange::Phase, QString> texts_;
};

} // namespace karte
