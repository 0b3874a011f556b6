// Fills a program directory with sample bicycles and rides, for looking at the
// rides page by hand:
//   scripts/layout-program-dir.sh . /tmp/vq && build/sample_rides /tmp/vq 40
//   cd /tmp/vq && /work/shared/tools/shot.sh /tmp/rides.png 4 -- <source>/build/velomarq
// The directory must not hold a bicycle.db yet.
#include "memo/MemoDocument.h"
#include "store/store.h"
#include "units/Clock.h"
#include "units/RecordFolders.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: sample_rides PROGRAM_DIR [RIDES]\n");
        return 2;
    }
    const QString directory = QString::fromLocal8Bit(argv[1]);
    const int rideCount = argc > 2 ? std::max(1, std::atoi(argv[2])) : 40;
    if (!QDir::setCurrent(directory)) {
        std::fprintf(stderr, "cannot enter %s\n", argv[1]);
        return 2;
    }
    SetProgramDirectory(QDir::currentPath());
    if (DB_CreateDatabase() != 0 || DB_OpenDatabase() != 0) {
        std::fprintf(stderr, "%s\n", DB_GetLastError());
        return 1;
    }
    const char* names[] = {"Trek 520", "Canyon Endurace", "Fuji <Track>", "Brompton, \"folder\""};
    for (const char* name : names) {
        BicycleAttribute bicycle;
        bicycle.BicycleName = ToTextBlock(QString::fromUtf8(name));
        DB_InsertBicycle(&bicycle);
    }
    const char* memos[] = {
        "",
        "Lake loop with a tail wind on the way back.",
        "Hill repeats on the pass road, 6 times. Legs heavy after the fourth.",
        "Commute",
        "Group ride, coffee stop in the old town. Rain in the last hour.\r\nNew chain works fine.",
    };
    const LocalDateTime now = ToLocalDateTime(CurrentTime());
    // A few dozen rides fill this year; a long log reaches back over the years before.
    const int years = std::max(1, rideCount / 5000);
    const int64_t yearStart = FromLocalDateTime(now.year - years + 1, 1, 1, 7);
    const int64_t span = std::max<int64_t>(CurrentTime() - yearStart, 86400);
    // One transaction for the whole log: a write to disk per ride would take minutes.
    DB_ExecSql(DB_GetConnection(), "begin");
    for (int i = 0; i < rideCount; ++i) {
        RideRecord ride;
        ride.Date = static_cast<int32_t>(yearStart + span * i / rideCount + (i * 7919) % 36000);
        ride.BicycleNumber = 1 + (i * 3) % 4;
        ride.Distance = 12.0 + (i * 37) % 95 + (i % 7) * 0.37;
        const int seconds = static_cast<int>(ride.Distance / (20.0 + i % 9) * 3600);
        ride.Hours = seconds / 3600;
        ride.Minutes = seconds / 60 % 60;
        ride.Seconds = seconds % 60;
        ride.MaxSpeed = 38.0 + (i * 13) % 25 + 0.5;
        const QString memo = QString::fromUtf8(memos[i % 5]);
        if (!memo.isEmpty()) {
            ride.Memo = ToTextBlock(memo);
        }
        DB_InsertRideRecord(&ride);
        // Documents for the first rides only; the others start theirs from the
        // stored text when they are opened, which keeps a long log quick to make.
        if (!memo.isEmpty() && i < 200) {
            const QString folder = RecordMemoFolder(RecordKind::Ride, i + 1);
            QDir().mkpath(folder);
            (void)StartMemoFromPlainText(folder, memo);
        }
    }
    DB_ExecSql(DB_GetConnection(), "commit");
    DB_CloseDatabase();
    std::printf("%d bicycles and %d rides in %s\n", 4, rideCount, argv[1]);
    return 0;
}
