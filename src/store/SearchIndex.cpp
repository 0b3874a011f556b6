#include "store/SearchIndex.h"

#include "store/LogFiles.h"
#include "store/StoreInternal.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

using namespace store;
using namespace store::detail;

namespace {

// ---- Text -------------------------------------------------------------------

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The log keeps texts as UTF-16LE up to a zero character; a lone surrogate
// becomes U+FFFD rather than ending the text.
std::string Utf8OfBlock(const void* bytes, int size) {
    const auto* data = static_cast<const unsigned char*>(bytes);
    std::string out;
    for (int i = 0; i + 1 < size; i += 2) {
        uint32_t c = data[i] | (data[i + 1] << 8);
        if (c == 0) {
            break;
        }
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < size) {
            const uint32_t low = data[i + 2] | (data[i + 3] << 8);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                c = 0xFFFD;
            }
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

// One character of UTF-8 at text[*at], moving *at past it.
uint32_t NextCharacter(const char* text, int size, int* at) {
    const auto lead = static_cast<unsigned char>(text[*at]);
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    uint32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (int k = 1; k < length && *at + k < size; ++k) {
        c = (c << 6) | (static_cast<unsigned char>(text[*at + k]) & 0x3F);
    }
    *at = std::min(size, *at + length);
    return c;
}

// Scripts written without spaces between words: kana, CJK ideographs, Hangul.
bool IsCjk(uint32_t c) {
    return (c >= 0x3040 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0x20000 && c <= 0x2FFFF);
}

// ---- Tokenizer --------------------------------------------------------------
// unicode61 with remove_diacritics 2 does the words, their case and their
// accents; a token it gives that holds CJK characters is split further: every
// such character a token of its own, and each pair of neighbours a token at
// the same place as its first character, so that a phrase of characters finds
// them wherever they stand in a run.

struct CjkTokenizer {
    fts5_tokenizer inner;
    Fts5Tokenizer* innerInstance = nullptr;
};

struct TokenSink {
    void* context;
    int (*emit)(void*, int, const char*, int, int, int);
};

int SplitToken(void* sinkPointer, int flags, const char* token, int size, int start, int end) {
    const auto* sink = static_cast<const TokenSink*>(sinkPointer);
    bool any = false;
    for (int at = 0; at < size && !any;) {
        any = IsCjk(NextCharacter(token, size, &at));
    }
    if (!any) {
        return sink->emit(sink->context, flags, token, size, start, end);
    }
    int at = 0;
    int plainStart = -1;
    while (at < size) {
        const int here = at;
        const uint32_t c = NextCharacter(token, size, &at);
        if (!IsCjk(c)) {
            if (plainStart < 0) {
                plainStart = here;
            }
            continue;
        }
        if (plainStart >= 0) {
            if (int rc = sink->emit(sink->context, 0, token + plainStart, here - plainStart, start, end);
                rc) {
                return rc;
            }
            plainStart = -1;
        }
        if (int rc = sink->emit(sink->context, 0, token + here, at - here, start, end); rc) {
            return rc;
        }
        int next = at;
        if (next < size && IsCjk(NextCharacter(token, size, &next))) {
            if (int rc =
                    sink->emit(sink->context, FTS5_TOKEN_COLOCATED, token + here, next - here, start, end);
                rc) {
                return rc;
            }
        }
    }
    if (plainStart >= 0) {
        return sink->emit(sink->context, 0, token + plainStart, size - plainStart, start, end);
    }
    return SQLITE_OK;
}

int CreateTokenizer(void* api, const char**, int, Fts5Tokenizer** out) {
    auto* fts = static_cast<fts5_api*>(api);
    auto* tokenizer = new CjkTokenizer;
    void* innerContext = nullptr;
    const char* arguments[] = {"remove_diacritics", "2"};
    if (fts->xFindTokenizer(fts, "unicode61", &innerContext, &tokenizer->inner) != SQLITE_OK ||
        tokenizer->inner.xCreate(innerContext, arguments, 2, &tokenizer->innerInstance) != SQLITE_OK) {
        delete tokenizer;
        return SQLITE_ERROR;
    }
    *out = reinterpret_cast<Fts5Tokenizer*>(tokenizer);
    return SQLITE_OK;
}

void DeleteTokenizer(Fts5Tokenizer* instance) {
    auto* tokenizer = reinterpret_cast<CjkTokenizer*>(instance);
    tokenizer->inner.xDelete(tokenizer->innerInstance);
    delete tokenizer;
}

int Tokenize(Fts5Tokenizer* instance, void* context, int flags, const char* text, int size,
             int (*emit)(void*, int, const char*, int, int, int)) {
    auto* tokenizer = reinterpret_cast<CjkTokenizer*>(instance);
    TokenSink sink{context, emit};
    return tokenizer->inner.xTokenize(tokenizer->innerInstance, &sink, flags, text, size, SplitToken);
}

constexpr char kTokenizerName[] = "velomarq";

bool RegisterTokenizer(sqlite3* index) {
    fts5_api* api = nullptr;
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(index, "select fts5(?1)", -1, &raw, nullptr) != SQLITE_OK) {
        return false;
    }
    Statement statement(raw);
    sqlite3_bind_pointer(raw, 1, static_cast<void*>(&api), "fts5_api_ptr", nullptr);
    sqlite3_step(raw);
    if (!api) {
        return false;
    }
    fts5_tokenizer tokenizer{CreateTokenizer, DeleteTokenizer, Tokenize};
    return api->xCreateTokenizer(api, kTokenizerName, api, &tokenizer, nullptr) == SQLITE_OK;
}

// ---- The index file ---------------------------------------------------------

struct IndexCloser {
    void operator()(sqlite3* connection) const { sqlite3_close_v2(connection); }
};
using Index = std::unique_ptr<sqlite3, IndexCloser>;

bool Exec(sqlite3* index, const char* sql) {
    return sqlite3_exec(index, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

Statement Prepare(sqlite3* index, const std::string& sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(index, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        return Statement(nullptr);
    }
    return Statement(raw);
}

// The index with the log attached read-only as "log", its tables made when
// missing; nullptr when either cannot be opened.
Index OpenIndex(bool create) {
    sqlite3* raw = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(logfiles::kSearchIndex, &raw, flags, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(raw);
        return Index(nullptr);
    }
    Index index(raw);
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);
    const std::string attach =
        std::string("attach database 'file:") + logfiles::kDatabase + "?mode=ro' as log";
    // The index can always be built again: it waits for no disk, and a file
    // a crash left unreadable is dropped and built anew (CurrentIndex).
    if (!RegisterTokenizer(raw) || !Exec(raw, "PRAGMA synchronous=OFF") || !Exec(raw, attach.c_str()) ||
        !Exec(raw,
              "create table if not exists State(Name TEXT PRIMARY KEY, Value TEXT);"
              "create virtual table if not exists RideMemo using fts5(text, tokenize='velomarq');"
              "create virtual table if not exists MaintenanceMemo using fts5(text, tokenize='velomarq');"
              "create virtual table if not exists BicycleName using fts5(text, tokenize='velomarq');")) {
        return Index(nullptr);
    }
    return index;
}

std::string QueryText(sqlite3* index, const char* sql) {
    Statement statement = Prepare(index, sql);
    if (!statement || sqlite3_step(statement.get()) != SQLITE_ROW) {
        return std::string();
    }
    const unsigned char* text = sqlite3_column_text(statement.get(), 0);
    return text ? reinterpret_cast<const char*>(text) : std::string();
}

// What tells the log's state: the count, largest number and latest date of
// each record table and the count and largest number of bicycles. The file's
// change counter would also see a memo edited in place, but it moves with the
// program's own writes to the other tables (preferences) too.
std::string LogFingerprint(sqlite3* index) {
    // Each figure its own query: count(*) and max() together in one would
    // read the whole table instead of an index's edge.
    return QueryText(
        index,
        "select (select count(*) from log.RideRecord)||','||"
        "(select ifnull(max(RideRecordNumber),0) from log.RideRecord)||','||"
        "(select ifnull(max(Date),0) from log.RideRecord)||';'||"
        "(select count(*) from log.MaintenanceRecord)||','||"
        "(select ifnull(max(MaintenanceRecordNumber),0) from log.MaintenanceRecord)||','||"
        "(select ifnull(max(Date),0) from log.MaintenanceRecord)||';'||"
        "(select count(*) from log.Bicycle)||','||(select ifnull(max(BicycleNumber),0) from log.Bicycle)");
}

bool KeepFingerprint(sqlite3* index, const std::string& fingerprint) {
    Statement statement = Prepare(index, "insert or replace into State values('Fingerprint', ?1)");
    return statement &&
           sqlite3_bind_text(statement.get(), 1, fingerprint.c_str(), -1, SQLITE_TRANSIENT) == SQLITE_OK &&
           sqlite3_step(statement.get()) == SQLITE_DONE;
}

struct KindTables {
    const char* index;
    const char* log;
    const char* number;
};

KindTables TablesOf(SearchKind kind) {
    return kind == SearchKind::Ride
               ? KindTables{"RideMemo", "RideRecord", "RideRecordNumber"}
               : KindTables{"MaintenanceMemo", "MaintenanceRecord", "MaintenanceRecordNumber"};
}

// Copies the texts of the log's rows (number, text) into an index table.
bool CopyTexts(sqlite3* index, const std::string& select, const char* table) {
    Statement rows = Prepare(index, select);
    Statement insert = Prepare(index, std::string("insert into ") + table + "(rowid, text) values(?1, ?2)");
    if (!rows || !insert) {
        return false;
    }
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(rows.get())) == SQLITE_ROW) {
        const std::string text =
            Utf8OfBlock(sqlite3_column_blob(rows.get(), 1), sqlite3_column_bytes(rows.get(), 1));
        if (text.empty()) {
            continue;
        }
        sqlite3_bind_int64(insert.get(), 1, sqlite3_column_int64(rows.get(), 0));
        sqlite3_bind_text(insert.get(), 2, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(insert.get()) != SQLITE_DONE) {
            return false;
        }
        sqlite3_reset(insert.get());
    }
    return step == SQLITE_DONE;
}

