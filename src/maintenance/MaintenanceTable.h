#pragma once
// The maintenance list as the page shows it and its reports copy it: the four
// columns with their cells and sort keys, and the totals of the listed
// entries for the status line. Plain functions of plain inputs, usable
// without a window.

#include "store/store.h"
#include "units/RecordCells.h"
#include "widgets/RecordTableModel.h"

#include <QString>
#include <vector>

enum MaintenanceColumn : int {
    kMaintenanceDateColumn,
    kMaintenanceBicycleColumn,
    kMaintenanceCostColumn,
    kMaintenanceMemoColumn,
    kMaintenanceColumnCount
};

QString MaintenanceCellText(const MaintenanceRecord& entry, int column, const RecordCellWords& words);
// The key a click on the column's heading sorts by: the date, the bicycle's
// number (not its name) or the cost; the memo column has none.
double MaintenanceSortKey(const MaintenanceRecord& entry, int column);

// The model's column table; the cells read words through the pointer, which
// must outlive the model.
std::vector<RecordColumn<MaintenanceRecord>> MaintenanceTableColumns(const RecordCellWords* words);

struct MaintenanceTotals {
    int count = 0;
    double cost = 0.0;
};
MaintenanceTotals SumMaintenance(const std::vector<MaintenanceRecord>& entries);

// MaintenanceDlg/STAT filled with the totals, at most 255 characters.
QString MaintenanceStatusText(const MaintenanceTotals& totals);
