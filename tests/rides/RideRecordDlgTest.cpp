// The ride editor: what a saved ride holds, units, the average speed, the
// memo folder through new, existing, cancelled and stepped-over rides.

#include "memo/HtmlView.h"
#include "memo/MemoDocument.h"
#include "memo/MemoEditor.h"
#include "rides/RideRecordDlg.h"
#include "support/RecordEditorTest.h"
#include "units/NumberInput.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <utility>
#include <vector>

namespace {

using RideRecordDlgTest = RecordEditorTest<RideRecordDlg, RideRecord>;

TEST_F(RideRecordDlgTest, NewRideWithOnlyABicycle) {
    const auto [result, ride] = Run(NewRecord(), [&](RideRecordDlg& editor) {
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("New ride"));
        EXPECT_FALSE(Find<QPushButton>(editor, "previous")->isVisible());
        EXPECT_FALSE(Find<QPushButton>(editor, "next")->isVisible());
        EXPECT_TRUE(Find(editor, "distance")->text().isEmpty());
        EXPECT_TRUE(Find(editor, "averageSpeed")->text().isEmpty());
        EXPECT_EQ(Find<QComboBox>(editor, "bicycle")->currentIndex(), -1);
        ChooseListEntry(Find<QComboBox>(editor, "bicycle"), 1);
        Click(editor, "save");
    });
    ASSERT_EQ(result, kEditorSaved);
    EXPECT_EQ(ride.BicycleNumber, 2);
    EXPECT_EQ(ride.Date, Local(2025, 6, 1, 18, 30, 15));
    EXPECT_EQ(ride.Distance, 0.0);
    EXPECT_EQ(ride.MaxSpeed, 0.0);
    EXPECT_EQ(ride.Hours + ride.Minutes + ride.Seconds, 0);
    EXPECT_EQ(ride.DifficultyLevel + ride.FeelingLevel, 0);
    EXPECT_EQ(ride.Memo, ToTextBlock(QString()));
    // The memo document was written into the new ride's folder.
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("Rides/5/data.htm"))));
}

TEST_F(RideRecordDlgTest, SaveWithoutBicycleAsksForOne) {
    m_dialogs.AnswerMessage(kButtonOk, GetLanguageString("ErrorStrings", "SELB"));
    const auto [result, ride] = Run(NewRecord(), [&](RideRecordDlg& editor) {
        Type(editor, "distance", QStringLiteral("42"));
        Click(editor, "save");
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(editor.focusWidget(), Find<QComboBox>(editor, "bicycle"));
        Click(editor, "cancel");
    });
    EXPECT_EQ(result, kEditorCancelled);
    EXPECT_EQ(m_dialogs.Asked().at(0).title, GetLanguageString("ErrorStrings", "ERRO"));
}

TEST_F(RideRecordDlgTest, TypedNumbersAndThePreselectedBicycle) {
    const auto [result, ride] = Run(NewRecord(5, 0), [&](RideRecordDlg& editor) {
        EXPECT_EQ(Find<QComboBox>(editor, "bicycle")->currentText(), QStringLiteral("Trek 520"));
        Type(editor, "hours", QStringLiteral("1.299"));  // four characters at most
        Type(editor, "minutes", QStringLiteral("99"));
        Type(editor, "seconds", QStringLiteral("123"));  // two at most
        Type(editor, "distance", QStringLiteral("42,5 km"));
        Type(editor, "maxSpeed", QStringLiteral("40,5km/h"));  // eight characters at most
        EXPECT_EQ(Find(editor, "hours")->text(), QStringLiteral("1.29"));
        Type(editor, "hours", QStringLiteral("12"));
        EXPECT_EQ(Find(editor, "seconds")->text(), QStringLiteral("12"));
        Find<QDateTimeEdit>(editor, "date")->setDateTime(QDateTime(QDate(2025, 5, 30), QTime(7, 5, 0)));
        QTest::keyClick(Find(editor, "distance"), Qt::Key_Return);  // Enter saves
    });
    ASSERT_EQ(result, kEditorSaved);
    EXPECT_EQ(ride.BicycleNumber, 1);
    EXPECT_EQ(ride.Hours, 12);
    EXPECT_EQ(ride.Minutes, 99);
    EXPECT_EQ(ride.Seconds, 12);
    // English writes a point, and a comma is read as a decimal comma all the same.
    EXPECT_DOUBLE_EQ(ride.Distance, 42.5);
    EXPECT_DOUBLE_EQ(ride.MaxSpeed, 40.5);
    EXPECT_EQ(ride.Date, Local(2025, 5, 30, 7, 5, 0));
}

