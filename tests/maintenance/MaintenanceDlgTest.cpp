// The maintenance page as the rider uses it: what is listed and summed, the
// bicycle and day filters, sorting, New, Modify with stepping, Delete with
// the memo folder, and what happens when the store refuses a change.

#include "maintenance/MaintenanceDlg.h"
#include "maintenance/MaintenanceRecordDlg.h"
#include "support/ListPageTest.h"

#include <QFileInfo>

namespace {

class MaintenanceDlgTest : public ListPageTest<MaintenanceDlg> {
protected:
    void SetUp() override {
        ListPageTest::SetUp();
        AddBicycle(QStringLiteral("Trek 520"));
        AddBicycle(QStringLiteral("Fuji <Track>"));
    }
};

TEST_F(MaintenanceDlgTest, ListsTheYearsEntriesNewestFirstAndSumsTheirCost) {
    AddEntry(Entry(1, Local(2025, 3, 1, 9), 24.5, QStringLiteral("Thirty characters of memo text")));
    AddEntry(Entry(2, Local(2025, 5, 4, 10), 110.0,
                   QStringLiteral("New cassette 11-32,\r\nchain and both brake pads")));
    AddEntry(Entry(9, Local(2025, 4, 2, 8), 0.126));              // its bicycle is gone
    AddEntry(Entry(1, Local(2024, 12, 31, 23, 59, 59), 1000.0));  // last year
    ShowPage();

    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(ColumnTexts(0),
              QStringList({"2025/05/04(Sunday)", "2025/04/02(Wednesday)", "2025/03/01(Saturday)"}));
    EXPECT_EQ(ColumnTexts(1), QStringList({"Fuji <Track>", "", "Trek 520"}));
    EXPECT_EQ(ColumnTexts(2), QStringList({"110.00", "0.13", "24.50"}));
    EXPECT_EQ(ColumnTexts(3),
              QStringList({"New cassette 11-32,  chain and b...", "", "Thirty characters of memo text"}));
    EXPECT_EQ((QStringList{Heading(0), Heading(1), Heading(2), Heading(3)}),
              QStringList({"Date", "Bicycle", "Cost", "Memo"}));
    // The cost is a figure: right-aligned, heading and cells.
    const auto alignment = [&](QVariant value) {
        return value.value<Qt::Alignment>() & Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(alignment(m_page->Entries().index(0, 2).data(Qt::TextAlignmentRole)), Qt::AlignRight);
    EXPECT_EQ(alignment(m_page->Entries().headerData(2, Qt::Horizontal, Qt::TextAlignmentRole)),
              Qt::AlignRight);
    EXPECT_EQ(alignment(m_page->Entries().index(0, 3).data(Qt::TextAlignmentRole)), Qt::AlignLeft);

    const QString status = QStringLiteral("3 entries, total cost 134.63");
    EXPECT_EQ(m_status.Text(), status);
    EXPECT_EQ(m_page->StatusText(), status);
    EXPECT_EQ(Find<QDateEdit>(*m_page, "startDate")->date(), QDate(2025, 1, 1));
    EXPECT_EQ(Find<QDateEdit>(*m_page, "endDate")->date(), QDate(2025, 6, 1));
}

TEST_F(MaintenanceDlgTest, EmptyListSaysSoInTheStatusLine) {
    ShowPage();
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(m_status.Text(), QStringLiteral("0 entries, total cost 0.00"));
}

TEST_F(MaintenanceDlgTest, BicycleFilterIsRememberedBetweenShowings) {
    AddEntry(Entry(1, Local(2025, 3, 1, 9), 20.0));
    AddEntry(Entry(2, Local(2025, 3, 2, 9), 30.0));
    AddEntry(Entry(2, Local(2025, 3, 3, 9), 5.5));
    ShowPage();
    QComboBox* filter = Find<QComboBox>(*m_page, "bicycleFilter");
    ASSERT_EQ(filter->count(), 3);
    EXPECT_EQ(filter->itemText(0), QStringLiteral("All bicycles"));
    EXPECT_EQ(filter->itemText(2), QStringLiteral("Fuji <Track>"));
    ChooseListEntry(filter, 2);
    EXPECT_EQ(ColumnTexts(2), QStringList({"5.50", "30.00"}));
    EXPECT_EQ(m_status.Text(), QStringLiteral("2 entries, total cost 35.50"));

    m_status.SetText(QStringLiteral("another page"));
    ShowPage();  // away and back
    EXPECT_EQ(filter->currentIndex(), 2);
    EXPECT_EQ(Rows(), 2);
    EXPECT_EQ(m_status.Text(), QStringLiteral("2 entries, total cost 35.50"));
    ChooseListEntry(filter, 0);
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(m_status.Text(), QStringLiteral("3 entries, total cost 55.50"));
}

TEST_F(MaintenanceDlgTest, ListsWholeLocalDaysBothEndsIncluded) {
    AddEntry(Entry(1, Local(2025, 2, 28, 23, 59, 59), 1.0));
    AddEntry(Entry(1, Local(2025, 3, 1, 0, 0, 0), 2.0));
    AddEntry(Entry(1, Local(2025, 3, 30, 23, 59, 59), 3.0));  // the day the clocks go forward
    AddEntry(Entry(1, Local(2025, 3, 31, 0, 0, 0), 4.0));
    ShowPage();
    SetDays(QDate(2025, 3, 1), QDate(2025, 3, 30));
    EXPECT_EQ(ColumnTexts(2), QStringList({"3.00", "2.00"}));
    SetDays(QDate(2025, 2, 28), QDate(2025, 2, 28));
    EXPECT_EQ(ColumnTexts(2), QStringList({"1.00"}));
}

TEST_F(MaintenanceDlgTest, HeadingClicksSortAndShowTheArrow) {
    AddEntry(Entry(2, Local(2025, 3, 1, 9), 20.0));
    AddEntry(Entry(1, Local(2025, 3, 2, 9), 10.0));
    AddEntry(Entry(2, Local(2025, 3, 3, 9), 30.0));
    ShowPage();
    SortArrowHeader* header = Table()->ArrowHeader();
    EXPECT_EQ(header->ArrowColumn(), -1);

    ClickHeading(2);  // the first click of the run sorts ascending
    EXPECT_EQ(ColumnTexts(2), QStringList({"10.00", "20.00", "30.00"}));
    EXPECT_EQ(header->ArrowColumn(), 2);
    EXPECT_TRUE(header->ArrowAscending());
    ClickHeading(2);  // and the second descending
    EXPECT_EQ(ColumnTexts(2), QStringList({"30.00", "20.00", "10.00"}));
    EXPECT_FALSE(header->ArrowAscending());
    ClickHeading(3);  // the memo column does not sort
    EXPECT_EQ(ColumnTexts(2), QStringList({"30.00", "20.00", "10.00"}));
    EXPECT_EQ(header->ArrowColumn(), 2);
    ClickHeading(1);  // by the bicycle's number, not its name; rows of one bicycle keep their order
    EXPECT_EQ(ColumnTexts(2), QStringList({"10.00", "30.00", "20.00"}));
    EXPECT_EQ(header->ArrowColumn(), 1);
    ClickHeading(0);  // descending: newest first
    EXPECT_EQ(ColumnTexts(0),
              QStringList({"2025/03/03(Monday)", "2025/03/02(Sunday)", "2025/03/01(Saturday)"}));
    ClickHeading(0);
    EXPECT_EQ(ColumnTexts(2), QStringList({"20.00", "10.00", "30.00"}));

    // A reload brings the newest first again, without an arrow; the direction stays.
    ShowPage();
    EXPECT_EQ(ColumnTexts(2), QStringList({"30.00", "10.00", "20.00"}));
    EXPECT_EQ(header->ArrowColumn(), -1);
    ClickHeading(2);
    EXPECT_FALSE(header->ArrowAscending());
}

TEST_F(MaintenanceDlgTest, NewEntryIsStoredWithTheFilteredBicycleAndListed) {
    ShowPage();
    ChooseListEntry(Find<QComboBox>(*m_page, "bicycleFilter"), 2);
    m_drivers.Then<MaintenanceRecordDlg>([&](MaintenanceRecordDlg& editor) {
        EXPECT_EQ(Find<QComboBox>(editor, "bicycle")->currentText(), QStringLiteral("Fuji <Track>"));
        EXPECT_EQ(editor.MemoFolder(), Path(QStringLiteral("Maintenance/1")));
        Type(editor, "cost", QStringLiteral("39.90"));
        Click(editor, "save");
    });
    ClickPage("new");
    const MaintenanceRecordList entries = StoredEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].BicycleNumber, 2);
    EXPECT_EQ(entries[0].Cost, 39.9);
    EXPECT_EQ(entries[0].Date, Local(2025, 6, 1, 18, 30));
    EXPECT_EQ(ColumnTexts(2), QStringList({"39.90"}));
    EXPECT_EQ(Table()->FirstSelectedRow(), 0);
    EXPECT_EQ(m_status.Text(), QStringLiteral("1 entry, total cost 39.90"));
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("Maintenance/1/data.htm"))));

    // All bicycles preselects none; a cancelled new entry leaves nothing.
    ChooseListEntry(Find<QComboBox>(*m_page, "bicycleFilter"), 0);
    m_drivers.Then<MaintenanceRecordDlg>([&](MaintenanceRecordDlg& editor) {
        EXPECT_EQ(Find<QComboBox>(editor, "bicycle")->currentIndex(), -1);
        EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("Maintenance/2"))));
        Click(editor, "cancel");
    });
    ClickPage("new");
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("Maintenance/2"))));
    EXPECT_EQ(StoredEntries().size(), 1u);
}

