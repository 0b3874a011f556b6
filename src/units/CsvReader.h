#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// Reads comma-separated text as spreadsheets and other programs write it
// (RFC 4180): quoted fields may hold separators, doubled quotes and line
// breaks; lines end in CR LF or LF. The bytes may be UTF-8 (with or without
// a byte-order mark) or UTF-16 with its mark, as Velomarq's own CSV report is.
struct CsvTable {
    QStringList header;                  // the first line's fields
    std::vector<QStringList> rows;       // every following non-empty line
    std::vector<int> rowLines;           // the line of the text each row starts on, from 1
    QChar separator = QLatin1Char(',');  // as found in the header line
    bool unterminatedQuote = false;      // the text ended inside a quoted field
};

// Decodes the bytes by their byte-order mark (UTF-8 when there is none).
QString DecodeCsvBytes(const QByteArray& bytes);

// The separator the header line uses: ',', ';' or a tab, whichever occurs
// most often outside quotes (',' when none does).
QChar GuessCsvSeparator(const QString& text);

// Splits the text into its header and rows. A zero separator guesses it.
CsvTable ParseCsv(const QString& text, QChar separator = QChar());

// A header name reduced to what identifies it, so that "Elapsed Time",
// "elapsed_time", " ELAPSED  TIME (s)" and "Elapsed Time [s]" compare
// equal: case folded, a bracketed or parenthesized unit dropped, runs of
// spaces, underscores and hyphens made one space, ends trimmed.
QString NormalizedCsvHeader(const QString& name);

// The column whose normalized header equals one of the normalized
// candidates, or -1. The first candidate found wins, then the leftmost column.
int FindCsvColumn(const QStringList& header, const QStringList& candidates);
