// Tables Part, PartStretch, ServiceTask, ServiceLink and FrozenRide (see PartsService.h).

#include "store/PartsService.h"

#include "store/StoreInternal.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <limits>

using namespace store;
using namespace store::detail;

namespace {

bool HasTable(const char* name) {
    Statement statement =
        Prepare(FormatSql("select 1 from sqlite_master where type = 'table' and name = '%s'", name));
    return statement && sqlite3_step(statement.get()) == SQLITE_ROW;
}

bool HasServiceTables() {
    return HasTable("Part") && HasTable("PartStretch") && HasTable("ServiceTask") && HasTable("ServiceLink");
}

std::string ColumnText(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, column)))
                : std::string();
}

// Text or a figure no part can have, written by another program, reads as 0.
double ColumnFigure(sqlite3_stmt* statement, int column) {
    const double value = sqlite3_column_double(statement, column);
    return std::isfinite(value) ? value : 0.0;
}

bool Finite(std::initializer_list<double> values) {
    for (const double value : values) {
        if (!std::isfinite(value)) {
            SetLastError("ERROR: A figure that is infinite or not a number can not be stored.");
            return false;
        }
    }
    return true;
}

// Binds consecutive values; remembers whether every bind worked.
class Binds {
public:
    explicit Binds(sqlite3_stmt* statement) : m_statement(statement) {}
    Binds& Int(int64_t value) { return Check(sqlite3_bind_int64(m_statement, m_position, value)); }
    Binds& Double(double value) { return Check(sqlite3_bind_double(m_statement, m_position, value)); }
    Binds& Text(const std::string& text) {
        return Check(sqlite3_bind_text(m_statement, m_position, text.data(), static_cast<int>(text.size()),
                                       SQLITE_TRANSIENT));
    }
    Binds& OptionalInt(const std::optional<int32_t>& value) {
        return value ? Int(*value) : Check(sqlite3_bind_null(m_statement, m_position));
    }
    bool Ok() const { return m_ok; }

private:
    Binds& Check(int result) {
        m_ok = m_ok && result == SQLITE_OK;
        ++m_position;
        return *this;
    }
    sqlite3_stmt* m_statement;
    int m_position = 1;
    bool m_ok = true;
};

// Prepares sql, lets bind fill its parameters and runs it to its end.
template <typename Bind>
int Run(const std::string& sql, Bind bind) {
    Statement statement = Prepare(sql);
    if (!statement) {
        SetLastError("%s", kPrepareError);
        return kFailed;
    }
    Binds binds(statement.get());
    bind(binds);
    if (!binds.Ok()) {
        SetLastError("ERROR: Can not bind data.");
        return kFailed;
    }
    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        SetLastError("%s", kExecuteError);
        return kFailed;
    }
    return kOk;
}

int Exec(const std::string& sql) {
    return DB_ExecSql(Connection(), sql.c_str());
}

// Reads every row of sql into list; an older log without the tables (or
// without also, when given) has none.
template <typename Row, typename Read>
int ReadAll(const std::string& sql, std::vector<Row>* list, Read read, const char* also = nullptr) {
    if (!DB_GetConnection() || !list) {
        return NoConnection();
    }
    list->clear();
    if (!HasServiceTables() || (also && !HasTable(also))) {
        return kOk;
    }
    return FetchRecords(sql, list,
                        [&read](sqlite3_stmt* statement, Row* row) {
                            try {
                                read(statement, row);
                            } catch (const std::bad_alloc&) {
                                SetLastError("%s", kOutOfMemoryError);
                                return kFailed;
                            }
                            return kOk;
                        },
                        {});
}

// Begins the transaction every write here runs in; false with the reason set.
bool Begun(const Transaction& transaction) {
    if (!transaction.IsOpen()) {
        SetLastError("%s", kExecuteError);
        return false;
    }
    if (!HasServiceTables()) {
        SetLastError("ERROR: The parts and service tables are missing from the database.");
        return false;
    }
    return true;
}