bool CopyBicycleNames(sqlite3* index) {
    return Exec(index, "delete from BicycleName") &&
           CopyTexts(index, "select BicycleNumber, BicycleName from log.Bicycle", "BicycleName");
}

bool Rebuild(sqlite3* index, const std::string& fingerprint) {
    if (!Exec(index, "begin immediate")) {
        return false;
    }
    const bool built = Exec(index, "delete from RideMemo; delete from MaintenanceMemo;") &&
                       CopyTexts(index, "select RideRecordNumber, Memo from log.RideRecord", "RideMemo") &&
                       CopyTexts(index, "select MaintenanceRecordNumber, Memo from log.MaintenanceRecord",
                                 "MaintenanceMemo") &&
                       CopyBicycleNames(index) && KeepFingerprint(index, fingerprint);
    return Exec(index, built ? "commit" : "rollback") && built;
}

// ---- The connection kept open ----------------------------------------------
// Opening the index (its file, the tokenizer, the log attached, the schema
// read) costs more than following a save itself, so one connection serves the
// program's life. It is opened again when either file is another one than the
// connection has open: restored or initialized, removed, or another program
// directory (the tests change it). A file open in the connection keeps its
// inode, so a new file at the same path never looks like the old one.

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(const char* path) {
    struct stat status {};
    if (stat(path, &status) != 0) {
        return std::nullopt;
    }
    return FileIdentity{status.st_dev, status.st_ino};
}

