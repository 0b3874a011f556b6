#include "rides/RideSheet.h"

#include "reports/SpreadsheetCsv.h"
#include "units/RideFigures.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <array>
#include <cmath>
#include <unordered_map>

namespace {

struct FieldInfo {
    LanguageKey name;
    const char* english;
    // Further headings, ";" between them.
    const char* others;
};

constexpr FieldInfo kFields[kRideSheetFieldCount] = {
    {{"RideRecordDlg", "RDDT"}, "Date", "date time;start;start time;start date;activity date;day;datum"},
    {{"Strings", "BICY"}, "Bicycle", "bike;gear;activity gear;cycle"},
    {{"Strings", "DIST"}, "Distance", "km;kilometres;kilometers;miles"},
    {{"RideRecordDlg", "RDTM"}, "Riding time", "time;moving time;duration;ride time"},
    {{"Strings", "AVGS"}, "Average speed", "avg speed"},
    {{"Strings", "MAXS"}, "Max speed", "maximum speed;top speed"},
    {{"RideDetail", "ASCN"}, "Ascent", "elevation gain;climb;total ascent"},
    {{"RideDetail", "DSCN"}, "Descent", "elevation loss;total descent"},
    {{"RideDetail", "HRAV"}, "Average heart rate", "avg heart rate;avg hr"},
    {{"RideDetail", "HRMX"}, "Maximum heart rate", "max heart rate;max hr"},
    {{"RideDetail", "CADN"}, "Average cadence", "avg cadence"},
    {{"RideDetail", "PWAV"}, "Average power", "average watts;avg power"},
    {{"RideDetail", "PWMX"}, "Maximum power", "max watts;max power"},
    {{"RideDetail", "CALS"}, "Calories", "kcal;energy"},
    {{"RideDetail", "TEMP"}, "Temperature", "average temperature;avg temperature"},
    {{"RideDetail", "ELAP"}, "Elapsed time", ""},
    {{"RideDetail", "EFRT"}, "Effort", ""},
    {{"RideDetail", "FEEL"}, "Feeling", ""},
    {{"Strings", "MEMO"}, "Memo", "note;notes;comment;comments;description;activity description"},
};

const FieldInfo& Info(RideSheetField field) {
    return kFields[static_cast<int>(field)];
}

int TotalSeconds(const RideRecord& ride) {
    return ride.Hours * 3600 + ride.Minutes * 60 + ride.Seconds;
}

}  // namespace

QString RideSheetFieldName(RideSheetField field) {
    return GetLanguageString(Info(field).name);
}

QString RideSheetFieldUnit(RideSheetField field) {
    switch (field) {
        case RideSheetField::Distance:
            return GetDistanceUnitWord();
        case RideSheetField::AverageSpeed:
        case RideSheetField::MaxSpeed:
            return GetSpeedUnitWord();
        case RideSheetField::RidingTime:
        case RideSheetField::ElapsedTime:
            return QStringLiteral("h:mm:ss");
        case RideSheetField::Ascent:
        case RideSheetField::Descent:
            return QStringLiteral("m");
        case RideSheetField::AverageHeartRate:
        case RideSheetField::MaxHeartRate:
            return GetLanguageString("RideDetail", "BPM");
        case RideSheetField::AverageCadence:
            return GetLanguageString("RideDetail", "RPM");
        case RideSheetField::AveragePower:
        case RideSheetField::MaxPower:
            return QStringLiteral("W");
        case RideSheetField::Calories:
            return QStringLiteral("kcal");
        case RideSheetField::Temperature:
            return QStringLiteral("°C");
        default:
            return QString();
    }
}

QString RideSheetHeading(RideSheetField field) {
    const QString unit = RideSheetFieldUnit(field);
    return unit.isEmpty() ? RideSheetFieldName(field)
                          : QString(RideSheetFieldName(field) + u" (" + unit + u')');
}

QStringList RideSheetHeadingCandidates(RideSheetField field) {
    QStringList names{RideSheetFieldName(field), QString::fromUtf8(Info(field).english)};
    const QString others = QString::fromUtf8(Info(field).others);
    if (!others.isEmpty()) {
        names += others.split(u';');
    }
    return names;
}

