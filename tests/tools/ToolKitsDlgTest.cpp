// The tools page and the kilometre/mile converter, driven like a rider.

#include "support/ModalDrivers.h"
#include "support/ScriptedDialogs.h"
#include "tools/GearCalculatorDlg.h"
#include "tools/ToolKitsDlg.h"
#include "tools/ToolsTestSupport.h"
#include "tools/UnitConversionDlg.h"
#include "units/NumberInput.h"
#include "widgets/ImageButton.h"
#include "widgets/LinkLabel.h"

#include <QPushButton>
#include <memory>

namespace {

class UnitConversionTest : public EnglishTextsTest {
protected:
    void SetUp() override {
        EnglishTextsTest::SetUp();
        m_dialog = std::make_unique<UnitConversionDlg>();
        m_dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    }
    QLineEdit* Field(const char* name) const { return Find<QLineEdit>(m_dialog.get(), name); }
    QPushButton* Button(const char* name) const { return Find<QPushButton>(m_dialog.get(), name); }

    std::unique_ptr<UnitConversionDlg> m_dialog;
};

TEST_F(UnitConversionTest, EachLineConvertsItsOwnInputOrNamesIt) {
    const struct {
        const char* input;
        const char* inMiles;       // the first line: kilometres to miles, empty when refused
        const char* inKilometres;  // the second line: miles to kilometres
    } cases[] = {
        {"100", "62.15", "160.90"},
        {"3,5", "2.18", "5.63"},
        {"", "0.00", "0.00"},
        {"0.5", "0.31", "0.80"},
        {"abc", "", ""},
        {"12abc", "", ""},
        {"-3", "", ""},
    };
    for (const auto& c : cases) {
        const QString input = QString::fromLatin1(c.input);
        const bool refused = *c.inMiles == '\0';
        ScriptedDialogs dialogs;
        if (refused) {
            dialogs.AnswerMessage(kButtonOk, NumberRefusal(QStringLiteral("km"), NumberKind::Decimal));
            dialogs.AnswerMessage(kButtonOk, NumberRefusal(QStringLiteral("miles"), NumberKind::Decimal));
        }
        TypeInto(Field("kilometres"), input);
        QTest::mouseClick(Button("convertKilometres"), Qt::LeftButton);
        EXPECT_EQ(Field("kilometresInMiles")->text(), QString::fromLatin1(c.inMiles)) << c.input;
        TypeInto(Field("miles"), input);
        QTest::mouseClick(Button("convertMiles"), Qt::LeftButton);
        EXPECT_EQ(Field("milesInKilometres")->text(), QString::fromLatin1(c.inKilometres)) << c.input;
        EXPECT_EQ(dialogs.Asked().size(), refused ? 2u : 0u) << c.input;
        EXPECT_EQ(Field("miles")->text(), input);
    }
    // Each field takes the unit word beside it.
    TypeInto(Field("miles"), QStringLiteral("10 miles"));
    QTest::mouseClick(Button("convertMiles"), Qt::LeftButton);
    EXPECT_EQ(Field("milesInKilometres")->text(), QStringLiteral("16.09"));
}

TEST_F(UnitConversionTest, StartsEmptyAndLeavesTheOtherLineAlone) {
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("Unit conversion"));
    for (const char* name : {"kilometres", "miles", "kilometresInMiles", "milesInKilometres"}) {
        EXPECT_TRUE(Field(name)->text().isEmpty()) << name;
    }
    EXPECT_TRUE(Field("kilometresInMiles")->isReadOnly());
    EXPECT_TRUE(Field("milesInKilometres")->isReadOnly());
    EXPECT_EQ(Button("convertKilometres")->text(), QStringLiteral("Convert(&V)"));
    EXPECT_EQ(Button("convertMiles")->text(), QStringLiteral("Convert(&T)"));
    EXPECT_EQ(Button("close")->text(), QStringLiteral("Close(&C)"));

    TypeInto(Field("kilometres"), QStringLiteral("100"));
    TypeInto(Field("miles"), QStringLiteral("100"));
    QTest::mouseClick(Button("convertKilometres"), Qt::LeftButton);
    EXPECT_EQ(Field("kilometresInMiles")->text(), QStringLiteral("62.15"));
    EXPECT_TRUE(Field("milesInKilometres")->text().isEmpty());
}

TEST_F(UnitConversionTest, InputsHoldNineCharacters) {
    TypeInto(Field("miles"), QStringLiteral("1234567890123"));
    EXPECT_EQ(Field("miles")->text(), QStringLiteral("123456789"));
    QTest::mouseClick(Button("convertMiles"), Qt::LeftButton);
    EXPECT_EQ(Field("milesInKilometres")->text(), QStringLiteral("198641973.50"));
}

TEST_F(UnitConversionTest, EnterConvertsTheFieldItIsTypedInAndKeepsTheConverterOpen) {
    TypeInto(Field("kilometres"), QStringLiteral("100"));
    QTest::keyClick(Field("kilometres"), Qt::Key_Return);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(Field("kilometresInMiles")->text(), QStringLiteral("62.15"));
    TypeInto(Field("miles"), QStringLiteral("100"));
    Button("convertMiles")->setFocus();
    QTest::keyClick(Button("convertMiles"), Qt::Key_Enter);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(Field("milesInKilometres")->text(), QStringLiteral("160.90"));
}

