#pragma once
// The program's log: a plain-text file beside the rider's log book
// (velomarq.log in the program directory) that the rider can send when
// something goes wrong. It holds the start-up facts, every failed store or
// file operation with its reason, and the summaries of imports and of backup,
// restore and initialize. It never holds memo text or any other record
// content; file names are the most personal thing written to it.
//
// Everything is written through Qt's logging categories below. The file is
// kept in the program directory, not in a separate state folder, so that each
// log book has its own and the help page can name one place for it.

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcStartup)
Q_DECLARE_LOGGING_CATEGORY(lcStore)
Q_DECLARE_LOGGING_CATEGORY(lcFiles)
Q_DECLARE_LOGGING_CATEGORY(lcImport)
Q_DECLARE_LOGGING_CATEGORY(lcCare)
Q_DECLARE_LOGGING_CATEGORY(lcMessages)

// The log's name in the program directory; older logs are kept beside it as
// velomarq.log.1 (the newest) to velomarq.log.3.
inline constexpr char kLogFileName[] = "velomarq.log";
// A log that passes this size is moved aside and a new one begun.
inline constexpr qint64 kLogFileLimit = 1024 * 1024;

// Starts writing every message to the log in folder, after what an earlier
// run wrote there, and has the store report each failure to it. Messages go
// on to wherever they went before (the terminal) as well. False when the log
// cannot be written; the program then runs on without one.
bool StartLog(const QString& folder);
// Writes the facts a report of a problem needs first: version, Qt, SQLite,
// system, program directory.
void LogStartupFacts(const QString& programDirectory);
// Ends writing to the file; messages go only where they went before.
void StopLog();
// The file being written, or empty.
QString LogFilePath();
