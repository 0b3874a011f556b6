// A memo in an HTML report is written into the page: its text and pictures
// read without a script, and nothing of the stored document can run there.

#include "memo/MemoDocument.h"
#include "reports/ReportMemo.h"
#include "support/ProgramDirectory.h"

#include <gtest/gtest.h>

namespace {

TEST(ReportMemo, ShowsTheDocumentWithItsPicturesAndNothingThatRuns) {
    ProgramDirectory dir;
    const QString document = QStringLiteral(
        "<html><body onload=\"steal()\"><p>Chain <b>waxed</b> &amp; &lt;tyres&gt;</p>"
        "<p>Second line</p><img src=\"data.files/p.png\" width=\"40\" onerror=\"steal()\">"
        "<script>steal()</script><iframe src=\"file:///etc/passwd\"></iframe>"
        "<a href=\"javascript:steal()\">click</a> <a href=\"https://example.org/\">shop</a></body></html>");
    ASSERT_TRUE(dir.WriteFile(QStringLiteral("Rides/7/data.htm"), EncodeMemoDocument(document)));

    const QString markup =
        ReportMemoMarkup(dir.FilePath(QStringLiteral("Rides/7")), u"ignored", u"my%20log.htm.files/7");
    EXPECT_TRUE(markup.contains(u"Chain")) << markup.toStdString();
    EXPECT_TRUE(markup.contains(u"waxed"));
    EXPECT_TRUE(markup.contains(u"&amp; &lt;tyres&gt;"));
    EXPECT_TRUE(markup.contains(u"Second line"));
    EXPECT_TRUE(markup.contains(u"src=\"my%20log.htm.files/7/data.files/p.png\""));
    EXPECT_TRUE(markup.contains(u"href=\"https://example.org/\""));
    // A face a browser knows, with a generic family after it, never Qt's own "Sans Serif".
    EXPECT_TRUE(markup.contains(u", sans-serif;")) << markup.toStdString();
    EXPECT_FALSE(markup.contains(u"'Sans Serif'"));
    for (const char16_t* banned : {u"steal", u"<script", u"<iframe", u"javascript:", u"onload", u"onerror",
                                   u"passwd", u"<body", u"<html"}) {
        EXPECT_FALSE(markup.contains(QStringView(banned), Qt::CaseInsensitive)) << markup.toStdString();
    }

    // Without a document, the record's plain memo text, line by line and escaped.
    EXPECT_EQ(ReportMemoMarkup(dir.FilePath(QStringLiteral("Rides/8")), u"Two <b>\r\nlines", u"x/8"),
              QStringLiteral("Two &lt;b&gt;<br>\r\nlines"));
}

}  // namespace