TEST_F(MaintenanceDlgTest, NewEntryNeedsABicycle) {
    Exec("delete from Bicycle");
    ShowPage();
    m_dialogs.AnswerMessage(kButtonOk, GetLanguageString("ErrorStrings", "NTCB"));
    ClickPage("new");
    EXPECT_EQ(m_drivers.Opened(), 0);
}

TEST_F(MaintenanceDlgTest, RefusedInsertThenCancelStoresNothingAndLeavesNoFolder) {
    ShowPage();
    Exec(
        "create trigger refuse before insert on MaintenanceRecord begin select raise(abort, 'refused'); end");
    m_dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "STDB"));
    m_drivers.Then<MaintenanceRecordDlg>([&](MaintenanceRecordDlg& editor) {
        ChooseListEntry(Find<QComboBox>(editor, "bicycle"), 0);
        Click(editor, "save");
        EXPECT_TRUE(editor.isVisible());  // refused: open until saved again or cancelled
        Click(editor, "cancel");
    });
    ClickPage("new");
    EXPECT_TRUE(StoredEntries().empty());
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("Maintenance/1"))));
}

TEST_F(MaintenanceDlgTest, ModifySteppingFollowsTheSortedRowsAndStoresNothingUntilSaved) {
    AddEntry(Entry(1, Local(2025, 3, 1, 9), 30.0));
    AddEntry(Entry(1, Local(2025, 3, 2, 9), 10.0));
    AddEntry(Entry(2, Local(2025, 3, 3, 9), 20.0));
    ShowPage();
    ClickHeading(2);  // ascending by cost: 10, 20, 30
    ClickRow(0);
    m_dialogs.AnswerMessage(kButtonDiscard, GetLanguageString("Strings", "SVCH"));
    m_drivers.Then<MaintenanceRecordDlg>([&](MaintenanceRecordDlg& editor) {
        EXPECT_EQ(Find(editor, "cost")->text(), QStringLiteral("10.00"));
        EXPECT_FALSE(Find<QPushButton>(editor, "previous")->isEnabled());
        Type(editor, "cost", QStringLiteral("333"));
        Click(editor, "next");
    });
    m_drivers.Then<MaintenanceRecordDlg>([&](MaintenanceRecordDlg& editor) {
        EXPECT_EQ(Find(editor, "cost")->text(), QStringLiteral("20.00"));
        EXPECT_TRUE(Find<QPushButton>(editor, "previous")->isEnabled());
        EXPECT_TRUE(Find<QPushButton>(editor, "next")->isEnabled());
        EXPECT_EQ(Table()->FirstSelectedRow(), 1);
        Click(editor, "next");
    });
    m_drivers.Then<MaintenanceRecordDlg>([&](MaintenanceRecordDlg& editor) {
        EXPECT_EQ(Find(editor, "cost")->text(), QStringLiteral("30.00"));
        EXPECT_FALSE(Find<QPushButton>(editor, "next")->isEnabled());
        Click(editor, "previous");
    });
    m_drivers.Then<MaintenanceRecordDlg>([&](MaintenanceRecordDlg& editor) { Click(editor, "previous"); });
    m_drivers.Then<MaintenanceRecordDlg>([&](MaintenanceRecordDlg& editor) {
        // The edit made before stepping away was not kept.
        EXPECT_EQ(Find(editor, "cost")->text(), QStringLiteral("10.00"));
        Click(editor, "cancel");
    });
    ClickPage("modify");
    EXPECT_EQ(m_drivers.Opened(), 5);
    for (const MaintenanceRecord& entry : StoredEntries()) {
        EXPECT_NE(entry.Cost, 333.0);
    }
}

