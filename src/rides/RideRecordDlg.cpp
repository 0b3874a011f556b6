#include "rides/RideRecordDlg.h"

#include "language/Language.h"
#include "platform/BusyCursor.h"
#include "platform/Dialogs.h"
#include "platform/ModalRun.h"
#include "platform/NumberField.h"
#include "rides/RideImport.h"
#include "rides/RideProfile.h"
#include "rides/RideProfileDlg.h"
#include "units/HeightUnit.h"
#include "units/RideFigures.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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

// Effort and feeling are 1 to 5, 0 when not set. Another program may have
// written anything there: what is not 1 to 5 shows as not set.
QComboBox* LevelChoice(QWidget* parent, const char* name) {
    auto* choice = new QComboBox(parent);
    choice->setObjectName(QString::fromLatin1(name));
    choice->addItem(GetLanguageString("RideDetail", "NSET"));
    for (int level = 1; level <= 5; ++level) {
        choice->addItem(QString::number(level));
    }
    return choice;
}

int LevelPosition(int32_t level) {
    return level >= 1 && level <= 5 ? level : 0;
}

QString WholeText(const std::optional<double>& value) {
    return value ? QString::number(*value, 'f', 0) : QString();
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
    m_ascent = NumberField(area, "ascent", 8);
    m_heartRate = NumberField(area, "heartRate", 8);
    m_calories = NumberField(area, "calories", 8);
    m_effort = LevelChoice(area, "effort");
    m_feeling = LevelChoice(area, "feeling");
    m_recorded = new QLabel(area);
    m_recorded->setObjectName(QStringLiteral("recorded"));
    m_recorded->setWordWrap(true);
    m_recorded->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_recorded->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_profile = new QPushButton(GetLanguageString("RideDetail", "PROF"), area);
    m_profile->setObjectName(QStringLiteral("profile"));
    m_profile->setEnabled(false);
    connect(m_profile, &QPushButton::clicked, this, &RideRecordDlg::ShowProfile);

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
    grid->addWidget(label(GetLanguageStringWithColon("RideDetail", "ASCN"), m_ascent), 3, 0);
    grid->addWidget(m_ascent, 3, 1);
    grid->addWidget(unit(GetHeightUnitWord(), "ascentUnit"), 3, 2);
    grid->addWidget(label(GetLanguageStringWithColon("RideDetail", "HRAV"), m_heartRate), 3, 4);
    grid->addWidget(m_heartRate, 3, 5);
    grid->addWidget(unit(GetLanguageString("RideDetail", "BPM"), "heartRateUnit"), 3, 6);
    grid->addWidget(label(GetLanguageStringWithColon("RideDetail", "CALS"), m_calories), 4, 0);
    grid->addWidget(m_calories, 4, 1);
    grid->addWidget(unit(QStringLiteral("kcal"), "caloriesUnit"), 4, 2);
    grid->addWidget(label(GetLanguageStringWithColon("RideDetail", "EFRT"), m_effort), 4, 4);
    grid->addWidget(m_effort, 4, 5, 1, 2);
    grid->addWidget(label(GetLanguageStringWithColon("RideDetail", "FEEL"), m_feeling), 5, 4);
    grid->addWidget(m_feeling, 5, 5, 1, 2);
    grid->addWidget(m_profile, 5, 1, 1, 2, Qt::AlignLeft);
    grid->addWidget(new QLabel(GetLanguageStringWithColon("RideDetail", "RCRD"), area), 6, 0, Qt::AlignTop);
    grid->addWidget(m_recorded, 6, 1, 1, 7);
    grid->setColumnMinimumWidth(3, 24);
    grid->setColumnStretch(7, 1);
    // Room for two lines of what the device recorded.
    SetFieldAreaHeight(grid->sizeHint().height() + m_recorded->fontMetrics().lineSpacing());

    setTabOrder(DateField(), BicycleField());
    setTabOrder(BicycleField(), m_hours);
    setTabOrder(m_hours, m_minutes);
    setTabOrder(m_minutes, m_seconds);
    setTabOrder(m_seconds, m_distance);
    setTabOrder(m_distance, m_maxSpeed);
    setTabOrder(m_maxSpeed, m_ascent);
    setTabOrder(m_ascent, m_heartRate);
    setTabOrder(m_heartRate, m_calories);
    setTabOrder(m_calories, m_effort);
    setTabOrder(m_effort, m_feeling);
    m_recorded->setText(RecordedText());
}

