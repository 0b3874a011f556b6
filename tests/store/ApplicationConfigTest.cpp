// The settings row: its 512-byte blob, load, save and their failures.

#include "store/StoreFixture.h"

#include <chrono>
#include <thread>

using namespace storetest;

namespace {

std::string Blob(const std::string& characters) {
    std::string blob = characters;
    blob.resize(512, '\0');
    return blob;
}

}  // namespace

class ConfigTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        CreateAndOpen();
    }

    std::string StoredBlob() {
        const auto rows = QueryRows("select Data from ApplicationConfig");
        EXPECT_EQ(rows.size(), 1u);
        return rows.empty() ? std::string() : rows[0][0];
    }

    void StoreBlob(const std::string& hex) {
        Exec("delete from ApplicationConfig");
        Exec("insert into ApplicationConfig values (x'" + hex + "')");
    }
};

TEST_F(ConfigTest, NewDatabaseLoadsTheDefaults) {
    ApplicationConfigRecord config;
    config.Version = config.Reserved = config.Language = config.DistanceUnit = config.WeekStart = 7;
    config.Text[0] = 'x';
    ASSERT_EQ(DB_LoadApplicationConfig(&config), 0);
    EXPECT_EQ(config.Version, 1);
    EXPECT_EQ(config.Reserved, 1);
    EXPECT_EQ(config.Language, 0);
    EXPECT_EQ(config.DistanceUnit, 0);
    EXPECT_EQ(config.WeekStart, 0);
    EXPECT_EQ(std::string(config.Text, sizeof config.Text), std::string(16, '\0'));
}

