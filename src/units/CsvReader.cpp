#include "units/CsvReader.h"

#include <QRegularExpression>
#include <QStringDecoder>

QString DecodeCsvBytes(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                            : QStringConverter::Utf16BE);
        return decoder(bytes.mid(2));
    }
    QStringDecoder decoder(QStringConverter::Utf8);
    return decoder(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
}

QChar GuessCsvSeparator(const QString& text) {
    int comma = 0, semicolon = 0, tab = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r'))) {
            break;
        } else if (!quoted) {
            comma += c == QLatin1Char(',');
            semicolon += c == QLatin1Char(';');
            tab += c == QLatin1Char('\t');
        }
    }
    if (semicolon > comma && semicolon >= tab) {
        return QLatin1Char(';');
    }
    if (tab > comma && tab > semicolon) {
        return QLatin1Char('\t');
    }
    return QLatin1Char(',');
}

CsvTable ParseCsv(const QString& text, QChar separator) {
    CsvTable table;
    table.separator = separator.isNull() ? GuessCsvSeparator(text) : separator;
    QStringList record;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    bool headerDone = false;
    int line = 1;        // the line of the text at hand
    int recordLine = 1;  // the line the record at hand began on

    const auto endField = [&] {
        record.append(field);
        field.clear();
        fieldStarted = false;
    };
    const auto endRecord = [&] {
        endField();
        const bool blank = record.size() == 1 && record.front().isEmpty();
        if (!headerDone) {
            if (!blank) {
                table.header = record;
                headerDone = true;
            }
        } else if (!blank) {
            table.rows.push_back(record);
            table.rowLines.push_back(recordLine);
        }
        record.clear();
    };

    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('\n') ||
                (c == QLatin1Char('\r') && (i + 1 >= size || text.at(i + 1) != QLatin1Char('\n')))) {
                ++line;
            }
            if (c != QLatin1Char('"')) {
                field.append(c);
            } else if (i + 1 < size && text.at(i + 1) == QLatin1Char('"')) {
                field.append(c);
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == table.separator) {
            endField();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n')) {
                ++i;
            }
            endRecord();
            recordLine = ++line;
        } else {
            // A quote inside an unquoted field is kept as it stands, as
            // spreadsheets do.
            field.append(c);
            fieldStarted = true;
        }
    }
    table.unterminatedQuote = quoted;
    if (fieldStarted || !field.isEmpty() || !record.isEmpty()) {
        endRecord();
    }
    return table;
}

QString NormalizedCsvHeader(const QString& name) {
    static const QRegularExpression unit(QStringLiteral(R"(\s*[\(\[][^\)\]]*[\)\]]\s*)"));
    static const QRegularExpression gaps(QStringLiteral(R"([\s_\-]+)"));
    QString folded = name.toCaseFolded();
    folded.remove(unit);
    folded.replace(gaps, QStringLiteral(" "));
    return folded.trimmed();
}

int FindCsvColumn(const QStringList& header, const QStringList& candidates) {
    QStringList normalized;
    normalized.reserve(header.size());
    for (const QString& name : header) {
        normalized.append(NormalizedCsvHeader(name));
    }
    for (const QString& candidate : candidates) {
        const int column = static_cast<int>(normalized.indexOf(NormalizedCsvHeader(candidate)));
        if (column >= 0) {
            return column;
        }
    }
    return -1;
}
