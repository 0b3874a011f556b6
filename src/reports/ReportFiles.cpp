#include "reports/ReportFiles.h"

#include "language/Language.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "reports/ReportText.h"
#include "units/ProductInfo.h"
#include "units/Units.h"

#include <QDir>
#include <QFileInfo>

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
        return ReportResult::FileFailed;
    }
    bool madeCompanion = false;
    if (!IsDirectory(companion)) {
        if (!QDir().mkdir(companion)) {
            return ReportResult::FolderFailed;
        }
        madeCompanion = true;
    }
    if (!page.WriteTo(path)) {
        if (madeCompanion) {
            DeleteFolder(companion);
        }
        return ReportResult::FileFailed;
    }
    for (const CompanionCopy& copy : copies) {
        (void)CopyFolder(copy.sourceFolder, companion + u'/' + copy.name);
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
            ShowError(parent, GetLanguageString("ErrorStrings", "CCTF"));
            break;
        case ReportResult::FolderFailed:
            ShowError(parent, GetLanguageString("ErrorStrings", "CRTD"));
            break;
    }
}
