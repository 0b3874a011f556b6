#include "rides/SpreadsheetImportDlg.h"

#include "rides/ImportPreviewDlg.h"

#include "language/Language.h"
#include "platform/Dialogs.h"
#include "platform/Failure.h"
#include "platform/ModalRun.h"
#include "rides/ImportPreviewDlg.h"
#include "units/SafeFormat.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cerrno>

namespace {

// Rows the preview shows; the count below it covers the whole file.
constexpr int kPreviewRows = 100;
// Files larger than this are no ride log.
constexpr qint64 kLargestSheet = qint64{64} * 1024 * 1024;

// The fields the rider can place, in the order they are offered.
constexpr RideSheetField kOffered[] = {
    RideSheetField::Date,         RideSheetField::Bicycle,        RideSheetField::Distance,
    RideSheetField::RidingTime,   RideSheetField::MaxSpeed,       RideSheetField::Memo,
    RideSheetField::Ascent,       RideSheetField::Descent,        RideSheetField::AverageHeartRate,
    RideSheetField::MaxHeartRate, RideSheetField::AverageCadence, RideSheetField::AveragePower,
    RideSheetField::MaxPower,     RideSheetField::Calories,       RideSheetField::Temperature,
    RideSheetField::ElapsedTime,  RideSheetField::Effort,         RideSheetField::Feeling,
};

QTableWidgetItem* Item(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

}  // namespace

SpreadsheetImportDlg::SpreadsheetImportDlg(const QString& fileName, CsvTable table,
                                           const BicycleList& bicycles, int32_t suggestedBicycle,
                                           QWidget* parent)
    : QDialog(parent),
      m_table(std::move(table)),
      m_bicycles(bicycles),
      m_columns(kRideSheetFieldCount, nullptr),
      m_dateOrder(new QComboBox(this)),
      m_decimalMark(new QComboBox(this)),
      m_unit(new QComboBox(this)),
      m_defaultBicycle(new QComboBox(this)),
      m_nameTable(new QTableWidget(this)),
      m_preview(new QTableWidget(this)),
      m_count(new QLabel(this)) {
    setObjectName(QStringLiteral("SpreadsheetImportDlg"));
    setWindowTitle(GetLanguageString("SpreadsheetCsv", "TITL"));
    m_mapping = GuessSheetMapping(m_table);

    auto* file = new QLabel(QFileInfo(fileName).fileName(), this);
    file->setTextFormat(Qt::PlainText);
    QFont bold = file->font();
    bold.setBold(true);
    file->setFont(bold);
    auto* intro = new QLabel(GetLanguageString("SpreadsheetCsv", "INTR"), this);
    intro->setTextFormat(Qt::PlainText);
    intro->setWordWrap(true);

    // Which column holds what: two fields a line.
    auto* columnsBox = new QGroupBox(GetLanguageString("SpreadsheetCsv", "COLS"), this);
    auto* columnGrid = new QGridLayout(columnsBox);
    QStringList columnNames{GetLanguageString("SpreadsheetCsv", "NONE")};
    for (int column = 0; column < m_table.header.size(); ++column) {
        const QString heading = m_table.header.at(column).trimmed();
        columnNames << (heading.isEmpty()
                            ? SafeFormat(GetLanguageString("SpreadsheetCsv", "COLN"), {column + 1})
                            : heading);
    }
    int place = 0;
    for (const RideSheetField field : kOffered) {
        QComboBox* box = AddChoice(columnGrid, place / 3, place % 3 * 2, RideSheetFieldName(field), "column");
        box->setObjectName(QStringLiteral("column%1").arg(static_cast<int>(field)));
        box->addItems(columnNames);
        box->setCurrentIndex(m_mapping.Column(field) + 1);
        m_columns[static_cast<size_t>(field)] = box;
        ++place;
    }

    // How the cells are written.
    auto* readingBox = new QGroupBox(GetLanguageString("SpreadsheetCsv", "HOWR"), this);
    auto* readingGrid = new QGridLayout(readingBox);
    AddChoice(readingGrid, 0, 0, GetLanguageString("SpreadsheetCsv", "ORDR"), "dateOrder");
    AddChoice(readingGrid, 0, 2, GetLanguageString("SpreadsheetCsv", "MARK"), "decimalMark");
    AddChoice(readingGrid, 0, 4, GetLanguageString("SpreadsheetCsv", "UNIT"), "unit");
    m_dateOrder->addItems({GetLanguageString("SpreadsheetCsv", "DMY"),
                           GetLanguageString("SpreadsheetCsv", "MDY"),
                           GetLanguageString("SpreadsheetCsv", "YMD")});
    m_dateOrder->setCurrentIndex(static_cast<int>(m_mapping.dateOrder));
    m_decimalMark->addItems(
        {GetLanguageString("SpreadsheetCsv", "POIN"), GetLanguageString("SpreadsheetCsv", "COMM")});
    m_decimalMark->setCurrentIndex(m_mapping.decimalMark == u',' ? 1 : 0);
    m_unit->addItems({GetLanguageString("Strings", "KMSS"), GetLanguageString("Strings", "MILE")});
    m_unit->setCurrentIndex(m_mapping.miles ? 1 : 0);

    // Bicycles: each name of the file, and the one for rows without a name.
    auto* bicyclesBox = new QGroupBox(GetLanguageString("SpreadsheetCsv", "BICS"), this);
    auto* bicyclesLayout = new QGridLayout(bicyclesBox);
    m_nameTable->setObjectName(QStringLiteral("bicycleNames"));
    m_nameTable->setColumnCount(2);
    m_nameTable->setHorizontalHeaderLabels(
        {GetLanguageString("SpreadsheetCsv", "NAME"), GetLanguageString("SpreadsheetCsv", "GIVN")});
    m_nameTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_nameTable->verticalHeader()->hide();
    m_nameTable->setSelectionMode(QAbstractItemView::NoSelection);
    auto* defaultLabel = new QLabel(GetLanguageString("SpreadsheetCsv", "DEFB"), this);
    defaultLabel->setBuddy(m_defaultBicycle);
    m_defaultBicycle->setObjectName(QStringLiteral("defaultBicycle"));
    for (const BicycleAttribute& bicycle : m_bicycles) {
        m_defaultBicycle->addItem(FromTextBlock(bicycle.BicycleName), bicycle.BicycleNumber);
    }
    const int suggested = m_defaultBicycle->findData(suggestedBicycle);
    m_defaultBicycle->setCurrentIndex(suggested >= 0 ? suggested : 0);
    bicyclesLayout->addWidget(m_nameTable, 0, 0, 1, 2);
    bicyclesLayout->addWidget(defaultLabel, 1, 0);
    bicyclesLayout->addWidget(m_defaultBicycle, 1, 1);
    bicyclesLayout->setColumnStretch(1, 1);

    // The preview.
    auto* previewBox = new QGroupBox(GetLanguageString("SpreadsheetCsv", "PREV"), this);
    auto* previewLayout = new QVBoxLayout(previewBox);
    m_preview->setObjectName(QStringLiteral("preview"));
    m_preview->setColumnCount(8);
    m_preview->setHorizontalHeaderLabels(
        {GetLanguageString("SpreadsheetCsv", "LINE"), RideSheetFieldName(RideSheetField::Date),
         RideSheetFieldName(RideSheetField::Bicycle), RideSheetFieldName(RideSheetField::Distance),
         RideSheetFieldName(RideSheetField::RidingTime), RideSheetFieldName(RideSheetField::MaxSpeed),
         RideSheetFieldName(RideSheetField::Memo), GetLanguageString("SpreadsheetCsv", "STAT")});
    m_preview->verticalHeader()->hide();
    m_preview->setSelectionMode(QAbstractItemView::NoSelection);
    m_preview->horizontalHeader()->setStretchLastSection(true);
    m_preview->setWordWrap(false);
    m_preview->setMinimumHeight(200);
    m_count->setObjectName(QStringLiteral("count"));
    previewLayout->addWidget(m_preview);
    previewLayout->addWidget(m_count);
    if (m_table.unterminatedQuote) {
        auto* warning = new QLabel(GetLanguageString("SpreadsheetCsv", "QUOT"), this);
        warning->setWordWrap(true);
        previewLayout->addWidget(warning);
    }

    auto* import =
        new QPushButton(GetLanguageStringWithAccelerator("RideImport", "IMPT", QStringLiteral("I")), this);
    auto* cancel =
        new QPushButton(GetLanguageStringWithAccelerator("Strings", "CANC", QStringLiteral("C")), this);
    import->setObjectName(QStringLiteral("import"));
    import->setDefault(true);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(import);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(file);
    layout->addWidget(intro);
    layout->addWidget(columnsBox);
    layout->addWidget(readingBox);
    layout->addWidget(bicyclesBox);
    layout->addWidget(previewBox, 1);
    layout->addLayout(buttons);
    resize(900, 780);

    for (QComboBox* box : m_columns) {
        if (box) {
            connect(box, &QComboBox::currentIndexChanged, this, &SpreadsheetImportDlg::Reread);
        }
    }
    for (QComboBox* box : {m_dateOrder, m_decimalMark, m_unit}) {
        connect(box, &QComboBox::currentIndexChanged, this, &SpreadsheetImportDlg::Reread);
    }
    connect(import, &QPushButton::clicked, this, &SpreadsheetImportDlg::OnImport);
    connect(cancel, &QPushButton::clicked, this, &SpreadsheetImportDlg::reject);
    Reread();
}

QComboBox* SpreadsheetImportDlg::AddChoice(QGridLayout* grid, int row, int column, const QString& label,
                                           const char* name) {
    QComboBox* box = nullptr;
    const QString objectName = QString::fromLatin1(name);
    if (objectName == u"dateOrder") {
        box = m_dateOrder;
    } else if (objectName == u"decimalMark") {
        box = m_decimalMark;
    } else if (objectName == u"unit") {
        box = m_unit;
    } else {
        box = new QComboBox(this);
    }
    box->setObjectName(objectName);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(12);
    auto* caption = new QLabel(QString(label + u':'), this);
    caption->setBuddy(box);
    grid->addWidget(caption, row, column);
    grid->addWidget(box, row, column + 1);
    grid->setColumnStretch(column + 1, 1);
    return box;
}

void SpreadsheetImportDlg::TakeChoices() {
    for (const RideSheetField field : kOffered) {
        m_mapping.Column(field) = m_columns[static_cast<size_t>(field)]->currentIndex() - 1;
    }
    m_mapping.dateOrder = static_cast<DateOrder>(m_dateOrder->currentIndex());
    m_mapping.decimalMark = m_decimalMark->currentIndex() == 1 ? QChar(u',') : QChar(u'.');
    m_mapping.miles = m_unit->currentIndex() == 1;
}

void SpreadsheetImportDlg::Reread() {
    TakeChoices();
    m_rows = ReadSheetRows(m_table, m_mapping);
    FillBicycles();
    FillPreview();
}

void SpreadsheetImportDlg::FillBicycles() {
    // The rider's choices for names seen before stay as they were.
    const std::vector<SheetBicycle> before =
        m_nameTable->rowCount() > 0 ? ChosenBicycles() : std::vector<SheetBicycle>();
    m_names = GuessSheetBicycles(m_rows, m_bicycles);
    for (SheetBicycle& name : m_names) {
        for (const SheetBicycle& old : before) {
            if (old.name.compare(name.name, Qt::CaseInsensitive) == 0) {
                name.number = old.number;
            }
        }
    }
    m_nameTable->setRowCount(static_cast<int>(m_names.size()));
    for (int row = 0; row < static_cast<int>(m_names.size()); ++row) {
        const SheetBicycle& name = m_names[static_cast<size_t>(row)];
        m_nameTable->setItem(row, 0, Item(name.name));
        auto* choice = new QComboBox(m_nameTable);
        choice->setObjectName(QStringLiteral("bicycleFor%1").arg(row));
        choice->addItem(GetLanguageString("SpreadsheetCsv", "NEWB"), 0);
        for (const BicycleAttribute& bicycle : m_bicycles) {
            choice->addItem(FromTextBlock(bicycle.BicycleName), bicycle.BicycleNumber);
        }
        choice->setCurrentIndex(std::max(0, choice->findData(name.number)));
        m_nameTable->setCellWidget(row, 1, choice);
    }
    // Room for up to four names; more scroll.
    const int rowHeight = m_defaultBicycle->sizeHint().height() + 2;
    for (int row = 0; row < m_nameTable->rowCount(); ++row) {
        m_nameTable->setRowHeight(row, rowHeight);
    }
    const int shownRows = std::clamp(m_nameTable->rowCount(), 1, 4);
    m_nameTable->setFixedHeight(m_nameTable->horizontalHeader()->sizeHint().height() + shownRows * rowHeight +
                                2 * m_nameTable->frameWidth());
}

void SpreadsheetImportDlg::FillPreview() {
    const int shown = std::min(kPreviewRows, static_cast<int>(m_rows.size()));
    m_preview->setRowCount(shown);
    const QString distanceUnit =
        m_mapping.miles ? GetLanguageString("Strings", "MILE") : GetLanguageString("Strings", "KMSS");
    const QString speedUnit =
        m_mapping.miles ? GetLanguageString("Strings", "MPHS") : GetLanguageString("Strings", "KPHS");
    const double fromKm = m_mapping.miles ? 1.0 / kKilometresPerMile : 1.0;
    for (int row = 0; row < shown; ++row) {
        const SheetRow& read = m_rows[static_cast<size_t>(row)];
        m_preview->setItem(row, 0, Item(QString::number(read.line)));
        if (read.IsRide()) {
            const LocalDateTime local = ToLocalDateTime(read.ride.Date);
            QString memo = read.memo;
            memo.replace(QStringLiteral("\r\n"), QStringLiteral(" / "));
            m_preview->setItem(row, 1,
                               Item(FormatDate(read.ride.Date) +
                                    SafeFormat(QStringLiteral(" %02d:%02d"), {local.hour, local.minute})));
            m_preview->setItem(
                row, 2,
                Item(read.bicycleName.isEmpty() ? m_defaultBicycle->currentText() : read.bicycleName));
            m_preview->setItem(row, 3, Item(FormatNumberWithUnit(read.ride.Distance * fromKm, distanceUnit)));
            m_preview->setItem(row, 4,
                               Item(FormatRidingTime(read.ride.Hours, read.ride.Minutes, read.ride.Seconds)));
            m_preview->setItem(row, 5, Item(FormatNumberWithUnit(read.ride.MaxSpeed * fromKm, speedUnit)));
            m_preview->setItem(row, 6, Item(memo));
            m_preview->setItem(row, 7, Item(GetLanguageString("SpreadsheetCsv", "REDY")));
        } else {
            for (int column = 1; column < 7; ++column) {
                m_preview->setItem(row, column, Item(QString()));
            }
            QTableWidgetItem* status = Item(read.error);
            status->setForeground(QColor(0xB0, 0x20, 0x20));
            status->setToolTip(read.error);
            m_preview->setItem(row, 7, status);
        }
    }
    // A field the file does not hold has no column in the preview.
    const RideSheetField shownFields[] = {RideSheetField::Bicycle, RideSheetField::Distance,
                                          RideSheetField::RidingTime, RideSheetField::MaxSpeed,
                                          RideSheetField::Memo};
    for (int i = 0; i < 5; ++i) {
        m_preview->setColumnHidden(
            i + 2, m_mapping.Column(shownFields[i]) < 0 && shownFields[i] != RideSheetField::Bicycle);
    }
    m_preview->resizeColumnsToContents();
    m_preview->setColumnWidth(6, std::min(m_preview->columnWidth(6), 220));
    int readable = 0;
    for (const SheetRow& read : m_rows) {
        readable += read.IsRide() ? 1 : 0;
    }
    m_count->setText(SafeFormat(GetLanguageString("SpreadsheetCsv", "READ"),
                                {readable, static_cast<int>(m_rows.size()) - readable}));
}

std::vector<SheetBicycle> SpreadsheetImportDlg::ChosenBicycles() const {
    std::vector<SheetBicycle> chosen = m_names;
    for (int row = 0; row < m_nameTable->rowCount() && row < static_cast<int>(chosen.size()); ++row) {
        if (auto* choice = qobject_cast<QComboBox*>(m_nameTable->cellWidget(row, 1))) {
            chosen[static_cast<size_t>(row)].number = choice->currentData().toInt();
        }
    }
    return chosen;
}

int32_t SpreadsheetImportDlg::DefaultBicycle() const {
    return m_defaultBicycle->currentData().toInt();
}

void SpreadsheetImportDlg::OnImport() {
    if (m_mapping.Column(RideSheetField::Date) < 0) {
        ShowError(this, GetLanguageString("SpreadsheetCsv", "NDAT"));
        m_columns[static_cast<size_t>(RideSheetField::Date)]->setFocus();
        return;
    }
    accept();
}

bool IsSpreadsheetFile(const QString& path) {
    // A Strava export's list of activities belongs to the archive import.
    const QFileInfo file(path);
    return file.suffix().compare(u"csv", Qt::CaseInsensitive) == 0 &&
           file.fileName().compare(u"activities.csv", Qt::CaseInsensitive) != 0;
}

ImportSummary ImportSpreadsheetFile(QWidget* parent, const QString& path, const BicycleList& bicycles,
                                    int32_t suggestedBicycle) {
    ImportSummary nothing;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestSheet) {
        const int error = file.isOpen() ? EFBIG : errno;
        ShowFailure(parent,
                    SafeFormat(GetLanguageString("SpreadsheetCsv", "OPEN"), {QFileInfo(path).fileName()}),
                    SystemFailureReason(error));
        return nothing;
    }
    const CsvTable table = ParseCsv(DecodeCsvBytes(file.readAll()));
    file.close();
    if (table.rows.empty()) {
        ShowError(parent, GetLanguageString("SpreadsheetCsv", "EMPT"));
        return nothing;
    }
    GuardedModal dialog(new SpreadsheetImportDlg(path, table, bicycles, suggestedBicycle, parent));
    if (!dialog.Exec()) {
        return nothing;
    }
    const std::vector<SheetRow> rows = dialog->Rows();
    const std::vector<SheetBicycle> names = dialog->ChosenBicycles();
    const int32_t defaultBicycle = dialog->DefaultBicycle();

