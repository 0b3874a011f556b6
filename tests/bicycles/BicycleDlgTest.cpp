// The bicycles page driven like a user: the cards it lists, the status line,
// New, Modify (button and double-click), Delete with the memo folders of the
// bicycle's records, and what happens when the store fails.

#include "bicycles/BicycleAttrDlg.h"
#include "bicycles/BicycleDlg.h"
#include "bicycles/BicycleListModel.h"
#include "support/ModalDrivers.h"
#include "support/ScriptedDialogs.h"
#include "units/RecordFolders.h"
#include "units/Units.h"
#include "widgets/EmptyListHint.h"
#include "widgets/LinkLabel.h"

#include "BicycleTestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <optional>

namespace {

const QString kEmptyStatus = QStringLiteral(
    "Bicycles: 0    Distance: 0.00 km    Riding time: 0:00:00    Average speed: 0.00 km/h    Top speed: 0.00 "
    "km/h");

class BicyclePageTest : public BicycleTest {
protected:
    void SetUp() override {
        BicycleTest::SetUp();
        CreateTestStore();
    }

    void ShowPage() {
        m_page = std::make_unique<BicycleDlg>(m_status, nullptr);
        m_page->resize(900, 520);
        m_page->show();
    }

    QListView* List() const { return m_page->List(); }
    const BicycleListModel& Model() const { return m_page->Bicycles(); }

    QStringList Names() const {
        QStringList names;
        for (int row = 0; row < Model().rowCount(); ++row) {
            names << Model().index(row).data().toString();
        }
        return names;
    }
    int SelectedRow() const {
        const QModelIndexList rows = List()->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.front().row();
    }

    void Click(const char* button) {
        auto* found = m_page->findChild<QPushButton*>(QLatin1String(button));
        ASSERT_NE(found, nullptr) << button;
        QTest::mouseClick(found, Qt::LeftButton);
    }
    void ClickCard(int row) {
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                          List()->visualRect(Model().index(row)).center());
    }
    void DoubleClickCard(int row) {
        const QPoint centre = List()->visualRect(Model().index(row)).center();
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, centre);
    }

    // A driver step that renames the bicycle in the editor and saves it.
    static std::function<void(BicycleAttrDlg&)> Rename(const QString& name, QString* shownName = nullptr) {
        return [name, shownName](BicycleAttrDlg& editor) {
            auto* box = editor.findChild<QComboBox*>(QStringLiteral("name"));
            ASSERT_NE(box, nullptr);
            if (shownName) {
                *shownName = box->currentText();
            }
            box->lineEdit()->selectAll();
            QTest::keyClicks(box->lineEdit(), name);
            QTest::mouseClick(editor.findChild<QPushButton*>(QStringLiteral("save")), Qt::LeftButton);
        };
    }

    // A memo folder with its document, as the record editors leave it.
    void MakeMemoFolder(RecordKind kind, int number) {
        const QString folder = RecordMemoFolder(kind, number);
        ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/data.files")));
        QFile document(folder + QStringLiteral("/data.htm"));
        ASSERT_TRUE(document.open(QIODevice::WriteOnly));
        document.write("memo");
    }
    static bool MemoFolderExists(RecordKind kind, int number) {
        return QDir(RecordMemoFolder(kind, number)).exists();
    }

    LinkLabel m_status;
    std::unique_ptr<BicycleDlg> m_page;
};