TEST_F(RideRecordDlgTest, RidingTimeTakesWholeNumbersOnly) {
    const QString refusal = NumberRefusal(GetLanguageString("RideRecordDlg", "RDTM"), NumberKind::Whole);
    // Each text fits its field: four characters for the hours, two for the others.
    const std::pair<const char*, std::vector<const char*>> fields[] = {
        {"hours", {"27,5", "-3", "1x", "1.5"}}, {"minutes", {"-3", ",5", "2."}}, {"seconds", {"1x", "5,"}}};
    for (const auto& [field, texts] : fields) {
        for (const char* typed : texts) {
            m_dialogs.AnswerMessage(kButtonOk, refusal);
            const auto [result, ride] = Run(NewRecord(5, 0), [&](RideRecordDlg& editor) {
                Type(editor, field, QString::fromLatin1(typed));
                Type(editor, "distance", QStringLiteral("20"));
                Click(editor, "save");
                EXPECT_TRUE(editor.isVisible());
                EXPECT_EQ(Find(editor, field)->text(), QString::fromLatin1(typed));
                EXPECT_EQ(editor.focusWidget(), Find(editor, field));
                Click(editor, "cancel");
            });
            EXPECT_EQ(result, kEditorCancelled) << field << " " << typed;
        }
    }
    EXPECT_EQ(m_dialogs.Unanswered(), 0u);
}

TEST_F(RideRecordDlgTest, ADistanceWithoutRidingTimeIsSavedOnlyWhenTheRiderSaysSo) {
    const QString question = GetLanguageString("RideRecordDlg", "NOTM");
    m_dialogs.AnswerMessage(kButtonNo, question);
    m_dialogs.AnswerMessage(kButtonYes, question);
    const auto [result, ride] = Run(NewRecord(5, 0), [&](RideRecordDlg& editor) {
        Type(editor, "distance", QStringLiteral("20"));
        Click(editor, "save");
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(editor.focusWidget(), Find(editor, "hours"));
        Click(editor, "save");
    });
    ASSERT_EQ(result, kEditorSaved);
    EXPECT_EQ(ride.Distance, 20.0);
    EXPECT_EQ(ride.Hours + ride.Minutes + ride.Seconds, 0);
    ASSERT_EQ(m_dialogs.Asked().size(), 2u);
    EXPECT_EQ(m_dialogs.Asked()[0].icon, MessageIcon::Warning);
}

TEST_F(RideRecordDlgTest, MilesAreStoredAsKilometresAndShownBack) {
    SetDistanceUnit(1);
    auto [result, ride] = Run(NewRecord(), [&](RideRecordDlg& editor) {
        EXPECT_EQ(Find<QLabel>(editor, "distanceUnit")->text(), QStringLiteral("miles"));
        EXPECT_EQ(Find<QLabel>(editor, "maxSpeedUnit")->text(), QStringLiteral("mph"));
        EXPECT_EQ(Find<QLabel>(editor, "ascentUnit")->text(), QStringLiteral("ft"));
        ChooseListEntry(Find<QComboBox>(editor, "bicycle"), 0);
        Type(editor, "hours", QStringLiteral("1"));
        Type(editor, "distance", QStringLiteral("10"));
        Type(editor, "maxSpeed", QStringLiteral("20"));
        Type(editor, "ascent", QStringLiteral("1000"));
        Click(editor, "save");
        EXPECT_NEAR(editor.Detail().Ascent.value_or(0.0), 304.8, 1e-9);  // stored in metres
    });
    ASSERT_EQ(result, kEditorSaved);
    EXPECT_NEAR(ride.Distance, 16.09, 1e-9);
    EXPECT_NEAR(ride.MaxSpeed, 32.18, 1e-9);

    ride.RideRecordNumber = 5;
    Run(ExistingRecord(ride), [&](RideRecordDlg& editor) {
        EXPECT_EQ(Find(editor, "distance")->text(), QStringLiteral("10.00"));
        EXPECT_EQ(Find(editor, "maxSpeed")->text(), QStringLiteral("20.00"));
        Click(editor, "cancel");
    });
}