QString RideRecordDlg::RecordedText() const {
    QStringList parts;
    const auto add = [&](const QString& name, const std::optional<double>& value, const QString& unit) {
        if (value) {
            parts << name + u' ' + QString::number(*value, 'f', 0) + u' ' + unit;
        }
    };
    if (m_detail.Descent) {
        add(GetLanguageString("RideDetail", "DSCN"), FromMetres(*m_detail.Descent), GetHeightUnitWord());
    }
    add(GetLanguageString("RideDetail", "HRMX"), m_detail.MaxHeartRate,
        GetLanguageString("RideDetail", "BPM"));
    add(GetLanguageString("RideDetail", "CADN"), m_detail.AverageCadence,
        GetLanguageString("RideDetail", "RPM"));
    add(GetLanguageString("RideDetail", "PWAV"), m_detail.AveragePower, QStringLiteral("W"));
    add(GetLanguageString("RideDetail", "PWMX"), m_detail.MaxPower, QStringLiteral("W"));
    add(GetLanguageString("RideDetail", "TEMP"), m_detail.AverageTemperature, QStringLiteral("°C"));
    if (m_detail.ElapsedSeconds) {
        const int64_t seconds = std::llround(*m_detail.ElapsedSeconds);
        parts << GetLanguageString("RideDetail", "ELAP") + u' ' +
                     FormatRidingTime(static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                                      static_cast<int>(seconds % 60));
    }
    parts << GetLanguageString("RideDetail", "SRCE") + u' ' +
                 (m_detail.SourceFile.empty() ? GetLanguageString("RideDetail", "TYPD")
                                              : QString::fromStdString(m_detail.SourceFile));
    return parts.join(QStringLiteral(" \u00b7 "));
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
    m_effort->setCurrentIndex(LevelPosition(ride.DifficultyLevel));
    m_feeling->setCurrentIndex(LevelPosition(ride.FeelingLevel));
    // A ride whose figures cannot be read shows none, and saving it leaves
    // them as they are in the store.
    bool found = false;
    m_detailUnread = DB_GetRideDetail(ride.RideRecordNumber, &m_detail, &found) != store::kOk;
    if (m_detailUnread) {
        m_detail = RideDetail{};
    }
    ShowField(m_ascent, WholeText(m_detail.Ascent ? std::optional<double>(FromMetres(*m_detail.Ascent))
                                                  : std::nullopt));
    ShowField(m_heartRate, WholeText(m_detail.AverageHeartRate));
    ShowField(m_calories, WholeText(m_detail.Calories));
    m_recorded->setText(RecordedText());
    const std::optional<QString> source =
        RideSourceFile(ride.RideRecordNumber, QString::fromStdString(m_detail.SourceFile));
    m_sourceFile = source.value_or(QString());
    m_profile->setEnabled(source.has_value());
}

void RideRecordDlg::ShowProfile() {
    if (m_sourceFile.isEmpty()) {
        return;
    }
    GpsFileContent content;
    {
        const BusyCursor busy;
        content = ReadGpsFile(m_sourceFile);
    }
    if (content.error != GpsFileError::None || content.tracks.empty()) {
        ShowError(this, GpsFileErrorText(QFileInfo(m_sourceFile).fileName(), content));
        return;
    }
    const size_t track = TrackOfRide(content.tracks, WorkingRecord().Date);
    GuardedModal profile(
        new RideProfileDlg(std::move(content.tracks[track]), FormatDate(WorkingRecord().Date), this));
    profile.Run();
}

bool RideRecordDlg::TakeFigure(QLineEdit* field, const QString& name, const QString& unit,
                               std::optional<double>* figure) {
    if (!FieldChanged(field)) {
        return true;
    }
    if (field->text().trimmed().isEmpty()) {
        figure->reset();
        return true;
    }
    const std::optional<double> value = TakeNumberField(this, field, name, NumberKind::Decimal, unit);
    if (!value) {
        return false;
    }
    *figure = value;
    return true;
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
    RideDetail detail = m_detail;
    std::optional<double> ascent = detail.Ascent;
    if (!TakeFigure(m_ascent, GetLanguageString("RideDetail", "ASCN"), GetHeightUnitWord(), &ascent) ||
        !TakeFigure(m_heartRate, GetLanguageString("RideDetail", "HRAV"),
                    GetLanguageString("RideDetail", "BPM"), &detail.AverageHeartRate) ||
        !TakeFigure(m_calories, GetLanguageString("RideDetail", "CALS"), QStringLiteral("kcal"),
                    &detail.Calories)) {
        return false;
    }
    // Typed in the height unit shown; a field left as shown keeps the stored metres.
    if (FieldChanged(m_ascent)) {
        detail.Ascent = ascent ? std::optional<double>(ToMetres(*ascent)) : std::nullopt;
    }
    RideRecord taken = WorkingRecord();
    // A level another program wrote outside 1 to 5 stays unless the rider chooses one.
    if (IsNewRecord() || m_effort->currentIndex() != LevelPosition(taken.DifficultyLevel)) {
        taken.DifficultyLevel = m_effort->currentIndex();
    }
    if (IsNewRecord() || m_feeling->currentIndex() != LevelPosition(taken.FeelingLevel)) {
        taken.FeelingLevel = m_feeling->currentIndex();
    }
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
    m_detail = detail;
    return true;
}

bool RideRecordDlg::StoreRecord() {
    if (!HasRecordStore()) {
        return true;
    }
    // The ride and its further figures are stored together or not at all.
    store::Transaction transaction;
    if (!transaction.IsOpen() || !RecordEditorFrame::StoreRecord()) {
        return false;
    }
    int32_t number = WorkingRecord().RideRecordNumber;
    if (IsNewRecord()) {
        // The ride just inserted holds the largest number.
        int next = 0;
        if (DB_GetMaxRideRecordNumber(&next) != store::kOk) {
            return false;
        }
        number = next - 1;
    }
    return (m_detailUnread || DB_SetRideDetail(number, &m_detail) == store::kOk) && transaction.Commit();
}
