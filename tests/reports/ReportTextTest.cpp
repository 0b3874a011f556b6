// The pieces every report is made of, and how a report reaches the disk:
// UTF-16LE with its byte-order mark, templates, comma-separated cells, HTML
// text, and the all-or-nothing writes of text and HTML reports.

#include "language/Language.h"
#include "platform/Shell.h"
#include "reports/ReportFiles.h"
#include "reports/ReportText.h"
#include "support/ProgramDirectory.h"
#include "support/Scoped.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray Utf16(const QString& text) {
    QByteArray bytes;
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

QByteArray Report(const QString& text) {
    return QByteArray("\xFF\xFE", 2) + Utf16(text);
}

TEST(ReportText, IsUtf16LittleEndianWithByteOrderMarkAndExplicitLineEnds) {
    ReportText report;
    report.Line(u"Rides").Write(u"Fahrt \u00FC\U0001F6B2").Line();
    const QByteArray expected = QByteArray("\xFF\xFE", 2) + QByteArray("R\0i\0d\0e\0s\0\r\0\n\0", 14) +
                                QByteArray("F\0a\0h\0r\0t\0 \0\xFC\0", 14) +
                                QByteArray("\x3D\xD8\xB2\xDE", 4) + QByteArray("\r\0\n\0", 4);
    EXPECT_EQ(report.Bytes(), expected);
    EXPECT_EQ(EncodeReport(QString()), QByteArray("\xFF\xFE", 2));
}

TEST(ReportText, TemplatesFillDollarsInOrderAndHalveDoublePercents) {
    struct Case {
        const char16_t* templateText;
        std::initializer_list<QStringView> args;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"<title>$ - Velomarq</title>$", {u"Rides", u"Rides"}, u"<title>Rides - Velomarq</title>Rides"},
        {u"width=\"90%%\" $", {u"x"}, u"width=\"90%\" x"},
        {u"$|$|$", {u"a"}, u"a||"},                      // a missing argument inserts nothing
        {u"$", {u"a", u"b"}, u"a"},                      // extra arguments are ignored
        {u"50% and %%", {}, u"50% and %"},               // a single "%" stays
        {u"[$]", {u"100%% $ sure"}, u"[100%% $ sure]"},  // inserted texts are written as they are
        {u"%%%", {}, u"%%"},
        {u"", {u"a"}, u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FillTemplate(c.templateText, c.args), QStringView(c.expected))
            << QStringView(c.templateText).toString().toStdString();
    }
}

TEST(ReportText, CsvCellsAreQuotedOnlyWhenTheyMustBe) {
    struct Case {
        const char16_t* cell;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"Trek 520", u"Trek 520"},
        {u"", u""},
        {u"2025/06/01(Sunday)", u"2025/06/01(Sunday)"},
        {u"Fuji, Track", u"\"Fuji, Track\""},
        {u"The \"Beast\"", u"\"The \"\"Beast\"\"\""},
        {u"\"", u"\"\"\"\""},
        {u"two\r\nlines", u"\"two\r\nlines\""},
        {u"line\nfeed", u"\"line\nfeed\""},
        {u"cr\r", u"\"cr\r\""},
        {u"<b>&'", u"<b>&'"},
    };
    for (const Case& c : cases) {
        ReportText report;
        report.CsvField(c.cell);
        EXPECT_EQ(report.Text(), QStringView(c.expected)) << QStringView(c.cell).toString().toStdString();
    }
    QString quoted;
    AppendCsvQuoted(quoted, u"say \"hi\", then go");
    EXPECT_EQ(quoted, u"say \"\"hi\"\", then go");
}

