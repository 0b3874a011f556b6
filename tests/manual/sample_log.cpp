// Fills a program directory with sample bicycles, rides and maintenance
// entries, for looking at the rides and maintenance pages by hand:
//   scripts/layout-program-dir.sh . /tmp/vq && build/sample_log /tmp/vq 40 36
//   cd /tmp/vq && /work/shared/tools/shot.sh /tmp/rides.png 4 -- <source>/build/velomarq
// The directory must not hold a bicycle.db yet. A few dozen records fill this
// year; a long log of rides reaches back over the years before.
#include "memo/MemoDocument.h"
#include "store/store.h"
#include "units/Clock.h"
#include "units/DayRange.h"
#include "units/RecordFolders.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kBicycles = 4;

// Record i of count: its date, spread from the start of the first year to
// now, at another time of day each; its bicycle, each in turn.
struct Spread {
    int64_t start;
    int64_t span;

    explicit Spread(int years, int hour) {
        const LocalDateTime now = ToLocalDateTime(CurrentTime());
        start = FromLocalDateTime(now.year - years + 1, 1, 1, hour);
        span = std::max<int64_t>(CurrentTime() - start, 86400);
    }
    int32_t Date(int i, int count) const {
        return static_cast<int32_t>(start + span * i / count + (i * 7919) % 36000);
    }
    static int Bicycle(int i) { return 1 + (i * 3) % kBicycles; }
};

// The memo of record number under its kind's folder, as the editor starts it
// from a stored plain text.
template <typename Record>
void GiveMemo(Record& record, const QString& memo, int number, bool withDocument) {
    if (memo.isEmpty()) {
        return;
    }
    record.Memo = ToTextBlock(memo);
    if (withDocument) {
        const QString folder = RecordMemoFolder(RecordKindOf<Record>::value, number);
        QDir().mkpath(folder);
        (void)StartMemoFromPlainText(folder, memo);
    }
}

void AddRides(int count) {
    const char* memos[] = {
        "",
        "Lake loop with a tail wind on the way back.",
        "Hill repeats on the pass road, 6 times. Legs heavy after the fourth.",
        "Commute",
        "Group ride, coffee stop in the old town. Rain in the last hour.\r\nNew chain works fine.",
    };
    const Spread spread(std::max(1, count / 5000), 7);
    for (int i = 0; i < count; ++i) {
        RideRecord ride;
        ride.Date = spread.Date(i, count);
        ride.BicycleNumber = Spread::Bicycle(i);
        ride.Distance = 12.0 + (i * 37) % 95 + (i % 7) * 0.37;
        const int seconds = static_cast<int>(ride.Distance / (20.0 + i % 9) * 3600);
        ride.Hours = seconds / 3600;
        ride.Minutes = seconds / 60 % 60;
        ride.Seconds = seconds % 60;
        ride.MaxSpeed = 38.0 + (i * 13) % 25 + 0.5;
        // Documents for the first rides only; the others start theirs from the
        // stored text when they are opened, which keeps a long log quick to make.
        GiveMemo(ride, QString::fromUtf8(memos[i % 5]), i + 1, i < 200);
        DB_InsertRideRecord(&ride);
    }
}

void AddMaintenance(int count) {
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
    const Spread spread(1, 9);
    for (int i = 0; i < count; ++i) {
        const Work& work = works[i % 8];
        MaintenanceRecord entry;
        entry.Date = spread.Date(i, count);
        entry.BicycleNumber = Spread::Bicycle(i);
        entry.Cost = work.cost + (work.cost > 0 ? (i % 5) * 1.25 : 0.0);
        GiveMemo(entry, QString::fromUtf8(work.memo), i + 1, true);
        DB_InsertMaintenanceRecord(&entry);
    }
}

