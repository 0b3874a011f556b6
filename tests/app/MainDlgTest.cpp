// The start-up sequence through every branch, answered by scripted dialogs, and
// the running window: tabs, pages, re-captioning and the keys that must not
// close it.

#include "app/MainDlg.h"
#include "app/TabControl.h"
#include "language/Language.h"
#include "platform/Shell.h"
#include "store/store.h"
#include "support/ProgramDirectory.h"
#include "support/Scoped.h"
#include "support/ScriptedDialogs.h"
#include "units/SafeFormat.h"
#include "units/Units.h"
#include "widgets/LinkLabel.h"
#include "widgets/TabPage.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QTest>
#include <memory>

namespace {

class MainDlgTest : public ProgramDirectoryTest {
protected:
    void SetUp() override { m_programDir.InstallShippedFiles(); }

    // A database as the first start would leave it.
    void CreateDatabase() { ASSERT_EQ(DB_CreateDatabase(), store::kOk); }

    void SaveConfig(const ApplicationConfigRecord& config) {
        ASSERT_EQ(DB_OpenDatabase(), store::kOk);
        ASSERT_EQ(DB_SaveApplicationConfig(&config), store::kOk);
        DB_CloseDatabase();
    }

    // Writes languages/vmq_NN.ini as a copy of the English file with one caption changed.
    void WriteLanguage(int number, const QString& bicyclesCaption) {
        QByteArray text = m_programDir.ReadFile(QStringLiteral("languages/vmq_00.ini"));
        text.replace(QByteArray("MYBS=Bicycles"), QByteArray("MYBS=").append(bicyclesCaption.toUtf8()));
        ASSERT_TRUE(m_programDir.WriteFile(
            QStringLiteral("languages/vmq_%1.ini").arg(number, 2, 10, QLatin1Char('0')), text));
    }

    QString English(const char* section, const char* key) {
        FreeLanguageTable();
        EXPECT_EQ(LoadLanguageFile(m_programDir.FilePath(QStringLiteral("languages/vmq_00.ini"))), 0);
        const QString text = GetLanguageString(section, key);
        FreeLanguageTable();
        return text;
    }
};

TEST_F(MainDlgTest, FirstStartWelcomesTheRiderAndGoesOnIntoTheWindow) {
    ScriptedDialogs dialogs;
    dialogs.AnswerMessage(kButtonYes, SafeFormat(English("EmptyHints", "WLCM"),
                                                 {QDir::toNativeSeparators(QDir::currentPath())}));
    MainDlg window;
    ASSERT_TRUE(window.Initialise());
    // One friendly question, no error title and no second box.
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    const auto& ask = dialogs.Asked()[0];
    EXPECT_EQ(ask.title, English("EmptyHints", "WLCT"));
    EXPECT_EQ(ask.icon, MessageIcon::Question);
    EXPECT_EQ(ask.buttons, kButtonYes | kButtonNo);
    EXPECT_TRUE(QFile::exists(m_programDir.FilePath(QStringLiteral("bicycle.db"))));
    EXPECT_TRUE(QDir(m_programDir.FilePath(QStringLiteral("Rides"))).exists());
    EXPECT_TRUE(QDir(m_programDir.FilePath(QStringLiteral("Maintenance"))).exists());
    // The new log is in use at once, in the default language.
    EXPECT_NE(DB_GetConnection(), nullptr);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Velomarq V1.1"));
    EXPECT_EQ(window.Tabs().Caption(MainDlg::kBicycles), QStringLiteral("Bicycles"));
    EXPECT_EQ(window.Tabs().CurrentIndex(), MainDlg::kBicycles);
}

TEST_F(MainDlgTest, DecliningTheNewDatabaseEndsWithoutTouchingTheDirectory) {
    ScriptedDialogs dialogs;
    dialogs.AnswerMessage(kButtonNo);
    MainDlg window;
    EXPECT_FALSE(window.Initialise());
    EXPECT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_FALSE(QFile::exists(m_programDir.FilePath(QStringLiteral("bicycle.db"))));
}

TEST_F(MainDlgTest, ADatabaseAnotherProgramHoldsIsNamedAsSuch) {
    CreateDatabase();
    // Another program holds the file for longer than the store waits.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(m_programDir.FilePath(QStringLiteral("bicycle.db")).toUtf8().constData(), &other),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
    {
        ScriptedDialogs dialogs;
        dialogs.AnswerMessage(kButtonOk, English("ErrorStrings", "DBBS"));
        MainDlg window;
        EXPECT_FALSE(window.Initialise());
    }
    sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    // Once it lets go, the program starts as usual.
    ScriptedDialogs quiet;
    MainDlg window;
    EXPECT_TRUE(window.Initialise());
}

TEST_F(MainDlgTest, AFileThatIsNoDatabaseIsNamedAsSuchAndLeftAlone) {
    // Another program's file, or one cut short by a crash of the disk.
    const QByteArray foreign = QByteArray("not a database, a rider's notes\n").repeated(600);
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("bicycle.db"), foreign));
    {
        ScriptedDialogs dialogs;
        dialogs.AnswerMessage(kButtonOk, English("ErrorStrings", "DBDM"));
        MainDlg window;
        EXPECT_FALSE(window.Initialise());
    }
    QFile file(m_programDir.FilePath(QStringLiteral("bicycle.db")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), foreign);
}

