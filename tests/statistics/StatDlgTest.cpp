// The statistics page as the rider uses it: the bicycle chooser, the summary
// list, the contents, style and day choosers, failures and a language change.

#include "StatTestSupport.h"
#include "support/ScriptedDialogs.h"
#include "support/UserInput.h"
#include "widgets/ImageButton.h"

#include <QHeaderView>

namespace {

TEST_F(StatPageTest, ShowsTheSummaryOfAllBicycles) {
    const int road = AddBicycle(QStringLiteral("Road <fast>, \"red\""));
    const int town = AddBicycle(QStringLiteral("Town"));
    AddRide(road, Local(2024, 3, 10, 9), 50.0, 2);
    AddRide(town, Local(2024, 3, 11, 9), 10.0, 0, 40);
    AddRide(town, Local(2023, 5, 1, 9), 30.0, 1, 30);

    ShowPage();
    ASSERT_EQ(Bicycles()->count(), 3);
    EXPECT_EQ(Bicycles()->itemText(0), QStringLiteral("All bicycles"));
    EXPECT_EQ(Bicycles()->itemText(1), QStringLiteral("Road <fast>, \"red\""));
    EXPECT_EQ(Bicycles()->itemText(2), QStringLiteral("Town"));
    EXPECT_EQ(Bicycles()->currentIndex(), 0);
    EXPECT_EQ(Find<ImageButton>("StatExport")->text(), QStringLiteral("Export(&E)"));

    EXPECT_TRUE(List()->isVisible());
    EXPECT_EQ(Headings(), (QStringList{QString(), QStringLiteral("Rides"), QStringLiteral("Distance"),
                                       QStringLiteral("Total time"), QStringLiteral("Average speed")}));
    ASSERT_EQ(RowCount(), 17);
    EXPECT_EQ(RowTexts(0),
              (QStringList{QStringLiteral("This month"), QStringLiteral("2"), QStringLiteral("60.00 km"),
                           QStringLiteral("2:40:00"), QStringLiteral("22.50 km/h")}));
    EXPECT_EQ(RowTexts(10).value(1), QStringLiteral("1"));
    EXPECT_EQ(RowTexts(14),
              (QStringList{QStringLiteral("All rides"), QStringLiteral("3"), QStringLiteral("90.00 km"),
                           QStringLiteral("4:10:00"), QStringLiteral("21.60 km/h")}));
    EXPECT_EQ(RowTexts(2), (QStringList{QString(), QString(), QString(), QString(), QString()}));
}

TEST_F(StatPageTest, OffersTheChoosersAndStartsWithTheSummary) {
    m_clock.Set(Local(2024, 3, 15, 12, 34, 56));
    ShowPage();
    for (QWidget* shown : {static_cast<QWidget*>(Contents()), static_cast<QWidget*>(Style()),
                           static_cast<QWidget*>(StartPicker()), static_cast<QWidget*>(EndPicker())}) {
        EXPECT_TRUE(shown->isVisible()) << shown->objectName().toStdString();
    }
    EXPECT_FALSE(Chart()->isVisible());
    ASSERT_EQ(Contents()->count(), kContentsCount);
    EXPECT_EQ(Contents()->currentIndex(), 0);
    EXPECT_EQ(Contents()->itemText(0), QStringLiteral("Period summary"));
    EXPECT_EQ(Contents()->itemText(11), QStringLiteral("Rides by month"));
    ASSERT_EQ(Style()->count(), 3);
    EXPECT_EQ(Style()->itemText(2), QStringLiteral("Bar chart"));
    EXPECT_EQ(Style()->currentIndex(), 0);
    // The summary has no dates and no chart style.
    EXPECT_FALSE(StartPicker()->isEnabled());
    EXPECT_FALSE(EndPicker()->isEnabled());
    EXPECT_FALSE(Style()->isEnabled());
    EXPECT_EQ(StartPicker()->dateTime(), QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
    EXPECT_EQ(EndPicker()->dateTime(), QDateTime(QDate(2024, 3, 15), QTime(12, 34, 56)));
    EXPECT_EQ(StartPicker()->minimumDateTime(), QDateTime(QDate(1980, 1, 1), QTime(12, 0)));
    EXPECT_EQ(EndPicker()->maximumDateTime(), QDateTime(QDate(2038, 1, 17), QTime(12, 0)));
}

TEST_F(StatPageTest, ABicycleRestrictsEveryRowAndTheNextVisitStartsWithAll) {
    const int road = AddBicycle(QStringLiteral("Road"));
    const int town = AddBicycle(QStringLiteral("Town"));
    AddRide(road, Local(2024, 3, 10, 9), 50.0);
    AddRide(road, Local(2023, 3, 10, 9), 40.0);
    AddRide(town, Local(2024, 3, 11, 9), 10.0);
    AddRide(town, Local(2024, 2, 11, 9), 5.0);

    ShowPage();
    m_status->SetText(QStringLiteral("left by another page"));
    ChooseListEntry(Bicycles(), 2);
    EXPECT_EQ(RowTexts(0).value(2), QStringLiteral("10.00 km"));
    EXPECT_EQ(RowTexts(3).value(2), QStringLiteral("5.00 km"));
    EXPECT_EQ(RowTexts(10).value(2), QStringLiteral("0.00 km"));
    EXPECT_EQ(RowTexts(14).value(2), QStringLiteral("15.00 km"));
    EXPECT_EQ(m_status->Text(), QString());
    ChooseListEntry(Bicycles(), 1);
    EXPECT_EQ(RowTexts(14).value(2), QStringLiteral("90.00 km"));

    // A bicycle added meanwhile is offered at the next visit, which starts with all bicycles.
    HidePage();
    AddBicycle(QStringLiteral("Gravel"));
    ShowPage();
    EXPECT_EQ(Bicycles()->count(), 4);
    EXPECT_EQ(Bicycles()->currentIndex(), 0);
    EXPECT_EQ(RowTexts(14).value(2), QStringLiteral("105.00 km"));
}

TEST_F(StatPageTest, WithoutBicyclesTheSummaryCoversEveryRide) {
    AddRide(4, Local(2024, 3, 1, 9), 12.0);
    ShowPage();
    EXPECT_EQ(Bicycles()->count(), 1);
    EXPECT_EQ(RowTexts(0).value(2), QStringLiteral("12.00 km"));
}

TEST_F(StatPageTest, RecordsThatCannotBeReadAreReportedAndTheListKeepsItsHeadings) {
    DB_CloseDatabase();
    ScriptedDialogs dialogs;
    const QString gfdb = GetLanguageString("ErrorStrings", "GFDB");
    dialogs.AnswerMessage(kButtonOk, gfdb);  // the bicycles
    dialogs.AnswerMessage(kButtonOk, gfdb);  // the rides
    ShowPage();
    ASSERT_EQ(dialogs.Asked().size(), 2u);
    EXPECT_EQ(dialogs.Asked()[0].icon, MessageIcon::Error);
    EXPECT_EQ(dialogs.Asked()[0].title, GetLanguageString("ErrorStrings", "ERRO"));
    EXPECT_EQ(Bicycles()->count(), 1);
    EXPECT_EQ(Headings().size(), 5);
    EXPECT_EQ(RowCount(), 0);
}

TEST_F(StatPageTest, TheChoicesSelectTheirListsAndDays) {
    const int road = AddBicycle(QStringLiteral("Road"));
    AddRide(road, Local(2023, 12, 31, 23, 59, 59), 1.0);  // before the start day
    AddRide(road, Local(2024, 1, 1, 0, 0, 0), 2.0);       // the start day's first second
    AddRide(road, Local(2024, 3, 15, 23, 59, 59), 4.0);   // the end day's last second, after now
    AddRide(road, Local(2024, 3, 16, 0, 0, 0), 8.0);      // after the end day
    ShowPage();

    // Ride by ride: the whole local days from January 1 to today, oldest first.
    ChooseListEntry(Contents(), kContentsDistanceByRide);
    EXPECT_EQ(Headings(), (QStringList{QStringLiteral("Date"), QStringLiteral("Distance")}));
    ASSERT_EQ(RowCount(), 2);
    EXPECT_EQ(RowTexts(0), (QStringList{QStringLiteral("2024/01/01(Monday)"), QStringLiteral("2.00 km")}));
    EXPECT_EQ(RowTexts(1), (QStringList{QStringLiteral("2024/03/15(Friday)"), QStringLiteral("4.00 km")}));
    EXPECT_TRUE(StartPicker()->isEnabled());
    EXPECT_TRUE(Style()->isEnabled());

    // A later end day takes in the later ride.
    EndPicker()->setDateTime(QDateTime(QDate(2025, 3, 15), QTime(8, 0)));
    EXPECT_EQ(RowCount(), 3);

    // The chart style: the chart in place of the list.
    ChooseListEntry(Style(), 1);
    EXPECT_FALSE(List()->isVisibleTo(m_page));
    EXPECT_TRUE(Chart()->isVisibleTo(m_page));

    // By month, from January to the month of the later ride, empty months as zero.
    ChooseListEntry(Style(), 0);
    ChooseListEntry(Contents(), kContentsRidesByMonth);
    EXPECT_EQ(Headings(), (QStringList{QStringLiteral("Date"), QStringLiteral("Rides")}));
    EXPECT_EQ(List()->horizontalHeader()->sectionSize(0), 100);
    ASSERT_EQ(RowCount(), 3);
    EXPECT_EQ(RowTexts(0), (QStringList{QStringLiteral("2024/01"), QStringLiteral("1")}));
    EXPECT_EQ(RowTexts(1), (QStringList{QStringLiteral("2024/02"), QStringLiteral("0")}));
    EXPECT_EQ(RowTexts(2), (QStringList{QStringLiteral("2024/03"), QStringLiteral("2")}));
    ChooseListEntry(Contents(), kContentsTimeByWeek);
    EXPECT_EQ(Headings(), (QStringList{QStringLiteral("Date"), QStringLiteral("Riding time")}));

    // Back to the summary: the list style again, the dates out of play.
    ChooseListEntry(Style(), 1);
    ChooseListEntry(Contents(), kContentsSummary);
    EXPECT_EQ(Style()->currentIndex(), 0);
    EXPECT_TRUE(List()->isVisibleTo(m_page));
    EXPECT_FALSE(Chart()->isVisibleTo(m_page));
    EXPECT_FALSE(EndPicker()->isEnabled());
    EXPECT_EQ(RowTexts(14).value(2), QStringLiteral("15.00 km"));
    // A series again: the chart style chosen for it comes back.
    ChooseListEntry(Contents(), kContentsRidesByWeek);
    EXPECT_EQ(Style()->currentIndex(), 1);
    EXPECT_TRUE(Chart()->isVisibleTo(m_page));
}

TEST_F(StatPageTest, TheListFillsThePageBelowTheControls) {
    ShowPage();
    for (const QSize size : {QSize(892, 536), QSize(640, 300), QSize(1200, 800)}) {
        m_page->resize(size);
        // Below the line of the period and the days, which lies below the row of choosers.
        const int top = EndPicker()->mapTo(m_page, QPoint(0, EndPicker()->height())).y() + 4;
        EXPECT_GE(top, 60 + EndPicker()->height());
        const QRect expected(4, top, size.width() - 8, size.height() - top - 4);
        EXPECT_EQ(List()->geometry(), expected);
        EXPECT_EQ(Chart()->geometry(), expected);
    }
}

TEST_F(StatPageTest, FollowsALanguageChange) {
    ShowPage();
    QByteArray text = m_programDir.ReadFile(QStringLiteral("languages/vmq_00.ini"));
    text.replace("THMT=This month", "THMT=Dieser Monat");
    text.replace("ALBC=All bicycles", "ALBC=Alle Fahrräder");
    text.replace("TOTM=Total time", "TOTM=Gesamtzeit");
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("languages/vmq_01.ini"), text));
    FreeLanguageTable();
    ASSERT_EQ(LoadLanguageFile(m_programDir.FilePath(QStringLiteral("languages/vmq_01.ini"))), 0);

