// Which folder the program runs in, and how an installed copy keeps the
// shipped files in the rider's folder current without touching the log.

#include "app/StartDirectory.h"
#include "support/ProgramDirectory.h"
#include "support/Scoped.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>
#include <chrono>
#include <filesystem>

namespace {
namespace fs = std::filesystem;

fs::file_time_type FileTime(const QString& path) {
    return fs::last_write_time(fs::path(path.toStdU16String()));
}

void SetFileTime(const QString& path, fs::file_time_type time) {
    fs::last_write_time(fs::path(path.toStdU16String()), time);
}

struct ChoiceCase {
    const char* name;
    QStringList arguments;
    bool installed;
    QString expectedDirectory;  // empty: the command line is refused
};

TEST(StartDirectory, ChoosesFromTheCommandLineTheInstallationAndTheCurrentDirectory) {
    const QString shared = QStringLiteral("/usr/share/velomarq");
    const QString dataHome = QStringLiteral("/home/r/.local/share");
    const QString current = QStringLiteral("/home/r/work");
    const ChoiceCase cases[] = {
        {"build tree, no folder: where it was started", {}, false, current},
        {"installed, no folder: the data home", {}, true, QStringLiteral("/home/r/.local/share/velomarq")},
        {"absolute folder", {QStringLiteral("/srv/log/")}, true, QStringLiteral("/srv/log")},
        {"relative, build tree", {QStringLiteral("../bikes")}, false, QStringLiteral("/home/r/bikes")},
        {"relative, installed", {QStringLiteral("bikes")}, true, QStringLiteral("/home/r/work/bikes")},
        {"an option nobody took", {QStringLiteral("--help")}, true, QString()},
        {"two folders", {QStringLiteral("a"), QStringLiteral("b")}, false, QString()},
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.name);
        const StartDirectory start =
            ChooseStartDirectory(c.arguments, c.installed ? shared : QString(), dataHome, current);
        EXPECT_EQ(start.programDirectory, c.expectedDirectory);
        EXPECT_EQ(start.error.isEmpty(), !c.expectedDirectory.isEmpty()) << start.error.toStdString();
        EXPECT_EQ(start.sharedFiles, c.installed ? shared : QString());
    }
}

TEST(StartDirectory, RefusedCommandLineSaysWhereTheDataWouldGo) {
    const StartDirectory start =
        ChooseStartDirectory({QStringLiteral("-x")}, QStringLiteral("/usr/share/velomarq"),
                             QStringLiteral("/data"), QStringLiteral("/cwd"));
    EXPECT_TRUE(start.error.startsWith(QStringLiteral("Usage: velomarq [FOLDER]")));
    EXPECT_TRUE(start.error.contains(QStringLiteral("/data/velomarq"))) << start.error.toStdString();
}

TEST(StartDirectory, DataHomeFollowsXdgOnlyWhenItIsAbsolute) {
    EXPECT_EQ(UserDataHome(QStringLiteral("/xdg/data/"), QStringLiteral("/home/r")),
              QStringLiteral("/xdg/data"));
    EXPECT_EQ(UserDataHome(QStringLiteral("relative/data"), QStringLiteral("/home/r")),
              QStringLiteral("/home/r/.local/share"));
    EXPECT_EQ(UserDataHome(QString(), QStringLiteral("/home/r")), QStringLiteral("/home/r/.local/share"));
}

class StartDirectoryFilesTest : public ProgramDirectoryTest {
protected:
    // An installed tree under prefix/: bin/ beside share/velomarq/.
    void SetUp() override {
        ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("prefix/bin/.keep"), {}));
        ASSERT_TRUE(m_programDir.WriteFile(Shared("languages/vmq_00.ini"), "[MainDlg]\nMYBS=Bicycles\n"));
        ASSERT_TRUE(m_programDir.WriteFile(Shared("help/index.html"), "<p>help</p>"));
        ASSERT_TRUE(m_programDir.WriteFile(Shared("help/images/ride.png"), "png"));
        ASSERT_TRUE(m_programDir.WriteFile(Shared("htmltemplate.dat"), "template"));
        ASSERT_TRUE(m_programDir.WriteFile(Shared("logo.dat"), "logo"));
    }

    static QString Shared(const QString& relative) {
        return QStringLiteral("prefix/share/velomarq/") + relative;
    }
    QString Home(const QString& relative = QString()) const {
        const QString home = m_programDir.FilePath(QStringLiteral("home/velomarq"));
        return relative.isEmpty() ? home : home + QLatin1Char('/') + relative;
    }
    StartDirectory Installed() const {
        return {Home(), m_programDir.FilePath(QStringLiteral("prefix/share/velomarq")), QString()};
    }
};

