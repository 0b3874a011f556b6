// The ride list page as the rider uses it: what is listed and summed, the
// bicycle and day filters, sorting, New, Modify with stepping, Delete with the
// memo folder, and what happens when the store refuses a change.

#include "memo/MemoEditor.h"
#include "rides/RideDlg.h"
#include "rides/RideRecordDlg.h"
#include "support/ListPageTest.h"

#include <QFileInfo>
#include <QMenu>
#include <algorithm>
#include <memory>

#include <ostream>

namespace {

class RideDlgTest : public ListPageTest<RideDlg> {
protected:
    void SetUp() override {
        ListPageTest::SetUp();
        AddBicycle(QStringLiteral("Trek 520"));
        AddBicycle(QStringLiteral("Fuji <Track>"));
    }
};

TEST_F(RideDlgTest, ListsTheYearsRidesNewestFirstAndSumsThem) {
    AddRide(Ride(1, Local(2025, 3, 1, 9), 20.0, 0, 50, 40, 41.0,
                 QStringLiteral("Thirty characters of memo text")));
    AddRide(Ride(2, Local(2025, 5, 4, 10), 10.0, 0, 20, 30, 52.5,
                 QStringLiteral("Thirty-three characters of memo..")));
    AddRide(Ride(9, Local(2025, 4, 2, 8), 0.0, 0, 0, 0));              // its bicycle is gone
    AddRide(Ride(1, Local(2024, 12, 31, 23, 59, 59), 99.0, 9, 0, 0));  // last year
    ShowPage();

    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(ColumnTexts(0),
              QStringList({"2025/05/04(Sunday)", "2025/04/02(Wednesday)", "2025/03/01(Saturday)"}));
    EXPECT_EQ(ColumnTexts(1), QStringList({"Fuji <Track>", "", "Trek 520"}));
    EXPECT_EQ(ColumnTexts(2), QStringList({"10.00km", "0.00km", "20.00km"}));
    EXPECT_EQ(ColumnTexts(3), QStringList({"0:20:30", "0:00:00", "0:50:40"}));
    EXPECT_EQ(ColumnTexts(4), QStringList({"29.27km/h", "0.00km/h", "23.68km/h"}));
    EXPECT_EQ(ColumnTexts(5), QStringList({"52.50km/h", "0.00km/h", "41.00km/h"}));
    EXPECT_EQ(ColumnTexts(6),
              QStringList({"Thirty-three characters of memo....", "", "Thirty characters of memo text"}));
    EXPECT_EQ(m_page->Rides().headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(),
              GetLanguageString("RideRecordDlg", "RDTM"));

    const QString status =
        QStringLiteral("3 rides, 30.00 km in 1:11:10, average 25.29 km/h, fastest 52.50 km/h");
    EXPECT_EQ(m_status.Text(), status);
    EXPECT_EQ(m_page->StatusText(), status);
    EXPECT_EQ(Find<QDateEdit>(*m_page, "startDate")->date(), QDate(2025, 1, 1));
    EXPECT_EQ(Find<QDateEdit>(*m_page, "endDate")->date(), QDate(2025, 6, 1));
}

TEST_F(RideDlgTest, MilesInCellsAndStatus) {
    SetDistanceUnit(1);
    AddRide(Ride(1, Local(2025, 3, 1, 9), 16.09, 1, 0, 0, 32.18));
    ShowPage();
    EXPECT_EQ(Cell(0, 2), QStringLiteral("10.00miles"));
    EXPECT_EQ(Cell(0, 4), QStringLiteral("10.00mph"));
    EXPECT_EQ(Cell(0, 5), QStringLiteral("20.00mph"));
    EXPECT_EQ(m_status.Text(),
              QStringLiteral("1 ride, 10.00 miles in 1:00:00, average 10.00 mph, fastest 20.00 mph"));
}

TEST_F(RideDlgTest, FurtherColumnsAreChosenKeptAndSortByTheirFigures) {
    for (int day = 1; day <= 3; ++day) {
        AddRide(Ride(1, Local(2025, 3, day, 9), 10.0 * day, 1, 0, 0));
    }
    RideDetail climbed;
    climbed.Ascent = 1200.4;
    ASSERT_EQ(DB_SetRideDetail(2, &climbed), store::kOk);
    climbed.Ascent = 300.0;
    ASSERT_EQ(DB_SetRideDetail(1, &climbed), store::kOk);
    ShowPage();
    EXPECT_FALSE(m_page->ColumnShown(kRideAscentColumn));
    EXPECT_TRUE(m_status.Text().endsWith(QStringLiteral(", climbed 1500 m")));

    const std::unique_ptr<QMenu> menu(m_page->NewColumnMenu(nullptr));
    ASSERT_EQ(menu->actions().size(), kRideFurtherColumnCount);
    menu->findChild<QAction*>(QStringLiteral("Ascent"))->trigger();
    EXPECT_TRUE(m_page->ColumnShown(kRideAscentColumn));
    EXPECT_EQ(Heading(kRideAscentColumn), QStringLiteral("Ascent (m)"));
    EXPECT_EQ(ColumnTexts(kRideAscentColumn), QStringList({"", "1200", "300"}));
    ClickHeading(kRideAscentColumn);  // rides without the figure first
    EXPECT_EQ(ColumnTexts(kRideAscentColumn), QStringList({"", "300", "1200"}));
    EXPECT_EQ(ColumnTexts(2), QStringList({"30.00km", "10.00km", "20.00km"}));

    // The status line adds the climb; the reports' summary stays as it was.
    EXPECT_EQ(m_page->StatusText(),
              QStringLiteral("3 rides, 60.00 km in 3:00:00, average 20.00 km/h, fastest 0.00 km/h"));
    EXPECT_EQ(m_status.Text(), m_page->StatusText() + QStringLiteral(", climbed 1500 m"));

    m_page.reset();  // a new page shows the choice kept
    ShowPage();
    EXPECT_TRUE(m_page->ColumnShown(kRideAscentColumn));
    EXPECT_FALSE(m_page->ColumnShown(kRideEffortColumn));
}

// The figures of the listed rides are read in one pass over their stretch of
// rides, or, when a few rides lie far apart, by the list's condition: both
// show the same, and neither a row kept with another date nor the row of a
// ride not listed.
class RideDlgFigures : public RideDlgTest, public ::testing::WithParamInterface<int> {};

TEST_P(RideDlgFigures, ShowOnlyRowsOfListedRidesAndReadAnotherFigureWhenItsColumnIsShown) {
    for (int day = 1; day <= 4; ++day) {
        AddRide(Ride(1, Local(2025, 3, day, 9), 10.0 * day, 1, 0, 0));
    }
    AddRide(Ride(1, Local(2024, 3, 1, 9), 50.0, 1, 0, 0));  // last year, not listed
    const int last = GetParam();
    ASSERT_EQ(DB_ExecSql(DB_GetConnection(), ("update RideRecord set RideRecordNumber = " +
                                              std::to_string(last) + " where RideRecordNumber = 4")
                                                 .c_str()),
              store::kOk);
    struct Figures {
        int number;
        double ascent;
        std::optional<double> heartRate;
    };
    const Figures rows[] = {
        {1, 300.0, 120.0}, {2, 1200.4, {}}, {3, 999.0, 99.0}, {last, 50.0, 140.0}, {5, 777.0, {}}};
    for (const Figures& figures : rows) {
        RideDetail row;
        row.Ascent = figures.ascent;
        row.AverageHeartRate = figures.heartRate;
        ASSERT_EQ(DB_SetRideDetail(figures.number, &row), store::kOk);
    }
    // Another program moved ride 3 to another day: its row no longer belongs to it.
    ASSERT_EQ(
        DB_ExecSql(DB_GetConnection(), "update RideDetail set Date = Date + 1 where RideRecordNumber = 3"),
        store::kOk);
    ShowPage();
    m_page->ShowColumn(kRideAscentColumn, true);
    EXPECT_EQ(ColumnTexts(kRideAscentColumn), QStringList({"50", "", "1200", "300"}));
    EXPECT_TRUE(m_status.Text().endsWith(QStringLiteral(", climbed 1550 m")));
    m_page->ShowColumn(kRideAverageHeartRateColumn, true);
    EXPECT_EQ(ColumnTexts(kRideAverageHeartRateColumn), QStringList({"140", "", "", "120"}));
}

INSTANTIATE_TEST_SUITE_P(NearAndFar, RideDlgFigures, ::testing::Values(4, 5000));

TEST_F(RideDlgTest, BicycleFilterIsRememberedBetweenShowings) {
    AddRide(Ride(1, Local(2025, 3, 1, 9), 20.0, 1, 0, 0));
    AddRide(Ride(2, Local(2025, 3, 2, 9), 30.0, 1, 0, 0));
    ShowPage();
    QComboBox* filter = Find<QComboBox>(*m_page, "bicycleFilter");
    ASSERT_EQ(filter->count(), 3);
    EXPECT_EQ(filter->itemText(0), GetLanguageString("Strings", "ALBC"));
    EXPECT_EQ(filter->itemText(2), QStringLiteral("Fuji <Track>"));
    ChooseListEntry(filter, 2);
    EXPECT_EQ(ColumnTexts(2), QStringList({"30.00km"}));
    EXPECT_TRUE(m_status.Text().startsWith(u"1 ride, 30.00 km"));

    ShowPage();  // away and back
    EXPECT_EQ(filter->currentIndex(), 2);
    EXPECT_EQ(Rows(), 1);
    ChooseListEntry(filter, 0);
    EXPECT_EQ(Rows(), 2);
}

// Around local midnight: the list holds whole local days, both ends included.
struct MidnightCase {
    const char* zone;
};
void PrintTo(const MidnightCase& c, std::ostream* out) {
    *out << c.zone;
}
class RideDlgMidnight : public RideDlgTest, public ::testing::WithParamInterface<MidnightCase> {};

TEST_P(RideDlgMidnight, ListsWholeLocalDaysAcrossMidnightAndClockChanges) {
    ScopedTimeZone zone(GetParam().zone);
    AddRide(Ride(1, Local(2025, 12, 31, 23, 59, 59), 1.0, 0, 0, 0));
    AddRide(Ride(1, Local(2026, 1, 1, 0, 0, 0), 2.0, 0, 0, 0));
    AddRide(Ride(1, Local(2026, 1, 1, 23, 59, 59), 3.0, 0, 0, 0));
    AddRide(Ride(1, Local(2026, 1, 2, 0, 0, 0), 4.0, 0, 0, 0));
    ShowPage();
    SetDays(QDate(2026, 1, 1), QDate(2026, 1, 1));
    EXPECT_EQ(ColumnTexts(2), QStringList({"3.00km", "2.00km"}));
    SetDays(QDate(2025, 12, 31), QDate(2025, 12, 31));
    EXPECT_EQ(ColumnTexts(2), QStringList({"1.00km"}));

    // The days the clocks change: 23 and 25 hours long, evenings included.
    AddRide(Ride(2, Local(2025, 3, 9, 23, 30), 5.0, 0, 0, 0));   // the US spring forward
    AddRide(Ride(2, Local(2025, 3, 30, 23, 30), 6.0, 0, 0, 0));  // the European one
    AddRide(Ride(2, Local(2025, 10, 26, 23, 30), 7.0, 0, 0, 0));
    AddRide(Ride(2, Local(2025, 11, 2, 23, 30), 8.0, 0, 0, 0));
    AddRide(Ride(2, Local(2025, 10, 27, 0, 0), 9.0, 0, 0, 0));
    for (const auto& [day, km] :
         {std::pair{QDate(2025, 3, 9), "5.00km"}, std::pair{QDate(2025, 3, 30), "6.00km"},
          std::pair{QDate(2025, 10, 26), "7.00km"}, std::pair{QDate(2025, 11, 2), "8.00km"}}) {
        SetDays(day, day);
        EXPECT_EQ(ColumnTexts(2), QStringList({QString::fromLatin1(km)})) << day.toString().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Zones, RideDlgMidnight,
                         ::testing::Values(MidnightCase{"Europe/Berlin"}, MidnightCase{"America/New_York"}));

TEST_F(RideDlgTest, EndDayFollowsTheCalendarUntilTheRiderSetsIt) {
    AddRide(Ride(1, Local(2025, 6, 2, 0, 30), 5.0, 0, 0, 0));
    ShowPage();
    EXPECT_EQ(Rows(), 0);
    m_clock.Set(Local(2025, 6, 2, 0, 45));  // past midnight, the program still open
    ShowPage();
    EXPECT_EQ(Find<QDateEdit>(*m_page, "endDate")->date(), QDate(2025, 6, 2));
    EXPECT_EQ(Rows(), 1);

    SetDays(QDate(2025, 1, 1), QDate(2025, 5, 31));
    m_clock.Set(Local(2025, 6, 3, 9));
    ShowPage();
    EXPECT_EQ(Find<QDateEdit>(*m_page, "endDate")->date(), QDate(2025, 5, 31));
}

TEST_F(RideDlgTest, HeadingClicksSortAndShowTheArrow) {
    AddRide(Ride(2, Local(2025, 3, 1, 9), 20.0, 0, 50, 0, 30.0));
    AddRide(Ride(1, Local(2025, 3, 2, 9), 10.0, 2, 0, 0, 50.0));
    AddRide(Ride(2, Local(2025, 3, 3, 9), 30.0, 1, 0, 0, 40.0));
    ShowPage();
    SortArrowHeader* header = Table()->ArrowHeader();
    EXPECT_EQ(header->ArrowColumn(), -1);

    ClickHeading(2);  // the first click of the run sorts ascending
    EXPECT_EQ(ColumnTexts(2), QStringList({"10.00km", "20.00km", "30.00km"}));
    EXPECT_EQ(header->ArrowColumn(), 2);
    EXPECT_TRUE(header->ArrowAscending());
    ClickHeading(3);  // the next click, on any column, descending
    EXPECT_EQ(ColumnTexts(3), QStringList({"2:00:00", "1:00:00", "0:50:00"}));
    EXPECT_EQ(header->ArrowColumn(), 3);
    EXPECT_FALSE(header->ArrowAscending());
    ClickHeading(6);  // the memo column does not sort
    EXPECT_EQ(ColumnTexts(3), QStringList({"2:00:00", "1:00:00", "0:50:00"}));
    EXPECT_EQ(header->ArrowColumn(), 3);
    ClickHeading(4);  // average speed, ascending
    EXPECT_EQ(ColumnTexts(4), QStringList({"5.00km/h", "24.00km/h", "30.00km/h"}));
    ClickHeading(1);  // by the bicycle's number, not its name
    EXPECT_EQ(ColumnTexts(1), QStringList({"Fuji <Track>", "Fuji <Track>", "Trek 520"}));
    ClickHeading(5);
    EXPECT_EQ(ColumnTexts(5), QStringList({"30.00km/h", "40.00km/h", "50.00km/h"}));
    ClickHeading(0);
    EXPECT_EQ(ColumnTexts(2), QStringList({"30.00km", "10.00km", "20.00km"}));

    // A reload brings the newest first again, without an arrow.
    ClickHeading(0);
    ShowPage();
    EXPECT_EQ(ColumnTexts(2), QStringList({"30.00km", "10.00km", "20.00km"}));
    EXPECT_EQ(header->ArrowColumn(), -1);
}

TEST_F(RideDlgTest, NewRideIsStoredWithTheFilteredBicycleAndListed) {
    ShowPage();
    ChooseListEntry(Find<QComboBox>(*m_page, "bicycleFilter"), 2);
    m_drivers.Then<RideRecordDlg>([&](RideRecordDlg& editor) {
        EXPECT_EQ(Find<QComboBox>(editor, "bicycle")->currentText(), QStringLiteral("Fuji <Track>"));
        EXPECT_EQ(editor.MemoFolder(), Path(QStringLiteral("Rides/1")));
        Type(editor, "hours", QStringLiteral("1"));
        Type(editor, "distance", QStringLiteral("25"));
        Click(editor, "save");
    });
    ClickPage("new");
    const RideRecordList rides = StoredRides();
    ASSERT_EQ(rides.size(), 1u);
    EXPECT_EQ(rides[0].BicycleNumber, 2);
    EXPECT_EQ(rides[0].Date, Local(2025, 6, 1, 18, 30));
    EXPECT_EQ(ColumnTexts(2), QStringList({"25.00km"}));
    EXPECT_EQ(Table()->FirstSelectedRow(), 0);
    EXPECT_TRUE(m_status.Text().startsWith(u"1 ride, 25.00 km"));
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("Rides/1/data.htm"))));

    // All bicycles preselects none; a cancelled new ride leaves nothing.
    ChooseListEntry(Find<QComboBox>(*m_page, "bicycleFilter"), 0);
    m_drivers.Then<RideRecordDlg>([&](RideRecordDlg& editor) {
        EXPECT_EQ(Find<QComboBox>(editor, "bicycle")->currentIndex(), -1);
        EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("Rides/2"))));
        Click(editor, "cancel");
    });
    ClickPage("new");
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("Rides/2"))));
    EXPECT_EQ(StoredRides().size(), 1u);
}

