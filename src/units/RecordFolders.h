#pragma once
// Where a ride's or a maintenance entry's formatted memo lives: a folder named
// by the record number under Rides or Maintenance in the program directory.

#include <QString>

enum class RecordKind { Ride, Maintenance };

// <program directory>/Rides/<number> or <program directory>/Maintenance/<number>.
QString RecordMemoFolder(RecordKind kind, int number);
