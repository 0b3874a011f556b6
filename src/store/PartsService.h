#pragma once
// Parts that wear and the service tasks of each bicycle, in tables that
// older logs go without (made on open). Distances are kilometres like the
// rides'; days are the local midnight of the day, as seconds since 1970, so
// that "on or after the fitting day" is a plain comparison with a ride's date.
// Usage is never stored as a running total: it is worked out from the rides
// whenever it is shown. The only usage kept is what a part had before it was
// fitted and what it gathered on bicycles deleted since (as a sum, and by ride
// date in a fifth table).
//
// Links from maintenance entries keep the entry's number and date, like every
// side row: a link whose entry is gone or has another date is ignored and
// removed on open; the store's own edit and delete of an entry carry its link
// along or remove it in the same transaction.

#include "store/store.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct Part {
    int32_t PartNumber = 0;
    std::string Name;  // UTF-8
    int32_t Kind = 0;  // index into the kinds the window offers
    // What a used part had before it was first fitted.
    double PriorDistance = 0.0;
    int64_t PriorSeconds = 0;
    // What it gathered on bicycles deleted since: their rides are gone.
    double CarriedDistance = 0.0;
    int64_t CarriedSeconds = 0;
    double Cost = 0.0;
    std::string Note;  // UTF-8
};

// A part on one bicycle from its fitting day up to (not including) its
// removal day; no removal day while it is still fitted.
struct PartStretch {
    int32_t StretchNumber = 0;
    int32_t PartNumber = 0;
    int32_t BicycleNumber = 0;
    int32_t Fitted = 0;
    std::optional<int32_t> Removed;
};

enum class TaskKind : int32_t {
    Every = 0,  // counted since last done
    At = 1,     // counted on the part's whole usage
};

struct ServiceTask {
    int32_t TaskNumber = 0;
    int32_t BicycleNumber = 0;
    int32_t PartNumber = 0;  // 0: the bicycle as a whole
    std::string Name;        // UTF-8
    TaskKind Kind = TaskKind::Every;
    // Each interval counts only when above zero; the first one reached decides.
    double IntervalDistance = 0.0;  // kilometres
    double IntervalHours = 0.0;     // riding hours
    int32_t IntervalDays = 0;
    // The day the rider says it was last done, for work before the log began;
    // a linked maintenance entry that is newer takes its place.
    int32_t LastDone = 0;
    // From this share of an interval on the task is due soon.
    double DueSoonShare = 0.8;
};

// A maintenance entry made for a task or a part (a part's fitting).
struct ServiceLink {
    int32_t MaintenanceRecordNumber = 0;
    int32_t Date = 0;  // the entry's date
    int32_t TaskNumber = 0;
    int32_t PartNumber = 0;
};

// What a part rode on one date on a bicycle deleted since: the rides' sums,
// with the stretch (fitting and removal day) they belonged to. The part's
// carried usage holds the same figures as one sum; these keep them by date,
// so that usage since a day (a task's last done) stays exact.
struct FrozenRide {
    int32_t PartNumber = 0;
    int32_t Fitted = 0;
    int32_t Removed = 0;
    int32_t Date = 0;
    double Distance = 0.0;
    int64_t Seconds = 0;
};

// Why new fitting and removal days of a part's stretches can not be saved.
enum class StretchDatesFault {
    None,
    RemovedBeforeFitted,  // a removal day before its fitting day
    Overlap,              // two stretches (or one and a deleted bicycle's) share a day
    Changed,              // not the part's stretches as stored: another bicycle, number or count
};

// Checks edited against stored (the part's stretches, any order): the same
// stretch numbers on the same bicycles, a stretch still fitted stays so,
// none removed before it was fitted, none overlapping another or the
// stretches of frozen (the part's rides on deleted bicycles).
StretchDatesFault CheckStretchDates(const std::vector<PartStretch>& stored,
                                    const std::vector<PartStretch>& edited,
                                    const std::vector<FrozenRide>& frozen);

// One ride's figures that usage is worked out from.
struct RideDay {
    int32_t BicycleNumber = 0;
    int32_t Date = 0;
    double Distance = 0.0;
    int64_t Seconds = 0;
};

// Every row, in number order; kOk with an empty list when the log has no such table.
int DB_GetParts(std::vector<Part>* list);
int DB_GetPartStretches(std::vector<PartStretch>* list);
int DB_GetServiceTasks(std::vector<ServiceTask>* list);
// By part, then date.
int DB_GetFrozenRides(std::vector<FrozenRide>* list);
// Only the links whose entry is there with the same date.
int DB_GetServiceLinks(std::vector<ServiceLink>* list);
// Hands each ride to each, as a rule ordered by bicycle, then date.
int DB_ReadRideDays(const std::function<void(const RideDay&)>& each);

// Adds the part fitted to the bicycle on day; sets part->PartNumber.
int DB_InsertPart(Part* part, int bicycleNumber, int32_t day);
int DB_UpdatePart(const Part* part);
// Removes the part with its stretches, its tasks and its links.
int DB_DeletePart(int partNumber);
// Takes the part off its bicycle on day (it stays in the part's history);
// with toBicycle above 0 it is fitted to that bicycle the same day.
int DB_MovePart(int partNumber, int toBicycle, int32_t day);
// Takes the old part off on day and fits newPart in its place, the old part's
// tasks following the new one; entry (when given) is added as the
// replacement's maintenance entry, linked to the new part. One transaction.
int DB_ReplacePart(int oldPartNumber, Part* newPart, int32_t day, const MaintenanceRecord* entry);

// Sets new fitting and removal days of the part's stretches (the bicycles and
// numbers as stored), checked as CheckStretchDates does against the stored
// rows, in one transaction. kFailed with *fault set when the check fails.
int DB_SetStretchDates(int partNumber, const std::vector<PartStretch>& stretches, StretchDatesFault* fault);

// Sets task->TaskNumber.
int DB_InsertServiceTask(ServiceTask* task);
int DB_UpdateServiceTask(const ServiceTask* task);
int DB_DeleteServiceTask(int taskNumber);
// Adds the maintenance entry and links it to the task or part (0: none), in one transaction.
int DB_InsertLinkedMaintenanceRecord(const MaintenanceRecord* entry, int taskNumber, int partNumber);