TEST_F(RideRecordDlgTest, UnchangedFieldsKeepTheStoredValuesExactly) {
    SetDistanceUnit(1);
    RideRecord stored =
        Ride(2, Local(1975, 3, 1, 9), 16.0934, 0, 40, 0, 33.3333);  // before the picker's range
    stored.RideRecordNumber = 8;
    stored.DifficultyLevel = 3;
    stored.FeelingLevel = 2;
    const auto [result, ride] = Run(ExistingRecord(stored), [&](RideRecordDlg& editor) {
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("Modify ride"));
        EXPECT_EQ(Find<QComboBox>(editor, "bicycle")->currentText(), QStringLiteral("Fuji <Track>"));
        Click(editor, "save");
    });
    ASSERT_EQ(result, kEditorSaved);
    EXPECT_EQ(ride.Distance, 16.0934);
    EXPECT_EQ(ride.MaxSpeed, 33.3333);
    EXPECT_EQ(ride.Date, stored.Date);
    EXPECT_EQ(ride.DifficultyLevel, 3);
    EXPECT_EQ(ride.FeelingLevel, 2);
    EXPECT_EQ(ride.RideRecordNumber, 8);
}

TEST_F(RideRecordDlgTest, AverageSpeedOfAnExistingRide) {
    struct Case {
        int unit;
        RideRecord ride;
        const char* shown;
    };
    const Case cases[] = {
        {0, Ride(1, Local(2025, 5, 1), 30.0, 1, 0, 0), "30.00"},
        {1, Ride(1, Local(2025, 5, 1), 30.0, 1, 0, 0), "18.65"},
        {0, Ride(1, Local(2025, 5, 1), 30.0, 0, 0, 0), "0.00"},
        {0, Ride(1, Local(2025, 5, 1), 25.0, 0, 50, 0), "30.00"},
    };
    for (const Case& c : cases) {
        SetDistanceUnit(c.unit);
        Run(ExistingRecord(c.ride), [&](RideRecordDlg& editor) {
            EXPECT_EQ(Find(editor, "averageSpeed")->text(), QString::fromLatin1(c.shown));
            EXPECT_TRUE(Find(editor, "averageSpeed")->isReadOnly());
            // Not worked out again while typing.
            Type(editor, "distance", QStringLiteral("100"));
            EXPECT_EQ(Find(editor, "averageSpeed")->text(), QString::fromLatin1(c.shown));
            Click(editor, "cancel");
        });
    }
}

TEST_F(RideRecordDlgTest, ExistingRideWithoutDocumentStartsFromItsPlainText) {
    RideRecord stored =
        Ride(1, Local(2025, 5, 1), 30.0, 1, 0, 0, 0.0, QStringLiteral("Windy\r\nHome by six"));
    stored.RideRecordNumber = 12;
    const auto [result, ride] = Run(ExistingRecord(stored), [&](RideRecordDlg& editor) {
        EXPECT_EQ(editor.Memo()->GetMemoText(), QStringLiteral("Windy\r\nHome by six"));
        Click(editor, "cancel");
    });
    EXPECT_EQ(result, kEditorCancelled);
    const QByteArray expected =
        QByteArray("\xFF\xFE", 2) +
        QByteArray(reinterpret_cast<const char*>(u"<html><body>Windy<br>Home by six</body></html>"), 46 * 2);
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("Rides/12/data.htm")), expected);
}

TEST_F(RideRecordDlgTest, AMemoThatCannotBeOpenedKeepsItsTextAndTheRideCanStillBeSaved) {
    RideRecord stored = Ride(1, Local(2025, 5, 1), 30.0, 1, 0, 0, 0.0, QStringLiteral("Kept as stored"));
    stored.RideRecordNumber = 12;
    // Something that is not a readable document stands where data.htm belongs.
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/12/data.htm/keep"), "x"));
    m_dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "OPMM"));
    const auto [result, ride] = Run(ExistingRecord(stored), [&](RideRecordDlg& editor) {
        Type(editor, "distance", QStringLiteral("42"));
        Click(editor, "save");
    });
    ASSERT_EQ(result, kEditorSaved);
    EXPECT_DOUBLE_EQ(ride.Distance, 42.0);
    EXPECT_EQ(FromTextBlock(ride.Memo), QStringLiteral("Kept as stored"));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("Rides/12/data.htm/keep")), QByteArray("x"));
}