TEST_F(MainDlgTest, ASecondVelomarqOnTheSameLogSaysSoAndEnds) {
    CreateDatabase();
    {
        MainDlg first;
        ASSERT_TRUE(first.Initialise());
        ScriptedDialogs dialogs;
        dialogs.AnswerMessage(kButtonOk, English("ErrorStrings", "RUNS"));
        MainDlg second;
        EXPECT_FALSE(second.Initialise());
        // The first one still works on the log.
        EXPECT_NE(DB_GetConnection(), nullptr);
    }
    // Once the first has ended, the log is free again.
    ScriptedDialogs quiet;
    MainDlg again;
    EXPECT_TRUE(again.Initialise());
}

TEST_F(MainDlgTest, ALockFileACrashLeftBehindDoesNotBlockTheStart) {
    CreateDatabase();
    for (const QByteArray& left : {QByteArray(), QByteArray("\x01\x02 cut sho")}) {
        ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("velomarq.lock"), left));
        ScriptedDialogs quiet;
        MainDlg window;
        EXPECT_TRUE(window.Initialise()) << left.size();
    }
}

TEST_F(MainDlgTest, AFailedCreationSaysSoAndEnds) {
    // A folder in the database file's place can be neither opened nor replaced;
    // being there, it is asked about as a fault, not welcomed as a first start.
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("bicycle.db/keep"), "x"));
    ScriptedDialogs dialogs;
    dialogs.AnswerMessage(kButtonYes, English("ErrorStrings", "OPID"));
    dialogs.AnswerFailure(kButtonOk, English("ErrorStrings", "ITDB"));
    MainDlg window;
    EXPECT_FALSE(window.Initialise());
    ASSERT_EQ(dialogs.Asked().size(), 2u);
    EXPECT_EQ(dialogs.Asked()[1].icon, MessageIcon::Error);
    EXPECT_EQ(dialogs.Asked()[1].title, English("ErrorStrings", "ERRO"));
}

TEST_F(MainDlgTest, MissingDefaultLanguageEndsWithTheOnlyEnglishMessage) {
    CreateDatabase();
    QFile::remove(m_programDir.FilePath(QStringLiteral("languages/vmq_00.ini")));
    ScriptedDialogs dialogs;
    dialogs.AnswerMessage(kButtonOk,
                          QStringLiteral("Can not load default language file.\nPlease re-install."));
    MainDlg window;
    EXPECT_FALSE(window.Initialise());
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_TRUE(dialogs.Asked()[0].title.isEmpty());
    EXPECT_EQ(dialogs.Asked()[0].icon, MessageIcon::Error);
}

TEST_F(MainDlgTest, ConfiguredLanguageUnitAndWeekStartAreApplied) {
    CreateDatabase();
    WriteLanguage(3, QStringLiteral("Fahrräder"));
    WriteLanguage(12, QStringLiteral("Vélos"));
    for (const auto& [language, caption] :
         {std::pair{3, QStringLiteral("Fahrräder")}, std::pair{12, QStringLiteral("Vélos")}}) {
        ApplicationConfigRecord config;
        config.Language = language;
        config.DistanceUnit = 1;
        config.WeekStart = 0;
        SaveConfig(config);

        ScriptedDialogs quiet;
        MainDlg window;
        ASSERT_TRUE(window.Initialise());
        EXPECT_EQ(window.Tabs().Caption(MainDlg::kBicycles), caption);
        EXPECT_EQ(GetDistanceUnit(), 1);
        EXPECT_EQ(GetWeekStart(), 0);
    }
}