TEST(ReportText, CsvTextThatASpreadsheetWouldEvaluateStaysText) {
    struct Case {
        const char16_t* cell;
        const char16_t* field;   // as a cell
        const char16_t* quoted;  // as quoted text (a memo, a status line)
    };
    const Case cases[] = {
        {u"=1+2", u"'=1+2", u"'=1+2"},
        {u"=HYPERLINK(\"http://x\")", u"\"'=HYPERLINK(\"\"http://x\"\")\"", u"'=HYPERLINK(\"\"http://x\"\")"},
        {u"+cmd|' /C calc'!A0", u"'+cmd|' /C calc'!A0", u"'+cmd|' /C calc'!A0"},
        {u"-2+3+cmd|' /C calc'!A0", u"'-2+3+cmd|' /C calc'!A0", u"'-2+3+cmd|' /C calc'!A0"},
        {u"-1/A1", u"'-1/A1", u"'-1/A1"},
        {u"@SUM(A1)", u"'@SUM(A1)", u"'@SUM(A1)"},
        {u"\t=1", u"'\t=1", u"'\t=1"},
        {u"\r=1", u"\"'\r=1\"", u"'\r=1"},
        {u"- new chain", u"'- new chain", u"'- new chain"},
        // Numbers stay numbers, with their unit word or without.
        {u"-12.50", u"-12.50", u"-12.50"},
        {u"+3", u"+3", u"+3"},
        {u"-3.00km/h", u"-3.00km/h", u"-3.00km/h"},
        {u"-1:05:00", u"-1:05:00", u"-1:05:00"},
        {u"-1,5", u"\"-1,5\"", u"-1,5"},
        {u"1=1", u"1=1", u"1=1"},
    };
    for (const Case& c : cases) {
        ReportText report;
        report.CsvField(c.cell);
        EXPECT_EQ(report.Text(), QStringView(c.field)) << QStringView(c.cell).toString().toStdString();
        QString quoted;
        AppendCsvQuoted(quoted, c.cell);
        EXPECT_EQ(quoted, QStringView(c.quoted)) << QStringView(c.cell).toString().toStdString();
    }
}

TEST(ReportText, HtmlTextIsEscapedAndLinkNamesStayAddresses) {
    EXPECT_EQ(HtmlEscape(u"Fuji <Track> & \"Co\" 'x'"), u"Fuji &lt;Track&gt; &amp; &quot;Co&quot; 'x'");
    EXPECT_EQ(HtmlEscape(u"Plain name"), u"Plain name");
    EXPECT_EQ(HtmlLinkName(u"log.htm"), u"log.htm");
    EXPECT_EQ(HtmlLinkName(u"my rides 2025.html"), u"my rides 2025.html");
    EXPECT_EQ(HtmlLinkName(u"100% #1?.html"), u"100%25 %231%3F.html");
    EXPECT_EQ(HtmlLinkName(u"a\"b&c.html"), u"a&quot;b&amp;c.html");
    EXPECT_EQ(CutText(u"abcdef", 3), u"abc");
    EXPECT_EQ(CutText(u"ab", 3), u"ab");
}

class ReportFilesTest : public ProgramDirectoryTest {
protected:
    void SetUp() override {
        ASSERT_EQ(LoadLanguageFile(SourcePath(QStringLiteral("languages/vmq_00.ini"))), 0);
        m_programDir.InstallShippedFiles();
        m_page.Line(u"<html>page</html>");
    }

    QString Path(const QString& relative) const { return m_programDir.FilePath(relative); }

    ScriptedDialogs m_dialogs;
    ReportText m_page;
};

TEST_F(ReportFilesTest, TextReportReplacesTheFileWhole) {
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("out/rides.txt"), "an older, longer report"));
    EXPECT_EQ(WriteReport(Path(QStringLiteral("out/rides.txt")), m_page), ReportResult::Written);
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("out/rides.txt")),
              Report(QStringLiteral("<html>page</html>\r\n")));
}

TEST_F(ReportFilesTest, FailedWriteLeavesTheOlderReportAsItWas) {
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("out/rides.txt"), "the good report"));
    {
        ScopedWriteFailure failure;
        EXPECT_EQ(WriteReport(Path(QStringLiteral("out/rides.txt")), m_page), ReportResult::FileFailed);
        EXPECT_EQ(WriteReport(Path(QStringLiteral("out/new.txt")), m_page), ReportResult::FileFailed);
    }
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("out/rides.txt")), QByteArray("the good report"));
    EXPECT_EQ(QDir(Path(QStringLiteral("out"))).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{QStringLiteral("rides.txt")});
}