int Finish(int result, Transaction& transaction) {
    if (result != kOk) {
        return result;
    }
    return transaction.Commit() ? kOk : kFailed;
}

// Runs one write in its own transaction, committed when body returns kOk.
// Without a connection, or without what the write needs (given), nothing is
// written.
template <typename Body>
int InTransaction(bool given, Body body) {
    if (!DB_GetConnection() || !given) {
        return NoConnection();
    }
    Transaction transaction;
    if (!Begun(transaction)) {
        return kFailed;
    }
    return Finish(body(), transaction);
}

// A part's own fields, in the order the statements below name them.
void BindPart(Binds& b, const Part& part) {
    b.Text(part.Name)
        .Int(part.Kind)
        .Double(part.PriorDistance)
        .Int(part.PriorSeconds)
        .Double(part.CarriedDistance)
        .Int(part.CarriedSeconds)
        .Double(part.Cost)
        .Text(part.Note);
}

// A task's own fields, in the order the statements below name them.
void BindTask(Binds& b, const ServiceTask& task) {
    b.Int(task.BicycleNumber)
        .Int(task.PartNumber)
        .Text(task.Name)
        .Int(static_cast<int32_t>(task.Kind))
        .Double(task.IntervalDistance)
        .Double(task.IntervalHours)
        .Int(task.IntervalDays)
        .Int(task.LastDone)
        .Double(task.DueSoonShare);
}

int InsertPartRow(Part* part) {
    if (!Finite({part->PriorDistance, part->CarriedDistance, part->Cost})) {
        return kFailed;
    }
    const int result =
        Run("insert into Part(Name, Kind, PriorDistance, PriorSeconds, CarriedDistance, CarriedSeconds, "
            "Cost, Note) "
            "values (?, ?, ?, ?, ?, ?, ?, ?)",
            [part](Binds& b) { BindPart(b, *part); });
    if (result == kOk) {
        part->PartNumber = static_cast<int32_t>(sqlite3_last_insert_rowid(Connection()));
    }
    return result;
}

int Fit(int partNumber, int bicycleNumber, int32_t day) {
    return Run("insert into PartStretch(PartNumber, BicycleNumber, Fitted, Removed) values (?, ?, ?, null)",
               [&](Binds& b) { b.Int(partNumber).Int(bicycleNumber).Int(day); });
}

// Ends the part's open stretch on day; a stretch fitted after day ends where it began.
int TakeOff(int partNumber, int32_t day) {
    return Run("update PartStretch set Removed = max(Fitted, ?) where PartNumber = ? and Removed is null",
               [&](Binds& b) { b.Int(day).Int(partNumber); });
}

// Removes the parts that partQuery (a select of part numbers) names, with
// their stretches, tasks and links.
int DeleteParts(const std::string& partQuery) {
    std::string numbers;
    {
        Statement statement = Prepare(partQuery);
        if (!statement) {
            SetLastError("%s", kPrepareError);
            return kFailed;
        }
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
            numbers +=
                (numbers.empty() ? "" : ",") + std::to_string(sqlite3_column_int64(statement.get(), 0));
        }
        if (step != SQLITE_DONE) {
            SetLastError("%s", kFetchError);
            return kFailed;
        }
    }
    if (numbers.empty()) {
        return kOk;
    }
    int result =
        Exec(FormatSql("delete from ServiceLink where PartNumber in (%s) or TaskNumber in (select "
                       "TaskNumber from ServiceTask where PartNumber in (%s))",
                       numbers.c_str(), numbers.c_str()));
    if (result == kOk && HasTable("FrozenRide")) {
        result = Exec(FormatSql("delete from FrozenRide where PartNumber in (%s)", numbers.c_str()));
    }
    for (const char* format :
         {"delete from ServiceTask where PartNumber in (%s)",
          "delete from PartStretch where PartNumber in (%s)", "delete from Part where PartNumber in (%s)"}) {
        if (result == kOk) {
            result = Exec(FormatSql(format, numbers.c_str()));
        }
    }
    return result;
}

}  // namespace

