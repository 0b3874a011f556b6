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

// Copies a regular file over target, completely or not at all.
[[nodiscard]] bool CopyFileReplacing(const QString& source, const QString& target);

// Copies the folder from into to (made when needed), recursively, overwriting
// files of the same name. Silent: false on any failure, nothing shown.
[[nodiscard]] bool CopyFolder(const QString& from, const QString& to);

// Removes the folder and everything below it, without following symbolic
// links out of it. Silent; false on failure (a missing folder is no failure).
bool DeleteFolder(const QString& path);

// Removes everything inside the folder and keeps the folder itself (made when
// missing). Silent; false when something could not be removed.
bool EmptyFolder(const QString& path);

// Tests make chosen writes fail part-way: the function is asked before each
// WriteFileReplacing or CopyFileReplacing with the target path, and when it
// answers true that write breaks off after part of the bytes, as a full disk
// would. An empty function ends it.
using WriteFailurePredicate = std::function<bool(const QString& path)>;
void SetWriteFailureForTesting(WriteFailurePredicate shouldFail);
