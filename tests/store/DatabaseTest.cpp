// The database file: create, open, close, the schema and the last-error text.

#include "store/StoreFixture.h"
#include "support/ScopedTimeZone.h"

#include <ctime>
#include <fstream>

using namespace storetest;

namespace {

const char* const kSchema[] = {
    "create table Bicycle(\t\tBicycleNumber INTEGER PRIMARY KEY,\t\tBicycleName BLOB,\t\tWeight REAL,\t\t"
    "Frame INTEGER,\t\tCost REAL,\t\tType INTEGER,\t\tDatePurchased INTEGER,\t\tPreviousODO REAL,\t\t"
    "MaxSpeed REAL,\t\tPictureData BLOB,\t\tMemo BLOB\t\t)",
    "create table RideRecord(\t\tRideRecordNumber INTEGER PRIMARY KEY,\t\tDate INTEGER,\t\tBicycleNumber "
    "INTEGER,\t\tDistance REAL,\t\tMaxSpeed REAL,\t\tHours INTEGER,\t\tMinutes INTEGER,\t\tSeconds INTEGER,"
    "\t\tDifficultyLevel INTEGER,\t\tFeelingLevel INTEGER,\t\tMemo BLOB\t\t)",
    "create table MaintenanceRecord(\t\tMaintenanceRecordNumber INTEGER PRIMARY KEY,\t\tDate INTEGER,\t\t"
    "BicycleNumber INTEGER,\t\tCost REAL,\t\tMemo BLOB\t\t)",
    "create table ApplicationConfig(\t\tData BLOB\t\t)",
    // Not in older logs: made when such a log is opened.
    "create table Preference(\t\tName TEXT PRIMARY KEY,\t\tValue TEXT\t\t)",
    "create table RideDetail(\t\tRideRecordNumber INTEGER PRIMARY KEY,\t\tDate INTEGER,\t\tAscent REAL,\t\t"
    "Descent REAL,\t\tAverageHeartRate REAL,\t\tMaxHeartRate REAL,\t\tAverageCadence REAL,\t\t"
    "AveragePower REAL,\t\tMaxPower REAL,\t\tCalories REAL,\t\tAverageTemperature REAL,\t\t"
    "ElapsedSeconds REAL,\t\tSourceFile TEXT,\t\tActivityId TEXT\t\t)",
    "create table Part(\t\tPartNumber INTEGER PRIMARY KEY,\t\tName TEXT,\t\tKind INTEGER,\t\tPriorDistance "
    "REAL,"
    "\t\tPriorSeconds INTEGER,\t\tCarriedDistance REAL,\t\tCarriedSeconds INTEGER,\t\tCost REAL,\t\tNote "
    "TEXT\t\t)",
    "create table PartStretch(\t\tStretchNumber INTEGER PRIMARY KEY,\t\tPartNumber INTEGER,\t\tBicycleNumber "
    "INTEGER,\t\tFitted INTEGER,\t\tRemoved INTEGER\t\t)",
    "create table ServiceTask(\t\tTaskNumber INTEGER PRIMARY KEY,\t\tBicycleNumber INTEGER,\t\tPartNumber "
    "INTEGER,\t\tName TEXT,\t\tKind INTEGER,\t\tIntervalDistance REAL,\t\tIntervalHours REAL,\t\t"
    "IntervalDays INTEGER,\t\tLastDone INTEGER,\t\tDueSoonShare REAL\t\t)",
    "create table ServiceLink(\t\tMaintenanceRecordNumber INTEGER PRIMARY KEY,\t\tDate INTEGER,\t\t"
    "TaskNumber INTEGER,\t\tPartNumber INTEGER\t\t)",
    "create table FrozenRide(\t\tPartNumber INTEGER,\t\tFitted INTEGER,\t\tRemoved INTEGER,\t\tDate INTEGER,"
    "\t\tDistance REAL,\t\tSeconds INTEGER\t\t)",
};

// SQLite keeps a create statement's text as written, except that it writes the
// leading "create table" in capitals.
std::string AsStored(const char* statement) {
    return "CREATE TABLE" + std::string(statement).substr(std::strlen("create table"));
}

std::string DefaultConfigBlob() {
    std::string blob = "00010001000000000000";
    blob.resize(512, '\0');
    return blob;
}

bool Exists(const char* name) {
    return std::filesystem::exists(name);
}

}  // namespace

