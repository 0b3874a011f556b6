// The options page inside the running main window, driven like a user: the
// language, unit and week choices, and backing up, restoring and initializing
// the rider's data. Assertions are on what the window shows and what lands on
// disk.

#include "app/MainDlg.h"
#include "app/TabControl.h"
#include "language/IniReader.h"
#include "language/Language.h"
#include "options/OptionsDlg.h"
#include "platform/Preferences.h"
#include "store/store.h"
#include "support/ModalDrivers.h"
#include "support/ProgramDirectory.h"
#include "support/QStringPrinter.h"
#include "support/Scoped.h"
#include "support/ScriptedDialogs.h"
#include "support/UserInput.h"
#include "units/ProductInfo.h"
#include "units/TextBlock.h"
#include "units/Units.h"
#include "widgets/LinkLabel.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

namespace {

class OptionsDlgTest : public ProgramDirectoryTest {
protected:
    void SetUp() override {
        m_programDir.InstallShippedFiles();
        ASSERT_EQ(DB_CreateDatabase(), store::kOk);
    }

    // Starts the program and opens the options tab with a click.
    void Start() {
        m_window = std::make_unique<MainDlg>();
        ASSERT_TRUE(m_window->Initialise());
        m_window->show();
        TabCaptionBar* bar = m_window->Tabs().Bar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(MainDlg::kOptions).center());
        ASSERT_TRUE(Page()->isVisible());
    }

    // Ends the program and starts it again in the same directory.
    void Restart() {
        m_window.reset();
        Start();
    }

    QWidget* Page() const { return m_window->Page(MainDlg::kOptions); }

    template <typename Widget>
    Widget* Find(const char* name) const {
        auto* widget = Page()->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << "no " << name << " on the options page";
        return widget;
    }
    QComboBox* Choice(const char* name) const { return Find<QComboBox>(name); }
    void Click(const char* button) const { QTest::mouseClick(Find<QAbstractButton>(button), Qt::LeftButton); }

    static QStringList Entries(const QComboBox* choice) {
        QStringList entries;
        for (int i = 0; i < choice->count(); ++i) {
            entries << choice->itemText(i);
        }
        return entries;
    }

    void ChooseLanguage(const QString& name) const {
        QComboBox* choice = Choice("Language");
        ChooseListEntry(choice, choice->findText(name));
    }

    static ApplicationConfigRecord Stored() {
        ApplicationConfigRecord config;
        EXPECT_EQ(DB_LoadApplicationConfig(&config), store::kOk);
        return config;
    }

    // A text of the English file, read without touching the language table.
    static QString English(const char* section, const char* key) {
        static const IniFile english = IniFile::Read(SourcePath(QStringLiteral("languages/vmq_00.ini")));
        return english.Value(QString::fromLatin1(section), QString::fromLatin1(key), 511);
    }

    // languages/vmq_NN.ini as the English file with its display name and the
    // bicycles tab caption changed.
    void WriteLanguage(int number, const QString& name, const QString& bicyclesCaption) const {
        QByteArray text = m_programDir.ReadFile(QStringLiteral("languages/vmq_00.ini"));
        text.replace("Language=English", QByteArray("Language=").append(name.toUtf8()));
        text.replace("MYBS=Bicycles", QByteArray("MYBS=").append(bicyclesCaption.toUtf8()));
        ASSERT_TRUE(m_programDir.WriteFile(LanguageFile(number), text));
    }

    static QString LanguageFile(int number) {
        return QStringLiteral("languages/vmq_%1.ini").arg(number, 2, 10, QLatin1Char('0'));
    }

    QString BicyclesCaption() const { return m_window->Tabs().Caption(MainDlg::kBicycles); }

    // A small log: two bicycles, a ride and a maintenance entry with memos.
    void FillLog() const {
        for (const char* name : {"Tourer", "Racer"}) {
            BicycleAttribute bicycle;
            bicycle.BicycleName = ToTextBlock(QString::fromLatin1(name));
            ASSERT_EQ(DB_InsertBicycle(&bicycle), store::kOk);
        }
        RideRecord ride;
        ride.BicycleNumber = 1;
        ride.Distance = 42.0;
        ASSERT_EQ(DB_InsertRideRecord(&ride), store::kOk);
        MaintenanceRecord entry;
        entry.BicycleNumber = 2;
        ASSERT_EQ(DB_InsertMaintenanceRecord(&entry), store::kOk);
        ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/1/data.htm"), "ride memo"));
        ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/1/data.files/hill.jpg"), "picture"));
        ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Maintenance/1/data.htm"), "chain oiled"));
    }