TEST_F(MainDlgTest, TheWindowKeepsItsPlaceAcrossStartsAndItsSizeAcrossLanguages) {
    CreateDatabase();
    ScriptedDialogs quiet;
    {
        MainDlg window;
        ASSERT_TRUE(window.Initialise());
        window.setGeometry(QRect(30, 40, 760, 520));
        window.reject();  // the close box
    }
    MainDlg window;
    ASSERT_TRUE(window.Initialise());
    EXPECT_EQ(window.size(), QSize(760, 520));

    // Changing the language back and forth leaves the window as the rider sized it.
    const auto use = [&](int language) {
        FreeLanguageTable();
        ASSERT_EQ(LoadLanguageFile(m_programDir.FilePath(
                      QStringLiteral("languages/vmq_%1.ini").arg(language, 2, 10, QLatin1Char('0')))),
                  0);
        window.RefreshLanguage();
    };
    for (int round = 0; round < 3; ++round) {
        for (int language : {1, 13, 14, 0}) {
            use(language);
        }
    }
    EXPECT_EQ(window.size(), QSize(760, 520));
    EXPECT_LE(window.minimumWidth(), 760);
    window.reject();
}

TEST_F(MainDlgTest, ConfiguredLanguageThatFailsFallsBackToTheDefaultAndSaysSoOnce) {
    // One file missing, one there but unusable (a key without a text).
    m_programDir.RemoveTranslations();
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("languages/vmq_05.ini"),
                                       "[CommonInfo]\nLanguage=Kaputt\n[Strings]\nKMSS=\n"));
    CreateDatabase();
    for (const int language : {3, 5}) {
        ApplicationConfigRecord config;
        config.Language = language;
        SaveConfig(config);
        const QString file = LanguageFilePath(QDir::currentPath(), language);
        {
            ScriptedDialogs dialogs;
            dialogs.AnswerMessage(kButtonOk, SafeFormat(English("ErrorStrings", "LNGF"), {file}));
            MainDlg window;
            ASSERT_TRUE(window.Initialise());
            ASSERT_EQ(dialogs.Asked().size(), 1u) << language;
            EXPECT_EQ(dialogs.Asked()[0].icon, MessageIcon::Error);
            EXPECT_EQ(window.Tabs().Caption(MainDlg::kBicycles), QStringLiteral("Bicycles"));
            // The options page shows the language in use.
            auto* choice = window.findChild<QComboBox*>(QStringLiteral("Language"));
            ASSERT_NE(choice, nullptr);
            EXPECT_EQ(choice->currentData().toInt(), 0) << language;
        }
        // The next start runs in the default language without a word.
        ScriptedDialogs quiet;
        MainDlg again;
        ASSERT_TRUE(again.Initialise());
        EXPECT_TRUE(quiet.Asked().empty()) << language;
    }
}

TEST_F(MainDlgTest, UnusableConfigurationEndsTheProgram) {
    const QString dver = English("ErrorStrings", "DVER");
    const QString ldac = English("ErrorStrings", "LDAC");
    {
        // Written by another version of the program.
        CreateDatabase();
        ApplicationConfigRecord config;
        config.Version = 2;
        SaveConfig(config);
        ScriptedDialogs dialogs;
        dialogs.AnswerMessage(kButtonOk, dver);
        MainDlg window;
        EXPECT_FALSE(window.Initialise());
        EXPECT_EQ(dialogs.Asked().at(0).icon, MessageIcon::Error);
    }
    {
        // No configuration row at all.
        CreateDatabase();
        ASSERT_EQ(DB_OpenDatabase(), store::kOk);
        ASSERT_EQ(DB_ExecSql(DB_GetConnection(), "delete from ApplicationConfig"), store::kOk);
        DB_CloseDatabase();
        ScriptedDialogs dialogs;
        dialogs.AnswerMessage(kButtonOk, ldac);
        MainDlg window;
        EXPECT_FALSE(window.Initialise());
    }
}

TEST_F(MainDlgTest, TabsComeInOrderAndShowExactlyOnePage) {
    CreateDatabase();
    ScriptedDialogs quiet;
    MainDlg window;
    ASSERT_TRUE(window.Initialise());
    window.show();
    const QStringList expected = {QStringLiteral("Bicycles"),   QStringLiteral("Rides"),
                                  QStringLiteral("Statistics"), QStringLiteral("Maintenance"),
                                  QStringLiteral("Tools"),      QStringLiteral("Options"),
                                  QStringLiteral("Help")};
    const QStringList pageNames = {QStringLiteral("BicycleDlg"),  QStringLiteral("RideDlg"),
                                   QStringLiteral("StatDlg"),     QStringLiteral("MaintenanceDlg"),
                                   QStringLiteral("ToolKitsDlg"), QStringLiteral("OptionsDlg"),
                                   QStringLiteral("HelpDlg")};
    TabControl& tabs = window.Tabs();
    ASSERT_EQ(tabs.Count(), 7);
    for (int i = 0; i < tabs.Count(); ++i) {
        EXPECT_EQ(tabs.Caption(i), expected[i]);
        EXPECT_EQ(tabs.Page(i)->objectName(), pageNames[i]);
    }
    for (int selected : {3, 0, 6, 2, 5, 1, 4}) {
        QTest::mouseClick(tabs.Bar(), Qt::LeftButton, {}, tabs.Bar()->tabRect(selected).center());
        ASSERT_EQ(tabs.CurrentIndex(), selected);
        for (int i = 0; i < tabs.Count(); ++i) {
            EXPECT_EQ(tabs.Page(i)->isVisible(), i == selected) << "tab " << selected << ", page " << i;
        }
    }
}