    m_page->RefreshCaptions();
    EXPECT_EQ(Bicycles()->itemText(0), QStringLiteral("Alle Fahrräder"));
    EXPECT_EQ(Headings().value(3), QStringLiteral("Gesamtzeit"));
    EXPECT_EQ(RowTexts(0).value(0), QStringLiteral("Dieser Monat"));
}

TEST_F(StatPageTest, AChosenYearOrMonthShowsItsPeriodAndTheOverviewEveryYear) {
    const int road = AddBicycle(QStringLiteral("Road"));
    AddRide(road, Local(2022, 5, 1, 9), 12.0, 0, 30);
    AddRide(road, Local(2023, 7, 1, 9), 40.0, 2);
    AddRide(road, Local(2023, 7, 20, 9), 20.0, 1);
    RideDetail climb;
    climb.Ascent = 640.0;
    ASSERT_EQ(DB_SetRideDetail(2, &climb), store::kOk);
    ShowPage();
    auto* year = Find<QComboBox>("StatYear");
    auto* month = Find<QComboBox>("StatMonth");
    ASSERT_EQ(year->count(), 4);  // none, 2024, 2023, 2022
    EXPECT_FALSE(month->isEnabled());

    ChooseListEntry(year, year->findText(QStringLiteral("2023")));
    ASSERT_EQ(RowCount(), 16);
    EXPECT_EQ(Headings().value(5), QStringLiteral("Ascent"));
    EXPECT_EQ(RowTexts(0), (QStringList{QStringLiteral("2023"), QStringLiteral("2"),
                                        QStringLiteral("60.00 km"), QStringLiteral("3:00:00"),
                                        QStringLiteral("20.00 km/h"), QStringLiteral("640 m")}));
    EXPECT_EQ(RowTexts(10).value(2), QStringLiteral("60.00 km"));  // July
    ChooseListEntry(month, 7);
    ASSERT_EQ(RowCount(), 5);  // the month, its daily average, an empty row and two days
    EXPECT_EQ(RowTexts(0).value(0), QStringLiteral("2023/07"));

    // A series covers the days of the period chosen.
    ChooseListEntry(Contents(), kContentsAscentByMonth);
    EXPECT_FALSE(StartPicker()->isEnabled());
    EXPECT_EQ(StartPicker()->date(), QDate(2023, 7, 1));
    EXPECT_EQ(EndPicker()->date(), QDate(2023, 7, 31));
    ASSERT_EQ(RowCount(), 1);
    EXPECT_EQ(RowTexts(0), (QStringList{QStringLiteral("2023/07"), QStringLiteral("640 m")}));
    ChooseListEntry(year, 0);
    EXPECT_TRUE(StartPicker()->isEnabled());

    ChooseListEntry(Contents(), kContentsYearByYear);
    EXPECT_FALSE(year->isEnabled());
    EXPECT_FALSE(Style()->isEnabled());
    ASSERT_EQ(RowCount(), 4);  // 2023, 2022, an empty row and all rides
    EXPECT_EQ(RowTexts(0).value(0), QStringLiteral("2023"));
}

}  // namespace
