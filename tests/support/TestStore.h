#pragma once
// The store of a test's program directory: made and opened there, and SQL run
// on it directly for what a test needs beyond the store's functions (a trigger
// that refuses a change, a table renamed out of reach).

#include "store/store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

// Runs sql on the store's connection; a failure fails the test.
inline void Exec(const char* sql) {
    char* message = nullptr;
    EXPECT_EQ(sqlite3_exec(DB_GetConnection(), sql, nullptr, nullptr, &message), SQLITE_OK)
        << sql << ": " << (message ? message : "");
    sqlite3_free(message);
}

// Makes bicycle.db in the current directory and opens it. Writes are not
// synced to the disk, which keeps the tests quick.
inline void CreateTestStore() {
    ASSERT_EQ(DB_CreateDatabase(), store::kOk) << DB_GetLastError();
    ASSERT_EQ(DB_OpenDatabase(), store::kOk) << DB_GetLastError();
    Exec("PRAGMA synchronous=OFF");
}