TEST_F(BicyclePageTest, ListsEveryBicycleAsACardAndSumsThemInTheStatusLine) {
    ScriptedDialogs dialogs;
    ShowPage();
    EXPECT_EQ(Model().rowCount(), 0);
    EXPECT_EQ(m_status.Text(), kEmptyStatus);

    AddBicycle(NamedBicycle(QStringLiteral("Blue Arrow")));
    AddBicycle(NamedBicycle(QStringLiteral("Mud <Lark>, \"old\"")));
    AddRide(1, 10.0, 0, 50, 40, 30.0);
    AddRide(2, 20.0, 0, 20, 30, 45.5);
    AddMaintenance(2, 12.5);
    m_page->Reload();
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Blue Arrow"), QStringLiteral("Mud <Lark>, \"old\"")}));
    EXPECT_EQ(List()->visualRect(Model().index(1)).height(), 110);
    // 30 km in 1:11:10 is 25.29 km/h.
    const QString kilometres = QStringLiteral(
        "Bicycles: 2    Distance: 30.00 km    Riding time: 1:11:10    Average speed: 25.29 km/h    Top "
        "speed: "
        "45.50 km/h");
    EXPECT_EQ(m_status.Text(), kilometres);
    EXPECT_EQ(m_page->StatusText(), kilometres);

    SetDistanceUnit(1);
    m_page->Reload();
    EXPECT_EQ(m_status.Text(),
              QStringLiteral("Bicycles: 2    Distance: 18.65 miles    Riding time: 1:11:10    "
                             "Average speed: 15.72 mph    Top speed: 28.28 mph"));
}

TEST_F(BicyclePageTest, TheStatusTextIsCutAtItsLength) {
    ScriptedDialogs dialogs;
    // A translation with a long STAT text.
    QFile source(SourcePath(QStringLiteral("languages/vmq_00.ini")));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QByteArray english = source.readAll();
    english.replace("STAT=Bicycles:", QByteArray("STAT=").append(QByteArray(300, 'x')).append(" Bicycles:"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("long.ini"), english));
    FreeLanguageTable();
    ASSERT_EQ(LoadLanguageFile(m_programDir.FilePath(QStringLiteral("long.ini"))), 0);
    ShowPage();
    EXPECT_EQ(m_status.Text(), QString(255, u'x'));
}

TEST_F(BicyclePageTest, NewAddsTheBicycleAndSelectsIt) {
    ScriptedDialogs dialogs;
    ScopedModalDrivers drivers;
    AddBicycle(NamedBicycle(QStringLiteral("Blue Arrow")));
    ShowPage();
    drivers.Then<BicycleAttrDlg>(Rename(QStringLiteral("Fresh")));
    Click("new");
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Blue Arrow"), QStringLiteral("Fresh")}));
    EXPECT_EQ(SelectedRow(), 1);
    EXPECT_TRUE(m_status.Text().startsWith(QStringLiteral("Bicycles: 2 ")));
    const BicycleList stored = StoredBicycles();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[1].BicycleName, ToTextBlock(QStringLiteral("Fresh")));

    // A cancelled editor stores nothing.
    drivers.Then<BicycleAttrDlg>([](BicycleAttrDlg& editor) {
        QTest::mouseClick(editor.findChild<QPushButton*>(QStringLiteral("cancel")), Qt::LeftButton);
    });
    Click("new");
    EXPECT_EQ(StoredBicycles().size(), 2u);
}

TEST_F(BicyclePageTest, AnEmptyLogInvitesTheFirstBicycleAndCountsItInTheSingular) {
    ScriptedDialogs dialogs;
    ScopedModalDrivers drivers;
    ShowPage();
    EXPECT_EQ(m_page->Hint().Text(), GetLanguageString("EmptyHints", "BICY"));
    QPushButton* add = m_page->findChild<QPushButton*>(QStringLiteral("hintNew"));
    ASSERT_NE(add, nullptr);
    EXPECT_TRUE(add->isVisible());
    EXPECT_EQ(add->text(), GetLanguageString("EmptyHints", "BICA"));
    drivers.Then<BicycleAttrDlg>(Rename(QStringLiteral("Fresh")));
    QTest::mouseClick(add, Qt::LeftButton);
    EXPECT_EQ(Names(), QStringList{QStringLiteral("Fresh")});
    EXPECT_EQ(m_page->Hint().Text(), QString());
    EXPECT_TRUE(m_status.Text().startsWith(QStringLiteral("1 bicycle    Distance: 0.00 km")))
        << m_status.Text().toStdString();
}

