#pragma once

#include "openings.h"

#include <QTimer>
#include <QWidget>

#include <memory>

namespace Ui {
class TProgressForm;
}
namespace windowtest {
struct FormAccess;
}
namespace learning {
class Clock;
class HistoryCount;
class StudySet;
struct ProgressReport;
} // namespace learning
namespace nttext {
class Text;
}
namespace karte {
class NewTestament;
}

class QChart;
class QChartView;
class TDataSource;

// The Progress window: what the learner knows of the open set and what lies ahead. The cards new, learning, known
// and due today; the share of the New Testament the known words make up; the book's coverage when the set is
// studied by book; a chart of the reviews due over the next 30 days and one of known words over time. Each chart
// says its figures in words to a screen reader. The main window stays disabled until the window says it is closed;
// Esc closes it.
class TProgressForm : public QWidget
{
    Q_OBJECT

public:
    explicit TProgressForm(QWidget* parent = nullptr);
    ~TProgressForm() override;

    // What the main window hands over: the data source of the set shown.
    void setDataSource(TDataSource* source) { source_ = source; }
    // The Greek New Testament, whose counts the known words' share and the books' coverage come from.
    void setNewTestament(const karte::NewTestament* newTestament) { newTestament_ = newTestament; }
    // The time the figures go by; tests fix it. By default the computer's clock.
    void setClock(const learning::Clock* clock) { clock_ = clock; }

    // Runs each time the window is shown: the set's progress is read and shown.
    void FormShow(QObject* sender);
    // Runs each time the window is hidden: the set's progress is let go.
    void FormHide(QObject* sender);

Q_SIGNALS:
    // The window was hidden, by the user or the program.
    void closed();

private:
    friend struct windowtest::FormAccess;

    void showReport(const learning::ProgressReport& report);
    // Known words over time are counted from the days the set keeps and the answers since, or from the whole log
    // where it keeps none, which on a big set takes longer than the figures: the chart follows them, counted a
    // part at a time between events; the days counted are then kept in the set for the next opening.
    void showHistory();
    void showProblem(const QString& text);
    static void setChart(QChartView* view, QChart* chart, const QString& description);
    const learning::Clock& clock() const;
    const nttext::Text* newTestamentText() const;
    QString newTestamentProblem() const;

    std::unique_ptr<Ui::TProgressForm> ui;
    TDataSource* source_ = nullptr;
    const karte::NewTestament* newTestament_ = nullptr;
    const learning::Clock* clock_ = nullptr;
    std::unique_ptr<learning::StudySet> set_; // while the history is yet to be shown
    std::unique_ptr<learning::HistoryCount> historyCount_; // of set_
    QTimer historyTimer_; // the next part of the count
    bool builtIn_ = false;
    bool knownWords_ = false;
    // Last, so that it stops watching before the members above go.
    karte::Openings openings_ { this, [this] { FormShow(this); }, [this] { FormHide(this); } };
};