TEST_F(MaintenanceDlgTest, ModifyByDoubleClickStoresTheEditedEntry) {
    AddEntry(Entry(1, Local(2025, 3, 1, 9), 10.0));
    AddEntry(Entry(1, Local(2025, 3, 2, 9), 20.0));
    ShowPage();
    m_drivers.Then<MaintenanceRecordDlg>([&](MaintenanceRecordDlg& editor) {
        EXPECT_EQ(Find(editor, "cost")->text(), QStringLiteral("10.00"));
        Type(editor, "cost", QStringLiteral("15"));
        ChooseListEntry(Find<QComboBox>(editor, "bicycle"), 1);
        Click(editor, "save");
    });
    DoubleClick(Table()->viewport(), Table()->visualRect(m_page->Entries().index(1, 0)).center());
    const MaintenanceRecordList entries = StoredEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].MaintenanceRecordNumber, 1);
    EXPECT_EQ(entries[1].Cost, 15.0);
    EXPECT_EQ(entries[1].BicycleNumber, 2);
    EXPECT_EQ(ColumnTexts(1), QStringList({"Trek 520", "Fuji <Track>"}));
    EXPECT_EQ(Table()->FirstSelectedRow(), 1);
    EXPECT_EQ(m_status.Text(), QStringLiteral("2 entries, total cost 35.00"));
}

