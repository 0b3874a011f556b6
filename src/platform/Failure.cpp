#include "platform/Failure.h"

#include "language/Language.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "units/SafeFormat.h"

#include <cstring>
#include <optional>

using store::FailureKind;

namespace {

// The text of each kind a rider can act on; none where the system's or
// SQLite's own words are shown.
std::optional<LanguageKey> KeyOf(FailureKind kind) {
    switch (kind) {
        case FailureKind::DiskFull:
            return LanguageKey{"FailureReasons", "FULL"};
        case FailureKind::InUse:
            return LanguageKey{"FailureReasons", "BUSY"};
        case FailureKind::ReadOnly:
            return LanguageKey{"FailureReasons", "RDOL"};
        case FailureKind::NoPermission:
            return LanguageKey{"FailureReasons", "PERM"};
        case FailureKind::IoError:
            return LanguageKey{"FailureReasons", "IOER"};
        case FailureKind::Damaged:
            return LanguageKey{"FailureReasons", "DAMG"};
        case FailureKind::Missing:
            return LanguageKey{"FailureReasons", "GONE"};
        case FailureKind::OutOfMemory:
            return LanguageKey{"FailureReasons", "NMEM"};
        case FailureKind::None:
        case FailureKind::Other:
            break;
    }
    return std::nullopt;
}

QString WithReasonText(const QString& message, const QString& because) {
    if (because.isEmpty()) {
        return message;
    }
    return message + QStringLiteral("\n\n") +
           SafeFormat(GetLanguageString("FailureReasons", "RESN"), {because});
}

}  // namespace

FailureReason StoreFailureReason() {
    const StoreFailure failure = DB_GetLastFailure();
    return {store::ClassifyStoreFailure(failure), failure.sqliteCode, failure.systemError};
}

FailureReason FileFailureReason() {
    return SystemFailureReason(LastFileError());
}

FailureReason SystemFailureReason(int error) {
    return {store::ClassifySystemError(error), 0, error};
}

QString FailureReasonText(const FailureReason& reason) {
    if (const std::optional<LanguageKey> key = KeyOf(reason.kind)) {
        return GetLanguageString(*key);
    }
    if (reason.kind == FailureKind::None) {
        return {};
    }
    // Known, but none of the kinds above: as the system or SQLite says it.
    if (reason.systemError != 0) {
        return QString::fromLocal8Bit(std::strerror(reason.systemError));
    }
    if (reason.sqliteCode != 0) {
        return QString::fromUtf8(DB_DescribeResultCode(reason.sqliteCode));
    }
    return {};
}

QString WithReason(const QString& message, const FailureReason& reason) {
    return WithReasonText(message, FailureReasonText(reason));
}

QString WithReasonInline(const QString& message, const FailureReason& reason) {
    const QString because = FailureReasonText(reason);
    if (because.isEmpty()) {
        return message;
    }
    return message + u' ' + SafeFormat(GetLanguageString("FailureReasons", "RESN"), {because});
}

void ShowFailure(QWidget* parent, const QString& message, const FailureReason& reason) {
    ShowFailure(parent, message, FailureReasonText(reason));
}

void ShowFailure(QWidget* parent, const QString& message, const QString& because) {
    const QString shown = WithReasonText(message, because);
    qCWarning(lcMessages).noquote() << "Shown:" << QString(shown).replace(u'\n', u' ');
    ShowError(parent, shown);
}

void ShowStoreFailure(QWidget* parent, const QString& message) {
    ShowFailure(parent, message, StoreFailureReason());
}

void ShowFileFailure(QWidget* parent, const QString& message) {
    ShowFailure(parent, message, FileFailureReason());
}
