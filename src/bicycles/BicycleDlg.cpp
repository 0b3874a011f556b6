#include "bicycles/BicycleDlg.h"

#include "bicycles/BicycleAttrDlg.h"
#include "bicycles/BicycleCard.h"
#include "bicycles/BicycleDeletion.h"
#include "bicycles/BicycleListModel.h"
#include "bicycles/BicycleReports.h"
#include "bicycles/BicycleSummary.h"
#include "bicycles/ServiceReport.h"
#include "language/Language.h"
#include "platform/Dialogs.h"
#include "platform/Failure.h"
#include "platform/ModalRun.h"
#include "units/TextBlock.h"
#include "widgets/EmptyListHint.h"
#include "widgets/ImageButton.h"
#include "widgets/ImportExportDlg.h"
#include "widgets/LinkLabel.h"

#include <QKeyEvent>
#include <QListView>
#include <QShowEvent>
#include <QTimer>

namespace {
// The list fills the page below the row of buttons.
constexpr int kListTop = 40;
constexpr int kMargin = 4;
constexpr QSize kButtonSize{104, 34};
}  // namespace

BicycleDlg::BicycleDlg(LinkLabel& statusLine, QWidget* parent)
    : TabPage(statusLine, parent),
      m_model(new BicycleListModel(this)),
      m_new(new ImageButton(this)),
      m_modify(new ImageButton(this)),
      m_delete(new ImageButton(this)),
      m_export(new ImageButton(this)),
      m_service(new ImageButton(this)),
      m_list(new QListView(this)),
      m_hint(new EmptyListHint(m_list)),
      m_hintNew(m_hint->AddAction("hintNew")) {
    setObjectName(QStringLiteral("BicycleDlg"));
    m_new->setObjectName(QStringLiteral("new"));
    m_modify->setObjectName(QStringLiteral("modify"));
    m_delete->setObjectName(QStringLiteral("delete"));
    m_export->setObjectName(QStringLiteral("export"));
    m_service->setObjectName(QStringLiteral("partsService"));
    int x = kMargin;
    for (ImageButton* button : {m_new, m_modify, m_delete, m_export, m_service}) {
        button->setGeometry(QRect(QPoint(x, (kListTop - kButtonSize.height()) / 2), kButtonSize));
        x += kButtonSize.width() + kMargin;
    }

    m_list->setObjectName(QStringLiteral("bicycleList"));
    m_list->setModel(m_model);
    m_list->setItemDelegate(new BicycleCardDelegate(m_list));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setUniformItemSizes(true);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette white = m_list->palette();
    white.setColor(QPalette::Base, Qt::white);
    m_list->setPalette(white);

    connect(m_new, &QPushButton::clicked, this, &BicycleDlg::OnNew);
    connect(m_modify, &QPushButton::clicked, this, &BicycleDlg::OnModify);
    connect(m_delete, &QPushButton::clicked, this, &BicycleDlg::OnDelete);
    connect(m_export, &QPushButton::clicked, this, &BicycleDlg::OnExport);
    connect(m_service, &QPushButton::clicked, this, &BicycleDlg::OpenPartsService);
    connect(m_hintNew, &QPushButton::clicked, this, &BicycleDlg::OnNew);
    connect(m_list, &QListView::doubleClicked, this, &BicycleDlg::OnModify);
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);

    RefreshCaptions();
}

BicycleDlg::~BicycleDlg() = default;

bool BicycleDlg::eventFilter(QObject* watched, QEvent* event) {
    // Enter on the card list opens the selected bicycle, as a double-click does.
    if (watched == m_list && event->type() == QEvent::KeyPress && IsOpenKey(static_cast<QKeyEvent*>(event))) {
        OnModify();
        return true;
    }
    // What is due is read from all the rides: it follows once the cards are
    // painted, so that they come as quickly as ever.
    if (watched == m_list->viewport() && event->type() == QEvent::Paint && m_serviceLinesDue) {
        m_serviceLinesDue = false;
        QTimer::singleShot(0, this, &BicycleDlg::UpdateServiceLines);
    }
    return TabPage::eventFilter(watched, event);
}

void BicycleDlg::RefreshCaptions() {
    m_new->setText(GetLanguageStringWithAccelerator("Strings", "NEWS", QStringLiteral("N")));
    m_modify->setText(GetLanguageStringWithAccelerator("Strings", "MODF", QStringLiteral("M")));
    m_delete->setText(GetLanguageStringWithAccelerator("Strings", "DELE", QStringLiteral("D")));
    m_export->setText(GetLanguageStringWithAccelerator("Strings", "EXPT", QStringLiteral("E")));
    m_service->setText(GetLanguageString("PartsService", "TITL"));
    // As wide as its caption needs in the language shown.
    m_service->resize(
        std::max(kButtonSize.width(), m_service->fontMetrics().horizontalAdvance(m_service->text()) + 28),
        kButtonSize.height());
    // The cards' labels follow at once; the status line at the next reload.
    m_list->viewport()->update();
    UpdateHint();
}

void BicycleDlg::UpdateHint() {
    if (!m_read || m_model->rowCount() > 0) {
        m_hint->HideHint();
        return;
    }
    m_hintNew->setText(GetLanguageString("EmptyHints", "BICA"));
    m_hint->ShowHint(GetLanguageString("EmptyHints", "BICY"), {m_hintNew});
}

void BicycleDlg::resizeEvent(QResizeEvent* event) {
    TabPage::resizeEvent(event);
    m_list->setGeometry(rect().adjusted(kMargin, kListTop, -kMargin, -kMargin));
}

