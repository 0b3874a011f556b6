#pragma once
// The three reports of the bicycles page: plain text, comma-separated text
// and an HTML page with the bicycles' pictures. Each lists every bicycle of
// the page's last reload in list order with its totals, and repeats the
// page's status line. Weight, frame, cost, odometer and notes stay out.

#include "reports/ReportText.h"
#include "store/store.h"

#include <QString>
#include <vector>

class QWidget;

ReportText BicycleTextReport(const BicycleList& bicycles, const QString& statusText);

// Cells that hold a comma, a double quote or a line break are quoted; the
// status line is always quoted.
ReportText BicycleCsvReport(const BicycleList& bicycles, const QString& statusText);

// A picture the HTML page shows, written into its companion folder.
struct ReportPicture {
    QString fileName;  // bicycleNN.bmp, NN the bicycle's position in the list
    ByteBlock bytes;
};

// Texts are escaped; baseName is the report's file name without its folder,
// from which the page addresses its companion folder.
ReportText BicycleHtmlReport(const BicycleList& bicycles, const QString& statusText, const QString& baseName);
// The pictures the page refers to, in list order.
std::vector<ReportPicture> BicycleReportPictures(const BicycleList& bicycles);

// Writes the report of the chosen format (0 text, 1 comma-separated, 2 HTML)
// completely or not at all, and tells the user how it went.
void ExportBicycles(QWidget* parent, const BicycleList& bicycles, const QString& statusText,
                    const QString& fileName, int format);