TEST_F(RideDlgTest, NewRideNeedsABicycle) {
    Exec("delete from Bicycle");
    ShowPage();
    m_dialogs.AnswerMessage(kButtonOk, GetLanguageString("ErrorStrings", "NTCB"));
    ClickPage("new");
    EXPECT_EQ(m_drivers.Opened(), 0);
}

TEST_F(RideDlgTest, RefusedInsertKeepsTheEditorOpenUntilTheRideIsStored) {
    ShowPage();
    Exec("create trigger refuse before insert on RideRecord begin select raise(abort, 'refused'); end");
    m_dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "STDB"));
    m_drivers.Then<RideRecordDlg>([&](RideRecordDlg& editor) {
        ChooseListEntry(Find<QComboBox>(editor, "bicycle"), 0);
        Type(editor, "hours", QStringLiteral("1"));
        Type(editor, "distance", QStringLiteral("42.5"));
        Click(editor, "save");
        // Refused: still open with what was typed, the memo folder kept for it.
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(Find(editor, "distance")->text(), QStringLiteral("42.5"));
        EXPECT_TRUE(StoredRides().empty());
        EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("Rides/1/data.htm"))));
        Exec("drop trigger refuse");
        Click(editor, "save");
        EXPECT_FALSE(editor.isVisible());
    });
    ClickPage("new");
    const RideRecordList rides = StoredRides();
    ASSERT_EQ(rides.size(), 1u);
    EXPECT_EQ(rides[0].Distance, 42.5);
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("Rides/1/data.htm"))));
}

