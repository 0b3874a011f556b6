#pragma once
// Shared fixture of the maintenance tests: the page fixture with quick ways
// to make and store maintenance entries.

#include "support/PageTest.h"

#include <ostream>

// Failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

class MaintenanceTest : public PageTest {
protected:
    static MaintenanceRecord Entry(int bicycle, int64_t date, double cost, const QString& memo = QString()) {
        MaintenanceRecord entry;
        entry.BicycleNumber = bicycle;
        entry.Date = static_cast<int32_t>(date);
        entry.Cost = cost;
        if (!memo.isEmpty()) {
            entry.Memo = ToTextBlock(memo);
        }
        return entry;
    }

    static void AddEntry(const MaintenanceRecord& entry) {
        ASSERT_EQ(DB_InsertMaintenanceRecord(&entry), 0) << DB_GetLastError();
    }

    static MaintenanceRecordList StoredEntries() {
        MaintenanceRecordList entries;
        EXPECT_EQ(DB_GetMaintenanceRecords(nullptr, &entries), 0);
        return entries;
    }
};