    // Every file below folder with its bytes, by relative path.
    static std::map<QString, QByteArray> Files(const QString& folder) {
        std::map<QString, QByteArray> files;
        const QDir root(folder);
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
            files[root.relativeFilePath(path)] = file.readAll();
        }
        return files;
    }

    std::map<QString, QByteArray> MemoFiles() const {
        auto files = Files(m_programDir.FilePath(QStringLiteral("Rides")));
        for (auto& [path, bytes] : Files(m_programDir.FilePath(QStringLiteral("Maintenance")))) {
            files[QStringLiteral("Maintenance/") + path] = bytes;
        }
        return files;
    }

    QByteArray DatabaseBytes() const { return m_programDir.ReadFile(QStringLiteral("bicycle.db")); }

    static int CountRecords() {
        BicycleList bicycles;
        RideRecordList rides;
        MaintenanceRecordList entries;
        EXPECT_EQ(DB_GetBicycles(&bicycles), store::kOk);
        EXPECT_EQ(DB_GetRideRecords(nullptr, &rides), store::kOk);
        EXPECT_EQ(DB_GetMaintenanceRecords(nullptr, &entries), store::kOk);
        return static_cast<int>(bicycles.size() + rides.size() + entries.size());
    }

    std::unique_ptr<MainDlg> m_window;
};

// ---- Language ----------------------------------------------------------------

TEST_F(OptionsDlgTest, LanguagesAreListedByFileAndTheChosenFileIsLoadedAndStoredByNumber) {
    m_programDir.RemoveTranslations();
    WriteLanguage(1, QStringLiteral("Deutsch"), QStringLiteral("Fahrräder"));
    WriteLanguage(3, QStringLiteral("Français"), QStringLiteral("Vélos"));  // 02 is missing
    QByteArray nameless = m_programDir.ReadFile(QStringLiteral("languages/vmq_00.ini"));
    nameless.replace("Language=English", "Language=");
    ASSERT_TRUE(m_programDir.WriteFile(LanguageFile(4), nameless));

    ScriptedDialogs dialogs;
    Start();
    QComboBox* language = Choice("Language");
    EXPECT_EQ(Entries(language), (QStringList{QStringLiteral("English"), QStringLiteral("Deutsch"),
                                              QStringLiteral("Français")}));
    EXPECT_EQ(language->currentText(), QStringLiteral("English"));

    ChooseListEntry(language, 2);
    EXPECT_EQ(BicyclesCaption(), QStringLiteral("Vélos"));
    EXPECT_EQ(Stored().Language, 3);
    EXPECT_EQ(Choice("Language")->currentText(), QStringLiteral("Français"));

    ChooseListEntry(Choice("Language"), 1);
    EXPECT_EQ(BicyclesCaption(), QStringLiteral("Fahrräder"));
    EXPECT_EQ(Stored().Language, 1);

    // The next start shows the stored language, selected in the list.
    ChooseListEntry(Choice("Language"), 2);
    Restart();
    EXPECT_EQ(BicyclesCaption(), QStringLiteral("Vélos"));
    EXPECT_EQ(Choice("Language")->currentText(), QStringLiteral("Français"));
    EXPECT_TRUE(dialogs.Asked().empty());
}