TEST_F(ReportFilesTest, HtmlReportBringsItsFolderWithMemosAndLogo) {
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/12/data.htm"), "memo 12"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/12/data.files/a.png"), "picture"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/3/data.htm"), "memo 3"));
    // The GPS file the ride came from stays at home: it holds where the rider lives.
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/12/source/ride.gpx"), "raw track"));
    const QString report = Path(QStringLiteral("out/log.htm"));
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("out"))));
    const std::vector<CompanionCopy> copies = {
        {Path(QStringLiteral("Rides/12")), QStringLiteral("12")},
        {Path(QStringLiteral("Rides/3")), QStringLiteral("3")},
        {Path(QStringLiteral("Rides/99")), QStringLiteral("99")},  // no memo folder: left out silently
    };
    EXPECT_EQ(WriteHtmlReport(report, m_page, copies), ReportResult::Written);

    EXPECT_EQ(CompanionFolderPath(report), report + QStringLiteral(".files"));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("out/log.htm")),
              Report(QStringLiteral("<html>page</html>\r\n")));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("out/log.htm.files/12/data.htm")), QByteArray("memo 12"));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("out/log.htm.files/12/data.files/a.png")),
              QByteArray("picture"));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("out/log.htm.files/3/data.htm")), QByteArray("memo 3"));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("out/log.htm.files/99"))));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("out/log.htm.files/12/source"))));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("out/log.htm.files/logo.jpg")),
              m_programDir.ReadFile(QStringLiteral("logo.dat")));

    // A second export to the same name replaces the page and the copied memos.
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/12/data.htm"), "memo 12, changed"));
    ReportText second;
    second.Line(u"second");
    EXPECT_EQ(WriteHtmlReport(report, second, copies), ReportResult::Written);
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("out/log.htm")), Report(QStringLiteral("second\r\n")));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("out/log.htm.files/12/data.htm")),
              QByteArray("memo 12, changed"));

    // A report of fewer records to the same name: the memos it leaves out
    // do not travel with it, nor does a picture the memo no longer has.
    ASSERT_TRUE(QFile::remove(Path(QStringLiteral("Rides/12/data.files/a.png"))));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("out/log.htm.files/notes/keep.txt"), "the rider's"));
    EXPECT_EQ(WriteHtmlReport(report, second, {{Path(QStringLiteral("Rides/12")), QStringLiteral("12")}}),
              ReportResult::Written);
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("out/log.htm.files/3"))));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("out/log.htm.files/12/data.files/a.png"))));
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("out/log.htm.files/12/data.htm"))));
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("out/log.htm.files/logo.jpg"))));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("out/log.htm.files/notes/keep.txt")),
              QByteArray("the rider's"));
}

TEST_F(ReportFilesTest, FailedHtmlReportLeavesNothingBehind) {
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/12/data.htm"), "memo 12"));
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("out"))));
    const std::vector<CompanionCopy> copies = {{Path(QStringLiteral("Rides/12")), QStringLiteral("12")}};
    {
        ScopedWriteFailure failure;
        EXPECT_EQ(WriteHtmlReport(Path(QStringLiteral("out/log.html")), m_page, copies),
                  ReportResult::FileFailed);
    }
    EXPECT_TRUE(
        QDir(Path(QStringLiteral("out"))).isEmpty(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden));

    // Below a plain file nothing can be made, not even by an administrator.
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("plain"), "a file, not a folder"));
    EXPECT_EQ(WriteHtmlReport(Path(QStringLiteral("plain/log.html")), m_page, copies),
              ReportResult::FileFailed);
    EXPECT_EQ(WriteReport(Path(QStringLiteral("plain/log.txt")), m_page), ReportResult::FileFailed);
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("plain")), QByteArray("a file, not a folder"));

    // A companion name taken by a file: the folder cannot be made, and the page is not written.
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("out/taken.html.files"), "in the way"));
    EXPECT_EQ(WriteHtmlReport(Path(QStringLiteral("out/taken.html")), m_page, copies),
              ReportResult::FolderFailed);
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("out/taken.html"))));
}