TEST_F(ConfigTest, SaveWritesTheFixedFieldLayout) {
    struct Case {
        int language, distanceUnit, weekStart;
        const char* characters;
    };
    const Case cases[] = {
        {2, 1, 0, "00010001000200010000"},
        {12, 0, 1, "00010001001200000001"},
        {15, 1, 1, "00010001001500010001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.characters);
        ApplicationConfigRecord config;
        config.Language = c.language;
        config.DistanceUnit = c.distanceUnit;
        config.WeekStart = c.weekStart;
        ASSERT_EQ(DB_SaveApplicationConfig(&config), 0);
        EXPECT_EQ(StoredBlob(), Blob(c.characters));

        ApplicationConfigRecord loaded;
        ASSERT_EQ(DB_LoadApplicationConfig(&loaded), 0);
        EXPECT_EQ(loaded.Language, c.language);
        EXPECT_EQ(loaded.DistanceUnit, c.distanceUnit);
        EXPECT_EQ(loaded.WeekStart, c.weekStart);
    }
    EXPECT_EQ(QueryInt("select count(*) from ApplicationConfig"), 1);
}

TEST_F(ConfigTest, ReservedAndTextAreCarriedThrough) {
    ApplicationConfigRecord config;
    config.Reserved = 42;
    std::memcpy(config.Text, "sixteen chars!!!", 16);  // no terminating zero
    ASSERT_EQ(DB_SaveApplicationConfig(&config), 0);
    EXPECT_EQ(StoredBlob(), Blob("00010042000000000000sixteen chars!!!"));

    ApplicationConfigRecord loaded;
    ASSERT_EQ(DB_LoadApplicationConfig(&loaded), 0);
    EXPECT_EQ(loaded.Reserved, 42);
    EXPECT_EQ(std::string(loaded.Text, 16), "sixteen chars!!!");
}

TEST_F(ConfigTest, AnotherVersionLoadsWithResultTwo) {
    StoreBlob("3030303230303031303030333030303130303030");  // 0002 0001 0003 0001 0000
    ApplicationConfigRecord config;
    EXPECT_EQ(DB_LoadApplicationConfig(&config), 2);
    EXPECT_EQ(config.Version, 2);
    EXPECT_EQ(config.Language, 3);
    EXPECT_EQ(config.DistanceUnit, 1);
}

TEST_F(ConfigTest, OnlyTheFirstRowCounts) {
    StoreBlob("3030303130303031303030343030303030303030");                                       // language 4
    Exec("insert into ApplicationConfig values (x'3030303130303031303030353030303030303030')");  // 5
    ApplicationConfigRecord config;
    ASSERT_EQ(DB_LoadApplicationConfig(&config), 0);
    EXPECT_EQ(config.Language, 4);
}

TEST_F(ConfigTest, AShortBlobReadsAsZerosPastItsEnd) {
    StoreBlob("303030313030");  // "000100"
    ApplicationConfigRecord config;
    ASSERT_EQ(DB_LoadApplicationConfig(&config), 0);
    EXPECT_EQ(config.Version, 1);
    EXPECT_EQ(config.Reserved, 0);
    EXPECT_EQ(config.WeekStart, 0);
}

TEST_F(ConfigTest, LoadFailures) {
    ApplicationConfigRecord config;
    EXPECT_EQ(DB_LoadApplicationConfig(nullptr), 1);

    Exec("delete from ApplicationConfig");
    EXPECT_EQ(DB_LoadApplicationConfig(&config), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: No application config data.");

    // A row that fails while it is computed makes the step fail.
    Exec("drop table ApplicationConfig");
    Exec("create view ApplicationConfig as select abs(-9223372036854775807 - 1) as Data");
    EXPECT_EQ(DB_LoadApplicationConfig(&config), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: Fetch SQL result error.");

    Exec("drop view ApplicationConfig");
    EXPECT_EQ(DB_LoadApplicationConfig(&config), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: Can not prepare SQL command to execute.");

    DB_CloseDatabase();
    EXPECT_EQ(DB_LoadApplicationConfig(&config), 1);
}

TEST_F(ConfigTest, AFailedInsertKeepsTheOldRow) {
    ApplicationConfigRecord config;
    config.Language = 3;
    ASSERT_EQ(DB_SaveApplicationConfig(&config), 0);
    Exec(
        "create trigger Refuse before insert on ApplicationConfig begin select raise(abort, 'refused'); end");

    config.Language = 9;
    EXPECT_EQ(DB_SaveApplicationConfig(&config), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: Execute SQL command error.");
    EXPECT_TRUE(sqlite3_get_autocommit(DB_GetConnection()));

    ApplicationConfigRecord loaded;
    ASSERT_EQ(DB_LoadApplicationConfig(&loaded), 0);
    EXPECT_EQ(loaded.Language, 3);
}

TEST_F(ConfigTest, AFailedDeleteKeepsTheOldRowAndSaysWhy) {
    Exec(
        "create trigger Refuse before delete on ApplicationConfig begin select raise(abort, 'refused'); end");
    ApplicationConfigRecord config;
    config.Language = 9;
    EXPECT_EQ(DB_SaveApplicationConfig(&config), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: Can not save application config.");
    EXPECT_TRUE(sqlite3_get_autocommit(DB_GetConnection()));
    EXPECT_EQ(StoredBlob(), Blob("00010001000000000000"));
}

TEST_F(ConfigTest, SaveWithoutTableOrConnection) {
    ApplicationConfigRecord config;
    EXPECT_EQ(DB_SaveApplicationConfig(nullptr), 1);
    Exec("drop table ApplicationConfig");
    EXPECT_EQ(DB_SaveApplicationConfig(&config), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: Can not save application config.");
    DB_CloseDatabase();
    EXPECT_EQ(DB_SaveApplicationConfig(&config), 1);
    EXPECT_EQ(DB_WriteDefaultConfig(), 1);
}

// Another program holding bicycle.db exclusively for a moment.
class BriefLock {
public:
    explicit BriefLock(sqlite3* connection) : m_connection(connection) {
        m_locked = sqlite3_exec(connection, "begin exclusive", nullptr, nullptr, nullptr) == SQLITE_OK;
        m_release = std::thread([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            sqlite3_exec(m_connection, "commit", nullptr, nullptr, nullptr);
        });
    }
    ~BriefLock() { m_release.join(); }
    BriefLock(const BriefLock&) = delete;
    BriefLock& operator=(const BriefLock&) = delete;
    bool Locked() const { return m_locked; }

private:
    sqlite3* m_connection;
    bool m_locked = false;
    std::thread m_release;
};

TEST_F(ConfigTest, AMomentsLockByAnotherProgramIsWaitedFor) {
    // A backup tool holds the file while the program starts: the start-up
    // reads and the next save wait for it instead of failing. (The fixture's
    // quick-sync hook would itself stop at the lock, so it is off here.)
    DB_CloseDatabase();
    sqlite3_reset_auto_extension();
    OtherClient other;
    ApplicationConfigRecord loaded;
    {
        BriefLock lock(other.connection);
        ASSERT_TRUE(lock.Locked());
        ASSERT_EQ(DB_OpenDatabase(), 0) << DB_GetLastError();
        EXPECT_EQ(DB_LoadApplicationConfig(&loaded), 0) << DB_GetLastError();
    }
    {
        BriefLock lock(other.connection);
        ASSERT_TRUE(lock.Locked());
        loaded.Language = 4;
        EXPECT_EQ(DB_SaveApplicationConfig(&loaded), 0) << DB_GetLastError();
    }
    EXPECT_EQ(StoredBlob(), Blob("00010001000400000000"));
}
