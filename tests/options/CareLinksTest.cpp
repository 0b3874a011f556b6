// Back up and restore never reach outside the folders they copy: a link
// planted in a backup, or in the folder a backup goes to, neither brings
// anything from elsewhere into the log nor lets a copy overwrite what lies
// elsewhere.

#include "options/DatabaseCare.h"
#include "store/store.h"
#include "support/ProgramDirectory.h"
#include "support/TestStore.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

class CareLinksTest : public ProgramDirectoryTest {
protected:
    void SetUp() override {
        CreateTestStore();
        ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/1/data.htm"), "ride memo"));
        ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Maintenance/1/data.htm"), "service memo"));
        ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("outside/secret.txt"), "outside"));
    }
    QString Path(const QString& relative) const { return m_programDir.FilePath(relative); }
    void Link(const QString& target, const QString& link) const {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(Path(link)).path()));
        ASSERT_TRUE(QFile::link(Path(target), Path(link))) << link.toStdString();
    }
    QStringList Entries(const QString& relative) const {
        return QDir(Path(relative)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
};

TEST_F(CareLinksTest, ABackupNeverWritesThroughALinkInTheFolderItGoesTo) {
    // A link where the copy of a memo belongs, and one in the place of Rides.
    Link(QStringLiteral("outside/secret.txt"), QStringLiteral("fileLink/Rides/1/data.htm"));
    Link(QStringLiteral("outside"), QStringLiteral("folderLink/Rides"));
    for (const QString& folder : {QStringLiteral("fileLink"), QStringLiteral("folderLink")}) {
        (void)BackupData(m_programDir.Path(), Path(folder));
        EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("outside/secret.txt")), "outside")
            << folder.toStdString();
        EXPECT_EQ(Entries(QStringLiteral("outside")), QStringList{QStringLiteral("secret.txt")})
            << folder.toStdString();
    }
}

TEST_F(CareLinksTest, ARestoreBringsNothingFromOutsideTheBackup) {
    // A backup as a rider's disk may hold it: a memo folder that is a link out of it.
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("backup"))));
    ASSERT_EQ(DB_BackupDatabase(QFile::encodeName(Path(QStringLiteral("backup/bicycle.db"))).constData()),
              store::kOk);
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("backup/Rides/1/data.htm"), "backed-up memo"));
    Link(QStringLiteral("outside"), QStringLiteral("backup/Rides/2"));
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("backup/Maintenance"))));
    EXPECT_EQ(RestoreData(m_programDir.Path(), Path(QStringLiteral("backup"))), RestoreOutcome::Done);
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("Rides/1/data.htm")), "backed-up memo");
    EXPECT_EQ(Entries(QStringLiteral("Rides")), QStringList{QStringLiteral("1")});

    // A backup whose Rides is itself a link is no backup to restore: the log stays.
    ASSERT_EQ(DB_OpenDatabase(), store::kOk);
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("linked"))));
    ASSERT_EQ(DB_BackupDatabase(QFile::encodeName(Path(QStringLiteral("linked/bicycle.db"))).constData()),
              store::kOk);
    Link(QStringLiteral("outside"), QStringLiteral("linked/Rides"));
    EXPECT_NE(RestoreData(m_programDir.Path(), Path(QStringLiteral("linked"))), RestoreOutcome::Done);
    EXPECT_EQ(Entries(QStringLiteral("Rides")), QStringList{QStringLiteral("1")});
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("Rides/1/data.htm")), "backed-up memo");
}

}  // namespace
