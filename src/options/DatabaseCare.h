#pragma once
// The rider's data as a whole: bicycle.db with the memo folders Rides and
// Maintenance beside it in the program directory. Backing up, restoring and
// starting afresh, without any window: the options page asks the questions
// and shows the messages.

#include <QString>

enum class BackupOutcome {
    Done,
    // Nothing was written: the folder holds a bicycle.db already, cannot take
    // one, or lies inside a memo folder it would be copied into.
    DatabaseFailed,
    // The database is in the folder but a memo folder could not be copied whole.
    MemoFoldersFailed,
};

// Copies a snapshot of the database, then Rides and Maintenance, into folder.
BackupOutcome BackupData(const QString& programDirectory, const QString& folder);

// Replaces the database and both memo folders by those of the backup in
// folder. The backup's memo folders are copied beside the program's first and
// the database is put in place next, so a failure on the way (true is success)
// leaves the rider's data as it was. Leaves the store without a connection.
bool RestoreData(const QString& programDirectory, const QString& folder);

enum class InitializeOutcome {
    Done,
    // The new database could not be made; the old one is open again, unchanged.
    CreateFailed,
    // The new database is in place but cannot be opened; the memo folders are kept.
    OpenFailed,
};

// Puts a new, empty database in place of the old one and opens it; only then
// empties the memo folders (the folders themselves stay).
InitializeOutcome InitializeData(const QString& programDirectory);