int DB_GetParts(std::vector<Part>* list) {
    return ReadAll(
        "select PartNumber, Name, Kind, PriorDistance, PriorSeconds, CarriedDistance, CarriedSeconds, "
        "Cost, Note from Part order by PartNumber",
        list, [](sqlite3_stmt* s, Part* part) {
            part->PartNumber = sqlite3_column_int(s, 0);
            part->Name = ColumnText(s, 1);
            part->Kind = sqlite3_column_int(s, 2);
            part->PriorDistance = ColumnFigure(s, 3);
            part->PriorSeconds = sqlite3_column_int64(s, 4);
            part->CarriedDistance = ColumnFigure(s, 5);
            part->CarriedSeconds = sqlite3_column_int64(s, 6);
            part->Cost = ColumnFigure(s, 7);
            part->Note = ColumnText(s, 8);
        });
}

int DB_GetPartStretches(std::vector<PartStretch>* list) {
    return ReadAll(
        "select StretchNumber, PartNumber, BicycleNumber, Fitted, Removed from PartStretch "
        "order by PartNumber, Fitted, StretchNumber",
        list, [](sqlite3_stmt* s, PartStretch* stretch) {
            stretch->StretchNumber = sqlite3_column_int(s, 0);
            stretch->PartNumber = sqlite3_column_int(s, 1);
            stretch->BicycleNumber = sqlite3_column_int(s, 2);
            stretch->Fitted = sqlite3_column_int(s, 3);
            if (sqlite3_column_type(s, 4) != SQLITE_NULL) {
                stretch->Removed = sqlite3_column_int(s, 4);
            }
        });
}

int DB_GetServiceTasks(std::vector<ServiceTask>* list) {
    return ReadAll(
        "select TaskNumber, BicycleNumber, PartNumber, Name, Kind, IntervalDistance, IntervalHours, "
        "IntervalDays, LastDone, DueSoonShare from ServiceTask order by TaskNumber",
        list, [](sqlite3_stmt* s, ServiceTask* task) {
            task->TaskNumber = sqlite3_column_int(s, 0);
            task->BicycleNumber = sqlite3_column_int(s, 1);
            task->PartNumber = sqlite3_column_int(s, 2);
            task->Name = ColumnText(s, 3);
            task->Kind = sqlite3_column_int(s, 4) == 1 ? TaskKind::At : TaskKind::Every;
            task->IntervalDistance = ColumnFigure(s, 5);
            task->IntervalHours = ColumnFigure(s, 6);
            task->IntervalDays = sqlite3_column_int(s, 7);
            task->LastDone = sqlite3_column_int(s, 8);
            const double share = ColumnFigure(s, 9);
            task->DueSoonShare = share > 0.0 && share <= 1.0 ? share : 0.8;
        });
}

int DB_GetFrozenRides(std::vector<FrozenRide>* list) {
    return ReadAll(
        "select PartNumber, Fitted, Removed, Date, Distance, Seconds from FrozenRide order by PartNumber, "
        "Date",
        list,
        [](sqlite3_stmt* s, FrozenRide* ride) {
            ride->PartNumber = sqlite3_column_int(s, 0);
            ride->Fitted = sqlite3_column_int(s, 1);
            ride->Removed = sqlite3_column_int(s, 2);
            ride->Date = sqlite3_column_int(s, 3);
            ride->Distance = ColumnFigure(s, 4);
            ride->Seconds = sqlite3_column_int64(s, 5);
        },
        "FrozenRide");
}

