#pragma once
// Helpers shared by the store's own files; nothing outside src/store includes this.

#include "store/store.h"

#include <sqlite3.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>

namespace store::detail {

inline constexpr const char* kPrepareError = "ERROR: Can not prepare SQL command to execute.";
// The update functions have always reported their prepare failure with a blank
// before the colon; callers and old notes match on it, so it stays.
inline constexpr const char* kUpdatePrepareError = "ERROR : Can not prepare SQL command to execute.";
inline constexpr const char* kFetchError = "ERROR: Fetch SQL result error.";
inline constexpr const char* kExecuteError = "ERROR: Execute SQL command error.";
inline constexpr const char* kOutOfMemoryError = "ERROR: Out of memory during fetching SQL result.";

// An empty text as the editors store it: two zero UTF-16 characters.
inline constexpr size_t kEmptyTextBlockSize = 4;

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
// Finalized when it goes out of scope, on every return path.
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// The connection every store function uses, or nullptr.
sqlite3* Connection();
// Takes over connection as the store's one, closing any earlier one.
void SetConnection(sqlite3* connection);
void CloseConnection();

// Creates the four tables and writes the default configuration record on the
// store's connection. nullptr on success, else the last-error text to report.
const char* CreateSchema();

// Removes the journal and WAL files SQLite may keep beside a database: one left
// beside a replaced or deleted database would be played back into the new
// file of the same name.
void RemoveCompanionFiles(const std::string& name);

// Overwrites the 256-byte last-error text.
// Overwrites the 256-byte last-error text; its failure is what the store's
// connection says of the call that just failed.
void SetLastError(const char* format, ...) __attribute__((format(printf, 1, 2)));
void ClearLastError();
// Makes the tables older logs go without (Tables.h) when the open log lacks
// them. Optional: a file that cannot take them now goes on without.
void EnsureNewerTables();
// The ride-detail rows that match condition (an SQL expression over
// RideDetail's columns) are removed; kOk also when the table is not there.
int RemoveRideDetails(const std::string& condition);
// Carries the ride's row to date, when it belongs to the ride as stored now.
int MoveRideDetailDate(int number, int32_t date);
// Removes rows whose ride is gone or has another date. Optional, like
// EnsureNewerTables.
void RemoveStaleRideDetails();
// The parts and service side of a maintenance entry: removes the links of
// the entry numbered number (its delete, or a new entry taking a number that
// came back), carries its link to date (its edit). kOk also when the table is
// not there; run them inside the entry's own transaction.
int RemoveServiceLinks(int number);
int MoveServiceLinkDate(int number, int32_t date);
// What deleting a bicycle does to parts and tasks: the stretches other parts
// spent on it become their carried usage; the parts fitted to it now and its
// tasks go with it. Inside the bicycle's delete transaction, before its rides go.
int RemoveBicycleService(int bicycleNumber);
// Removes links whose entry is gone or has another date. Optional, like
// EnsureNewerTables.
void RemoveStaleServiceLinks();
// kNoConnection, for a call without a connection or a required argument. It
// sets no last-error text, as ever; but no earlier failure's reason may be
// taken for this one's.
int NoConnection();
// The same with the failure given, for one that happened elsewhere than on the
// store's connection (a backup's connection, a file: {0, errno}).
void SetLastErrorOf(StoreFailure failure, const char* format, ...) __attribute__((format(printf, 2, 3)));
// What connection says of its call that just failed; nothing when it succeeded.
StoreFailure FailureOf(sqlite3* connection);

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

// Plain value copy; when a block cannot be had the target keeps no blocks at
// all rather than looking complete.
template <typename Record, typename Release>
void CopyRecord(Record* target, const Record* source, Release release) {
    if (!target || !source || target == source) {
        return;
    }
    try {
        *target = *source;
    } catch (const std::bad_alloc&) {
        release(target);
    }
}

// Seconds above 59 carry into minutes, then minutes above 59 into hours.
// Sums of stored times can pass the 32-bit range, so they are carried in 64
// bits; see ClampToInt32 for handing them out.
void NormaliseTime(int64_t& hours, int64_t& minutes, int64_t& seconds);
int32_t ClampToInt32(int64_t value);

// How long a statement waits for a lock another program holds on bicycle.db
// (a backup tool, a second copy of the program) before it fails.
inline constexpr int kBusyTimeoutMs = 3000;

// Record numbers are 32-bit and name memo folders. A number another program
// stored beyond that range must not be read as its low 32 bits, which would
// be another record's number and folder. True when column holds a number
// that fits (NULL and non-integers read as SQLite converts them); otherwise
// the last-error text names it.
bool RecordNumberFits(sqlite3_stmt* statement, int column);

// Binds values at consecutive parameter positions and remembers the first
// position that failed; later binds are skipped.
class Binder {
public:
    Binder(sqlite3_stmt* statement, int firstPosition) : m_statement(statement), m_position(firstPosition) {}

