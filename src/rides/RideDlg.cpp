#include "rides/RideDlg.h"

#include "language/Language.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/GuardedModal.h"
#include "reports/ReportFiles.h"
#include "rides/GpsTrack.h"
#include "rides/RideImport.h"
#include "rides/RideImportDlg.h"
#include "rides/RideRecordDlg.h"
#include "rides/RideReport.h"
#include "units/Clock.h"
#include "units/DayRange.h"
#include "units/RecordFolders.h"
#include "units/SafeFormat.h"
#include "units/TextBlock.h"
#include "units/Units.h"
#include "widgets/ImageButton.h"
#include "widgets/ImportExportDlg.h"
#include "widgets/LinkLabel.h"
#include "widgets/ModalRun.h"
#include "widgets/RecordTableView.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMimeData>
#include <QPointer>
#include <QProgressDialog>
#include <QShowEvent>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

namespace {

// The table fills the page below the controls.
constexpr int kTableTop = 60;
constexpr int kMargin = 4;

QDate TodayDate() {
    const LocalDateTime now = ToLocalDateTime(CurrentTime());
    return QDate(now.year, now.month, now.day);
}

// Noon of a picker's day: a moment that certainly lies on that local day.
int64_t DayTime(const QDate& date) {
    return FromLocalDateTime(date.year(), date.month(), date.day(), 12);
}

QDateEdit* DatePicker(QWidget* parent, const char* name) {
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(QString::fromLatin1(name));
    picker->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    picker->setCalendarPopup(true);
    picker->setDateRange(QDate(1980, 1, 1), QDate(2038, 1, 17));
    picker->setMinimumWidth(110);
    return picker;
}

ImportProgressWatcher& ProgressWatcher() {
    static ImportProgressWatcher watcher;
    return watcher;
}

// The local files of a drag that the import can read: .gpx, .tcx and .fit.
QStringList DroppedGpsFiles(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        const QString path = url.toLocalFile();
        if (!path.isEmpty() && GpsFileTypeOf(path) != GpsFileType::Unknown) {
            paths << path;
        }
    }
    return paths;
}

LinkLabel* FieldLabel(QWidget* parent) {
    auto* label = new LinkLabel(parent);
    label->setMinimumHeight(label->fontMetrics().height() + 2);
    return label;
}

}  // namespace

void SetImportProgressWatcherForTesting(ImportProgressWatcher watcher) {
    ProgressWatcher() = std::move(watcher);
}

RideDlg::RideDlg(LinkLabel& statusLine, QWidget* parent)
    : TabPage(statusLine, parent),
      m_model(new RecordTableModel<RideRecord>(RideTableColumns(&m_words), this)),
      m_new(new ImageButton(this)),
      m_modify(new ImageButton(this)),
      m_delete(new ImageButton(this)),
      m_export(new ImageButton(this)),
      m_import(new ImageButton(this)),
      m_filterLabel(FieldLabel(this)),
      m_filter(new QComboBox(this)),
      m_startLabel(FieldLabel(this)),
      m_start(DatePicker(this, "startDate")),
      m_endLabel(FieldLabel(this)),
      m_end(DatePicker(this, "endDate")),
      m_table(new RecordTableView(this)) {
    setObjectName(QStringLiteral("RideDlg"));
    m_new->setObjectName(QStringLiteral("new"));
    m_modify->setObjectName(QStringLiteral("modify"));
    m_delete->setObjectName(QStringLiteral("delete"));
    m_export->setObjectName(QStringLiteral("export"));
    m_import->setObjectName(QStringLiteral("import"));
    setAcceptDrops(true);
    m_filter->setObjectName(QStringLiteral("bicycleFilter"));
    m_filter->setMinimumWidth(150);
    m_filter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_table->setObjectName(QStringLiteral("rideTable"));
    m_table->SetRecordModel(m_model);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(kMargin);
    for (ImageButton* button : {m_new, m_modify, m_delete, m_export, m_import}) {
        button->setMinimumSize(84, 34);
        button->setMaximumSize(104, 34);
        button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        buttons->addWidget(button);
    }
    auto labelled = [](LinkLabel* label, QWidget* control) {
        auto* column = new QVBoxLayout;
        column->setSpacing(2);
        column->addWidget(label);
        column->addWidget(control);
        return column;
    };
    auto* top = new QHBoxLayout;
    top->setContentsMargins(kMargin, 4, kMargin, 0);
    top->setSpacing(12);
    top->addLayout(buttons);
    top->addLayout(labelled(m_filterLabel, m_filter), 2);
    top->addLayout(labelled(m_startLabel, m_start), 1);
    top->addLayout(labelled(m_endLabel, m_end), 1);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->addLayout(top);
    page->addStretch(1);

    const QDate today = TodayDate();
    m_today = today;
    m_start->setDate(QDate(today.year(), 1, 1));
    m_end->setDate(today);

    connect(m_new, &QPushButton::clicked, this, &RideDlg::OnNew);
    connect(m_modify, &QPushButton::clicked, this, &RideDlg::OnModify);
    connect(m_delete, &QPushButton::clicked, this, &RideDlg::OnDelete);
    connect(m_export, &QPushButton::clicked, this, &RideDlg::OnExport);
    connect(m_import, &QPushButton::clicked, this, &RideDlg::OnImport);
    connect(m_filter, &QComboBox::currentIndexChanged, this, &RideDlg::OnFilterChanged);
    connect(m_start, &QDateEdit::dateChanged, this, &RideDlg::OnDateChanged);
    connect(m_end, &QDateEdit::dateChanged, this, [this] {
        m_endIsToday = m_end->date() == TodayDate();
        OnDateChanged();
    });
    connect(m_table, &RecordTableView::RowActivated, this, &RideDlg::OnModify);
    connect(m_table, &RecordTableView::HeadingClicked, this, &RideDlg::OnHeadingClicked);

    RefreshCaptions();
}

