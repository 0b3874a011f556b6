// A restore or initialize cut short: a real child process (this executable,
// started again on one test) runs the operation and ends at once, as a kill
// would end it, after a chosen step; the next start's recovery must then
// leave the log wholly the old one or wholly the new one, database and memo
// folders together.

#include "options/DatabaseCare.h"
#include "platform/Files.h"
#include "store/store.h"
#include "support/ProgramDirectory.h"
#include "support/QStringPrinter.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <map>
#include <vector>

namespace {

const char* const kChildDirectory = "VELOMARQ_TEST_CARE_DIRECTORY";
const char* const kChildStopAfter = "VELOMARQ_TEST_CARE_STOP_AFTER";
const char* const kChildOperation = "VELOMARQ_TEST_CARE_OPERATION";
constexpr int kStoppedExitCode = 77;

// What the rider would see of a log: the database's bytes and bicycles, the
// memo files, and every name in the program directory.
struct Log {
    QByteArray database;
    QString weights;
    std::map<QString, QByteArray> memos;
    QStringList names;
    bool operator==(const Log&) const = default;
};

QString Weights(const QString& database) {
    sqlite3* connection = nullptr;
    QString weights = QStringLiteral("unreadable");
    if (sqlite3_open_v2(QFile::encodeName(database).constData(), &connection, SQLITE_OPEN_READONLY,
                        nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(connection,
                               "select group_concat(Weight) from (select Weight from Bicycle order by 1)"
                               " where (select count(*) from ApplicationConfig)=1",
                               -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            weights = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close_v2(connection);
    return weights;
}

Log ReadLog(const QString& directory) {
    const QDir dir(directory);
    Log log;
    QFile database(dir.filePath(QStringLiteral("bicycle.db")));
    if (database.open(QIODevice::ReadOnly)) {
        log.database = database.readAll();
    }
    log.weights = Weights(database.fileName());
    for (const QString& folder : {QStringLiteral("Rides"), QStringLiteral("Maintenance")}) {
        QDirIterator it(dir.filePath(folder), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            log.memos[dir.relativeFilePath(path)] = file.readAll();
        }
    }
    log.names =
        dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    return log;
}

// The child: runs the operation in the directory it is given as the running
// program would, and ends without any clean-up after the chosen step.
TEST(InterruptedCareChild, RunsTheOperationUntilTheChosenStep) {
    const QString directory = qEnvironmentVariable(kChildDirectory);
    if (directory.isEmpty()) {
        GTEST_SKIP() << "started by InterruptedCareTest only";
    }
    ASSERT_TRUE(QDir::setCurrent(directory));
    const int stopAfter = qEnvironmentVariableIntValue(kChildStopAfter);
    int steps = 0;
    SetCareStepHookForTesting([&] {
        if (++steps == stopAfter) {
            _exit(kStoppedExitCode);
        }
    });
    ASSERT_EQ(DB_OpenDatabase(), store::kOk);
    if (qEnvironmentVariable(kChildOperation) == QLatin1String("restore")) {
        EXPECT_EQ(RestoreData(directory, QDir(directory).filePath(QStringLiteral("backup"))),
                  RestoreOutcome::Done);
    } else {
        EXPECT_EQ(InitializeData(directory), InitializeOutcome::Done);
    }
    SetCareStepHookForTesting({});
    DB_CloseDatabase();
}

class InterruptedCareTest : public ProgramDirectoryTest {
protected:
    // template/: a live log (bicycles weighing 1 and 2, memos of its own) and
    // in template/backup/ an earlier backup (one bicycle weighing 7).
    void SetUp() override {
        const QString log = m_programDir.FilePath(QStringLiteral("template"));
        ASSERT_TRUE(QDir().mkpath(log));
        ASSERT_TRUE(QDir::setCurrent(log));
        ASSERT_EQ(DB_CreateDatabase(), store::kOk);
        ASSERT_EQ(DB_OpenDatabase(), store::kOk);
        ASSERT_EQ(DB_ExecSql(DB_GetConnection(), "insert into Bicycle(Weight) values (7)"), store::kOk);
        ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("template/Rides/1/data.htm"), "backup ride"));
        ASSERT_TRUE(
            m_programDir.WriteFile(QStringLiteral("template/Maintenance/2/data.htm"), "backup entry"));
        ASSERT_TRUE(QDir().mkdir(QStringLiteral("backup")));
        ASSERT_EQ(DB_BackupDatabase("backup/bicycle.db"), store::kOk);
        for (const QString& folder : {QStringLiteral("Rides"), QStringLiteral("Maintenance")}) {
            ASSERT_TRUE(CopyFolder(folder, QStringLiteral("backup/") + folder));
        }
        ASSERT_EQ(DB_ExecSql(DB_GetConnection(),
                             "delete from Bicycle; insert into Bicycle(Weight) values (1), (2)"),
                  store::kOk);
        ASSERT_TRUE(DeleteFolder(QStringLiteral("Maintenance/2")));
        ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("template/Rides/1/data.htm"), "live ride"));
        ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("template/Rides/5/data.htm"), "live only"));
        ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("template/Maintenance/3/data.htm"), "live entry"));
        DB_CloseDatabase();
        ASSERT_TRUE(QDir::setCurrent(m_programDir.Path()));
    }

    // Runs the operation in a child on run, ended after stopAfter steps;
    // true when it ran to its end instead.
    static bool RunChild(const QString& run, const char* operation, int stopAfter) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QLatin1String(kChildDirectory), run);
        environment.insert(QLatin1String(kChildStopAfter), QString::number(stopAfter));
        environment.insert(QLatin1String(kChildOperation), QLatin1String(operation));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=InterruptedCareChild.*")});
        EXPECT_TRUE(child.waitForFinished(60000));
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_TRUE(child.exitCode() == 0 || child.exitCode() == kStoppedExitCode)
            << child.readAll().toStdString();
        return child.exitCode() == 0;
    }

    // A fresh copy of the template, named for the run.
    QString Run(const QString& name) const {
        const QString run = m_programDir.FilePath(name);
        EXPECT_TRUE(CopyFolder(m_programDir.FilePath(QStringLiteral("template")), run));
        return run;
    }
};

