#include "reports/SpreadsheetCsv.h"

#include "reports/ReportText.h"
#include "units/NumberInput.h"
#include "units/SafeFormat.h"
#include "units/Units.h"

#include <QDate>
#include <algorithm>
#include <cmath>
#include <cstdlib>

SpreadsheetConventions SpreadsheetConventionsFor(QChar decimalMark) {
    if (decimalMark == u',') {
        return {QChar(u';'), QChar(u',')};
    }
    return {QChar(u','), QChar(u'.')};
}

SpreadsheetConventions CurrentSpreadsheetConventions() {
    return SpreadsheetConventionsFor(CurrentNumberConventions().decimalMark);
}

QString IsoLocalDateTime(int64_t secondsSince1970) {
    const LocalDateTime local = ToLocalDateTime(secondsSince1970);
    // The local reading taken as if it were UTC, less the moment itself, is the offset.
    const int64_t days =
        QDate(local.year, local.month, local.day).toJulianDay() - QDate(1970, 1, 1).toJulianDay();
    const int64_t asUtc = days * 86400 + local.hour * 3600 + local.minute * 60 + local.second;
    const int64_t offset = asUtc - secondsSince1970;
    const int64_t minutes = std::llabs(offset) / 60;
    return SafeFormat(
        QStringLiteral("%04d-%02d-%02dT%02d:%02d:%02d%s%02d:%02d"),
        {local.year, local.month, local.day, local.hour, local.minute, local.second,
         QString(offset < 0 ? u'-' : u'+'), static_cast<int>(minutes / 60), static_cast<int>(minutes % 60)});
}

QString SpreadsheetNumber(double value, QChar decimalMark) {
    if (!std::isfinite(value)) {
        return QString();
    }
    QString text = FormatFixed(value, 6);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0')) {
            text.chop(1);
        }
        if (text.endsWith(u'.')) {
            text.chop(1);
        }
    }
    if (text == u"-0") {
        text = QStringLiteral("0");
    }
    text.replace(u'.', decimalMark);
    return text;
}

QString SpreadsheetDuration(int64_t seconds) {
    const int64_t total = std::max<int64_t>(seconds, 0);
    return SafeFormat(
        QStringLiteral("%d:%02d:%02d"),
        {static_cast<int>(total / 3600), static_cast<int>(total / 60 % 60), static_cast<int>(total % 60)});
}

SpreadsheetCsv::SpreadsheetCsv(SpreadsheetConventions conventions) : m_conventions(conventions) {}

void SpreadsheetCsv::StartCell() {
    if (m_lineStarted) {
        m_text += m_conventions.separator;
    }
    m_lineStarted = true;
}

SpreadsheetCsv& SpreadsheetCsv::Text(QStringView cell) {
    StartCell();
    AppendCsvField(m_text, cell, m_conventions.separator);
    return *this;
}

SpreadsheetCsv& SpreadsheetCsv::Number(std::optional<double> value) {
    StartCell();
    if (value) {
        m_text += SpreadsheetNumber(*value, m_conventions.decimalMark);
    }
    return *this;
}

SpreadsheetCsv& SpreadsheetCsv::EndLine() {
    m_text += u"\r\n";
    m_lineStarted = false;
    return *this;
}

QByteArray SpreadsheetCsv::Bytes() const {
    return QByteArray("\xEF\xBB\xBF") + m_text.toUtf8();
}
