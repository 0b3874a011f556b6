#include "rides/RideDlg.h"

#include "language/Language.h"
#include "platform/Dialogs.h"
#include "platform/Failure.h"
#include "platform/ModalRun.h"
#include "rides/ArchiveImport.h"
#include "rides/GpsTrack.h"
#include "rides/ImportPreviewDlg.h"
#include "rides/RideImport.h"
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
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QProgressDialog>
#include <QUrl>
#include <optional>

namespace {

// The local files of a drag that the import can read: GPS files, zip
// archives and folders (a device's activity folder, an unpacked export),
// and a spreadsheet log.
QStringList DroppedGpsFiles(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        const QString path = url.toLocalFile();
        if (!path.isEmpty() && (IsImportablePath(path) || IsSpreadsheetFile(path))) {
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
    const QString filter = GetLanguageString("RideImport", "FLTR") +
                           QStringLiteral(" (*.gpx *.tcx *.fit *.gz *.zip activities.csv);;") +
                           GetLanguageString("SpreadsheetCsv", "FILT") + QStringLiteral(" (*.csv);;") +
                           GetLanguageString("ImportExportDlg", "ALLM");
    const QStringList paths =
        AppDialogs().GetOpenFileNames(this, GetLanguageString("RideImport", "TITL"),
                                      m_importFolder.isEmpty() ? QDir::homePath() : m_importFolder, filter);
    if (paths.isEmpty()) {
        return;
    }
    m_importFolder = QFileInfo(paths.front()).absolutePath();
    ImportFiles(paths);
}

void RideDlg::ImportFiles(const QStringList& paths) {
    if (paths.isEmpty() || m_importing) {
        return;
    }
    // A spreadsheet log goes through its own column-mapping step.
    if (paths.size() == 1 && IsSpreadsheetFile(paths.front())) {
        ShowImportedDays(
            ImportSpreadsheetFile(this, paths.front(), Bicycles(), FilteredBicycleNumber().value_or(0)));
        ReloadRecords();
        return;
    }
    QPointer<RideDlg> alive(this);
    m_importing = true;
    const std::optional<ImportSummary> done = PreviewAndImport(paths);
    if (!alive) {
        return;
    }
    m_importing = false;
    if (!done) {
        return;  // the rider stopped before anything was stored
    }
    const ImportSummary& summary = *done;
    if (summary.storeUnreadable) {
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "GFDB"));
        return;
    }
    ShowImportedDays(summary);
    Reload();
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

std::optional<ImportSummary> RideDlg::PreviewAndImport(const QStringList& paths) {
    QPointer<RideDlg> alive(this);
    // Reading what is there: quick for a Strava export (its list only), a
    // while for files whose figures must be read.
    QString error;
    std::optional<ImportPlan> plan;
    {
        // Shown only when reading takes a while, as for thousands of files.
        std::optional<GuardedModal<QProgressDialog>> progress;
        QElapsedTimer reading;
        reading.start();
        plan = ReadImportPlan(paths, &error, [&](int done, int count) {
            if (!progress) {
                if (reading.elapsed() < 400) {
                    QCoreApplication::processEvents();
                    return true;
                }
                progress.emplace(new QProgressDialog(this));
                (*progress)->setObjectName(QStringLiteral("planProgress"));
                (*progress)->setWindowTitle(GetLanguageString("RideImport", "TITL"));
                (*progress)->setCancelButtonText(GetLanguageString("Strings", "CANC"));
                (*progress)->setWindowModality(Qt::WindowModal);
                (*progress)->setMinimumDuration(0);
                (*progress)->setAutoReset(false);
                (*progress)->setAutoClose(false);
                (*progress)->show();
            }
            GuardedModal<QProgressDialog>& shown = *progress;
            if (!shown.Alive() || shown->wasCanceled()) {
                return false;
            }
            shown->setRange(0, count);
            shown->setLabelText(SafeFormat(GetLanguageString("ArchiveImport", "PRDG"), {done, count}));
            shown->setValue(done);
            ShowModalProgress(*shown);
            return shown.Alive() && !shown->wasCanceled();
        });
        if (progress && progress->Alive()) {
            (*progress)->close();
        }
    }
    if (!alive || !plan) {
        if (alive && !error.isEmpty()) {
            ShowError(this, error);
        }
        return std::nullopt;
    }
    KnownRides known;
    if (!known.Load()) {
        ImportSummary unreadable;
        unreadable.storeUnreadable = true;
        return unreadable;
    }
    std::vector<std::pair<int32_t, QString>> newBicycles;
    const BicycleList bicycles = Bicycles();
    const std::optional<int> filtered = FilteredBicycleNumber();
    if (!ImportPreviewDlg::Ask(this, &*plan, bicycles,
                               filtered ? std::optional<int32_t>(*filtered) : std::nullopt, known,
                               &newBicycles) ||
        !alive) {
        return std::nullopt;
    }
    for (const auto& [placeholder, name] : newBicycles) {
        const std::optional<int32_t> number = AddNamedBicycle(name);
        if (!number) {
            ShowStoreFailure(this, GetLanguageString("ErrorStrings", "GFDB"));
            return std::nullopt;
        }
        for (ImportActivity& activity : plan->activities) {
            if (activity.bicycle == placeholder) {
                activity.bicycle = *number;
            }
        }
    }
    return RunImport([&](const ImportStep& step) { return ImportPlanned(*plan, step); });
}

ImportSummary RideDlg::RunImport(const std::function<ImportSummary(const ImportStep&)>& run) {
    // An import shows how far it has come and can be stopped, a single large
    // file as well as a batch; the rides stored until then stay.
    GuardedModal progress(NewImportProgress(this, GetLanguageString("RideImport", "TITL")));
    progress->show();
    int shown = -1;
    const ImportSummary summary = run([&](int done, int count, const QString& path) {
        if (!progress.Alive() || progress->wasCanceled()) {
            return false;
        }
        if (done == shown) {
            // Still the same file: only the Cancel button and the window's repaint need a turn.
            QCoreApplication::processEvents();
            return progress.Alive() && !progress->wasCanceled();
        }
        shown = done;
        progress->setRange(0, count);
        progress->setLabelText(SafeFormat(GetLanguageString("RideImport", "PROG"),
                                          {QFileInfo(path).fileName(), std::min(done + 1, count), count}));
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