TEST_F(RideDlgTest, RefusedInsertThenCancelStoresNothingAndLeavesNoFolder) {
    ShowPage();
    Exec("create trigger refuse before insert on RideRecord begin select raise(abort, 'refused'); end");
    m_dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "STDB"));
    m_drivers.Then<RideRecordDlg>([&](RideRecordDlg& editor) {
        ChooseListEntry(Find<QComboBox>(editor, "bicycle"), 0);
        Click(editor, "save");
        Click(editor, "cancel");
    });
    ClickPage("new");
    EXPECT_TRUE(StoredRides().empty());
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("Rides/1"))));
}

TEST_F(RideDlgTest, ModifySteppingShowsNeighboursAndStoresNothingUntilSaved) {
    AddRide(Ride(1, Local(2025, 3, 1, 9), 10.0, 1, 0, 0));
    AddRide(Ride(1, Local(2025, 3, 2, 9), 20.0, 1, 0, 0));
    AddRide(Ride(2, Local(2025, 3, 3, 9), 30.0, 1, 0, 0));
    ShowPage();
    ClickRow(0);
    m_dialogs.AnswerMessage(kButtonDiscard, GetLanguageString("Strings", "SVCH"));
    m_drivers.Then<RideRecordDlg>([&](RideRecordDlg& editor) {
        EXPECT_EQ(Find(editor, "distance")->text(), QStringLiteral("30.00"));
        EXPECT_FALSE(Find<QPushButton>(editor, "previous")->isEnabled());
        Type(editor, "distance", QStringLiteral("333"));
        Click(editor, "next");
    });
    m_drivers.Then<RideRecordDlg>([&](RideRecordDlg& editor) {
        EXPECT_EQ(Find(editor, "distance")->text(), QStringLiteral("20.00"));
        EXPECT_TRUE(Find<QPushButton>(editor, "previous")->isEnabled());
        EXPECT_TRUE(Find<QPushButton>(editor, "next")->isEnabled());
        EXPECT_EQ(Table()->FirstSelectedRow(), 1);
        Click(editor, "next");
    });
    m_drivers.Then<RideRecordDlg>([&](RideRecordDlg& editor) {
        EXPECT_EQ(Find(editor, "distance")->text(), QStringLiteral("10.00"));
        EXPECT_FALSE(Find<QPushButton>(editor, "next")->isEnabled());
        Click(editor, "previous");
    });
    m_drivers.Then<RideRecordDlg>([&](RideRecordDlg& editor) {
        EXPECT_EQ(Find(editor, "distance")->text(), QStringLiteral("20.00"));
        Click(editor, "previous");
    });
    m_drivers.Then<RideRecordDlg>([&](RideRecordDlg& editor) {
        // The edit made to the first ride before stepping away was not kept.
        EXPECT_EQ(Find(editor, "distance")->text(), QStringLiteral("30.00"));
        Click(editor, "cancel");
    });
    ClickPage("modify");
    EXPECT_EQ(m_drivers.Opened(), 5);
    for (const RideRecord& ride : StoredRides()) {
        EXPECT_NE(ride.Distance, 333.0);
    }
}

