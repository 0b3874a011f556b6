#include "rides/RideRecordDlg.h"

#include "language/Language.h"
#include "platform/Dialogs.h"
#include "platform/NumberField.h"
#include "units/RideFigures.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

// Whole numbers: anything may be typed, so that "27,5" or "1:30" is named on
// Save rather than quietly losing the characters the field would not take.
QLineEdit* DigitField(QWidget* parent, const char* name, int maxLength) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setMaxLength(maxLength);
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
    : RecordEditor(std::move(setup), parent) {
    setObjectName(QStringLiteral("RideRecordDlg"));
    BuildFields();
    Open();
}

void RideRecordDlg::BuildFields() {
    QWidget* area = FieldArea();
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
    grid->addWidget(label(GetLanguageStringWithColon("RideRecordDlg", "RDDT"), DateField()), 0, 0);
    grid->addWidget(DateField(), 0, 1, 1, 2);
    grid->addWidget(label(GetLanguageStringWithColon("Strings", "BICY"), BicycleField()), 0, 4);
    grid->addWidget(BicycleField(), 0, 5, 1, 2);
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

    setTabOrder(DateField(), BicycleField());
    setTabOrder(BicycleField(), m_hours);
    setTabOrder(m_hours, m_minutes);
    setTabOrder(m_minutes, m_seconds);
    setTabOrder(m_seconds, m_distance);
    setTabOrder(m_distance, m_maxSpeed);
}

void RideRecordDlg::ShowRecordFields() {
    const RideRecord& ride = WorkingRecord();
    ShowField(m_distance, FormatNumber(FromKilometres(ride.Distance)));
    ShowField(m_maxSpeed, FormatNumber(FromKilometres(ride.MaxSpeed)));
    m_hours->setText(QString::number(ride.Hours));
    m_minutes->setText(QString::number(ride.Minutes));
    m_seconds->setText(QString::number(ride.Seconds));
    m_averageSpeed->setText(
        FormatNumber(FromKilometres(AverageSpeed(ride.Distance, ride.Hours, ride.Minutes, ride.Seconds))));
}

bool RideRecordDlg::TakeRecordFields() {
    // Every field is read before any is taken: a refused one leaves the ride as it was.
    const QString time = GetLanguageString("RideRecordDlg", "RDTM");
    const std::optional<int> hours = TakeWholeNumberField(this, m_hours, time);
    if (!hours) {
        return false;
    }
    const std::optional<int> minutes = TakeWholeNumberField(this, m_minutes, time);
    if (!minutes) {
        return false;
    }
    const std::optional<int> seconds = TakeWholeNumberField(this, m_seconds, time);
    if (!seconds) {
        return false;
    }
    RideRecord taken = WorkingRecord();
    if (FieldChanged(m_distance)) {
        const std::optional<double> distance =
            TakeNumberField(this, m_distance, GetLanguageString("Strings", "DIST"), NumberKind::Decimal,
                            GetDistanceUnitWord());
        if (!distance) {
            return false;
        }
        taken.Distance = ToKilometres(*distance);
    }
    if (FieldChanged(m_maxSpeed)) {
        const std::optional<double> maxSpeed = TakeNumberField(
            this, m_maxSpeed, GetLanguageString("Strings", "MAXS"), NumberKind::Decimal, GetSpeedUnitWord());
        if (!maxSpeed) {
            return false;
        }
        taken.MaxSpeed = ToKilometres(*maxSpeed);
    }
    taken.Hours = *hours;
    taken.Minutes = *minutes;
    taken.Seconds = *seconds;
    // A distance without a time has no average speed, and raises the average
    // speed of every total it counts in: most often the time was forgotten.
    if (taken.Distance > 0 && taken.Hours == 0 && taken.Minutes == 0 && taken.Seconds == 0 &&
        !AskYesNo(this, GetLanguageString("RideRecordDlg", "NOTM"))) {
        m_hours->setFocus();
        return false;
    }
    Working() = taken;
    return true;
}
