// Memo folders filled at random, with fixed seeds: markup of every shape
// through the simplifier and the view's reader, picture folders through the
// clean-up, whole documents through opening and saving. A few thousand cases
// in a few seconds; each failure names its case.

#include "memo/HtmlMarkup.h"
#include "memo/MemoTestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextFrame>
#include <QTextTable>
#include <random>
#include <set>

namespace {

const char* const kMarkupPieces[] = {
    "<table>",
    "<table border=1 width=\"100%\">",
    "<tr>",
    "<td>",
    "</td>",
    "</tr>",
    "</table>",
    "<th>",
    "<tbody>",
    "</tbody>",
    "<caption>",
    "<div>",
    "</div>",
    "<p>",
    "</p>",
    "<ul>",
    "<li>",
    "</ul>",
    "<dl>",
    "<dt>",
    "<dd>",
    "<b>",
    "</b>",
    "<font size=5>",
    "</font>",
    "<span style='x:url(a.png)'>",
    "<",
    ">",
    "/",
    "=",
    "\"",
    "'",
    "&",
    "&amp;",
    "&#60;",
    "&lt;",
    ";",
    "<!--",
    "-->",
    "<!DOCTYPE x>",
    "<style>",
    "</style>",
    "<br>",
    "<br/>",
    "<img src=\"x.png\">",
    "<t&#97;ble>",
    "< table >",
    "</ table>",
    "<input>",
    "<head>",
    "<body>",
    "<html>",
    "<title>",
    "word",
    "cycle",
    " ",
    "\n",
    "\t",
    "\u00e9t\u00e9",
    "\u2029",
    "\U0001F6B2",
    "<a href='x'>",
    "</a>",
    "<td/>",
    "<TR>",
    "<pre>",
};

QString RandomMarkup(std::mt19937& random) {
    std::uniform_int_distribution<size_t> piece(0, std::size(kMarkupPieces) - 1);
    std::uniform_int_distribution<int> count(0, 60);
    std::uniform_int_distribution<int> repeat(1, 400);
    std::uniform_int_distribution<int> chance(0, 9);
    QString markup;
    for (int i = count(random); i > 0; --i) {
        const QString text = QString::fromUtf8(kMarkupPieces[piece(random)]);
        // Now and then a piece many times over, for depth.
        const int times = chance(random) == 0 ? repeat(random) : 1;
        for (int t = 0; t < times; ++t) {
            markup += text;
        }
    }
    return markup;
}

struct Read {
    QString text;
    int tables = 0;
};
Read ReadAsTheViewDoes(const QString& markup) {
    QTextDocument document;
    document.setPageSize(QSizeF(0, 0));
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

// Whether every visible character of `text`, in order, is also in `within`.
bool KeepsEveryCharacter(const QString& text, const QString& within) {
    qsizetype at = 0;
    for (const QChar c : text) {
        if (c.isSpace() || c == QChar::ObjectReplacementCharacter) {
            continue;
        }
        while (at < within.size() && within[at] != c) {
            ++at;
        }
        if (at == within.size()) {
            return false;
        }
        ++at;
    }
    return true;
}

// Markup as pages and other editors write it, sloppy as they are (cells,
// rows, paragraphs and list items often left unclosed), now and then nested
// hundreds deep.
QString PlausibleMarkup(std::mt19937& random) {
    std::uniform_int_distribution<int> dice(0, 99);
    const char* const words[] = {"col",           "&amp;", "&eacute;t&eacute;", "&#60;5 km", "ride",
                                 "\u00e9t\u00e9", "km/h"};
    std::uniform_int_distribution<size_t> word(0, std::size(words) - 1);
    struct Open {
        QString close;  // empty: left unclosed
    };
    std::vector<Open> open;
    QString markup = QStringLiteral("<html><body>");
    const int steps = dice(random) < 10 ? 1500 : 120;
    for (int step = 0; step < steps; ++step) {
        const int roll = dice(random);
        const bool sloppy = dice(random) < 30;
        const bool deepRun = steps > 150;
        if (roll < 30) {
            markup += QLatin1Char(' ') + QString::fromUtf8(words[word(random)]);
        } else if (roll < 40 + (deepRun ? 30 : 0)) {
            markup += QStringLiteral("<table border=1><tr><td>");
            open.push_back({sloppy ? QString() : QStringLiteral("</td></tr></table>")});
        } else if (roll < 75) {
            static const char* const blocks[][2] = {
                {"<div>", "</div>"},          {"<blockquote>", "</blockquote>"}, {"<b>", "</b>"},
                {"<font size=4>", "</font>"}, {"<ul><li>", "</li></ul>"},        {"<p>", "</p>"},
            };
            const auto& block = blocks[static_cast<size_t>(roll) % std::size(blocks)];
            markup += QLatin1String(block[0]);
            open.push_back({sloppy && roll % 2 ? QString() : QString::fromLatin1(block[1])});
        } else if (roll < 82) {
            markup +=
                dice(random) < 50 ? QStringLiteral("<br>") : QStringLiteral("<img src=\"data.files/p.png\">");
        } else if (roll < 88 && !open.empty()) {
            // Another cell or item beside the open one.
            markup += dice(random) < 50 ? QStringLiteral("<td>") : QStringLiteral("<li>");
        } else if (!open.empty()) {
            markup += open.back().close;
            open.pop_back();
        }
    }
    while (!open.empty()) {
        markup += open.back().close;
        open.pop_back();
    }
    return markup + QStringLiteral("</body></html>");
}

TEST(MemoFuzz, SimplifiedMarkupNestsWithinItsLimits) {
    std::mt19937 random(20080501);
    const MarkupLimits limits[] = {MarkupLimits{}, MarkupLimits{1, 8, 6}, MarkupLimits{2, 20, 40}};
    for (int round = 0; round < 1500; ++round) {
        const QString markup = RandomMarkup(random);
        const MarkupLimits& limit = limits[static_cast<size_t>(round) % std::size(limits)];
        const int enclosing = round % 7 == 0 ? 1 : 0;
        const QString simplified = SimplifyMarkup(markup, limit, enclosing);
        const MarkupNesting nesting = MeasureMarkupNesting(simplified);
        ASSERT_LE(nesting.tables + enclosing, std::max(limit.tables, enclosing))
            << round << ": " << markup.toStdString();
        ASSERT_LE(nesting.elements, limit.elements) << round << ": " << markup.toStdString();
        ASSERT_LE(ReadAsTheViewDoes(simplified).tables, limit.tables)
            << round << ": " << markup.toStdString();
    }
}

TEST(MemoFuzz, SimplifiedMarkupKeepsEveryCharacter) {
    std::mt19937 random(20190704);
    for (int round = 0; round < 300; ++round) {
        const QString markup = PlausibleMarkup(random);
        const QString simplified = SimplifyMarkup(markup);
        ASSERT_LE(MeasureMarkupNesting(simplified).elements, MarkupLimits{}.elements) << round;
        const Read before = ReadAsTheViewDoes(markup);
        const Read after = ReadAsTheViewDoes(simplified);
        ASSERT_LE(after.tables, MarkupLimits{}.tables) << round;
        ASSERT_TRUE(KeepsEveryCharacter(before.text, after.text))
            << round << ": " << markup.toStdString() << "\nsimplified: " << simplified.toStdString();
    }
}

TEST(MemoFuzz, DecodingNeverFailsOnAnyBytes) {
    std::mt19937 random(19901014);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 300);
    const QByteArray starts[] = {"", "\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF", QByteArray("\xFF\xFE\0\0", 4)};
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = starts[static_cast<size_t>(round) % std::size(starts)];
        for (int i = length(random); i > 0; --i) {
            bytes.append(static_cast<char>(byte(random)));
        }
        const QString text = DecodeMemoDocument(bytes);
        ASSERT_FALSE(text.endsWith(QChar(0))) << round;
        // What is decoded and saved again decodes to the same text.
        ASSERT_EQ(DecodeMemoDocument(EncodeMemoDocument(text)), text) << round;
    }
}

