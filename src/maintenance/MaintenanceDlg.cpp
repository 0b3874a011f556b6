#include "maintenance/MaintenanceDlg.h"

#include "language/Language.h"
#include "maintenance/MaintenanceRecordDlg.h"
#include "maintenance/MaintenanceReport.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/GuardedModal.h"
#include "reports/ReportFiles.h"
#include "units/DayRange.h"
#include "units/RecordFolders.h"
#include "units/TextBlock.h"
#include "units/Units.h"
#include "widgets/DayPickers.h"
#include "widgets/ImageButton.h"
#include "widgets/ImportExportDlg.h"
#include "widgets/LinkLabel.h"
#include "widgets/ModalRun.h"
#include "widgets/RecordTableView.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

namespace {

// The table fills the page below the controls.
constexpr int kTableTop = 60;
constexpr int kMargin = 4;

LinkLabel* FieldLabel(QWidget* parent) {
    auto* label = new LinkLabel(parent);
    label->setMinimumHeight(label->fontMetrics().height() + 2);
    return label;
}

}  // namespace

MaintenanceDlg::MaintenanceDlg(LinkLabel& statusLine, QWidget* parent)
    : TabPage(statusLine, parent),
      m_model(new RecordTableModel<MaintenanceRecord>(MaintenanceTableColumns(&m_words), this)),
      m_new(new ImageButton(this)),
      m_modify(new ImageButton(this)),
      m_delete(new ImageButton(this)),
      m_export(new ImageButton(this)),
      m_filterLabel(FieldLabel(this)),
      m_filter(new QComboBox(this)),
      m_startLabel(FieldLabel(this)),
      m_start(NewDayPicker(this, "startDate")),
      m_endLabel(FieldLabel(this)),
      m_end(NewDayPicker(this, "endDate")),
      m_table(new RecordTableView(this)) {
    setObjectName(QStringLiteral("MaintenanceDlg"));
    m_new->setObjectName(QStringLiteral("new"));
    m_modify->setObjectName(QStringLiteral("modify"));
    m_delete->setObjectName(QStringLiteral("delete"));
    m_export->setObjectName(QStringLiteral("export"));
    m_filter->setObjectName(QStringLiteral("bicycleFilter"));
    m_filter->setMinimumWidth(150);
    m_filter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_table->setObjectName(QStringLiteral("maintenanceTable"));
    m_table->SetRecordModel(m_model);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(kMargin);
    for (ImageButton* button : {m_new, m_modify, m_delete, m_export}) {
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

    m_today = LocalToday();
    m_start->setDate(QDate(m_today.year(), 1, 1));
    m_end->setDate(m_today);

    connect(m_new, &QPushButton::clicked, this, &MaintenanceDlg::OnNew);
    connect(m_modify, &QPushButton::clicked, this, &MaintenanceDlg::OnModify);
    connect(m_delete, &QPushButton::clicked, this, &MaintenanceDlg::OnDelete);
    connect(m_export, &QPushButton::clicked, this, &MaintenanceDlg::OnExport);
    connect(m_filter, &QComboBox::currentIndexChanged, this, &MaintenanceDlg::OnFilterChanged);
    connect(m_start, &QDateEdit::dateChanged, this, &MaintenanceDlg::ReloadEntries);
    connect(m_end, &QDateEdit::dateChanged, this, [this] {
        m_endIsToday = m_end->date() == LocalToday();
        ReloadEntries();
    });
    connect(m_table, &RecordTableView::RowActivated, this, &MaintenanceDlg::OnModify);
    connect(m_table, &RecordTableView::HeadingClicked, this, &MaintenanceDlg::SortByColumn);

    RefreshCaptions();
}

MaintenanceDlg::~MaintenanceDlg() = default;

void MaintenanceDlg::RefreshCaptions() {
    m_new->setText(GetLanguageStringWithAccelerator("Strings", "NEWS", QStringLiteral("N")));
    m_modify->setText(GetLanguageStringWithAccelerator("Strings", "MODF", QStringLiteral("M")));
    m_delete->setText(GetLanguageStringWithAccelerator("Strings", "DELE", QStringLiteral("D")));
    m_export->setText(GetLanguageStringWithAccelerator("Strings", "EXPT", QStringLiteral("E")));
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

void MaintenanceDlg::resizeEvent(QResizeEvent* event) {
    TabPage::resizeEvent(event);
    m_table->setGeometry(rect().adjusted(kMargin, kTableTop, -kMargin, -kMargin));
}

void MaintenanceDlg::showEvent(QShowEvent* event) {
    TabPage::showEvent(event);
    if (!event->spontaneous()) {
        Reload();
    }
}

void MaintenanceDlg::Reload() {
    FillBicycleFilter();
    ReloadEntries();
}

void MaintenanceDlg::FillBicycleFilter() {
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
    // A bicycle deleted meanwhile gives its place back to "all bicycles".
    m_filter->setCurrentIndex(m_filterPosition < m_filter->count() ? m_filterPosition : 0);
}

void MaintenanceDlg::ReloadEntries() {
    // A page left open past midnight moves its end to the new day.
    const QDate today = LocalToday();
    if (m_endIsToday && today != m_today) {
        const QSignalBlocker quiet(m_end);
        m_end->setDate(today);
    }
    m_today = today;

    // Rows come back newest first, so no column shows an arrow.
    m_model->SetRecords({});
    m_table->ArrowHeader()->ClearArrow();
    m_words = RecordCellWords::Current(m_bicycles);
    const int position = m_filter->currentIndex();
    std::optional<int> bicycle;
    if (position > 0 && m_filter->itemData(position).isValid()) {
        bicycle = m_filter->itemData(position).toInt();
    }
    const std::string condition = DayRangeCondition(PickedDays(m_start->date(), m_end->date()), bicycle);

    MaintenanceRecordList entries;
    if (DB_GetMaintenanceRecords(condition.c_str(), &entries) != store::kOk) {
        DB_ReleaseMaintenanceRecordList(&entries);
        ShowError(this, GetLanguageString("ErrorStrings", "GFDB"));
        return;
    }
    const MaintenanceTotals totals = SumMaintenance(entries);
    m_model->SetRecords(std::move(entries));
    m_table->FitColumnWidths();
    m_statusText = MaintenanceStatusText(totals);
    StatusLine().SetText(m_statusText);
}

void MaintenanceDlg::OnFilterChanged(int position) {
    m_filterPosition = position;
    ReloadEntries();
}

int MaintenanceDlg::PreselectedBicycle() const {
    // "All bicycles" preselects nothing, the n-th bicycle itself.
    const int position = m_filter->currentIndex();
    return position >= 0 ? position - 1 : -1;
}

void MaintenanceDlg::SelectEntry(int32_t number) {
    const auto& entries = m_model->Records();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].MaintenanceRecordNumber == number) {
            m_table->SelectRow(m_model->RowOfRecord(static_cast<int>(i)));
            return;
        }
    }
}