struct SharedIndex {
    Index index;
    FileIdentity indexFile;
    FileIdentity logFile;
};

SharedIndex& Shared() {
    static SharedIndex shared;
    return shared;
}

// The connection to the index file; made (with the file, when create) when
// there is none for the files at their paths now. nullptr when it cannot be had.
sqlite3* IndexConnection(bool create) {
    SharedIndex& shared = Shared();
    const std::optional<FileIdentity> log = IdentityOf(logfiles::kDatabase);
    std::optional<FileIdentity> file = IdentityOf(logfiles::kSearchIndex);
    if (shared.index && log && file && *log == shared.logFile && *file == shared.indexFile) {
        return shared.index.get();
    }
    shared.index.reset();
    if (!log || (!file && !create)) {
        return nullptr;
    }
    Index index = OpenIndex(create);
    file = IdentityOf(logfiles::kSearchIndex);
    if (!index || !file) {
        return nullptr;
    }
    shared = SharedIndex{std::move(index), *file, *log};
    return shared.index.get();
}

void CloseIndexConnection() {
    Shared().index.reset();
}

// The index, current with the log; a second try starts from an empty file.
sqlite3* CurrentIndex(bool again = false) {
    sqlite3* index = IndexConnection(true);
    if (!index && !again) {
        DropSearchIndex();
        return CurrentIndex(true);
    }
    if (!index) {
        return index;
    }
    const std::string fingerprint = LogFingerprint(index);
    if (fingerprint.empty()) {
        return nullptr;
    }
    if (QueryText(index, "select Value from State where Name='Fingerprint'") != fingerprint &&
        !Rebuild(index, fingerprint)) {
        if (again) {
            return nullptr;
        }
        DropSearchIndex();
        return CurrentIndex(true);
    }
    return index;
}