TEST_F(MaintenanceDlgTest, RefusedUpdateKeepsTheListAsItWas) {
    AddEntry(Entry(1, Local(2025, 3, 1, 9), 10.0));
    ShowPage();
    Exec(
        "create trigger refuse before update on MaintenanceRecord begin select raise(abort, 'refused'); end");
    m_dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "STDB"));
    ClickRow(0);
    m_drivers.Then<MaintenanceRecordDlg>([&](MaintenanceRecordDlg& editor) {
        Type(editor, "cost", QStringLiteral("5"));
        Click(editor, "save");
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(Find(editor, "cost")->text(), QStringLiteral("5"));
    });
    ClickPage("modify");
    EXPECT_EQ(StoredEntries().at(0).Cost, 10.0);
    EXPECT_EQ(Cell(0, 2), QStringLiteral("10.00"));
}

TEST_F(MaintenanceDlgTest, DeleteRemovesTheEntryWithItsMemoFolder) {
    AddEntry(Entry(1, Local(2025, 3, 1, 9), 10.0));
    AddEntry(Entry(1, Local(2025, 3, 2, 9), 20.0));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Maintenance/1/data.htm"), "one"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Maintenance/2/data.files/receipt.png"), "two"));
    ShowPage();

    ClickPage("delete");  // nothing selected: nothing asked
    EXPECT_TRUE(m_dialogs.Asked().empty());

    ClickRow(0);  // entry 2, the newer one
    m_dialogs.AnswerMessage(kButtonNo);
    ClickPage("delete");
    EXPECT_EQ(StoredEntries().size(), 2u);
    EXPECT_EQ(m_dialogs.Asked().back().title, GetLanguageString("Strings", "CONF"));
    EXPECT_EQ(m_dialogs.Asked().back().icon, MessageIcon::Warning);
    EXPECT_EQ(m_dialogs.Asked().back().defaultButton, kButtonNo);
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("Maintenance/2/data.files/receipt.png"))));

    m_dialogs.AnswerMessage(kButtonYes);
    ClickPage("delete");
    ASSERT_EQ(StoredEntries().size(), 1u);
    EXPECT_EQ(StoredEntries()[0].MaintenanceRecordNumber, 1);
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("Maintenance/2"))));
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("Maintenance/1/data.htm"))));
    EXPECT_EQ(ColumnTexts(2), QStringList({"10.00"}));
    EXPECT_EQ(m_status.Text(), QStringLiteral("1 entry, total cost 10.00"));
}