void BicycleDlg::showEvent(QShowEvent* event) {
    TabPage::showEvent(event);
    if (!event->spontaneous()) {
        Reload();
    }
}

void BicycleDlg::Reload() {
    const int selectedRow = SelectedRow();
    const int selectedNumber = selectedRow >= 0 ? m_model->Record(selectedRow)->BicycleNumber : 0;
    // The cards refer to the records of the last fetch, which go now: until
    // the new fetch succeeds the list shows nothing rather than what is gone.
    m_model->Clear();
    BicycleList bicycles;
    m_read = DB_GetBicycles(&bicycles) == store::kOk;
    if (!m_read) {
        UpdateHint();
        DB_ReleaseBicycleList(&bicycles);
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "GFDB"));
        return;
    }
    m_list->setUpdatesEnabled(false);
    m_model->SetBicycles(std::move(bicycles));
    m_list->setUpdatesEnabled(true);
    UpdateHint();
    m_serviceLinesDue = true;
    m_list->viewport()->update();
    m_statusText = BicycleStatusText(SumBicycles(m_model->Bicycles()));
    StatusLine().SetText(m_statusText);
    if (selectedRow >= 0) {
        SelectRow(m_model->RowOf(selectedNumber));
    }
}

int BicycleDlg::SelectedRow() const {
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.front().row();
}

void BicycleDlg::SelectRow(int row) {
    if (row < 0 || row >= m_model->rowCount()) {
        return;
    }
    const QModelIndex index = m_model->index(row);
    m_list->setCurrentIndex(index);
    m_list->scrollTo(index);
}

void BicycleDlg::OnNew() {
    GuardedModal editor(new BicycleAttrDlg(BicycleAttrDlg::kNew, BicycleAttribute(), this));
    editor->SetRecordStore(
        [](const BicycleAttribute& record) { return DB_InsertBicycle(&record) == store::kOk; });
    if (RunModal(&*editor, QDialog::Rejected) != QDialog::Accepted || !editor.Alive()) {
        return;
    }
    Reload();
    // The new bicycle has the largest number, so it is the last card.
    SelectRow(m_model->rowCount() - 1);
}

void BicycleDlg::OnModify() {
    const int row = SelectedRow();
    if (row < 0) {
        return;
    }
    const BicycleAttribute* selected = m_model->Record(row);
    const int32_t number = selected->BicycleNumber;
    GuardedModal editor(new BicycleAttrDlg(BicycleAttrDlg::kModify, *selected, this));
    editor->SetRecordStore([number](const BicycleAttribute& record) {
        BicycleAttribute stored;
        DB_CopyBicycle(&stored, &record);
        return DB_UpdateBicycle(number, &stored) == store::kOk;
    });
    if (RunModal(&*editor, QDialog::Rejected) != QDialog::Accepted || !editor.Alive()) {
        return;
    }
    Reload();
}

void BicycleDlg::OnDelete() {
    const int row = SelectedRow();
    if (row < 0) {
        return;
    }
    const int32_t number = m_model->Record(row)->BicycleNumber;
    if (!AskYesNo(this, GetLanguageString("BicycleDlg", "DELC"))) {
        return;
    }
    if (DeleteBicycleWithMemoFolders(number) != store::kOk) {
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "DFDB"));
    }
    Reload();
    SelectRow(std::min(row, m_model->rowCount() - 1));
}

void BicycleDlg::UpdateServiceLines() {
    // A log whose service tables cannot be read shows its cards without the line.
    ServiceData service;
    QHash<int, QString> serviceLines;
    if (LoadServiceData(&service) == store::kOk) {
        const int64_t today = Today();
        for (const BicycleAttribute& bicycle : m_model->Bicycles()) {
            serviceLines.insert(bicycle.BicycleNumber,
                                ServiceLine(CountTasks(service, bicycle.BicycleNumber, today)));
        }
    }
    m_model->SetServiceLines(std::move(serviceLines));
    Q_EMIT ServiceCounted(CountTasks(service, 0, Today()));
}

void BicycleDlg::OpenPartsService() {
    const int row = SelectedRow() >= 0 ? SelectedRow() : (m_model->rowCount() > 0 ? 0 : -1);
    if (row < 0) {
        return;
    }
    const BicycleAttribute* selected = m_model->Record(row);
    BicycleList bicycles;
    if (DB_GetBicycleList(&bicycles) != store::kOk) {
        ShowStoreFailure(this, GetLanguageString("ErrorStrings", "GFDB"));
        return;
    }
    GuardedModal window(new PartsServiceDlg(selected->BicycleNumber, FromTextBlock(selected->BicycleName),
                                            std::move(bicycles), m_editEntry, this));
    window.Run(QDialog::Rejected);
    Reload();
}

void BicycleDlg::OnExport() {
    QString fileName;
    int format = kTextReport;
    int report = 0;
    if (!ImportExportDlg::AskReport(
            this, GetLanguageStringWithColon("PartsService", "RPLB"),
            {GetLanguageString("PartsService", "RPBI"), GetLanguageString("PartsService", "TITL")}, &fileName,
            &format, &report)) {
        return;
    }
    if (report == 1) {
        // Every bicycle's parts and tasks, as the parts and service window writes them.
        WriteServiceReport(this, fileName, format);
        return;
    }
    // The reports list what the page shows: the bicycles of its last reload.
    ExportBicycles(this, m_model->Bicycles(), m_statusText, fileName, format);
}
