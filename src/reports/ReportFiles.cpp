#include "reports/ReportFiles.h"

#include "language/Language.h"
#include "platform/Dialogs.h"
#include "platform/Failure.h"
#include "platform/Files.h"
#include "reports/ReportText.h"
#include "units/ProductInfo.h"
#include "units/Units.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cerrno>

namespace {
bool IsRecordNumberName(const QString& name) {
    return !name.isEmpty() &&
           std::all_of(name.begin(), name.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}
}  // namespace

ReportResult WriteReport(const QString& path, const ReportText& report) {
    return report.WriteTo(path) ? ReportResult::Written : ReportResult::FileFailed;
}

QString CompanionFolderPath(const QString& reportPath) {
    return reportPath + QStringLiteral(".files");
}

ReportResult WriteHtmlReport(const QString& path, const ReportText& page,
                             const std::vector<CompanionCopy>& copies) {
    const QString companion = CompanionFolderPath(path);
    const QFileInfo report(path);
    if (!report.absoluteDir().exists()) {
        // Nowhere to put the page at all: that is the file's failure, not the folder's.
        SetLastFileError(ENOENT);
        return ReportResult::FileFailed;
    }
    bool madeCompanion = false;
    if (!IsDirectory(companion)) {
        if (!QDir().mkdir(companion)) {
            SetLastFileError(errno);
            return ReportResult::FolderFailed;
        }
        madeCompanion = true;
    }
    if (!page.WriteTo(path)) {
        const int error = LastFileError();
        if (madeCompanion) {
            DeleteFolder(companion);
        }
        SetLastFileError(error);
        return ReportResult::FileFailed;
    }
    // An earlier report of the same name may have left memos here of records
    // this one leaves out (another bicycle, other days): they must not travel
    // with it. Memo folders are the ones named by a record number; each copy
    // replaces its folder whole, so no picture of another memo stays inside.
    QSet<QString> copied;
    for (const CompanionCopy& copy : copies) {
        copied.insert(copy.name);
    }
    const QDir companionDir(companion);
    for (const QString& name : companionDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
        if (IsRecordNumberName(name) && !copied.contains(name)) {
            DeleteFolder(companionDir.filePath(name));
        }
    }
    for (const CompanionCopy& copy : copies) {
        const QString target = companion + u'/' + copy.name;
        DeleteFolder(target);
        (void)CopyFolder(copy.sourceFolder, target);
    }
    (void)CopyFileReplacing(ProgramPath(QStringLiteral("logo.dat")), companion + QStringLiteral("/logo.jpg"));
    return ReportResult::Written;
}

void ShowReportResult(QWidget* parent, ReportResult result) {
    switch (result) {
        case ReportResult::Written:
            AppDialogs().MessageBox(parent, GetLanguageString("Strings", "EXPC"),
                                    QString::fromLatin1(kProductName), MessageIcon::Information);
            break;
        case ReportResult::FileFailed:
            ShowFileFailure(parent, GetLanguageString("ErrorStrings", "CCTF"));
            break;
        case ReportResult::FolderFailed:
            ShowFileFailure(parent, GetLanguageString("ErrorStrings", "CRTD"));
            break;
    }
}