// Every visible caption of every page, whatever the pages hold: each must come
// from the language table now in force.
TEST_F(OptionsDlgTest, ALanguageChangeReCaptionsEveryVisibleTextOfEveryPageAtOnce) {
    const QByteArray kMarker = "§";
    QByteArray marked;
    QByteArray section;
    for (QByteArray line : m_programDir.ReadFile(QStringLiteral("languages/vmq_00.ini")).split('\n')) {
        const QByteArray trimmed = line.trimmed();
        const int equals = line.indexOf('=');
        if (trimmed.startsWith('[')) {
            section = trimmed;
        } else if (equals > 0 && !trimmed.startsWith(';')) {
            const QByteArray key = line.left(equals).trimmed();
            QByteArray value = line.mid(equals + 1).trimmed();
            if (section == "[CommonInfo]" && key == "Language") {
                value = "Marked";
            } else {
                value.insert(value.startsWith('"') ? 1 : 0, kMarker);
            }
            line = QByteArray(key).append('=').append(value);
        }
        marked.append(line).append('\n');
    }
    ASSERT_TRUE(m_programDir.WriteFile(LanguageFile(1), marked));

    ScriptedDialogs dialogs;
    Start();
    ChooseLanguage(QStringLiteral("Marked"));

    // Texts that are no captions: the product's name, version and address.
    auto isCaption = [](QString text) {
        for (const char* fixed : {kProductHomePage, kProductName, kProductVersion}) {
            text.remove(QString::fromLatin1(fixed));
        }
        return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
    };
    int captions = 0;
    QStringList unmarked;
    auto check = [&](const QWidget* widget, const QString& text) {
        const QString where = widget->metaObject()->className() + QStringLiteral(" ") + widget->objectName();
        if (text.contains(QStringLiteral("<NULL>"))) {
            unmarked << where + QStringLiteral(": ") + text;
        } else if (isCaption(text)) {
            ++captions;
            if (!text.contains(QString::fromUtf8(kMarker)))
                unmarked << where + QStringLiteral(": ") + text;
        }
    };
    auto checkWidget = [&](const QWidget* widget) {
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            check(label, label->text());
        } else if (const auto* link = qobject_cast<const LinkLabel*>(widget)) {
            check(link, link->Text());
        } else if (const auto* tool = qobject_cast<const QToolButton*>(widget)) {
            if (tool->toolButtonStyle() != Qt::ToolButtonIconOnly)
                check(tool, tool->text());
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            check(button, button->text());
        } else if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
            check(group, group->title());
        } else if (const auto* tabs = qobject_cast<const QTabBar*>(widget)) {
            for (int i = 0; i < tabs->count(); ++i)
                check(tabs, tabs->tabText(i));
        } else if (const auto* header = qobject_cast<const QHeaderView*>(widget)) {
            for (int i = 0; header->model() && i < header->count(); ++i) {
                if (!header->isSectionHidden(i))
                    check(header, header->model()->headerData(i, header->orientation()).toString());
            }
        } else if (const auto* choice = qobject_cast<const QComboBox*>(widget)) {
            // The language list holds each language's own name, no caption.
            if (choice->objectName() != QLatin1String("Language") && !choice->isEditable()) {
                for (int i = 0; i < choice->count(); ++i)
                    check(choice, choice->itemText(i));
            }
        }
    };

    // The window's own parts, then each page as it would show: no page is
    // visited first, so re-captioning must not wait for a visit.
    for (QWidget* widget : m_window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (widget->isVisible())
            checkWidget(widget);
    }
    checkWidget(m_window->Tabs().Bar());
    for (int tab = 0; tab < m_window->Tabs().Count(); ++tab) {
        QWidget* page = m_window->Tabs().Page(tab);
        for (QWidget* widget : page->findChildren<QWidget*>()) {
            if (widget->isVisibleTo(page))
                checkWidget(widget);
        }
    }
    EXPECT_TRUE(unmarked.isEmpty()) << "not re-captioned:\n"
                                    << unmarked.join(QLatin1Char('\n')).toStdString();
    // The seven tabs and the options page's own captions at the least.
    EXPECT_GE(captions, 7 + 15);

    // The choices keep the settings in force.
    EXPECT_EQ(Choice("Language")->currentText(), QStringLiteral("Marked"));
    EXPECT_EQ(Choice("DistanceUnit")->currentIndex(), 0);
    EXPECT_EQ(Choice("WeekStart")->currentIndex(), 0);
    EXPECT_TRUE(dialogs.Asked().empty());
}

TEST_F(OptionsDlgTest, ALanguageFileThatCannotBeLoadedLeavesTheLanguageOnScreen) {
    WriteLanguage(1, QStringLiteral("Deutsch"), QStringLiteral("Fahrräder"));
    QByteArray broken = m_programDir.ReadFile(QStringLiteral("languages/vmq_00.ini"));
    broken.replace("Language=English", "Language=Broken");
    broken.replace("MYRS=Rides", "MYRS=");  // a key without a value fails the whole file
    ASSERT_TRUE(m_programDir.WriteFile(LanguageFile(3), broken));
    ApplicationConfigRecord german;
    german.Language = 1;
    ASSERT_EQ(DB_OpenDatabase(), store::kOk);
    ASSERT_EQ(DB_SaveApplicationConfig(&german), store::kOk);
    DB_CloseDatabase();

    ScriptedDialogs dialogs;
    Start();
    ASSERT_EQ(BicyclesCaption(), QStringLiteral("Fahrräder"));
    dialogs.AnswerMessage(kButtonOk, QStringLiteral("ERROR: Load language file error."));
    ChooseLanguage(QStringLiteral("Broken"));
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].title, QStringLiteral("ERROR"));
    EXPECT_EQ(dialogs.Asked()[0].icon, MessageIcon::Error);

    // Captions, lookups, the list and the stored choice all still say German.
    EXPECT_EQ(BicyclesCaption(), QStringLiteral("Fahrräder"));
    EXPECT_EQ(GetLanguageString("MainDlg", "MYBS"), QStringLiteral("Fahrräder"));
    EXPECT_EQ(Choice("Language")->currentText(), QStringLiteral("Deutsch"));
    EXPECT_EQ(Stored().Language, 1);
}

// ---- Distance unit and week start -------------------------------------------