int DB_GetServiceLinks(std::vector<ServiceLink>* list) {
    return ReadAll(
        "select l.MaintenanceRecordNumber, l.Date, l.TaskNumber, l.PartNumber from ServiceLink l "
        "join MaintenanceRecord m on m.MaintenanceRecordNumber = l.MaintenanceRecordNumber and "
        "m.Date = l.Date order by l.MaintenanceRecordNumber",
        list, [](sqlite3_stmt* s, ServiceLink* link) {
            link->MaintenanceRecordNumber = sqlite3_column_int(s, 0);
            link->Date = sqlite3_column_int(s, 1);
            link->TaskNumber = sqlite3_column_int(s, 2);
            link->PartNumber = sqlite3_column_int(s, 3);
        });
}

namespace {

// The step of the connection's own aggregate that hands each ride over: one
// pass of SQLite's aggregate loop over the index, like a grouped sum, without
// a result row per ride. Registered on the connection only; the file holds
// nothing of it.
void HandOver(sqlite3_context* context, int, sqlite3_value** values) {
    const auto* each = static_cast<const std::function<void(const RideDay&)>*>(sqlite3_user_data(context));
    const double distance = sqlite3_value_double(values[2]);
    try {
        (*each)({sqlite3_value_int(values[0]), sqlite3_value_int(values[1]),
                 std::isfinite(distance) ? distance : 0.0, sqlite3_value_int64(values[3])});
    } catch (const std::bad_alloc&) {
        // No exception may pass through SQLite; the query ends with the failure.
        sqlite3_result_error_nomem(context);
    }
}

void HandOverEnd(sqlite3_context* context) {
    sqlite3_result_null(context);
}

}  // namespace

int DB_ReadRideDays(const std::function<void(const RideDay&)>& each) {
    sqlite3* connection = DB_GetConnection();
    if (!connection || !each) {
        return NoConnection();
    }
    if (sqlite3_create_function_v2(connection, "velomarq_ride_days", 4, SQLITE_UTF8,
                                   const_cast<std::function<void(const RideDay&)>*>(&each), nullptr, HandOver,
                                   HandOverEnd, nullptr) != SQLITE_OK) {
        SetLastError("%s", kPrepareError);
        return kFailed;
    }
    // The index on (BicycleNumber, Date, Distance, Hours, ...) holds every
    // column: the rides' rows are never visited, and they come by bicycle
    // and date.
    int result = kOk;
    {
        Statement statement = Prepare(
            "select velomarq_ride_days(BicycleNumber, Date, Distance, Hours * 3600 + "
            "Minutes * 60 + Seconds) from RideRecord");
        if (!statement) {
            SetLastError("%s", kPrepareError);
            result = kFailed;
        } else if (sqlite3_step(statement.get()) != SQLITE_ROW) {
            SetLastError("%s", kFetchError);
            result = kFailed;
        }
    }
    // The function points at each, which is gone once this returns.
    sqlite3_create_function_v2(connection, "velomarq_ride_days", 4, SQLITE_UTF8, nullptr, nullptr, nullptr,
                               nullptr, nullptr);
    return result;
}

int DB_InsertPart(Part* part, int bicycleNumber, int32_t day) {
    return InTransaction(part != nullptr, [&] {
        const int result = InsertPartRow(part);
        return result == kOk ? Fit(part->PartNumber, bicycleNumber, day) : result;
    });
}

int DB_UpdatePart(const Part* part) {
    return InTransaction(part != nullptr, [&] {
        if (!Finite({part->PriorDistance, part->CarriedDistance, part->Cost})) {
            return kFailed;
        }
        return Run(
            "update Part set Name = ?, Kind = ?, PriorDistance = ?, PriorSeconds = ?, CarriedDistance = ?, "
            "CarriedSeconds = ?, Cost = ?, Note = ? where PartNumber = ?",
            [part](Binds& b) {
                BindPart(b, *part);
                b.Int(part->PartNumber);
            });
    });
}

int DB_DeletePart(int partNumber) {
    return InTransaction(true, [&] { return DeleteParts(FormatSql("select %d", partNumber)); });
}

