#pragma once
// How a record list page (rides, maintenance) copes with the long log of
// BenchLog.h, every record of every bicycle listed at once. Each figure is
// timed beside its floor, the store's fetch of the same records alone: the
// page's reload (bicycles, fetch, table model, sums, status line), a click on
// each sortable heading, and the plain-text and comma-separated exports
// (report built and written). Beside them, that the page stays usable at that
// size: opening the editor on the last row (shown and painted, then
// cancelled) takes less than a tenth of a second, and a page of scrolling
// repaints within one frame of a 60 Hz screen.

#include "PageBench.h"
#include "platform/ModalRun.h"
#include "reports/RecordReport.h"
#include "reports/ReportFiles.h"
#include "units/DayRange.h"
#include "units/Units.h"
#include "widgets/DayPickers.h"
#include "widgets/LinkLabel.h"
#include "widgets/RecordTableView.h"

#include <QDateEdit>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct ListPageTargets {
    double reload = 1.5;
    double sort = 0.5;
    double export_ = 4.0;
    double editorMs = 100.0;     // "immediate"
    double scrollPageMs = 16.7;  // one frame at 60 Hz
};

// name: the page's name in the figures' labels and the reports' file names;
// records: what its records are called; fetch: the store function's name;
// fillBeside: adds what the records keep beside them to the log, before the page opens;
// figureColumn: a column the rider may choose whose figures are read beside
// the records at each reload while it shows, for the reload timed with it shown.
// Returns the benchmark's exit code: 0 when every target is met, 1 when one
// is missed, 2 when the benchmark could not run.
template <typename Page>
int RunListPageBench(int argc, char** argv, const std::string& name, const char* records, int expectedRows,
                     const char* fetch, const RecordReports<typename Page::Record>& reports,
                     ListPageTargets targets, benchlog::Runs runs,
                     const std::function<bool()>& fillBeside = {}, std::optional<int> figureColumn = {}) {
    using Record = typename Page::Record;
    benchlog::PageBenchProgram program(argc, argv);
    if (!program.Ready() || (fillBeside && !fillBeside())) {
        return 2;
    }

    // The page as the rider sees it, listing every record of every bicycle.
    LinkLabel statusLine;
    Page page(statusLine, nullptr);
    page.resize(1000, 700);
    page.show();
    const QDate lastDay(2030, 1, 1);
    page.template findChild<QDateEdit*>(QStringLiteral("startDate"))->setDate(FirstPickableDay());
    page.template findChild<QDateEdit*>(QStringLiteral("endDate"))->setDate(lastDay);
    program.App().processEvents();
    const auto& model = page.Model();
    if (model.rowCount() != expectedRows) {
        std::fprintf(stderr, "the page lists %d %s, not %d\n", model.rowCount(), records, expectedRows);
        return 2;
    }

    // The floor reads the same records with the same condition, and nothing else.
    const std::string condition = DayRangeCondition(PickedDays(FirstPickableDay(), lastDay));
    std::vector<Record> floorRecords;
    const benchlog::Timed floor{[&] {
        std::vector<Record>().swap(floorRecords);
        benchlog::Check(Page::PageTraits::Fetch(condition.c_str(), &floorRecords));
    }};

    bool met = true;
    met &= benchlog::Compare(name + " page reload, all bicycles, all dates", {[&] { page.Reload(); }}, floor,
                             targets.reload, runs);
    if (figureColumn) {
        page.ShowColumn(*figureColumn, true);
        met &= benchlog::Compare(name + " page reload with the " +
                                     model.HeadingText(*figureColumn).toStdString() + " column shown",
                                 {[&] { page.Reload(); }}, floor, targets.reload, runs);
        page.ShowColumn(*figureColumn, false);
    }

    // Each sort starts from the rows in another column's order, as when the
    // rider clicks a new heading; sorting rows that are already in order
    // would flatter the figure. Column 0 is the date, column 2 a figure.
    for (int column = 0; column < model.columnCount(); ++column) {
        if (!model.Column(column).sortable) {
            continue;
        }
        const int other = column == 0 ? 2 : 0;
        met &= benchlog::Compare(
            "sort by " + model.HeadingText(column).toStdString(),
            {.run = [&] { page.SortByColumn(column); }, .before = [&] { page.SortByColumn(other); }}, floor,
            targets.sort, runs);
    }

    RecordReportInput<Record> input;
    BicycleList bicycles;
    benchlog::Check(DB_GetBicycleList(&bicycles));
    input.bicycles = &bicycles;
    input.statusText = page.StatusText();
    for (int row = 0; row < model.rowCount(); ++row) {
        input.records.push_back(&model.RecordAt(row));
    }
    const auto exportTo = [&](const std::string& fileName,
                              ReportText (*report)(const RecordReportInput<Record>&)) {
        return benchlog::Timed{[&, fileName, report] {
            if (WriteReport(QString::fromStdString(fileName), report(input)) != ReportResult::Written) {
                std::exit(2);
            }
        }};
    };
    met &=
        benchlog::Compare("text export", exportTo(name + ".txt", reports.text), floor, targets.export_, runs);
    met &= benchlog::Compare("comma-separated export", exportTo(name + ".csv", reports.csv), floor,
                             targets.export_, runs);

    // Opening the editor on the last row: the dialog is shown, painted and
    // cancelled by a driver instead of a modal loop.
    page.Table()->SelectRow(model.rowCount() - 1);
    int opened = 0;
    SetModalDriverForTesting([&](QDialog& dialog) {
        ++opened;
        dialog.repaint();
        dialog.reject();
    });
    auto* modify = page.template findChild<QPushButton*>(QStringLiteral("modify"));
    std::vector<double> opens;
    for (int run = 0; run < 5; ++run) {
        opens.push_back(benchlog::Milliseconds([&] { modify->click(); }));
    }
    SetModalDriverForTesting({});
    if (opened != static_cast<int>(opens.size())) {
        std::fprintf(stderr, "the editor opened %d times, not %zu\n", opened, opens.size());
        return 2;
    }
    const double open = benchlog::Median(opens);
    const bool openMet = open <= targets.editorMs;
    std::printf("editor on the last of %d %s, opened and painted: %.1f ms (target %.0f ms)%s\n",
                model.rowCount(), records, open, targets.editorMs, openMet ? "" : "  <-- target missed");
    met &= openMet;

    // Scrolling from the top to the bottom a page at a time, each page painted.
    QScrollBar* scroll = page.Table()->verticalScrollBar();
    const int pages = 200;
    const int step = std::max(1, scroll->maximum() / pages);
    std::vector<double> frames;
    scroll->setValue(0);
    for (int value = step; value <= scroll->maximum() && frames.size() < static_cast<size_t>(pages);
         value += step) {
        frames.push_back(benchlog::Milliseconds([&] {
            scroll->setValue(value);
            page.Table()->viewport()->repaint();
        }));
    }
    const double frame = benchlog::Median(frames);
    const double slowest = frames.empty() ? 0.0 : *std::max_element(frames.begin(), frames.end());
    const bool scrollMet = frame <= targets.scrollPageMs;
    std::printf("scrolling a page and painting it: %.2f ms, slowest %.2f ms (target %.1f ms)%s\n", frame,
                slowest, targets.scrollPageMs, scrollMet ? "" : "  <-- target missed");
    met &= scrollMet;

    std::printf("%s alone: %.1f ms\n", fetch,
                benchlog::Median({benchlog::Milliseconds(floor.run), benchlog::Milliseconds(floor.run),
                                  benchlog::Milliseconds(floor.run)}));
    std::printf("targets %s\n", met ? "met" : "missed");
    return met ? 0 : 1;
}
