#pragma once
// The statistics report: what the page's list shows, headings and rows, as a
// plain-text table, every cell right-aligned in a field of 16 characters.

#include "statistics/PeriodSummary.h"

#include <QStringList>

class ReportText;

// Cells longer than this are cut.
inline constexpr int kStatisticsCellCharacters = 63;

ReportText BuildStatisticsReport(const QStringList& headings, const StatRows& rows);
