#include "rides/RideDlg.h"

#include "language/Language.h"
#include "platform/Dialogs.h"
#include "platform/Failure.h"
#include "platform/ModalRun.h"
#include "rides/GpsTrack.h"
#include "rides/RideImport.h"
#include "rides/RideImportDlg.h"
#include "rides/RideReport.h"
#include "rides/SpreadsheetImportDlg.h"
#include "units/SafeFormat.h"
#include "units/Units.h"
#include "widgets/EmptyListHint.h"
#include "widgets/ImageButton.h"
#include "widgets/PageControls.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QProgressDialog>
#include <QUrl>
#include <optional>

namespace {

// The local files of a drag that the import can read: .gpx, .tcx and .fit,
// and those lying directly in a dropped folder (a device's activity folder).
QStringList DroppedGpsFiles(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        const QString path = url.toLocalFile();
        if (path.isEmpty()) {
            continue;
        }
        if (QFileInfo(path).isDir()) {
            const QDir folder(path);
            const QStringList names =
                folder.entryList({QStringLiteral("*.gpx"), QStringLiteral("*.tcx"), QStringLiteral("*.fit")},
                                 QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
            for (const QString& name : names) {
                paths << folder.filePath(name);
            }
            continue;
        }
        if (GpsFileTypeOf(path) != GpsFileType::Unknown) {
            paths << path;
        }
    }
    return paths;
}

}  // namespace

void RideListTraits::Export(QWidget* page, const QString& fileName, int format,
                            std::vector<const RideRecord*> rows, const BicycleList& bicycles,
                            const QString& statusText) {
    ExportRecordReport(page, fileName, format, RideReportInput{std::move(rows), &bicycles, statusText},
                       kRideReports);
}

RideDlg::RideDlg(LinkLabel& statusLine, QWidget* parent)
    : RecordListPageOf(statusLine, parent), m_import(new ImageButton(this)) {
    setObjectName(QStringLiteral("RideDlg"));
    Table()->setObjectName(QStringLiteral("rideTable"));
    m_import->setObjectName(QStringLiteral("import"));
    AddButton(m_import);
    setAcceptDrops(true);
    connect(m_import, &QPushButton::clicked, this, &RideDlg::OnImport);
    m_hintImport = HintWidget()->AddAction("hintImport");
    EmptyListHint::SetLook(HintNewButton(), EmptyListHint::ActionLook::Link);
    connect(m_hintImport, &QPushButton::clicked, this, &RideDlg::OnImport);
    RefreshCaptions();
}

void RideDlg::RefreshCaptions() {
    RecordListPageOf::RefreshCaptions();
    m_import->setText(GetLanguageStringWithAccelerator("RideImport", "IMPT", QStringLiteral("I")));
    FitPageButton(m_import);
}

void RideDlg::UpdateHint() {
    if (CurrentListState() != ListState::EmptyLog || !m_hintImport) {
        RecordListPageOf::UpdateHint();
        return;
    }
    m_hintImport->setText(GetLanguageString("EmptyHints", "RIDI"));
    HintNewButton()->setText(GetLanguageString("EmptyHints", "RIDA"));
    HintWidget()->ShowHint(GetLanguageString("EmptyHints", "RIDE"), {m_hintImport, HintNewButton()},
                           GetLanguageString("EmptyHints", "DROP"));
}

void RideDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedGpsFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void RideDlg::dragMoveEvent(QDragMoveEvent* event) {
    if (!DroppedGpsFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void RideDlg::dropEvent(QDropEvent* event) {
    const QStringList paths = DroppedGpsFiles(event->mimeData());
    if (paths.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    ImportFiles(paths);
}

void RideDlg::OnImport() {
    if (Bicycles().empty()) {
        ShowError(this, GetLanguageString("ErrorStrings", "NTCB"));
        return;
    }
    const QString filter = GetLanguageString("RideImport", "FLTR") +
                           QStringLiteral(" (*.gpx *.tcx *.fit);;") +
                           GetLanguageString("SpreadsheetCsv", "FILT") + QStringLiteral(" (*.csv);;") +
                           GetLanguageString("ImportExportDlg", "ALLM");
    const QStringList paths =
        AppDialogs().GetOpenFileNames(this, GetLanguageString("RideImport", "TITL"),
                                      m_importFolder.isEmpty() ? QDir::homePath() : m_importFolder, filter);
    if (paths.isEmpty()) {
        return;
    }
    m_importFolder = QFileInfo(paths.front()).absolutePath();
    // A spreadsheet log goes through its own column-mapping step.
    if (paths.size() == 1 && IsSpreadsheetFile(paths.front())) {
        ShowImportedDays(
            ImportSpreadsheetFile(this, paths.front(), Bicycles(), FilteredBicycleNumber().value_or(0)));
        ReloadRecords();
        return;
    }
    ImportFiles(paths);
}

void RideDlg::ImportFiles(const QStringList& paths) {
    if (paths.isEmpty() || m_importing) {
        return;
    }
    if (Bicycles().empty()) {
        ShowError(this, GetLanguageString("ErrorStrings", "NTCB"));
        return;
    }
    int32_t bicycle = 0;
    if (const std::optional<int> filtered = FilteredBicycleNumber()) {
        bicycle = *filtered;
    } else if (!RideImportDlg::Ask(this, Bicycles(), static_cast<int>(paths.size()), &bicycle)) {
        return;
    }
    QPointer<RideDlg> alive(this);
    m_importing = true;
    const ImportSummary summary = RunImport(paths, bicycle);
    if (!alive) {
        return;
    }
    m_importing = false;
    if (summary.storeUnreadable) {
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "GFDB"));
        return;
    }
    ShowImportedDays(summary);
    ReloadRecords();
    // An import that brought rides in is no error, even when some files failed.
    const QString text = ImportSummaryText(summary);
    if (summary.failures.isEmpty()) {
        ShowInformation(this, text);
    } else if (summary.imported > 0) {
        ShowWarning(this, text);
    } else {
        ShowError(this, text);
    }
}

ImportSummary RideDlg::RunImport(const QStringList& paths, int32_t bicycle) {
    // An import shows how far it has come and can be stopped, a single large
    // file as well as a batch; the rides stored until then stay.
    GuardedModal progress(new QProgressDialog(this));
    progress->setObjectName(QStringLiteral("importProgress"));
    progress->setWindowTitle(GetLanguageString("RideImport", "TITL"));
    progress->setCancelButtonText(GetLanguageString("Strings", "CANC"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(0);
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    progress->setMinimumWidth(420);
    // The label names the file being read: plain text, whatever its name looks like.
    auto* label = new QLabel(&*progress);
    label->setTextFormat(Qt::PlainText);
    progress->setLabel(label);
    progress->setRange(0, static_cast<int>(paths.size()));
    progress->show();
    int shown = -1;
    const ImportSummary summary =
        ImportRideFiles(paths, bicycle, [&](int done, int count, const QString& path) {
            if (!progress.Alive() || progress->wasCanceled()) {
                return false;
            }
            if (done == shown) {
                // Still the same file: only the Cancel button and the window's repaint need a turn.
                QCoreApplication::processEvents();
                return progress.Alive() && !progress->wasCanceled();
            }
            shown = done;
            progress->setLabelText(SafeFormat(GetLanguageString("RideImport", "PROG"),
                                              {QFileInfo(path).fileName(), done + 1, count}));
            progress->setValue(done);
            if (progress.Alive()) {
                ShowModalProgress(*progress);
            }
            return progress.Alive() && !progress->wasCanceled();
        });
    if (progress.Alive()) {
        progress->close();
    }
    return summary;
}

// Imported rides outside the listed days would seem not to have come in at
// all: the day range widens to take them in.
void RideDlg::ShowImportedDays(const ImportSummary& summary) {
    if (!summary.earliest || !summary.latest) {
        return;
    }
    const LocalDateTime first = ToLocalDateTime(*summary.earliest);
    const LocalDateTime last = ToLocalDateTime(*summary.latest);
    ShowDays(QDate(first.year, first.month, first.day), QDate(last.year, last.month, last.day));
}
