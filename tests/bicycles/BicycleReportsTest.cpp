// The bicycle reports, exported from the page through the export chooser and
// compared byte for byte: plain text, comma-separated text with its quoting,
// and the HTML page with its escaping, pictures and logo. A report is written
// completely or not at all.

#include "bicycles/BicycleDlg.h"
#include "bicycles/BicycleReports.h"
#include "bicycles/ServiceReport.h"
#include "support/ModalDrivers.h"
#include "support/Scoped.h"
#include "support/ScriptedDialogs.h"
#include "support/UserInput.h"
#include "units/Units.h"
#include "widgets/ImportExportDlg.h"
#include "widgets/LinkLabel.h"

#include "BicycleTestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace {

QByteArray Report(const QString& text) {
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

QByteArray Bytes(const ByteBlock& block) {
    return QByteArray(reinterpret_cast<const char*>(block.data()), static_cast<qsizetype>(block.size()));
}

const QString kName = QStringLiteral("Fuji <Track>, \"fast\" & light");
const QString kStatus = QStringLiteral(
    "Bicycles: 3    Distance: 40.00 km    Riding time: 1:20:00    Average speed: 30.00 km/h    Top speed: "
    "48.27 "
    "km/h");

class BicycleReportsTest : public BicycleTest {
protected:
    void SetUp() override {
        BicycleTest::SetUp();
        m_programDir.InstallShippedFiles();
        CreateTestStore();
    }

    // Three bicycles: one with rides, maintenance and a picture, one with
    // nothing and a type beyond the list, one with a ride and a picture.
    void AddThreeBicycles() {
        BicycleAttribute first = NamedBicycle(kName);
        first.Type = 1;
        first.DatePurchased = static_cast<int32_t>(FromLocalDateTime(2019, 4, 13, 10));
        first.PictureData = BitmapBytes(Qt::red);
        first.Weight = 9.5;  // weight, frame, cost, odometer and notes stay out of every report
        first.Cost = 1450;
        first.Memo = ToTextBlock(QStringLiteral("private notes"));
        AddBicycle(first);
        BicycleAttribute second = NamedBicycle(QStringLiteral("Plain"));
        second.Type = 9;
        second.DatePurchased = static_cast<int32_t>(FromLocalDateTime(2011, 5, 20, 23, 30));
        AddBicycle(second);
        BicycleAttribute third = NamedBicycle(QStringLiteral("Third"));
        third.DatePurchased = static_cast<int32_t>(FromLocalDateTime(2023, 1, 1, 0, 0, 1));
        third.PictureData = BitmapBytes(Qt::green);
        AddBicycle(third);
        AddRide(1, 30.0, 1, 0, 0, 48.27);
        AddMaintenance(1, 12.5);
        AddRide(3, 10.0, 0, 20, 0, 25.0);
    }

    void ShowPage() {
        m_page = std::make_unique<BicycleDlg>(m_status, nullptr);
        m_page->resize(900, 520);
        m_page->show();
    }

    // Export on the page, answered in the chooser with a typed name, a format
    // and a report (0 the bicycles', 1 the service report).
    void Export(ScopedModalDrivers& drivers, const QString& path, int format, int report = 0) {
        drivers.Then<ImportExportDlg>([path, format, report](ImportExportDlg& dialog) {
            auto* box = dialog.findChild<QLineEdit*>(QStringLiteral("fileName"));
            ASSERT_NE(box, nullptr);
            QTest::keyClicks(box, path);
            ChooseListEntry(dialog.findChild<QComboBox*>(QStringLiteral("format")), format);
            if (report != 0) {
                ChooseListEntry(dialog.findChild<QComboBox*>(QStringLiteral("report")), report);
            }
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("save")), Qt::LeftButton);
        });
        QTest::mouseClick(m_page->findChild<QPushButton*>(QStringLiteral("export")), Qt::LeftButton);
    }

    QString PathOf(const char* name) const { return m_programDir.FilePath(QLatin1String(name)); }

    ScopedTimeZone m_zone{"Europe/Berlin"};
    LinkLabel m_status;
    std::unique_ptr<BicycleDlg> m_page;
};

