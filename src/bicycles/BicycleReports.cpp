#include "bicycles/BicycleReports.h"

#include "bicycles/BicycleSummary.h"
#include "language/Language.h"
#include "platform/Files.h"
#include "reports/RecordReport.h"
#include "reports/ReportFiles.h"
#include "units/SafeFormat.h"
#include "units/TextBlock.h"
#include "units/Units.h"
#include "widgets/ImportExportDlg.h"

#include <QByteArray>

namespace {

const char16_t kHead[] =
    u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=unicode\">"
    u"<title>$ - Velomarq</title><meta name=\"GENERATOR\" content=\"Velomarq\">"
    u"<meta name=\"KEYWORDS\" content=\"Velomarq\"></head><body text=#000000 bgColor=#ffffff>"
    u"<p align=\"center\"><b><font color=\"#0000FF\" size=5>$</font></b></p>\r\n";
const char16_t kTableStart[] =
    u"\r\n<table width=\"60%%\" border=\"1\" align=\"center\" bordercolor=\"#3366CC\" height=\"1\" "
    u"cellpadding=\"1\" cellspacing=\"0\">\r\n";
const char16_t kNameRow[] =
    u"<tbody>\r\n<tr>\r\n<td height=\"2\" width=\"50%%\"><b><font color=\"#3333cc\">$</font></b></td>\r\n"
    u"<td height=\"2\" width=\"50%%\">\r\n<div align=\"right\"><font color=\"#3333cc\">$</font></div>\r\n"
    u"</td>\r\n</tr>\r\n";
const char16_t kOneCellRow[] =
    u"<tr>\r\n<td height=\"2\" colspan=\"2\"><font color=\"#3333cc\">$$</font></td>\r\n</tr>\r\n";
const char16_t kTwoCellRow[] =
    u"<tr>\r\n<td height=\"2\" width=\"50%%\"><font color=\"#3333cc\">$</font></td>\r\n"
    u"<td height=\"2\" width=\"50%%\"><font color=\"#3333cc\">$</font></td>\r\n</tr>\r\n";
const char16_t kTwoLabelledCellRow[] =
    u"<tr>\r\n<td height=\"2\" width=\"50%%\"><font color=\"#3333cc\">$$</font></td>\r\n"
    u"<td height=\"2\" width=\"50%%\"><font color=\"#3333cc\">$$</font></td>\r\n</tr>\r\n";
const char16_t kPictureRow[] =
    u"<tr>\r\n<td height=\"2\" colspan=\"2\"><div align=\"center\"><font color=\"#3333cc\">$</font><br>"
    u"<img src=\"$.files/$\"></div></td>\r\n</tr>\r\n";
const char16_t kNoPictureRow[] =
    u"<tr>\r\n<td height=\"2\" colspan=\"2\"><div align=\"center\"><font color=\"#3333cc\">$<br>$</font>"
    u"</div></td>\r\n</tr>\r\n";
const char16_t kTableEnd[] = u"</tbody></table><br><br>\r\n";

// The figures of one bicycle, as every report writes them.
struct BicycleFigures {
    QString name;
    QString type;
    QString date;
    QString distance;  // "%.2f %s"
    QString time;      // "%d:%02d:%02d"
    QString average;   // "%.2f %s"
    QString maxSpeed;  // "%.2f %s"
    QString cost;      // "$%.2f"
};

BicycleFigures FiguresOf(const BicycleAttribute& bicycle, const QString& distanceUnit,
                         const QString& speedUnit) {
    return {
        FromTextBlock(bicycle.BicycleName),
        GetBicycleTypeName(bicycle.Type),
        FormatDate(bicycle.DatePurchased),
        FormatNumberWithUnit(FromKilometres(bicycle.TotalDistance), distanceUnit),
        FormatRidingTime(bicycle.TotalHours, bicycle.TotalMinutes, bicycle.TotalSeconds),
        FormatNumberWithUnit(ShownAverageSpeed(bicycle.TimedDistance, bicycle.TotalHours,
                                               bicycle.TotalMinutes, bicycle.TotalSeconds),
                             speedUnit),
        FormatNumberWithUnit(FromKilometres(bicycle.MaxSpeed), speedUnit),
        FormatMoney(bicycle.TotalMaintenanceCost),
    };
}

QString PictureFileName(size_t position) {
    return QString::asprintf("bicycle%02d.bmp", static_cast<int>(position));
}

}  // namespace