void MaintenanceDlg::OnNew() {
    if (m_bicycles.empty()) {
        ShowError(this, GetLanguageString("ErrorStrings", "NTCB"));
        return;
    }
    int number = 0;
    if (DB_GetMaxMaintenanceRecordNumber(&number) != store::kOk) {
        // Without the number the memo would have no folder of its own.
        ShowError(this, GetLanguageString("ErrorStrings", "GFDB"));
        return;
    }
    MaintenanceEditorSetup setup;
    setup.newEntry = true;
    setup.bicycles = m_bicycles;
    setup.preselectedBicycle = PreselectedBicycle();
    setup.newEntryNumber = number;
    GuardedModal editor(new MaintenanceRecordDlg(std::move(setup), this));
    if (RunModal(&*editor, kEditorCancelled) != kEditorSaved || !editor.Alive()) {
        return;
    }
    const MaintenanceRecord entry = editor->Entry();
    if (DB_InsertMaintenanceRecord(&entry) != store::kOk) {
        // The memo saved for the entry that was not stored belongs to nothing.
        DeleteFolder(RecordMemoFolder(RecordKind::Maintenance, number));
        ShowError(this, GetLanguageString("ErrorStrings", "STDB"));
        return;
    }
    ReloadEntries();
    SelectEntry(number);
}

