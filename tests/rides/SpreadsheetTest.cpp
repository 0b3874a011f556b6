// The CSV for spreadsheets: the export byte for byte in a language that
// writes a decimal point and in one that writes a comma, and the import of
// such files and of logs kept by hand: headings, date orders, rows that
// cannot be read, and the round trip into an empty log.

#include "maintenance/MaintenanceReport.h"
#include "memo/MemoDocument.h"
#include "rides/RideDlg.h"
#include "rides/RideReport.h"
#include "rides/SpreadsheetImport.h"
#include "rides/SpreadsheetImportDlg.h"
#include "support/ListPageTest.h"
#include "support/ScopedTimeZone.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressDialog>
#include <QTableWidget>

namespace {

QByteArray Utf8File(const QString& text) {
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

class SpreadsheetTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        AddBicycle(QStringLiteral("Trek 520"));
        AddBicycle(QStringLiteral("-Fuji, \"Track\""));
        AddRide(Ride(1, Local(2025, 5, 4, 10), 10.5, 0, 20, 30, 52.5, QStringLiteral("Two\r\nlines")));
        AddRide(Ride(2, Local(2025, 3, 1, 9, 0, 7), 20.0, 0, 50, 40, 41.0, QStringLiteral("=SUM(A1)")));
        RideDetail detail;
        detail.Ascent = 120.0;
        detail.AverageHeartRate = 142.0;
        ASSERT_EQ(DB_SetRideDetail(1, &detail), 0);
        m_bicycles = Bicycles();
        m_rides = StoredRides();
        m_input.bicycles = &m_bicycles;
        for (const RideRecord& ride : m_rides) {
            m_input.records.push_back(&ride);
        }
    }

    ScopedTimeZone m_zone{"Europe/Berlin"};
    BicycleList m_bicycles;
    RideRecordList m_rides;
    RideReportInput m_input;
};

TEST_F(SpreadsheetTest, ExportFollowsTheLanguagesSeparatorAndDecimalMark) {
    EXPECT_EQ(RideSpreadsheetReport(m_input),
              Utf8File(u"Date,Bicycle,Distance (km),Riding time (h:mm:ss),Average speed (km/h),"
                       u"Max speed (km/h),Ascent (m),Average heart rate (bpm),Memo\r\n"
                       u"2025-05-04T10:00:00+02:00,Trek 520,10.5,0:20:30,30.731707,52.5,120,142,"
                       u"\"Two\r\nlines\"\r\n"
                       u"2025-03-01T09:00:07+01:00,\"'-Fuji, \"\"Track\"\"\",20,0:50:40,23.684211,41,,,"
                       u"'=SUM(A1)\r\n"_qs));
    MaintenanceReportInput entries;
    const MaintenanceRecord entry = Entry(1, Local(2025, 1, 2, 8, 30), 12.5, QStringLiteral("Chain; oil"));
    entries.records = {&entry};
    entries.bicycles = &m_bicycles;
    EXPECT_EQ(
        MaintenanceSpreadsheetReport(entries),
        Utf8File(u"Date,Bicycle,Cost ($),Memo\r\n2025-01-02T08:30:00+01:00,Trek 520,12.5,Chain; oil\r\n"_qs));

    ASSERT_EQ(LoadLanguageFile(SourcePath(QStringLiteral("languages/vmq_01.ini"))), 0);
    EXPECT_EQ(RideSpreadsheetReport(m_input),
              Utf8File(u"Datum;Fahrrad;Strecke (km);Fahrzeit (h:mm:ss);Ø-Tempo (km/h);Höchsttempo (km/h);"
                       u"Anstieg (m);Mittlere Herzfrequenz (S/min);Notiz\r\n"
                       u"2025-05-04T10:00:00+02:00;Trek 520;10,5;0:20:30;30,731707;52,5;120;142;"
                       u"\"Two\r\nlines\"\r\n"
                       u"2025-03-01T09:00:07+01:00;\"'-Fuji, \"\"Track\"\"\";20;0:50:40;23,684211;41;;;"
                       u"'=SUM(A1)\r\n"_qs));
    EXPECT_EQ(
        MaintenanceSpreadsheetReport(entries),
        Utf8File(
            u"Datum;Fahrrad;Kosten ($);Notiz\r\n2025-01-02T08:30:00+01:00;Trek 520;12,5;\"Chain; oil\"\r\n"_qs));
}

