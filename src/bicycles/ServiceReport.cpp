#include "bicycles/ServiceReport.h"

#include "bicycles/PartsServiceDlg.h"
#include "language/Language.h"
#include "platform/Failure.h"
#include "reports/RecordReport.h"
#include "reports/ReportFiles.h"
#include "units/TextBlock.h"
#include "units/Units.h"
#include "widgets/ImportExportDlg.h"

namespace {

QStringList PartHeadings() {
    return {GetLanguageString("PartsService", "PNAM"), GetLanguageString("PartsService", "KIND"),
            GetLanguageString("PartsService", "FITD"), GetLanguageString("PartsService", "DIST"),
            GetLanguageString("PartsService", "TIME"), GetLanguageString("PartsService", "DAYS")};
}

QStringList TaskHeadings() {
    return {GetLanguageString("PartsService", "TNAM"), GetLanguageString("PartsService", "IVAL"),
            GetLanguageString("PartsService", "LAST"), GetLanguageString("PartsService", "STAT")};
}

QString Title() {
    return GetLanguageString("PartsService", "TITL");
}

}  // namespace

std::vector<ServiceReportRow> ServiceReportRows(const ServiceData& data, const BicycleList& bicycles,
                                                int64_t today) {
    std::vector<ServiceReportRow> rows;
    for (const BicycleAttribute& bicycle : bicycles) {
        const QString name = FromTextBlock(bicycle.BicycleName);
        for (const Part* part : PartsOfBicycle(data, bicycle.BicycleNumber)) {
            const Usage usage = PartUsage(data, *part);
            const std::vector<PartStretch> stretches = StretchesOf(data, part->PartNumber);
            const PartStretch& last = stretches.back();
            QString fitted = FormatDate(last.Fitted);
            if (last.Removed) {
                fitted += QStringLiteral(" - ") + FormatDate(*last.Removed);
            }
            rows.push_back({name,
                            false,
                            {QString::fromStdString(part->Name), PartKindName(part->Kind), fitted,
                             FormatNumberWithUnit(FromKilometres(usage.distance), GetDistanceUnitWord()),
                             FormatRidingTime(static_cast<int>(usage.seconds / 3600),
                                              static_cast<int>(usage.seconds / 60 % 60),
                                              static_cast<int>(usage.seconds % 60)),
                             QString::number(DaysBetween(stretches.front().Fitted,
                                                         last.Removed ? *last.Removed : today))}});
        }
        for (const ServiceTask& task : data.tasks) {
            if (task.BicycleNumber != bicycle.BicycleNumber) {
                continue;
            }
            const TaskStatus status = WorkOutTask(data, task, today);
            rows.push_back({name,
                            true,
                            {QString::fromStdString(task.Name), IntervalText(task),
                             task.Kind == TaskKind::At ? QString() : FormatDate(status.lastDone),
                             StateText(status.state) + QStringLiteral(" - ") + LeftText(status)}});
        }
    }
    return rows;
}

ReportText ServiceTextReport(const std::vector<ServiceReportRow>& rows, const QString& summary) {
    ReportText report;
    report.Line(Title()).Line();
    QString bicycle;
    bool task = false;
    for (const ServiceReportRow& row : rows) {
        if (row.bicycle != bicycle || row.task != task || &row == &rows.front()) {
            if (row.bicycle != bicycle) {
                report.Line().Line(row.bicycle);
            }
            bicycle = row.bicycle;
            task = row.task;
            report.Line(QString(QStringLiteral("  ") +
                                (task ? TaskHeadings() : PartHeadings()).join(QLatin1Char('\t'))));
        }
        report.Line(QString(QStringLiteral("  ") + row.cells.join(QLatin1Char('\t'))));
    }
    report.Line();
    AppendTextReportFoot(report, summary);
    return report;
}

ReportText ServiceCsvReport(const std::vector<ServiceReportRow>& rows, const QString& summary) {
    ReportText report;
    const auto line = [&report](const QStringList& cells) {
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (i > 0) {
                report.Write(u",");
            }
            report.CsvField(cells[i]);
        }
        report.Line();
    };
    line(QStringList{GetLanguageString("PartsService", "BIKE"), GetLanguageString("PartsService", "PART")} +
         PartHeadings());
    for (const ServiceReportRow& row : rows) {
        if (!row.task) {
            line(QStringList{row.bicycle, GetLanguageString("PartsService", "TPRT")} + row.cells);
        }
    }
    line(QStringList{GetLanguageString("PartsService", "BIKE"), GetLanguageString("PartsService", "TASK")} +
         TaskHeadings());
    for (const ServiceReportRow& row : rows) {
        if (row.task) {
            line(QStringList{row.bicycle, GetLanguageString("PartsService", "TNAM")} + row.cells);
        }
    }
    report.Line();
    AppendCsvReportFoot(report, summary);
    return report;
}

ReportText ServiceHtmlReport(const std::vector<ServiceReportRow>& rows, const QString& summary,
                             const QString& baseName) {
    ReportText page;
    AppendRecordPageHead(page, Title());
    QString bicycle;
    for (size_t i = 0; i < rows.size(); ++i) {
        const ServiceReportRow& row = rows[i];
        if (i == 0 || row.bicycle != bicycle) {
            if (i > 0) {
                AppendRecordTableEnd(page);
            }
            bicycle = row.bicycle;
            AppendRecordTableStart(page);
            AppendRecordRow(page, row.bicycle, QString());
        }
        AppendRecordRow(page, row.cells.value(0), row.cells.mid(1).join(QStringLiteral(" | ")));
    }
    if (!rows.empty()) {
        AppendRecordTableEnd(page);
    }
    AppendRecordPageFoot(page, summary, baseName);
    return page;
}

void ExportServiceReport(QWidget* parent) {
    QString fileName;
    int format = kTextReport;
    if (ImportExportDlg::Ask(parent, true, true, &fileName, &format)) {
        WriteServiceReport(parent, fileName, format);
    }
}

void WriteServiceReport(QWidget* parent, const QString& fileName, int format) {
    ServiceData data;
    BicycleList bicycles;
    if (LoadServiceData(&data) != store::kOk || DB_GetBicycleList(&bicycles) != store::kOk) {
        ShowStoreFailure(parent, GetLanguageString("ErrorStrings", "GFDB"));
        return;
    }
    const int64_t today = Today();
    const std::vector<ServiceReportRow> rows = ServiceReportRows(data, bicycles, today);
    const QString summary = ServiceLine(CountTasks(data, 0, today));
    ReportResult result = ReportResult::FileFailed;
    switch (format) {
        case kTextReport:
            result = WriteReport(fileName, ServiceTextReport(rows, summary));
            break;
        case kCsvReport:
            result = WriteReport(fileName, ServiceCsvReport(rows, summary));
            break;
        case kHtmlReport:
            result =
                WriteHtmlReport(fileName, ServiceHtmlReport(rows, summary, GetFileNamePart(fileName)), {});
            break;
        default:
            return;
    }
    ShowReportResult(parent, result, fileName);
}
