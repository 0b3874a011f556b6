#pragma once
// The cells the ride and maintenance lists have in common: the date with its
// weekday, the bicycle's name and the head of the memo. The words a list needs
// are looked up once for the whole list rather than once per cell, so a long
// list scrolls and exports without a language lookup per row.

#include "store/store.h"

#include <QString>
#include <array>
#include <cstdint>
#include <unordered_map>

struct RecordCellWords {
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

// The memo as a list shows it: its first 32 characters, followed by "..."
// when there are more; line breaks shown as blanks so a row stays one line.
QString MemoCellText(const ByteBlock& memo);