    GuardedModal progress(NewImportProgress(parent, GetLanguageString("SpreadsheetCsv", "TITL")));
    progress->setRange(0, static_cast<int>(rows.size()));
    progress->show();
    const ImportSummary summary =
        ImportSheetRows(rows, names, defaultBicycle, [&](int done, int count, const QString&) {
            if (!progress.Alive() || progress->wasCanceled()) {
                return false;
            }
            // A row takes little time: the window is brought up to date every few rows.
            if (done % 20 == 0) {
                progress->setLabelText(
                    SafeFormat(GetLanguageString("SpreadsheetCsv", "PROG"), {done + 1, count}));
                progress->setValue(done);
                ShowModalProgress(*progress);
            }
            QCoreApplication::processEvents();
            return progress.Alive() && !progress->wasCanceled();
        });
    if (progress.Alive()) {
        progress->close();
    }
    if (summary.storeUnreadable) {
        ShowStoreFailure(parent, GetLanguageString("ErrorStrings", "GFDB"));
        return summary;
    }
    const QString text = ImportSummaryText(summary);
    if (summary.failures.isEmpty()) {
        ShowInformation(parent, text);
    } else if (summary.imported > 0) {
        ShowWarning(parent, text);
    } else {
        ShowError(parent, text);
    }
    return summary;
}