// Parts and service tasks on the first two bicycles, some of them due.
void AddService() {
    const LocalDateTime now = ToLocalDateTime(CurrentTime());
    const auto daysAgo = [&now](int days) {
        return static_cast<int32_t>(LocalDayStart(now.year, now.month, now.day) - int64_t{days} * 86400);
    };
    const auto part = [](const char* name, int kind, int bicycle, int32_t fitted, double priorKm,
                         double cost) {
        Part record;
        record.Name = name;
        record.Kind = kind;
        record.PriorDistance = priorKm;
        record.Cost = cost;
        DB_InsertPart(&record, bicycle, fitted);
        return record.PartNumber;
    };
    const auto task = [](int bicycle, int partNumber, const char* name, TaskKind kind, double km,
                         double hours, int days, int32_t lastDone) {
        ServiceTask record;
        record.BicycleNumber = bicycle;
        record.PartNumber = partNumber;
        record.Name = name;
        record.Kind = kind;
        record.IntervalDistance = km;
        record.IntervalHours = hours;
        record.IntervalDays = days;
        record.LastDone = lastDone;
        DB_InsertServiceTask(&record);
    };
    const int chain = part("KMC X11 chain", 0, 1, daysAgo(400), 0.0, 34.90);
    part("Shimano 11-32 cassette", 1, 1, daysAgo(400), 0.0, 59.00);
    const int pads = part("Brake pads front", 5, 1, daysAgo(200), 1500.0, 18.50);
    part("Marathon 37-622 front", 3, 1, daysAgo(300), 0.0, 35.90);
    const int wheels = part("DT Swiss wheelset", 6, 2, daysAgo(380), 0.0, 420.00);
    DB_MovePart(wheels, 1, daysAgo(250));
    DB_MovePart(wheels, 2, daysAgo(120));
    part("Continental GP5000 rear", 4, 2, daysAgo(90), 0.0, 54.00);
    task(1, chain, "Lube chain", TaskKind::Every, 300.0, 0, 0, daysAgo(60));
    task(1, chain, "Check chain wear", TaskKind::Every, 1000.0, 0, 0, daysAgo(150));
    task(1, pads, "Replace brake pads", TaskKind::At, 2000.0, 0, 0, daysAgo(200));
    task(1, 0, "Full service", TaskKind::Every, 0, 0, 365, daysAgo(320));
    task(2, 0, "Check tyre pressure", TaskKind::Every, 0, 0, 7, daysAgo(3));
    task(2, 0, "Bleed brakes", TaskKind::Every, 0, 0, 365, daysAgo(100));
    task(2, 0, "Full service", TaskKind::Every, 0, 50.0, 365, daysAgo(200));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: sample_log PROGRAM_DIR [RIDES] [MAINTENANCE_ENTRIES]\n");
        return 2;
    }
    const QString directory = QString::fromLocal8Bit(argv[1]);
    const int rideCount = argc > 2 ? std::max(0, std::atoi(argv[2])) : 40;
    const int entryCount = argc > 3 ? std::max(0, std::atoi(argv[3])) : 36;
    if (!QDir::setCurrent(directory)) {
        std::fprintf(stderr, "cannot enter %s\n", argv[1]);
        return 2;
    }
    SetProgramDirectory(QDir::currentPath());
    if (DB_CreateDatabase() != 0 || DB_OpenDatabase() != 0) {
        std::fprintf(stderr, "%s\n", DB_GetLastError());
        return 1;
    }
    const char* names[kBicycles] = {"Trek 520", "Canyon Endurace", "Fuji <Track>", "Brompton, \"folder\""};
    // One transaction for the whole log: a write to disk per record would take minutes.
    DB_ExecSql(DB_GetConnection(), "begin");
    for (const char* name : names) {
        BicycleAttribute bicycle;
        bicycle.BicycleName = ToTextBlock(QString::fromUtf8(name));
        DB_InsertBicycle(&bicycle);
    }
    AddRides(rideCount);
    AddMaintenance(entryCount);
    AddService();
    DB_ExecSql(DB_GetConnection(), "commit");
    DB_CloseDatabase();
    std::printf("%d bicycles, %d rides and %d maintenance entries in %s\n", kBicycles, rideCount, entryCount,
                argv[1]);
    return 0;
}
