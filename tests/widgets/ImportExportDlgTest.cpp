// The export chooser: offered formats, the extension added to a chosen file,
// a typed name taken as typed, and the empty name refused.

#include "language/Language.h"
#include "support/ModalDrivers.h"
#include "support/ProgramDirectory.h"
#include "support/ScriptedDialogs.h"
#include "support/UserInput.h"
#include "widgets/ImportExportDlg.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

TEST(ReportExtension, ChosenFilesEndInTheirFormatsExtension) {
    struct Case {
        const char* path;
        int format;
        const char* expected;
    };
    const Case cases[] = {
        {"/data/rides", kCsvReport, "/data/rides.csv"},
        {"/data/rides.CSV", kCsvReport, "/data/rides.CSV"},
        {"/data/rides.txt", kCsvReport, "/data/rides.txt.csv"},
        {"/data/rides", kTextReport, "/data/rides.txt"},
        {"/data/rides.TxT", kTextReport, "/data/rides.TxT"},
        {"/data/log.htm", kHtmlReport, "/data/log.htm"},
        {"/data/log.HTML", kHtmlReport, "/data/log.HTML"},
        {"/data/name.txt", kHtmlReport, "/data/name.txt.html"},
        {"/data.d/log", kHtmlReport, "/data.d/log.html"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WithReportExtension(QString::fromUtf8(c.path), c.format), QString::fromUtf8(c.expected))
            << c.path;
    }
}

class ImportExportDlgTest : public ProgramDirectoryTest {
protected:
    void SetUp() override {
        ASSERT_EQ(LoadLanguageFile(SourcePath(QStringLiteral("languages/vmq_00.ini"))), 0);
    }

    static QLineEdit* FileBox(QDialog& dialog) {
        return dialog.findChild<QLineEdit*>(QStringLiteral("fileName"));
    }
    static QComboBox* Formats(QDialog& dialog) {
        return dialog.findChild<QComboBox*>(QStringLiteral("format"));
    }
    static void Click(QDialog& dialog, const char* name) {
        auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    ScriptedDialogs m_dialogs;
    ScopedModalDrivers m_drivers;
    QString m_fileName;
    int m_format = -1;
};

TEST_F(ImportExportDlgTest, OffersThreeFormatsAndTakesATypedNameAsTyped) {
    m_drivers.Then<ImportExportDlg>([](ImportExportDlg& dialog) {
        EXPECT_EQ(dialog.windowTitle(), GetLanguageString("Strings", "EXPT"));
        QComboBox* formats = Formats(dialog);
        ASSERT_EQ(formats->count(), 3);
        EXPECT_EQ(formats->itemText(0), GetLanguageString("ImportExportDlg", "TXTF"));
        EXPECT_EQ(formats->itemText(1), GetLanguageString("ImportExportDlg", "CSVF"));
        EXPECT_EQ(formats->itemText(2), GetLanguageString("ImportExportDlg", "HTMF"));
        EXPECT_EQ(formats->currentIndex(), 0);
        ChooseListEntry(formats, 1);
        QTest::keyClicks(FileBox(dialog), QStringLiteral("rides.doc"));
        Click(dialog, "save");
    });
    ASSERT_TRUE(ImportExportDlg::Ask(nullptr, true, true, &m_fileName, &m_format));
    EXPECT_EQ(m_fileName, QStringLiteral("rides.doc"));
    EXPECT_EQ(m_format, kCsvReport);
}

TEST_F(ImportExportDlgTest, TextOnlyForTheStatisticsAndEnterSaves) {
    m_drivers.Then<ImportExportDlg>([](ImportExportDlg& dialog) {
        ASSERT_EQ(Formats(dialog)->count(), 1);
        EXPECT_EQ(Formats(dialog)->itemText(0), GetLanguageString("ImportExportDlg", "TXTF"));
        QTest::keyClicks(FileBox(dialog), QStringLiteral("stats"));
        QTest::keyClick(FileBox(dialog), Qt::Key_Return);
    });
    // Typed without an extension, the name gets the format's.
    ASSERT_TRUE(ImportExportDlg::Ask(nullptr, false, false, &m_fileName, &m_format));
    EXPECT_EQ(m_fileName, QStringLiteral("stats.txt"));
    EXPECT_EQ(m_format, kTextReport);
}

TEST_F(ImportExportDlgTest, BrowsingAddsTheExtensionOfTheChosenFormat) {
    m_dialogs.AnswerSaveFile(QStringLiteral("/data/log"));
    m_dialogs.AnswerSaveFile(QString());  // cancelled: the name stays
    m_drivers.Then<ImportExportDlg>([](ImportExportDlg& dialog) {
        ChooseListEntry(Formats(dialog), 2);
        Click(dialog, "browse");
        EXPECT_EQ(FileBox(dialog)->text(), QStringLiteral("/data/log.html"));
        Click(dialog, "browse");
        EXPECT_EQ(FileBox(dialog)->text(), QStringLiteral("/data/log.html"));
        Click(dialog, "save");
    });
    ASSERT_TRUE(ImportExportDlg::Ask(nullptr, true, true, &m_fileName, &m_format));
    EXPECT_EQ(m_fileName, QStringLiteral("/data/log.html"));
    EXPECT_EQ(m_format, kHtmlReport);
    ASSERT_EQ(m_dialogs.Asked().size(), 2u);
    EXPECT_EQ(m_dialogs.Asked()[0].kind, ScriptedDialogs::Kind::SaveFile);
    EXPECT_EQ(m_dialogs.Asked()[0].filter,
              GetLanguageString("ImportExportDlg", "HTMM") + GetLanguageString("ImportExportDlg", "ALLM"));
}

TEST_F(ImportExportDlgTest, EmptyNameIsRefusedAndCancelReturnsNothing) {
    m_dialogs.AnswerMessage(kButtonOk, GetLanguageString("ErrorStrings", "SELF"));
    m_drivers.Then<ImportExportDlg>([](ImportExportDlg& dialog) {
        Click(dialog, "save");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.focusWidget(), FileBox(dialog));
        Click(dialog, "cancel");
    });
    EXPECT_FALSE(ImportExportDlg::Ask(nullptr, true, true, &m_fileName, &m_format));
    EXPECT_TRUE(m_fileName.isEmpty());
    EXPECT_EQ(m_format, -1);
}

}  // namespace