void MaintenanceDlg::OnModify() {
    int row = m_table->FirstSelectedRow();
    if (row < 0) {
        return;
    }
    for (;;) {
        const int rowCount = m_model->rowCount();
        MaintenanceEditorSetup setup;
        setup.newEntry = false;
        setup.bicycles = m_bicycles;
        setup.preselectedBicycle = PreselectedBicycle();
        DB_CopyMaintenanceRecord(&setup.entry, &m_model->RecordAt(row));
        setup.hasPrevious = row > 0;
        setup.hasNext = row + 1 < rowCount;
        GuardedModal editor(new MaintenanceRecordDlg(std::move(setup), this));
        m_table->SelectRow(row);
        const int result = RunModal(&*editor, kEditorCancelled);
        if (!editor.Alive()) {
            return;
        }
        switch (result) {
            case kEditorSaved: {
                MaintenanceRecord entry = editor->Entry();
                const int32_t number = m_model->RecordAt(row).MaintenanceRecordNumber;
                if (DB_UpdateMaintenanceRecord(number, &entry) != store::kOk) {
                    ShowError(this, GetLanguageString("ErrorStrings", "STDB"));
                    return;
                }
                ReloadEntries();
                SelectEntry(number);
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

void MaintenanceDlg::OnDelete() {
    const int row = m_table->FirstSelectedRow();
    if (row < 0) {
        return;
    }
    if (!AskYesNo(this, GetLanguageString("Strings", "DLRC"))) {
        return;
    }
    const int32_t number = m_model->RecordAt(row).MaintenanceRecordNumber;
    if (DB_DeleteMaintenanceRecord(number) != store::kOk) {
        // The entry is still there, and so must its memo be.
        ShowError(this, GetLanguageString("ErrorStrings", "DFDB"));
        return;
    }
    DeleteFolder(RecordMemoFolder(RecordKind::Maintenance, number));
    ReloadEntries();
    m_table->SelectRow(std::min(row, m_model->rowCount() - 1));
}

void MaintenanceDlg::OnExport() {
    QString fileName;
    int format = kTextReport;
    if (ImportExportDlg::Ask(this, true, true, &fileName, &format)) {
        ExportEntries(fileName, format);
    }
}

void MaintenanceDlg::ExportEntries(const QString& fileName, int format) {
    MaintenanceReportInput input;
    input.entries.reserve(static_cast<size_t>(m_model->rowCount()));
    for (int row = 0; row < m_model->rowCount(); ++row) {
        input.entries.push_back(&m_model->RecordAt(row));
    }
    input.bicycles = &m_bicycles;
    input.statusText = m_statusText;
    ReportResult result = ReportResult::FileFailed;
    switch (format) {
        case kCsvReport:
            result = WriteReport(fileName, MaintenanceCsvReport(input));
            break;
        case kHtmlReport:
            if (m_bicycles.empty()) {
                ShowError(this, GetLanguageString("ErrorStrings", "NTCB"));
                return;
            }
            result = WriteHtmlReport(fileName, MaintenanceHtmlReport(input, GetFileNamePart(fileName)),
                                     MaintenanceMemoCopies(input));
            break;
        default:
            result = WriteReport(fileName, MaintenanceTextReport(input));
            break;
    }
    ShowReportResult(this, result);
}

void MaintenanceDlg::SortByColumn(int column) {
    if (!IsMaintenanceColumnSortable(column)) {
        return;
    }
    m_ascending = !m_ascending;
    m_model->SortRows(column, m_ascending);
    m_table->ArrowHeader()->ShowArrow(column, m_ascending);
    if (m_table->currentIndex().isValid()) {
        m_table->scrollTo(m_table->currentIndex());
    }
}
