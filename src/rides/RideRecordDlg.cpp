#include "rides/RideRecordDlg.h"

#include "language/Language.h"
#include "platform/Dialogs.h"
#include "units/Clock.h"
#include "units/NumberInput.h"
#include "units/RideFigures.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <algorithm>

namespace {

QDateTime PickerLimit(int year, int month, int day) {
    return QDateTime(QDate(year, month, day), QTime(12, 0, 0));
}

QLineEdit* DigitField(QWidget* parent, const char* name, int maxLength) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setMaxLength(maxLength);
    field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    field->setAlignment(Qt::AlignRight);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QString(maxLength, u'0')) + 16);
    return field;
}

QLineEdit* NumberField(QWidget* parent, const char* name, int maxLength) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setMaxLength(maxLength);
    field->setAlignment(Qt::AlignRight);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("00000.000")) + 16);
    return field;
}

}  // namespace

RideRecordDlg::RideRecordDlg(RideEditorSetup setup, QWidget* parent)
    : RecordEditorFrame(RecordKind::Ride, setup.newRide, parent), m_setup(std::move(setup)) {
    setObjectName(QStringLiteral("RideRecordDlg"));
    if (!m_setup.newRide) {
        m_ride = m_setup.ride;
    }
    BuildFields();
    OpenMemoFolder(m_setup.newRide ? m_setup.newRideNumber : m_ride.RideRecordNumber,
                   FromTextBlock(m_ride.Memo));
    SetNeighbours(m_setup.hasPrevious, m_setup.hasNext);

    for (const BicycleAttribute& bicycle : m_setup.bicycles) {
        m_bicycle->addItem(FromTextBlock(bicycle.BicycleName), bicycle.BicycleNumber);
    }
    m_bicycle->setCurrentIndex(m_setup.preselectedBicycle >= 0 &&
                                       m_setup.preselectedBicycle < m_bicycle->count()
                                   ? m_setup.preselectedBicycle
                                   : -1);
    if (m_setup.newRide) {
        m_date->setDateTime(QDateTime::fromSecsSinceEpoch(CurrentTime()));
        m_shownDate = QDateTime();  // a new ride always takes the picker's value
    } else {
        ShowRide();
    }
    m_bicycle->setFocus();
}

