// The gear calculator driven like a rider: templates, rim list, typed values,
// Calculate, Enter and Escape.

#include "support/ModalDrivers.h"
#include "support/ReportBytes.h"
#include "support/Scoped.h"
#include "support/ScriptedDialogs.h"
#include "tools/GearCalculatorDlg.h"
#include "tools/ToolsTestSupport.h"
#include "units/NumberInput.h"
#include "units/Units.h"
#include "widgets/ImportExportDlg.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <memory>

namespace {

enum Template { kRoad = 0, kMountain = 1, kFolding = 2 };
constexpr int kOtherRimEntry = 10;

class GearCalculatorTest : public EnglishTextsTest {
protected:
    void SetUp() override {
        EnglishTextsTest::SetUp();
        m_dialog = std::make_unique<GearCalculatorDlg>();
        m_dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    }

    QComboBox* List(const char* name) const { return Find<QComboBox>(m_dialog.get(), name); }
    QLineEdit* Field(const char* name) const { return Find<QLineEdit>(m_dialog.get(), name); }
    QLineEdit* RowField(const char* kind, int row) const {
        const QByteArray name = QByteArray(kind) + QByteArray::number(row);
        return Field(name.constData());
    }
    QPushButton* Button(const char* name) const { return Find<QPushButton>(m_dialog.get(), name); }

    // Free wheel, gear ratio, speed ratio and speed of a row (1 to 10), as shown.
    QStringList Row(int row) const {
        return {RowField("freeWheel", row)->text(), RowField("gearRatio", row)->text(),
                RowField("speedRatio", row)->text(), RowField("speed", row)->text()};
    }
    static QStringList Texts(std::initializer_list<const char*> texts) {
        QStringList list;
        for (const char* text : texts) {
            list << QString::fromUtf8(text);
        }
        return list;
    }
    QStringList Entries(QComboBox* list) const {
        QStringList entries;
        for (int i = 0; i < list->count(); ++i) {
            entries << list->itemText(i);
        }
        return entries;
    }

    std::unique_ptr<GearCalculatorDlg> m_dialog;
};

TEST_F(GearCalculatorTest, OpensEmptyWithNothingChosen) {
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("Gear calculator"));
    EXPECT_EQ(List("template")->currentIndex(), -1);
    EXPECT_EQ(List("rimSize")->currentIndex(), -1);
    EXPECT_EQ(List("rimSize")->count(), 11);
    EXPECT_EQ(List("rimSize")->itemText(kOtherRimEntry), QStringLiteral("Other size"));
    EXPECT_TRUE(Field("inches")->text().isEmpty());
    EXPECT_TRUE(Field("inches")->isEnabled());
    EXPECT_TRUE(List("chainWheel")->currentText().isEmpty());
    EXPECT_EQ(List("chainWheel")->count(), 0);
    EXPECT_TRUE(List("cadence")->currentText().isEmpty());
    EXPECT_EQ(Entries(List("cadence")), Texts({"60", "90", "120"}));
    for (int row = 1; row <= kGearRowCount; ++row) {
        EXPECT_EQ(Row(row), Texts({"", "", "", ""})) << "row " << row;
        EXPECT_TRUE(RowField("gearRatio", row)->isReadOnly());
    }
    const auto labels = m_dialog->findChildren<QLabel*>();
    const auto shows = [&](const QString& text) {
        return std::any_of(labels.begin(), labels.end(), [&](QLabel* l) { return l->text() == text; });
    };
    for (const char* text : {"Bicycle template:", "Rim size:", "Chain wheel teeth:", "Cadence (rpm):", "inch",
                             "No.", "Free wheel teeth", "Gear ratio", "Speed ratio", "Speed", "1", "10"}) {
        EXPECT_TRUE(shows(QString::fromUtf8(text))) << text;
    }
    EXPECT_EQ(Button("calculate")->text(), QStringLiteral("Calculate(&K)"));
    EXPECT_EQ(Button("export")->text(), QStringLiteral("Export(&E)"));
    EXPECT_EQ(Button("close")->text(), QStringLiteral("Close(&C)"));
    EXPECT_EQ(Find<QPlainTextEdit>(m_dialog.get(), "tips")->toPlainText().count(u'\n'), 2);

    // Calculating nothing leaves every result empty.
    QTest::mouseClick(Button("calculate"), Qt::LeftButton);
    EXPECT_EQ(Row(1), Texts({"", "", "", ""}));
}

