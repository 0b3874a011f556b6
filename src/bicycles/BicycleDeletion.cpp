#include "bicycles/BicycleDeletion.h"

#include "platform/Files.h"
#include "store/store.h"
#include "units/DayRange.h"
#include "units/RecordFolders.h"

#include <string>
#include <vector>

int DeleteBicycleWithMemoFolders(int bicycleNumber) {
    const std::string condition = BicycleCondition(bicycleNumber);
    RideRecordList rides;
    MaintenanceRecordList entries;
    if (DB_GetRideRecords(condition.c_str(), &rides) != store::kOk ||
        DB_GetMaintenanceRecords(condition.c_str(), &entries) != store::kOk) {
        // Without the numbers the folders could not be found afterwards; a
        // bicycle deleted now would leave them to be picked up by new records.
        DB_ReleaseRideRecordList(&rides);
        DB_ReleaseMaintenanceRecordList(&entries);
        return store::kFailed;
    }
    std::vector<int32_t> rideNumbers;
    rideNumbers.reserve(rides.size());
    for (const RideRecord& ride : rides) {
        rideNumbers.push_back(ride.RideRecordNumber);
    }
    std::vector<int32_t> entryNumbers;
    entryNumbers.reserve(entries.size());
    for (const MaintenanceRecord& entry : entries) {
        entryNumbers.push_back(entry.MaintenanceRecordNumber);
    }
    DB_ReleaseRideRecordList(&rides);
    DB_ReleaseMaintenanceRecordList(&entries);

    const int result = DB_DeleteBicycle(bicycleNumber);
    if (result != store::kOk) {
        return result;
    }
    // The records are gone; a folder that cannot be removed now is no reason
    // to report the delete as failed.
    for (const int32_t number : rideNumbers) {
        DeleteFolder(RecordMemoFolder(RecordKind::Ride, number));
    }
    for (const int32_t number : entryNumbers) {
        DeleteFolder(RecordMemoFolder(RecordKind::Maintenance, number));
    }
    return store::kOk;
}