TEST_F(InterruptedCareTest, AnOperationKilledAfterAnyStepIsFinishedOrUndoneWholeAtTheNextStart) {
    for (const char* operation : {"restore", "initialize"}) {
        SCOPED_TRACE(operation);
        const Log old = ReadLog(m_programDir.FilePath(QStringLiteral("template")));
        Log done;
        bool finished = false;
        QStringList outcomes;
        std::vector<Log> news;
        for (int stopAfter = 1; !finished && stopAfter < 40; ++stopAfter) {
            SCOPED_TRACE(stopAfter);
            const QString run = Run(QStringLiteral("%1-%2").arg(QLatin1String(operation)).arg(stopAfter));
            finished = RunChild(run, operation, stopAfter);

            // The next start: it makes missing memo folders before anything
            // else, then recovers; twice over, the second finds nothing to do.
            QDir(run).mkdir(QStringLiteral("Rides"));
            QDir(run).mkdir(QStringLiteral("Maintenance"));
            ASSERT_TRUE(FinishInterruptedCare(run));
            ASSERT_TRUE(FinishInterruptedCare(run));
            const Log now = ReadLog(run);
            if (now == old) {
                outcomes << QStringLiteral("old");
                continue;
            }
            outcomes << QStringLiteral("new");
            // A new database's bytes depend on whether the program opened it
            // since (it adds its indexes then); its contents do not.
            Log contents = now;
            contents.database.clear();
            (finished ? done : news.emplace_back()) = contents;
        }
        ASSERT_TRUE(finished);
        // Every new log seen is the one a completed run leaves.
        for (const Log& seen : news) {
            EXPECT_EQ(seen, done);
        }
        // Undone up to the step that decides, finished from there on.
        const qsizetype firstNew = outcomes.indexOf(QStringLiteral("new"));
        ASSERT_GT(firstNew, 0) << outcomes.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(outcomes.mid(firstNew).count(QStringLiteral("old")), 0)
            << outcomes.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(done.names, (QStringList{QStringLiteral("Maintenance"), QStringLiteral("Rides"),
                                           QStringLiteral("backup"), QStringLiteral("bicycle.db")}));
        if (QLatin1String(operation) == QLatin1String("restore")) {
            EXPECT_EQ(done.weights, QStringLiteral("7.0"));
            EXPECT_EQ(done.memos, (std::map<QString, QByteArray>{
                                      {QStringLiteral("Rides/1/data.htm"), "backup ride"},
                                      {QStringLiteral("Maintenance/2/data.htm"), "backup entry"}}));
        } else {
            EXPECT_EQ(done.weights, QString());
            EXPECT_TRUE(done.memos.empty());
        }
    }
}

// While another program holds the log for a change it is making, a start
// leaves that change alone; once it is gone, the start mends the log.
TEST_F(InterruptedCareTest, TheRecoveryLeavesAChangeAnotherProcessIsMakingAlone) {
    const QString run = Run(QStringLiteral("run"));
    const Log old = ReadLog(run);
    ASSERT_FALSE(RunChild(run, "restore", 7));
    const Log halfDone = ReadLog(run);
    ASSERT_NE(halfDone, old);
    {
        const int held = ::open(QFile::encodeName(run).constData(), O_RDONLY | O_DIRECTORY);
        ASSERT_EQ(::flock(held, LOCK_EX), 0);
        EXPECT_TRUE(FinishInterruptedCare(run));
        EXPECT_EQ(ReadLog(run), halfDone);
        ::close(held);
    }
    EXPECT_TRUE(FinishInterruptedCare(run));
    EXPECT_EQ(ReadLog(run), old);
}

// A memo folder that cannot take its name (something else took it meanwhile)
// fails the restore, and the old log is put back whole.
TEST_F(InterruptedCareTest, AMemoFolderThatCannotBeMovedIntoPlaceFailsTheRestoreAndKeepsTheOldLog) {
    const QString run = Run(QStringLiteral("run"));
    const Log old = ReadLog(run);
    ASSERT_TRUE(QDir::setCurrent(run));
    ASSERT_EQ(DB_OpenDatabase(), store::kOk);
    bool blocked = false;
    SetCareStepHookForTesting([&] {
        const QDir dir(run);
        if (!blocked && dir.exists(QStringLiteral("Rides.outgoing")) &&
            !dir.exists(QStringLiteral("Rides"))) {
            QFile obstacle(dir.filePath(QStringLiteral("Rides")));
            blocked = obstacle.open(QIODevice::WriteOnly);
        }
    });
    EXPECT_EQ(RestoreData(run, QDir(run).filePath(QStringLiteral("backup"))), RestoreOutcome::MoveFailed);
    SetCareStepHookForTesting({});
    EXPECT_TRUE(blocked);
    EXPECT_EQ(ReadLog(run), old);
    ASSERT_TRUE(QDir::setCurrent(m_programDir.Path()));
}

}  // namespace