TEST_F(SpreadsheetTest, RoundTripIntoAnEmptyLogGivesTheSameRides) {
    SetDistanceUnit(1);  // miles on the way out and in
    for (const char* language : {"languages/vmq_00.ini", "languages/vmq_01.ini"}) {
        ASSERT_EQ(LoadLanguageFile(SourcePath(QString::fromLatin1(language))), 0);
        const CsvTable table = ParseCsv(DecodeCsvBytes(RideSpreadsheetReport(m_input)));
        const SheetMapping mapping = GuessSheetMapping(table);
        EXPECT_TRUE(mapping.miles);
        const std::vector<SheetRow> rows = ReadSheetRows(table, mapping);
        ASSERT_EQ(rows.size(), 2u);

        for (const BicycleAttribute& bicycle : Bicycles()) {
            ASSERT_EQ(DB_DeleteBicycle(bicycle.BicycleNumber), 0);
        }
        const std::vector<SheetBicycle> names = GuessSheetBicycles(rows, Bicycles());
        ASSERT_EQ(names.size(), 2u);
        EXPECT_EQ(names[1].name, QStringLiteral("-Fuji, \"Track\""));
        EXPECT_EQ(names[1].number, 0);
        const ImportSummary summary = ImportSheetRows(rows, names, 0);
        EXPECT_EQ(summary.imported, 2) << summary.failures.join(u'\n').toStdString();

        const RideRecordList back = StoredRides();
        const BicycleList bicycles = Bicycles();
        ASSERT_EQ(back.size(), 2u);
        for (size_t i = 0; i < 2; ++i) {
            const RideRecord& was = m_rides[i];
            const RideRecord& is = back[i];
            EXPECT_EQ(is.Date, was.Date);
            EXPECT_NEAR(is.Distance, was.Distance, 1e-5);
            EXPECT_NEAR(is.MaxSpeed, was.MaxSpeed, 1e-5);
            EXPECT_EQ(std::tie(is.Hours, is.Minutes, is.Seconds),
                      std::tie(was.Hours, was.Minutes, was.Seconds));
            EXPECT_EQ(FromTextBlock(is.Memo), FromTextBlock(was.Memo));
            const BicycleAttribute* bicycle = nullptr;
            ASSERT_EQ(DB_FindBicycle(is.BicycleNumber, &bicycles, &bicycle), 0);
            EXPECT_EQ(FromTextBlock(bicycle->BicycleName), FromTextBlock(m_bicycles[i].BicycleName));
        }
        RideDetail detail;
        bool found = false;
        ASSERT_EQ(DB_GetRideDetail(back[0].RideRecordNumber, &detail, &found), 0);
        EXPECT_TRUE(found);
        EXPECT_EQ(detail.Ascent, 120.0);
        EXPECT_EQ(detail.AverageHeartRate, 142.0);
        EXPECT_FALSE(detail.Descent);

        // Rides are the same within a minute and 1.5 % of distance.
        EXPECT_TRUE(IsSameSheetRide(0, 100.0, 60, 101.5));
        EXPECT_FALSE(IsSameSheetRide(0, 100.0, 61, 100.0));
        EXPECT_FALSE(IsSameSheetRide(0, 100.0, 0, 101.6));
        // The same file again brings nothing new.
        const ImportSummary again = ImportSheetRows(rows, GuessSheetBicycles(rows, Bicycles()), 0);
        EXPECT_EQ(again.imported, 0);
        EXPECT_EQ(again.duplicates.size(), 2);
    }
}

