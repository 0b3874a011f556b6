#pragma once
// The record store: one SQLite connection held for the whole run, and the
// flat set of DB_ functions every page uses to read and write records.
//
// Result codes shared by every function:
//   0  success
//   1  no connection, or a required argument is missing
//   2  the configuration record has another version (configuration load only)
//   99 the operation failed; DB_GetLastError() says why
//
// Records are held by value: lists are std::vector, byte blocks are
// std::vector<uint8_t>. No Qt here.

#include "store/LogFiles.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace store {
inline constexpr int kOk = 0;
inline constexpr int kNoConnection = 1;
inline constexpr int kWrongVersion = 2;
inline constexpr int kFailed = 99;
inline constexpr const char* kDatabaseFileName = logfiles::kDatabase;
}  // namespace store

using ByteBlock = std::vector<uint8_t>;

// ---- Database file and connection ------------------------------------------

int DB_CreateDatabase();
int DB_OpenDatabase();
int DB_CloseDatabase();
const char* DB_GetLastError();
int DB_ExecSql(sqlite3* connection, const char* sql);
// The store's connection, or nullptr. Outside src/store only tests use it, to
// look at or change the database behind the store's back; the program's own
// code issues no SQL and groups its writes with the store's transaction.
sqlite3* DB_GetConnection();

// Why the last failure happened, beside the fixed last-error text: the SQLite
// extended result code (0 when SQLite had nothing to say, e.g. a record number
// out of range) and the errno of the system call that failed under it (0 when
// none). Set together with every last-error text.
struct StoreFailure {
    int sqliteCode = 0;
    int systemError = 0;
};
StoreFailure DB_GetLastFailure();
// SQLite's own English words for a result code.
const char* DB_DescribeResultCode(int sqliteCode);
// The SQLite library the program runs with, e.g. "3.40.1".
const char* DB_LibraryVersion();

// Called with every last-error text as it is set, with its failure, so that
// the program can write every failed store operation to its log. One
// observer; nullptr removes it. Called on the thread that failed.
using StoreFailureObserver = void (*)(const char* lastError, StoreFailure failure);
void DB_SetFailureObserver(StoreFailureObserver observer);
// True when the last failure on the connection was another program holding
// the database (still locked after the busy wait).
bool DB_LastFailureWasBusy();
// True when the last failure on the connection was a file that is damaged or
// is no database at all.
bool DB_LastFailureWasDamage();

