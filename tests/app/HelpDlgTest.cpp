// The about and help page as the rider meets it: title and about text, an
// about box that cannot be changed, and the button that opens the help
// document.

#include "app/HelpDlg.h"
#include "language/Language.h"
#include "support/ProgramDirectory.h"
#include "support/Scoped.h"
#include "support/ScriptedDialogs.h"
#include "widgets/ImageButton.h"
#include "widgets/LinkLabel.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTest>
#include <memory>

namespace {

class HelpDlgTest : public ProgramDirectoryTest {
protected:
    void SetUp() override {
        m_programDir.InstallShippedFiles();
        ASSERT_EQ(LoadLanguageFile(m_programDir.FilePath(QStringLiteral("languages/vmq_00.ini"))), 0);
        m_host = std::make_unique<QWidget>();
        m_host->resize(880, 520);
        m_status = new LinkLabel(m_host.get());
        m_page = new HelpDlg(*m_status, m_host.get());
        m_page->setGeometry(0, 0, 880, 500);
    }

    void ShowPage() {
        m_host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_host.get()));
    }

    QPlainTextEdit* AboutBox() const {
        return m_page->findChild<QPlainTextEdit*>(QStringLiteral("AboutText"));
    }
    ImageButton* ViewHelp() const { return m_page->findChild<ImageButton*>(QStringLiteral("ViewHelp")); }
    LinkLabel* Title() const { return m_page->findChild<LinkLabel*>(QStringLiteral("HelpTitle")); }

    std::unique_ptr<QWidget> m_host;
    LinkLabel* m_status = nullptr;
    HelpDlg* m_page = nullptr;
};

TEST_F(HelpDlgTest, ShowsTheProductTheComponentsAndAClearStatusLine) {
    m_status->SetText(QStringLiteral("3 rides, 120.00 km"));  // left there by another page
    ShowPage();

    EXPECT_EQ(m_status->Text(), QStringLiteral(" "));
    EXPECT_EQ(Title()->Text(), QStringLiteral("Velomarq V1.1"));
    EXPECT_EQ(ViewHelp()->text(), QStringLiteral("View help"));
    EXPECT_EQ(AboutBox()->toPlainText(),
              QStringLiteral("Velomarq V1.1\n"
                             "A log book for cyclists: bicycles, rides, maintenance and statistics.\n"
                             "https://velomarq.org\n"
                             "\n"
                             "This software uses sqlite as component.\n"
                             "https://www.sqlite.org/\n"
                             "\n"
                             "This software uses ImageMagick as component.\n"
                             "https://imagemagick.org/\n"
                             "\n"
                             "This software uses Qt as component.\n"
                             "https://www.qt.io/\n"
                             "\n"
                             "This software uses libarchive as component.\n"
                             "https://www.libarchive.org/\n"
                             "\n"
                             "This software uses Expat as component.\n"
                             "https://libexpat.github.io/\n"));
    auto* icon = m_page->findChild<LinkLabel*>(QStringLiteral("HelpIcon"));
    ASSERT_NE(icon, nullptr);
    EXPECT_NE(icon->PictureNumber(), 0);
    EXPECT_TRUE(icon->Link().isEmpty());
}

TEST_F(HelpDlgTest, TheAboutBoxRefusesEveryEdit) {
    ShowPage();
    QPlainTextEdit* box = AboutBox();
    const QString about = box->toPlainText();
    box->setFocus();

    QTest::keyClicks(box, QStringLiteral("scribbled"));
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClick(box, Qt::Key_Backspace);
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(box->toPlainText(), about);

    // Whatever gets past the keyboard is undone at once.
    box->insertPlainText(QStringLiteral("forced"));
    EXPECT_EQ(box->toPlainText(), about);

    // Reading and copying still work.
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), about);
}

TEST_F(HelpDlgTest, ViewHelpOpensTheHelpDocumentOfTheProgramDirectory) {
    ShowPage();
    ScopedShellHandler shell;
    ScriptedDialogs dialogs;
    QTest::mouseClick(ViewHelp(), Qt::LeftButton);
    ASSERT_EQ(shell.Opened().size(), 1u);
    EXPECT_EQ(shell.Opened()[0], m_programDir.Path() + QStringLiteral("/help/index.html"));
    EXPECT_TRUE(dialogs.Asked().empty());
}

TEST_F(HelpDlgTest, AHelpDocumentThatCannotBeOpenedIsReported) {
    ShowPage();
    const QString nohp = GetLanguageString("HelpDlg", "NOHP");
    {
        // The browser refuses.
        ScopedShellHandler shell(false);
        ScriptedDialogs dialogs;
        dialogs.AnswerMessage(kButtonOk, nohp);
        QTest::mouseClick(ViewHelp(), Qt::LeftButton);
        EXPECT_EQ(shell.Opened().size(), 1u);
        ASSERT_EQ(dialogs.Asked().size(), 1u);
        EXPECT_EQ(dialogs.Asked()[0].icon, MessageIcon::Error);
    }
    {
        // The document is gone: nothing to hand to the browser.
        ASSERT_TRUE(QFile::remove(m_programDir.FilePath(QStringLiteral("help/index.html"))));
        ScopedShellHandler shell;
        ScriptedDialogs dialogs;
        dialogs.AnswerMessage(kButtonOk, nohp);
        QTest::mouseClick(ViewHelp(), Qt::LeftButton);
        EXPECT_TRUE(shell.Opened().empty());
        EXPECT_EQ(dialogs.Asked().size(), 1u);
    }
}

TEST_F(HelpDlgTest, FollowsALanguageChange) {
    ShowPage();
    QByteArray text = m_programDir.ReadFile(QStringLiteral("languages/vmq_00.ini"));
    text.replace("HELP=View help", "HELP=Hilfe anzeigen");
    text.replace("DESC=A log book for cyclists: bicycles, rides, maintenance and statistics.",
                 "DESC=Ein Fahrtenbuch.");
    text.replace("USQL=This software uses sqlite as component.",
                 "USQL=Diese Software verwendet sqlite als Komponente.");
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("languages/vmq_01.ini"), text));
    FreeLanguageTable();
    ASSERT_EQ(LoadLanguageFile(m_programDir.FilePath(QStringLiteral("languages/vmq_01.ini"))), 0);

    m_page->RefreshCaptions();
    EXPECT_EQ(ViewHelp()->text(), QStringLiteral("Hilfe anzeigen"));
    EXPECT_TRUE(AboutBox()->toPlainText().startsWith(QStringLiteral("Velomarq V1.1\nEin Fahrtenbuch.\n")));
    // The component lines are the rider's language too; their addresses stay.
    EXPECT_TRUE(AboutBox()->toPlainText().contains(
        QStringLiteral("\nDiese Software verwendet sqlite als Komponente.\nhttps://www.sqlite.org/\n")));
}

}  // namespace
