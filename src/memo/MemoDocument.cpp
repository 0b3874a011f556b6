#include "memo/MemoDocument.h"

#include "platform/Files.h"
#include "units/Units.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QUrl>

namespace {
void AppendUtf16Le(QByteArray& bytes, const QString& text) {
    bytes.reserve(bytes.size() + 2 * text.size());
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        bytes.append(static_cast<char>(unit & 0xFF));
        bytes.append(static_cast<char>(unit >> 8));
    }
}
}  // namespace

QString MemoDocumentPath(const QString& folder) {
    return QDir(folder).filePath(QLatin1String(kMemoDocumentName));
}

QString MemoPictureFolderPath(const QString& folder) {
    return QDir(folder).filePath(QLatin1String(kMemoPictureFolderName));
}

QString MemoPicturePath(const QString& folder, const QString& fileName) {
    return QDir(MemoPictureFolderPath(folder)).filePath(fileName);
}

QString DecodeMemoDocument(const QByteArray& bytes) {
    // Only the byte-order mark decides; FF FE 00 00 is a UTF-16 document
    // holding just its NUL, not UTF-32. Documents without a mark come from
    // editors that write UTF-8, whatever their meta tag claims.
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    if (bytes.startsWith("\xFF\xFE")) {
        encoding = QStringConverter::Utf16LE;
    } else if (bytes.startsWith("\xFE\xFF")) {
        encoding = QStringConverter::Utf16BE;
    }
    QStringDecoder decoder(encoding);  // skips the byte-order mark
    QString text = decoder(bytes);
    // Saved documents end in one NUL character; a reader must not show it.
    while (!text.isEmpty() && text.back() == QChar(0)) {
        text.chop(1);
    }
    return text;
}

QByteArray EncodeMemoDocument(const QString& markup) {
    QByteArray bytes("\xFF\xFE", 2);
    AppendUtf16Le(bytes, markup);
    bytes.append(2, '\0');
    return bytes;
}

QByteArray EncodePlainTextMemo(const QString& text) {
    QString body;
    body.reserve(text.size() + 32);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            body += QLatin1String("<br>");
            ++i;
        } else if (c == u'&') {
            body += QLatin1String("&amp;");
        } else if (c == u'<') {
            body += QLatin1String("&lt;");
        } else if (c == u'>') {
            body += QLatin1String("&gt;");
        } else {
            body += c;
        }
    }
    QByteArray bytes("\xFF\xFE", 2);
    AppendUtf16Le(bytes, QLatin1String("<html><body>") + body + QLatin1String("</body></html>"));
    return bytes;
}

bool StartMemoFromPlainText(const QString& folder, const QString& memoText) {
    return WriteFileReplacing(MemoDocumentPath(folder), EncodePlainTextMemo(memoText));
}

QString MakePictureSourcesRelative(const QString& markup, const QStringList& sources) {
    QString result = markup;
    const QString reference = QLatin1String(kMemoPictureReference);
    for (const QString& address : sources) {
        const qsizetype at = address.indexOf(reference);
        if (at < 0) {
            continue;
        }
        const QString shortForm = address.mid(at);
        result.replace(address, shortForm);
        // Attribute values may come out with &, < and > as entities.
        const QString escaped = address.toHtmlEscaped();
        if (escaped != address) {
            result.replace(escaped, shortForm.toHtmlEscaped());
        }
    }
    return result;
}

bool IsPictureFileInUse(const QString& fileName, const QStringList& sources) {
    for (const QString& address : sources) {
        if (address.indexOf(fileName, 1) > 0) {
            return true;
        }
        // The view loads "my%20pic.jpg" from the file "my pic.jpg"; a file it
        // shows is in use however its address spells it.
        if (address.contains(QLatin1Char('%')) &&
            QUrl::fromPercentEncoding(address.toUtf8()).indexOf(fileName, 1) > 0) {
            return true;
        }
    }
    return false;
}

void RemoveUnusedPictureFiles(const QString& folder, const QStringList& sources) {
    const QDir pictures(MemoPictureFolderPath(folder));
    if (!pictures.exists()) {
        return;
    }
    const QStringList names = pictures.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!IsPictureFileInUse(name, sources)) {
            QFile::remove(pictures.filePath(name));
        }
    }
}

QString CopyPictureIntoMemo(const QString& folder, const QString& sourcePath) {
    const QString fileName = GetFileNamePart(sourcePath);
    if (folder.isEmpty() || fileName.isEmpty()) {
        return {};
    }
    if (!QDir().mkpath(MemoPictureFolderPath(folder))) {
        return {};
    }
    const QString target = MemoPicturePath(folder, fileName);
    // Picking the picture that is already in the memo folder must not empty it.
    if (QFileInfo(sourcePath).canonicalFilePath() == QFileInfo(target).canonicalFilePath() &&
        QFileInfo::exists(target)) {
        return target;
    }
    return CopyFileReplacing(sourcePath, target) ? target : QString();
}