class MemoFuzzFolder : public MemoEditorTest {};

TEST_F(MemoFuzzFolder, CleanUpKeepsEveryReferencedFileAndRemovesTheRest) {
    // Names of one width, so that none is part of another.
    const QStringList stems = {QStringLiteral("f01"), QStringLiteral("f02"), QStringLiteral("f03"),
                               QStringLiteral("f04"), QStringLiteral("f05"), QStringLiteral("f06"),
                               QStringLiteral("f07"), QStringLiteral("f08")};
    const QStringList suffixes = {QStringLiteral(".png"), QStringLiteral(" \u00e9t\u00e9.JPG"),
                                  QStringLiteral("&amp;.gif"), QStringLiteral(" 100%.bmp"),
                                  QStringLiteral("#x.png")};
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Elsewhere/keep.png"), "keep"));
    std::mt19937 random(20240610);
    std::uniform_int_distribution<int> coin(0, 1);
    std::uniform_int_distribution<int> form(0, 7);
    std::uniform_int_distribution<size_t> suffix(0, suffixes.size() - 1);
    for (int round = 0; round < 200; ++round) {
        const QString folder = m_programDir.FilePath(QStringLiteral("Rides/%1").arg(round + 10));
        ASSERT_TRUE(QDir().mkpath(MemoPictureFolderPath(folder)));
        ASSERT_TRUE(QFile::link(m_programDir.FilePath(QStringLiteral("Elsewhere/keep.png")),
                                MemoPicturePath(folder, QStringLiteral("link.png"))));
        QString markup = QStringLiteral("<html><body><p>memo</p>");
        std::set<QString> referenced;
        std::set<QString> files;
        for (const QString& stem : stems) {
            const QString name = stem + suffixes[suffix(random)];
            files.insert(name);
            ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/%1/data.files/").arg(round + 10) + name,
                                               "picture"));
            if (coin(random) == 0) {
                continue;
            }
            referenced.insert(name);
            // The name as markup may spell it.
            QString spelled = form(random) % 2 ? name.toUpper() : name;
            QString address;
            switch (form(random)) {
                case 0:
                    address = PictureReferenceInMarkup(spelled);
                    break;
                case 1:
                    address = QStringLiteral("data.files/") + spelled.toHtmlEscaped();
                    break;
                case 2:
                    address = QStringLiteral("data.files/") +
                              QString::fromUtf8(QUrl::toPercentEncoding(spelled)).toHtmlEscaped();
                    break;
                default:
                    address = QString(folder + QStringLiteral("/data.files/") + spelled).toHtmlEscaped();
                    break;
            }
            switch (form(random) % 5) {
                case 0:
                    markup += QStringLiteral("<img src=\"%1\">").arg(address);
                    break;
                case 1:
                    markup += QStringLiteral("<a href=\"%1\">link</a>").arg(address);
                    break;
                case 2:
                    markup +=
                        QStringLiteral("<table><tr><td background=\"%1\">x</td></tr></table>").arg(address);
                    break;
                case 3:
                    markup += QStringLiteral("<p style=\"background-image:url('%1')\">y</p>").arg(address);
                    break;
                default:
                    markup += QStringLiteral("<style>p { background: url(%1) }</style>").arg(address);
                    break;
            }
        }
        markup += QStringLiteral("</body></html>");

        RemoveUnusedPictureFiles(folder, MemoReferences(markup));
        for (const QString& name : files) {
            EXPECT_EQ(QFileInfo::exists(MemoPicturePath(folder, name)), referenced.count(name) > 0)
                << round << ": " << name.toStdString() << " in " << markup.toStdString();
        }
        EXPECT_TRUE(QFileInfo(MemoPicturePath(folder, QStringLiteral("link.png"))).isSymLink()) << round;
    }
    EXPECT_TRUE(QFileInfo::exists(m_programDir.FilePath(QStringLiteral("Elsewhere/keep.png"))));
}

