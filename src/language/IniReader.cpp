#include "language/IniReader.h"

#include <QFile>
#include <QStringDecoder>

namespace {

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == u'\r';
}

QString TrimBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    return text.mid(begin, end - begin).toString();
}

// Cuts text to at most maxChars UTF-16 characters without leaving half of a
// surrogate pair at the end, which would show as a broken glyph.
QString CutText(const QString& text, qsizetype maxChars) {
    if (maxChars <= 0) {
        return {};
    }
    if (text.size() <= maxChars) {
        return text;
    }
    qsizetype length = maxChars;
    if (text[length - 1].isHighSurrogate()) {
        --length;
    }
    return text.left(length);
}

// Fits names into a list buffer the way the profile reader does: every name
// takes its length plus one terminator, and one more terminator closes the
// list. The first name that does not fit whole is cut to what is left.
QStringList FitNameList(const QStringList& names, int bufferChars) {
    QStringList fitted;
    qsizetype used = 0;
    for (const QString& name : names) {
        if (used + name.size() + 2 <= bufferChars) {
            fitted.append(name);
            used += name.size() + 1;
            continue;
        }
        const qsizetype room = bufferChars - used - 2;
        if (room > 0) {
            fitted.append(CutText(name, room));
        }
        break;
    }
    return fitted;
}

}  // namespace

QString DecodeIniText(const QByteArray& bytes) {
    const auto startsWith = [&bytes](std::initializer_list<unsigned char> mark) {
        if (bytes.size() < static_cast<qsizetype>(mark.size())) {
            return false;
        }
        qsizetype i = 0;
        for (unsigned char b : mark) {
            if (static_cast<unsigned char>(bytes[i++]) != b) {
                return false;
            }
        }
        return true;
    };
    if (startsWith({0xEF, 0xBB, 0xBF})) {
        return QString::fromUtf8(bytes.mid(3));
    }
    if (startsWith({0xFF, 0xFE})) {
        QStringDecoder decoder(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless);
        return decoder(bytes.mid(2));
    }
    if (startsWith({0xFE, 0xFF})) {
        QStringDecoder decoder(QStringConverter::Utf16BE, QStringConverter::Flag::Stateless);
        return decoder(bytes.mid(2));
    }
    // Text saved as UTF-16 without a mark (some editors' "Unicode" without
    // BOM): 8-bit text never holds a zero byte, UTF-16 holds one in nearly
    // every character of a Latin-script file. The side the zeros fall on
    // tells the byte order.
    if (bytes.contains('\0')) {
        qsizetype evenZeros = 0;
        qsizetype oddZeros = 0;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\0') {
                ++(i % 2 == 0 ? evenZeros : oddZeros);
            }
        }
        QStringDecoder decoder(oddZeros >= evenZeros ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                               QStringConverter::Flag::Stateless);
        return decoder(bytes);
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    return QString::fromLatin1(bytes);
}

IniFile IniFile::Read(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return Parse(file.readAll());
}

IniFile IniFile::Parse(const QByteArray& bytes) {
    IniFile ini;
    const QString text = DecodeIniText(bytes);
    Section* current = nullptr;

    qsizetype lineStart = 0;
    while (lineStart < text.size()) {
        qsizetype lineEnd = lineStart;
        while (lineEnd < text.size() && text[lineEnd] != u'\n' && text[lineEnd] != u'\r') {
            ++lineEnd;
        }
        const QString line = TrimBlanks(QStringView(text).mid(lineStart, lineEnd - lineStart));
        lineStart = lineEnd + 1;

        if (line.isEmpty() || line.startsWith(u';')) {
            continue;
        }
        if (line.startsWith(u'[')) {
            const qsizetype close = line.lastIndexOf(u']');
            if (close > 0) {
                ini.m_sections.push_back({line.mid(1, close - 1), {}});
                current = &ini.m_sections.back();
            }
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (current == nullptr || equals < 0) {
            continue;
        }
        QString key = TrimBlanks(QStringView(line).left(equals));
        if (key.isEmpty()) {
            // An empty name would end the zero-separated key list early; it
            // can never be looked up anyway.
            continue;
        }
        current->entries.emplace_back(std::move(key), TrimBlanks(QStringView(line).mid(equals + 1)));
    }
    return ini;
}

const IniFile::Section* IniFile::FindSection(const QString& name) const {
    for (const Section& section : m_sections) {
        if (section.name == name) {
            return &section;
        }
    }
    return nullptr;
}

QStringList IniFile::SectionNames(int bufferChars) const {
    QStringList names;
    for (const Section& section : m_sections) {
        // An empty name would read as the end of the list.
        if (!section.name.isEmpty()) {
            names.append(section.name);
        }
    }
    return FitNameList(names, bufferChars);
}

QStringList IniFile::KeyNames(const QString& section, int bufferChars) const {
    const Section* found = FindSection(section);
    if (found == nullptr) {
        return {};
    }
    QStringList names;
    for (const auto& [key, value] : found->entries) {
        names.append(key);
    }
    return FitNameList(names, bufferChars);
}

QString IniFile::Value(const QString& section, const QString& key, int bufferChars) const {
    const Section* found = FindSection(section);
    if (found == nullptr) {
        return {};
    }
    for (const auto& [name, value] : found->entries) {
        if (name != key) {
            continue;
        }
        QString text = value;
        if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"')) {
            text = text.mid(1, text.size() - 2);
        }
        return CutText(text, bufferChars - 1);
    }
    return {};
}