TEST_F(OptionsDlgTest, UnitAndWeekStartTakeEffectAtOnceAndAreStored) {
    ScriptedDialogs dialogs;
    Start();
    QSignalSpy changed(qobject_cast<OptionsDlg*>(Page()), &OptionsDlg::SettingsChanged);
    QComboBox* unit = Choice("DistanceUnit");
    EXPECT_EQ(Entries(unit), (QStringList{English("OptionsDlg", "UTST"), English("OptionsDlg", "UTUS")}));
    QComboBox* week = Choice("WeekStart");
    EXPECT_EQ(Entries(week), (QStringList{English("OptionsDlg", "SMON"), English("OptionsDlg", "SSUN")}));

    ChooseListEntry(unit, 1);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(GetDistanceUnit(), 1);
    EXPECT_EQ(GetDistanceUnitWord(), English("Strings", "MILE"));
    EXPECT_EQ(GetSpeedUnitWord(), English("Strings", "MPHS"));
    EXPECT_EQ(FormatNumberWithUnit(FromKilometres(16.09), GetDistanceUnitWord()),
              QStringLiteral("10.00 miles"));
    EXPECT_EQ(Stored().DistanceUnit, 1);

    ChooseListEntry(week, 1);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(GetWeekStart(), 1);
    EXPECT_EQ(Stored().WeekStart, 1);
    EXPECT_EQ(Stored().DistanceUnit, 1);
    EXPECT_EQ(unit->currentIndex(), 1);  // re-captioning kept the choices

    Restart();
    EXPECT_EQ(Choice("DistanceUnit")->currentIndex(), 1);
    EXPECT_EQ(Choice("WeekStart")->currentIndex(), 1);
    EXPECT_EQ(GetDistanceUnit(), 1);

    ChooseListEntry(Choice("DistanceUnit"), 0);
    EXPECT_EQ(GetDistanceUnit(), 0);
    EXPECT_EQ(GetDistanceUnitWord(), English("Strings", "KMSS"));
    EXPECT_EQ(Stored().DistanceUnit, 0);
    EXPECT_TRUE(dialogs.Asked().empty());
}

TEST_F(OptionsDlgTest, ACurrencySymbolTypedOrChosenIsKeptAsAPreferenceAndShownAtOnce) {
    ScriptedDialogs dialogs;
    Start();
    QSignalSpy changed(qobject_cast<OptionsDlg*>(Page()), &OptionsDlg::SettingsChanged);
    QComboBox* currency = Choice("Currency");
    EXPECT_EQ(currency->currentText(), QStringLiteral("$"));
    const int euro = currency->findText(QStringLiteral("€"));
    currency->setCurrentIndex(euro);
    Q_EMIT currency->activated(euro);  // an editable list opens from its arrow, as a rider picks
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(FormatMoney(12.5), QStringLiteral("€12.50"));
    currency->lineEdit()->setText(QStringLiteral(" CHF "));
    Q_EMIT currency->lineEdit()->editingFinished();
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(ReadPreference(preference::kCurrencySymbol), QStringLiteral("CHF"));
    // Nothing typed keeps the symbol in force.
    currency->lineEdit()->clear();
    Q_EMIT currency->lineEdit()->editingFinished();
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(currency->currentText(), QStringLiteral("CHF"));
    SetCurrencySymbol(QString());
    EXPECT_TRUE(dialogs.Asked().empty());
}

TEST_F(OptionsDlgTest, MilesChosenHereShowOnTheNextVisitToTheRidesPage) {
    // The rides page lists the days of this year up to today.
    ScopedClock clock(FromLocalDateTime(2026, 2, 1, 12, 0, 0));
    ASSERT_EQ(DB_OpenDatabase(), store::kOk);
    BicycleAttribute bicycle;
    bicycle.BicycleNumber = 1;
    bicycle.BicycleName = ToTextBlock(QStringLiteral("Trek 520"));
    ASSERT_EQ(DB_InsertBicycle(&bicycle), store::kOk);
    RideRecord ride;
    ride.RideRecordNumber = 1;
    ride.BicycleNumber = 1;
    ride.Date = static_cast<int32_t>(FromLocalDateTime(2026, 1, 10, 9, 0, 0));
    ride.Distance = 16.09;
    ride.Hours = 1;
    ride.Memo = ToTextBlock(QString());
    ASSERT_EQ(DB_InsertRideRecord(&ride), store::kOk);
    DB_CloseDatabase();

    ScriptedDialogs dialogs;
    Start();
    ChooseListEntry(Choice("DistanceUnit"), 1);
    TabControl& tabs = m_window->Tabs();
    QTest::mouseClick(tabs.Bar(), Qt::LeftButton, {}, tabs.Bar()->tabRect(MainDlg::kRides).center());
    auto* table = m_window->Page(MainDlg::kRides)->findChild<QAbstractItemView*>(QStringLiteral("rideTable"));
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->model()->rowCount(), 1);
    QStringList distances;
    for (int row = 0; row < table->model()->rowCount(); ++row) {
        distances << table->model()->index(row, 2).data().toString();
    }
    const QString miles = English("Strings", "MILE");
    EXPECT_TRUE(distances.contains(QStringLiteral("10.00") + miles) ||
                distances.contains(QStringLiteral("10.00 ") + miles))
        << distances.join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(dialogs.Asked().empty());
}

