#pragma once
// Every store test runs in a fresh empty directory that is the current
// directory, the way the program runs in its program directory.

#include "store/store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace storetest {

// A text as the editors store it: UTF-16LE characters, then two zero characters.
inline ByteBlock TextBlock(std::u16string_view text) {
    ByteBlock block;
    for (char16_t c : text) {
        block.push_back(static_cast<uint8_t>(c & 0xff));
        block.push_back(static_cast<uint8_t>(c >> 8));
    }
    block.insert(block.end(), 4, 0);
    return block;
}

inline ByteBlock Bytes(std::string_view text) {
    return ByteBlock(text.begin(), text.end());
}

// Tests never need a file to survive a power cut; skipping the syncs keeps them
// quick on a busy disk.
inline int SkipSyncs(sqlite3* connection, const char**, const sqlite3_api_routines*) {
    return sqlite3_exec(connection, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
}

// Failure injection: every connection opened while installed refuses one
// statement kind through an authorizer, or refuses to open at all. The test
// fixture removes what was installed when the test ends.
inline const char* g_deniedTable = nullptr;
inline int g_deniedAction = 0;

inline int DenyOne(void*, int action, const char* name, const char*, const char*, const char*) {
    return action == g_deniedAction && name && std::strcmp(name, g_deniedTable) == 0 ? SQLITE_DENY
                                                                                     : SQLITE_OK;
}

inline int InstallAuthorizer(sqlite3* connection, const char**, const sqlite3_api_routines*) {
    sqlite3_set_authorizer(connection, DenyOne, nullptr);
    return SQLITE_OK;
}

inline int RefuseToOpen(sqlite3*, const char**, const sqlite3_api_routines*) {
    return SQLITE_ERROR;
}

template <typename EntryPoint>
void InstallOnEveryOpen(EntryPoint entryPoint) {
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(entryPoint));
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(SkipSyncs));
        m_previousDirectory = std::filesystem::current_path();
        std::string pattern = (std::filesystem::temp_directory_path() / "velomarq-store-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_directory = pattern;
        std::filesystem::current_path(m_directory);
    }

    void TearDown() override {
        DB_CloseDatabase();
        sqlite3_reset_auto_extension();
        std::filesystem::current_path(m_previousDirectory);
        std::error_code ignored;
        std::filesystem::remove_all(m_directory, ignored);
    }

    static void CreateAndOpen() {
        ASSERT_EQ(DB_CreateDatabase(), 0) << DB_GetLastError();
        ASSERT_EQ(DB_OpenDatabase(), 0) << DB_GetLastError();
    }

    // Runs SQL on the store's connection; the test fails when it does not run.
    static void Exec(const std::string& sql) {
        char* message = nullptr;
        const int result = sqlite3_exec(DB_GetConnection(), sql.c_str(), nullptr, nullptr, &message);
        EXPECT_EQ(result, SQLITE_OK) << sql << ": " << (message ? message : "");
        sqlite3_free(message);
    }

    // Column 0 of the first row of a query on the given connection (default:
    // the store's); 0 when there is no row.
    static int64_t QueryInt(const std::string& sql, sqlite3* connection = DB_GetConnection()) {
        sqlite3_stmt* statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(connection, sql.c_str(), -1, &statement, nullptr), SQLITE_OK) << sql;
        const int64_t value = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : 0;
        sqlite3_finalize(statement);
        return value;
    }

    // Every row's columns as texts (blobs as their raw bytes).
    static std::vector<std::vector<std::string>> QueryRows(const std::string& sql,
                                                           sqlite3* connection = DB_GetConnection()) {
        std::vector<std::vector<std::string>> rows;
        sqlite3_stmt* statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(connection, sql.c_str(), -1, &statement, nullptr), SQLITE_OK) << sql;
        while (statement && sqlite3_step(statement) == SQLITE_ROW) {
            std::vector<std::string>& row = rows.emplace_back();
            for (int column = 0; column < sqlite3_column_count(statement); ++column) {
                const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
                row.emplace_back(bytes ? bytes : "", sqlite3_column_bytes(statement, column));
            }
        }
        sqlite3_finalize(statement);
        return rows;
    }

    // A second connection to bicycle.db, as any other SQLite client would open it.
    struct OtherClient {
        sqlite3* connection = nullptr;
        OtherClient() { sqlite3_open_v2("bicycle.db", &connection, SQLITE_OPEN_READWRITE, nullptr); }
        ~OtherClient() { sqlite3_close_v2(connection); }
        OtherClient(const OtherClient&) = delete;
        OtherClient& operator=(const OtherClient&) = delete;
    };

    std::filesystem::path m_directory;

private:
    std::filesystem::path m_previousDirectory;
};

// A fresh, open database, and quick ways to fill it.
class RecordTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        CreateAndOpen();
    }

    static BicycleAttribute Bicycle(std::u16string_view name) {
        BicycleAttribute bicycle;
        bicycle.BicycleName = TextBlock(name);
        return bicycle;
    }

    static void InsertBicycle(std::u16string_view name) {
        const BicycleAttribute bicycle = Bicycle(name);
        ASSERT_EQ(DB_InsertBicycle(&bicycle), 0) << DB_GetLastError();
    }

    static void InsertRide(int32_t bicycleNumber, int32_t date, int32_t hours = 0, int32_t minutes = 0,
                           int32_t seconds = 0, double distance = 0.0, double maxSpeed = 0.0) {
        RideRecord ride;
        ride.BicycleNumber = bicycleNumber;
        ride.Date = date;
        ride.Hours = hours;
        ride.Minutes = minutes;
        ride.Seconds = seconds;
        ride.Distance = distance;
        ride.MaxSpeed = maxSpeed;
        ASSERT_EQ(DB_InsertRideRecord(&ride), 0) << DB_GetLastError();
    }

    static void InsertMaintenance(int32_t bicycleNumber, int32_t date, double cost = 0.0) {
        MaintenanceRecord entry;
        entry.BicycleNumber = bicycleNumber;
        entry.Date = date;
        entry.Cost = cost;
        ASSERT_EQ(DB_InsertMaintenanceRecord(&entry), 0) << DB_GetLastError();
    }

    // Midnight UTC of a calendar day, as seconds since 1970.
    static int32_t Day(int year, int month, int day) {
        std::tm date{};
        date.tm_year = year - 1900;
        date.tm_mon = month - 1;
        date.tm_mday = day;
        return static_cast<int32_t>(timegm(&date));
    }
};

}  // namespace storetest
