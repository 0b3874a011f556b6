#pragma once
// Where a ride's or a maintenance entry's formatted memo lives: a folder named
// by the record number under Rides or Maintenance in the program directory.

#include "store/store.h"

#include <QString>
#include <cstdint>

enum class RecordKind { Ride, Maintenance };

// The folder under the program directory that holds every memo folder of kind.
inline const char* RecordCollectionFolder(RecordKind kind) {
    return kind == RecordKind::Ride ? logfiles::kRidesFolder : logfiles::kMaintenanceFolder;
}

// <program directory>/Rides/<number> or <program directory>/Maintenance/<number>.
QString RecordMemoFolder(RecordKind kind, int number);

// What the code shared by the ride and maintenance lists asks of a record
// type: its kind (RecordKindOf<RideRecord>::value) and a record's number.
template <typename Record>
struct RecordKindOf;
template <>
struct RecordKindOf<RideRecord> {
    static constexpr RecordKind value = RecordKind::Ride;
};
template <>
struct RecordKindOf<MaintenanceRecord> {
    static constexpr RecordKind value = RecordKind::Maintenance;
};
inline int32_t RecordNumber(const RideRecord& ride) {
    return ride.RideRecordNumber;
}
inline int32_t RecordNumber(const MaintenanceRecord& entry) {
    return entry.MaintenanceRecordNumber;
}

// The memo folder of a stored ride or maintenance entry.
template <typename Record>
QString RecordMemoFolder(const Record& record) {
    return RecordMemoFolder(RecordKindOf<Record>::value, RecordNumber(record));
}