TEST_F(OptionsDlgTest, SettingsThatCannotBeReadOrSavedAreReportedAndStayInForce) {
    ScriptedDialogs dialogs;
    Start();
    const QString gfdb = English("ErrorStrings", "GFDB");
    const QString stdb = English("ErrorStrings", "STDB");

    // No stored record: the change still holds and is stored with what is in force.
    ChooseListEntry(Choice("WeekStart"), 1);
    ASSERT_EQ(DB_ExecSql(DB_GetConnection(), "delete from ApplicationConfig"), store::kOk);
    dialogs.AnswerMessage(kButtonOk, gfdb);
    ChooseListEntry(Choice("DistanceUnit"), 1);
    EXPECT_EQ(GetDistanceUnit(), 1);
    const ApplicationConfigRecord rebuilt = Stored();
    EXPECT_EQ(rebuilt.Version, 1);
    EXPECT_EQ(rebuilt.DistanceUnit, 1);
    EXPECT_EQ(rebuilt.WeekStart, 1);
    EXPECT_EQ(rebuilt.Language, 0);

    // Another program holds the database for writing: the save fails.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2("bicycle.db", &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
    dialogs.AnswerFailure(kButtonOk, stdb, English("FailureReasons", "BUSY"));
    ChooseListEntry(Choice("WeekStart"), 0);
    EXPECT_EQ(GetWeekStart(), 0);
    EXPECT_EQ(Choice("WeekStart")->currentIndex(), 0);
    sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close_v2(other);
    EXPECT_EQ(Stored().WeekStart, 1);
    for (const auto& asked : dialogs.Asked()) {
        EXPECT_EQ(asked.title, English("ErrorStrings", "ERRO"));
        EXPECT_EQ(asked.icon, MessageIcon::Error);
    }
}

TEST_F(OptionsDlgTest, ShowingThePageBlanksTheStatusLine) {
    ScriptedDialogs dialogs;
    Start();
    TabCaptionBar* bar = m_window->Tabs().Bar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(MainDlg::kRides).center());
    m_window->StatusLine().SetText(QStringLiteral("3 rides"));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(MainDlg::kOptions).center());
    EXPECT_EQ(m_window->StatusLine().Text(), QStringLiteral(" "));
}

// ---- Backup -----------------------------------------------------------------

TEST_F(OptionsDlgTest, EachBackupGoesIntoANewFolderNamedToTheSecondAndNothingElseInTheChosenOneChanges) {
    ScopedClock clock(FromLocalDateTime(2026, 12, 7, 14, 5, 33));
    ScriptedDialogs dialogs;
    Start();
    FillLog();
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("stick/notes.txt"), "the rider's own"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("stick/Rides/1/data.htm"), "an older copy by hand"));
    const auto before = Files(m_programDir.FilePath(QStringLiteral("stick")));
    auto backUp = [&] {
        dialogs.AnswerFolder(m_programDir.FilePath(QStringLiteral("stick")));
        dialogs.AnswerMessage(kButtonOk, English("OptionsDlg", "BDBO"));
        Click("Backup");
    };
    backUp();
    ASSERT_EQ(dialogs.Asked().size(), 2u);
    EXPECT_EQ(dialogs.Asked()[0].text, English("OptionsDlg", "SLBD"));
    EXPECT_EQ(dialogs.Asked()[0].path, QDir::homePath());
    EXPECT_EQ(dialogs.Asked()[1].icon, MessageIcon::Information);
    // Two in the same second, and one later.
    backUp();
    clock.Set(FromLocalDateTime(2026, 12, 7, 14, 5, 34));
    backUp();

    const QString first = QStringLiteral("stick/Velomarq backup 2026-12-07 14-05-33");
    auto backedUp = Files(m_programDir.FilePath(first));
    EXPECT_EQ(backedUp.erase(QStringLiteral("bicycle.db")), 1u);
    EXPECT_EQ(backedUp,
              (std::map<QString, QByteArray>{{QStringLiteral("Rides/1/data.htm"), "ride memo"},
                                             {QStringLiteral("Rides/1/data.files/hill.jpg"), "picture"},
                                             {QStringLiteral("Maintenance/1/data.htm"), "chain oiled"}}));
    QStringList entries = QDir(m_programDir.FilePath(QStringLiteral("stick")))
                              .entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(
        entries,
        (QStringList{QStringLiteral("Rides"), QStringLiteral("Velomarq backup 2026-12-07 14-05-33"),
                     QStringLiteral("Velomarq backup 2026-12-07 14-05-33 (2)"),
                     QStringLiteral("Velomarq backup 2026-12-07 14-05-34"), QStringLiteral("notes.txt")}));
    auto after = Files(m_programDir.FilePath(QStringLiteral("stick")));
    std::erase_if(
        after, [](const auto& entry) { return entry.first.startsWith(QStringLiteral("Velomarq backup")); });
    EXPECT_EQ(after, before);
    EXPECT_EQ(CountRecords(), 4);  // the program's own database is still open and whole
}

