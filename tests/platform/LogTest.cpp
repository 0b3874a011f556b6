// The log beside the log book: what it holds, how it makes room, and that a
// link in its place leads nowhere.

#include "platform/Log.h"
#include "store/store.h"
#include "support/ProgramDirectory.h"
#include "support/Scoped.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>

namespace {

TEST(Log, HoldsTheStartFactsAndEveryStoreFailureAndMakesRoomWhenFull) {
    ProgramDirectory dir;
    {
        ScopedLog log;
        LogStartupFacts(dir.Path());
        EXPECT_EQ(DB_OpenDatabase(), store::kFailed);  // no bicycle.db here
        const QString text = log.Text();
        EXPECT_TRUE(text.contains(QStringLiteral("velomarq.startup: Velomarq"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("SQLite ") + QString::fromLatin1(DB_LibraryVersion())));
        EXPECT_TRUE(
            text.contains(QStringLiteral("velomarq.store: ERROR: Database file: bicycle.db not exists. "
                                         "(SQLite 0: not an error; system 2: No such file or directory)")))
            << text.toStdString();

        const QString line(1000, u'x');
        for (int i = 0; i * 1000 < kLogFileLimit; ++i) {
            qCInfo(lcImport).noquote() << line;
        }
        qCInfo(lcImport) << "after the turn";
    }
    // The full log went aside whole; the new one goes on.
    EXPECT_GT(QFileInfo(dir.FilePath(QStringLiteral("velomarq.log.1"))).size(), kLogFileLimit);
    EXPECT_TRUE(dir.ReadFile(QStringLiteral("velomarq.log")).contains("after the turn"));
}

TEST(Log, ALinkInTheLogsPlaceIsNotWrittenThrough) {
    ProgramDirectory dir;
    ASSERT_TRUE(dir.WriteFile(QStringLiteral("elsewhere.txt"), "the rider's own file"));
    ASSERT_TRUE(QFile::link(dir.FilePath(QStringLiteral("elsewhere.txt")),
                            dir.FilePath(QStringLiteral("velomarq.log"))));
    EXPECT_FALSE(StartLog(dir.Path()));
    qCWarning(lcStore) << "not for that file";
    StopLog();
    EXPECT_EQ(dir.ReadFile(QStringLiteral("elsewhere.txt")), QByteArray("the rider's own file"));
}

}  // namespace