// The fingerprint after the store's own insert (a count one higher) or update
// (the same count) of one record of the kind, from the one kept before it:
// the counts are what costs in a fingerprint, the largest number and date are
// read from an index's edge. Whatever another program changed before stays
// a difference, so the next search still sees it. Empty when the kept one
// cannot be read that way.
std::string FollowedFingerprint(sqlite3* index, const std::string& kept, const KindTables& tables,
                                int countChange) {
    // "count,number,date;count,number,date;count,number"
    const size_t part = tables.index == std::string("RideMemo") ? 0 : 1;
    std::vector<std::string> parts;
    for (size_t at = 0; at <= kept.size();) {
        const size_t end = std::min(kept.find(';', at), kept.size());
        parts.push_back(kept.substr(at, end - at));
        at = end + 1;
    }
    if (parts.size() != 3) {
        return std::string();
    }
    const size_t comma = parts[part].find(',');
    if (comma == std::string::npos || comma == 0) {
        return std::string();
    }
    long long count = 0;
    try {
        count = std::stoll(parts[part].substr(0, comma)) + countChange;
    } catch (...) {
        return std::string();
    }
    const std::string edges =
        QueryText(index, (std::string("select (select ifnull(max(") + tables.number + "),0) from log." +
                          tables.log + ")||','||(select ifnull(max(Date),0) from log." + tables.log + ")")
                             .c_str());
    if (edges.empty()) {
        return std::string();
    }
    parts[part] = std::to_string(count) + ',' + edges;
    return parts[0] + ';' + parts[1] + ';' + parts[2];
}

// A word as an FTS5 query: a phrase of its tokens, the last one a prefix.
std::string WordQuery(const std::string& word) {
    std::string query = "\"";
    for (char c : word) {
        query += c;
        if (c == '"') {
            query += '"';
        }
    }
    return query + "\"*";
}

}  // namespace

