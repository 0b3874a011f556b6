#pragma once
// The "HTML Format" clipboard block that other programs (word processors,
// mail clients) read formatted text from: a fixed header with four byte
// offsets, then the fragment wrapped in a minimal document, all UTF-8.

#include <QByteArray>
#include <QString>

// The MIME type under which Qt hands a block to the "HTML Format" clipboard
// format on platforms that have it.
inline constexpr char kHtmlFormatMimeType[] = "application/x-qt-windows-mime;value=\"HTML Format\"";

// The header's fields.
struct HtmlClipboardOffsets {
    unsigned startHtml = 0;
    unsigned endHtml = 0;
    unsigned startFragment = 0;
    unsigned endFragment = 0;
};

// Builds the block for a fragment of markup: the header with its offsets
// filled in, "<html><body>", the fragment between its two comments, and the
// closing tags. No terminating zero.
QByteArray BuildHtmlClipboardBlock(const QString& markup);

// Reads the four offsets back out of a block's header (zero where absent).
HtmlClipboardOffsets ReadHtmlClipboardOffsets(const QByteArray& block);

// Replaces the clipboard's content with the block for markup, the markup
// itself as text/html and text as plain text.
void PutHtmlOnClipboard(const QString& markup, const QString& text);
