#include "memo/MemoDocument.h"

#include "memo/HtmlMarkup.h"
#include "platform/Files.h"
#include "units/Units.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>
#include <algorithm>

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

QString MemoSourceFolderPath(const QString& folder) {
    return QDir(folder).filePath(QLatin1String(kMemoSourceFolderName));
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

QString ResolveMemoAddress(const QString& folder, const QString& address) {
    // A "#" or "?" in a file name reads as fragment or query; they belong to
    // the name.
    const auto pathOf = [](const QUrl& url, const QString& path) {
        QString full = path;
        if (url.hasQuery()) {
            full += QLatin1Char('?') + url.query(QUrl::FullyDecoded);
        }
        if (url.hasFragment()) {
            full += QLatin1Char('#') + url.fragment(QUrl::FullyDecoded);
        }
        return full;
    };
    if (address.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(address);
        return pathOf(url, url.toLocalFile());
    }
    if (QDir::isAbsolutePath(address) || folder.isEmpty()) {
        return address;
    }
    // Anything with a scheme of its own (http:, data:) is not a file of ours.
    const qsizetype colon = address.indexOf(QLatin1Char(':'));
    if (colon > 1 && address.left(colon).indexOf(QLatin1Char('/')) < 0) {
        return address;
    }
    const QUrl url(address);
    return QDir::cleanPath(folder + QLatin1Char('/') + pathOf(url, url.path(QUrl::FullyDecoded)));
}

QString PictureReferenceInMarkup(const QString& fileName) {
    QString name;
    name.reserve(fileName.size() + 8);
    for (const QChar c : fileName) {
        // Read as a URL, these would end the path or start an escape.
        if (c == u'%' || c == u'#' || c == u'?') {
            name += QString::asprintf("%%%02X", c.unicode());
        } else {
            name += c;
        }
    }
    return QString(QLatin1String(kMemoPictureReference) + name).toHtmlEscaped();
}

QString MakePictureSourcesRelative(const QString& markup, const QString& folder) {
    if (folder.isEmpty()) {
        return markup;
    }
    const QString ownPictures = QDir::cleanPath(MemoPictureFolderPath(folder)) + QLatin1Char('/');
    // The view writes every attribute as name="value" with &, <, > and " as
    // references.
    static const QRegularExpression kAttribute(QStringLiteral("\\b(src|href|background)=\"([^\"]*)\""),
                                               QRegularExpression::CaseInsensitiveOption);
    QString result;
    result.reserve(markup.size());
    qsizetype copied = 0;
    QRegularExpressionMatchIterator matches = kAttribute.globalMatch(markup);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        const QString address = DecodeHtmlEntities(match.capturedView(2));
        const bool absolute =
            address.startsWith(QLatin1String("file:"), Qt::CaseInsensitive) || QDir::isAbsolutePath(address);
        if (!absolute) {
            continue;
        }
        const QString path = QDir::cleanPath(ResolveMemoAddress(folder, address));
        if (!path.startsWith(ownPictures) || path.size() == ownPictures.size()) {
            continue;
        }
        result += QStringView(markup).mid(copied, match.capturedStart(2) - copied);
        result += PictureReferenceInMarkup(path.mid(ownPictures.size()));
        copied = match.capturedEnd(2);
    }
    result += QStringView(markup).mid(copied);
    return result;
}

namespace {
bool IsAscii(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// One spelling for comparing: case folded, accents composed (names copied
// from a Mac come decomposed).
QString Comparable(const QString& text) {
    QString folded = text.toCaseFolded();
    return IsAscii(folded) ? folded : folded.normalized(QString::NormalizationForm_C);
}
}  // namespace

MemoReferences::MemoReferences(const QString& markup, const QStringList& addresses) {
    QString text = MarkupReferenceText(markup);
    for (const QString& address : addresses) {
        text += address;
        text += QLatin1Char('\n');
    }
    AddForm(text);
    const QString decoded = DecodeHtmlEntities(text);
    AddForm(decoded);
    if (decoded.contains(QLatin1Char('%'))) {
        const QByteArray bytes = QByteArray::fromPercentEncoding(decoded.toUtf8());
        AddForm(QString::fromUtf8(bytes));
        // Pages saved on Windows escape their 8-bit code page, not UTF-8.
        AddForm(QString::fromLatin1(bytes));
    }
}

void MemoReferences::AddForm(const QString& text) {
    QString form = Comparable(text);
    if (!m_forms.contains(form)) {
        m_forms.append(std::move(form));
    }
}

bool MemoReferences::Uses(const QString& fileName) const {
    if (fileName.isEmpty()) {
        return true;
    }
    const QString name = Comparable(fileName);
    return std::any_of(m_forms.begin(), m_forms.end(),
                       [&name](const QString& form) { return form.contains(name); });
}

void RemoveUnusedPictureFiles(const QString& folder, const MemoReferences& references) {
    if (folder.isEmpty()) {
        return;
    }
    const QString picturesPath = MemoPictureFolderPath(folder);
    const QFileInfo picturesInfo(picturesPath);
    // A link here would lead the deletions into whatever folder it names.
    if (picturesInfo.isSymLink() || picturesInfo.isJunction() || !picturesInfo.isDir()) {
        return;
    }
    const QDir pictures(picturesPath);
    const QFileInfoList entries = pictures.entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries) {
        // Links are the rider's own doing: neither they nor what they lead
        // to are ours to delete.
        if (entry.isSymLink() || entry.isJunction()) {
            continue;
        }
        if (!references.Uses(entry.fileName())) {
            QFile::remove(entry.absoluteFilePath());
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
