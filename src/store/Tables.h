#pragma once
// The one list of the tables the program knows. A new file is created from
// it, a backup is checked against it and its rows are copied through it: a
// table that joins later is added here and nowhere else, and is marked as one
// that older logs do not have.

#include "store/store.h"

#include <span>

namespace store {

struct TableDefinition {
    const char* name;
    // Written exactly like this into every new file; other programs that read
    // bicycle.db compare against these texts.
    const char* createSql;
    const char* createFailure;
    // The columns the program reads, comma-separated, in the order of the
    // table: a backup's table must have each of them, and only they are copied.
    const char* columns;
    // The record-number column, which also names memo folders; nullptr when the
    // table has none. A backup's row must hold a whole number there.
    const char* numberColumn;
    // Every log has the table; false for tables older logs go without, which
    // a restore then creates empty.
    bool inEveryLog;
};

inline constexpr TableDefinition kTables[] = {
    {"Bicycle",
     "create table Bicycle(\t\tBicycleNumber INTEGER PRIMARY KEY,\t\tBicycleName BLOB,\t\tWeight REAL,"
     "\t\tFrame INTEGER,\t\tCost REAL,\t\tType INTEGER,\t\tDatePurchased INTEGER,\t\tPreviousODO REAL,"
     "\t\tMaxSpeed REAL,\t\tPictureData BLOB,\t\tMemo BLOB\t\t)",
     "ERROR: Can not create table: Bicycle.",
     "BicycleNumber,BicycleName,Weight,Frame,Cost,Type,DatePurchased,PreviousODO,MaxSpeed,PictureData,Memo",
     "BicycleNumber", true},
    {"RideRecord",
     "create table RideRecord(\t\tRideRecordNumber INTEGER PRIMARY KEY,\t\tDate INTEGER,"
     "\t\tBicycleNumber INTEGER,\t\tDistance REAL,\t\tMaxSpeed REAL,\t\tHours INTEGER,\t\tMinutes INTEGER,"
     "\t\tSeconds INTEGER,\t\tDifficultyLevel INTEGER,\t\tFeelingLevel INTEGER,\t\tMemo BLOB\t\t)",
     "ERROR: Can not create table: RideRecord.",
     "RideRecordNumber,Date,BicycleNumber,Distance,MaxSpeed,Hours,Minutes,Seconds,DifficultyLevel,"
     "FeelingLevel,Memo",
     "RideRecordNumber", true},
    {"MaintenanceRecord",
     "create table MaintenanceRecord(\t\tMaintenanceRecordNumber INTEGER PRIMARY KEY,\t\tDate INTEGER,"
     "\t\tBicycleNumber INTEGER,\t\tCost REAL,\t\tMemo BLOB\t\t)",
     "ERROR: Can not create table: MaintenanceRecord.",
     "MaintenanceRecordNumber,Date,BicycleNumber,Cost,Memo", "MaintenanceRecordNumber", true},
    {"ApplicationConfig", "create table ApplicationConfig(\t\tData BLOB\t\t)",
     "ERROR: Can not create table: ApplicationConfig.", "Data", nullptr, true},
    // Preferences the settings record has no room for (currency, window state).
    {"Preference", "create table Preference(\t\tName TEXT PRIMARY KEY,\t\tValue TEXT\t\t)",
     "ERROR: Can not create table: Preference.", "Name,Value", nullptr, false},
    // What a ride's device recorded beyond the ride's own columns.
    {"RideDetail",
     "create table RideDetail(\t\tRideRecordNumber INTEGER PRIMARY KEY,\t\tDate INTEGER,\t\tAscent REAL,"
     "\t\tDescent REAL,\t\tAverageHeartRate REAL,\t\tMaxHeartRate REAL,\t\tAverageCadence REAL,"
     "\t\tAveragePower REAL,\t\tMaxPower REAL,\t\tCalories REAL,\t\tAverageTemperature REAL,"
     "\t\tElapsedSeconds REAL,\t\tSourceFile TEXT,\t\tActivityId TEXT\t\t)",
     "ERROR: Can not create table: RideDetail.",
     "RideRecordNumber,Date,Ascent,Descent,AverageHeartRate,MaxHeartRate,AverageCadence,AveragePower,"
     "MaxPower,"
     "Calories,AverageTemperature,ElapsedSeconds,SourceFile,ActivityId",
     "RideRecordNumber", false},
    // Parts that wear, their stretches on bicycles, service tasks, and the
    // maintenance entries made for them.
    {"Part",
     "create table Part(\t\tPartNumber INTEGER PRIMARY KEY,\t\tName TEXT,\t\tKind INTEGER,"
     "\t\tPriorDistance REAL,\t\tPriorSeconds INTEGER,\t\tCarriedDistance REAL,\t\tCarriedSeconds INTEGER,"
     "\t\tCost REAL,\t\tNote TEXT\t\t)",
     "ERROR: Can not create table: Part.",
     "PartNumber,Name,Kind,PriorDistance,PriorSeconds,CarriedDistance,CarriedSeconds,Cost,Note", nullptr,
     false},
    {"PartStretch",
     "create table PartStretch(\t\tStretchNumber INTEGER PRIMARY KEY,\t\tPartNumber INTEGER,"
     "\t\tBicycleNumber INTEGER,\t\tFitted INTEGER,\t\tRemoved INTEGER\t\t)",
     "ERROR: Can not create table: PartStretch.", "StretchNumber,PartNumber,BicycleNumber,Fitted,Removed",
     nullptr, false},
    {"ServiceTask",
     "create table ServiceTask(\t\tTaskNumber INTEGER PRIMARY KEY,\t\tBicycleNumber INTEGER,"
     "\t\tPartNumber INTEGER,\t\tName TEXT,\t\tKind INTEGER,\t\tIntervalDistance REAL,"
     "\t\tIntervalHours REAL,\t\tIntervalDays INTEGER,\t\tLastDone INTEGER,\t\tDueSoonShare REAL\t\t)",
     "ERROR: Can not create table: ServiceTask.",
     "TaskNumber,BicycleNumber,PartNumber,Name,Kind,IntervalDistance,IntervalHours,IntervalDays,LastDone,"
     "DueSoonShare",
     nullptr, false},
    {"ServiceLink",
     "create table ServiceLink(\t\tMaintenanceRecordNumber INTEGER PRIMARY KEY,\t\tDate INTEGER,"
     "\t\tTaskNumber INTEGER,\t\tPartNumber INTEGER\t\t)",
     "ERROR: Can not create table: ServiceLink.", "MaintenanceRecordNumber,Date,TaskNumber,PartNumber",
     "MaintenanceRecordNumber", false},
    // What parts rode on bicycles deleted since, by ride date within the
    // stretch it belonged to: usage since a day stays exact without the rides.
    {"FrozenRide",
     "create table FrozenRide(\t\tPartNumber INTEGER,\t\tFitted INTEGER,\t\tRemoved INTEGER,\t\tDate INTEGER,"
     "\t\tDistance REAL,\t\tSeconds INTEGER\t\t)",
     "ERROR: Can not create table: FrozenRide.", "PartNumber,Fitted,Removed,Date,Distance,Seconds", nullptr,
     false},
};

namespace detail {
// Checks the database open on source against tables: each table every log has
// is there, each present table has the listed columns and whole record
// numbers. kOk, or kFailed with *fault and the last-error text naming the
// table (path names the file in it).
int CheckTables(sqlite3* source, const char* path, std::span<const TableDefinition> tables,
                BackupFault* fault);
// Makes a new database at target with the tables' own schema and, when source
// is given, the listed columns of every row of the tables it has; without a
// source the default settings record is written. A file left at target by an
// earlier attempt is replaced. kOk, or kFailed with the last-error text and
// nothing left at target.
int BuildDatabase(const char* target, sqlite3* source, std::span<const TableDefinition> tables);
}  // namespace detail

}  // namespace store
