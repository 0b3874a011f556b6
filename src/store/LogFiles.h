#pragma once
// The names of what makes up a rider's log in the program directory. Every
// file and folder name of the log is spelled here and nowhere else, so that
// start-up, backup, restore, initialize and the pages agree on them. Plain
// bytes, no Qt: the store uses them too.

#include <string_view>

namespace logfiles {

// The SQLite database with bicycles, rides, maintenance entries and settings.
inline constexpr char kDatabase[] = "bicycle.db";
// SQLite keeps these beside a database while it writes (rollback journal,
// write-ahead log and its index); one left beside a replaced database would
// be played back into the new file of the same name.
inline constexpr const char* kDatabaseCompanionSuffixes[] = {"-journal", "-wal", "-shm"};
// The search index of memo texts and bicycle names, beside the database and
// never inside it; it can always be built again from the database.
inline constexpr char kSearchIndex[] = "search.idx";
// The memo folders: <folder>/<record number>/data.htm and its pictures.
inline constexpr char kRidesFolder[] = "Rides";
inline constexpr char kMaintenanceFolder[] = "Maintenance";
// A restore or initialize builds the new log beside the old one: the new
// database and memo folders under their names with kIncomingSuffix, and the
// old memo folders are moved aside under kOutgoingSuffix until the new
// database is in place. The journal names the stage reached, so that the next
// start finishes or undoes an operation a crash cut short. All three belong
// to the program: whatever it finds under these names it may remove.
inline constexpr char kIncomingSuffix[] = ".incoming";
inline constexpr char kOutgoingSuffix[] = ".outgoing";
inline constexpr char kCareJournal[] = "velomarq.care";
// A backup is a folder of its own inside the folder the rider chose, named by
// this and the local time to the second ("Velomarq backup 2026-12-07 14-05-33").
inline constexpr char kBackupFolderPrefix[] = "Velomarq backup ";
// Held while a program works on the log, so that a second one stays away.
inline constexpr char kLockFile[] = "velomarq.lock";

// True when name (a plain file or folder name, no path) is one of the rider's
// own entries of the log, which shipped files must never replace.
inline bool IsRiderData(std::string_view name) {
    return name == kDatabase || name == kRidesFolder || name == kMaintenanceFolder;
}

}  // namespace logfiles