TEST_F(OptionsDlgTest, ABackupIntoAMemoFolderIsRefused) {
    ScriptedDialogs dialogs;
    Start();
    FillLog();
    const QString inside = m_programDir.FilePath(QStringLiteral("Rides/backup"));
    ASSERT_TRUE(QDir().mkpath(inside));
    dialogs.AnswerFolder(inside);
    dialogs.AnswerMessage(kButtonOk, English("ErrorStrings", "BUDB"));
    Click("Backup");
    EXPECT_EQ(dialogs.Asked().back().icon, MessageIcon::Error);
    EXPECT_TRUE(QDir(inside).isEmpty());
}

// ---- Initialize ----------------------------------------------------------------

TEST_F(OptionsDlgTest, InitializeEmptiesEveryListAndBothMemoFoldersButKeepsTheFolders) {
    ScriptedDialogs dialogs;
    Start();
    FillLog();
    ChooseListEntry(Choice("DistanceUnit"), 1);
    dialogs.AnswerMessage(kButtonYes, English("OptionsDlg", "IDBC"));
    dialogs.AnswerMessage(kButtonOk, English("Strings", "DBIC"));
    Click("Initialize");
    ASSERT_EQ(dialogs.Asked().size(), 2u);
    EXPECT_EQ(dialogs.Asked()[0].title, English("Strings", "CONF"));
    EXPECT_EQ(dialogs.Asked()[0].defaultButton, kButtonNo);
    EXPECT_EQ(dialogs.Asked()[1].icon, MessageIcon::Information);

    EXPECT_EQ(CountRecords(), 0);
    EXPECT_TRUE(MemoFiles().empty());
    for (const char* folder : {"Rides", "Maintenance"}) {
        const QDir memoFolder(m_programDir.FilePath(QString::fromLatin1(folder)));
        EXPECT_TRUE(memoFolder.exists()) << folder;
        EXPECT_TRUE(memoFolder.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) << folder;
    }
    // The program goes on: with the settings in force, on the new database.
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(GetDistanceUnit(), 1);
    EXPECT_EQ(Stored().DistanceUnit, 0);
    BicycleAttribute bicycle;
    bicycle.BicycleName = ToTextBlock(QStringLiteral("New start"));
    EXPECT_EQ(DB_InsertBicycle(&bicycle), store::kOk);
}

int DenyRideTable(void*, int action, const char* name, const char*, const char*, const char*) {
    return action == SQLITE_CREATE_TABLE && name && std::strcmp(name, "RideRecord") == 0 ? SQLITE_DENY
                                                                                         : SQLITE_OK;
}
int DenyRideTableOnOpen(sqlite3* connection, const char**, const sqlite3_api_routines*) {
    sqlite3_set_authorizer(connection, DenyRideTable, nullptr);
    return SQLITE_OK;
}

TEST_F(OptionsDlgTest, InitializeThatCannotMakeTheNewDatabaseKeepsEverything) {
    ScriptedDialogs dialogs;
    Start();
    FillLog();
    const auto memos = MemoFiles();
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(DenyRideTableOnOpen));
    dialogs.AnswerMessage(kButtonYes, English("OptionsDlg", "IDBC"));
    dialogs.AnswerFailure(kButtonOk, English("ErrorStrings", "ITDB"));
    Click("Initialize");
    sqlite3_reset_auto_extension();
    EXPECT_EQ(dialogs.Asked().back().icon, MessageIcon::Error);
    EXPECT_EQ(CountRecords(), 4);  // still open, still whole
    EXPECT_EQ(MemoFiles(), memos);
    // Nothing half-made is left beside the database.
    EXPECT_EQ(QDir(m_programDir.Path()).entryList({QStringLiteral("bicycle.db*")}, QDir::AllEntries),
              QStringList{QStringLiteral("bicycle.db")});
}

// ---- Restore ----------------------------------------------------------------