TEST_F(ReportFilesTest, HtmlReportRemovesOnlyWhatAnEarlierReportWrote) {
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/12/data.htm"), "memo 12"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("photos/1/summit.jpg"), "photo"));
    const std::vector<CompanionCopy> copies = {{Path(QStringLiteral("Rides/12")), QStringLiteral("12")}};

    // A companion folder that is a link leads elsewhere: nothing is written or removed through it.
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("out"))));
    ASSERT_TRUE(QFile::link(Path(QStringLiteral("photos")), Path(QStringLiteral("out/x.htm.files"))));
    EXPECT_EQ(WriteHtmlReport(Path(QStringLiteral("out/x.htm")), m_page, copies), ReportResult::FolderFailed);
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("photos/1/summit.jpg")), QByteArray("photo"));
    EXPECT_EQ(QDir(Path(QStringLiteral("photos")))
                  .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
              QStringList{QStringLiteral("1")});

    // Number folders the rider keeps beside a report's memo copies stay: a
    // report knows its copies by their shape.
    const QString report = Path(QStringLiteral("out/y.htm"));
    const QString companion = CompanionFolderPath(report);
    ASSERT_EQ(WriteHtmlReport(report, m_page, copies), ReportResult::Written);
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("out/y.htm.files/2019/a.jpg"), "photo"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("out/y.htm.files/7/data.htm"), "notes"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("out/y.htm.files/7/album/b.jpg"), "photo"));
    EXPECT_EQ(WriteHtmlReport(report, m_page, {}), ReportResult::Written);
    EXPECT_FALSE(QFileInfo::exists(companion + QStringLiteral("/12")));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("out/y.htm.files/2019/a.jpg")), QByteArray("photo"));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("out/y.htm.files/7/album/b.jpg")), QByteArray("photo"));
    // Nor is one replaced by a memo copy of the same name.
    EXPECT_EQ(WriteHtmlReport(report, m_page, {{Path(QStringLiteral("Rides/12")), QStringLiteral("2019")}}),
              ReportResult::Written);
    EXPECT_EQ(QDir(companion + QStringLiteral("/2019")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{QStringLiteral("a.jpg")});
}

TEST_F(ReportFilesTest, ReadOnlyFolderGetsNoReport) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "an administrator writes into read-only folders";
    }
    const QString folder = Path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    EXPECT_EQ(WriteReport(folder + QStringLiteral("/r.txt"), m_page), ReportResult::FileFailed);
    EXPECT_NE(WriteHtmlReport(folder + QStringLiteral("/r.html"), m_page, {}), ReportResult::Written);
    EXPECT_TRUE(QDir(folder).isEmpty(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden));
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(ReportFilesTest, EveryOutcomeEndsWithItsMessage) {
    QStringList opened;
    bool openable = true;
    SetShellOpenHandlerForTesting([&](const QString& path) {
        opened << path;
        return openable;
    });
    const QString report = Path(QStringLiteral("out/log.txt"));
    m_dialogs.AnswerMessage(kButtonNo, ReportWrittenText(report));
    m_dialogs.AnswerReportWritten(kButtonYes);
    m_dialogs.AnswerReportWritten(kButtonYes);
    m_dialogs.AnswerMessage(kButtonOk, GetLanguageString("ErrorStrings", "NOPN"));
    m_dialogs.AnswerMessage(kButtonOk, GetLanguageString("ErrorStrings", "CCTF"));
    m_dialogs.AnswerMessage(kButtonOk, GetLanguageString("ErrorStrings", "CRTD"));
    ShowReportResult(nullptr, ReportResult::Written, report);
    ShowReportResult(nullptr, ReportResult::Written, report);
    openable = false;
    ShowReportResult(nullptr, ReportResult::Written, report);
    ShowReportResult(nullptr, ReportResult::FileFailed, report);
    ShowReportResult(nullptr, ReportResult::FolderFailed, report);
    SetShellOpenHandlerForTesting({});
    // The message says where the report is; Yes opens it.
    EXPECT_TRUE(ReportWrittenText(report).contains(report));
    EXPECT_EQ(opened, QStringList({report, report}));
    ASSERT_EQ(m_dialogs.Asked().size(), 6u);
    EXPECT_EQ(m_dialogs.Asked()[0].title, QStringLiteral("Velomarq"));
    EXPECT_EQ(m_dialogs.Asked()[0].icon, MessageIcon::Information);
    EXPECT_EQ(m_dialogs.Asked()[4].title, GetLanguageString("ErrorStrings", "ERRO"));
    EXPECT_EQ(m_dialogs.Asked()[5].icon, MessageIcon::Error);
}

}  // namespace