namespace store {
// Groups writes on the store's connection so that they hold together: all of
// them or none. The first one open begins a transaction that takes the write
// lock at once (another program holding the database is then found before
// anything is written); one opened while another is open is nested through a
// savepoint, so that a part can be undone while the whole goes on. Rolls back
// what it holds unless committed. Every grouping of writes in the program goes
// through this; nothing outside the store runs begin, savepoint or rollback.
class Transaction {
public:
    Transaction();
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // False when the transaction could not be begun; DB_GetLastError says why.
    bool IsOpen() const { return m_open; }
    // Makes the writes since the start part of the enclosing transaction, or
    // of the database for the outermost one. False (with the last-error text)
    // when that failed; everything is then rolled back.
    [[nodiscard]] bool Commit();
    // Undoes the writes since the start; the enclosing transaction goes on.
    void RollBack();

private:
    int m_depth = 0;  // 0 for the outermost
    bool m_open = false;
};

// Owns the store's connection for a stretch of the program: whatever
// connection is open when it goes is closed. The main window holds one so that
// the connection outlives every page and goes before the language table.
class Session {
public:
    Session() = default;
    ~Session() { DB_CloseDatabase(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
};
}  // namespace store

// ---- The database as a whole: backup, restore, initialize -------------------
// Each builds its new file beside the target under a temporary name and puts
// it in place with one rename only when it is complete: the target is at every
// moment either the old file or the whole new one, never half of either.
// Paths are file-system bytes (UTF-8 here).

// Writes a consistent snapshot of the database to targetPath (SQLite's online
// backup: a change in progress is either wholly in the copy or not at all).
// Never replaces an existing file at targetPath. Reads through the store's
// connection when one is open, else from bicycle.db; the connection stays as
// it was. 1 when targetPath is missing or empty.
int DB_BackupDatabase(const char* targetPath);

namespace store {
// Why a backup's database is not one the program can run on.
enum class BackupFault {
    None,
    Missing,        // no file of that name
    Unreadable,     // SQLite cannot open or read it, or finds it damaged
    NoSettings,     // no settings record
    OtherVersion,   // the settings record names another version
    ForeignTables,  // a table or column the program reads is missing, or a record has no number
};
}  // namespace store

// Checks the database at path as start-up and the lists would find it,
// without writing anything: SQLite finds nothing damaged, the settings record
// is there with this version, and every table the program knows has the
// columns it reads. kOk; or kFailed with *fault (when given) and the
// last-error text naming the file and what is wrong. Leaves the store without
// a connection: the settings are read by the store's own reader. 1 when path
// is missing or empty.
int DB_CheckBackupDatabase(const char* path, store::BackupFault* fault);

// Makes a new database at stagedPath with the program's own schema, holding
// the rows of the backup database at sourcePath, or empty with the default
// settings record when sourcePath is null. Only the rows of the tables the
// program knows are copied, never the backup's triggers, views or indexes. A
// file left at stagedPath by an earlier attempt is replaced; on failure none
// is left. Leaves the store without a connection.
int DB_BuildDatabase(const char* stagedPath, const char* sourcePath);

// Closes the store's connection and renames stagedPath over bicycle.db (the
// one step that changes the database; the old file's journal goes with it).
// kFailed when stagedPath is not there or cannot be renamed.
int DB_PutDatabaseInPlace(const char* stagedPath);

// Both in one, for a database on its own: checks the backup at sourcePath,
// builds the new file beside bicycle.db and puts it in place; on any failure
// bicycle.db stays as it was. Leaves the store without a connection. 1 when
// sourcePath is missing or empty.
int DB_RestoreDatabase(const char* sourcePath);

// Replaces bicycle.db by a new, empty database with the default configuration
// record, built beside it and swapped in when complete; on failure the old
// file stays as it was. Leaves the store without a connection, like
// DB_CreateDatabase.
int DB_InitializeDatabase();

// ---- Application configuration record --------------------------------------

struct ApplicationConfigRecord {
    int32_t Version = 1;
    int32_t Reserved = 1;
    int32_t Language = 0;
    int32_t DistanceUnit = 0;
    int32_t WeekStart = 0;
    char Text[16] = {};
};

int DB_LoadApplicationConfig(ApplicationConfigRecord* record);
int DB_SaveApplicationConfig(const ApplicationConfigRecord* record);
int DB_WriteDefaultConfig();

// ---- Preferences ------------------------------------------------------------

// What the settings record has no room for, as text by name. A name never
// set is kOk with *found false.
int DB_GetPreference(const char* name, std::string* value, bool* found);
// Sets or replaces one preference.
int DB_SetPreference(const char* name, const std::string& value);

// ---- Bicycles, rides, maintenance entries and totals -----------------------
// (declared below by the record store's own section)

// A record list holds its records in query order; the caller owns it after a
// fetch. The release functions empty what they are given, so a page can say
// when it is done with a list; copying a record is plain value copying.

// A bicycle: the columns of table Bicycle plus the totals the full fetch fills.
struct BicycleAttribute {
    int32_t BicycleNumber = 0;
    ByteBlock BicycleName;  // opaque bytes; a fetched record always has at least one
    double Weight = 0.0;
    int32_t Frame = 0;
    double Cost = 0.0;
    int32_t Type = 0;
    int32_t DatePurchased = 0;  // seconds since 1970
    double PreviousODO = 0.0;
    double TotalDistance = 0.0;  // kilometres; full fetch only
    int32_t TotalHours = 0;      // full fetch only, normalised with the two below
    int32_t TotalMinutes = 0;
    int32_t TotalSeconds = 0;
    double MaxSpeed = 0.0;              // km/h; the full fetch puts the fastest ride here
    double TotalMaintenanceCost = 0.0;  // full fetch only
    // The part of TotalDistance ridden in rides with a riding time: what
    // average speeds divide. Full fetch only.
    double TimedDistance = 0.0;
    ByteBlock PictureData;  // may be empty
    ByteBlock Memo;         // may be empty
};
using BicycleList = std::vector<BicycleAttribute>;

struct RideRecord {
    int32_t RideRecordNumber = 0;  // also names the ride's memo folder
    int32_t Date = 0;              // seconds since 1970
    int32_t BicycleNumber = 0;
    double Distance = 0.0;  // kilometres
    double MaxSpeed = 0.0;  // km/h
    int32_t Hours = 0;
    int32_t Minutes = 0;
    int32_t Seconds = 0;
    int32_t DifficultyLevel = 0;
    int32_t FeelingLevel = 0;
    ByteBlock Memo;  // may be empty
};
using RideRecordList = std::vector<RideRecord>;

struct MaintenanceRecord {
    int32_t MaintenanceRecordNumber = 0;  // also names the entry's memo folder
    int32_t Date = 0;                     // seconds since 1970
    int32_t BicycleNumber = 0;
    double Cost = 0.0;
    ByteBlock Memo;  // may be empty
};
using MaintenanceRecordList = std::vector<MaintenanceRecord>;

// ---- Bicycles ---------------------------------------------------------------

// Every bicycle with every column and its totals, in BicycleNumber order.
int DB_GetBicycles(BicycleList* list);
// Every bicycle without picture, notes or totals (MaxSpeed as stored): for choosers.
int DB_GetBicycleList(BicycleList* list);
// Fills a record from the current row of "select * from Bicycle"; the short form
// reads only columns 0 to 8 (number to MaxSpeed).
int DB_StmtToBicycleAttribute(sqlite3_stmt* statement, BicycleAttribute* record, bool shortForm = false);
// Binds the ten stored values (all but the number) from position 1 for an update,
// 2 for an insert. Blocks are bound without copying: keep the record unchanged
// until the statement is finished.
int DB_BicycleAttributeToStmt(sqlite3_stmt* statement, const BicycleAttribute* record, bool forUpdate);
// The database numbers the new bicycle: largest number plus one.
int DB_InsertBicycle(const BicycleAttribute* record);
// Sets record->BicycleNumber to number, then overwrites that bicycle.
int DB_UpdateBicycle(int number, BicycleAttribute* record);
// Removes the bicycle with its rides and maintenance entries, all or nothing.
// Memo folders of the removed records stay on disk.
int DB_DeleteBicycle(int number);
void DB_ReleaseBicycle(BicycleAttribute* record);
void DB_ReleaseBicycleList(BicycleList* list);
void DB_CopyBicycle(BicycleAttribute* target, const BicycleAttribute* source);
// Points *record at the first bicycle in list with that number: 0; 99 when there
// is none; 1 when list or record is missing (an empty list counts as missing).
int DB_FindBicycle(int number, const BicycleList* list, const BicycleAttribute** record);
// Whole-file read and write, used for pictures.
int DB_ReadFile(const char* path, ByteBlock* bytes);
int DB_WriteFile(const char* path, const ByteBlock& bytes);

// ---- Rides ------------------------------------------------------------------
// condition: an SQL expression over the table's columns without "where", built
// by the pages from numbers, e.g. "(BicycleNumber==2) and (Date>...)"; null or
// empty means every record. Lists come newest date first.

int DB_GetRideRecords(const char* condition, RideRecordList* list);
int DB_StmtToRideRecord(sqlite3_stmt* statement, RideRecord* record);
int DB_RideRecordToStmt(sqlite3_stmt* statement, const RideRecord* record, bool forUpdate);
int DB_InsertRideRecord(const RideRecord* record);
int DB_UpdateRideRecord(int number, RideRecord* record);
// 0 also when no such ride exists; non-zero only when the delete itself failed.
int DB_DeleteRideRecord(int number);
// The number the next inserted ride receives: largest plus one, 1 when empty.
int DB_GetMaxRideRecordNumber(int* number);
void DB_ReleaseRideRecord(RideRecord* record);
void DB_ReleaseRideRecordList(RideRecordList* list);
void DB_CopyRideRecord(RideRecord* target, const RideRecord* source);

// ---- Ride figures beyond the ride's own columns -----------------------------
// One row per ride in table RideDetail: what the device recorded (or the
// rider typed) that the ride's columns have no room for. The riding time
// stays in the ride. A row keeps its ride's number and date; one whose ride
// is gone or has another date belongs to no ride: it is never read and is
// removed on open. Deleting a ride (or its bicycle) removes its row, and the
// store's own change of a ride's date carries its row along, each in the
// same transaction.

struct RideDetail {
    int32_t RideRecordNumber = 0;
    int32_t Date = 0;  // the ride's, as the row was written
    // Each figure is there only when the file held it or the rider typed it.
    std::optional<double> Ascent;            // metres
    std::optional<double> Descent;           // metres
    std::optional<double> AverageHeartRate;  // beats a minute
    std::optional<double> MaxHeartRate;
    std::optional<double> AverageCadence;  // turns a minute
    std::optional<double> AveragePower;    // watts
    std::optional<double> MaxPower;
    std::optional<double> Calories;            // kilocalories
    std::optional<double> AverageTemperature;  // degrees Celsius
    std::optional<double> ElapsedSeconds;      // from start to end, pauses included
    // The file the ride was imported from (UTF-8 name, no folder); empty for
    // a ride the rider typed. ActivityId names the activity within an archive.
    std::string SourceFile;
    std::string ActivityId;