TEST_F(StartDirectoryFilesTest, FindsTheSharedFilesOnlyBesideAnInstalledExecutable) {
    const QString bin = m_programDir.FilePath(QStringLiteral("prefix/bin"));
    EXPECT_EQ(FindSharedFiles(bin, QStringLiteral("../share/velomarq")),
              m_programDir.FilePath(QStringLiteral("prefix/share/velomarq")));
    // A build tree has no such folder; a folder without the default language
    // file is no installation either.
    EXPECT_EQ(
        FindSharedFiles(m_programDir.FilePath(QStringLiteral("build")), QStringLiteral("../share/velomarq")),
        QString());
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("other/share/velomarq/logo.dat"), "logo"));
    EXPECT_EQ(FindSharedFiles(m_programDir.FilePath(QStringLiteral("other/bin")),
                              QStringLiteral("../share/velomarq")),
              QString());
    EXPECT_EQ(FindSharedFiles(QString(), QStringLiteral("../share/velomarq")), QString());
}

TEST_F(StartDirectoryFilesTest, FirstStartMakesTheFolderAndCopiesEveryShippedFileWithItsTime) {
    QString error;
    ASSERT_TRUE(PrepareStartDirectory(Installed(), &error)) << error.toStdString();
    for (const char* file : {"languages/vmq_00.ini", "help/index.html", "help/images/ride.png",
                             "htmltemplate.dat", "logo.dat"}) {
        SCOPED_TRACE(file);
        const QString name = QString::fromLatin1(file);
        EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("home/velomarq/") + name),
                  m_programDir.ReadFile(Shared(name)));
        EXPECT_EQ(FileTime(Home(name)), FileTime(m_programDir.FilePath(Shared(name))));
    }
}

TEST_F(StartDirectoryFilesTest, UpdateReplacesOlderFilesKeepsNewerOnesAndNeverTheRidersData) {
    const auto past = FileTime(m_programDir.FilePath(Shared("logo.dat"))) - std::chrono::hours(24);
    const auto future = past + std::chrono::hours(48);
    // Last version's copies, one of them edited by the rider since.
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("home/velomarq/languages/vmq_00.ini"), "old"));
    SetFileTime(Home(QStringLiteral("languages/vmq_00.ini")), past);
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("home/velomarq/logo.dat"), "rider's own logo"));
    SetFileTime(Home(QStringLiteral("logo.dat")), future);
    // The log, and a packaging slip that would ship files of the same names.
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("home/velomarq/bicycle.db"), "rides"));
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("home/velomarq/Rides/1/data.htm"), "memo"));
    SetFileTime(Home(QStringLiteral("bicycle.db")), past);
    SetFileTime(Home(QStringLiteral("Rides/1/data.htm")), past);
    ASSERT_TRUE(m_programDir.WriteFile(Shared("bicycle.db"), "empty"));
    ASSERT_TRUE(m_programDir.WriteFile(Shared("Rides/1/data.htm"), "blank"));
    ASSERT_TRUE(m_programDir.WriteFile(Shared("Maintenance/2/data.htm"), "blank"));

    QString error;
    ASSERT_TRUE(PrepareStartDirectory(Installed(), &error)) << error.toStdString();

    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("home/velomarq/languages/vmq_00.ini")),
              QByteArray("[MainDlg]\nMYBS=Bicycles\n"));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("home/velomarq/logo.dat")),
              QByteArray("rider's own logo"));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("home/velomarq/bicycle.db")), QByteArray("rides"));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("home/velomarq/Rides/1/data.htm")), QByteArray("memo"));
    EXPECT_FALSE(QFileInfo::exists(Home(QStringLiteral("Maintenance"))));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("home/velomarq/help/index.html")),
              QByteArray("<p>help</p>"));
}

TEST_F(StartDirectoryFilesTest, FromABuildTreeOnlyTheFolderIsMade) {
    QString error;
    ASSERT_TRUE(PrepareStartDirectory({Home(), QString(), QString()}, &error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(Home()).isDir());
    EXPECT_TRUE(QDir(Home()).isEmpty());
}

TEST_F(StartDirectoryFilesTest, AFolderThatCannotBeMadeOrFilledIsReportedByName) {
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("home/velomarq"), "a file, not a folder"));
    QString error;
    EXPECT_FALSE(PrepareStartDirectory(Installed(), &error));
    EXPECT_EQ(error, QStringLiteral("Can not use the folder %1.").arg(Home()));
    ASSERT_TRUE(QFile::remove(Home()));

    ScopedWriteFailure diskFull(
        [](const QString& path) { return path.endsWith(QStringLiteral("htmltemplate.dat")); });
    error.clear();
    EXPECT_FALSE(PrepareStartDirectory(Installed(), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Can not copy "))) << error.toStdString();
    EXPECT_TRUE(error.endsWith(Home(QStringLiteral("htmltemplate.dat")) + QLatin1Char('.')))
        << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Home(QStringLiteral("htmltemplate.dat"))));
}

}  // namespace