TEST_F(OptionsDlgTest, RestoreEndsTheProgramAndTheNextStartShowsExactlyTheBackup) {
    ScriptedDialogs dialogs;
    Start();
    FillLog();
    const QString backup = m_programDir.FilePath(QStringLiteral("stick"));
    ASSERT_TRUE(QDir().mkpath(backup));
    dialogs.AnswerFolder(backup);
    dialogs.AnswerMessage(kButtonOk);
    Click("Backup");
    const auto backedUpMemos = MemoFiles();

    // Life goes on after the backup.
    BicycleAttribute later;
    later.BicycleName = ToTextBlock(QStringLiteral("Later"));
    ASSERT_EQ(DB_InsertBicycle(&later), store::kOk);
    ASSERT_EQ(DB_DeleteRideRecord(1), store::kOk);
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/7/data.htm"), "a later ride"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Maintenance/1/data.htm"), "chain replaced"));

    dialogs.AnswerFolder(backup);
    dialogs.AnswerMessage(kButtonYes, English("OptionsDlg", "RDBC"));
    dialogs.AnswerMessage(kButtonOk, English("OptionsDlg", "RDBF"));
    Click("Restore");
    EXPECT_EQ(dialogs.Asked()[2].text, English("OptionsDlg", "SLRD"));
    EXPECT_EQ(dialogs.Asked().back().icon, MessageIcon::Information);
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(DB_GetConnection(), nullptr);

    Restart();
    BicycleList bicycles;
    ASSERT_EQ(DB_GetBicycles(&bicycles), store::kOk);
    QStringList names;
    for (const BicycleAttribute& bicycle : bicycles)
        names << FromTextBlock(bicycle.BicycleName);
    EXPECT_EQ(names, (QStringList{QStringLiteral("Tourer"), QStringLiteral("Racer")}));
    EXPECT_EQ(CountRecords(), 4);
    EXPECT_EQ(MemoFiles(), backedUpMemos);
    EXPECT_EQ(
        QDir(m_programDir.Path())
            .entryList({QStringLiteral("*.incoming"), QStringLiteral("*.outgoing"), QStringLiteral("*.care")},
                       QDir::AllEntries),
        QStringList());
}

TEST_F(OptionsDlgTest, RestoreFromABackupThatCannotBeReadLeavesTheDataUnchanged) {
    ScriptedDialogs dialogs;
    Start();
    FillLog();
    const QString backup = m_programDir.FilePath(QStringLiteral("stick"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("stick/bicycle.db"), "this is no database"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("stick/Rides/9/data.htm"), "not mine"));
    DB_CloseDatabase();
    const QByteArray database = DatabaseBytes();
    ASSERT_EQ(DB_OpenDatabase(), store::kOk);
    const auto memos = MemoFiles();

    dialogs.AnswerFolder(backup);
    dialogs.AnswerMessage(kButtonYes, English("OptionsDlg", "RDBC"));
    dialogs.AnswerMessage(
        kButtonOk, English("ErrorStrings", "RTDM") + QLatin1Char('\n') + English("ErrorStrings", "RTDB"));
    Click("Restore");
    EXPECT_EQ(dialogs.Asked().back().icon, MessageIcon::Error);
    EXPECT_FALSE(m_window->isVisible());

    EXPECT_EQ(DatabaseBytes(), database);
    EXPECT_EQ(MemoFiles(), memos);
    EXPECT_EQ(QDir(m_programDir.Path())
                  .entryList({QStringLiteral("*.incoming"), QStringLiteral("*.outgoing")}, QDir::AllEntries),
              QStringList());
    Restart();
    EXPECT_EQ(CountRecords(), 4);
}

TEST_F(OptionsDlgTest, AFolderOfSeveralBackupsOffersThemNewestFirstAndRestoresTheOneChosen) {
    ScopedClock clock(FromLocalDateTime(2026, 3, 1, 9, 0, 0));
    ScriptedDialogs dialogs;
    Start();
    FillLog();
    const QString stick = m_programDir.FilePath(QStringLiteral("stick"));
    ASSERT_TRUE(QDir().mkpath(stick));
    // Backups with 2, 3 and 4 bicycles, an hour apart.
    for (int hour : {9, 10, 11}) {
        clock.Set(FromLocalDateTime(2026, 3, 1, hour, 0, 0));
        dialogs.AnswerFolder(stick);
        dialogs.AnswerMessage(kButtonOk, English("OptionsDlg", "BDBO"));
        Click("Backup");
        BicycleAttribute another;
        another.BicycleName = ToTextBlock(QStringLiteral("Another"));
        ASSERT_EQ(DB_InsertBicycle(&another), store::kOk);
    }
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("stick/holiday photos/beach.jpg"), "no backup"));
    ASSERT_TRUE(QFile::link(QStringLiteral("Velomarq backup 2026-03-01 09-00-00"),
                            m_programDir.FilePath(QStringLiteral("stick/a link"))));

    ScopedModalDrivers drivers;
    QStringList offered;
    drivers.Then<QDialog>([&](QDialog& chooser) {
        auto* list = chooser.findChild<QListWidget*>(QStringLiteral("Backups"));
        ASSERT_NE(list, nullptr);
        for (int row = 0; row < list->count(); ++row) {
            offered << list->item(row)->text();
        }
        EXPECT_EQ(list->currentRow(), 0);
        list->setCurrentRow(1);
        chooser.accept();
    });
    dialogs.AnswerFolder(stick);
    dialogs.AnswerMessage(kButtonYes, English("OptionsDlg", "RDBC"));
    dialogs.AnswerMessage(kButtonOk, English("OptionsDlg", "RDBF"));
    Click("Restore");
    EXPECT_EQ(offered, (QStringList{QStringLiteral("Velomarq backup 2026-03-01 11-00-00"),
                                    QStringLiteral("Velomarq backup 2026-03-01 10-00-00"),
                                    QStringLiteral("Velomarq backup 2026-03-01 09-00-00")}));
    Restart();
    BicycleList bicycles;
    ASSERT_EQ(DB_GetBicycles(&bicycles), store::kOk);
    EXPECT_EQ(bicycles.size(), 3u);

    // A folder with no backup in it says so and changes nothing.
    dialogs.AnswerFolder(m_programDir.FilePath(QStringLiteral("stick/holiday photos")));
    dialogs.AnswerMessage(kButtonOk, English("ErrorStrings", "RTNB"));
    Click("Restore");
    EXPECT_TRUE(m_window->isVisible());
}

