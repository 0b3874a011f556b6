#pragma once
// The maintenance list page: entries of one bicycle or all, over a range of
// local days, in a sortable table; their count and cost in the status line;
// New, Modify (with stepping through the list), Delete (with the entry's memo
// folder) and Export of what is listed.

#include "maintenance/MaintenanceRecordDlg.h"
#include "maintenance/MaintenanceTable.h"
#include "store/store.h"
#include "units/RecordCells.h"
#include "widgets/RecordListPage.h"

#include <QString>
#include <vector>

struct MaintenanceListTraits {
    using Record = MaintenanceRecord;
    using Words = RecordCellWords;
    using Editor = MaintenanceRecordDlg;
    static constexpr auto Fetch = &DB_GetMaintenanceRecords;
    static constexpr auto MaxNumber = &DB_GetMaxMaintenanceRecordNumber;
    static constexpr auto Insert = &DB_InsertMaintenanceRecord;
    static constexpr auto Update = &DB_UpdateMaintenanceRecord;
    static constexpr auto Delete = &DB_DeleteMaintenanceRecord;
    static constexpr auto Copy = &DB_CopyMaintenanceRecord;
    static constexpr char kAnyRecord[] =
        "MaintenanceRecordNumber in (select MaintenanceRecordNumber from MaintenanceRecord limit 1)";
    static constexpr EmptyHintKeys kHints{LanguageKey{"EmptyHints", "MNTE"},
                                          LanguageKey{"EmptyHints", "MNTN"},
                                          LanguageKey{"EmptyHints", "MNTA"}};
    static std::vector<RecordColumn<MaintenanceRecord>> Columns(const RecordCellWords* words) {
        return MaintenanceTableColumns(words);
    }
    static QString StatusText(const std::vector<MaintenanceRecord>& entries) {
        return MaintenanceStatusText(SumMaintenance(entries));
    }
    static void Export(QWidget* page, const QString& fileName, int format,
                       std::vector<const MaintenanceRecord*> rows, const BicycleList& bicycles,
                       const QString& statusText);
};

class MaintenanceDlg : public RecordListPageOf<MaintenanceListTraits> {
    Q_OBJECT
public:
    MaintenanceDlg(LinkLabel& statusLine, QWidget* parent);

    const RecordTableModel<MaintenanceRecord>& Entries() const { return Model(); }
};