TEST_F(StoreTest, CreateWritesExactlyTheTablesAndTheDefaultConfiguration) {
    ASSERT_EQ(DB_CreateDatabase(), 0);
    EXPECT_EQ(DB_GetConnection(), nullptr);

    OtherClient other;
    const auto rows = QueryRows("select type, name, sql from sqlite_master where type='table' order by rowid",
                                other.connection);
    ASSERT_EQ(rows.size(), std::size(kSchema));
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][0], "table");
        EXPECT_EQ(rows[i][2], AsStored(kSchema[i]));
    }
    const auto config = QueryRows("select Data, typeof(Data) from ApplicationConfig", other.connection);
    ASSERT_EQ(config.size(), 1u);
    EXPECT_EQ(config[0][0], DefaultConfigBlob());
    EXPECT_EQ(config[0][1], "blob");
}

TEST_F(StoreTest, CreateReplacesAnExistingDatabase) {
    CreateAndOpen();
    Exec("insert into Bicycle(BicycleName) values (x'41000000')");
    Exec("insert into ApplicationConfig values (x'30303032')");
    DB_CloseDatabase();

    ASSERT_EQ(DB_CreateDatabase(), 0);
    OtherClient other;
    EXPECT_EQ(QueryInt("select count(*) from Bicycle", other.connection), 0);
    EXPECT_EQ(QueryRows("select Data from ApplicationConfig", other.connection),
              (std::vector<std::vector<std::string>>{{DefaultConfigBlob()}}));
}

TEST_F(StoreTest, CreateReplacesAFileThatIsNoDatabase) {
    std::ofstream("bicycle.db") << "not a database";
    std::ofstream("bicycle.db-journal") << "left over from a crash";
    ASSERT_EQ(DB_CreateDatabase(), 0);
    EXPECT_FALSE(Exists("bicycle.db-journal"));
    ASSERT_EQ(DB_OpenDatabase(), 0);
    ApplicationConfigRecord config;
    EXPECT_EQ(DB_LoadApplicationConfig(&config), 0);
}

TEST_F(StoreTest, CreateClosesAnOpenConnectionAndLeavesNone) {
    CreateAndOpen();
    ASSERT_EQ(DB_CreateDatabase(), 0);
    EXPECT_EQ(DB_GetConnection(), nullptr);
    ApplicationConfigRecord config;
    EXPECT_EQ(DB_LoadApplicationConfig(&config), 1);
    EXPECT_EQ(DB_SaveApplicationConfig(&config), 1);
}

TEST_F(StoreTest, EveryFailedCreateStepRemovesTheHalfMadeFile) {
    struct Case {
        int action;
        const char* table;
        const char* text;
    };
    const Case cases[] = {
        {SQLITE_CREATE_TABLE, "Bicycle", "ERROR: Can not create table: Bicycle."},
        {SQLITE_CREATE_TABLE, "RideRecord", "ERROR: Can not create table: RideRecord."},
        {SQLITE_CREATE_TABLE, "MaintenanceRecord", "ERROR: Can not create table: MaintenanceRecord."},
        {SQLITE_CREATE_TABLE, "ApplicationConfig", "ERROR: Can not create table: ApplicationConfig."},
        {SQLITE_INSERT, "ApplicationConfig", "ERROR: Can not write application default config."},
    };
    InstallOnEveryOpen(InstallAuthorizer);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        g_deniedAction = c.action;
        g_deniedTable = c.table;
        EXPECT_EQ(DB_CreateDatabase(), 99);
        EXPECT_STREQ(DB_GetLastError(), c.text);
        EXPECT_EQ(DB_GetConnection(), nullptr);
        EXPECT_TRUE(std::filesystem::is_empty(m_directory));
    }
}

