// The database as a whole: snapshots for backups, restoring one, and starting
// afresh. What matters is what is on disk afterwards, above all after a
// failure: the rider's file as it was and no half-made file beside it.

#include "store/StoreFixture.h"
#include "store/Tables.h"

#include <fstream>
#include <functional>
#include <iterator>
#include <set>

using namespace storetest;

namespace {

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Names in a folder, to see that nothing was left beside the target.
std::set<std::string> Names(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

class DatabaseCareTest : public RecordTest {
protected:
    // A picture large enough that the file spans many pages.
    static void InsertBicycleWithPicture(std::u16string_view name) {
        BicycleAttribute bicycle = Bicycle(name);
        bicycle.PictureData.assign(200 * 1024, 0x5a);
        ASSERT_EQ(DB_InsertBicycle(&bicycle), 0) << DB_GetLastError();
    }

    static int64_t Count(const char* table, sqlite3* connection) {
        return QueryInt(std::string("select count(*) from ") + table, connection);
    }

    // Makes backup/bicycle.db from the open database.
    static void MakeBackup() {
        std::filesystem::create_directory("backup");
        ASSERT_EQ(DB_BackupDatabase("backup/bicycle.db"), 0) << DB_GetLastError();
    }
};

TEST_F(DatabaseCareTest, BackupIsASnapshotOfCommittedDataTakenWhileTheDatabaseStaysOpen) {
    InsertBicycle(u"Tourer");
    InsertRide(1, Day(2024, 5, 1));
    sqlite3* connection = DB_GetConnection();

    // Another writer is half-way through a change: it must not reach the copy.
    OtherClient writer;
    ASSERT_EQ(sqlite3_exec(writer.connection, "begin immediate; insert into RideRecord(Date) values (7)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    MakeBackup();
    ASSERT_EQ(sqlite3_exec(writer.connection, "commit", nullptr, nullptr, nullptr), SQLITE_OK);

    EXPECT_EQ(DB_GetConnection(), connection);
    EXPECT_EQ(Count("RideRecord", connection), 2);
    EXPECT_EQ(Names("backup"), std::set<std::string>{"bicycle.db"});
    sqlite3* copy = nullptr;
    ASSERT_EQ(sqlite3_open_v2("backup/bicycle.db", &copy, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    EXPECT_EQ(Count("Bicycle", copy), 1);
    EXPECT_EQ(Count("RideRecord", copy), 1);
    EXPECT_EQ(QueryRows("select Data from ApplicationConfig", copy),
              QueryRows("select Data from ApplicationConfig", connection));
    sqlite3_close_v2(copy);
}

TEST_F(DatabaseCareTest, BackupWithoutAConnectionReadsTheFileAndOpensNone) {
    InsertBicycle(u"Tourer");
    DB_CloseDatabase();
    MakeBackup();
    EXPECT_EQ(DB_GetConnection(), nullptr);
    OtherClient original;
    sqlite3* copy = nullptr;
    ASSERT_EQ(sqlite3_open_v2("backup/bicycle.db", &copy, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    EXPECT_EQ(Count("Bicycle", copy), 1);
    sqlite3_close_v2(copy);
}

TEST_F(DatabaseCareTest, BackupNeverReplacesWhatIsThereAndLeavesNothingBehind) {
    namespace fs = std::filesystem;
    fs::create_directory("backup");
    struct Case {
        const char* what;
        std::function<void()> prepare;
        const char* target;
        const char* error;
    };
    const Case cases[] = {
        {"an older backup", [] { std::ofstream("backup/bicycle.db") << "older backup"; }, "backup/bicycle.db",
         "ERROR: Backup file: backup/bicycle.db exists."},
        {"a link to elsewhere", [] { fs::create_symlink("../elsewhere.db", "backup/link.db"); },
         "backup/link.db", "ERROR: Backup file: backup/link.db exists."},
        {"a folder", [] { fs::create_directory("backup/folder.db"); }, "backup/folder.db",
         "ERROR: Backup file: backup/folder.db exists."},
        {"no such folder", [] {}, "missing/bicycle.db",
         "ERROR: Can not create backup file: missing/bicycle.db."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare();
        const std::set<std::string> before = Names("backup");
        EXPECT_EQ(DB_BackupDatabase(c.target), 99);
        EXPECT_STREQ(DB_GetLastError(), c.error);
        EXPECT_EQ(Names("backup"), before);
    }
    EXPECT_EQ(ReadBytes("backup/bicycle.db"), "older backup");
    EXPECT_FALSE(fs::exists("elsewhere.db"));
    EXPECT_FALSE(fs::exists("missing"));
    EXPECT_EQ(DB_BackupDatabase(nullptr), 1);
    EXPECT_EQ(DB_BackupDatabase(""), 1);
    EXPECT_NE(DB_GetConnection(), nullptr);
}

TEST_F(DatabaseCareTest, RestorePutsTheBackupInPlaceAndLeavesNoConnection) {
    InsertBicycle(u"Tourer");
    MakeBackup();
    InsertBicycle(u"Racer");
    InsertRide(2, Day(2024, 6, 1));
    // A journal of the replaced file must not be played into the restored one.
    std::ofstream("bicycle.db-journal") << "left over";

    ASSERT_EQ(DB_RestoreDatabase("backup/bicycle.db"), 0) << DB_GetLastError();
    EXPECT_EQ(DB_GetConnection(), nullptr);
    EXPECT_EQ(Names("."), (std::set<std::string>{"backup", "bicycle.db"}));
    ASSERT_EQ(DB_OpenDatabase(), 0);
    EXPECT_EQ(Count("Bicycle", DB_GetConnection()), 1);
    EXPECT_EQ(Count("RideRecord", DB_GetConnection()), 0);
    ApplicationConfigRecord config;
    EXPECT_EQ(DB_LoadApplicationConfig(&config), 0);
}

TEST_F(DatabaseCareTest, RestoreThatCannotReadItsSourceLeavesTheDatabaseAsItWas) {
    namespace fs = std::filesystem;
    InsertBicycleWithPicture(u"Tourer");
    MakeBackup();
    // A backup cut off half-way, as an interrupted copy onto a stick leaves it.
    fs::copy_file("backup/bicycle.db", "cut.db");
    fs::resize_file("cut.db", fs::file_size("cut.db") / 2);
    std::ofstream("text.db") << "not a database at all";
    fs::create_directory("folder.db");
    {
        // Some other program's database.
        sqlite3* other = nullptr;
        sqlite3_open_v2("other.db", &other, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        sqlite3_exec(other, "create table Bicycle(x); insert into Bicycle values (1)", nullptr, nullptr,
                     nullptr);
        sqlite3_close_v2(other);
    }
    InsertBicycle(u"Racer");
    DB_CloseDatabase();
    const std::string before = ReadBytes("bicycle.db");

    struct Case {
        const char* source;
        const char* error;
    };
    const Case cases[] = {
        {"missing.db", "ERROR: Backup database file: missing.db not exists."},
        {"folder.db", "ERROR: Backup database file: folder.db not exists."},
        // Whether SQLite already refuses to open these or only to copy them
        // depends on what the connection reads first; either is a refusal.
        {"text.db", "ERROR: Can not "},
        {"cut.db", "ERROR: Can not "},
        {"other.db", "ERROR: Backup database file: other.db has no application config data."},
    };
    const std::set<std::string> names = Names(".");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        ASSERT_EQ(DB_OpenDatabase(), 0);
        EXPECT_EQ(DB_RestoreDatabase(c.source), 99);
        EXPECT_EQ(std::string(DB_GetLastError()).substr(0, std::strlen(c.error)), c.error);
        EXPECT_EQ(DB_GetConnection(), nullptr);
        EXPECT_EQ(ReadBytes("bicycle.db"), before);
        EXPECT_EQ(Names("."), names);
    }

    InstallOnEveryOpen(RefuseToOpen);
    EXPECT_EQ(DB_RestoreDatabase("backup/bicycle.db"), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: Can not open backup database file: backup/bicycle.db.");
    EXPECT_EQ(ReadBytes("bicycle.db"), before);
    EXPECT_EQ(DB_RestoreDatabase(nullptr), 1);
}

TEST_F(DatabaseCareTest, InitializeReplacesTheDatabaseWithAnEmptyOne) {
    InsertBicycle(u"Tourer");
    InsertRide(1, Day(2024, 5, 1));
    InsertMaintenance(1, Day(2024, 5, 2));
    ApplicationConfigRecord miles;
    miles.DistanceUnit = 1;
    ASSERT_EQ(DB_SaveApplicationConfig(&miles), 0);

    ASSERT_EQ(DB_InitializeDatabase(), 0) << DB_GetLastError();
    EXPECT_EQ(DB_GetConnection(), nullptr);
    EXPECT_EQ(Names("."), std::set<std::string>{"bicycle.db"});
    ASSERT_EQ(DB_OpenDatabase(), 0);
    for (const char* table : {"Bicycle", "RideRecord", "MaintenanceRecord"}) {
        EXPECT_EQ(Count(table, DB_GetConnection()), 0) << table;
    }
    ApplicationConfigRecord config;
    ASSERT_EQ(DB_LoadApplicationConfig(&config), 0);
    EXPECT_EQ(config.DistanceUnit, 0);
}

TEST_F(DatabaseCareTest, InitializeThatFailsHalfWayKeepsTheOldDatabase) {
    InsertBicycle(u"Tourer");
    DB_CloseDatabase();
    const std::string before = ReadBytes("bicycle.db");
    struct Case {
        int action;
        const char* table;
        const char* error;
    };
    const Case cases[] = {
        {SQLITE_CREATE_TABLE, "RideRecord", "ERROR: Can not create table: RideRecord."},
        {SQLITE_INSERT, "ApplicationConfig", "ERROR: Can not write application default config."},
    };
    InstallOnEveryOpen(InstallAuthorizer);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        g_deniedAction = c.action;
        g_deniedTable = c.table;
        EXPECT_EQ(DB_InitializeDatabase(), 99);
        EXPECT_STREQ(DB_GetLastError(), c.error);
        EXPECT_EQ(DB_GetConnection(), nullptr);
        EXPECT_EQ(ReadBytes("bicycle.db"), before);
        EXPECT_EQ(Names("."), std::set<std::string>{"bicycle.db"});
    }
    sqlite3_reset_auto_extension();
    InstallOnEveryOpen(RefuseToOpen);
    EXPECT_EQ(DB_InitializeDatabase(), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: Can not create database: bicycle.db.incoming.");
    EXPECT_EQ(ReadBytes("bicycle.db"), before);
    EXPECT_EQ(Names("."), std::set<std::string>{"bicycle.db"});
}

// A backup made by this program, then changed by another tool: each change
// start-up or the lists would stumble on is refused before bicycle.db is
// touched, and the refusal names it.
TEST_F(DatabaseCareTest, ABackupTheProgramCannotRunOnIsRefusedWithItsReason) {
    InsertBicycle(u"Tourer");
    InsertRide(1, Day(2024, 5, 1));
    MakeBackup();
    InsertBicycle(u"Racer");
    DB_CloseDatabase();
    const std::string before = ReadBytes("bicycle.db");
    struct Case {
        const char* change;
        store::BackupFault fault;
        const char* error;
    };
    const Case cases[] = {
        {"update ApplicationConfig set Data=cast('0002' || substr(Data,5) as blob)",
         store::BackupFault::OtherVersion, "ERROR: Backup database file: b.db has another version."},
        {"delete from ApplicationConfig", store::BackupFault::NoSettings,
         "ERROR: Backup database file: b.db has no application config data."},
        {"alter table RideRecord drop column FeelingLevel", store::BackupFault::ForeignTables,
         "ERROR: Backup database file: b.db has no column: RideRecord.FeelingLevel."},
        {"drop table MaintenanceRecord", store::BackupFault::ForeignTables,
         "ERROR: Backup database file: b.db has no table: MaintenanceRecord."},
        {"create table R2 as select * from RideRecord; drop table RideRecord; alter table R2 rename to "
         "RideRecord; insert into RideRecord(RideRecordNumber) values ('seven')",
         store::BackupFault::ForeignTables,
         "ERROR: Backup database file: b.db has records without distinct numbers in: RideRecord."},
        {"create table B2 as select * from Bicycle; drop table Bicycle; alter table B2 rename to Bicycle; "
         "insert into Bicycle select * from Bicycle",
         store::BackupFault::ForeignTables,
         "ERROR: Backup database file: b.db has records without distinct numbers in: Bicycle."},
        {"drop table RideRecord; create view RideRecord as select * from MaintenanceRecord",
         store::BackupFault::ForeignTables, "ERROR: Backup database file: b.db has no table: RideRecord."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        std::filesystem::copy_file("backup/bicycle.db", "b.db",
                                   std::filesystem::copy_options::overwrite_existing);
        sqlite3* backup = nullptr;
        ASSERT_EQ(sqlite3_open_v2("b.db", &backup, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(backup, c.change, nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(backup);
        sqlite3_close_v2(backup);
        store::BackupFault fault = store::BackupFault::None;
        EXPECT_EQ(DB_CheckBackupDatabase("b.db", &fault), 99);
        EXPECT_EQ(fault, c.fault);
        EXPECT_STREQ(DB_GetLastError(), c.error);
        EXPECT_EQ(DB_RestoreDatabase("b.db"), 99);
        EXPECT_EQ(ReadBytes("bicycle.db"), before);
        EXPECT_EQ(Names("."), (std::set<std::string>{"b.db", "backup", "bicycle.db"}));
    }
}

// Only rows come along: what another tool added to the backup's schema (a
// trigger that deletes rides, a view, an index, a column, a table) is left
// behind, and the restored file is the program's own schema.
TEST_F(DatabaseCareTest, RestoreCopiesOnlyTheRowsOfTheTablesTheProgramKnows) {
    InsertBicycle(u"Tourer");
    InsertRide(1, Day(2024, 5, 1));
    InsertRide(1, Day(2024, 5, 2));
    const auto schema = QueryRows("select type, name, sql from sqlite_master order by name");
    MakeBackup();
    DB_CloseDatabase();
    sqlite3* backup = nullptr;
    ASSERT_EQ(sqlite3_open_v2("backup/bicycle.db", &backup, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(backup,
                           "create trigger Wipe after insert on RideRecord begin delete from RideRecord "
                           "where RideRecordNumber<>new.RideRecordNumber; end;"
                           "create view Everything as select * from RideRecord;"
                           "create index Odd on Bicycle(Weight);"
                           "create table Extra(x); insert into Extra values (1);"
                           "alter table RideRecord add column Secret;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close_v2(backup);

    ASSERT_EQ(DB_RestoreDatabase("backup/bicycle.db"), 0) << DB_GetLastError();
    ASSERT_EQ(DB_OpenDatabase(), 0);
    InsertRide(1, Day(2024, 6, 1));
    EXPECT_EQ(Count("RideRecord", DB_GetConnection()), 3);
    EXPECT_EQ(QueryRows("select type, name, sql from sqlite_master order by name"), schema);
}

// A table that joins the list later is missing from older backups: it is
// created empty, and the others are copied as ever.
TEST_F(DatabaseCareTest, ABackupWithoutALaterTableRestoresWithThatTableEmpty) {
    InsertBicycle(u"Tourer");
    MakeBackup();
    DB_CloseDatabase();
    std::vector<store::TableDefinition> tables(std::begin(store::kTables), std::end(store::kTables));
    tables.push_back({"PartRecord", "create table PartRecord(PartNumber INTEGER PRIMARY KEY, Name BLOB)",
                      "ERROR: Can not create table: PartRecord.", "PartNumber,Name", "PartNumber", false});
    sqlite3* backup = nullptr;
    ASSERT_EQ(sqlite3_open_v2("backup/bicycle.db", &backup, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    store::BackupFault fault = store::BackupFault::None;
    EXPECT_EQ(store::detail::CheckTables(backup, "backup/bicycle.db", tables, &fault), 0)
        << DB_GetLastError();
    EXPECT_EQ(store::detail::BuildDatabase("new.db", backup, tables), 0) << DB_GetLastError();
    sqlite3_close_v2(backup);
    sqlite3* built = nullptr;
    ASSERT_EQ(sqlite3_open_v2("new.db", &built, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    EXPECT_EQ(Count("Bicycle", built), 1);
    EXPECT_EQ(Count("PartRecord", built), 0);
    sqlite3_close_v2(built);
}

}  // namespace