    Binder& Int(int32_t value) { return Check(sqlite3_bind_int(m_statement, m_position, value)); }
    Binder& Double(double value) { return Check(sqlite3_bind_double(m_statement, m_position, value)); }
    Binder& Block(const ByteBlock& block) { return Check(BindBlock(m_statement, m_position, block)); }

    // 0 when every bind succeeded.
    int FailedPosition() const { return m_failedPosition; }

private:
    Binder& Check(int result) {
        if (m_failedPosition == 0 && result != SQLITE_OK) {
            m_failedPosition = m_position;
        }
        ++m_position;
        return *this;
    }

    sqlite3_stmt* m_statement;
    int m_position;
    int m_failedPosition = 0;
};

// Runs a query and appends one record per row, converted by
// convert(statement, record) -> result code. A conversion failure ends the
// fetch with its code; the records read before it stay in the list.
// numberColumns name the columns holding record numbers: a row where one of
// them does not fit 32 bits is left out, the fetch goes on with the others
// and ends with kFailed and the text that names the number.
template <typename Record, typename Convert>
int FetchRecords(const std::string& sql, std::vector<Record>* list, Convert convert,
                 std::initializer_list<int> numberColumns) {
    list->clear();
    Statement statement = Prepare(sql);
    if (!statement) {
        SetLastError("%s", kPrepareError);
        return kFailed;
    }
    bool leftOut = false;
    for (;;) {
        const int step = sqlite3_step(statement.get());
        if (step == SQLITE_DONE) {
            return leftOut ? kFailed : kOk;
        }
        if (step != SQLITE_ROW) {
            SetLastError("%s", kFetchError);
            return kFailed;
        }
        bool fits = true;
        for (const int column : numberColumns) {
            fits = fits && RecordNumberFits(statement.get(), column);
        }
        if (!fits) {
            leftOut = true;
            continue;
        }
        try {
            list->emplace_back();
        } catch (const std::bad_alloc&) {
            SetLastError("%s", kOutOfMemoryError);
            return kFailed;
        }
        const int converted = convert(statement.get(), &list->back());
        if (converted != kOk) {
            list->pop_back();
            return converted;
        }
    }
}

// Prepares an insert or update, binds the record with
// bind(statement, record, forUpdate) and runs it.
template <typename Record, typename Bind>
int WriteRecord(const std::string& sql, const char* prepareError, const Record* record, Bind bind,
                bool forUpdate) {
    Statement statement = Prepare(sql);
    if (!statement) {
        SetLastError("%s", prepareError);
        return kFailed;
    }
    const int bound = bind(statement.get(), record, forUpdate);
    if (bound != kOk) {
        return bound;
    }
    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        SetLastError("%s", kExecuteError);
        return kFailed;
    }
    return kOk;
}

// Runs one delete built from format and number. Deleting nothing is success;
// a delete that did not run is reported, so that the caller keeps the memo
// folder of a record that is still there.
int DeleteRecord(const char* format, int number);

// The values the single-bicycle total functions give, for every bicycle at once.
struct BicycleTotals {
    double distance = 0.0;
    int32_t hours = 0;
    int32_t minutes = 0;
    int32_t seconds = 0;
    double maxSpeed = 0.0;
    double maintenanceCost = 0.0;
    double timedDistance = 0.0;
};
// Keyed by BicycleNumber; bicycles without rides or entries are absent.
// kFailed with the last-error text when a query could not be prepared or
// stepped to its end (a damaged or missing table), as the single totals
// report it; what was read before stays in totals.
int ReadAllBicycleTotals(std::unordered_map<int64_t, BicycleTotals>* totals);

}  // namespace store::detail
