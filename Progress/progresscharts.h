#pragma once

#include "knownhistory.h"
#include "progress.h"

#include <span>

class QChart;

// The Progress window's charts, built afresh from the figures each time the window shows.
namespace progresscharts {

// A bar for each of the next 30 days: the reviews falling due on it, today's overdue ones included.
QChart* dueChart(const learning::SetProgress& figures, const learning::Clock& clock);
// Known words at the end of each day with reviews and, withCoverage, their share of the New Testament on an axis
// of its own.
QChart* historyChart(std::span<const learning::HistoryPoint> history, bool withCoverage, const learning::Clock& clock);

// Has a screen reader meet every chart view as a chart, read by its accessible name and description, rather than
// as the scroll area it is built on. Once per program; later calls do nothing.
void announceChartsAsCharts();

} // namespace progresscharts
