#pragma once
// What the rider is told when the store or a file operation fails: the
// message that says what could not be done, then why (the disk is full,
// another program holds the database, the folder is read-only, ...). The
// reason comes from its own channel (the SQLite result code and the system's
// errno), in the rider's language where a text exists, else in the words the
// system gives.

#include "store/FailureKind.h"

#include <QString>

class QWidget;

struct FailureReason {
    store::FailureKind kind = store::FailureKind::None;
    int sqliteCode = 0;
    int systemError = 0;
};

// Why the store's last operation failed.
FailureReason StoreFailureReason();
// Why the last file operation of platform/Files failed on this thread.
FailureReason FileFailureReason();
// The reason for a system error (errno).
FailureReason SystemFailureReason(int error);

// The reason as a sentence; empty when nothing is known.
QString FailureReasonText(const FailureReason& reason);
// message, and below it "Reason: ..." when a reason is known.
QString WithReason(const QString& message, const FailureReason& reason);
// The same on one line, for a line of a list (the import's summary).
QString WithReasonInline(const QString& message, const FailureReason& reason);

// Shows message and its reason as an error, and writes both to the log.
void ShowFailure(QWidget* parent, const QString& message, const FailureReason& reason);
// The same with a reason of the caller's own, already in the rider's language.
void ShowFailure(QWidget* parent, const QString& message, const QString& because);
// The same with the store's last failure, or the last file failure.
void ShowStoreFailure(QWidget* parent, const QString& message);
void ShowFileFailure(QWidget* parent, const QString& message);
