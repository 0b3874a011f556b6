// The maintenance editor: what a saved entry holds, the cost as typed, the
// memo folder through new, existing, cancelled and stepped-over entries, and
// where its parts stand.

#include "maintenance/MaintenanceRecordDlg.h"
#include "memo/HtmlView.h"
#include "memo/MemoDocument.h"
#include "memo/MemoEditor.h"
#include "support/RecordEditorTest.h"
#include "widgets/LinkLabel.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QFileInfo>
#include <QLabel>

namespace {

class MaintenanceRecordDlgTest : public RecordEditorTest<MaintenanceRecordDlg, MaintenanceRecord> {
protected:
    static MaintenanceRecord Numbered(MaintenanceRecord entry, int number) {
        entry.MaintenanceRecordNumber = number;
        return entry;
    }

    QByteArray Document(int number) const {
        return m_programDir.ReadFile(QStringLiteral("Maintenance/%1/data.htm").arg(number));
    }
};

TEST_F(MaintenanceRecordDlgTest, NewEntryWithOnlyABicycle) {
    const auto [result, entry] = Run(NewRecord(), [&](MaintenanceRecordDlg& editor) {
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("New maintenance entry"));
        EXPECT_FALSE(Find<QPushButton>(editor, "previous")->isVisible());
        EXPECT_FALSE(Find<QPushButton>(editor, "next")->isVisible());
        EXPECT_TRUE(Find(editor, "cost")->text().isEmpty());
        EXPECT_EQ(Find<QDateTimeEdit>(editor, "date")->dateTime(),
                  QDateTime(QDate(2025, 6, 1), QTime(18, 30, 15)));
        QComboBox* bicycle = Find<QComboBox>(editor, "bicycle");
        EXPECT_EQ(bicycle->currentIndex(), -1);
        ASSERT_EQ(bicycle->count(), 2);
        EXPECT_EQ(bicycle->itemText(1), QStringLiteral("Fuji <Track>"));
        ChooseListEntry(bicycle, 1);
        Click(editor, "save");
    });
    ASSERT_EQ(result, kEditorSaved);
    EXPECT_EQ(entry.BicycleNumber, 2);
    EXPECT_EQ(entry.Date, Local(2025, 6, 1, 18, 30, 15));
    EXPECT_EQ(entry.Cost, 0.0);
    EXPECT_EQ(entry.Memo, ByteBlock(4, 0));
    EXPECT_TRUE(DecodeMemoDocument(Document(5)).contains(u"<html"));
}

TEST_F(MaintenanceRecordDlgTest, SaveWithoutBicycleAsksForOne) {
    for (const bool withBicycles : {true, false}) {
        m_dialogs.AnswerMessage(kButtonOk, GetLanguageString("ErrorStrings", "SELB"));
        MaintenanceEditorSetup setup = NewRecord();
        if (!withBicycles) {
            setup.bicycles.clear();
            setup.preselectedBicycle = 0;  // nothing there to preselect
        }
        const auto [result, entry] = Run(std::move(setup), [&](MaintenanceRecordDlg& editor) {
            Type(editor, "cost", QStringLiteral("42"));
            Click(editor, "save");
            EXPECT_TRUE(editor.isVisible());
            EXPECT_EQ(editor.focusWidget(), Find<QComboBox>(editor, "bicycle"));
            Click(editor, "cancel");
        });
        EXPECT_EQ(result, kEditorCancelled);
        EXPECT_EQ(m_dialogs.Asked().back().title, GetLanguageString("ErrorStrings", "ERRO"));
        EXPECT_EQ(m_dialogs.Asked().back().icon, MessageIcon::Error);
    }
}