ReportText BicycleTextReport(const BicycleList& bicycles, const QString& statusText) {
    const QString distanceUnit = GetDistanceUnitWord();
    const QString speedUnit = GetSpeedUnitWord();
    const QString purchased = GetLanguageStringWithColon("BicycleAttrDlg", "PURD");
    const QString distance = GetLanguageStringWithColon("Strings", "TODT");
    const QString time = GetLanguageStringWithColon("Strings", "TOTM");
    const QString average = GetLanguageStringWithColon("Strings", "AVGS");
    const QString maxSpeed = GetLanguageStringWithColon("Strings", "MAXS");
    const QString cost = GetLanguageStringWithColon("Strings", "TOMC");

    ReportText report(static_cast<qsizetype>(bicycles.size()) * 240 + 512);
    report.Write(GetLanguageString("MainDlg", "MYBS")).Write(u"\r\n\r\n");
    for (const BicycleAttribute& bicycle : bicycles) {
        const BicycleFigures figures = FiguresOf(bicycle, distanceUnit, speedUnit);
        report.Write(figures.name).Write(u" \t\t").Line(figures.type);
        report.Write(purchased).Line(figures.date);
        report.Write(distance).Write(figures.distance).Write(u"\t\t");
        report.Write(time).Line(figures.time);
        report.Write(average).Write(figures.average).Write(u"\t");
        report.Write(maxSpeed).Line(figures.maxSpeed);
        report.Write(cost).Write(figures.cost).Write(u"\r\n\r\n");
    }
    AppendTextReportFoot(report, statusText);
    return report;
}

ReportText BicycleCsvReport(const BicycleList& bicycles, const QString& statusText) {
    const QString distanceUnit = GetDistanceUnitWord();
    const QString speedUnit = GetSpeedUnitWord();
    ReportText report(static_cast<qsizetype>(bicycles.size()) * 120 + 512);
    const QString headings[] = {
        GetLanguageString("BicycleAttrDlg", "NAME"), GetLanguageString("BicycleAttrDlg", "TYPE"),
        GetLanguageString("BicycleAttrDlg", "PURD"), GetLanguageString("Strings", "TODT"),
        GetLanguageString("Strings", "TOTM"),        GetLanguageString("Strings", "AVGS"),
        GetLanguageString("Strings", "MAXS"),        GetLanguageString("Strings", "TOMC"),
    };
    auto line = [&report](std::initializer_list<QStringView> cells) {
        bool first = true;
        for (const QStringView cell : cells) {
            if (!first) {
                report.Write(u",");
            }
            report.CsvField(cell);
            first = false;
        }
        report.Write(u"\r\n");
    };
    line({headings[0], headings[1], headings[2], headings[3], headings[4], headings[5], headings[6],
          headings[7]});
    for (const BicycleAttribute& bicycle : bicycles) {
        const BicycleFigures f = FiguresOf(bicycle, distanceUnit, speedUnit);
        line({f.name, f.type, f.date, f.distance, f.time, f.average, f.maxSpeed, f.cost});
    }
    QString quoted;
    AppendCsvQuoted(quoted, statusText);
    report.Write(u"\"").Write(quoted).Write(u"\"\r\n");
    // Unlike the status line, the closing lines are no quoted cells here.
    report.Write(u"\r\n").Line(ReportGeneratedBy()).Line(ReportHomePage());
    return report;
}

