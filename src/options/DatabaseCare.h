#pragma once
// The rider's data as a whole: bicycle.db with the memo folders Rides and
// Maintenance beside it in the program directory. Backing up, restoring and
// starting afresh, without any window: the options page asks the questions
// and shows the messages.
//
// Restore and initialize change the log in journaled steps: the new database
// and memo folders are made beside the old ones, the old memo folders are
// moved aside, the new ones take their names, and renaming the new database
// over bicycle.db is the one step that decides. A journal file names the stage
// reached; the next start finishes or undoes an operation a crash cut short,
// so that the log is always wholly the old one or wholly the new one.

#include "platform/Failure.h"

#include <QString>
#include <QStringList>
#include <functional>

enum class BackupOutcome {
    Done,
    // No backup was made: the folder cannot take one, or lies inside a memo
    // folder that would be copied into it.
    DatabaseFailed,
    // A memo folder could not be copied whole; the incomplete backup is removed.
    MemoFoldersFailed,
};

// Makes a new folder inside chosenFolder named for the moment of the backup
// ("Velomarq backup 2026-12-07 14-05-33", local time to the second) and
// copies Rides, Maintenance and then a snapshot of the database into it.
// Nothing else in chosenFolder is touched. madeFolder, when given, receives
// the new folder's path on success.
BackupOutcome BackupData(const QString& programDirectory, const QString& chosenFolder,
                         QString* madeFolder = nullptr);

// The backups folder offers, newest first: folder itself when it holds a
// bicycle.db, else each folder directly inside it that holds one (links to
// folders elsewhere are not followed). Empty when there is none.
QStringList FindBackups(const QString& folder);

enum class RestoreOutcome {
    Done,
    // Refused before anything of the log was touched, for the reason named.
    NoBackup,
    Unreadable,
    NoSettings,
    OtherVersion,
    ForeignTables,
    // The new log could not be made beside the old one; the log is unchanged.
    CopyFailed,
    // A memo folder or the database could not be moved into place; the log
    // is unchanged.
    MoveFailed,
};

// Replaces the database and both memo folders by those of the backup in
// backupFolder (a folder holding bicycle.db). The backup's database is
// checked first and only its rows are copied, into a database the program
// creates. Leaves the store without a connection.
RestoreOutcome RestoreData(const QString& programDirectory, const QString& backupFolder);

enum class InitializeOutcome {
    Done,
    // The new, empty log could not be put in place; the old one is open again, unchanged.
    CreateFailed,
    // The new database is in place but cannot be opened.
    OpenFailed,
};

// Puts a new, empty database and empty memo folders in place of the old ones
// and opens the database. A memo folder that is a link is replaced, never
// followed: what it points to stays as it is.
InitializeOutcome InitializeData(const QString& programDirectory);

// Finishes or undoes a restore or initialize that a crash cut short, as the
// journal in programDirectory says; does nothing when there is none or when
// another program is at work on it right now. False when the log could not
// be made whole.
bool FinishInterruptedCare(const QString& programDirectory);

// Why the last backup, restore or initialize that failed did so, as far as
// the system or the store said (none for a backup the program refused).
FailureReason LastCareFailure();

// Tests stop a restore or initialize after a chosen step: the hook is called
// after each step of the journaled change. An empty function ends it.
void SetCareStepHookForTesting(std::function<void()> hook);
