#include "tprogressform.h"

#include "accessiblewindow.h"
#include "errorbox.h"
#include "errors.h"
#include "historycount.h"
#include "newtestament.h"
#include "openings.h"
#include "outsidedestruction.h"
#include "progresscharts.h"
#include "progressdescription.h"
#include "progressreport.h"
#include "progresstext.h"
#include "scrolling.h"
#include "studyset.h"
#include "table.h"
#include "tdatasource.h"
#include "ui_tprogressform.h"
#include "windowscaling.h"

#include <QAccessibleWidget>
#include <QChart>
#include <QFileInfo>
#include <QKeySequence>
#include <QShortcut>
#include <QTimer>

namespace {

// A screen reader takes the framed panel of figures for a part of the window: Qt reads a frame as a window of its
// own.
QAccessibleInterface* figuresPanelInterface(const QString& className, QObject* object)
{
    if (className == QLatin1String("QFrame") && object->objectName() == QLatin1String("FiguresPanel"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Grouping);
    return nullptr;
}

} // namespace

TProgressForm::TProgressForm(QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)
    , ui(std::make_unique<Ui::TProgressForm>())
{
    progresscharts::announceChartsAsCharts();
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(figuresPanelInterface);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    karte::readAsWindow(staticMetaObject);
    ui->setupUi(this);
    for (QChartView* view : { ui->DueChart, ui->HistoryChart })
        view->setRenderHint(QPainter::Antialiasing);
    karte::scaleToScreen(this, 96);
    // On a small screen the figures and charts scroll, the Close button below them staying in view.
    karte::keepFocusInView(ui->ContentArea);
    // The figures and sentences are reached with Tab, as the charts are, and a screen reader says each as it gets
    // there; the keyboard gives them no other use.
    for (QLabel* text : { ui->SetText, ui->NewCount, ui->LearningCount, ui->KnownCount, ui->DueCount,
             ui->KnownWordsText, ui->BookText, ui->MarksText, ui->NoteText })
        text->setFocusPolicy(Qt::TabFocus);
    karte::connectGuarded(ui->CloseButton, &QPushButton::clicked, this, [this] { close(); });
    karte::connectGuarded(
        new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, [this] { close(); });
    historyTimer_.setSingleShot(true);
    historyTimer_.setInterval(0);
    karte::connectGuarded(&historyTimer_, &QTimer::timeout, this, [this] { showHistory(); });
    connect(&openings_, &karte::Openings::closed, this, &TProgressForm::closed);
    karte::closeWhenDestroyedFromOutside(this);
}

TProgressForm::~TProgressForm() = default;

const learning::Clock& TProgressForm::clock() const
{
    static const learning::SystemClock system;
    return clock_ ? *clock_ : system;
}

const nttext::Text* TProgressForm::newTestamentText() const
{
    return newTestament_ ? newTestament_->text() : nullptr;
}

QString TProgressForm::newTestamentProblem() const
{
    return newTestament_ ? newTestament_->problem() : QString();
}

void TProgressForm::FormShow(QObject* /*sender*/)
{
    ui->NoteText->clear();
    try {
        if (!source_ || !source_->active())
            throw cardstore::Error("No card set is open");
        cardstore::Table& table = *source_->dataSet();
        table.checkBrowseMode();
        const bool builtIn = table.isBuiltInSet();
        ui->SetText->setText(
            builtIn ? QStringLiteral("NT Frequency") : QFileInfo(QString::fromStdString(table.filePath())).fileName());
        const nttext::Text* text = newTestamentText();
        // The set is read and let go once the history is shown: the window keeps nothing of it open.
        set_ = std::make_unique<learning::StudySet>(table, clock(), text);
        builtIn_ = builtIn;
        showReport(learning::progressReport(*set_, text, builtIn));
        historyTimer_.start();
    } catch (const cardstore::Error& error) {
        // Progress that cannot be read leaves the set as it is; the window says what is wrong.
        showProblem(QString::fromUtf8(error.what()));
    }
    ui->NoteText->setVisible(!ui->NoteText->text().isEmpty());
}

void TProgressForm::FormHide(QObject* /*sender*/)
{
    historyTimer_.stop();
    historyCount_.reset();
    set_.reset();
}

void TProgressForm::showHistory()
{
    if (!set_)
        return;
    if (!historyCount_)
        historyCount_ = learning::knownHistoryCount(*set_, newTestamentText(), builtIn_);
    if (!historyCount_->step(learning::HistoryCount::kAnswersPerTurn)) {
        historyTimer_.start();
        return;
    }
    // The count goes before the set it counts.
    const std::unique_ptr<learning::StudySet> set = std::move(set_);
    const std::unique_ptr<learning::HistoryCount> count = std::move(historyCount_);
    const learning::Clock& now = clock();
    const std::vector<learning::HistoryPoint> history = count->points();
    std::string description = learning::knownHistoryDescription(history, now);
    if (knownWords_ && !history.empty())
        description += ". " + learning::coverageHistoryDescription(history, now);
    setChart(
        ui->HistoryChart, progresscharts::historyChart(history, knownWords_, now), QString::fromStdString(description));
    // What was left out of damaged progress is known once the log has been read.
    QStringList notes;
    for (const std::string& message : set->resetMessages())
        notes.append(QString::fromStdString(message));
    if (!newTestamentProblem().isEmpty())
        notes.append(QStringLiteral("No books or lemmas can be counted: %1").arg(newTestamentProblem()));
    ui->NoteText->setText(notes.join(QLatin1Char('\n')));
    ui->NoteText->setVisible(!notes.isEmpty());
    count->keep();
}

void TProgressForm::showReport(const learning::ProgressReport& report)
{
    const learning::SetProgress& figures = report.figures;
    const std::pair<QLabel*, int> counts[] = {
        { ui->NewCount, figures.newCards },
        { ui->LearningCount, figures.learning },
        { ui->KnownCount, figures.known },
        { ui->DueCount, figures.dueToday },
    };
    const QLabel* captions[] = { ui->NewLabel, ui->LearningLabel, ui->KnownLabel, ui->DueLabel };
    for (std::size_t i = 0; i < std::size(counts); ++i) {
        const auto& [label, count] = counts[i];
        const QString number = QString::fromStdString(learning::groupedText(count));
        label->setText(number);
        // Read as "Known: 12" rather than a bare number.
        label->setAccessibleName(QStringLiteral("%1: %2").arg(captions[i]->text(), number));
    }
    ui->FiguresPanel->setAccessibleDescription(QString::fromStdString(learning::figuresSentence(figures)));

    const auto showSentence = [](QLabel* label, const std::string& sentence) {
        label->setText(QString::fromStdString(sentence));
        label->setVisible(!sentence.empty());
    };
    showSentence(ui->KnownWordsText, learning::knownWordsText(report));
    showSentence(ui->BookText, report.book ? learning::bookCoverageSentence(report.bookName, *report.book) : "");
    std::string marks;
    if (report.book)
        for (const learning::BookMark* mark : { &report.book->mark90, &report.book->mark95 })
            marks += (marks.empty() ? "" : "\n") + learning::bookMarkSentence(report.bookName, *mark);
    showSentence(ui->MarksText, marks);

    const learning::Clock& now = clock();
    setChart(ui->DueChart, progresscharts::dueChart(figures, now),
        QString::fromStdString(learning::dueForecastDescription(figures, now)));
    knownWords_ = report.knownWords.has_value();
    setChart(ui->HistoryChart, progresscharts::historyChart({}, knownWords_, now),
        QStringLiteral("Known words over time: counting"));
    for (QWidget* part : { static_cast<QWidget*>(ui->FiguresPanel), static_cast<QWidget*>(ui->DueChart),
             static_cast<QWidget*>(ui->HistoryChart) })
        part->show();
}

void TProgressForm::setChart(QChartView* view, QChart* chart, const QString& description)
{
    // The view takes the new chart but leaves the old one to its owner, which is this window.
    QChart* old = view->chart();
    view->setChart(chart);
    delete old;
    view->setAccessibleDescription(description);
}

void TProgressForm::showProblem(const QString& text)
{
    ui->NoteText->setText(text);
    for (QWidget* part : { static_cast<QWidget*>(ui->FiguresPanel), static_cast<QWidget*>(ui->KnownWordsText),
             static_cast<QWidget*>(ui->BookText), static_cast<QWidget*>(ui->MarksText),
             static_cast<QWidget*>(ui->DueChart), static_cast<QWidget*>(ui->HistoryChart) })
        part->hide();
}