TEST_F(RideRecordDlgTest, MemoTextIsStoredAndItsDocumentSaved) {
    const auto [result, ride] = Run(NewRecord(7, 1), [&](RideRecordDlg& editor) {
        editor.Memo()->View()->setFocus();
        QTest::keyClicks(editor.Memo()->View(), QStringLiteral("Rain, \"mostly\""));
        Click(editor, "save");
    });
    ASSERT_EQ(result, kEditorSaved);
    EXPECT_EQ(FromTextBlock(ride.Memo), QStringLiteral("Rain, \"mostly\""));
    EXPECT_EQ(ride.Memo.size(), 2u * 14 + 4);
    EXPECT_TRUE(
        DecodeMemoDocument(m_programDir.ReadFile(QStringLiteral("Rides/7/data.htm"))).contains(u"mostly"));
}

TEST_F(RideRecordDlgTest, MemoThatCannotBeWrittenKeepsTheEditorOpen) {
    m_dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "STDB"));
    const auto [result, ride] = Run(NewRecord(7, 0), [&](RideRecordDlg& editor) {
        {
            ScopedWriteFailure failure;
            Click(editor, "save");
        }
        EXPECT_TRUE(editor.isVisible());
        Click(editor, "save");
    });
    EXPECT_EQ(result, kEditorSaved);
}

TEST_F(RideRecordDlgTest, CancellingANewRideRemovesItsFolder) {
    // Whatever a removed ride left under the number does not show up in the new one.
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/5/data.htm"),
                                       EncodePlainTextMemo(QStringLiteral("old"))));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/5/data.files/old.png"), "x"));
    Run(NewRecord(5), [&](RideRecordDlg& editor) {
        EXPECT_TRUE(editor.Memo()->GetMemoText().isEmpty());
        EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("Rides/5/data.files"))));
        QTest::keyClicks(editor.Memo()->View(), QStringLiteral("typed"));
        Click(editor, "cancel");
    });
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("Rides/5"))));
    // Escape cancels as well.
    Run(NewRecord(6), [&](RideRecordDlg& editor) {
        EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("Rides/6"))));
        QTest::keyClick(Find(editor, "distance"), Qt::Key_Escape);
    });
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("Rides/6"))));
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("Rides"))));
}

TEST_F(RideRecordDlgTest, CancellingAnExistingRideKeepsItsDocument) {
    const QByteArray document = EncodeMemoDocument(QStringLiteral("<html><body>kept</body></html>"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/3/data.htm"), document));
    RideRecord stored = Ride(1, Local(2025, 5, 1), 30.0, 1, 0, 0);
    stored.RideRecordNumber = 3;
    m_dialogs.AnswerMessage(kButtonDiscard, GetLanguageString("Strings", "SVCH"));
    const auto [result, ride] = Run(ExistingRecord(stored), [&](RideRecordDlg& editor) {
        QTest::keyClicks(editor.Memo()->View(), QStringLiteral("more"));
        editor.close();  // the close box
    });
    EXPECT_EQ(result, kEditorCancelled);
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("Rides/3/data.htm")), document);
}

TEST_F(RideRecordDlgTest, PreviousAndNextStepWithoutSaving) {
    RideRecord stored = Ride(1, Local(2025, 5, 1), 30.0, 1, 0, 0);
    stored.RideRecordNumber = 3;
    struct Case {
        bool hasPrevious;
        bool hasNext;
        const char* click;
        int result;
    };
    for (const Case& c :
         {Case{false, true, "next", kEditorNext}, Case{true, false, "previous", kEditorPrevious},
          Case{true, true, "next", kEditorNext}}) {
        m_dialogs.AnswerMessage(kButtonDiscard, GetLanguageString("Strings", "SVCH"));
        const auto [result, ride] =
            Run(ExistingRecord(stored, c.hasPrevious, c.hasNext), [&](RideRecordDlg& editor) {
                EXPECT_TRUE(Find<QPushButton>(editor, "previous")->isVisible());
                EXPECT_EQ(Find<QPushButton>(editor, "previous")->isEnabled(), c.hasPrevious);
                EXPECT_EQ(Find<QPushButton>(editor, "next")->isEnabled(), c.hasNext);
                QTest::keyClicks(editor.Memo()->View(), QStringLiteral("lost"));
                Type(editor, "distance", QStringLiteral("99"));
                Click(editor, c.click);
            });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(ride.Distance, 30.0);
        EXPECT_FALSE(
            DecodeMemoDocument(m_programDir.ReadFile(QStringLiteral("Rides/3/data.htm"))).contains(u"lost"));
    }
}