int DB_MovePart(int partNumber, int toBicycle, int32_t day) {
    return InTransaction(true, [&] {
        const int result = TakeOff(partNumber, day);
        return result == kOk && toBicycle > 0 ? Fit(partNumber, toBicycle, day) : result;
    });
}

int DB_ReplacePart(int oldPartNumber, Part* newPart, int32_t day, const MaintenanceRecord* entry) {
    return InTransaction(newPart != nullptr, [&] {
        // The bicycle the old part sits on now.
        Statement statement = Prepare(
            FormatSql("select BicycleNumber from PartStretch where PartNumber = %d and Removed is null "
                      "order by Fitted desc limit 1",
                      oldPartNumber));
        if (!statement || sqlite3_step(statement.get()) != SQLITE_ROW) {
            SetLastError("ERROR: Part %d is not fitted to a bicycle.", oldPartNumber);
            return kFailed;
        }
        const int bicycleNumber = sqlite3_column_int(statement.get(), 0);
        statement.reset();
        int result = TakeOff(oldPartNumber, day);
        if (result == kOk) {
            result = InsertPartRow(newPart);
        }
        if (result == kOk) {
            result = Fit(newPart->PartNumber, bicycleNumber, day);
        }
        if (result == kOk) {
            result = Exec(FormatSql("update ServiceTask set PartNumber = %d where PartNumber = %d",
                                    newPart->PartNumber, oldPartNumber));
        }
        if (result == kOk && entry) {
            result = DB_InsertLinkedMaintenanceRecord(entry, 0, newPart->PartNumber);
        }
        return result;
    });
}

StretchDatesFault CheckStretchDates(const std::vector<PartStretch>& stored,
                                    const std::vector<PartStretch>& edited,
                                    const std::vector<FrozenRide>& frozen) {
    if (edited.size() != stored.size()) {
        return StretchDatesFault::Changed;
    }
    if (edited.empty()) {
        return StretchDatesFault::None;
    }
    std::vector<int32_t> numbers;
    for (const PartStretch& stretch : edited) {
        numbers.push_back(stretch.StretchNumber);
    }
    std::sort(numbers.begin(), numbers.end());
    if (std::adjacent_find(numbers.begin(), numbers.end()) != numbers.end()) {
        return StretchDatesFault::Changed;
    }
    for (const PartStretch& stretch : edited) {
        const auto same = std::find_if(stored.begin(), stored.end(), [&stretch](const PartStretch& s) {
            return s.StretchNumber == stretch.StretchNumber;
        });
        if (same == stored.end() || same->PartNumber != stretch.PartNumber ||
            same->BicycleNumber != stretch.BicycleNumber ||
            same->Removed.has_value() != stretch.Removed.has_value()) {
            return StretchDatesFault::Changed;
        }
        if (stretch.Removed && *stretch.Removed < stretch.Fitted) {
            return StretchDatesFault::RemovedBeforeFitted;
        }
    }
    // Each stretch from its fitting day up to its removal day (or for good);
    // one fitted and taken off the same day holds no day.
    // A deleted bicycle's stretch comes once for each of its ride dates.
    std::vector<std::pair<int64_t, int64_t>> spans;
    for (const FrozenRide& ride : frozen) {
        if (ride.PartNumber == edited.front().PartNumber) {
            spans.emplace_back(ride.Fitted, ride.Removed);
        }
    }
    std::sort(spans.begin(), spans.end());
    spans.erase(std::unique(spans.begin(), spans.end()), spans.end());
    for (const PartStretch& stretch : edited) {
        spans.emplace_back(stretch.Fitted,
                           stretch.Removed ? *stretch.Removed : std::numeric_limits<int64_t>::max());
    }
    std::sort(spans.begin(), spans.end());
    int64_t end = std::numeric_limits<int64_t>::min();
    for (const auto& [from, to] : spans) {
        if (from < to) {
            if (from < end) {
                return StretchDatesFault::Overlap;
            }
            end = to;
        }
    }
    return StretchDatesFault::None;
}