TEST_F(MemoFuzzFolder, AnyDocumentOpensAndSavesAgain) {
    std::mt19937 random(20110903);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> kind(0, 3);
    for (int round = 0; round < 100; ++round) {
        QByteArray bytes;
        switch (kind(random)) {
            case 0:
                bytes = RandomMarkup(random).toUtf8();
                break;
            case 1:
                bytes = EncodeMemoDocument(RandomMarkup(random));
                break;
            case 2: {
                const QString markup = RandomMarkup(random);
                bytes = QByteArray(reinterpret_cast<const char*>(markup.utf16()), markup.size() * 2);
                break;
            }
            default:
                for (int i = 0; i < 200; ++i) {
                    bytes.append(static_cast<char>(byte(random)));
                }
                break;
        }
        ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/1/data.htm"), bytes));
        ASSERT_TRUE(OpenMemo()) << round;
        const QString text = Editor()->GetMemoText();
        ASSERT_TRUE(Editor()->SaveDocument()) << round;
        // Saved in the stored form, and read back with the same text.
        QFile saved(MemoDocumentPath(m_folder));
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        const QByteArray written = saved.readAll();
        ASSERT_TRUE(written.startsWith("\xFF\xFE")) << round;
        ASSERT_TRUE(OpenMemo()) << round;
        ASSERT_EQ(Words(Editor()->GetMemoText()), Words(text)) << round;
    }
}

}  // namespace