RideDlg::~RideDlg() = default;

void RideDlg::RefreshCaptions() {
    m_new->setText(GetLanguageStringWithAccelerator("Strings", "NEWS", QStringLiteral("N")));
    m_modify->setText(GetLanguageStringWithAccelerator("Strings", "MODF", QStringLiteral("M")));
    m_delete->setText(GetLanguageStringWithAccelerator("Strings", "DELE", QStringLiteral("D")));
    m_export->setText(GetLanguageStringWithAccelerator("Strings", "EXPT", QStringLiteral("E")));
    m_import->setText(GetLanguageStringWithAccelerator("RideImport", "IMPT", QStringLiteral("I")));
    m_filterLabel->SetText(GetLanguageString("Strings", "SELB"));
    m_startLabel->SetText(GetLanguageString("Strings", "STDT"));
    m_endLabel->SetText(GetLanguageString("Strings", "EDDT"));
    if (m_filter->count() > 0) {
        m_filter->setItemText(0, GetLanguageString("Strings", "ALBC"));
    }
    // The headings and widths come back; the rows follow at the next reload.
    m_model->RefreshHeadings(m_table->horizontalHeader());
    m_table->FitColumnWidths();
}

void RideDlg::resizeEvent(QResizeEvent* event) {
    TabPage::resizeEvent(event);
    m_table->setGeometry(rect().adjusted(kMargin, kTableTop, -kMargin, -kMargin));
}

void RideDlg::showEvent(QShowEvent* event) {
    TabPage::showEvent(event);
    if (!event->spontaneous()) {
        Reload();
    }
}

void RideDlg::Reload() {
    FillBicycleFilter();
    ReloadRides();
}

void RideDlg::FillBicycleFilter() {
    const QSignalBlocker quiet(m_filter);
    m_filter->clear();
    m_filter->addItem(GetLanguageString("Strings", "ALBC"));
    DB_ReleaseBicycleList(&m_bicycles);
    if (DB_GetBicycleList(&m_bicycles) != store::kOk) {
        DB_ReleaseBicycleList(&m_bicycles);
        ShowError(this, GetLanguageString("ErrorStrings", "GFDB"));
        m_filter->setCurrentIndex(0);
        return;
    }
    for (const BicycleAttribute& bicycle : m_bicycles) {
        m_filter->addItem(FromTextBlock(bicycle.BicycleName), bicycle.BicycleNumber);
    }
    m_filter->setCurrentIndex(m_filterPosition < m_filter->count() ? m_filterPosition : 0);
}

void RideDlg::ReloadRides() {
    // A page left open past midnight moves its end to the new day.
    const QDate today = TodayDate();
    if (m_endIsToday && today != m_today) {
        const QSignalBlocker quiet(m_end);
        m_end->setDate(today);
    }
    m_today = today;

    // Rows come back newest first, so no column shows an arrow.
    m_model->SetRecords({});
    m_table->ArrowHeader()->ClearArrow();
    m_words = RideCellWords::Current(m_bicycles);
    const int position = m_filter->currentIndex();
    std::optional<int> bicycle;
    if (position > 0 && m_filter->itemData(position).isValid()) {
        bicycle = m_filter->itemData(position).toInt();
    }
    const DayRange range = LocalDayRange(DayTime(m_start->date()), DayTime(m_end->date()));
    const std::string condition = DayRangeCondition(range, bicycle);

    RideRecordList rides;
    if (DB_GetRideRecords(condition.c_str(), &rides) != store::kOk) {
        DB_ReleaseRideRecordList(&rides);
        ShowError(this, GetLanguageString("ErrorStrings", "GFDB"));
        return;
    }
    m_totals = SumRides(rides);
    m_model->SetRecords(std::move(rides));
    m_table->FitColumnWidths();
    m_statusText = RideStatusText(m_totals);
    StatusLine().SetText(m_statusText);
}

