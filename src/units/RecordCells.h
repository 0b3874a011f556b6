#pragma once
// The cells the ride and maintenance lists have in common: the date with its
// weekday, the bicycle's name and the head of the memo. The words a list needs
// are looked up once for the whole list rather than once per cell, so a long
// list scrolls and exports without a language lookup per row.

#include "store/store.h"
#include "units/LocalCalendar.h"

#include <QString>
#include <array>
#include <cstdint>
#include <unordered_map>

struct RecordCellWords {
    LocalCalendar calendar;           // the time zone as it was when the words were looked up
    std::array<QString, 7> weekdays;  // 0 = Sunday
    // The first bicycle of each number, as the store's search finds it.
    std::unordered_map<int32_t, QString> bicycleNames;

    // From the language table and the given bicycles.
    static RecordCellWords Current(const BicycleList& bicycles);
    // The name of the bicycle with that number, empty when there is none.
    QString BicycleName(int32_t number) const;
    // "%04d/%02d/%02d(%s)": the local date and its weekday.
    QString DateCell(int64_t date) const;
};

// value as printf's "%0Nd" writes it (N = digits): zeros after the sign up to
// that width. Cells are made by the ten thousand for reports, so without a
// format parser.
void AppendZeroPadded(QString& out, int value, int digits);

// The memo as a list shows it: whole when its stored block holds at most 32
// characters with the terminator (a text of up to 30), otherwise its first 32
// characters followed by "..."; line breaks shown as blanks so a row stays
// one line.
QString MemoCellText(const ByteBlock& memo);
