#pragma once
// Helpers shared by the store's own files; nothing outside src/store includes this.

#include "store/store.h"

#include <sqlite3.h>

#include <memory>
#include <string>

namespace store::detail {

inline constexpr const char* kPrepareError = "ERROR: Can not prepare SQL command to execute.";
// The update functions have always reported their prepare failure with a blank
// before the colon; callers and old notes match on it, so it stays.
inline constexpr const char* kUpdatePrepareError = "ERROR : Can not prepare SQL command to execute.";
inline constexpr const char* kFetchError = "ERROR: Fetch SQL result error.";
inline constexpr const char* kExecuteError = "ERROR: Execute SQL command error.";
inline constexpr const char* kOutOfMemoryError = "ERROR: Out of memory during fetching SQL result.";

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
// Finalized when it goes out of scope, on every return path.
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// Overwrites the 256-byte last-error text.
void SetLastError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// printf into a string of whatever length it needs: a long condition is never
// cut short into broken SQL.
std::string FormatSql(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Prepares sql on the store's connection with its byte length. A missing
// connection fails like any other prepare: the caller reports it the same way.
Statement Prepare(const std::string& sql);

// Binds a block without copying; an empty block binds NULL, which reads back as
// an empty block.
int BindBlock(sqlite3_stmt* statement, int position, const ByteBlock& block);
// Copies column `column` of the current row into block (empty for NULL or a
// zero-length value). Throws std::bad_alloc when the copy cannot be had.
void ReadBlock(sqlite3_stmt* statement, int column, ByteBlock& block);

// Frees the block's storage, not just its contents.
inline void ReleaseBlock(ByteBlock& block) {
    ByteBlock().swap(block);
}

// Seconds above 59 carry into minutes, then minutes above 59 into hours.
void NormaliseTime(int32_t& hours, int32_t& minutes, int32_t& seconds);

// A write transaction on the store's connection that rolls back unless
// committed. The store's changes never nest, so a plain begin is enough.
class Transaction {
public:
    explicit Transaction(sqlite3* connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool IsOpen() const { return m_open; }
    bool Commit();

private:
    sqlite3* m_connection;
    bool m_open;
};

}  // namespace store::detail