void RideDlg::OnFilterChanged(int position) {
    m_filterPosition = position;
    ReloadRides();
}

void RideDlg::OnDateChanged() {
    ReloadRides();
}

int RideDlg::PreselectedBicycle() const {
    // "All bicycles" preselects nothing, the n-th bicycle itself.
    const int position = m_filter->currentIndex();
    return position >= 0 ? position - 1 : -1;
}

void RideDlg::SelectRide(int32_t number) {
    const auto& rides = m_model->Records();
    for (size_t i = 0; i < rides.size(); ++i) {
        if (rides[i].RideRecordNumber == number) {
            m_table->SelectRow(m_model->RowOfRecord(static_cast<int>(i)));
            return;
        }
    }
}

void RideDlg::OnNew() {
    if (m_bicycles.empty()) {
        ShowError(this, GetLanguageString("ErrorStrings", "NTCB"));
        return;
    }
    int number = 0;
    if (DB_GetMaxRideRecordNumber(&number) != store::kOk) {
        // Without the number the memo would have no folder of its own.
        ShowError(this, GetLanguageString("ErrorStrings", "GFDB"));
        return;
    }
    RideEditorSetup setup;
    setup.newRide = true;
    setup.bicycles = m_bicycles;
    setup.preselectedBicycle = PreselectedBicycle();
    setup.newRideNumber = number;
    GuardedModal editor(new RideRecordDlg(std::move(setup), this));
    if (RunModal(&*editor, kEditorCancelled) != kEditorSaved || !editor.Alive()) {
        return;
    }
    const RideRecord ride = editor->Ride();
    if (DB_InsertRideRecord(&ride) != store::kOk) {
        // The memo saved for the ride that was not stored belongs to nothing.
        DeleteFolder(RecordMemoFolder(RecordKind::Ride, number));
        ShowError(this, GetLanguageString("ErrorStrings", "STDB"));
        return;
    }
    ReloadRides();
    SelectRide(number);
}

void RideDlg::OnModify() {
    int row = m_table->FirstSelectedRow();
    if (row < 0) {
        return;
    }
    for (;;) {
        const int rowCount = m_model->rowCount();
        RideEditorSetup setup;
        setup.newRide = false;
        setup.bicycles = m_bicycles;
        setup.preselectedBicycle = PreselectedBicycle();
        DB_CopyRideRecord(&setup.ride, &m_model->RecordAt(row));
        setup.hasPrevious = row > 0;
        setup.hasNext = row + 1 < rowCount;
        GuardedModal editor(new RideRecordDlg(std::move(setup), this));
        m_table->SelectRow(row);
        const int result = RunModal(&*editor, kEditorCancelled);
        if (!editor.Alive()) {
            return;
        }
        switch (result) {
            case kEditorSaved: {
                RideRecord ride = editor->Ride();
                const int32_t number = m_model->RecordAt(row).RideRecordNumber;
                if (DB_UpdateRideRecord(number, &ride) != store::kOk) {
                    ShowError(this, GetLanguageString("ErrorStrings", "STDB"));
                    return;
                }
                ReloadRides();
                SelectRide(number);
                return;
            }
            case kEditorPrevious:
                if (row > 0) {
                    --row;
                }
                break;
            case kEditorNext:
                if (row < rowCount - 1) {
                    ++row;
                }
                break;
            default:
                return;
        }
    }
}

void RideDlg::OnDelete() {
    const int row = m_table->FirstSelectedRow();
    if (row < 0) {
        return;
    }
    if (!AskYesNo(this, GetLanguageString("Strings", "DLRC"))) {
        return;
    }
    const int32_t number = m_model->RecordAt(row).RideRecordNumber;
    if (DB_DeleteRideRecord(number) != store::kOk) {
        // The ride is still there, and so must its memo be.
        ShowError(this, GetLanguageString("ErrorStrings", "DFDB"));
        return;
    }
    DeleteFolder(RecordMemoFolder(RecordKind::Ride, number));
    ReloadRides();
    m_table->SelectRow(std::min(row, m_model->rowCount() - 1));
}

