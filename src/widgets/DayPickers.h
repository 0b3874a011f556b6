#pragma once
// The days every date picker of the program offers, the start and end day
// pickers above the ride and maintenance lists, and the range of local days
// they pick.

#include "units/DayRange.h"

#include <QDate>

class QDateEdit;
class QDateTimeEdit;
class QWidget;

// The days a date can be picked from: 1980/01/01 to 2038/01/17. The last
// stays two days short of the end of the 32-bit seconds the tables hold, so
// that it fits them in every time zone.
QDate FirstPickableDay();
QDate LastPickableDay();

// Limits a date or date-and-time picker to those days, from noon of the first
// to noon of the last: a moment that lies on its local day whatever clock
// change the day has. Set the display format first; a new format resets the
// range.
void LimitToPickableDays(QDateTimeEdit* picker);

// A day picker: "yyyy/MM/dd" with a calendar to drop down, limited to the
// pickable days.
QDateEdit* NewDayPicker(QWidget* parent, const char* objectName);

// Today in the local calendar, as the program's clock has it.
QDate LocalToday();

// The local days from..to, both included.
DayRange PickedDays(const QDate& from, const QDate& to);