TEST_F(BicyclePageTest, ARefusedInsertKeepsTheEditorOpenUntilTheBicycleIsStored) {
    ScriptedDialogs dialogs;
    ScopedModalDrivers drivers;
    ScopedLog log;
    AddBicycle(NamedBicycle(QStringLiteral("Blue Arrow")));
    ShowPage();
    auto lock = std::make_optional<ScopedWriteLock>();  // another program writing
    drivers.Then<BicycleAttrDlg>([&](BicycleAttrDlg& editor) {
        Rename(QStringLiteral("Fresh"))(editor);
        // Refused: the editor says so and still holds what was typed.
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(editor.findChild<QComboBox*>(QStringLiteral("name"))->currentText(),
                  QStringLiteral("Fresh"));
        EXPECT_EQ(StoredBicycles().size(), 1u);
        lock.reset();
        QTest::mouseClick(editor.findChild<QPushButton*>(QStringLiteral("save")), Qt::LeftButton);
        EXPECT_FALSE(editor.isVisible());
    });
    // The message and the log say why: another program holds the database.
    dialogs.AnswerMessage(kButtonOk, QStringLiteral("The changes could not be saved.\n\n"
                                                    "Reason: Another program is using the database."));
    Click("new");
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Blue Arrow"), QStringLiteral("Fresh")}));
    EXPECT_TRUE(
        log.Text().contains(QStringLiteral("velomarq.store: ERROR: Execute SQL command error. "
                                           "(SQLite 5: database is locked")))
        << log.Text().toStdString();
}

TEST_F(BicyclePageTest, AFullDiskIsNamedInTheMessageAndTheLog) {
    ScriptedDialogs dialogs;
    ScopedModalDrivers drivers;
    ScopedLog log;
    ShowPage();
    // Room for a few hundred bytes more: the notes need pages the system
    // refuses, as a full disk refuses them.
    const qint64 size = QFileInfo(QStringLiteral("bicycle.db")).size();
    std::optional<ScopedFileSizeLimit> full(std::in_place, static_cast<rlim_t>(size + 300));
    drivers.Then<BicycleAttrDlg>([&](BicycleAttrDlg& editor) {
        editor.findChild<QPlainTextEdit*>(QStringLiteral("notes"))->setPlainText(QString(20000, u'n'));
        Rename(QStringLiteral("Tourer"))(editor);
        EXPECT_TRUE(editor.isVisible());
        full.reset();
        QTest::mouseClick(editor.findChild<QPushButton*>(QStringLiteral("save")), Qt::LeftButton);
        EXPECT_FALSE(editor.isVisible());
    });
    dialogs.AnswerMessage(kButtonOk,
                          QStringLiteral("The changes could not be saved.\n\nReason: The disk is full."));
    Click("new");
    EXPECT_EQ(Names(), QStringList{QStringLiteral("Tourer")});
    EXPECT_TRUE(log.Text().contains(
        QStringLiteral("velomarq.store: ERROR: Execute SQL command error. (SQLite 778: disk I/O "
                       "error; system 27: File too large)")))
        << log.Text().toStdString();
}

TEST_F(BicyclePageTest, ADoubleClickModifiesTheBicycleLikeTheModifyButton) {
    ScriptedDialogs dialogs;
    ScopedModalDrivers drivers;
    AddBicycle(NamedBicycle(QStringLiteral("Blue Arrow")));
    AddBicycle(NamedBicycle(QStringLiteral("Mud Lark")));
    AddRide(2, 42.0, 2, 0, 0);
    ShowPage();

    QString shown;
    drivers.Then<BicycleAttrDlg>(Rename(QStringLiteral("Muddy"), &shown));
    DoubleClickCard(1);
    EXPECT_EQ(shown, QStringLiteral("Mud Lark"));
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Blue Arrow"), QStringLiteral("Muddy")}));
    EXPECT_EQ(SelectedRow(), 1);
    // The totals come from the rides, not from what the editor held.
    EXPECT_EQ(StoredBicycles()[1].TotalDistance, 42.0);

    drivers.Then<BicycleAttrDlg>(Rename(QStringLiteral("Arrow"), &shown));
    ClickCard(0);
    Click("modify");
    EXPECT_EQ(shown, QStringLiteral("Blue Arrow"));
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Arrow"), QStringLiteral("Muddy")}));
    EXPECT_EQ(SelectedRow(), 0);
}