void RideDlg::OnExport() {
    QString fileName;
    int format = kTextReport;
    if (ImportExportDlg::Ask(this, true, true, &fileName, &format)) {
        ExportRides(fileName, format);
    }
}

void RideDlg::ExportRides(const QString& fileName, int format) {
    RideReportInput input;
    input.rides.reserve(static_cast<size_t>(m_model->rowCount()));
    for (int row = 0; row < m_model->rowCount(); ++row) {
        input.rides.push_back(&m_model->RecordAt(row));
    }
    input.bicycles = &m_bicycles;
    input.statusText = m_statusText;
    ReportResult result = ReportResult::FileFailed;
    switch (format) {
        case kCsvReport:
            result = WriteReport(fileName, RideCsvReport(input));
            break;
        case kHtmlReport:
            if (m_bicycles.empty()) {
                ShowError(this, GetLanguageString("ErrorStrings", "NTCB"));
                return;
            }
            result = WriteHtmlReport(fileName, RideHtmlReport(input, GetFileNamePart(fileName)),
                                     RideMemoCopies(input));
            break;
        default:
            result = WriteReport(fileName, RideTextReport(input));
            break;
    }
    ShowReportResult(this, result);
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
    if (m_bicycles.empty()) {
        ShowError(this, GetLanguageString("ErrorStrings", "NTCB"));
        return;
    }
    const QString filter = GetLanguageString("RideImport", "FLTR") +
                           QStringLiteral(" (*.gpx *.tcx *.fit);;") +
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
    if (m_bicycles.empty()) {
        ShowError(this, GetLanguageString("ErrorStrings", "NTCB"));
        return;
    }
    int32_t bicycle = 0;
    const int position = m_filter->currentIndex();
    if (position > 0 && m_filter->itemData(position).isValid()) {
        bicycle = m_filter->itemData(position).toInt();
    } else if (!RideImportDlg::Ask(this, m_bicycles, static_cast<int>(paths.size()), &bicycle)) {
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
        ShowError(this, GetLanguageString("ErrorStrings", "GFDB"));
        return;
    }
    ShowImportedDays(summary);
    ReloadRides();
    const QString text = ImportSummaryText(summary);
    if (summary.failures.isEmpty()) {
        ShowInformation(this, text);
    } else {
        ShowError(this, text);
    }
}

ImportSummary RideDlg::RunImport(const QStringList& paths, int32_t bicycle) {
    if (paths.size() < 2) {
        return ImportRideFiles(paths, bicycle);
    }
    // A batch shows how far it has come and can be stopped between two files;
    // the rides stored until then stay.
    GuardedModal progress(new QProgressDialog(this));
    progress->setObjectName(QStringLiteral("importProgress"));
    progress->setWindowTitle(GetLanguageString("RideImport", "TITL"));
    progress->setCancelButtonText(GetLanguageString("Strings", "CANC"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(0);
    progress->setAutoReset(false);
    progress->setAutoClose(false);
    progress->setMinimumWidth(420);
    progress->setRange(0, static_cast<int>(paths.size()));
    progress->show();
    const ImportSummary summary =
        ImportRideFiles(paths, bicycle, [&](int done, int count, const QString& path) {
            if (!progress.Alive() || progress->wasCanceled()) {
                return false;
            }
            progress->setLabelText(SafeFormat(GetLanguageString("RideImport", "PROG"),
                                              {QFileInfo(path).fileName(), done + 1, count}));
            progress->setValue(done);
            if (progress.Alive() && ProgressWatcher()) {
                ProgressWatcher()(*progress);
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
    const QDate firstDay(first.year, first.month, first.day);
    const QDate lastDay(last.year, last.month, last.day);
    const QSignalBlocker quietStart(m_start);
    const QSignalBlocker quietEnd(m_end);
    if (firstDay < m_start->date()) {
        m_start->setDate(firstDay);
    }
    if (lastDay > m_end->date()) {
        m_end->setDate(lastDay);
        m_endIsToday = m_end->date() == TodayDate();
    }
}

void RideDlg::OnHeadingClicked(int column) {
    if (!IsRideColumnSortable(column)) {
        return;
    }
    m_ascending = !m_ascending;
    m_model->SortRows(column, m_ascending);
    m_table->ArrowHeader()->ShowArrow(column, m_ascending);
    if (m_table->currentIndex().isValid()) {
        m_table->scrollTo(m_table->currentIndex());
    }
}
