#include "maintenance/MaintenanceRecordDlg.h"

#include "language/Language.h"
#include "platform/Dialogs.h"
#include "units/Clock.h"
#include "units/NumberInput.h"
#include "units/TextBlock.h"
#include "units/Units.h"
#include "widgets/LinkLabel.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

namespace {

constexpr int kCostCharacters = 10;
// The spanner picture in the top right corner: its resource number, size and
// distance from the dialog's edges.
constexpr int kPictureNumber = 141;
constexpr int kPictureWidth = 81;
constexpr int kPictureHeight = 90;
constexpr int kPictureMargin = 10;

QDateTime PickerLimit(int year, int month, int day) {
    return QDateTime(QDate(year, month, day), QTime(12, 0, 0));
}

}  // namespace

MaintenanceRecordDlg::MaintenanceRecordDlg(MaintenanceEditorSetup setup, QWidget* parent)
    : RecordEditorFrame(RecordKind::Maintenance, setup.newEntry, parent), m_setup(std::move(setup)) {
    setObjectName(QStringLiteral("MaintenanceRecordDlg"));
    if (!m_setup.newEntry) {
        m_entry = m_setup.entry;
    }
    BuildFields();
    OpenMemoFolder(m_setup.newEntry ? m_setup.newEntryNumber : m_entry.MaintenanceRecordNumber,
                   FromTextBlock(m_entry.Memo));
    SetNeighbours(m_setup.hasPrevious, m_setup.hasNext);

    for (const BicycleAttribute& bicycle : m_setup.bicycles) {
        m_bicycle->addItem(FromTextBlock(bicycle.BicycleName), bicycle.BicycleNumber);
    }
    m_bicycle->setCurrentIndex(m_setup.preselectedBicycle >= 0 &&
                                       m_setup.preselectedBicycle < m_bicycle->count()
                                   ? m_setup.preselectedBicycle
                                   : -1);
    if (m_setup.newEntry) {
        m_date->setDateTime(QDateTime::fromSecsSinceEpoch(CurrentTime()));
    } else {
        ShowEntry();
    }
    m_bicycle->setFocus();
}

void MaintenanceRecordDlg::BuildFields() {
    QWidget* area = FieldArea();
    m_date = new QDateTimeEdit(area);
    m_date->setObjectName(QStringLiteral("date"));
    m_date->setDisplayFormat(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    m_date->setCalendarPopup(true);
    m_date->setTimeSpec(Qt::LocalTime);
    QDateTime first = PickerLimit(1980, 1, 1);
    QDateTime last = PickerLimit(2038, 1, 17);
    if (!m_setup.newEntry) {
        // An entry dated outside the usual range keeps its date when it is saved again.
        const QDateTime stored = QDateTime::fromSecsSinceEpoch(m_entry.Date);
        first = std::min(first, stored);
        last = std::max(last, stored);
    }
    m_date->setDateTimeRange(first, last);

    m_bicycle = new QComboBox(area);
    m_bicycle->setObjectName(QStringLiteral("bicycle"));
    m_bicycle->setMinimumWidth(200);

    m_cost = new QLineEdit(area);
    m_cost->setObjectName(QStringLiteral("cost"));
    m_cost->setMaxLength(kCostCharacters);
    m_cost->setAlignment(Qt::AlignRight);
    m_cost->setFixedWidth(m_cost->fontMetrics().horizontalAdvance(QString(kCostCharacters, u'0')) + 16);

    auto label = [area](const QString& text, QWidget* buddy) {
        auto* caption = new QLabel(text, area);
        caption->setBuddy(buddy);
        return caption;
    };

    auto* grid = new QGridLayout(area);
    // The corner picture stands to the right of the fields.
    grid->setContentsMargins(0, 0, kPictureWidth + kPictureMargin, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(5);
    grid->addWidget(label(GetLanguageStringWithColon("Strings", "DATE"), m_date), 0, 0);
    grid->addWidget(m_date, 0, 1);
    grid->addWidget(label(GetLanguageStringWithColon("Strings", "BICY"), m_bicycle), 0, 3);
    grid->addWidget(m_bicycle, 0, 4);
    grid->addWidget(label(GetLanguageStringWithColon("Strings", "COST"), m_cost), 1, 0);
    grid->addWidget(m_cost, 1, 1, Qt::AlignLeft);
    grid->setColumnMinimumWidth(2, 24);
    grid->setColumnStretch(5, 1);
    grid->setRowStretch(2, 1);

    // Decoration only: no text, no link, nothing happens on a click.
    m_picture = new LinkLabel(this);
    m_picture->setObjectName(QStringLiteral("picture"));
    m_picture->SetPicture(kPictureNumber, QPixmap(QStringLiteral(":/maintenance_corner.png")), kPictureWidth,
                          kPictureHeight);
    m_picture->resize(kPictureWidth, kPictureHeight);
    m_picture->setAttribute(Qt::WA_TransparentForMouseEvents);

    setTabOrder(m_date, m_bicycle);
    setTabOrder(m_bicycle, m_cost);
}

void MaintenanceRecordDlg::ShowEntry() {
    const int bicycle = m_bicycle->findData(m_entry.BicycleNumber);
    if (bicycle >= 0) {
        m_bicycle->setCurrentIndex(bicycle);
    }
    m_cost->setText(FormatNumber(m_entry.Cost));
    m_date->setDateTime(QDateTime::fromSecsSinceEpoch(m_entry.Date));
    m_shownCost = m_cost->text();
    m_shownDate = m_date->dateTime();
}

bool MaintenanceRecordDlg::CommitFields() {
    if (m_bicycle->currentIndex() < 0) {
        ShowError(this, GetLanguageString("ErrorStrings", "SELB"));
        m_bicycle->setFocus();
        return false;
    }
    m_entry.BicycleNumber = m_bicycle->currentData().toInt();
    // A field left as it was shown keeps the stored value: opening and saving
    // an entry must not round a cost of 12.345 to the 12.35 it shows.
    if (m_setup.newEntry || m_cost->text() != m_shownCost) {
        m_entry.Cost = ParseDecimal(m_cost->text());
    }
    if (m_setup.newEntry || m_date->dateTime() != m_shownDate) {
        m_entry.Date = static_cast<int32_t>(m_date->dateTime().toSecsSinceEpoch());
    }
    return true;
}

void MaintenanceRecordDlg::CommitMemoText(const QString& text) {
    m_entry.Memo = ToTextBlock(text);
}

void MaintenanceRecordDlg::resizeEvent(QResizeEvent* event) {
    RecordEditorFrame::resizeEvent(event);
    if (m_picture) {
        m_picture->move(width() - kPictureMargin - kPictureWidth, kPictureMargin);
        m_picture->raise();
    }
}