TEST_F(RideRecordDlgTest, LayoutKeepsTheMemoAndButtonsInPlace) {
    Run(ExistingRecord(Ride(1, Local(2025, 5, 1), 30.0, 1, 0, 0), true, true), [&](RideRecordDlg& editor) {
        editor.resize(900, 700);
        // The memo keeps its distance below the fields, however many there are.
        const int top = Find<QWidget>(editor, "fields")->geometry().bottom() + 1 + 22;
        const QRect memo = editor.Memo()->geometry();
        EXPECT_EQ(memo, QRect(10, top, 880, 700 - top - 35));
        const QRect save = Find<QPushButton>(editor, "save")->geometry();
        const QRect cancel = Find<QPushButton>(editor, "cancel")->geometry();
        EXPECT_EQ(save.top(), 670);
        EXPECT_EQ(save.right() + 1, 450 - 5);
        EXPECT_EQ(cancel.left(), 450 + 5);
        EXPECT_EQ(Find<QPushButton>(editor, "previous")->geometry().left(), 10);
        EXPECT_EQ(Find<QPushButton>(editor, "next")->geometry().right() + 1, 890);
        // The fields stay above the memo, and the memo keeps room at the smallest size.
        QWidget* recorded = Find<QLabel>(editor, "recorded");
        EXPECT_LE(recorded->mapTo(&editor, QPoint(0, 0)).y() + recorded->height(), top);
        editor.resize(800, 500);
        EXPECT_GE(editor.Memo()->height(), 200);
        Click(editor, "cancel");
    });
}

TEST_F(RideRecordDlgTest, TypedFiguresAndLevelsAreStoredWithTheRide) {
    RideRecord stored = Ride(1, Local(2025, 5, 1), 30.0, 1, 0, 0);
    stored.DifficultyLevel = 9;  // written by another program
    stored.FeelingLevel = 2;
    ASSERT_EQ(DB_InsertRideRecord(&stored), 0);
    stored.RideRecordNumber = 1;
    const auto [result, ride] = Run(ExistingRecord(stored), [&](RideRecordDlg& editor) {
        editor.SetRecordStore([&editor] {
            RideRecord record = editor.WorkingRecord();
            return DB_UpdateRideRecord(1, &record) == store::kOk;
        });
        EXPECT_EQ(Find<QComboBox>(editor, "effort")->currentText(), QStringLiteral("not set"));
        EXPECT_EQ(Find<QComboBox>(editor, "feeling")->currentIndex(), 2);
        EXPECT_EQ(Find<QLabel>(editor, "recorded")->text(), QStringLiteral("Source typed"));
        EXPECT_FALSE(editor.HasChanges());
        ChooseListEntry(Find<QComboBox>(editor, "feeling"), 4);
        EXPECT_TRUE(editor.HasChanges());
        Type(editor, "ascent", QStringLiteral("350"));
        Type(editor, "heartRate", QStringLiteral("128,5"));
        Click(editor, "save");
    });
    ASSERT_EQ(result, kEditorSaved);
    const RideRecordList rides = StoredRides();
    ASSERT_EQ(rides.size(), 1u);
    EXPECT_EQ(rides[0].DifficultyLevel, 9);
    EXPECT_EQ(rides[0].FeelingLevel, 4);
    RideDetail detail;
    bool found = false;
    ASSERT_EQ(DB_GetRideDetail(1, &detail, &found), 0);
    ASSERT_TRUE(found);
    EXPECT_EQ(detail.Ascent, 350.0);
    EXPECT_EQ(detail.AverageHeartRate, 128.5);
    EXPECT_FALSE(detail.Calories);
    EXPECT_EQ(detail.SourceFile, "");
}

}  // namespace
