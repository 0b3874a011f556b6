// Running another program: its input, its output, a program that cannot be
// started and one that does not end in time.

#include "platform/ExternalProgram.h"
#include "support/ProgramDirectory.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <cerrno>

namespace {

TEST(ExternalProgram, GetsItsInputAndGivesItsOutputAndExitCode) {
    ProgramDirectory dir;
    ASSERT_TRUE(dir.WriteFile(QStringLiteral("in 100%d.txt"), "picture bytes\n"));
    const QString cat = QStandardPaths::findExecutable(QStringLiteral("cat"));
    const QString sh = QStandardPaths::findExecutable(QStringLiteral("sh"));
    struct Case {
        ExternalProgram program;
        QByteArray output;
        int exitCode;
    };
    const Case cases[] = {
        {{cat, {}, {}, true}, "", 0},  // standard input is empty, never the terminal's
        {{cat, {}, dir.FilePath(QStringLiteral("in 100%d.txt")), true}, "picture bytes\n", 0},
        {{sh,
          {QStringLiteral("-c"), QStringLiteral("echo \"$1\"; exit 3"), QStringLiteral("sh"),
           QStringLiteral("$(rm -rf x); `x`")},
          {},
          true},
         "$(rm -rf x); `x`\n",
         3},
        {{sh, {QStringLiteral("-c"), QStringLiteral("echo thrown away")}, {}, false}, "", 0},
    };
    for (const Case& c : cases) {
        const ProgramRun run = RunProgram(c.program, 10000);
        EXPECT_EQ(run.end, ProgramEnd::Finished) << c.output.constData();
        EXPECT_EQ(run.output, c.output);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.Succeeded(), c.exitCode == 0);
    }
}

TEST(ExternalProgram, OneThatCannotStartOrRunsTooLongIsToldApart) {
    const ProgramRun missing = RunProgram({QStringLiteral("/no/such/program"), {}, {}, true}, 1000);
    EXPECT_EQ(missing.end, ProgramEnd::NotStarted);
    EXPECT_EQ(missing.systemError, ENOENT);
    EXPECT_FALSE(missing.Succeeded());

    QElapsedTimer clock;
    clock.start();
    const ProgramRun stuck = RunProgram(
        {QStandardPaths::findExecutable(QStringLiteral("sleep")), {QStringLiteral("60")}, {}, true}, 200);
    EXPECT_EQ(stuck.end, ProgramEnd::TimedOut);
    EXPECT_LT(clock.elapsed(), 10000);
}

}  // namespace
