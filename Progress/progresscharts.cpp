#include "progresscharts.h"

#include "progressdescription.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace progresscharts {

namespace {

constexpr int kTicks = 5;

// A count axis from 0 whose ticks fall on whole numbers.
QValueAxis* countAxis(int highest, const QString& title)
{
    auto* axis = new QValueAxis;
    const int step = std::max(1, (highest + kTicks - 2) / (kTicks - 1));
    axis->setRange(0, step * (kTicks - 1));
    axis->setTickCount(kTicks);
    axis->setLabelFormat(QStringLiteral("%d"));
    axis->setTitleText(title);
    return axis;
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

} // namespace

QChart* dueChart(const learning::SetProgress& figures, const learning::Clock& clock)
{
    QChart* chart = plainChart(QStringLiteral("Reviews due in the next %1 days").arg(learning::kForecastDays));
    auto* due = new QBarSet(QStringLiteral("Reviews due"));
    QStringList days;
    const learning::DaySpan today = learning::today(clock);
    const int offset = clock.utcOffsetSeconds(clock.nowMs());
    for (std::size_t day = 0; day < figures.duePerDay.size(); ++day) {
        *due << figures.duePerDay[day];
        days << shortDate(today.startMs + static_cast<std::int64_t>(day) * learning::kDayMs, offset);
    }
    auto* series = new QBarSeries;
    series->append(due);
    series->setBarWidth(0.7);
    chart->addSeries(series);
    auto* dayAxis = new QBarCategoryAxis;
    dayAxis->append(days);
    // Thirty dates side by side only fit on their sides.
    dayAxis->setLabelsAngle(-90);
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
    timeAxis->setTickCount(static_cast<int>(std::clamp<std::size_t>(history.size() + 1, 2, 7)));
    chart->addAxis(timeAxis, Qt::AlignBottom);
    known->attachAxis(timeAxis);
    QValueAxis* knownAxis = countAxis(mostKnown, QStringLiteral("Known words"));
    chart->addAxis(knownAxis, Qt::AlignLeft);
    known->attachAxis(knownAxis);
    if (withCoverage) {
        chart->addSeries(coverage);
        coverage->attachAxis(timeAxis);
        auto* shareAxis = new QValueAxis;
        // Steps of 5, 10, 15, 20 or 25 per cent, whole numbers all.
        const double top = std::clamp(std::ceil(mostCoverage / 20) * 20, 20.0, 100.0);
        shareAxis->setRange(0, top);
        shareAxis->setTickCount(kTicks);
        shareAxis->setLabelFormat(QStringLiteral("%.0f%%"));
        shareAxis->setTitleText(QStringLiteral("Coverage"));
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
