#pragma once
// Writing the rider's files safely. Every file the program writes whole (memo
// documents, reports, the gear report) goes through WriteFileReplacing: the
// bytes go to a new temporary file beside the target, reach the disk, and only
// then take the target's place, so a failed write leaves the old file as it
// was and never a half-written one. Folder copies and removals for memo
// folders, reports and backups live here too.

#include <QByteArray>
#include <QString>
#include <functional>

// Replaces path with bytes, completely or not at all. False when the file
// could not be written (the old file, if any, is then unchanged).
[[nodiscard]] bool WriteFileReplacing(const QString& path, const QByteArray& bytes);

// Writes a new file in a folder that is itself written aside and moved into
// place whole (the folder, not the file, is what appears all or nothing).
// Does not wait for the disk, so that many such files cost one
// SyncFileSystem rather than one wait each. Fails, and leaves nothing, when
// the file exists already or cannot be written whole.
[[nodiscard]] bool WriteNewFile(const QString& path, const QByteArray& bytes);

// Waits until everything written to the file system that holds path has
// reached the disk. False when that cannot be done.
bool SyncFileSystem(const QString& path);

// Copies a regular file over target, completely or not at all.
[[nodiscard]] bool CopyFileReplacing(const QString& source, const QString& target);

// Copies the folder from into to (made when needed), recursively, overwriting
// files of the same name. Never leaves the folders it copies: symbolic links
// (and pipes, sockets, devices) found in from are skipped, and from itself
// must be a folder, not a link. Never writes through a link: a link (or
// anything else of another kind) in to where a copy would go is left alone
// and the copy fails, as it does when to is a link. A target inside from is
// refused before anything is written. Silent: false on any failure.
[[nodiscard]] bool CopyFolder(const QString& from, const QString& to);

// Removes the folder and everything below it, without following symbolic
// links out of it. Silent; false on failure (a missing folder is no failure).
bool DeleteFolder(const QString& path);

// Removes everything inside the folder and keeps the folder itself (made when
// missing). Silent; false when something could not be removed.
bool EmptyFolder(const QString& path);

// The errno of the last operation above that failed on this thread (ENOSPC
// for a full disk, EROFS, EACCES, ...), so that the message the rider sees
// can say why. Every failure is written to the log as well.
int LastFileError();
// Sets it, like errno: for a caller that cleans up after a failure (which may
// succeed and reset it) before reporting the failure, or whose failure was
// found without one of the operations above.
void SetLastFileError(int error);

// Tests make chosen writes fail part-way: the function is asked before each
// WriteFileReplacing, WriteNewFile or CopyFileReplacing with the target path, and when it
// answers true that write breaks off after part of the bytes, as a full disk
// would. An empty function ends it.
using WriteFailurePredicate = std::function<bool(const QString& path)>;
void SetWriteFailureForTesting(WriteFailurePredicate shouldFail);