TEST_F(BicycleReportsTest, TheTextReportListsEveryBicycleWithItsTotals) {
    AddThreeBicycles();
    ScriptedDialogs dialogs;
    ScopedModalDrivers drivers;
    ShowPage();
    ASSERT_EQ(m_page->StatusText(), kStatus);
    dialogs.AnswerReportWritten();
    Export(drivers, PathOf("bicycles.txt"), kTextReport);
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].icon, MessageIcon::Information);
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("bicycles.txt")),
              Report(QStringLiteral("Bicycles\r\n\r\n") + kName +
                     QStringLiteral(" \t\tRoad bike\r\n"
                                    "Purchased:2019/04/13\r\n"
                                    "Distance:30.00 km\t\tTotal time:1:00:00\r\n"
                                    "Average speed:30.00 km/h\tMax speed:48.27 km/h\r\n"
                                    "Maintenance:$12.50\r\n\r\n"
                                    "Plain \t\tOther bicycle\r\n"
                                    "Purchased:2011/05/20\r\n"
                                    "Distance:0.00 km\t\tTotal time:0:00:00\r\n"
                                    "Average speed:0.00 km/h\tMax speed:0.00 km/h\r\n"
                                    "Maintenance:$0.00\r\n\r\n"
                                    "Third \t\tMountain bike\r\n"
                                    "Purchased:2023/01/01\r\n"
                                    "Distance:10.00 km\t\tTotal time:0:20:00\r\n"
                                    "Average speed:30.00 km/h\tMax speed:25.00 km/h\r\n"
                                    "Maintenance:$0.00\r\n\r\n") +
                     kStatus + QStringLiteral("\r\n\r\nGenerated by Velomarq.\r\nhttps://velomarq.org\r\n")));
}

TEST_F(BicycleReportsTest, TheCommaSeparatedReportQuotesTheCellsThatNeedIt) {
    AddThreeBicycles();
    ScriptedDialogs dialogs;
    ScopedModalDrivers drivers;
    SetDistanceUnit(1);
    ShowPage();
    const QString status = m_page->StatusText();
    ASSERT_TRUE(status.contains(QStringLiteral("24.86 miles")));
    dialogs.AnswerReportWritten();
    Export(drivers, PathOf("bicycles.csv"), kCsvReport);
    EXPECT_EQ(
        m_programDir.ReadFile(QStringLiteral("bicycles.csv")),
        Report(
            QStringLiteral("Name,Type,Purchased,Distance,Total time,Average speed,Max speed,Maintenance\r\n"
                           "\"Fuji <Track>, \"\"fast\"\" & light\",Road bike,2019/04/13,18.65 miles,"
                           "1:00:00,18.65 mph,30.00 mph,$12.50\r\n"
                           "Plain,Other bicycle,2011/05/20,0.00 miles,0:00:00,0.00 mph,0.00 mph,$0.00\r\n"
                           "Third,Mountain bike,2023/01/01,6.22 miles,0:20:00,18.65 mph,15.54 mph,$0.00\r\n"
                           "\"") +
            status + QStringLiteral("\"\r\n\r\nGenerated by Velomarq.\r\nhttps://velomarq.org\r\n")));
}

