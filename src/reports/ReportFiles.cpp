#include "reports/ReportFiles.h"

#include "language/Language.h"
#include "memo/MemoDocument.h"
#include "platform/Dialogs.h"
#include "platform/Failure.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "reports/ReportText.h"
#include "units/ProductInfo.h"
#include "units/Units.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cerrno>

namespace {

bool IsRecordNumberName(const QString& name) {
    return !name.isEmpty() &&
           std::all_of(name.begin(), name.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A report knows the memo folders it copied by their shape, which a folder
// the rider keeps beside them (photos of a year) does not have: a real folder
// of plain files, the memo's data.htm among them, and at most the memo's
// picture folder data.files of plain files. A link is never such a folder.
bool IsMemoCopy(const QString& folder, bool pictures = false) {
    const QFileInfo info(folder);
    if (info.isSymLink() || !info.isDir()) {
        return false;
    }
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    bool hasMemo = false;
    for (const QFileInfo& entry : entries) {
        if (entry.isSymLink()) {
            return false;
        }
        if (entry.isDir() && !pictures && entry.fileName() == u"data.files") {
            if (!IsMemoCopy(entry.filePath(), true)) {
                return false;
            }
        } else if (!entry.isFile()) {
            return false;
        }
        hasMemo = hasMemo || entry.fileName() == u"data.htm";
    }
    return pictures || hasMemo;
}

// The memo of a record folder, without the files the rider brought with the
// record (a raw GPS track holds the rider's home and heart rate): a report
// is meant to be passed on.
void CopyMemo(const QString& from, const QString& to) {
    const QFileInfo folder(from);
    if (folder.isSymLink() || !folder.isDir() || QFileInfo::exists(to) || !QDir().mkpath(to)) {
        return;
    }
    const QFileInfoList entries =
        QDir(from).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries) {
        const QString target = QDir(to).filePath(entry.fileName());
        if (entry.isSymLink()) {
            continue;
        }
        if (entry.isDir()) {
            if (entry.fileName() != QLatin1String(kMemoSourceFolderName)) {
                (void)CopyFolder(entry.filePath(), target);
            }
        } else if (entry.isFile()) {
            // Into a folder just made: nothing stands there to be replaced or written through.
            (void)QFile::copy(entry.filePath(), target);
        }
    }
}

}  // namespace

ReportResult WriteReport(const QString& path, const ReportText& report) {
    return report.WriteTo(path) ? ReportResult::Written : ReportResult::FileFailed;
}

ReportResult WriteReportBytes(const QString& path, const QByteArray& bytes) {
    return WriteFileReplacing(path, bytes) ? ReportResult::Written : ReportResult::FileFailed;
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
    if (QFileInfo(companion).isSymLink()) {
        // Not a folder of this report's: nothing is written into or removed through it.
        return ReportResult::FolderFailed;
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
    // with it. Only memo copies are removed or replaced, never a folder the
    // rider keeps there; each copy replaces its folder whole, so no picture
    // of another memo stays inside.
    QSet<QString> wanted;
    for (const CompanionCopy& copy : copies) {
        wanted.insert(copy.name);
    }
    const QDir companionDir(companion);
    for (const QString& name :
         companionDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Hidden)) {
        const QString folder = companionDir.filePath(name);
        if (IsRecordNumberName(name) && !wanted.contains(name) && IsMemoCopy(folder)) {
            DeleteFolder(folder);
        }
    }
    for (const CompanionCopy& copy : copies) {
        const QString target = companionDir.filePath(copy.name);
        const QFileInfo existing(target);
        if (existing.exists() || existing.isSymLink()) {
            if (!IsMemoCopy(target)) {
                continue;  // the rider's, not a report's: the page goes without this memo
            }
            DeleteFolder(target);
        }
        CopyMemo(copy.sourceFolder, target);
    }
    // Copied over by name, so whatever stands there must be a file of ours, not a link to elsewhere.
    const QString logo = companionDir.filePath(QStringLiteral("logo.jpg"));
    if (QFileInfo(logo).isSymLink()) {
        QFile::remove(logo);
    }
    (void)CopyFileReplacing(ProgramPath(QStringLiteral("logo.dat")), logo);
    return ReportResult::Written;
}

QString ReportWrittenText(const QString& path) {
    return GetLanguageString("Strings", "EXPC") + u"\n\n" +
           QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()) + u"\n\n" +
           GetLanguageString("Strings", "EXPO");
}

void ShowReportResult(QWidget* parent, ReportResult result, const QString& path) {
    switch (result) {
        case ReportResult::Written:
            if (AppDialogs().MessageBox(parent, ReportWrittenText(path), QString::fromLatin1(kProductName),
                                        MessageIcon::Information, kButtonYes | kButtonNo,
                                        kButtonYes) == kButtonYes &&
                !ShellOpen(QFileInfo(path).absoluteFilePath())) {
                ShowError(parent, GetLanguageString("ErrorStrings", "NOPN"));
            }
            break;
        case ReportResult::FileFailed:
            ShowFileFailure(parent, GetLanguageString("ErrorStrings", "CCTF"));
            break;
        case ReportResult::FolderFailed:
            ShowFileFailure(parent, GetLanguageString("ErrorStrings", "CRTD"));
            break;
    }
}