TEST_F(MaintenanceDlgTest, RefusedDeleteKeepsTheMemoFolder) {
    AddEntry(Entry(1, Local(2025, 3, 1, 9), 10.0));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Maintenance/1/data.htm"), "one"));
    ShowPage();
    Exec(
        "create trigger refuse before delete on MaintenanceRecord begin select raise(abort, 'refused'); end");
    ClickRow(0);
    m_dialogs.AnswerMessage(kButtonYes);
    m_dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "DFDB"));
    ClickPage("delete");
    EXPECT_EQ(StoredEntries().size(), 1u);
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("Maintenance/1/data.htm")), QByteArray("one"));
    EXPECT_EQ(Rows(), 1);
}

TEST_F(MaintenanceDlgTest, UnreadableEntriesLeaveTheStatusLineAsItWas) {
    ShowPage();
    m_status.SetText(QStringLiteral("left by another page"));
    Exec("alter table MaintenanceRecord rename to Elsewhere");
    m_dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "GFDB"));
    ShowPage();
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(m_status.Text(), QStringLiteral("left by another page"));
}

TEST_F(MaintenanceDlgTest, StatusLineComesFromTheLanguageFileSafely) {
    AddEntry(Entry(1, Local(2025, 3, 1, 9), 12.5));
    FreeLanguageTable();
    QByteArray other = m_programDir.ReadFile(QStringLiteral("languages/vmq_00.ini"));
    // A translation with its conversions the wrong way round shows them as
    // written; one without the singular form counts one entry in the plural.
    other.replace("STAT=%d entries, total cost %.2f", "STAT=%.2f EUR fuer %d Eintraege %s");
    other.replace("STA1=%d entry, total cost %.2f\n", "");
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("languages/vmq_01.ini"), other));
    ASSERT_EQ(LoadLanguageFile(Path(QStringLiteral("languages/vmq_01.ini"))), 0);
    ShowPage();
    EXPECT_EQ(m_status.Text(), QStringLiteral("%.2f EUR fuer %d Eintraege %s"));
}

TEST_F(MaintenanceDlgTest, CaptionsFollowALanguageChange) {
    ShowPage();
    FreeLanguageTable();
    QByteArray other = m_programDir.ReadFile(QStringLiteral("languages/vmq_00.ini"));
    other.replace("NEWS=New", "NEWS=Neu")
        .replace("COST=Cost", "COST=Kosten")
        .replace("ALBC=All bicycles", "ALBC=Alle");
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("languages/vmq_01.ini"), other));
    ASSERT_EQ(LoadLanguageFile(Path(QStringLiteral("languages/vmq_01.ini"))), 0);
    m_page->RefreshCaptions();
    EXPECT_EQ(Find<QPushButton>(*m_page, "new")->text(), QStringLiteral("Neu(&N)"));
    EXPECT_EQ(Heading(2), QStringLiteral("Kosten"));
    EXPECT_EQ(Find<QComboBox>(*m_page, "bicycleFilter")->itemText(0), QStringLiteral("Alle"));
}

}  // namespace
