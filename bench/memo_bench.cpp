// How long the memo editor takes to open memos that people really paste:
// HTML API reference pages as documentation tools write them (30 to 110 KB,
// a few dozen tables nested five and six deep inside page-layout tables),
// memos of a few hundred kilobytes of every kind (prose, a long table, a
// table one row wide, blocks nested thousands deep), a memo of thousands of
// nested tables, and one of tens of megabytes (opened and saved).
//
// Every page is generated here. Each figure is the time from OpenDocument
// until the view has painted the memo, in an editor of the size the record
// editors give it, the best of three runs. Targets: the API pages and the
// memos of a few hundred kilobytes open within 500 ms each; the deep one
// opens at all; the large one opens and saves within 60 s.
//
//   build/memo_bench              exits 1 when a target is missed
//   build/memo_bench FILE...      also opens these HTML files, same target

#include "memo/HtmlView.h"
#include "memo/MemoDocument.h"
#include "memo/MemoEditor.h"
#include "units/Units.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr double kPageTargetMs = 500;
constexpr double kLargeTargetMs = 60000;
constexpr int kRuns = 3;

// Words for text that wraps like prose.
class Prose {
public:
    explicit Prose(unsigned seed) : m_random(seed) {}

    QString Words(int count) {
        static const char* const kWords[] = {
            "the",      "stylesheet", "node",   "returns", "pointer", "context",  "template", "value",
            "string",   "transform",  "result", "element", "if",      "a",        "of",       "is",
            "document", "attribute",  "NULL",   "free",    "list",    "compiled", "mode",     "output",
        };
        std::uniform_int_distribution<size_t> pick(0, std::size(kWords) - 1);
        QString text;
        for (int i = 0; i < count; ++i) {
            if (i > 0) {
                text += QLatin1Char(' ');
            }
            text += QLatin1String(kWords[pick(m_random)]);
        }
        return text;
    }

    QString Identifier() {
        std::uniform_int_distribution<int> letter(0, 25);
        QString name = QStringLiteral("xslt");
        for (int i = 0; i < 12; ++i) {
            name += QChar(u'a' + letter(m_random));
        }
        return name;
    }

    int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

private:
    std::mt19937 m_random;
};

// The frame every page of such a reference has: a banner table, then the
// page in a table of one cell, the menu and the content side by side, each
// in two more single-cell tables that draw a border and a padding.
QString ApiPage(const QString& title, const QString& content, Prose& prose) {
    QString menu;
    for (int i = 0; i < 14; ++i) {
        menu += QStringLiteral("<li><a href=\"%1.html\">%2</a></li>").arg(prose.Identifier(), prose.Words(3));
    }
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<html><head><style type=\"text/css\">\n"
               "TD {font-family: Verdana,Arial,Helvetica}\nBODY {margin-top: 2em}\n</style><title>%1</title>"
               "</head><body bgcolor=\"#8b7765\" text=\"#000000\">"
               "<table border=\"0\" width=\"100%\" cellpadding=\"5\" cellspacing=\"0\" align=\"center\"><tr>"
               "<td width=\"120\"><img src=\"logo.png\" alt=\"logo\" /></td><td width=\"180\">banner</td><td>"
               "<table border=\"0\" width=\"90%\" cellpadding=\"2\" cellspacing=\"0\" align=\"center\" "
               "bgcolor=\"#000000\"><tr><td><table width=\"100%\" border=\"0\" cellspacing=\"1\" "
               "cellpadding=\"3\" bgcolor=\"#fffacd\"><tr><td align=\"center\"><h1>The "
               "library</h1><h2>%1</h2>"
               "</td></tr></table></td></tr></table></td></tr></table>"
               "<table border=\"0\" cellpadding=\"4\" cellspacing=\"0\" width=\"100%\" align=\"center\"><tr>"
               "<td bgcolor=\"#8b7765\"><table border=\"0\" cellspacing=\"0\" cellpadding=\"2\" "
               "width=\"100%\">"
               "<tr><td valign=\"top\" width=\"200\" bgcolor=\"#8b7765\"><table border=\"0\" "
               "cellspacing=\"0\" "
               "cellpadding=\"1\" width=\"100%\" bgcolor=\"#000000\"><tr><td><table width=\"100%\" "
               "border=\"0\" cellspacing=\"1\" cellpadding=\"3\"><tr><td bgcolor=\"#eecfa1\" "
               "align=\"center\">"
               "<b>Main Menu</b></td></tr><tr><td bgcolor=\"#fffacd\"><ul>%2</ul></td></tr></table></td></tr>"
               "</table></td><td valign=\"top\" bgcolor=\"#8b7765\"><table border=\"0\" cellspacing=\"0\" "
               "cellpadding=\"1\" width=\"100%\"><tr><td><table border=\"0\" cellspacing=\"0\" "
               "cellpadding=\"1\" width=\"100%\" bgcolor=\"#000000\"><tr><td><table border=\"0\" "
               "cellpadding=\"3\" cellspacing=\"1\" width=\"100%\"><tr><td bgcolor=\"#fffacd\">%3"
               "</td></tr></table></td></tr></table></td></tr></table></td></tr></table></td></tr></table>"
               "<p>Generated by the documentation tools</p></body></html>")
        .arg(title, menu, content);
}