TEST_F(RideDlgTest, SavingBeforeAStepGoesOnFromWhereTheRideNowStands) {
    AddRide(Ride(1, Local(2025, 3, 1, 9), 10.0, 1, 0, 0));
    AddRide(Ride(1, Local(2025, 3, 2, 9), 20.0, 1, 0, 0));
    AddRide(Ride(1, Local(2025, 3, 3, 9), 30.0, 1, 0, 0));
    ShowPage();
    ClickRow(1);  // newest first: 30, 20, 10
    m_dialogs.AnswerMessage(kButtonSave, GetLanguageString("Strings", "SVCH"));
    m_dialogs.AnswerMessage(kButtonSave, GetLanguageString("Strings", "SVCH"));
    m_drivers.Then<RideRecordDlg>([&](RideRecordDlg& editor) {
        Type(editor, "distance", QStringLiteral("25"));
        Click(editor, "next");
    });
    m_drivers.Then<RideRecordDlg>([&](RideRecordDlg& editor) {
        EXPECT_EQ(Find(editor, "distance")->text(), QStringLiteral("10.00"));
        EXPECT_EQ(Table()->FirstSelectedRow(), 2);
        EXPECT_FALSE(Find<QPushButton>(editor, "next")->isEnabled());
        Type(editor, "distance", QStringLiteral("15"));
        editor.close();  // the close box asks too
    });
    ClickPage("modify");
    EXPECT_EQ(m_drivers.Opened(), 2);
    std::vector<double> distances;
    for (const RideRecord& ride : StoredRides()) {
        distances.push_back(ride.Distance);
    }
    std::sort(distances.begin(), distances.end());
    EXPECT_EQ(distances, (std::vector<double>{15.0, 25.0, 30.0}));
}