TEST_F(MainDlgTest, CtrlTabAndCtrlPageKeysStepThroughThePages) {
    CreateDatabase();
    ScriptedDialogs quiet;
    MainDlg window;
    ASSERT_TRUE(window.Initialise());
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    TabControl& tabs = window.Tabs();
    ASSERT_EQ(tabs.CurrentIndex(), 0);
    QTest::keyClick(&window, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs.CurrentIndex(), 1);
    QTest::keyClick(&window, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(tabs.CurrentIndex(), 2);
    QTest::keyClick(&window, Qt::Key_PageUp, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(tabs.CurrentIndex(), 0);
    // Round the end, both ways; the page shown follows.
    QTest::keyClick(&window, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(tabs.CurrentIndex(), tabs.Count() - 1);
    EXPECT_TRUE(tabs.Page(tabs.Count() - 1)->isVisible());
    QTest::keyClick(&window, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs.CurrentIndex(), 0);
    EXPECT_TRUE(tabs.Page(0)->isVisible());
}

TEST_F(MainDlgTest, EnterAndEscapeNeverCloseTheWindow) {
    CreateDatabase();
    ScriptedDialogs quiet;
    MainDlg window;
    ASSERT_TRUE(window.Initialise());
    window.show();
    for (int tab = 0; tab < window.Tabs().Count(); ++tab) {
        window.Tabs().SetCurrentIndex(tab);
        QWidget* page = window.Tabs().Page(tab);
        for (QWidget* target : {static_cast<QWidget*>(&window), page}) {
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                QTest::keyClick(target, key);
                ASSERT_TRUE(window.isVisible()) << "closed by key " << key << " on tab " << tab;
            }
        }
    }
    window.accept();
    EXPECT_TRUE(window.isVisible());
    window.reject();  // the close box
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MainDlgTest, RefreshLanguageReCaptionsTheTabs) {
    CreateDatabase();
    WriteLanguage(1, QStringLiteral("Bikes"));
    ScriptedDialogs quiet;
    MainDlg window;
    ASSERT_TRUE(window.Initialise());
    ASSERT_EQ(window.Tabs().Caption(MainDlg::kBicycles), QStringLiteral("Bicycles"));
    FreeLanguageTable();
    ASSERT_EQ(LoadLanguageFile(m_programDir.FilePath(QStringLiteral("languages/vmq_01.ini"))), 0);
    window.RefreshLanguage();
    EXPECT_EQ(window.Tabs().Caption(MainDlg::kBicycles), QStringLiteral("Bikes"));
    EXPECT_EQ(window.Tabs().Bar()->DrawnCaption(MainDlg::kBicycles), QStringLiteral("Bikes"));
}

TEST_F(MainDlgTest, LayoutFollowsTheWindowOnEveryResize) {
    CreateDatabase();
    ScriptedDialogs quiet;
    MainDlg window;
    ASSERT_TRUE(window.Initialise());
    window.show();
    for (const QSize size : {QSize(900, 660), QSize(1100, 800), QSize(760, 560)}) {
        window.resize(size);
        const int w = window.width();
        const int h = window.height();
        EXPECT_EQ(window.Tabs().geometry(), QRect(4, 80, w - 8, h - 98));
        EXPECT_EQ(window.StatusLine().geometry(), QRect(5, h - 16, w - 5, 16));
        EXPECT_EQ(window.HomePageLink().geometry(), QRect(w - 180, 85, 180, 15));
        const QRect tabs = window.Tabs().geometry();
        for (int i = 0; i < window.Tabs().Count(); ++i) {
            // The page's scroll area; the page inside scrolls when the window is smaller than it needs.
            const QWidget* frame = window.Tabs().Page(i)->parentWidget()->parentWidget();
            EXPECT_EQ(frame->geometry(), QRect(4, 22, tabs.width() - 8, tabs.height() - 26));
        }
    }
}

TEST_F(MainDlgTest, ALanguageWithLongerTextsScrollsThePageInsteadOfCuttingThemOff) {
    CreateDatabase();
    const QString longChoice = QStringLiteral("Zusammenfassung aller Fahrten nach Zeitraum und Fahrrad");
    const QString longTab = QStringLiteral("Statistiken und Auswertungen");
    QByteArray text = m_programDir.ReadFile(QStringLiteral("languages/vmq_00.ini"));
    text.replace("SIMP=Period summary", QByteArray("SIMP=").append(longChoice.toUtf8()));
    text.replace("MYSS=Statistics", QByteArray("MYSS=").append(longTab.toUtf8()));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("languages/vmq_01.ini"), text));

    ScriptedDialogs quiet;
    MainDlg window;
    ASSERT_TRUE(window.Initialise());
    window.show();
    const QRect screen = window.screen()->availableGeometry();
    const QSize english = window.size();
    EXPECT_LE(english.width(), screen.width());
    EXPECT_LE(english.height(), screen.height());
    FreeLanguageTable();
    ASSERT_EQ(LoadLanguageFile(m_programDir.FilePath(QStringLiteral("languages/vmq_01.ini"))), 0);
    window.RefreshLanguage();
    TabCaptionBar* bar = window.Tabs().Bar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(MainDlg::kStatistics).center());
    QCoreApplication::processEvents();
    // The tab row stays whole, the window within the screen; the chosen
    // statistics show their name whole, the page scrolling where it must.
    EXPECT_LE(bar->tabRect(MainDlg::kHelp).right(), bar->width());
    EXPECT_LE(window.width(), screen.width());
    EXPECT_EQ(window.height(), english.height());
    auto* contents = window.Page(MainDlg::kStatistics)->findChild<QComboBox*>(QStringLiteral("StatContents"));
    ASSERT_NE(contents, nullptr);
    ASSERT_EQ(contents->currentText(), longChoice);
    EXPECT_GT(contents->width(), contents->fontMetrics().horizontalAdvance(longChoice));

    // Back in English the window keeps the size the rider sees.
    const QSize shown = window.size();
    FreeLanguageTable();
    ASSERT_EQ(LoadLanguageFile(m_programDir.FilePath(QStringLiteral("languages/vmq_00.ini"))), 0);
    window.RefreshLanguage();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.size(), shown);
}