TEST_F(GearCalculatorTest, RoadTemplateFillsTheBicycleAndCalculates) {
    ChooseListEntry(List("template"), kRoad);
    EXPECT_EQ(List("rimSize")->currentText(), QStringLiteral("700C"));
    EXPECT_EQ(Field("inches")->text(), QStringLiteral("27.5"));
    EXPECT_FALSE(Field("inches")->isEnabled());
    EXPECT_EQ(Entries(List("chainWheel")), Texts({"53", "39"}));
    EXPECT_EQ(List("chainWheel")->currentText(), QStringLiteral("53"));
    EXPECT_EQ(List("cadence")->currentText(), QStringLiteral("90"));
    EXPECT_EQ(Row(1), Texts({"23", "2.30", "63.37", "27.29km/h"}));
    EXPECT_EQ(Row(5), Texts({"16", "3.31", "91.09", "39.23km/h"}));
    EXPECT_EQ(Row(10), Texts({"11", "4.82", "132.50", "57.07km/h"}));
}

TEST_F(GearCalculatorTest, SpeedsFollowTheDistanceUnit) {
    SetDistanceUnit(1);
    ChooseListEntry(List("template"), kRoad);
    EXPECT_EQ(Row(1), Texts({"23", "2.30", "63.37", "16.96mph"}));
    EXPECT_EQ(Row(10), Texts({"11", "4.82", "132.50", "35.47mph"}));
}

TEST_F(GearCalculatorTest, EightSprocketTemplatesEmptyTheLastTwoRows) {
    ChooseListEntry(List("template"), kRoad);
    ChooseListEntry(List("template"), kMountain);
    EXPECT_EQ(List("rimSize")->currentText(), QStringLiteral("26 inch"));
    EXPECT_EQ(Field("inches")->text(), QStringLiteral("26"));
    EXPECT_EQ(Entries(List("chainWheel")), Texts({"44", "32", "22"}));
    EXPECT_EQ(List("chainWheel")->currentText(), QStringLiteral("32"));
    EXPECT_EQ(Row(1), Texts({"32", "1.00", "26.00", "11.20km/h"}));
    EXPECT_EQ(Row(8), Texts({"11", "2.91", "75.64", "32.58km/h"}));
    EXPECT_EQ(Row(9), Texts({"", "", "", ""}));
    EXPECT_EQ(Row(10), Texts({"", "", "", ""}));

    ChooseListEntry(List("template"), kFolding);
    EXPECT_EQ(List("rimSize")->currentText(), QStringLiteral("20 inch"));
    EXPECT_EQ(Entries(List("chainWheel")), Texts({"52"}));
    EXPECT_EQ(Row(1), Texts({"32", "1.62", "32.50", "14.00km/h"}));
    EXPECT_EQ(Row(9), Texts({"", "", "", ""}));
}

TEST_F(GearCalculatorTest, ZeroOrNoTeethGiveNoResults) {
    ChooseListEntry(List("template"), kRoad);
    TypeInto(RowField("freeWheel", 4), QStringLiteral("0"));
    TypeInto(RowField("freeWheel", 5), QString());
    TypeInto(RowField("freeWheel", 6), QStringLiteral("15"));
    QTest::mouseClick(Button("calculate"), Qt::LeftButton);
    EXPECT_EQ(Row(4), Texts({"0", "", "", ""}));
    EXPECT_EQ(Row(5), Texts({"", "", "", ""}));
    EXPECT_EQ(Row(6), Texts({"15", "3.53", "97.17", "41.85km/h"}));
    EXPECT_EQ(Row(2), Texts({"21", "2.52", "69.40", "29.89km/h"}));
}

TEST_F(GearCalculatorTest, AFieldThatHoldsNoNumberOfItsKindIsNamedAndNothingIsCalculated) {
    ChooseListEntry(List("template"), kRoad);
    const struct {
        QLineEdit* field;
        const char* typed;
        const char* named;
        const char* before;
    } cases[] = {
        {RowField("freeWheel", 3), "big", "Free wheel teeth 3", "19"},
        {RowField("freeWheel", 3), "-16", "Free wheel teeth 3", "19"},
        {RowField("freeWheel", 3), "15,5", "Free wheel teeth 3", "19"},
        {List("cadence")->lineEdit(), "75 rpm", "Cadence (rpm)", "90"},
        {List("chainWheel")->lineEdit(), "53T", "Chain wheel teeth", "53"},
    };
    for (const auto& c : cases) {
        ScriptedDialogs dialogs;
        const QString typed = QString::fromLatin1(c.typed);
        dialogs.AnswerMessage(kButtonOk, NumberRefusal(QString::fromLatin1(c.named), NumberKind::Whole));
        TypeInto(c.field, typed);
        QTest::mouseClick(Button("calculate"), Qt::LeftButton);
        EXPECT_EQ(dialogs.Asked().size(), 1u) << c.typed;
        EXPECT_EQ(c.field->text(), typed);
        // A typable list holds the focus for its line.
        QWidget* focused = m_dialog->focusWidget();
        EXPECT_TRUE(focused == c.field || focused == c.field->parentWidget()) << c.typed;
        // The results of the last calculation stay.
        EXPECT_EQ(Row(3)[1], QStringLiteral("2.79")) << c.typed;
        TypeInto(c.field, QString::fromLatin1(c.before));
    }
    // The inch field takes a decimal comma and its unit word.
    ChooseListEntry(List("rimSize"), kOtherRimEntry);
    TypeInto(Field("inches"), QStringLiteral("29,0 inch"));
    QTest::mouseClick(Button("calculate"), Qt::LeftButton);
    EXPECT_EQ(Row(1)[2], QStringLiteral("66.83"));
}

