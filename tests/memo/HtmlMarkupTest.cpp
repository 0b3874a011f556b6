// Reading markup as the memo view does: character references, how deep the
// view would nest it, and the simplified copy that the view can lay out
// quickly and that still holds every word.

#include "memo/HtmlMarkup.h"

#include <gtest/gtest.h>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <vector>

namespace {

QString Repeat(const QString& text, int times) {
    QString result;
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

// What the view's reader makes of markup, as text and as its deepest tables.
struct Read {
    QString text;
    int tables = 0;
};
Read ReadAsTheViewDoes(const QString& markup) {
    QTextDocument document;
    document.setPageSize(QSizeF(0, 0));  // never laid out
    document.setHtml(markup);
    Read read{document.toPlainText(), 0};
    std::vector<std::pair<const QTextFrame*, int>> pending{{document.rootFrame(), 0}};
    while (!pending.empty()) {
        const auto [frame, depth] = pending.back();
        pending.pop_back();
        read.tables = std::max(read.tables, depth);
        for (const QTextFrame* child : frame->childFrames()) {
            pending.emplace_back(child, depth + (qobject_cast<const QTextTable*>(child) ? 1 : 0));
        }
    }
    return read;
}

QStringList Words(const QString& text) {
    return text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

TEST(HtmlMarkup, ResolvesCharacterReferences) {
    const struct {
        const char* written;
        const char* read;
    } cases[] = {
        {"a&amp;b", "a&b"},
        {"&lt;p&gt; &quot;x&quot; &apos;", "<p> \"x\" '"},
        {"&eacute;t&eacute; &Auml; &yuml; &nbsp;", "\u00e9t\u00e9 \u00c4 \u00ff \u00a0"},
        {"&#112;&#x69;&#X63; &#x1F6B2;", "pic \U0001F6B2"},
        {"&euro;&mdash;&hellip;", "\u20ac\u2014\u2026"},
        // Not references: left exactly as written.
        {"a&b &amp b &unknown; &#; &#xZZ; &#0; &#xD800; &#x110000; &",
         "a&b &amp b &unknown; &#; &#xZZ; &#0; "
         "&#xD800; &#x110000; &"},
        {"&amp;amp;", "&amp;"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeHtmlEntities(QString::fromUtf8(c.written)), QString::fromUtf8(c.read)) << c.written;
    }
}

TEST(HtmlMarkup, MeasuresTheNestingTheViewBuilds) {
    const struct {
        const char* markup;
        int tables;
        int elements;
    } cases[] = {
        {"plain text", 0, 0},
        {"<p>a<p>b<p>c</p>", 0, 1},                     // a paragraph ends the one before
        {"<p><b>a<p>b<p>c", 0, 2},                      // also from inside bold text
        {"<ul><li>a<li>b<li>c</ul>", 0, 2},             // so does a list item
        {"<div><div><div>x</div></div></div>", 0, 3},   //
        {"<font><font><font>x", 0, 3},                  // never closed: still open
        {"<b>x</b></b></b><b>y", 0, 1},                 // stray end tags are ignored
        {"<table><tr><td>x</td></tr></table>", 1, 3},   //
        {"<td>x<td>y<td>z", 1, 3},                      // a lone cell makes its own table and row
        {"<table><td><table><td>x", 3, 5},              // ...even inside a table
        {"<t&#97;ble><tr><td>x", 1, 3},                 // names are read with their references
        {"<TABLE><TR><TD>x", 1, 3},                     //
        {"< table ><tr><td>x", 1, 3},                   // blanks before the name
        {"<!-- <table><table> -->x<!x<table>", 0, 0},   // comments and declarations hide tags
        {"<img><br><hr><meta>", 0, 0},                  // elements without content
        {"<input><input><link>", 0, 3},                 // other empty elements nest in the view
        {"<b/><i/>x", 0, 0},                            // closed by "/"
        {"<a title=\"<table>\" href='x'>x", 0, 1},      // quoted values are not tags
        {"1 <5 km> <6 km>", 0, 2},                      // any "<" opens a tag
        {"1 <5 km <6 km", 0, 1},                        // ...running to the next ">"
        {"<style>p { x: \"<table>\" }</style>", 1, 2},  // style sheets are no shelter
        {"<dl><dt>a<dd>b<dt>c</dl>", 0, 2},             //
    };
    for (const auto& c : cases) {
        const MarkupNesting nesting = MeasureMarkupNesting(QString::fromUtf8(c.markup));
        EXPECT_EQ(nesting.tables, c.tables) << c.markup;
        EXPECT_EQ(nesting.elements, c.elements) << c.markup;
    }
    // The tables the view finally makes are never more than counted (the
    // count errs on the deep side: some it does not make after all).
    for (const auto& c : cases) {
        EXPECT_LE(ReadAsTheViewDoes(QString::fromUtf8(c.markup)).tables, c.tables) << c.markup;
    }
}

TEST(HtmlMarkup, MarkupWithinTheLimitsIsLeftAlone) {
    const QString markup = QStringLiteral(
        "<html><body><table width=\"100%\"><tr><td><table><tr><td><table border=1><tr><td>deep</td>"
        "<td>x</td></tr></table></td></tr></table></td></tr></table><p>after</p></body></html>");
    EXPECT_EQ(SimplifyMarkup(markup), markup);
    EXPECT_NE(SimplifyMarkup(markup, MarkupLimits{2, 64}), markup);
    // Pasted into a cell, the cell's tables count as well.
    EXPECT_NE(SimplifyMarkup(markup, MarkupLimits{}, 1), markup);
}

TEST(HtmlMarkup, DeepTablesBecomeBlocksWithEveryWord) {
    struct Case {
        const char* what;
        QString markup;
    };
    const Case cases[] = {
        {"thousands of levels",
         QStringLiteral("<html><body>") + Repeat(QStringLiteral("<table><tr><td>x "), 2000) +
             QStringLiteral("end") + Repeat(QStringLiteral("</td></tr></table>"), 2000)},
        {"levels without end tags", Repeat(QStringLiteral("<table><tr><td>a<td>b "), 300)},
        {"lone cells",
         Repeat(QStringLiteral("<td>cell "), 50) + Repeat(QStringLiteral("<table><td>in "), 50)},
        {"a layout page", QStringLiteral("<table width=\"100%\"><tr><td><table width=\"90%\"><tr><td>"
                                         "<table><tr><td>menu</td><td><table><tr><td>"
                                         "<table border=0><tr><td>name</td><td>value</td></tr>"
                                         "<tr><td>name2</td><td>value2</td></tr></table>"
                                         "</td></tr></table></td></tr></table></td></tr></table>"
                                         "</td></tr></table><p>footer</p>")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString simplified = SimplifyMarkup(c.markup);
        const MarkupNesting nesting = MeasureMarkupNesting(simplified);
        EXPECT_LE(nesting.tables, 3);
        EXPECT_LE(nesting.elements, 64);
        const Read read = ReadAsTheViewDoes(simplified);
        EXPECT_LE(read.tables, 3);
        // Every word of the markup, in order; cells never run together.
        QString text = c.markup;
        text.replace(QRegularExpression(QStringLiteral("<[^>]*>")), QStringLiteral(" "));
        EXPECT_EQ(Words(read.text), Words(text));
    }
}

TEST(HtmlMarkup, RowsOfHundredsOfCellsAreNoTable) {
    const QString wide = QStringLiteral("<table><tr>") + Repeat(QStringLiteral("<td>c</td>"), 200) +
                         QStringLiteral("</tr></table><table><tr><td>a</td><td>b</td></tr></table>");
    const Read read = ReadAsTheViewDoes(SimplifyMarkup(wide));
    EXPECT_EQ(read.tables, 1);  // the narrow one stays a table
    EXPECT_EQ(Words(read.text).size(), 202);
    // Cells that never close, as a lone row of them.
    const QString lone = Repeat(QStringLiteral("<td>c"), 500);
    EXPECT_EQ(ReadAsTheViewDoes(SimplifyMarkup(lone)).tables, 0);
    EXPECT_EQ(Words(ReadAsTheViewDoes(SimplifyMarkup(lone)).text).size(), 500);
}

TEST(HtmlMarkup, WrapperTablesAreUnwrappedBeforeTablesWithContentAreFlattened) {
    // Three single-cell tables around a table of two rows: unwrapping the
    // wrappers keeps the real table a table.
    const QString markup = QStringLiteral(
        "<table><tr><td><table><tr><td><table><tr><td>"
        "<table><tr><td>a</td><td>b</td></tr><tr><td>c</td><td>d</td></tr></table>"
        "</td></tr></table></td></tr></table></td></tr></table>");
    const QString simplified = SimplifyMarkup(markup);
    EXPECT_EQ(MeasureMarkupNesting(simplified).tables, 1) << simplified.toStdString();
    EXPECT_TRUE(simplified.contains(QStringLiteral("<td>a</td><td>b</td>"))) << simplified.toStdString();
    EXPECT_EQ(Words(ReadAsTheViewDoes(simplified).text), QStringList({"a", "b", "c", "d"}));
}

TEST(HtmlMarkup, ElementsPastTheLimitLoseTheirTagsButNotTheirText) {
    const QString markup = Repeat(QStringLiteral("<div>w "), 5000) + Repeat(QStringLiteral("<b>"), 5000) +
                           QStringLiteral("bold") + Repeat(QStringLiteral("</b>"), 5000) +
                           Repeat(QStringLiteral("</div>"), 5000) + QStringLiteral("<p>after</p>");
    const QString simplified = SimplifyMarkup(markup);
    EXPECT_LE(MeasureMarkupNesting(simplified).elements, 64);
    const QStringList words = Words(ReadAsTheViewDoes(simplified).text);
    ASSERT_EQ(words.size(), 5002);
    EXPECT_EQ(words.count(QStringLiteral("w")), 5000);
    EXPECT_EQ(words.at(5000), QStringLiteral("bold"));
    EXPECT_EQ(words.last(), QStringLiteral("after"));
}

TEST(HtmlMarkup, LongTablesInTheDocumentAreCutBetweenRows) {
    QString rows;
    for (int r = 0; r < 1000; ++r) {
        rows += QStringLiteral("<tr><td>r%1</td><td>v%1</td></tr>").arg(r);
    }
    const QStringList markups = {
        QStringLiteral("<table border=\"1\" width=\"100%\">") + rows + QStringLiteral("</table><p>after</p>"),
        QStringLiteral("<table border=\"1\" width=\"100%\"><tbody>") + rows +
            QStringLiteral("</tbody></table><p>after</p>"),
    };
    for (const QString& markup : markups) {
        const QString simplified = SimplifyMarkup(markup);
        QTextDocument document;
        document.setPageSize(QSizeF(0, 0));
        document.setHtml(simplified);
        int tables = 0;
        int cells = 0;
        for (const QTextFrame* frame : document.rootFrame()->childFrames()) {
            const auto* table = qobject_cast<const QTextTable*>(frame);
            ASSERT_NE(table, nullptr);
            ++tables;
            EXPECT_EQ(table->columns(), 2);
            EXPECT_LE(table->rows() * table->columns(), 300);
            EXPECT_EQ(table->format().border(), 1);
            cells += table->rows() * table->columns();
        }
        EXPECT_EQ(tables, 7);
        EXPECT_EQ(cells, 2000);
        QString text = markup;
        text.replace(QRegularExpression(QStringLiteral("<[^>]*>")), QStringLiteral(" "));
        EXPECT_EQ(Words(document.toPlainText()), Words(text));
    }
    // Tables inside tables are laid out with their cell anyway: not cut.
    const QString inCell = QStringLiteral("<table>") + rows + QStringLiteral("</table>");
    EXPECT_EQ(SimplifyMarkup(inCell, MarkupLimits{}, 1), inCell);
}

TEST(HtmlMarkup, ReferenceTextHoldsTagsStylesAndCommentsButNoText) {
    const QString markup = QStringLiteral(
        "<html><head><style>p { background: url(sheet.png) }</style></head>"
        "<body>seen.png <img src=\"a.png\"><!-- note.png --><p style='x:url(b.png)'>text</p></body></html>");
    const QString text = MarkupReferenceText(markup);
    for (const char* part : {"sheet.png", "a.png", "note.png", "b.png"}) {
        EXPECT_TRUE(text.contains(QLatin1String(part))) << part;
    }
    EXPECT_FALSE(text.contains(QStringLiteral("seen.png")));
    EXPECT_FALSE(text.contains(QStringLiteral("text")));
}

}  // namespace