TEST_F(SpreadsheetTest, HandKeptLogsAreReadByTheirHeadingsAndDateOrder) {
    const CsvTable table =
        ParseCsv(QStringLiteral("Notes;KM;Moving time (min);bike;DATE\n"
                                "\"Lake\nloop\";42,5;95;trek 520;13.05.2024 18:30\n"
                                "Hills;12;1:05:00;Brompton;31.02.2024\n"
                                "Hills;x;1:05:00;Brompton;1.6.24\n"));
    const SheetMapping mapping = GuessSheetMapping(table);
    EXPECT_EQ(mapping.Column(RideSheetField::Memo), 0);
    EXPECT_EQ(mapping.Column(RideSheetField::Distance), 1);
    EXPECT_EQ(mapping.Column(RideSheetField::RidingTime), 2);
    EXPECT_EQ(mapping.Column(RideSheetField::Bicycle), 3);
    EXPECT_EQ(mapping.Column(RideSheetField::Date), 4);
    EXPECT_EQ(mapping.dateOrder, DateOrder::DayMonthYear);
    EXPECT_EQ(mapping.decimalMark, QChar(u','));

    const std::vector<SheetRow> rows = ReadSheetRows(table, mapping);
    ASSERT_EQ(rows.size(), 3u);
    ASSERT_TRUE(rows[0].IsRide()) << rows[0].error.toStdString();
    EXPECT_EQ(rows[0].ride.Date, Local(2024, 5, 13, 18, 30));
    EXPECT_DOUBLE_EQ(rows[0].ride.Distance, 42.5);
    EXPECT_EQ(rows[0].ride.Hours, 1);
    EXPECT_EQ(rows[0].ride.Minutes, 35);
    EXPECT_EQ(rows[0].memo, QStringLiteral("Lake\r\nloop"));
    // Each bad row names its line in the file and why.
    EXPECT_EQ(rows[1].error, QStringLiteral("Line 4: \"31.02.2024\" is not a date in the order chosen."));
    EXPECT_EQ(rows[2].error, QStringLiteral("Line 5: Distance \"x\" is not a number."));
    const std::vector<SheetBicycle> names = GuessSheetBicycles(rows, Bicycles());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].number, 1);  // "trek 520" is the log's Trek 520
    const ImportSummary summary = ImportSheetRows(rows, names, 0);
    EXPECT_EQ(summary.imported, 1);
    EXPECT_EQ(summary.failures, QStringList({rows[1].error, rows[2].error}));

    // The same day in the three orders, and the forms that name no date.
    struct Case {
        const char* text;
        DateOrder order;
        int64_t expected;
    };
    const Case cases[] = {
        {"04/05/2025", DateOrder::DayMonthYear, Local(2025, 5, 4)},
        {"05/04/2025 7:15 PM", DateOrder::MonthDayYear, Local(2025, 5, 4, 19, 15)},
        {"25-5-4", DateOrder::YearFirst, Local(2025, 5, 4)},
        {"2025/05/04 07:15", DateOrder::MonthDayYear, Local(2025, 5, 4, 7, 15)},
        {"2025-05-04T10:00:00Z", DateOrder::DayMonthYear, Local(2025, 5, 4, 12)},
        {"2025-05-04 10:00:00-04:00", DateOrder::DayMonthYear, Local(2025, 5, 4, 16)},
        {"13/13/2025", DateOrder::DayMonthYear, -1},
        {"2025/05/04(Sunday)", DateOrder::DayMonthYear, Local(2025, 5, 4)},
        {"yesterday", DateOrder::DayMonthYear, -1},
        {"05/04/2025 13:00 PM", DateOrder::MonthDayYear, -1},
    };
    for (const Case& c : cases) {
        const std::optional<int64_t> date = ReadSheetDate(QString::fromLatin1(c.text), c.order);
        EXPECT_EQ(date.value_or(-1), c.expected) << c.text;
    }
}

// The rides page: a .csv file chosen for import goes through the mapping step.
class SpreadsheetPageTest : public ListPageTest<RideDlg> {};

