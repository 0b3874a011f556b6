#pragma once
// Search through memo texts and bicycle names, with SQLite's FTS5 in an index
// file of its own beside the log (logfiles::kSearchIndex), so that the log's
// database never holds a virtual table or trigger. The index records the log's
// file change counter and the counts and largest numbers and dates of its
// tables; it is built again whenever they differ (another program edited the
// log) or the file is missing, and follows the store's own writes after their
// commit.
//
// Words are found in any order, by their beginning, whatever their case and
// accents; Chinese and Japanese text, written without spaces, is indexed as
// single characters and overlapping pairs, so "链条" is found in "今天换了链条".
// A word names a record when its memo or its bicycle's name holds it.

#include <cstdint>
#include <vector>

enum class SearchKind { Ride, Maintenance };

// The numbers of the kind's records that hold every word of text (UTF-8),
// in no particular order. 0 on success; the store's result codes otherwise.
int DB_SearchRecords(SearchKind kind, const char* text, std::vector<int32_t>* numbers);

// Builds the index from the log now when it is missing or stale. 0 on success.
int DB_RefreshSearchIndex();

// Called by the store after a write to the log has been committed: brings the
// one record (number 0: the newest) or the bicycle names (and the records gone
// with a bicycle) into the index in its own transaction. Without an index file
// nothing is done: the next search builds it.
void FollowRecordInSearch(SearchKind kind, int number);
void FollowBicyclesInSearch();

// Removes the index file; the next search builds it again (restore, initialize).
void DropSearchIndex();
