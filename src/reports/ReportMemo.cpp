#include "reports/ReportMemo.h"

#include "memo/HtmlView.h"
#include "memo/MemoDocument.h"
#include "reports/ReportText.h"

#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QUrl>

namespace {

// A memo document far larger than any typed one is shown as its plain text:
// reading it into a document would only stall the report.
constexpr qint64 kMaxReportedDocumentBytes = qint64{16} * 1024 * 1024;

QString PlainMemoMarkup(QStringView text) {
    QString markup;
    const QStringList lines = text.toString().split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            markup += u"<br>\r\n";
        }
        AppendHtmlEscaped(markup, QStringView(lines[i]).trimmed());
    }
    return markup;
}

bool SafeLink(const QString& href) {
    const QString scheme = QUrl(href).scheme().toLower();
    return scheme == u"http" || scheme == u"https" || scheme == u"mailto";
}

// Links that could run something when clicked (javascript:, file:, data:)
// lose their address and keep their text.
void DropUnsafeLinks(QTextDocument* document) {
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextFragment piece = fragment.fragment();
            QTextCharFormat format = piece.charFormat();
            if (!format.isAnchor() || SafeLink(format.anchorHref())) {
                continue;
            }
            format.setAnchor(false);
            format.setAnchorHref(QString());
            QTextCursor cursor(document);
            cursor.setPosition(piece.position());
            cursor.setPosition(piece.position() + piece.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

// The contents of the written page's body, in a block that carries the
// body's own style (the memo's font).
QString BodyOf(const QString& html) {
    const qsizetype bodyTag = html.indexOf(u"<body");
    const qsizetype contentStart = bodyTag < 0 ? -1 : html.indexOf(u'>', bodyTag);
    const qsizetype contentEnd = html.lastIndexOf(u"</body>");
    if (contentStart < 0 || contentEnd < contentStart) {
        return QString();
    }
    QString style;
    const qsizetype styleStart = html.indexOf(u"style=\"", bodyTag);
    if (styleStart >= 0 && styleStart < contentStart) {
        const qsizetype valueStart = styleStart + 7;
        style = html.mid(valueStart, html.indexOf(u'"', valueStart) - valueStart);
        static const QRegularExpression family(QStringLiteral("(font-family:[^;]*)"));
        style.replace(family, QStringLiteral("\\1, sans-serif"));
    }
    return QStringLiteral("<div style=\"%1\">").arg(style) +
           QStringView(html).mid(contentStart + 1, contentEnd - contentStart - 1).trimmed() +
           QStringLiteral("</div>");
}

}  // namespace

QString ReportMemoMarkup(const QString& memoFolder, QStringView memoText, QStringView pictureFolder) {
    QFile file(MemoDocumentPath(memoFolder));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxReportedDocumentBytes) {
        return PlainMemoMarkup(memoText);
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return PlainMemoMarkup(memoText);
    }
    QTextDocument document;
    HtmlView::FillDocument(&document, DecodeMemoDocument(bytes));
    // The reader's default face is often a name only Qt knows ("Sans
    // Serif"), which a browser replaces by its serif face: name the face it
    // stands for here, with the generic family after it.
    QFont face = document.defaultFont();
    face.setFamilies({QFontInfo(face).family()});
    document.setDefaultFont(face);
    DropUnsafeLinks(&document);
    QString markup = BodyOf(document.toHtml());
    if (markup.isEmpty()) {
        return PlainMemoMarkup(memoText);
    }
    // The reader writes a picture's address as the document gave it; the
    // memo's own pictures live in the copy of its folder beside the page.
    const QString prefix = pictureFolder.toString() + u'/';
    markup.replace(QStringLiteral("src=\"data.files/"), QStringLiteral("src=\"") + prefix + u"data.files/");
    return markup;
}