// The memo folders may be links to another disk: initialize replaces the link
// by an empty folder of its own and never empties what the link points to.
TEST_F(OptionsDlgTest, InitializeReplacesALinkedMemoFolderWithoutFollowingIt) {
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("elsewhere/Rides/3/data.htm"), "kept"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("elsewhere/Maintenance/4/data.htm"), "kept too"));
    for (const char* folder : {"Rides", "Maintenance"}) {
        ASSERT_TRUE(QFile::link(QStringLiteral("elsewhere/") + QLatin1String(folder),
                                m_programDir.FilePath(QLatin1String(folder))));
    }
    ScriptedDialogs dialogs;
    Start();
    dialogs.AnswerMessage(kButtonYes, English("OptionsDlg", "IDBC"));
    dialogs.AnswerMessage(kButtonOk, English("Strings", "DBIC"));
    Click("Initialize");
    EXPECT_EQ(Files(m_programDir.FilePath(QStringLiteral("elsewhere"))),
              (std::map<QString, QByteArray>{{QStringLiteral("Rides/3/data.htm"), "kept"},
                                             {QStringLiteral("Maintenance/4/data.htm"), "kept too"}}));
    for (const char* folder : {"Rides", "Maintenance"}) {
        const QFileInfo memoFolder(m_programDir.FilePath(QLatin1String(folder)));
        EXPECT_TRUE(memoFolder.isDir() && !memoFolder.isSymLink()) << folder;
        EXPECT_TRUE(QDir(memoFolder.filePath()).isEmpty()) << folder;
    }
}

// A restore cut short while the memo folders were being swapped: the start
// puts the old log back before it opens the database.
TEST_F(OptionsDlgTest, TheStartUndoesARestoreCutShortBeforeItsDatabaseWasInPlace) {
    ASSERT_EQ(DB_OpenDatabase(), store::kOk);
    FillLog();
    DB_CloseDatabase();
    const auto memos = MemoFiles();
    QDir program(m_programDir.Path());
    ASSERT_TRUE(QFile::copy(program.filePath(QStringLiteral("bicycle.db")),
                            program.filePath(QStringLiteral("bicycle.db.incoming"))));
    ASSERT_TRUE(program.rename(QStringLiteral("Rides"), QStringLiteral("Rides.outgoing")));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/9/data.htm"), "the backup's"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Maintenance.incoming/9/data.htm"), "the backup's"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("velomarq.care"), "swap"));

    ScriptedDialogs dialogs;
    Start();
    EXPECT_EQ(MemoFiles(), memos);
    EXPECT_EQ(CountRecords(), 4);
    EXPECT_EQ(program.entryList(
                  {QStringLiteral("*.incoming"), QStringLiteral("*.outgoing"), QStringLiteral("*.care")},
                  QDir::AllEntries),
              QStringList());
}

TEST_F(OptionsDlgTest, CancellingTheFolderBrowserOrAnsweringNoChangesNothing) {
    ScriptedDialogs dialogs;
    Start();
    FillLog();
    const QString backup = m_programDir.FilePath(QStringLiteral("stick"));
    ASSERT_TRUE(QDir().mkpath(backup));
    ASSERT_EQ(DB_BackupDatabase("stick/bicycle.db"), store::kOk);
    const auto backedUp = Files(backup);
    const auto memos = MemoFiles();

    dialogs.AnswerFolder(QString());
    Click("Backup");
    dialogs.AnswerFolder(QString());
    Click("Restore");
    dialogs.AnswerFolder(backup);
    dialogs.AnswerMessage(kButtonNo, English("OptionsDlg", "RDBC"));
    Click("Restore");
    dialogs.AnswerMessage(kButtonNo, English("OptionsDlg", "IDBC"));
    Click("Initialize");

    EXPECT_EQ(dialogs.MessagesAsked().size(), 2u);  // the two questions, nothing else
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(Files(backup), backedUp);
    EXPECT_EQ(CountRecords(), 4);
    EXPECT_EQ(MemoFiles(), memos);
}

}  // namespace
