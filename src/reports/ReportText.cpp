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

void AppendCsvField(QString& out, QStringView cell) {
    bool needsQuotes = false;
    for (const QChar c : cell) {
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n') {
            needsQuotes = true;
            break;
        }
    }
    if (!needsQuotes) {
        out += cell;
        return;
    }
    out += u'"';
    AppendCsvQuoted(out, cell);
    out += u'"';
}

void AppendCsvQuoted(QString& out, QStringView text) {
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