TEST_F(RideDlgTest, ModifyByDoubleClickStoresTheEditedRide) {
    AddRide(Ride(1, Local(2025, 3, 1, 9), 10.0, 1, 0, 0));
    AddRide(Ride(1, Local(2025, 3, 2, 9), 20.0, 1, 0, 0));
    ShowPage();
    ClickHeading(2);  // ascending by distance: 10 then 20
    m_drivers.Then<RideRecordDlg>([&](RideRecordDlg& editor) {
        EXPECT_EQ(Find(editor, "distance")->text(), QStringLiteral("20.00"));
        EXPECT_FALSE(Find<QPushButton>(editor, "next")->isEnabled());
        Type(editor, "distance", QStringLiteral("5"));
        ChooseListEntry(Find<QComboBox>(editor, "bicycle"), 1);
        Click(editor, "save");
    });
    DoubleClick(Table()->viewport(), Table()->visualRect(m_page->Rides().index(1, 0)).center());
    const RideRecordList rides = StoredRides();
    ASSERT_EQ(rides.size(), 2u);
    EXPECT_EQ(rides[0].Distance, 5.0);
    EXPECT_EQ(rides[0].BicycleNumber, 2);
    EXPECT_EQ(rides[0].RideRecordNumber, 2);
    // Reloaded newest first, the edited ride still selected.
    EXPECT_EQ(ColumnTexts(2), QStringList({"5.00km", "10.00km"}));
    EXPECT_EQ(Table()->FirstSelectedRow(), 0);
    EXPECT_TRUE(m_status.Text().startsWith(u"2 rides, 15.00 km"));
}