TEST_F(MaintenanceRecordDlgTest, CostFieldHoldsTenCharacters) {
    const auto [result, entry] = Run(NewRecord(5, 0), [&](MaintenanceRecordDlg& editor) {
        Type(editor, "cost", QStringLiteral("12345678901234"));
        EXPECT_EQ(Find(editor, "cost")->text(), QStringLiteral("1234567890"));
        QTest::keyClick(Find(editor, "cost"), Qt::Key_Return);  // Enter saves
    });
    ASSERT_EQ(result, kEditorSaved);
    EXPECT_DOUBLE_EQ(entry.Cost, 1234567890.0);
    EXPECT_EQ(entry.BicycleNumber, 1);
}

TEST_F(MaintenanceRecordDlgTest, ExistingEntryIsShownAndUnchangedFieldsKeepTheStoredValues) {
    // Dated before the picker's range, with a cost the field shows rounded.
    const MaintenanceRecord stored = Numbered(Entry(2, Local(1975, 3, 1, 9), 12.345), 8);
    const auto [result, entry] = Run(ExistingRecord(stored), [&](MaintenanceRecordDlg& editor) {
        EXPECT_EQ(editor.windowTitle(), QStringLiteral("Modify maintenance entry"));
        EXPECT_EQ(Find<QComboBox>(editor, "bicycle")->currentText(), QStringLiteral("Fuji <Track>"));
        EXPECT_EQ(Find(editor, "cost")->text(), QStringLiteral("12.35"));
        EXPECT_EQ(Find<QDateTimeEdit>(editor, "date")->dateTime(),
                  QDateTime(QDate(1975, 3, 1), QTime(9, 0, 0)));
        Click(editor, "save");
    });
    ASSERT_EQ(result, kEditorSaved);
    EXPECT_EQ(entry.Cost, 12.345);
    EXPECT_EQ(entry.Date, stored.Date);
    EXPECT_EQ(entry.BicycleNumber, 2);
    EXPECT_EQ(entry.MaintenanceRecordNumber, 8);

    // Changed fields are taken as typed.
    const auto [again, changed] = Run(ExistingRecord(stored), [&](MaintenanceRecordDlg& editor) {
        Type(editor, "cost", QStringLiteral("99.90"));
        Find<QDateTimeEdit>(editor, "date")->setDateTime(QDateTime(QDate(2025, 5, 30), QTime(7, 5, 0)));
        ChooseListEntry(Find<QComboBox>(editor, "bicycle"), 0);
        Click(editor, "save");
    });
    ASSERT_EQ(again, kEditorSaved);
    EXPECT_EQ(changed.Cost, 99.9);
    EXPECT_EQ(changed.Date, Local(2025, 5, 30, 7, 5, 0));
    EXPECT_EQ(changed.BicycleNumber, 1);
}

TEST_F(MaintenanceRecordDlgTest, EntryOfADeletedBicycleKeepsThePreselection) {
    MaintenanceEditorSetup setup = ExistingRecord(Numbered(Entry(9, Local(2025, 5, 1), 1.0), 3));
    setup.preselectedBicycle = 1;
    Run(std::move(setup), [&](MaintenanceRecordDlg& editor) {
        EXPECT_EQ(Find<QComboBox>(editor, "bicycle")->currentText(), QStringLiteral("Fuji <Track>"));
        Click(editor, "cancel");
    });
    Run(ExistingRecord(Numbered(Entry(9, Local(2025, 5, 1), 1.0), 3)), [&](MaintenanceRecordDlg& editor) {
        EXPECT_EQ(Find<QComboBox>(editor, "bicycle")->currentIndex(), -1);
        Click(editor, "cancel");
    });
}

TEST_F(MaintenanceRecordDlgTest, PlainMemoDocumentIsMadeOnceFromTheStoredText) {
    const MaintenanceRecord stored =
        Numbered(Entry(1, Local(2025, 5, 1), 30.0, QStringLiteral("New chain\r\nKMC X11, 4 < 5")), 12);
    Run(ExistingRecord(stored), [&](MaintenanceRecordDlg& editor) {
        EXPECT_EQ(editor.Memo()->GetMemoText(), QStringLiteral("New chain\r\nKMC X11, 4 < 5"));
        Click(editor, "cancel");
    });
    const QByteArray first = Document(12);
    EXPECT_EQ(first, EncodePlainTextMemo(QStringLiteral("New chain\r\nKMC X11, 4 < 5")));
    EXPECT_TRUE(DecodeMemoDocument(first).startsWith(u"<html><body>New chain<br>KMC X11"));

    // Opened again, even with another stored text, the document is left as it is.
    Run(ExistingRecord(Numbered(Entry(1, Local(2025, 5, 1), 30.0, QStringLiteral("other")), 12)),
        [&](MaintenanceRecordDlg& editor) { Click(editor, "cancel"); });
    EXPECT_EQ(Document(12), first);
}