TEST_F(BicycleReportsTest, TheHtmlReportEscapesItsTextsAndWritesPicturesAndLogo) {
    AddThreeBicycles();
    ScriptedDialogs dialogs;
    ScopedModalDrivers drivers;
    ShowPage();
    // An older report of the same name is replaced, pictures and logo included.
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("log #1.html.files/bicycle00.bmp"), "old"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("log #1.html.files/logo.jpg"), "old"));
    dialogs.AnswerReportWritten();
    Export(drivers, PathOf("log #1.html"), kHtmlReport);

    const QString tableStart = QStringLiteral(
        "\r\n<table width=\"60%\" border=\"1\" align=\"center\" bordercolor=\"#3366CC\" height=\"1\" "
        "cellpadding=\"1\" cellspacing=\"0\">\r\n");
    auto nameRow = [](const QString& name, const QString& type) -> QString {
        return QStringLiteral(
                   "<tbody>\r\n<tr>\r\n<td height=\"2\" width=\"50%\"><b><font color=\"#3333cc\">") +
               name +
               QStringLiteral(
                   "</font></b></td>\r\n<td height=\"2\" width=\"50%\">\r\n<div align=\"right\">"
                   "<font color=\"#3333cc\">") +
               type + QStringLiteral("</font></div>\r\n</td>\r\n</tr>\r\n");
    };
    auto oneCell = [](const QString& text) -> QString {
        return QStringLiteral("<tr>\r\n<td height=\"2\" colspan=\"2\"><font color=\"#3333cc\">") + text +
               QStringLiteral("</font></td>\r\n</tr>\r\n");
    };
    auto twoCells = [](const QString& left, const QString& right) -> QString {
        return QStringLiteral("<tr>\r\n<td height=\"2\" width=\"50%\"><font color=\"#3333cc\">") + left +
               QStringLiteral("</font></td>\r\n<td height=\"2\" width=\"50%\"><font color=\"#3333cc\">") +
               right + QStringLiteral("</font></td>\r\n</tr>\r\n");
    };
    auto pictureRow = [](const QString& file) -> QString {
        return QStringLiteral(
                   "<tr>\r\n<td height=\"2\" colspan=\"2\"><div align=\"center\"><font "
                   "color=\"#3333cc\">Picture:</font><br><img src=\"log %231.html.files/") +
               file + QStringLiteral("\"></div></td>\r\n</tr>\r\n");
    };
    const QString noPictureRow = QStringLiteral(
        "<tr>\r\n<td height=\"2\" colspan=\"2\"><div align=\"center\"><font color=\"#3333cc\">Picture:<br>"
        "No picture</font></div></td>\r\n</tr>\r\n");
    const QString tableEnd = QStringLiteral("</tbody></table><br><br>\r\n");

    const QString expected =
        QStringLiteral(
            "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=unicode\">"
            "<title>Bicycles - Velomarq</title><meta name=\"GENERATOR\" content=\"Velomarq\">"
            "<meta name=\"KEYWORDS\" content=\"Velomarq\"></head><body text=#000000 bgColor=#ffffff>"
            "<p align=\"center\"><b><font color=\"#0000FF\" size=5>Bicycles</font></b></p>\r\n") +
        tableStart +
        nameRow(QStringLiteral("Fuji &lt;Track&gt;, &quot;fast&quot; &amp; light"),
                QStringLiteral("Road bike")) +
        oneCell(QStringLiteral("Purchased:2019/04/13")) +
        twoCells(QStringLiteral("Distance:30.00 km"), QStringLiteral("Total time:1:00:00")) +
        twoCells(QStringLiteral("Average speed:30.00 km/h"), QStringLiteral("Max speed:48.27 km/h")) +
        oneCell(QStringLiteral("Maintenance:$12.50")) + pictureRow(QStringLiteral("bicycle00.bmp")) +
        tableEnd + tableStart + nameRow(QStringLiteral("Plain"), QStringLiteral("Other bicycle")) +
        oneCell(QStringLiteral("Purchased:2011/05/20")) +
        twoCells(QStringLiteral("Distance:0.00 km"), QStringLiteral("Total time:0:00:00")) +
        twoCells(QStringLiteral("Average speed:0.00 km/h"), QStringLiteral("Max speed:0.00 km/h")) +
        oneCell(QStringLiteral("Maintenance:$0.00")) + noPictureRow + tableEnd + tableStart +
        nameRow(QStringLiteral("Third"), QStringLiteral("Mountain bike")) +
        oneCell(QStringLiteral("Purchased:2023/01/01")) +
        twoCells(QStringLiteral("Distance:10.00 km"), QStringLiteral("Total time:0:20:00")) +
        twoCells(QStringLiteral("Average speed:30.00 km/h"), QStringLiteral("Max speed:25.00 km/h")) +
        oneCell(QStringLiteral("Maintenance:$0.00")) + pictureRow(QStringLiteral("bicycle02.bmp")) +
        tableEnd +
        QStringLiteral(
            "<table width=\"100%\" border=\"0\" height=\"1\" cellpadding=\"0\" cellspacing=\"0\" "
            "align=\"center\"><tr><td height=1><b><font color=\"#000066\"><div align=center>") +
        kStatus +
        QStringLiteral(
            "</div></font></b></td></tr><tr><td height=\"2\"><br><div align=\"center\"><img "
            "src=\"log %231.html.files\\logo.jpg\"><br>Generated by <font color=\"#0000CC\">Velomarq"
            "</font>.</div></td></tr><tr> <td> <div align=\"center\"><a href=\"https://velomarq.org\">"
            "https://velomarq.org</a></div></td></tr></table></body></html>");
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("log #1.html")), Report(expected));

    // The pictures are named by list position and written as stored.
    const QString companion = QStringLiteral("log #1.html.files/");
    EXPECT_EQ(m_programDir.ReadFile(companion + QStringLiteral("bicycle00.bmp")),
              Bytes(BitmapBytes(Qt::red)));
    EXPECT_FALSE(QFile::exists(m_programDir.FilePath(companion + QStringLiteral("bicycle01.bmp"))));
    EXPECT_EQ(m_programDir.ReadFile(companion + QStringLiteral("bicycle02.bmp")),
              Bytes(BitmapBytes(Qt::green)));
    EXPECT_EQ(m_programDir.ReadFile(companion + QStringLiteral("logo.jpg")),
              m_programDir.ReadFile(QStringLiteral("logo.dat")));
}