TEST_F(RideDlgTest, EnterOnARowOpensItLikeADoubleClick) {
    AddRide(Ride(1, Local(2025, 3, 1, 9), 10.0, 1, 0, 0));
    AddRide(Ride(1, Local(2025, 3, 2, 9), 20.0, 1, 0, 0));
    ShowPage();
    ClickRow(1);
    m_drivers.Then<RideRecordDlg>([&](RideRecordDlg& editor) {
        EXPECT_EQ(Find(editor, "distance")->text(), QStringLiteral("10.00"));
        Click(editor, "cancel");
    });
    QTest::keyClick(Table(), Qt::Key_Return);
    EXPECT_EQ(m_drivers.Opened(), 1);
    // With Ctrl or Shift it is no command to open.
    QTest::keyClick(Table(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(m_drivers.Opened(), 1);
}

TEST_F(RideDlgTest, RefusedUpdateKeepsTheListAsItWas) {
    AddRide(Ride(1, Local(2025, 3, 1, 9), 10.0, 1, 0, 0));
    ShowPage();
    Exec("create trigger refuse before update on RideRecord begin select raise(abort, 'refused'); end");
    m_dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "STDB"));
    ClickRow(0);
    m_drivers.Then<RideRecordDlg>([&](RideRecordDlg& editor) {
        Type(editor, "distance", QStringLiteral("5"));
        Click(editor, "save");
        EXPECT_TRUE(editor.isVisible());
        Click(editor, "cancel");
    });
    ClickPage("modify");
    EXPECT_EQ(StoredRides().at(0).Distance, 10.0);
    EXPECT_EQ(Cell(0, 2), QStringLiteral("10.00km"));
}

