#include "memo/HtmlClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <cstdio>

namespace {
constexpr char kHeader[] =
    "Version:0.9\r\nStartHTML:00000000\r\nEndHTML:00000000\r\n"
    "StartFragment:00000000\r\nEndFragment:00000000\r\n";
constexpr char kDocumentStart[] = "<html><body>\r\n<!--StartFragment -->";
constexpr char kFragmentEnd[] = "<!--EndFragment-->";
constexpr char kDocumentEnd[] = "\r\n</body>\r\n</html>";

// Writes value as eight zero-padded digits over the eight zeros that follow
// field in the header.
void FillField(QByteArray& block, const char* field, qsizetype value) {
    const qsizetype at = block.indexOf(field);
    if (at < 0) {
        return;
    }
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08u", static_cast<unsigned>(value));
    // A block of 100 MB or more would need a ninth digit; keep the header's
    // shape rather than shift every offset behind it.
    block.replace(at + qstrlen(field), 8, QByteArray(digits).right(8));
}

unsigned ReadField(const QByteArray& block, const char* field) {
    const qsizetype at = block.indexOf(field);
    if (at < 0) {
        return 0;
    }
    return block.mid(at + qstrlen(field), 8).toUInt();
}
}  // namespace

QByteArray BuildHtmlClipboardBlock(const QString& markup) {
    QByteArray block(kHeader);
    const qsizetype startHtml = block.size();
    block += kDocumentStart;
    const qsizetype startFragment = block.size();
    block += "\r\n";
    block += markup.toUtf8();
    block += "\r\n";
    const qsizetype endFragment = block.size();
    block += kFragmentEnd;
    block += kDocumentEnd;

    FillField(block, "StartHTML:", startHtml);
    FillField(block, "EndHTML:", block.size());
    FillField(block, "StartFragment:", startFragment);
    FillField(block, "EndFragment:", endFragment);
    return block;
}

HtmlClipboardOffsets ReadHtmlClipboardOffsets(const QByteArray& block) {
    return {ReadField(block, "StartHTML:"), ReadField(block, "EndHTML:"), ReadField(block, "StartFragment:"),
            ReadField(block, "EndFragment:")};
}

void PutHtmlOnClipboard(const QString& markup, const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        return;
    }
    auto* data = new QMimeData;
    data->setData(QLatin1String(kHtmlFormatMimeType), BuildHtmlClipboardBlock(markup));
    data->setHtml(markup);
    data->setText(text);
    clipboard->setMimeData(data);  // takes ownership, replacing the old content
}