TEST_F(UnitConversionTest, EscapeAndCloseEndIt) {
    QTest::keyClick(Field("miles"), Qt::Key_Escape);
    EXPECT_FALSE(m_dialog->isVisible());
    m_dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    QTest::mouseClick(Button("close"), Qt::LeftButton);
    EXPECT_FALSE(m_dialog->isVisible());
}

class ToolKitsPageTest : public EnglishTextsTest {
protected:
    void SetUp() override {
        EnglishTextsTest::SetUp();
        m_window = std::make_unique<QWidget>();
        m_statusLine = new LinkLabel(m_window.get());
        m_page = new ToolKitsDlg(*m_statusLine, m_window.get());
        m_page->hide();
        m_window->resize(800, 500);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }

    ImageButton* Button(const char* name) const { return Find<ImageButton>(m_page, name); }

    std::unique_ptr<QWidget> m_window;
    LinkLabel* m_statusLine = nullptr;
    ToolKitsDlg* m_page = nullptr;
    ScopedModalDrivers m_drivers;
};

TEST_F(ToolKitsPageTest, ShowsItsPictureAndTwoButtonsAndClearsTheStatusLine) {
    EXPECT_EQ(Button("unitConversion")->text(), QStringLiteral("Unit conversion(&C)"));
    EXPECT_EQ(Button("gearCalculator")->text(), QStringLiteral("Gear calculator(&K)"));
    const LinkLabel* picture = Find<LinkLabel>(m_page, "picture");
    EXPECT_NE(picture->PictureNumber(), 0);
    EXPECT_EQ(picture->size(), QSize(130, 40));

    m_statusLine->SetText(QStringLiteral("3 rides, 120.00 km"));
    m_page->show();
    EXPECT_EQ(m_statusLine->Text(), QStringLiteral(" "));
    m_page->hide();
    m_statusLine->SetText(QStringLiteral("2 bicycles"));
    m_page->show();
    EXPECT_EQ(m_statusLine->Text(), QStringLiteral(" "));
}

TEST_F(ToolKitsPageTest, UnitConversionButtonOpensTheConverter) {
    m_page->show();
    m_drivers.Then<UnitConversionDlg>([](UnitConversionDlg& dialog) {
        EXPECT_TRUE(dialog.isVisible());
        TypeInto(Find<QLineEdit>(&dialog, "kilometres"), QStringLiteral("100"));
        QTest::mouseClick(Find<QPushButton>(&dialog, "convertKilometres"), Qt::LeftButton);
        EXPECT_EQ(Find<QLineEdit>(&dialog, "kilometresInMiles")->text(), QStringLiteral("62.15"));
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    QTest::mouseClick(Button("unitConversion"), Qt::LeftButton);
    EXPECT_EQ(m_drivers.Opened(), 1);
    EXPECT_TRUE(m_page->findChildren<UnitConversionDlg*>().isEmpty()) << "the closed dialog was kept";
}

TEST_F(ToolKitsPageTest, GearCalculatorButtonOpensTheCalculator) {
    m_page->show();
    m_drivers.Then<GearCalculatorDlg>([](GearCalculatorDlg& dialog) {
        ChooseListEntry(Find<QComboBox>(&dialog, "template"), 0);
        EXPECT_EQ(Find<QLineEdit>(&dialog, "speed1")->text(), QStringLiteral("27.29km/h"));
        QTest::mouseClick(Find<QPushButton>(&dialog, "close"), Qt::LeftButton);
    });
    QTest::mouseClick(Button("gearCalculator"), Qt::LeftButton);
    EXPECT_EQ(m_drivers.Opened(), 1);
    EXPECT_TRUE(m_page->findChildren<GearCalculatorDlg*>().isEmpty()) << "the closed dialog was kept";
}

TEST_F(ToolKitsPageTest, CaptionsFollowTheLanguage) {
    ASSERT_TRUE(
        m_programDir.WriteFile(QStringLiteral("languages/vmq_01.ini"),
                               QStringLiteral("[CommonInfo]\nLanguage=Deutsch\n"
                                              "[ToolKitsDlg]\nUTCS=Einheiten umrechnen\n"
                                              "GECL=Gangrechner\nUTCD=km und Meilen\nGECD=Übersetzungen\n")
                                   .toUtf8()));
    FreeLanguageTable();
    ASSERT_EQ(LoadLanguageFile(m_programDir.FilePath(QStringLiteral("languages/vmq_01.ini"))), 0);
    m_page->RefreshCaptions();
    EXPECT_EQ(Button("unitConversion")->text(), QStringLiteral("Einheiten umrechnen(&C)"));
    EXPECT_EQ(Button("gearCalculator")->text(), QStringLiteral("Gangrechner(&K)"));
    // The longer caption widens both buttons alike.
    EXPECT_EQ(Button("unitConversion")->width(), Button("gearCalculator")->width());
    EXPECT_GE(Button("unitConversion")->width(), Button("unitConversion")->sizeHint().width());
}

}  // namespace
