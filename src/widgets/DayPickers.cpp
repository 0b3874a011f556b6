#include "widgets/DayPickers.h"

#include "units/Clock.h"
#include "units/Units.h"

#include <QDateEdit>

namespace {
// Noon of a day: a moment that certainly lies on that local day, whatever the
// clock changes of the day do to midnight.
int64_t Noon(const QDate& date) {
    return FromLocalDateTime(date.year(), date.month(), date.day(), 12);
}
}  // namespace

QDate FirstPickableDay() {
    return QDate(1980, 1, 1);
}

QDate LastPickableDay() {
    return QDate(2038, 1, 17);
}

void LimitToPickableDays(QDateTimeEdit* picker) {
    picker->setDateTimeRange(QDateTime(FirstPickableDay(), QTime(12, 0)),
                             QDateTime(LastPickableDay(), QTime(12, 0)));
}

QDateEdit* NewDayPicker(QWidget* parent, const char* objectName) {
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(QString::fromLatin1(objectName));
    picker->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    picker->setCalendarPopup(true);
    LimitToPickableDays(picker);
    picker->setMinimumWidth(110);
    return picker;
}

QDate LocalToday() {
    const LocalDateTime now = ToLocalDateTime(CurrentTime());
    return QDate(now.year, now.month, now.day);
}

DayRange PickedDays(const QDate& from, const QDate& to) {
    return LocalDayRange(Noon(from), Noon(to));
}