ReportText BicycleHtmlReport(const BicycleList& bicycles, const QString& statusText,
                             const QString& baseName) {
    const QString distanceUnit = GetDistanceUnitWord();
    const QString speedUnit = GetSpeedUnitWord();
    const QString purchased = HtmlEscape(GetLanguageStringWithColon("BicycleAttrDlg", "PURD"));
    const QString distance = HtmlEscape(GetLanguageStringWithColon("Strings", "TODT"));
    const QString time = HtmlEscape(GetLanguageStringWithColon("Strings", "TOTM"));
    const QString average = HtmlEscape(GetLanguageStringWithColon("Strings", "AVGS"));
    const QString maxSpeed = HtmlEscape(GetLanguageStringWithColon("Strings", "MAXS"));
    const QString cost = HtmlEscape(GetLanguageStringWithColon("Strings", "TOMC"));
    const QString picture = HtmlEscape(GetLanguageStringWithColon("BicycleAttrDlg", "PICT"));
    const QString noPicture = HtmlEscape(GetLanguageString("BicycleAttrDlg", "NOTA"));
    const QString link = HtmlLinkName(baseName);
    const QString title = HtmlEscape(GetLanguageString("MainDlg", "MYBS"));

    ReportText report(static_cast<qsizetype>(bicycles.size()) * 1400 + 1500);
    report.Template(kHead, {title, title});
    for (size_t position = 0; position < bicycles.size(); ++position) {
        const BicycleAttribute& bicycle = bicycles[position];
        const BicycleFigures f = FiguresOf(bicycle, distanceUnit, speedUnit);
        report.Template(kTableStart);
        report.Template(kNameRow, {HtmlEscape(f.name), HtmlEscape(f.type)});
        report.Template(kOneCellRow, {purchased, HtmlEscape(f.date)});
        const QString distanceCell = distance + HtmlEscape(f.distance);
        const QString timeCell = time + HtmlEscape(f.time);
        report.Template(kTwoCellRow, {distanceCell, timeCell});
        report.Template(kTwoLabelledCellRow,
                        {average, HtmlEscape(f.average), maxSpeed, HtmlEscape(f.maxSpeed)});
        report.Template(kOneCellRow, {cost, HtmlEscape(f.cost)});
        if (!bicycle.PictureData.empty()) {
            report.Template(kPictureRow, {picture, link, PictureFileName(position)});
        } else {
            report.Template(kNoPictureRow, {picture, noPicture});
        }
        report.Template(kTableEnd);
    }
    AppendRecordPageFoot(report, statusText, baseName);
    return report;
}

std::vector<ReportPicture> BicycleReportPictures(const BicycleList& bicycles) {
    std::vector<ReportPicture> pictures;
    for (size_t position = 0; position < bicycles.size(); ++position) {
        if (!bicycles[position].PictureData.empty()) {
            pictures.push_back({PictureFileName(position), bicycles[position].PictureData});
        }
    }
    return pictures;
}

void ExportBicycles(QWidget* parent, const BicycleList& bicycles, const QString& statusText,
                    const QString& fileName, int format) {
    ReportResult result = ReportResult::FileFailed;
    switch (format) {
        case kTextReport:
            result = WriteReport(fileName, BicycleTextReport(bicycles, statusText));
            break;
        case kCsvReport:
            result = WriteReport(fileName, BicycleCsvReport(bicycles, statusText));
            break;
        case kHtmlReport: {
            result = WriteHtmlReport(fileName,
                                     BicycleHtmlReport(bicycles, statusText, GetFileNamePart(fileName)), {});
            if (result == ReportResult::Written) {
                // A picture that cannot be written leaves the page without it,
                // as a missing logo does; the report itself is there.
                const QString companion = CompanionFolderPath(fileName);
                for (const ReportPicture& picture : BicycleReportPictures(bicycles)) {
                    (void)WriteFileReplacing(companion + u'/' + picture.fileName,
                                             QByteArray(reinterpret_cast<const char*>(picture.bytes.data()),
                                                        static_cast<qsizetype>(picture.bytes.size())));
                }
            }
            break;
        }
        default:
            return;
    }
    ShowReportResult(parent, result, fileName);
}
