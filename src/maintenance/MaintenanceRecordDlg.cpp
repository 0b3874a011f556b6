#include "maintenance/MaintenanceRecordDlg.h"

#include "language/Language.h"
#include "platform/NumberField.h"
#include "units/Units.h"
#include "widgets/LinkLabel.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

constexpr int kCostCharacters = 10;
// The spanner picture in the top right corner: its resource number, size and
// distance from the dialog's edges.
constexpr int kPictureNumber = 141;
constexpr int kPictureWidth = 81;
constexpr int kPictureHeight = 90;
constexpr int kPictureMargin = 10;

}  // namespace

MaintenanceRecordDlg::MaintenanceRecordDlg(MaintenanceEditorSetup setup, QWidget* parent)
    : RecordEditor(std::move(setup), parent) {
    setObjectName(QStringLiteral("MaintenanceRecordDlg"));
    BuildFields();
    Open();
}

void MaintenanceRecordDlg::BuildFields() {
    QWidget* area = FieldArea();
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
    grid->addWidget(label(GetLanguageStringWithColon("Strings", "DATE"), DateField()), 0, 0);
    grid->addWidget(DateField(), 0, 1);
    grid->addWidget(label(GetLanguageStringWithColon("Strings", "BICY"), BicycleField()), 0, 3);
    grid->addWidget(BicycleField(), 0, 4);
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

    setTabOrder(DateField(), BicycleField());
    setTabOrder(BicycleField(), m_cost);
}

void MaintenanceRecordDlg::ShowRecordFields() {
    ShowField(m_cost, FormatNumber(WorkingRecord().Cost));
}

bool MaintenanceRecordDlg::TakeRecordFields() {
    if (!FieldChanged(m_cost)) {
        return true;
    }
    const std::optional<double> cost =
        TakeNumberField(this, m_cost, GetLanguageString("Strings", "COST"), NumberKind::Decimal);
    if (!cost) {
        return false;
    }
    Working().Cost = *cost;
    return true;
}

void MaintenanceRecordDlg::resizeEvent(QResizeEvent* event) {
    RecordEditor::resizeEvent(event);
    if (m_picture) {
        m_picture->move(width() - kPictureMargin - kPictureWidth, kPictureMargin);
        m_picture->raise();
    }
}
