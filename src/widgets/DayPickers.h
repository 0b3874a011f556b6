#pragma once
// The start and end day pickers above the ride and maintenance lists and the
// range of local days they pick.

#include "units/DayRange.h"

#include <QDate>

class QDateEdit;
class QWidget;

// A day picker: "yyyy/MM/dd" with a calendar to drop down, limited to
// 1980/01/01 to 2038/01/17.
QDateEdit* NewDayPicker(QWidget* parent, const char* objectName);

// Today in the local calendar, as the program's clock has it.
QDate LocalToday();

// The local days from..to, both included.
DayRange PickedDays(const QDate& from, const QDate& to);
