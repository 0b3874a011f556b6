#pragma once
// Comma-separated files meant for a spreadsheet rather than for reading: UTF-8
// with a byte-order mark (so spreadsheets take it as UTF-8), quoted as RFC 4180
// says, one header line and no trailer. Numbers are plain, with the unit in
// their column's heading only; dates and times are ISO 8601 with the local
// time's offset from UTC, so no reader has to guess the day or the zone.
//
// Spreadsheets read such a file with the separator and decimal mark of their
// own language: where a language writes a decimal comma, the separator is a
// semicolon and numbers carry a comma.

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

struct SpreadsheetConventions {
    QChar separator = u',';
    QChar decimalMark = u'.';
};
// Those that go with a language's decimal mark.
SpreadsheetConventions SpreadsheetConventionsFor(QChar decimalMark);
// Those of the language loaded now.
SpreadsheetConventions CurrentSpreadsheetConventions();

// "2025-05-04T10:00:00+02:00": the local date and time and the offset in force then.
QString IsoLocalDateTime(int64_t secondsSince1970);
// A number with at most six decimals and no trailing zeros ("10.5", "-3",
// "0.000001"), written with the given decimal mark and without groups.
QString SpreadsheetNumber(double value, QChar decimalMark);
// A length of time as "h:mm:ss", hours unbounded ("27:03:09").
QString SpreadsheetDuration(int64_t seconds);

// The file, built a line at a time.
class SpreadsheetCsv {
public:
    explicit SpreadsheetCsv(SpreadsheetConventions conventions);

    // A cell of text: quoted when it holds the separator, a quote or a line
    // break, and kept text by the formula guard (see AppendCsvField).
    SpreadsheetCsv& Text(QStringView cell);
    // A number in the file's decimal mark; an empty cell when there is none.
    SpreadsheetCsv& Number(std::optional<double> value);
    // Ends the line (CR LF).
    SpreadsheetCsv& EndLine();

    const QString& Contents() const { return m_text; }
    // EF BB BF and the text as UTF-8.
    QByteArray Bytes() const;
    SpreadsheetConventions Conventions() const { return m_conventions; }

private:
    void StartCell();

    SpreadsheetConventions m_conventions;
    QString m_text;
    bool m_lineStarted = false;
};