TEST_F(MainDlgTest, DraggingTheBackgroundMovesTheWindow) {
    CreateDatabase();
    ScriptedDialogs quiet;
    MainDlg window;
    ASSERT_TRUE(window.Initialise());
    window.show();
    const QPoint before = window.pos();
    const QPoint background(window.width() / 2, 40);  // the banner band, no control under it
    ASSERT_EQ(window.childAt(background), nullptr);
    QTest::mousePress(&window, Qt::LeftButton, {}, background);
    QTest::mouseMove(&window, background + QPoint(30, 20));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, background + QPoint(30, 20));
    EXPECT_EQ(window.pos(), before + QPoint(30, 20));
}

TEST_F(MainDlgTest, HomePageLinkOpensItsAddress) {
    CreateDatabase();
    ScriptedDialogs quiet;
    MainDlg window;
    ASSERT_TRUE(window.Initialise());
    ScopedShellHandler shell;
    LinkLabel& link = window.HomePageLink();
    EXPECT_EQ(link.Text(), link.Link());
    EXPECT_EQ(link.toolTip(), link.Link());
    QTest::mouseClick(&link, Qt::RightButton);
    EXPECT_TRUE(shell.Opened().empty());
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_EQ(shell.Opened(), std::vector<QString>{link.Link()});
}

TEST_F(MainDlgTest, ShutDownRunsInTheReverseOrderOfStartUp) {
    CreateDatabase();
    ScriptedDialogs quiet;
    auto window = std::make_unique<MainDlg>();
    ASSERT_TRUE(window->Initialise());
    // Pages may still read the store and the language table while they go.
    int pagesGone = 0;
    for (int tab = 0; tab < MainDlg::kTabCount; ++tab) {
        QObject::connect(window->Page(static_cast<MainDlg::Tab>(tab)), &QObject::destroyed, [&pagesGone] {
            EXPECT_NE(DB_GetConnection(), nullptr);
            EXPECT_EQ(GetLanguageString("MainDlg", "MYBS"), QStringLiteral("Bicycles"));
            ++pagesGone;
        });
    }
    window.reset();
    EXPECT_EQ(pagesGone, MainDlg::kTabCount);
    EXPECT_EQ(DB_GetConnection(), nullptr);
    EXPECT_EQ(GetLanguageString("MainDlg", "MYBS"), QStringLiteral("<NULL>"));
}

}  // namespace