// One module's reference: its navigation bar, the synopsis, then each
// function with its signature and a table of its parameters.
QString ApiModulePage(int functions, Prose& prose) {
    QString content = QStringLiteral(
        "<table class=\"navigation\" width=\"100%\" summary=\"Navigation header\" cellpadding=\"2\" "
        "cellspacing=\"2\"><tr valign=\"middle\"><td><a accesskey=\"p\" href=\"prev.html\"><img "
        "src=\"left.png\" width=\"24\" height=\"24\" border=\"0\" alt=\"Prev\"></img></a></td><td><a "
        "accesskey=\"u\" href=\"index.html\"><img src=\"up.png\" width=\"24\" height=\"24\" border=\"0\" "
        "alt=\"Up\"></img></a></td><th width=\"100%\" align=\"center\">module</th></tr></table>"
        "<h2>Synopsis</h2>");
    QStringList names;
    for (int f = 0; f < functions; ++f) {
        names << prose.Identifier();
        content += QStringLiteral("<pre class=\"programlisting\">int\t<a href=\"#%1\">%1</a>\t(%2)</pre>")
                       .arg(names.last(), prose.Words(4));
    }
    content += QStringLiteral("<h2>Description</h2><p>%1</p><h2>Details</h2>").arg(prose.Words(60));
    for (int f = 0; f < functions; ++f) {
        content +=
            QStringLiteral(
                "<div class=\"refsect2\" lang=\"en\"><h3><a name=\"%1\" id=\"%1\"></a>Function: %1</h3>"
                "<pre class=\"programlisting\">int\t%1\t\t(%2)<br />\n</pre><p>%3</p>"
                "<div class=\"variablelist\"><table border=\"0\"><col align=\"left\" /><tbody>")
                .arg(names.at(f), prose.Words(5), prose.Words(prose.Between(15, 40)));
        const int parameters = prose.Between(2, 5);
        for (int p = 0; p < parameters; ++p) {
            content +=
                QStringLiteral("<tr><td><span class=\"term\"><i><tt>%1</tt></i>:</span></td><td>%2</td></tr>")
                    .arg(prose.Identifier(), prose.Words(prose.Between(4, 14)));
        }
        content += QStringLiteral(
                       "<tr><td><span class=\"term\"><i><tt>Returns</tt></i>:</span></td><td>%1"
                       "</td></tr></tbody></table></div></div><hr />")
                       .arg(prose.Words(8));
    }
    return ApiPage(QStringLiteral("Module reference"), content, prose);
}

// An alphabetic index: letters, and under each a run of links.
QString ApiIndexPage(int entries, Prose& prose) {
    QString content = QStringLiteral("<h2>Alphabetic index</h2>");
    for (int e = 0; e < entries; ++e) {
        if (e % 40 == 0) {
            content += QStringLiteral("<h2>Letter %1:</h2><dl>").arg(QChar(u'a' + (e / 40) % 26));
        }
        content += QStringLiteral("<dt>%1</dt><dd><a href=\"html/%2.html#%3\">%3</a><br /></dd>")
                       .arg(prose.Words(1), prose.Identifier(), prose.Identifier());
        if (e % 40 == 39) {
            content += QStringLiteral("</dl>");
        }
    }
    return ApiPage(QStringLiteral("Index"), content, prose);
}

QString LongMemo(int paragraphs, Prose& prose) {
    QString markup = QStringLiteral("<html><body>");
    for (int p = 0; p < paragraphs; ++p) {
        markup += QStringLiteral("<p>%1 <b>%2</b> <i>%3</i> <span style=\"color:#c0392b\">%4</span></p>")
                      .arg(prose.Words(30), prose.Words(3), prose.Words(5), prose.Words(20));
    }
    return markup + QStringLiteral("</body></html>");
}

QString LongTable(int rows, Prose& prose) {
    QString markup = QStringLiteral("<html><body><table border=\"1\" width=\"100%\">");
    for (int r = 0; r < rows; ++r) {
        markup += QStringLiteral("<tr><td>%1</td><td>%2 km</td><td>%3</td></tr>")
                      .arg(prose.Identifier())
                      .arg(r)
                      .arg(prose.Words(prose.Between(5, 25)));
    }
    return markup + QStringLiteral("</table></body></html>");
}