int DB_SetStretchDates(int partNumber, const std::vector<PartStretch>& stretches, StretchDatesFault* fault) {
    if (fault != nullptr) {
        *fault = StretchDatesFault::None;
    }
    return InTransaction(fault != nullptr, [&] {
        // Checked against the rows as they are now, inside the transaction.
        std::vector<PartStretch> all;
        std::vector<FrozenRide> frozen;
        if (DB_GetPartStretches(&all) != kOk || DB_GetFrozenRides(&frozen) != kOk) {
            return kFailed;
        }
        std::vector<PartStretch> stored;
        std::copy_if(all.begin(), all.end(), std::back_inserter(stored),
                     [partNumber](const PartStretch& s) { return s.PartNumber == partNumber; });
        *fault = stored.empty() || std::any_of(stretches.begin(), stretches.end(),
                                               [partNumber](const PartStretch& s) {
                                                   return s.PartNumber != partNumber;
                                               })
                     ? StretchDatesFault::Changed
                     : CheckStretchDates(stored, stretches, frozen);
        if (*fault != StretchDatesFault::None) {
            SetLastError("ERROR: The fitting and removal days of part %d can not be saved.", partNumber);
            return kFailed;
        }
        int result = kOk;
        for (const PartStretch& stretch : stretches) {
            if (result == kOk) {
                result =
                    Run("update PartStretch set Fitted = ?, Removed = ? where StretchNumber = ?",
                        [&stretch](Binds& b) {
                            b.Int(stretch.Fitted).OptionalInt(stretch.Removed).Int(stretch.StretchNumber);
                        });
            }
        }
        return result;
    });
}