void RideRecordDlg::BuildFields() {
    QWidget* area = FieldArea();
    m_date = new QDateTimeEdit(area);
    m_date->setObjectName(QStringLiteral("date"));
    m_date->setDisplayFormat(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    m_date->setCalendarPopup(true);
    m_date->setTimeSpec(Qt::LocalTime);
    QDateTime first = PickerLimit(1980, 1, 1);
    QDateTime last = PickerLimit(2038, 1, 17);
    if (!m_setup.newRide) {
        // A ride dated outside the usual range keeps its date when it is saved again.
        const QDateTime stored = QDateTime::fromSecsSinceEpoch(m_ride.Date);
        first = std::min(first, stored);
        last = std::max(last, stored);
    }
    m_date->setDateTimeRange(first, last);

    m_bicycle = new QComboBox(area);
    m_bicycle->setObjectName(QStringLiteral("bicycle"));
    m_bicycle->setMinimumWidth(200);
    m_hours = DigitField(area, "hours", 4);
    m_minutes = DigitField(area, "minutes", 2);
    m_seconds = DigitField(area, "seconds", 2);
    m_distance = NumberField(area, "distance", 10);
    m_maxSpeed = NumberField(area, "maxSpeed", 8);
    m_averageSpeed = NumberField(area, "averageSpeed", 16);
    m_averageSpeed->setReadOnly(true);
    m_averageSpeed->setFocusPolicy(Qt::NoFocus);
    QPalette readOnly = m_averageSpeed->palette();
    readOnly.setColor(QPalette::Base, palette().color(QPalette::Window));
    m_averageSpeed->setPalette(readOnly);

    auto label = [area](const QString& text, QWidget* buddy) {
        auto* caption = new QLabel(text, area);
        caption->setBuddy(buddy);
        return caption;
    };
    auto unit = [area](const QString& text, const char* name) {
        auto* word = new QLabel(text, area);
        word->setObjectName(QString::fromLatin1(name));
        return word;
    };

    auto* time = new QHBoxLayout;
    time->setSpacing(3);
    time->addWidget(m_hours);
    time->addWidget(new QLabel(QStringLiteral(":"), area));
    time->addWidget(m_minutes);
    time->addWidget(new QLabel(QStringLiteral(":"), area));
    time->addWidget(m_seconds);
    time->addStretch(1);

    auto* grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(5);
    grid->addWidget(label(GetLanguageStringWithColon("RideRecordDlg", "RDDT"), m_date), 0, 0);
    grid->addWidget(m_date, 0, 1, 1, 2);
    grid->addWidget(label(GetLanguageStringWithColon("Strings", "BICY"), m_bicycle), 0, 4);
    grid->addWidget(m_bicycle, 0, 5, 1, 2);
    grid->addWidget(label(GetLanguageStringWithColon("RideRecordDlg", "RDTM"), m_hours), 1, 0);
    grid->addLayout(time, 1, 1, 1, 2);
    grid->addWidget(label(GetLanguageStringWithColon("Strings", "DIST"), m_distance), 1, 4);
    grid->addWidget(m_distance, 1, 5);
    grid->addWidget(unit(GetDistanceUnitWord(), "distanceUnit"), 1, 6);
    grid->addWidget(label(GetLanguageStringWithColon("Strings", "MAXS"), m_maxSpeed), 2, 0);
    grid->addWidget(m_maxSpeed, 2, 1);
    grid->addWidget(unit(GetSpeedUnitWord(), "maxSpeedUnit"), 2, 2);
    grid->addWidget(label(GetLanguageStringWithColon("Strings", "AVGS"), m_averageSpeed), 2, 4);
    grid->addWidget(m_averageSpeed, 2, 5);
    grid->addWidget(unit(GetSpeedUnitWord(), "averageSpeedUnit"), 2, 6);
    grid->setColumnMinimumWidth(3, 24);
    grid->setColumnStretch(7, 1);

    setTabOrder(m_date, m_bicycle);
    setTabOrder(m_bicycle, m_hours);
    setTabOrder(m_hours, m_minutes);
    setTabOrder(m_minutes, m_seconds);
    setTabOrder(m_seconds, m_distance);
    setTabOrder(m_distance, m_maxSpeed);
}

void RideRecordDlg::ShowRide() {
    const int bicycle = m_bicycle->findData(m_ride.BicycleNumber);
    if (bicycle >= 0) {
        m_bicycle->setCurrentIndex(bicycle);
    }
    m_distance->setText(FormatNumber(FromKilometres(m_ride.Distance)));
    m_date->setDateTime(QDateTime::fromSecsSinceEpoch(m_ride.Date));
    m_maxSpeed->setText(FormatNumber(FromKilometres(m_ride.MaxSpeed)));
    m_hours->setText(QString::number(m_ride.Hours));
    m_minutes->setText(QString::number(m_ride.Minutes));
    m_seconds->setText(QString::number(m_ride.Seconds));
    m_averageSpeed->setText(FormatNumber(
        FromKilometres(AverageSpeed(m_ride.Distance, m_ride.Hours, m_ride.Minutes, m_ride.Seconds))));
    m_shownDistance = m_distance->text();
    m_shownMaxSpeed = m_maxSpeed->text();
    m_shownDate = m_date->dateTime();
}

bool RideRecordDlg::CommitFields() {
    if (m_bicycle->currentIndex() < 0) {
        ShowError(this, GetLanguageString("ErrorStrings", "SELB"));
        m_bicycle->setFocus();
        return false;
    }
    m_ride.BicycleNumber = m_bicycle->currentData().toInt();
    // A field left as it was shown keeps the stored value: opening and saving
    // a ride must not round 16.0934 km to the 16.09 that "10.00" miles gives back.
    if (m_distance->text() != m_shownDistance) {
        m_ride.Distance = ToKilometres(ParseDecimal(m_distance->text()));
    }
    if (m_date->dateTime() != m_shownDate) {
        m_ride.Date = static_cast<int32_t>(m_date->dateTime().toSecsSinceEpoch());
    }
    if (m_maxSpeed->text() != m_shownMaxSpeed) {
        m_ride.MaxSpeed = ToKilometres(ParseDecimal(m_maxSpeed->text()));
    }
    m_ride.Hours = ParseInteger(m_hours->text());
    m_ride.Minutes = ParseInteger(m_minutes->text());
    m_ride.Seconds = ParseInteger(m_seconds->text());
    return true;
}

void RideRecordDlg::CommitMemoText(const QString& text) {
    m_ride.Memo = ToTextBlock(text);
}