TEST_F(GearCalculatorTest, OtherRimSizeOpensTheInchFieldAndKeepsItsDiameter) {
    ChooseListEntry(List("template"), kRoad);
    ChooseListEntry(List("rimSize"), kOtherRimEntry);
    EXPECT_TRUE(Field("inches")->isEnabled());
    EXPECT_EQ(Field("inches")->text(), QStringLiteral("27.5"));

    TypeInto(Field("inches"), QStringLiteral("29"));
    QTest::mouseClick(Button("calculate"), Qt::LeftButton);
    EXPECT_EQ(Row(1), Texts({"23", "2.30", "66.83", "28.78km/h"}));

    // A listed size fills its own diameter and closes the field again.
    ChooseListEntry(List("rimSize"), 5);
    EXPECT_EQ(Field("inches")->text(), QStringLiteral("20"));
    EXPECT_FALSE(Field("inches")->isEnabled());
    // Choosing a rim alone does not calculate.
    EXPECT_EQ(Row(1), Texts({"23", "2.30", "66.83", "28.78km/h"}));
}

TEST_F(GearCalculatorTest, TypedCadenceCountsAndEnterCalculatesWithoutClosing) {
    ChooseListEntry(List("template"), kRoad);
    QLineEdit* cadence = List("cadence")->lineEdit();
    TypeInto(cadence, QStringLiteral("75"));
    QTest::keyClick(cadence, Qt::Key_Return);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(Row(1), Texts({"23", "2.30", "63.37", "22.74km/h"}));
    // The typed value is not added to the offered ones.
    EXPECT_EQ(Entries(List("cadence")), Texts({"60", "90", "120"}));
    EXPECT_EQ(List("cadence")->currentText(), QStringLiteral("75"));

    // A typed 1 stays 1: the list does not complete it to 120.
    TypeInto(cadence, QStringLiteral("1"));
    EXPECT_EQ(List("cadence")->currentText(), QStringLiteral("1"));

    TypeInto(cadence, QStringLiteral("60"));
    QTest::keyClick(RowField("freeWheel", 1), Qt::Key_Enter);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(Row(1)[3], QStringLiteral("18.19km/h"));
}

TEST_F(GearCalculatorTest, ChainWheelChoiceWaitsForCalculate) {
    ChooseListEntry(List("template"), kRoad);
    ChooseTypableListEntry(List("chainWheel"), 1);
    EXPECT_EQ(List("chainWheel")->currentText(), QStringLiteral("39"));
    EXPECT_EQ(Row(1)[1], QStringLiteral("2.30"));
    QTest::mouseClick(Button("calculate"), Qt::LeftButton);
    EXPECT_EQ(Row(1), Texts({"23", "1.70", "46.63", "20.08km/h"}));

    // A chain wheel of 0 gives zeros, not empty results.
    TypeInto(List("chainWheel")->lineEdit(), QStringLiteral("0"));
    QTest::mouseClick(Button("calculate"), Qt::LeftButton);
    EXPECT_EQ(Row(1), Texts({"23", "0.00", "0.00", "0.00km/h"}));
}

TEST_F(GearCalculatorTest, EscapeAndCloseEndTheDialog) {
    QTest::keyClick(Field("inches"), Qt::Key_Escape);
    EXPECT_FALSE(m_dialog->isVisible());

    m_dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    QTest::mouseClick(Button("close"), Qt::LeftButton);
    EXPECT_FALSE(m_dialog->isVisible());
}

class GearExportTest : public GearCalculatorTest {
protected:
    // Answers the export chooser with a typed file name and Save.
    void ChooseFile(const QString& path) {
        m_drivers.Then<ImportExportDlg>([path](ImportExportDlg& chooser) {
            QComboBox* formats = chooser.findChild<QComboBox*>(QStringLiteral("format"));
            ASSERT_NE(formats, nullptr);
            EXPECT_EQ(formats->count(), 1) << "the gear table is text only";
            QTest::keyClicks(chooser.findChild<QLineEdit*>(QStringLiteral("fileName")), path);
            QTest::mouseClick(chooser.findChild<QPushButton*>(QStringLiteral("save")), Qt::LeftButton);
        });
    }

