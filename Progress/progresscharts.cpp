#include "progresscharts.h"

#include "progressdescription.h"

#include <QAccessibleWidget>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <optional>

namespace progresscharts {

namespace {

constexpr int kMostSteps = 5;

// The step of a count axis from 0: 1, 2 or 5 times a power of ten, so that at most five steps reach highest.
int countStep(int highest)
{
    for (int scale = 1;; scale *= 10)
        for (int factor : { 1, 2, 5 })
            if ((highest + factor * scale - 1) / (factor * scale) <= kMostSteps)
                return factor * scale;
}

// An axis from 0 to top in steps equal steps, its labels printed by format.
QValueAxis* valueAxis(double top, int steps, const QString& format, const QString& title)
{
    auto* axis = new QValueAxis;
    axis->setRange(0, top);
    axis->setTickCount(steps + 1);
    axis->setLabelFormat(format);
    axis->setTitleText(title);
    return axis;
}

QValueAxis* countAxis(int highest, const QString& title)
{
    const int step = countStep(highest);
    const int steps = std::max(1, (highest + step - 1) / step);
    return valueAxis(step * steps, steps, QStringLiteral("%d"), title);
}

// The value axes of the known-words chart. Both have as many steps, so that their grid lines are the same lines,
// and each step is 1, 2, 2.5 or 5 times a power of ten, a whole number.
struct HistoryScale
{
    int steps = 0;
    int knownStep = 0; // words
    int coverageStep = 0; // tenths of a per cent
};

// The highest point stays this far below the top, so that its dot is drawn whole.
constexpr double kHighestAtMost = 0.95;

// The smallest such step of which steps leave highest low enough under the top.
int stepAbove(double highest, int steps)
{
    for (int scale = 1;; scale *= 10)
        for (int step : { scale, 2 * scale, scale >= 10 ? scale * 5 / 2 : 0, 5 * scale })
            if (step > 0 && highest <= kHighestAtMost * step * steps)
                return step;
}

// coverageTenths: the highest coverage in tenths of a per cent, or none. Of the step counts that keep the coverage
// axis within 100%, the one whose lines fill most of the height, the emptier of the two deciding.
HistoryScale historyScale(int mostKnown, std::optional<double> coverageTenths)
{
    constexpr int kWhole = 1000;
    const double coverage = std::min(coverageTenths.value_or(0), kHighestAtMost * kWhole);
    HistoryScale best;
    double bestFill = -1;
    for (int steps = 2; steps <= kMostSteps; ++steps) {
        const int knownStep = stepAbove(mostKnown, steps);
        const int coverageStep = stepAbove(coverage, steps);
        if (coverageTenths && coverageStep * steps > kWhole)
            continue;
        double fill = mostKnown / static_cast<double>(knownStep * steps);
        if (coverageTenths)
            fill = std::min(fill, coverage / (coverageStep * steps));
        if (fill >= bestFill) {
            bestFill = fill;
            best = { steps, knownStep, coverageStep };
        }
    }
    return best;
}

QChart* plainChart(const QString& title)
{
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setBackgroundRoundness(0);
    return chart;
}

// "9 Dec": the day's local date as the study core reckons it.
QString shortDate(std::int64_t ms, int utcOffsetSeconds)
{
    const learning::CivilDate date = learning::civilDate(ms, utcOffsetSeconds);
    return QDate(date.year, date.month, date.day).toString(QStringLiteral("d MMM"));
}

QAccessibleInterface* chartInterface(const QString& className, QObject* object)
{
    if (className != QLatin1String("QChartView") || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Chart);
}

} // namespace

void announceChartsAsCharts()
{
    static const bool installed = [] {
        QAccessible::installFactory(chartInterface);
        return true;
    }();
    (void)installed;
}

QChart* dueChart(const learning::SetProgress& figures, const learning::Clock& clock)
{
    QChart* chart = plainChart(QStringLiteral("Reviews due in the next %1 days").arg(learning::kForecastDays));
    auto* due = new QBarSet(QStringLiteral("Reviews due"));
    for (int count : figures.duePerDay)
        *due << count;
    auto* series = new QBarSeries;
    series->append(due);
    series->setBarWidth(0.7);
    chart->addSeries(series);
    // Thirty dates do not fit side by side: the axis names today and every seventh day after it, each under its
    // bar.
    auto* dayAxis = new QCategoryAxis;
    dayAxis->setRange(-0.5, learning::kForecastDays - 0.5);
    dayAxis->setStartValue(-0.5);
    dayAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    const learning::DaySpan today = learning::today(clock);
    const int offset = clock.utcOffsetSeconds(clock.nowMs());
    for (int day = 0; day < learning::kForecastDays; day += 7)
        dayAxis->append(
            day == 0 ? QStringLiteral("today") : shortDate(today.startMs + day * learning::kDayMs, offset), day);
    chart->addAxis(dayAxis, Qt::AlignBottom);
    series->attachAxis(dayAxis);
    const int most = *std::max_element(figures.duePerDay.begin(), figures.duePerDay.end());
    QValueAxis* countsAxis = countAxis(most, QStringLiteral("Reviews"));
    chart->addAxis(countsAxis, Qt::AlignLeft);
    series->attachAxis(countsAxis);
    chart->legend()->hide();
    return chart;
}

QChart* historyChart(std::span<const learning::HistoryPoint> history, bool withCoverage, const learning::Clock& clock)
{
    QChart* chart = plainChart(history.empty() ? QStringLiteral("Known words over time: no reviews yet")
                                               : QStringLiteral("Known words over time"));
    if (history.empty()) {
        chart->legend()->hide();
        return chart;
    }
    auto* known = new QLineSeries;
    known->setName(QStringLiteral("Known words"));
    known->setPointsVisible(true);
    auto* coverage = new QLineSeries;
    coverage->setName(QStringLiteral("Coverage of the New Testament (%)"));
    coverage->setPointsVisible(true);
    int mostKnown = 0;
    double mostCoverage = 0;
    for (const learning::HistoryPoint& point : history) {
        // Each day at its local noon, so that the axis, which reads times in the computer's zone, shows its date.
        const auto at = static_cast<qreal>(point.dayStartMs + 12 * learning::kHourMs);
        known->append(at, point.known);
        coverage->append(at, point.coverage * 100);
        mostKnown = std::max(mostKnown, point.known);
        mostCoverage = std::max(mostCoverage, point.coverage * 100);
    }
    chart->addSeries(known);
    auto* timeAxis = new QDateTimeAxis;
    const std::int64_t first = history.front().dayStartMs;
    const std::int64_t last = history.back().dayStartMs + learning::kDayMs;
    const std::int64_t margin = learning::kDayMs / 2;
    timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(first - margin), QDateTime::fromMSecsSinceEpoch(last + margin));
    const int offset = clock.utcOffsetSeconds(clock.nowMs());
    const bool oneYear = learning::civilDate(first, offset).year == learning::civilDate(last, offset).year;
    timeAxis->setFormat(oneYear ? QStringLiteral("d MMM") : QStringLiteral("d MMM yyyy"));
    // The range runs from the noon before the first day to the noon after the last, whole days give or take a
    // change of clock: over a few days a tick at every noon puts each day's date under its dot.
    const std::int64_t rangeMs = last - first + 2 * margin;
    const std::int64_t noons = (rangeMs + learning::kDayMs / 2) / learning::kDayMs + 1;
    timeAxis->setTickCount(static_cast<int>(std::clamp<std::int64_t>(noons, 2, 7)));
    chart->addAxis(timeAxis, Qt::AlignBottom);
    known->attachAxis(timeAxis);
    const HistoryScale scale
        = historyScale(mostKnown, withCoverage ? std::optional<double>(mostCoverage * 10) : std::nullopt);
    QValueAxis* knownAxis
        = valueAxis(scale.knownStep * scale.steps, scale.steps, QStringLiteral("%d"), QStringLiteral("Known words"));
    chart->addAxis(knownAxis, Qt::AlignLeft);
    known->attachAxis(knownAxis);
    if (withCoverage) {
        chart->addSeries(coverage);
        coverage->attachAxis(timeAxis);
        // In whole per cents unless a step is less than one.
        QValueAxis* shareAxis = valueAxis(scale.coverageStep * scale.steps / 10.0, scale.steps,
            scale.coverageStep % 10 == 0 ? QStringLiteral("%.0f%%") : QStringLiteral("%.1f%%"),
            QStringLiteral("Coverage"));
        chart->addAxis(shareAxis, Qt::AlignRight);
        coverage->attachAxis(shareAxis);
        chart->legend()->setAlignment(Qt::AlignBottom);
    } else {
        delete coverage;
        chart->legend()->hide();
    }
    return chart;
}

} // namespace progresscharts
