#include "reports/ReportText.h"

#include "platform/Files.h"

#include <QtEndian>

ReportText::ReportText(qsizetype expectedCharacters) {
    m_text.reserve(expectedCharacters);
}

ReportText& ReportText::Write(QStringView text) {
    m_text += text;
    return *this;
}

ReportText& ReportText::Line(QStringView text) {
    m_text += text;
    m_text += u"\r\n";
    return *this;
}

ReportText& ReportText::Template(QStringView templateText, std::initializer_list<QStringView> args) {
    AppendTemplate(m_text, templateText, args);
    return *this;
}

ReportText& ReportText::CsvField(QStringView cell) {
    AppendCsvField(m_text, cell);
    return *this;
}

QByteArray ReportText::Bytes() const {
    return EncodeReport(m_text);
}

bool ReportText::WriteTo(const QString& path) const {
    return WriteFileReplacing(path, Bytes());
}

QByteArray EncodeReport(QStringView text) {
    QByteArray bytes(2 + 2 * text.size(), Qt::Uninitialized);
    bytes[0] = '\xFF';
    bytes[1] = '\xFE';
    // One pass over the characters; on a little-endian machine it is a copy.
    if (!text.isEmpty()) {
        qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data() + 2);
    }
    return bytes;
}

void AppendTemplate(QString& out, QStringView templateText, std::initializer_list<QStringView> args) {
    auto next = args.begin();
    qsizetype i = 0;
    const qsizetype size = templateText.size();
    while (i < size) {
        const QChar c = templateText[i];
        if (c == u'$') {
            if (next != args.end()) {
                out += *next++;
            }
            ++i;
        } else if (c == u'%' && i + 1 < size && templateText[i + 1] == u'%') {
            out += u'%';
            i += 2;
        } else {
            qsizetype end = i + 1;
            while (end < size && templateText[end] != u'$' && templateText[end] != u'%') {
                ++end;
            }
            out += templateText.sliced(i, end - i);
            i = end;
        }
    }
}

QString FillTemplate(QStringView templateText, std::initializer_list<QStringView> args) {
    QString out;
    out.reserve(templateText.size() + 64);
    AppendTemplate(out, templateText, args);
    return out;
}

namespace {

bool IsFormulaStart(QChar c) {
    return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r';
}

// A number as the reports write it: a sign, digits with ".", "," or ":"
// between them, perhaps followed straight by a unit word ("-12.50",
// "-3.00km/h", "-1:05:00"). A spreadsheet reads it as a number or as plain
// text, never as a formula, so it keeps its sign as it is.
bool IsNumberCell(QStringView cell) {
    qsizetype i = (cell.startsWith(u'-') || cell.startsWith(u'+')) ? 1 : 0;
    if (i >= cell.size() || !cell[i].isDigit()) {
        return false;
    }
    while (i < cell.size() && (cell[i].isDigit() || cell[i] == u'.' || cell[i] == u',' || cell[i] == u':')) {
        ++i;
    }
    for (; i < cell.size(); ++i) {
        const QChar c = cell[i];
        if (!c.isLetter() && c != u' ' && c != u'/' && c != u'%' && c != u'\u00B0' &&
            c.category() != QChar::Symbol_Currency) {
            return false;
        }
    }
    return true;
}

// A spreadsheet that opens the file evaluates a cell beginning like a
// formula: such text is kept text by a leading apostrophe.
bool NeedsFormulaGuard(QStringView cell) {
    return !cell.isEmpty() && IsFormulaStart(cell.front()) && !IsNumberCell(cell);
}

}  // namespace

void AppendCsvField(QString& out, QStringView cell) {
    AppendCsvField(out, cell, QChar(u','));
}

void AppendCsvField(QString& out, QStringView cell, QChar separator) {
    bool needsQuotes = false;
    for (const QChar c : cell) {
        if (c == separator || c == u'"' || c == u'\r' || c == u'\n') {
            needsQuotes = true;
            break;
        }
    }
    if (!needsQuotes) {
        if (NeedsFormulaGuard(cell)) {
            out += u'\'';
        }
        out += cell;
        return;
    }
    out += u'"';
    AppendCsvQuoted(out, cell);
    out += u'"';
}

void AppendCsvQuoted(QString& out, QStringView text) {
    if (NeedsFormulaGuard(text)) {
        out += u'\'';
    }
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'"') {
            out += text.sliced(start, i + 1 - start);
            out += u'"';
            start = i + 1;
        }
    }
    out += text.sliced(start);
}

QString WithoutCsvFormulaGuard(QStringView cell) {
    if (cell.size() > 1 && cell.front() == u'\'' && NeedsFormulaGuard(cell.sliced(1))) {
        return cell.sliced(1).toString();
    }
    return cell.toString();
}

void AppendHtmlEscaped(QString& out, QStringView text) {
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const char16_t* entity = nullptr;
        switch (c) {
            case u'&':
                entity = u"&amp;";
                break;
            case u'<':
                entity = u"&lt;";
                break;
            case u'>':
                entity = u"&gt;";
                break;
            case u'"':
                entity = u"&quot;";
                break;
            default:
                continue;
        }
        out += text.sliced(start, i - start);
        out += QStringView(entity);
        start = i + 1;
    }
    out += text.sliced(start);
}

QString HtmlEscape(QStringView text) {
    QString out;
    out.reserve(text.size());
    AppendHtmlEscaped(out, text);
    return out;
}

QString HtmlLinkName(QStringView fileName) {
    QString address;
    address.reserve(fileName.size());
    for (const QChar c : fileName) {
        switch (c.unicode()) {
            case u'%':
                address += u"%25";
                break;
            case u'#':
                address += u"%23";
                break;
            case u'?':
                address += u"%3F";
                break;
            default:
                address += c;
        }
    }
    return HtmlEscape(address);
}