TEST_F(SpreadsheetPageTest, ChosenCsvFileIsMappedPreviewedAndImported) {
    AddBicycle(QStringLiteral("Trek 520"));
    const QString file = Path(QStringLiteral("log.csv"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("log.csv"),
                                       "Date,Distance (mi),Time,Bike,Notes\r\n"
                                       "05/30/2025,10,1:00,Gravel,<b>fast</b> & far\r\n"
                                       "05/31/2025,12.5,0:45,TREK 520,\r\n"
                                       "06/31/2025,3,0:10,,\r\n"));
    ShowPage();
    m_dialogs.AnswerOpenFiles({file});
    m_drivers.Then<SpreadsheetImportDlg>([](SpreadsheetImportDlg& dialog) {
        auto* preview = dialog.findChild<QTableWidget*>(QStringLiteral("preview"));
        ASSERT_EQ(preview->rowCount(), 3);
        EXPECT_EQ(preview->item(0, 3)->text(), QStringLiteral("10.00 miles"));
        EXPECT_EQ(preview->item(2, 7)->text(),
                  QStringLiteral("Line 4: \"06/31/2025\" is not a date in the order chosen."));
        EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("count"))->text(),
                  QStringLiteral("Rows that can be imported: 2; rows that cannot: 1."));
        EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("bicycleFor0"))->currentIndex(), 0);  // new
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("import")), Qt::LeftButton);
    });
    m_dialogs.AnswerMessage(kButtonOk,
                            QStringLiteral("2 ride(s) imported.\n\nLine 4: \"06/31/2025\" is not a date "
                                           "in the order chosen."));
    ClickPage("import");

    const RideRecordList rides = StoredRides();
    ASSERT_EQ(rides.size(), 2u);
    // Newest first: the ride on the Trek, then the one on the new Gravel.
    EXPECT_EQ(rides[0].BicycleNumber, 1);
    EXPECT_NEAR(rides[1].Distance, 16.09, 1e-9);
    EXPECT_EQ(rides[1].BicycleNumber, 2);
    // The note is the memo's text, never its markup.
    EXPECT_EQ(FromTextBlock(rides[1].Memo), QStringLiteral("<b>fast</b> & far"));
    EXPECT_TRUE(DecodeMemoDocument(
                    m_programDir.ReadFile(QStringLiteral("Rides/%1/data.htm").arg(rides[1].RideRecordNumber)))
                    .contains(u"&lt;b&gt;fast&lt;/b&gt; &amp; far"));
    ASSERT_EQ(Bicycles().size(), 2u);
    EXPECT_EQ(FromTextBlock(Bicycles()[1].BicycleName), QStringLiteral("Gravel"));
    EXPECT_EQ(m_dialogs.Asked().back().icon, MessageIcon::Warning);
}

TEST_F(SpreadsheetPageTest, CancelKeepsTheRidesImportedUntilThen) {
    AddBicycle(QStringLiteral("Trek 520"));
    QByteArray log("Date,Distance\n");
    for (int ride = 0; ride < 45; ++ride) {
        log += QStringLiteral("2025-%1-%2 08:00,20\n").arg(ride / 28 + 1).arg(ride % 28 + 1).toUtf8();
    }
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("log.csv"), log));
    ShowPage();
    m_dialogs.AnswerOpenFiles({Path(QStringLiteral("log.csv"))});
    m_drivers.Then<SpreadsheetImportDlg>([](SpreadsheetImportDlg& dialog) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("import")), Qt::LeftButton);
    });
    m_drivers.WatchProgress([](QProgressDialog& progress) {
        if (progress.value() == 20) {
            QTest::mouseClick(progress.findChild<QPushButton*>(), Qt::LeftButton);
        }
    });
    m_dialogs.AnswerMessage(kButtonOk,
                            QStringLiteral("20 ride(s) imported.\nThe import was cancelled; the rides "
                                           "imported until then are kept."));
    ClickPage("import");
    EXPECT_EQ(StoredRides().size(), 20u);
}

TEST_F(SpreadsheetPageTest, ExportOffersTheCsvForSpreadsheets) {
    AddBicycle(QStringLiteral("Trek 520"));
    AddRide(Ride(1, Local(2025, 5, 4, 10), 10.0, 0, 30, 0));
    ShowPage();
    m_dialogs.AnswerReportWritten();
    Export(kSpreadsheetReport, Path(QStringLiteral("rides")));
    EXPECT_EQ(
        m_programDir.ReadFile(QStringLiteral("rides.csv")),
        Utf8File(u"Date,Bicycle,Distance (km),Riding time (h:mm:ss),Average speed (km/h),Max speed (km/h),"
                 u"Memo\r\n2025-05-04T10:00:00+02:00,Trek 520,10,0:30:00,20,0,\r\n"_qs));
}

}  // namespace
