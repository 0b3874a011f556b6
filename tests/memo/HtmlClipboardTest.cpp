// The "HTML Format" block: its header offsets, and what lands on the clipboard.

#include "memo/HtmlClipboard.h"

#include <gtest/gtest.h>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

TEST(HtmlClipboardBlock, BoldXHasTheKnownOffsets) {
    const QByteArray block = BuildHtmlClipboardBlock(QStringLiteral("<b>x</b>"));
    EXPECT_EQ(block, QByteArray("Version:0.9\r\nStartHTML:00000097\r\nEndHTML:00000180\r\n"
                                "StartFragment:00000132\r\nEndFragment:00000144\r\n"
                                "<html><body>\r\n<!--StartFragment -->\r\n<b>x</b>\r\n"
                                "<!--EndFragment-->\r\n</body>\r\n</html>"));
    const HtmlClipboardOffsets offsets = ReadHtmlClipboardOffsets(block);
    EXPECT_EQ(offsets.startHtml, 97u);
    EXPECT_EQ(offsets.endHtml, 180u);
    EXPECT_EQ(offsets.startFragment, 132u);
    EXPECT_EQ(offsets.endFragment, 144u);
    EXPECT_EQ(block.mid(offsets.startHtml, 6), QByteArray("<html>"));
    EXPECT_EQ(block.mid(offsets.endFragment, 18), QByteArray("<!--EndFragment-->"));
}

TEST(HtmlClipboardBlock, OffsetsCountUtf8Bytes) {
    // Nine characters but twelve UTF-8 bytes (two for the e acute, three for
    // the euro sign): four bytes more than the bold x.
    const QString markup = QStringLiteral("<b>\u00e9\u20ac</b>");
    ASSERT_EQ(markup.toUtf8().size(), 12);
    const HtmlClipboardOffsets offsets = ReadHtmlClipboardOffsets(BuildHtmlClipboardBlock(markup));
    EXPECT_EQ(offsets.startHtml, 97u);
    EXPECT_EQ(offsets.startFragment, 132u);
    EXPECT_EQ(offsets.endFragment, 144u + 4);
    EXPECT_EQ(offsets.endHtml, 180u + 4);
    EXPECT_EQ(static_cast<unsigned>(BuildHtmlClipboardBlock(markup).size()), offsets.endHtml);
}

TEST(HtmlClipboardBlock, PutsBlockFragmentAndTextOnTheClipboard) {
    PutHtmlOnClipboard(QStringLiteral("<b>x</b>"), QStringLiteral("x"));
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->data(QLatin1String(kHtmlFormatMimeType)),
              BuildHtmlClipboardBlock(QStringLiteral("<b>x</b>")));
    EXPECT_EQ(data->html(), QStringLiteral("<b>x</b>"));
    EXPECT_EQ(data->text(), QStringLiteral("x"));
}

}  // namespace