QByteArray RideSpreadsheetReport(const RecordReportInput<RideRecord>& input) {
    std::vector<RideDetail> stored;
    std::unordered_map<int, const RideDetail*> details;
    if (DB_GetRideDetails(&stored) == store::kOk) {
        for (const RideDetail& detail : stored) {
            details.emplace(detail.RideRecordNumber, &detail);
        }
    }
    const auto detailOf = [&](const RideRecord& ride) -> const RideDetail* {
        const auto found = details.find(ride.RideRecordNumber);
        return found == details.end() || found->second->Date != ride.Date ? nullptr : found->second;
    };

    // The optional columns some exported ride fills.
    std::array<bool, kRideSheetFieldCount> shown{};
    for (int field = 0; field <= static_cast<int>(RideSheetField::MaxSpeed); ++field) {
        shown[static_cast<size_t>(field)] = true;
    }
    shown[static_cast<size_t>(RideSheetField::Memo)] = true;
    for (const RideRecord* ride : input.records) {
        if (const RideDetail* detail = detailOf(*ride)) {
            for (int i = 0; i < kDetailFieldCount; ++i) {
                shown[static_cast<size_t>(kFirstDetailField + i)] |=
                    (detail->*kRideDetailFigures[i]).has_value();
            }
        }
        shown[static_cast<size_t>(RideSheetField::Effort)] |= ride->DifficultyLevel != 0;
        shown[static_cast<size_t>(RideSheetField::Feeling)] |= ride->FeelingLevel != 0;
    }

    SpreadsheetCsv sheet(CurrentSpreadsheetConventions());
    for (int field = 0; field < kRideSheetFieldCount; ++field) {
        if (shown[static_cast<size_t>(field)]) {
            sheet.Text(RideSheetHeading(static_cast<RideSheetField>(field)));
        }
    }
    sheet.EndLine();
    const BicycleList& bicycles = input.Bicycles();
    for (const RideRecord* ride : input.records) {
        const RideDetail* detail = detailOf(*ride);
        for (int field = 0; field < kRideSheetFieldCount; ++field) {
            if (!shown[static_cast<size_t>(field)]) {
                continue;
            }
            switch (static_cast<RideSheetField>(field)) {
                case RideSheetField::Date:
                    sheet.Text(IsoLocalDateTime(ride->Date));
                    break;
                case RideSheetField::Bicycle: {
                    const BicycleAttribute* bicycle = nullptr;
                    const bool found =
                        DB_FindBicycle(ride->BicycleNumber, &bicycles, &bicycle) == store::kOk && bicycle;
                    sheet.Text(found ? FromTextBlock(bicycle->BicycleName) : QString());
                    break;
                }
                case RideSheetField::Distance:
                    sheet.Number(FromKilometres(ride->Distance));
                    break;
                case RideSheetField::RidingTime:
                    sheet.Text(SpreadsheetDuration(TotalSeconds(*ride)));
                    break;
                case RideSheetField::AverageSpeed:
                    sheet.Number(FromKilometres(
                        AverageSpeed(ride->Distance, ride->Hours, ride->Minutes, ride->Seconds)));
                    break;
                case RideSheetField::MaxSpeed:
                    sheet.Number(FromKilometres(ride->MaxSpeed));
                    break;
                case RideSheetField::ElapsedTime:
                    if (detail && detail->ElapsedSeconds) {
                        sheet.Text(
                            SpreadsheetDuration(static_cast<int64_t>(std::llround(*detail->ElapsedSeconds))));
                    } else {
                        sheet.Text(QString());
                    }
                    break;
                case RideSheetField::Effort:
                    sheet.Number(ride->DifficultyLevel != 0 ? std::optional<double>(ride->DifficultyLevel)
                                                            : std::nullopt);
                    break;
                case RideSheetField::Feeling:
                    sheet.Number(ride->FeelingLevel != 0 ? std::optional<double>(ride->FeelingLevel)
                                                         : std::nullopt);
                    break;
                case RideSheetField::Memo:
                    sheet.Text(FromTextBlock(ride->Memo));
                    break;
                default:
                    sheet.Number(detail ? detail->*kRideDetailFigures[field - kFirstDetailField]
                                        : std::nullopt);
                    break;
            }
        }
        sheet.EndLine();
    }
    return sheet.Bytes();
}
