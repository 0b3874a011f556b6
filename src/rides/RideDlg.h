#pragma once
// The ride list page: rides of one bicycle or all, over a range of local
// days, in a sortable table; their totals in the status line; New, Modify
// (with stepping through the list), Delete (with the ride's memo folder) and
// Export of what is listed.

#include "rides/RideRecordDlg.h"
#include "rides/RideTable.h"
#include "store/store.h"
#include "widgets/RecordListPage.h"

#include <QString>
#include <vector>

struct RideListTraits {
    using Record = RideRecord;
    using Words = RideCellWords;
    using Editor = RideRecordDlg;
    static constexpr auto Fetch = &DB_GetRideRecords;
    static constexpr auto MaxNumber = &DB_GetMaxRideRecordNumber;
    static constexpr auto Insert = &DB_InsertRideRecord;
    static constexpr auto Update = &DB_UpdateRideRecord;
    static constexpr auto Delete = &DB_DeleteRideRecord;
    static constexpr auto Copy = &DB_CopyRideRecord;
    static std::vector<RecordColumn<RideRecord>> Columns(const RideCellWords* words) {
        return RideTableColumns(words);
    }
    static QString StatusText(const std::vector<RideRecord>& rides) {
        return RideStatusText(SumRides(rides));
    }
    static void Export(QWidget* page, const QString& fileName, int format,
                       std::vector<const RideRecord*> rows, const BicycleList& bicycles,
                       const QString& statusText);
};

class RideDlg : public RecordListPageOf<RideListTraits> {
    Q_OBJECT
public:
    RideDlg(LinkLabel& statusLine, QWidget* parent);

    const RecordTableModel<RideRecord>& Rides() const { return Model(); }
};