TEST_F(BicyclePageTest, ARefusedUpdateKeepsTheEditorOpenAndCancelLeavesTheBicycle) {
    ScriptedDialogs dialogs;
    ScopedModalDrivers drivers;
    AddBicycle(NamedBicycle(QStringLiteral("Blue Arrow")));
    ShowPage();
    ClickCard(0);
    ScopedWriteLock lock;
    drivers.Then<BicycleAttrDlg>([&](BicycleAttrDlg& editor) {
        Rename(QStringLiteral("Renamed"))(editor);
        EXPECT_TRUE(editor.isVisible());
        // Left open: cancelled.
    });
    dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "STDB"));
    Click("modify");
    EXPECT_EQ(Names(), QStringList{QStringLiteral("Blue Arrow")});
    EXPECT_EQ(StoredBicycles().size(), 1u);
}

TEST_F(BicyclePageTest, EnterOnTheCardListOpensTheSelectedBicycle) {
    ScriptedDialogs dialogs;
    ScopedModalDrivers drivers;
    AddBicycle(NamedBicycle(QStringLiteral("Blue Arrow")));
    AddBicycle(NamedBicycle(QStringLiteral("Mud Lark")));
    ShowPage();
    QTest::keyClick(List(), Qt::Key_Return);  // nothing selected: nothing opens
    ClickCard(1);
    drivers.Then<BicycleAttrDlg>(Rename(QStringLiteral("Muddy")));
    QTest::keyClick(List(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(drivers.Opened(), 1);
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Blue Arrow"), QStringLiteral("Muddy")}));
}

TEST_F(BicyclePageTest, ModifyAndDeleteWithoutASelectionDoNothing) {
    ScriptedDialogs dialogs;     // fails on any message
    ScopedModalDrivers drivers;  // fails on any dialog
    AddBicycle(NamedBicycle(QStringLiteral("Blue Arrow")));
    ShowPage();
    ASSERT_EQ(SelectedRow(), -1);
    Click("modify");
    Click("delete");
    EXPECT_EQ(drivers.Opened(), 0);
    EXPECT_TRUE(dialogs.Asked().empty());
    EXPECT_EQ(StoredBicycles().size(), 1u);
}

TEST_F(BicyclePageTest, DeleteRemovesTheBicycleWithItsRecordsAndTheirMemoFolders) {
    ScriptedDialogs dialogs;
    AddBicycle(NamedBicycle(QStringLiteral("Keep")));
    AddBicycle(NamedBicycle(QStringLiteral("Gone")));
    const int keptRide = AddRide(1, 10, 1, 0, 0);
    const int goneRides[] = {AddRide(2, 20, 1, 0, 0), AddRide(2, 30, 1, 0, 0)};
    const int keptEntry = AddMaintenance(1, 5);
    const int goneEntry = AddMaintenance(2, 7);
    for (const int ride : {keptRide, goneRides[0], goneRides[1]}) {
        MakeMemoFolder(RecordKind::Ride, ride);
    }
    MakeMemoFolder(RecordKind::Maintenance, keptEntry);
    MakeMemoFolder(RecordKind::Maintenance, goneEntry);
    ShowPage();

    // No leaves everything as it was.
    ClickCard(1);
    dialogs.AnswerMessage(kButtonNo, GetLanguageString("BicycleDlg", "DELC"));
    Click("delete");
    EXPECT_EQ(Names().size(), 2);
    EXPECT_TRUE(MemoFolderExists(RecordKind::Ride, goneRides[1]));

    dialogs.AnswerMessage(kButtonYes, GetLanguageString("BicycleDlg", "DELC"));
    Click("delete");
    ASSERT_EQ(dialogs.Asked().size(), 2u);
    EXPECT_EQ(dialogs.Asked()[1].title, GetLanguageString("Strings", "CONF"));
    EXPECT_EQ(dialogs.Asked()[1].defaultButton, kButtonNo);
    EXPECT_EQ(Names(), QStringList{QStringLiteral("Keep")});
    EXPECT_TRUE(m_status.Text().startsWith(QStringLiteral("1 bicycle ")));

    RideRecordList rides;
    ASSERT_EQ(DB_GetRideRecords(nullptr, &rides), store::kOk);
    ASSERT_EQ(rides.size(), 1u);
    EXPECT_EQ(rides[0].RideRecordNumber, keptRide);
    MaintenanceRecordList entries;
    ASSERT_EQ(DB_GetMaintenanceRecords(nullptr, &entries), store::kOk);
    ASSERT_EQ(entries.size(), 1u);

    EXPECT_TRUE(MemoFolderExists(RecordKind::Ride, keptRide));
    EXPECT_TRUE(MemoFolderExists(RecordKind::Maintenance, keptEntry));
    EXPECT_FALSE(MemoFolderExists(RecordKind::Ride, goneRides[0]));
    EXPECT_FALSE(MemoFolderExists(RecordKind::Ride, goneRides[1]));
    EXPECT_FALSE(MemoFolderExists(RecordKind::Maintenance, goneEntry));

    // The next ride gets the number of the first deleted one and finds no memo of it.
    int next = 0;
    ASSERT_EQ(DB_GetMaxRideRecordNumber(&next), store::kOk);
    EXPECT_EQ(next, goneRides[0]);
    EXPECT_FALSE(MemoFolderExists(RecordKind::Ride, next));
}

TEST_F(BicyclePageTest, AFailedDeleteRemovesNoFolder) {
    ScriptedDialogs dialogs;
    AddBicycle(NamedBicycle(QStringLiteral("Stays")));
    const int ride = AddRide(1, 10, 1, 0, 0);
    const int entry = AddMaintenance(1, 5);
    MakeMemoFolder(RecordKind::Ride, ride);
    MakeMemoFolder(RecordKind::Maintenance, entry);
    ShowPage();
    ClickCard(0);
    {
        ScopedWriteLock lock;
        dialogs.AnswerMessage(kButtonYes, GetLanguageString("BicycleDlg", "DELC"));
        dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "DFDB"));
        Click("delete");
    }
    EXPECT_EQ(Names(), QStringList{QStringLiteral("Stays")});
    EXPECT_TRUE(MemoFolderExists(RecordKind::Ride, ride));
    EXPECT_TRUE(MemoFolderExists(RecordKind::Maintenance, entry));
    EXPECT_EQ(StoredBicycles().size(), 1u);
}