int DB_InsertServiceTask(ServiceTask* task) {
    return InTransaction(task != nullptr, [&] {
        if (!Finite({task->IntervalDistance, task->IntervalHours, task->DueSoonShare})) {
            return kFailed;
        }
        int result =
            Run("insert into ServiceTask(BicycleNumber, PartNumber, Name, Kind, IntervalDistance, "
                "IntervalHours, IntervalDays, LastDone, DueSoonShare) values (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                [task](Binds& b) { BindTask(b, *task); });
        if (result == kOk) {
            task->TaskNumber = static_cast<int32_t>(sqlite3_last_insert_rowid(Connection()));
        }
        return result;
    });
}

int DB_UpdateServiceTask(const ServiceTask* task) {
    return InTransaction(task != nullptr, [&] {
        if (!Finite({task->IntervalDistance, task->IntervalHours, task->DueSoonShare})) {
            return kFailed;
        }
        return Run(
            "update ServiceTask set BicycleNumber = ?, PartNumber = ?, Name = ?, Kind = ?, "
            "IntervalDistance = ?, IntervalHours = ?, IntervalDays = ?, LastDone = ?, DueSoonShare = ? "
            "where TaskNumber = ?",
            [task](Binds& b) {
                BindTask(b, *task);
                b.Int(task->TaskNumber);
            });
    });
}

int DB_DeleteServiceTask(int taskNumber) {
    return InTransaction(true, [&] {
        int result = Exec(FormatSql("delete from ServiceLink where TaskNumber = %d", taskNumber));
        if (result == kOk) {
            result = Exec(FormatSql("delete from ServiceTask where TaskNumber = %d", taskNumber));
        }
        return result;
    });
}

int DB_InsertLinkedMaintenanceRecord(const MaintenanceRecord* entry, int taskNumber, int partNumber) {
    return InTransaction(entry != nullptr, [&] {
        int result = DB_InsertMaintenanceRecord(entry);
        if (result == kOk) {
            const int64_t number = sqlite3_last_insert_rowid(Connection());
            result = Run(
                "insert or replace into ServiceLink(MaintenanceRecordNumber, Date, TaskNumber, PartNumber) "
                "values (?, ?, ?, ?)",
                [&](Binds& b) { b.Int(number).Int(entry->Date).Int(taskNumber).Int(partNumber); });
        }
        return result;
    });
}

namespace store::detail {

int RemoveServiceLinks(int number) {
    if (!HasTable("ServiceLink")) {
        return kOk;
    }
    return Exec(FormatSql("delete from ServiceLink where MaintenanceRecordNumber = %d", number));
}

int MoveServiceLinkDate(int number, int32_t date) {
    if (!HasTable("ServiceLink")) {
        return kOk;
    }
    // Only a link that belonged to the entry as it was follows it.
    return Exec(
        FormatSql("update ServiceLink set Date = %d where MaintenanceRecordNumber = %d and Date = (select "
                  "Date from MaintenanceRecord where MaintenanceRecordNumber = %d)",
                  date, number, number));
}

int RemoveBicycleService(int bicycleNumber) {
    if (!HasServiceTables()) {
        return kOk;
    }
    const int n = bicycleNumber;
    // The rides a stretch on this bicycle counted, as fixed usage of its part.
    const char* rides =
        "from PartStretch s join RideRecord r on r.BicycleNumber = s.BicycleNumber and r.Date >= "
        "s.Fitted and (s.Removed is null or r.Date < s.Removed) where s.PartNumber = "
        "Part.PartNumber and s.BicycleNumber = %d";
    int result = Exec(FormatSql(
        (std::string("update Part set CarriedDistance = coalesce(CarriedDistance, 0) + coalesce((select "
                     "sum(r.Distance) ") +
         rides +
         "), 0), CarriedSeconds = coalesce(CarriedSeconds, 0) + coalesce((select sum(r.Hours * 3600 + "
         "r.Minutes * 60 + r.Seconds) " +
         rides + "), 0) where PartNumber in (select PartNumber from PartStretch where BicycleNumber = %d)")
            .c_str(),
        n, n, n));
    // The same rides by date, for usage since a day; parts still on the
    // bicycle go below, and theirs with them.
    if (result == kOk && HasTable("FrozenRide")) {
        result = Exec(FormatSql(
            "insert into FrozenRide(PartNumber, Fitted, Removed, Date, Distance, Seconds) select "
            "s.PartNumber, "
            "s.Fitted, s.Removed, r.Date, sum(r.Distance), sum(r.Hours * 3600 + r.Minutes * 60 + r.Seconds) "
            "from PartStretch s join RideRecord r on r.BicycleNumber = s.BicycleNumber and r.Date >= "
            "s.Fitted "
            "and r.Date < s.Removed where s.BicycleNumber = %d and s.Removed is not null group by "
            "s.StretchNumber, r.Date",
            n));
    }
    if (result == kOk) {
        result = DeleteParts(
            FormatSql("select PartNumber from PartStretch where BicycleNumber = %d and Removed is null", n));
    }
    for (const char* format :
         {"delete from PartStretch where BicycleNumber = %d",
          "delete from ServiceLink where TaskNumber in (select TaskNumber from ServiceTask where "
          "BicycleNumber = "
          "%d)",
          "delete from ServiceTask where BicycleNumber = %d",
          "delete from ServiceLink where MaintenanceRecordNumber in (select MaintenanceRecordNumber from "
          "MaintenanceRecord where BicycleNumber = %d)"}) {
        if (result == kOk) {
            result = Exec(FormatSql(format, n));
        }
    }
    return result;
}

void RemoveStaleServiceLinks() {
    if (HasTable("ServiceLink")) {
        (void)Exec(
            "delete from ServiceLink where not exists (select 1 from MaintenanceRecord m where "
            "m.MaintenanceRecordNumber = ServiceLink.MaintenanceRecordNumber and m.Date = ServiceLink.Date)");
    }
    ClearLastError();
}

}  // namespace store::detail