QString Repeat(const QString& text, int times) {
    QString result;
    result.reserve(text.size() * times);
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

struct Page {
    QString name;
    QString markup;
    double target;  // ms
};

double Elapsed(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

class Bench {
public:
    Bench() : m_host(new QWidget) {
        m_host->resize(760, 480);
        m_editor = new MemoEditor(m_host.get());
        m_editor->setGeometry(m_host->rect().adjusted(10, 10, -10, -10));
        m_host->show();
        QApplication::processEvents();
    }

    // The best of runs opens, in ms; -1 when the memo did not open.
    double Open(const QString& folder, int runs = kRuns) {
        double best = -1;
        for (int run = 0; run < runs; ++run) {
            // Start from an empty view, as a record editor does.
            m_editor->View()->Navigate(QStringLiteral("about:blank"));
            QApplication::processEvents();
            QElapsedTimer timer;
            timer.start();
            if (!m_editor->OpenDocument(folder)) {
                return -1;
            }
            m_editor->repaint();
            QApplication::processEvents();
            const double ms = Elapsed(timer);
            best = best < 0 ? ms : std::min(best, ms);
        }
        return best;
    }

    double Save() {
        QElapsedTimer timer;
        timer.start();
        return m_editor->SaveDocument() ? Elapsed(timer) : -1;
    }

private:
    std::unique_ptr<QWidget> m_host;
    MemoEditor* m_editor = nullptr;
};

bool WriteMemo(const QString& folder, const QString& markup) {
    QDir().mkpath(folder);
    QFile file(MemoDocumentPath(folder));
    return file.open(QIODevice::WriteOnly) && file.write(markup.toUtf8()) == markup.toUtf8().size();
}

bool Report(const QString& name, double ms, double target, const QString& detail) {
    const bool met = ms >= 0 && ms <= target;
    if (ms < 0) {
        std::printf("%s: failed to open (%s) MISSED\n", qPrintable(name), qPrintable(detail));
    } else {
        std::printf("%s: %.0f ms (%s, target %.0f ms)%s\n", qPrintable(name), ms, qPrintable(detail), target,
                    met ? "" : " MISSED");
    }
    std::fflush(stdout);
    return met;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    QTemporaryDir directory;
    if (!directory.isValid() || !QDir::setCurrent(directory.path())) {
        std::fprintf(stderr, "no temporary directory\n");
        return 2;
    }
    SetProgramDirectory(directory.path());

    Prose prose(20080501);
    std::vector<Page> pages;
    for (const int functions : {12, 30, 55, 85}) {
        pages.push_back({QStringLiteral("api module page, %1 functions").arg(functions),
                         ApiModulePage(functions, prose), kPageTargetMs});
    }
    pages.push_back({QStringLiteral("api index page"), ApiIndexPage(700, prose), kPageTargetMs});
    pages.push_back({QStringLiteral("long memo"), LongMemo(1200, prose), kPageTargetMs});
    pages.push_back({QStringLiteral("long table"), LongTable(2500, prose), kPageTargetMs});
    pages.push_back({QStringLiteral("wide table"),
                     QStringLiteral("<table border=\"1\"><tr>") +
                         Repeat(QStringLiteral("<td>cell</td>"), 20000) + QStringLiteral("</tr></table>"),
                     kPageTargetMs});
    pages.push_back({QStringLiteral("nested blocks"),
                     Repeat(QStringLiteral("<div><blockquote>quote "), 12000) +
                         Repeat(QStringLiteral("</blockquote></div>"), 12000),
                     kPageTargetMs});
    pages.push_back({QStringLiteral("nested tables"),
                     Repeat(QStringLiteral("<table><tr><td>x"), 2200) +
                         Repeat(QStringLiteral("</td></tr></table>"), 2200),
                     kPageTargetMs});

    // Real pages to compare with, read as a memo folder would hold them.
    for (int i = 1; i < argc; ++i) {
        QFile file(QString::fromLocal8Bit(argv[i]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 2;
        }
        pages.push_back({QFileInfo(file).fileName(), QString::fromLatin1(file.readAll()), kPageTargetMs});
    }

    Bench bench;
    bool met = true;
    QString slowestName;
    double slowest = -1;
    int number = 0;
    for (const Page& page : pages) {
        const QString folder = QDir(directory.path()).filePath(QStringLiteral("Rides/%1").arg(++number));
        if (!WriteMemo(folder, page.markup)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(folder));
            return 2;
        }
        const double ms = bench.Open(folder);
        met = Report(page.name, ms, page.target,
                     QStringLiteral("%1 KB").arg(page.markup.toUtf8().size() / 1024)) &&
              met;
        if (ms > slowest) {
            slowest = ms;
            slowestName = page.name;
        }
    }
    std::printf("slowest page: %.0f ms (%s)\n", slowest, qPrintable(slowestName));

    // Tens of megabytes: it must show and save, not hang.
    const QString large = LongMemo(60000, prose);
    const QString folder = QDir(directory.path()).filePath(QStringLiteral("Rides/large"));
    if (!WriteMemo(folder, large)) {
        return 2;
    }
    const QString size = QStringLiteral("%1 MB").arg(large.toUtf8().size() / (1024 * 1024));
    const double opened = bench.Open(folder, 1);
    met = Report(QStringLiteral("large memo open"), opened, kLargeTargetMs, size) && met;
    met = Report(QStringLiteral("large memo save"), bench.Save(), kLargeTargetMs, size) && met;

    std::printf("targets %s\n", met ? "met" : "missed");
    return met ? 0 : 1;
}