TEST_F(BicyclePageTest, AFailedReloadEmptiesTheListAndKeepsTheStatusLine) {
    ScriptedDialogs dialogs;
    AddBicycle(NamedBicycle(QStringLiteral("Blue Arrow")));
    ShowPage();
    ASSERT_EQ(Model().rowCount(), 1);
    const QString status = m_status.Text();
    DB_CloseDatabase();
    dialogs.AnswerMessage(kButtonOk, GetLanguageString("ErrorStrings", "GFDB"));
    m_page->hide();
    m_page->show();  // shown again, as when its tab is chosen
    EXPECT_EQ(Model().rowCount(), 0);
    EXPECT_EQ(m_status.Text(), status);
    // Painting the emptied list touches no released record.
    List()->viewport()->repaint();
}

TEST_F(BicyclePageTest, ButtonsTakeNewCaptionsWhenTheLanguageChanges) {
    ScriptedDialogs dialogs;
    ShowPage();
    auto* newButton = m_page->findChild<QPushButton*>(QStringLiteral("new"));
    EXPECT_EQ(newButton->text(), QStringLiteral("New(&N)"));
    QFile source(SourcePath(QStringLiteral("languages/vmq_00.ini")));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QByteArray german = source.readAll();
    german.replace("\nNEWS=New\n", "\nNEWS=Neu\n");
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("de.ini"), german));
    FreeLanguageTable();
    ASSERT_EQ(LoadLanguageFile(m_programDir.FilePath(QStringLiteral("de.ini"))), 0);
    m_page->RefreshCaptions();
    EXPECT_EQ(newButton->text(), QStringLiteral("Neu(&N)"));
}

}  // namespace