TEST_F(RideDlgTest, DeleteRemovesTheRideWithItsMemoFolder) {
    AddRide(Ride(1, Local(2025, 3, 1, 9), 10.0, 1, 0, 0));
    AddRide(Ride(1, Local(2025, 3, 2, 9), 20.0, 1, 0, 0));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/1/data.htm"), "one"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/2/data.files/p.png"), "two"));
    ShowPage();

    ClickPage("delete");  // nothing selected: nothing asked
    EXPECT_TRUE(m_dialogs.Asked().empty());

    ClickRow(0);  // ride 2, the newer one
    // The question names the ride: its day and bicycle.
    m_dialogs.AnswerMessage(kButtonNo,
                            QStringLiteral("Do you really want to delete the record of 2025/03/02(Sunday), "
                                           "Trek 520? Its memo and pictures are deleted with it."));
    ClickPage("delete");
    EXPECT_EQ(StoredRides().size(), 2u);
    EXPECT_EQ(m_dialogs.Asked().back().title, GetLanguageString("Strings", "CONF"));
    EXPECT_EQ(m_dialogs.Asked().back().defaultButton, kButtonNo);

    m_dialogs.AnswerMessage(kButtonYes);
    ClickPage("delete");
    ASSERT_EQ(StoredRides().size(), 1u);
    EXPECT_EQ(StoredRides()[0].RideRecordNumber, 1);
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("Rides/2"))));
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("Rides/1/data.htm"))));
    EXPECT_EQ(ColumnTexts(2), QStringList({"10.00km"}));
    EXPECT_TRUE(m_status.Text().startsWith(u"1 ride, "));
}

TEST_F(RideDlgTest, RefusedDeleteKeepsTheMemoFolder) {
    AddRide(Ride(1, Local(2025, 3, 1, 9), 10.0, 1, 0, 0));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/1/data.htm"), "one"));
    ShowPage();
    Exec("create trigger refuse before delete on RideRecord begin select raise(abort, 'refused'); end");
    ClickRow(0);
    m_dialogs.AnswerMessage(kButtonYes);
    m_dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "DFDB"));
    ClickPage("delete");
    EXPECT_EQ(StoredRides().size(), 1u);
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("Rides/1/data.htm")), QByteArray("one"));
    EXPECT_EQ(Rows(), 1);
}

TEST_F(RideDlgTest, UnreadableRidesLeaveTheStatusLineAsItWas) {
    ShowPage();
    m_status.SetText(QStringLiteral("left by another page"));
    Exec("alter table RideRecord rename to Elsewhere");
    m_dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "GFDB"));
    ShowPage();
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(m_status.Text(), QStringLiteral("left by another page"));
}

TEST_F(RideDlgTest, CaptionsFollowALanguageChange) {
    ShowPage();
    FreeLanguageTable();
    QByteArray other = m_programDir.ReadFile(QStringLiteral("languages/vmq_00.ini"));
    other.replace("NEWS=New", "NEWS=Neu")
        .replace("RDDT=Date", "RDDT=Datum")
        .replace("ALBC=All bicycles", "ALBC=Alle");
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("languages/vmq_01.ini"), other));
    ASSERT_EQ(LoadLanguageFile(Path(QStringLiteral("languages/vmq_01.ini"))), 0);
    m_page->RefreshCaptions();
    EXPECT_EQ(Find<QPushButton>(*m_page, "new")->text(), QStringLiteral("Neu(&N)"));
    EXPECT_EQ(m_page->Rides().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Datum"));
    EXPECT_EQ(Find<QComboBox>(*m_page, "bicycleFilter")->itemText(0), QStringLiteral("Alle"));
}

}  // namespace