    bool IsEmpty() const;
};

// The figures in column order, for code that treats them alike.
inline constexpr std::optional<double> RideDetail::*kRideDetailFigures[] = {
    &RideDetail::Ascent,        &RideDetail::Descent,        &RideDetail::AverageHeartRate,
    &RideDetail::MaxHeartRate,  &RideDetail::AverageCadence, &RideDetail::AveragePower,
    &RideDetail::MaxPower,      &RideDetail::Calories,       &RideDetail::AverageTemperature,
    &RideDetail::ElapsedSeconds};

// Every row that belongs to its ride, by ride number.
int DB_GetRideDetails(std::vector<RideDetail>* list);
// The rows of the rides a DB_GetRideRecords condition takes in (all for an
// empty one), by ride number.
int DB_GetRideDetailsOf(const char* condition, std::vector<RideDetail>* list);
// Every row numbered first..last in number order, whatever its ride: its
// number, the date it keeps (it belongs to the ride only while the ride has
// that date), and figures[i] for kRideDetailFigures[i], read for each bit i
// of wanted and there when bit i of known is set. One pass over the table,
// far quicker for a list of most rides in the range than finding each row.
using RideFiguresTaker =
    std::function<void(int32_t number, int32_t date, const double* figures, unsigned known)>;
int DB_ReadRideFigures(int32_t first, int32_t last, unsigned wanted, const RideFiguresTaker& take);
// The ascent summed over the rides a DB_GetRideRecords condition takes in;
// *counted is how many of them have one.
int DB_SumRideAscent(const char* condition, double* metres, int* counted);
// The ride's row: kOk with *found false when it has none.
int DB_GetRideDetail(int number, RideDetail* detail, bool* found);
// Writes the ride's row with the ride's stored date (an empty detail removes
// it). kFailed when there is no such ride or a figure is not finite.
int DB_SetRideDetail(int number, const RideDetail* detail);

// ---- Maintenance entries ----------------------------------------------------

int DB_GetMaintenanceRecords(const char* condition, MaintenanceRecordList* list);
int DB_StmtToMaintenanceRecord(sqlite3_stmt* statement, MaintenanceRecord* record);
int DB_MaintenanceRecordToStmt(sqlite3_stmt* statement, const MaintenanceRecord* record, bool forUpdate);
int DB_InsertMaintenanceRecord(const MaintenanceRecord* record);
int DB_UpdateMaintenanceRecord(int number, MaintenanceRecord* record);
int DB_DeleteMaintenanceRecord(int number);
int DB_GetMaxMaintenanceRecordNumber(int* number);
void DB_ReleaseMaintenanceRecord(MaintenanceRecord* record);
void DB_ReleaseMaintenanceRecordList(MaintenanceRecordList* list);
void DB_CopyMaintenanceRecord(MaintenanceRecord* target, const MaintenanceRecord* source);

// ---- Per-bicycle totals -----------------------------------------------------
// Over the rides (maintenance entries) of one bicycle; 0 when it has none.
// Outputs are written only on success.

int DB_GetTotalDistance(int bicycleNumber, double* distance);
// Seconds above 59 carry into minutes, minutes above 59 into hours; hours are unlimited.
int DB_GetTotalTime(int bicycleNumber, int32_t* hours, int32_t* minutes, int32_t* seconds);
int DB_GetMaxSpeed(int bicycleNumber, double* speed);
int DB_GetTotalMaintenanceCost(int bicycleNumber, double* cost);

// Parts that wear and service tasks: see PartsService.h.
#include "store/PartsService.h"
