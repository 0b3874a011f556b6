#include "maintenance/MaintenanceTable.h"

#include "language/CountedText.h"
#include "language/Language.h"
#include "units/SafeFormat.h"
#include "units/Units.h"

#include <array>

namespace {

constexpr qsizetype kStatusTextCharacters = 255;

const std::array<TableColumnInfo, kMaintenanceColumnCount> kColumns = {{
    {LanguageKey{"Strings", "DATE"}, 100, Qt::AlignLeft | Qt::AlignVCenter, true},
    {LanguageKey{"Strings", "BICY"}, 100, Qt::AlignLeft | Qt::AlignVCenter, true},
    {LanguageKey{"Strings", "COST"}, 70, Qt::AlignRight | Qt::AlignVCenter, true},
    {LanguageKey{"Strings", "MEMO"}, 300, Qt::AlignLeft | Qt::AlignVCenter, false},
}};

}  // namespace

QString MaintenanceCellText(const MaintenanceRecord& entry, int column, const RecordCellWords& words) {
    switch (column) {
        case kMaintenanceDateColumn:
            return words.DateCell(entry.Date);
        case kMaintenanceBicycleColumn:
            return words.BicycleName(entry.BicycleNumber);
        case kMaintenanceCostColumn:
            return FormatNumber(entry.Cost);
        case kMaintenanceMemoColumn:
            return MemoCellText(entry.Memo);
        default:
            return {};
    }
}

double MaintenanceSortKey(const MaintenanceRecord& entry, int column) {
    switch (column) {
        case kMaintenanceDateColumn:
            return entry.Date;
        case kMaintenanceBicycleColumn:
            return entry.BicycleNumber;
        case kMaintenanceCostColumn:
            return entry.Cost;
        default:
            return 0.0;
    }
}

std::vector<RecordColumn<MaintenanceRecord>> MaintenanceTableColumns(const RecordCellWords* words) {
    return MakeRecordColumns<MaintenanceRecord>(kColumns, words, &MaintenanceCellText, &MaintenanceSortKey);
}

MaintenanceTotals SumMaintenance(const std::vector<MaintenanceRecord>& entries) {
    MaintenanceTotals totals;
    for (const MaintenanceRecord& entry : entries) {
        totals.cost += entry.Cost;
        ++totals.count;
    }
    return totals;
}

QString MaintenanceStatusText(const MaintenanceTotals& totals) {
    QString text = SafeFormat(GetCountedLanguageString(LanguageKey{"MaintenanceDlg", "STAT"},
                                                       LanguageKey{"MaintenanceDlg", "STA1"}, totals.count),
                              {totals.count, totals.cost});
    text.truncate(kStatusTextCharacters);
    return text;
}