    ScriptedDialogs m_dialogs;
    ScopedModalDrivers m_drivers;
};

TEST_F(GearExportTest, WritesTheTableAsShown) {
    ChooseListEntry(List("template"), kRoad);
    TypeInto(RowField("freeWheel", 3), QStringLiteral("0"));
    TypeInto(RowField("freeWheel", 4), QStringLiteral("0"));
    TypeInto(RowField("freeWheel", 9), QString());
    QTest::mouseClick(Button("calculate"), Qt::LeftButton);
    // Changed after calculating: written with the results still shown beside it.
    TypeInto(RowField("freeWheel", 2), QStringLiteral("20"));

    const QString path = m_programDir.FilePath(QStringLiteral("gears.txt"));
    ChooseFile(path);
    m_dialogs.AnswerReportWritten();
    QTest::mouseClick(Button("export"), Qt::LeftButton);

    const QString expected = QStringLiteral(
        "Gear calculator\r\n"
        "\r\n"
        "Rim size:27.5inch\r\n"
        "Chain wheel teeth:53\r\n"
        "Cadence (rpm):90\r\n"
        "No.\tFree wheel teeth\tGear ratio\tSpeed ratio\tSpeed\r\n"
        "1\t23\t2.30\t63.37\t27.29km/h\r\n"
        "2\t20\t2.52\t69.40\t29.89km/h\r\n"
        "3\t0\t\t\t\r\n"
        "4\t0\t\t\t\r\n"
        "5\t16\t3.31\t91.09\t39.23km/h\r\n"
        "6\t15\t3.53\t97.17\t41.85km/h\r\n"
        "7\t14\t3.79\t104.11\t44.84km/h\r\n"
        "8\t13\t4.08\t112.12\t48.29km/h\r\n"
        "9\t11\t4.82\t132.50\t57.07km/h\r\n"
        "\r\n"
        "Gear ratio = chain wheel teeth \u00f7 free wheel teeth.\r\n"
        "Speed ratio = gear ratio \u00d7 wheel diameter in inches (the gear inches of other gear tables).\r\n"
        "Speed = road speed at the cadence given; one wheel turn is taken as diameter \u00d7 3.14 \u00d7 "
        "2.54 cm.\r\n"
        "\r\n"
        "Generated by Velomarq.\r\n"
        "https://velomarq.org\r\n");
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("gears.txt")), FileBytes(expected));
    ASSERT_EQ(m_dialogs.Asked().size(), 1u);
    EXPECT_EQ(m_dialogs.Asked()[0].icon, MessageIcon::Information);
    EXPECT_EQ(m_dialogs.Asked()[0].title, QStringLiteral("Velomarq"));
    EXPECT_TRUE(m_dialog->isVisible());
}

TEST_F(GearExportTest, CancelledChooserWritesNothing) {
    ChooseListEntry(List("template"), kRoad);
    m_drivers.Then<ImportExportDlg>([](ImportExportDlg& chooser) {
        QTest::keyClicks(chooser.findChild<QLineEdit*>(QStringLiteral("fileName")),
                         QStringLiteral("gears.txt"));
        QTest::keyClick(&chooser, Qt::Key_Escape);
    });
    QTest::mouseClick(Button("export"), Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(m_programDir.FilePath(QStringLiteral("gears.txt"))));
    EXPECT_TRUE(m_dialogs.Asked().empty());
}

TEST_F(GearExportTest, AFailedWriteIsReportedAndKeepsTheOldFile) {
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("gears.txt"), "last season's gears"));
    ChooseListEntry(List("template"), kMountain);
    ChooseFile(m_programDir.FilePath(QStringLiteral("gears.txt")));
    m_dialogs.AnswerFailure(kButtonOk, QStringLiteral("The report file could not be written."),
                            QStringLiteral("The disk is full."));
    {
        ScopedWriteFailure diskFull;
        QTest::mouseClick(Button("export"), Qt::LeftButton);
    }
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("gears.txt")), QByteArray("last season's gears"));
    ASSERT_EQ(m_dialogs.Asked().size(), 1u);
    EXPECT_EQ(m_dialogs.Asked()[0].icon, MessageIcon::Error);

    // A folder that does not exist is no better.
    ChooseFile(m_programDir.FilePath(QStringLiteral("no such folder/gears.txt")));
    m_dialogs.AnswerFailure(kButtonOk, QStringLiteral("The report file could not be written."),
                            QStringLiteral("The file or folder does not exist."));
    QTest::mouseClick(Button("export"), Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(m_programDir.FilePath(QStringLiteral("no such folder/gears.txt"))));
}

}  // namespace
