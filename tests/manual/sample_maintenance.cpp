// Fills a program directory with sample bicycles and maintenance entries, for
// looking at the maintenance page by hand:
//   scripts/layout-program-dir.sh . /tmp/vm && build/sample_maintenance /tmp/vm 36
//   cd /tmp/vm && /work/shared/tools/shot.sh /tmp/maintenance.png 4 -- <source>/build/velomarq
// The directory must not hold a bicycle.db yet.
#include "memo/MemoDocument.h"
#include "store/store.h"
#include "units/Clock.h"
#include "units/RecordFolders.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: sample_maintenance PROGRAM_DIR [ENTRIES]\n");
        return 2;
    }
    const QString directory = QString::fromLocal8Bit(argv[1]);
    const int entryCount = argc > 2 ? std::max(1, std::atoi(argv[2])) : 36;
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
    struct Work {
        const char* memo;
        double cost;
    };
    const Work works[] = {
        {"New chain (KMC X11) and cassette 11-32.", 84.90},
        {"Brake pads front and rear, rotors trued.", 32.50},
        {"Tubeless sealant topped up.", 9.95},
        {"", 0.0},
        {"Annual service at the shop: bearings, cables, housings,\r\nbar tape. Headset was loose.", 149.00},
        {"Puncture on the way home, new inner tube.", 6.40},
        {"Chain waxed.", 0.0},
        {"New tyres: Schwalbe Marathon 37-622, both wheels.", 71.80},
    };
    const LocalDateTime now = ToLocalDateTime(CurrentTime());
    const int64_t yearStart = FromLocalDateTime(now.year, 1, 1, 9);
    const int64_t span = std::max<int64_t>(CurrentTime() - yearStart, 86400);
    for (int i = 0; i < entryCount; ++i) {
        const Work& work = works[i % 8];
        MaintenanceRecord entry;
        entry.Date = static_cast<int32_t>(yearStart + span * i / entryCount + (i * 7919) % 36000);
        entry.BicycleNumber = 1 + (i * 3) % 4;
        entry.Cost = work.cost + (work.cost > 0 ? (i % 5) * 1.25 : 0.0);
        const QString memo = QString::fromUtf8(work.memo);
        if (!memo.isEmpty()) {
            entry.Memo = ToTextBlock(memo);
        }
        DB_InsertMaintenanceRecord(&entry);
        if (!memo.isEmpty()) {
            const QString folder = RecordMemoFolder(RecordKind::Maintenance, i + 1);
            QDir().mkpath(folder);
            (void)StartMemoFromPlainText(folder, memo);
        }
    }
    DB_CloseDatabase();
    std::printf("%d bicycles and %d maintenance entries in %s\n", 4, entryCount, argv[1]);
    return 0;
}