int DB_SearchRecords(SearchKind kind, const char* text, std::vector<int32_t>* numbers) {
    if (!numbers) {
        return kFailed;
    }
    numbers->clear();
    sqlite3* index = CurrentIndex();
    if (!index) {
        SetLastError("ERROR: Can not open search index: %s.", logfiles::kSearchIndex);
        return kFailed;
    }
    std::vector<std::string> words;
    const std::string all = text ? text : "";
    size_t at = 0;
    while (at < all.size()) {
        const size_t end = all.find_first_of(" \t\r\n", at);
        const std::string word = all.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (!word.empty()) {
            words.push_back(word);
        }
        at = end == std::string::npos ? all.size() : end + 1;
    }
    if (words.empty()) {
        return kOk;
    }
    const KindTables tables = TablesOf(kind);
    std::string sql = std::string("select ") + tables.number + " from log." + tables.log + " where 1";
    for (size_t i = 1; i <= words.size(); ++i) {
        const std::string n = std::to_string(i);
        sql += std::string(" and (") + tables.number + " in (select rowid from " + tables.index + " where " +
               tables.index + " match ?" + n + ") or BicycleNumber in (select rowid from BicycleName where " +
               "BicycleName match ?" + n + "))";
    }
    Statement statement = Prepare(index, sql);
    if (!statement) {
        SetLastError("%s", kPrepareError);
        return kFailed;
    }
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string query = WordQuery(words[i]);
        sqlite3_bind_text(statement.get(), static_cast<int>(i + 1), query.c_str(), -1, SQLITE_TRANSIENT);
    }
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
        numbers->push_back(sqlite3_column_int(statement.get(), 0));
    }
    if (step != SQLITE_DONE) {
        // A word the query language cannot take finds nothing rather than failing.
        numbers->clear();
    }
    return kOk;
}

int DB_RefreshSearchIndex() {
    return CurrentIndex() ? kOk : kFailed;
}

void FollowRecordInSearch(SearchKind kind, int number) {
    // Without an index file there is nothing to follow: the next search builds it.
    sqlite3* index = IndexConnection(false);
    if (!index || !Exec(index, "begin immediate")) {
        return;
    }
    const KindTables tables = TablesOf(kind);
    // A new record takes the largest number.
    const std::string n = number > 0 ? std::to_string(number)
                                     : QueryText(index, (std::string("select ifnull(max(") + tables.number +
                                                         "),0) from log." + tables.log)
                                                            .c_str());
    bool followed = Exec(index, (std::string("delete from ") + tables.index + " where rowid=" + n).c_str()) &&
                    CopyTexts(index,
                              std::string("select ") + tables.number + ", Memo from log." + tables.log +
                                  " where " + tables.number + "=" + n,
                              tables.index);
    if (followed) {
        // An insert or an update moves the counts by a known step; a delete
        // (the record no longer there) is counted afresh.
        const bool present = !QueryText(index, (std::string("select 1 from log.") + tables.log + " where " +
                                                tables.number + "=" + n)
                                                   .c_str())
                                  .empty();
        std::string fingerprint;
        if (present) {
            fingerprint = FollowedFingerprint(
                index, QueryText(index, "select Value from State where Name='Fingerprint'"), tables,
                number > 0 ? 0 : 1);
        }
        if (fingerprint.empty()) {
            fingerprint = LogFingerprint(index);
        }
        followed = KeepFingerprint(index, fingerprint);
    }
    Exec(index, followed ? "commit" : "rollback");
}

void FollowBicyclesInSearch() {
    sqlite3* index = IndexConnection(false);
    if (!index || !Exec(index, "begin immediate")) {
        return;
    }
    // A bicycle deleted takes its rides and entries with it.
    const bool followed =
        CopyBicycleNames(index) &&
        Exec(index,
             "delete from RideMemo where rowid not in (select RideRecordNumber from log.RideRecord);"
             "delete from MaintenanceMemo where rowid not in "
             "(select MaintenanceRecordNumber from log.MaintenanceRecord);") &&
        KeepFingerprint(index, LogFingerprint(index));
    Exec(index, followed ? "commit" : "rollback");
}

void DropSearchIndex() {
    CloseIndexConnection();
    std::remove(logfiles::kSearchIndex);
    for (const char* suffix : logfiles::kDatabaseCompanionSuffixes) {
        std::remove((std::string(logfiles::kSearchIndex) + suffix).c_str());
    }
}