TEST_F(StoreTest, CreateThatCannotOpenTheNewFileLeavesNothing) {
    InstallOnEveryOpen(RefuseToOpen);
    EXPECT_EQ(DB_CreateDatabase(), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: Can not create database: bicycle.db.");
    EXPECT_EQ(DB_GetConnection(), nullptr);
    EXPECT_TRUE(std::filesystem::is_empty(m_directory));
}

TEST_F(StoreTest, CreateThatCannotDeleteTheOldFileKeepsIt) {
    // A non-empty directory of that name can be opened but not removed.
    std::filesystem::create_directory("bicycle.db");
    std::ofstream("bicycle.db/keep") << "x";
    EXPECT_EQ(DB_CreateDatabase(), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: Can not delete database file: bicycle.db.");
    EXPECT_TRUE(Exists("bicycle.db/keep"));
}

TEST_F(StoreTest, OpenOfAMissingFileFailsAndCreatesNothing) {
    EXPECT_EQ(DB_OpenDatabase(), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: Database file: bicycle.db not exists.");
    EXPECT_EQ(DB_GetConnection(), nullptr);
    EXPECT_TRUE(std::filesystem::is_empty(m_directory));
}

TEST_F(StoreTest, OpenThatSqliteRefusesFails) {
    ASSERT_EQ(DB_CreateDatabase(), 0);
    InstallOnEveryOpen(RefuseToOpen);
    EXPECT_EQ(DB_OpenDatabase(), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: Can not open/create database file: bicycle.db.");
    EXPECT_EQ(DB_GetConnection(), nullptr);
}

TEST_F(StoreTest, OpenEmptiesTheLastErrorAndReopenReplacesTheConnection) {
    ASSERT_EQ(DB_OpenDatabase(), 99);
    ASSERT_STRNE(DB_GetLastError(), "");
    CreateAndOpen();
    EXPECT_STREQ(DB_GetLastError(), "");

    sqlite3* first = DB_GetConnection();
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(DB_OpenDatabase(), 0);
    EXPECT_NE(DB_GetConnection(), nullptr);
    ApplicationConfigRecord config;
    EXPECT_EQ(DB_LoadApplicationConfig(&config), 0);
}

TEST_F(StoreTest, OpenAddsLookupIndexesButLeavesTheTablesAsWritten) {
    CreateAndOpen();
    const auto tables = QueryRows("select sql from sqlite_master where type='table' order by rowid");
    ASSERT_EQ(tables.size(), std::size(kSchema));
    for (size_t i = 0; i < tables.size(); ++i) {
        EXPECT_EQ(tables[i][0], AsStored(kSchema[i]));
    }
    EXPECT_EQ(QueryInt("select count(*) from sqlite_master where type='index' and sql is not null"), 4);
}

TEST_F(StoreTest, AnOlderLogGainsThePreferencesOnOpenAndTheyKeepTheirText) {
    CreateAndOpen();
    Exec("drop table Preference");
    Exec("drop table RideDetail");
    ASSERT_EQ(DB_OpenDatabase(), 0);
    EXPECT_EQ(QueryInt("select count(*) from sqlite_master where name in ('Preference', 'RideDetail')"), 2);
    std::string value;
    bool found = true;
    ASSERT_EQ(DB_GetPreference("CurrencySymbol", &value, &found), 0) << DB_GetLastError();
    EXPECT_FALSE(found);
    ASSERT_EQ(DB_SetPreference("CurrencySymbol", "€"), 0);
    ASSERT_EQ(DB_SetPreference("CurrencySymbol", "zł 'x'"), 0);
    ASSERT_EQ(DB_GetPreference("CurrencySymbol", &value, &found), 0);
    EXPECT_TRUE(found);
    EXPECT_EQ(value, "zł 'x'");
    EXPECT_EQ(QueryInt("select count(*) from Preference"), 1);
}

TEST_F(StoreTest, OpenReadsTheTimeZoneAgain) {
    ASSERT_EQ(DB_CreateDatabase(), 0);
    ScopedTimeZone zone("Europe/Berlin");
    // Changed behind the C library's back: only a fresh tzset() sees it.
    setenv("TZ", "Asia/Tokyo", 1);
    ASSERT_EQ(DB_OpenDatabase(), 0);
    std::tm local{};
    const time_t epoch = 0;
    localtime_r(&epoch, &local);
    EXPECT_EQ(local.tm_hour, 9);
}

TEST_F(StoreTest, CloseIsHarmlessWithoutAConnection) {
    EXPECT_EQ(DB_CloseDatabase(), 0);
    CreateAndOpen();
    EXPECT_EQ(DB_CloseDatabase(), 0);
    EXPECT_EQ(DB_GetConnection(), nullptr);
    EXPECT_EQ(DB_CloseDatabase(), 0);
}

TEST_F(StoreTest, ExecSqlReportsMissingConnectionAndFailure) {
    EXPECT_EQ(DB_ExecSql(nullptr, "select 1"), 1);
    CreateAndOpen();
    EXPECT_EQ(DB_ExecSql(DB_GetConnection(), "select 1"), 0);
    EXPECT_EQ(DB_ExecSql(DB_GetConnection(), "select from nowhere"), 99);
    EXPECT_STREQ(DB_GetLastError(), "");
}