TEST_F(MaintenanceRecordDlgTest, MemoTextIsStoredAndItsDocumentSaved) {
    const auto [result, entry] = Run(NewRecord(7, 1), [&](MaintenanceRecordDlg& editor) {
        editor.Memo()->View()->setFocus();
        QTest::keyClicks(editor.Memo()->View(), QStringLiteral("Tubeless, \"sealant\""));
        Click(editor, "save");
    });
    ASSERT_EQ(result, kEditorSaved);
    EXPECT_EQ(FromTextBlock(entry.Memo), QStringLiteral("Tubeless, \"sealant\""));
    EXPECT_EQ(entry.Memo.size(), 2u * 19 + 4);
    EXPECT_TRUE(DecodeMemoDocument(Document(7)).contains(u"sealant"));
}

TEST_F(MaintenanceRecordDlgTest, MemoThatCannotBeWrittenKeepsTheEditorOpen) {
    m_dialogs.AnswerFailure(kButtonOk, GetLanguageString("ErrorStrings", "STDB"));
    const auto [result, entry] = Run(NewRecord(7, 0), [&](MaintenanceRecordDlg& editor) {
        {
            ScopedWriteFailure failure;
            Click(editor, "save");
        }
        EXPECT_TRUE(editor.isVisible());
        Click(editor, "save");
    });
    EXPECT_EQ(result, kEditorSaved);
}

TEST_F(MaintenanceRecordDlgTest, CancellingANewEntryRemovesItsFolderWithPictures) {
    // Whatever a removed entry left under the number does not show up in the new one.
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Maintenance/5/data.htm"),
                                       EncodePlainTextMemo(QStringLiteral("old"))));
    Run(NewRecord(5), [&](MaintenanceRecordDlg& editor) {
        EXPECT_EQ(editor.MemoFolder(), Path(QStringLiteral("Maintenance/5")));
        EXPECT_TRUE(editor.Memo()->GetMemoText().isEmpty());
        // A picture inserted while editing lands in the folder.
        ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Maintenance/5/data.files/receipt.png"), "png"));
        QTest::keyClicks(editor.Memo()->View(), QStringLiteral("typed"));
        Click(editor, "cancel");
    });
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("Maintenance/5"))));
    // Escape and the close box cancel as well.
    Run(NewRecord(6), [&](MaintenanceRecordDlg& editor) {
        EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("Maintenance/6/data.htm"))));
        QTest::keyClick(Find(editor, "cost"), Qt::Key_Escape);
    });
    Run(NewRecord(7), [&](MaintenanceRecordDlg& editor) { editor.close(); });
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("Maintenance/6"))));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("Maintenance/7"))));
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("Maintenance"))));
}

TEST_F(MaintenanceRecordDlgTest, CancellingAnExistingEntryKeepsItsFolderAndPictures) {
    const QByteArray document = EncodeMemoDocument(QStringLiteral("<html><body>kept</body></html>"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Maintenance/3/data.htm"), document));
    const auto [result, entry] = Run(
        ExistingRecord(Numbered(Entry(1, Local(2025, 5, 1), 30.0), 3)), [&](MaintenanceRecordDlg& editor) {
            ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Maintenance/3/data.files/part.jpg"), "jpg"));
            QTest::keyClicks(editor.Memo()->View(), QStringLiteral("more"));
            Click(editor, "cancel");
        });
    EXPECT_EQ(result, kEditorCancelled);
    EXPECT_EQ(Document(3), document);
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("Maintenance/3/data.files/part.jpg"))));
}