TEST_F(BicycleReportsTest, WithoutBicyclesTheReportsHoldTheirFrameOnly) {
    ScriptedDialogs dialogs;
    ScopedModalDrivers drivers;
    ShowPage();
    const QString status = m_page->StatusText();
    const QString foot = QStringLiteral("Generated by Velomarq.\r\nhttps://velomarq.org\r\n");
    for (int i = 0; i < 2; ++i) {
        dialogs.AnswerReportWritten();
    }
    Export(drivers, PathOf("empty.txt"), kTextReport);
    Export(drivers, PathOf("empty.csv"), kCsvReport);
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("empty.txt")),
              Report(QStringLiteral("Bicycles\r\n\r\n") + status + QStringLiteral("\r\n\r\n") + foot));
    EXPECT_EQ(
        m_programDir.ReadFile(QStringLiteral("empty.csv")),
        Report(QStringLiteral("Name,Type,Purchased,Distance,Total time,Average speed,Max speed,Maintenance"
                              "\r\n\"") +
               status + QStringLiteral("\"\r\n\r\n") + foot));
    const QString html = BicycleHtmlReport({}, status, QStringLiteral("empty.html")).Text();
    EXPECT_TRUE(html.startsWith(QStringLiteral("<html><head>")));
    EXPECT_FALSE(html.contains(QStringLiteral("<tbody>")));
    EXPECT_TRUE(html.endsWith(QStringLiteral("</table></body></html>")));
}

TEST_F(BicycleReportsTest, ThePageAlsoExportsTheServiceReportOfEveryBicycle) {
    AddThreeBicycles();
    Part chain;
    chain.Name = "Chain";
    ASSERT_EQ(DB_InsertPart(&chain, 3, static_cast<int32_t>(FromLocalDateTime(2023, 1, 1, 0))), 0);
    ScriptedDialogs dialogs;
    ScopedModalDrivers drivers;
    ShowPage();
    dialogs.AnswerReportWritten();
    Export(drivers, PathOf("service.csv"), kCsvReport, 1);
    ServiceData data;
    BicycleList bicycles;
    ASSERT_EQ(LoadServiceData(&data), 0);
    ASSERT_EQ(DB_GetBicycleList(&bicycles), 0);
    const QString expected = ServiceCsvReport(ServiceReportRows(data, bicycles, Today()),
                                              ServiceLine(CountTasks(data, 0, Today())))
                                 .Text();
    EXPECT_TRUE(expected.contains(QStringLiteral("Third,Part,Chain")));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("service.csv")), Report(expected));
}

TEST_F(BicycleReportsTest, AReportThatCannotBeWrittenLeavesTheOldOneAsItWas) {
    AddThreeBicycles();
    ScriptedDialogs dialogs;
    ScopedModalDrivers drivers;
    ShowPage();
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("old.csv"), "older report"));
    {
        ScopedWriteFailure failure;
        dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "CCTF"));
        Export(drivers, PathOf("old.csv"), kCsvReport);
        dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "CCTF"));
        Export(drivers, PathOf("new.html"), kHtmlReport);
    }
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("old.csv")), QByteArray("older report"));
    EXPECT_FALSE(QFile::exists(PathOf("new.html")));
    EXPECT_FALSE(QFile::exists(PathOf("new.html.files")));
    EXPECT_EQ(dialogs.Asked()[0].title, GetLanguageString("ErrorStrings", "ERRO"));
    EXPECT_EQ(dialogs.Asked()[0].icon, MessageIcon::Error);

    // A companion folder that cannot be made: no page either.
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("blocked.html.files"), "a file in the folder's place"));
    dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "CRTD"));
    Export(drivers, PathOf("blocked.html"), kHtmlReport);
    EXPECT_FALSE(QFile::exists(PathOf("blocked.html")));
}

}  // namespace