TEST_F(MaintenanceRecordDlgTest, PreviousAndNextStepWithoutSaving) {
    const MaintenanceRecord stored = Numbered(Entry(1, Local(2025, 5, 1), 30.0), 3);
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
        const auto [result, entry] =
            Run(ExistingRecord(stored, c.hasPrevious, c.hasNext), [&](MaintenanceRecordDlg& editor) {
                EXPECT_TRUE(Find<QPushButton>(editor, "previous")->isVisible());
                EXPECT_EQ(Find<QPushButton>(editor, "previous")->isEnabled(), c.hasPrevious);
                EXPECT_EQ(Find<QPushButton>(editor, "next")->isEnabled(), c.hasNext);
                QTest::keyClicks(editor.Memo()->View(), QStringLiteral("lost"));
                Type(editor, "cost", QStringLiteral("99"));
                Click(editor, c.click);
            });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(entry.Cost, 30.0);
        EXPECT_FALSE(DecodeMemoDocument(Document(3)).contains(u"lost"));
    }
    // The only row of the list: neither way leads anywhere.
    Run(ExistingRecord(stored), [&](MaintenanceRecordDlg& editor) {
        EXPECT_FALSE(Find<QPushButton>(editor, "previous")->isEnabled());
        EXPECT_FALSE(Find<QPushButton>(editor, "next")->isEnabled());
        Click(editor, "cancel");
    });
}

TEST_F(MaintenanceRecordDlgTest, LayoutKeepsMemoButtonsAndPictureInPlace) {
    Run(ExistingRecord(Numbered(Entry(1, Local(2025, 5, 1), 30.0), 3), true, true),
        [&](MaintenanceRecordDlg& editor) {
            editor.resize(900, 700);
            EXPECT_EQ(editor.Memo()->geometry(), QRect(10, 110, 880, 700 - 110 - 35));
            const QRect save = Find<QPushButton>(editor, "save")->geometry();
            EXPECT_EQ(save.top(), 670);
            EXPECT_EQ(save.right() + 1, 450 - 5);
            EXPECT_EQ(Find<QPushButton>(editor, "cancel")->geometry().left(), 450 + 5);
            EXPECT_EQ(Find<QPushButton>(editor, "previous")->geometry().left(), 10);
            EXPECT_EQ(Find<QPushButton>(editor, "next")->geometry().right() + 1, 890);
            EXPECT_TRUE(Find<QPushButton>(editor, "save")->isDefault());

            // The spanner in the top right corner: a picture, nothing else.
            LinkLabel* picture = Find<LinkLabel>(editor, "picture");
            EXPECT_EQ(picture->geometry(), QRect(900 - 10 - 81, 10, 81, 90));
            EXPECT_EQ(picture->PictureNumber(), 141);
            EXPECT_TRUE(picture->Text().isEmpty());
            EXPECT_TRUE(picture->Link().isEmpty());
            // The fields stay above the memo and clear of the picture.
            for (QWidget* field : {static_cast<QWidget*>(Find<QComboBox>(editor, "bicycle")),
                                   static_cast<QWidget*>(Find(editor, "cost")),
                                   static_cast<QWidget*>(Find<QDateTimeEdit>(editor, "date"))}) {
                const QRect placed(field->mapTo(&editor, QPoint(0, 0)), field->size());
                EXPECT_LE(placed.bottom(), 110);
                EXPECT_FALSE(placed.intersects(picture->geometry()));
            }
            const QStringList labels = [&] {
                QStringList texts;
                for (const QLabel* label : editor.findChildren<QLabel*>()) {
                    texts << label->text();
                }
                return texts;
            }();
            for (const char* caption : {"Date:", "Bicycle:", "Cost:", "Memo:"}) {
                EXPECT_TRUE(labels.contains(QString::fromLatin1(caption))) << caption;
            }
            Click(editor, "cancel");
        });
}

}  // namespace
