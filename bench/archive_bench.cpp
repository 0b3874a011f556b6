// Bringing a Strava bulk export in: an archive of 3,000 activities made here
// (gzipped FIT and GPX files of an hour each at a point a second, as Strava
// keeps them, and the activities.csv that lists them), its preview read, then
// every activity imported into an empty log with its memo, route picture and
// kept file, the way the rides page does it.
//
// Targets on this 2-core machine: the preview within 5 s, the import within
// 60 s, the peak memory of the whole run (VmHWM) within 500 MB; then the same
// FIT files as a Garmin Connect export holds them (a zip within the zip),
// and all the files lying plain in a folder, whose previews read every file,
// within 10 s. A preview's time runs until its window is painted. Printed as
// ratios to the targets (below 1 meets them).
//
//   build/archive_bench [activities]     exits 1 when a target is missed

#include "language/Language.h"
#include "rides/ArchiveImport.h"
#include "rides/ArchiveReader.h"
#include "rides/FitFile.h"
#include "rides/ImportPreviewDlg.h"
#include "store/store.h"
#include "support/ArchiveWriting.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

constexpr int kDefaultActivities = 3000;
constexpr int kSeconds = 3600;
constexpr double kPreviewTarget = 5.0;
constexpr double kReadPreviewTarget = 10.0;  // files whose sessions must be read
constexpr double kImportTarget = 60.0;
constexpr double kMemoryTargetMb = 500.0;
constexpr int64_t kFirstStart = 1546329600;  // 2019-01-01 08:00 UTC
constexpr uint32_t kFitEpoch = 631065600;

// One hour from somewhere near Berlin, wandering at 7 m/s with a climb.
struct Fix {
    double latitude;
    double longitude;
    double elevation;
};
Fix Position(int activity, int second) {
    const double heading = (activity % 360) * M_PI / 180.0 + std::sin(second / 300.0) * 0.6;
    const double metres = 7.0 * second;
    return {52.4 + std::cos(heading) * metres / 111000.0 + (activity % 17) * 0.01,
            13.3 + std::sin(heading) * metres / 68000.0 + (activity % 13) * 0.01,
            40.0 + 30.0 * std::sin(second / 600.0)};
}

QByteArray GpxActivity(int activity, int64_t start) {
    QByteArray gpx;
    gpx.reserve(kSeconds * 130);
    gpx +=
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"bench\" "
        "xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><name>Ride</name><trkseg>\n";
    for (int s = 0; s < kSeconds; ++s) {
        const Fix fix = Position(activity, s);
        gpx += "<trkpt lat=\"" + QByteArray::number(fix.latitude, 'f', 7) + "\" lon=\"" +
               QByteArray::number(fix.longitude, 'f', 7) + "\"><ele>" +
               QByteArray::number(fix.elevation, 'f', 1) + "</ele><time>" +
               QDateTime::fromSecsSinceEpoch(start + s, QTimeZone::utc()).toString(Qt::ISODate).toLatin1() +
               "</time></trkpt>\n";
    }
    gpx += "</trkseg></trk></gpx>\n";
    return gpx;
}

void Put(QByteArray& to, uint64_t value, int size) {
    for (int i = 0; i < size; ++i) {
        to += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// Records of time, position, altitude and distance, as a bicycle computer writes them.
QByteArray FitActivity(int activity, int64_t start) {
    QByteArray data;
    data += '\x40';  // definition, local 0
    data += '\0';
    data += '\0';  // little-endian
    Put(data, 20, 2);
    data += '\x05';
    const uint8_t fields[][3] = {{253, 4, 0x86}, {0, 4, 0x85}, {1, 4, 0x85}, {2, 2, 0x84}, {5, 4, 0x86}};
    for (const auto& field : fields) {
        data += static_cast<char>(field[0]);
        data += static_cast<char>(field[1]);
        data += static_cast<char>(field[2]);
    }
    for (int s = 0; s < kSeconds; ++s) {
        const Fix fix = Position(activity, s);
        data += '\0';
        Put(data, static_cast<uint32_t>(start + s - kFitEpoch), 4);
        Put(data,
            static_cast<uint32_t>(static_cast<int32_t>(std::lround(fix.latitude / 180.0 * 2147483648.0))), 4);
        Put(data,
            static_cast<uint32_t>(static_cast<int32_t>(std::lround(fix.longitude / 180.0 * 2147483648.0))),
            4);
        Put(data, static_cast<uint16_t>(std::lround((fix.elevation + 500.0) * 5.0)), 2);
        Put(data, static_cast<uint32_t>(std::lround(7.0 * s * 100.0)), 4);
    }
    QByteArray file;
    file += '\x0e';
    file += '\x10';
    Put(file, 2100, 2);
    Put(file, static_cast<uint32_t>(data.size()), 4);
    file += ".FIT";
    Put(file, FitCrc(reinterpret_cast<const uint8_t*>(file.constData()), 12, 0), 2);
    file += data;
    Put(file, FitCrc(reinterpret_cast<const uint8_t*>(file.constData()), static_cast<size_t>(file.size()), 0),
        2);
    return file;
}

// The export as Strava lays it out; entries already gzipped are stored as they are.
bool MakeExport(const QString& path, int activities) {
    ZipWriter zip(path, true);
    QByteArray csv =
        "Activity ID,Activity Date,Activity Name,Activity Type,Activity Description,Elapsed Time,Distance,"
        "Max Heart Rate,Relative Effort,Commute,Activity Private Note,Activity Gear,Filename,Athlete Weight,"
        "Bike Weight,Elapsed Time,Moving Time,Distance,Max Speed,Average Speed,Elevation Gain,Elevation "
        "Loss\n";
    bool ok = true;
    for (int i = 0; i < activities && ok; ++i) {
        const int64_t start = kFirstStart + int64_t{i} * 86400 / 2;
        const bool fit = i % 2 == 0;
        const QByteArray name =
            "activities/" + QByteArray::number(4000000000LL + i) + (fit ? ".fit.gz" : ".gpx.gz");
        const QByteArray date = QLocale::c()
                                    .toString(QDateTime::fromSecsSinceEpoch(start, QTimeZone::utc()),
                                              QStringLiteral("MMM d, yyyy, h:mm:ss AP"))
                                    .toLatin1();
        csv += QByteArray::number(4000000000LL + i) + ",\"" + date + "\",\"Ride " + QByteArray::number(i) +
               "\",Ride,\"Along the river\",3600,25.20,,,false,,\"" + (i % 3 == 0 ? "Gravel" : "Road") +
               "\"," + name + ",,,3600,3600,25200.0,8.1,7.0,120,120\n";
        ok = zip.Add(QString::fromLatin1(name), Gzip(fit ? FitActivity(i, start) : GpxActivity(i, start)));
    }
    return ok && zip.Add(QStringLiteral("activities.csv"), csv) && zip.Close();
}

// The same activities as a Garmin Connect export holds them: the files in a
// zip inside the zip, without a list.
bool MakeNestedExport(const QString& from, const QString& path, const QString& spool) {
    ArchiveWalker walker;
    if (!walker.Open(from)) {
        return false;
    }
    ZipWriter inner(spool);
    bool ok = true;
    QString name;
    qint64 size = 0;
    QByteArray bytes;
    while (ok && walker.Next(&name, &size)) {
        // Garmin keeps the FIT files its devices wrote, not gzipped.
        QByteArray fit;
        if (name.endsWith(QLatin1String(".fit.gz")) &&
            walker.Read(&bytes, qint64{1} << 30) == EntryRead::Done &&
            Gunzip(bytes, &fit, qint64{1} << 30) == EntryRead::Done) {
            ok = inner.Add(QStringLiteral("rider@example.org_") + name.mid(11).chopped(3), fit);
        }
    }
    ok = inner.Close() && ok;
    QFile part(spool);
    if (!ok || !part.open(QIODevice::ReadOnly)) {
        return false;
    }
    ZipWriter outer(path, true);
    ok = outer.Add(QStringLiteral("DI_CONNECT/DI-Connect-Uploaded-Files/UploadedFiles_0-_Part1.zip"),
                   part.readAll()) &&
         outer.Close();
    QFile::remove(spool);
    return ok;
}

// The same activities as plain files in one folder, as a device's or a
// rider's own folder holds them: a batch whose every file must be read.
bool MakePlainFolder(const QString& from, const QString& folder) {
    ArchiveWalker walker;
    if (!walker.Open(from) || !QDir().mkpath(folder)) {
        return false;
    }
    QString name;
    qint64 size = 0;
    QByteArray bytes;
    QByteArray plain;
    bool ok = true;
    while (ok && walker.Next(&name, &size)) {
        if (name.endsWith(QLatin1String(".gz"))) {
            QFile file(QDir(folder).filePath(name.mid(11).chopped(3)));
            ok = walker.Read(&bytes, qint64{1} << 30) == EntryRead::Done &&
                 Gunzip(bytes, &plain, qint64{1} << 30) == EntryRead::Done &&
                 file.open(QIODevice::WriteOnly) && file.write(plain) == plain.size();
        }
    }
    return ok;
}

double PeakMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0.0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
        }
    }
    return 0.0;
}

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The preview window built for the plan and painted, as the rides page
// shows it after reading: the log's rides loaded to tell what is new.
double ShowPreview(ImportPlan& plan) {
    const auto started = std::chrono::steady_clock::now();
    BicycleList bicycles;
    DB_GetBicycleList(&bicycles);
    KnownRides known;
    known.Load();
    ImportPreviewDlg preview(plan, bicycles, std::nullopt, known, nullptr);
    preview.show();
    preview.repaint();
    QCoreApplication::processEvents();
    return Since(started);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int activities = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultActivities;
    QTemporaryDir directory;
    QDir::setCurrent(directory.path());
    SetProgramDirectory(directory.path());
    QDir().mkpath(QStringLiteral("Rides"));
    if (LoadLanguageFile(QStringLiteral(VELOMARQ_SOURCE_DIR "/languages/vmq_00.ini")) != 0 ||
        DB_CreateDatabase() != store::kOk || DB_OpenDatabase() != store::kOk) {
        std::fprintf(stderr, "cannot set up the program directory\n");
        return 2;
    }
    std::printf("making an export of %d activities ...\n", activities);
    std::fflush(stdout);
    const QString zip = directory.filePath(QStringLiteral("export_12345.zip"));
    if (!MakeExport(zip, activities)) {
        std::fprintf(stderr, "cannot write the export\n");
        return 2;
    }
    std::printf("export: %.1f MB\n", static_cast<double>(QFileInfo(zip).size()) / 1048576.0);

    auto started = std::chrono::steady_clock::now();
    QString error;
    std::optional<ImportPlan> plan = ReadImportPlan({zip}, &error);
    if (!plan || static_cast<int>(plan->activities.size()) != activities) {
        std::fprintf(stderr, "the preview failed: %s\n", qPrintable(error));
        return 2;
    }
    const double preview = Since(started) + ShowPreview(*plan);
    std::map<QString, int32_t> bicycles;
    for (const QString& gear : GearNames(*plan)) {
        bicycles[gear] = AddNamedBicycle(gear).value_or(0);
    }
    for (ImportActivity& activity : plan->activities) {
        activity.bicycle = bicycles[activity.gear];
    }
    started = std::chrono::steady_clock::now();
    const std::clock_t cpu = std::clock();
    const ImportSummary summary = ImportPlanned(*plan);
    const double import = Since(started);
    const double importCpu = static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
    const double peak = PeakMegabytes();

    const QString nested = directory.filePath(QStringLiteral("garmin.zip"));
    double readPreview = 0.0;
    QString readLine;
    if (MakeNestedExport(zip, nested, directory.filePath(QStringLiteral("part.zip")))) {
        started = std::chrono::steady_clock::now();
        const std::clock_t readCpu = std::clock();
        std::optional<ImportPlan> garmin = ReadImportPlan({nested}, &error);
        readPreview = Since(started) + (garmin ? ShowPreview(*garmin) : 0.0);
        readLine = QString::asprintf(
            "preview of the FIT files as a Garmin export: %.2f s for %d files (%.2f of the target; "
            "%.1f s of processor time)\n",
            readPreview, garmin ? static_cast<int>(garmin->activities.size()) : 0,
            readPreview / kReadPreviewTarget, static_cast<double>(std::clock() - readCpu) / CLOCKS_PER_SEC);
    }
    const QString folder = directory.filePath(QStringLiteral("plain"));
    double plainPreview = 0.0;
    if (MakePlainFolder(zip, folder)) {
        started = std::chrono::steady_clock::now();
        const std::clock_t plainCpu = std::clock();
        std::optional<ImportPlan> files = ReadImportPlan({folder}, &error);
        plainPreview = Since(started) + (files ? ShowPreview(*files) : 0.0);
        readLine += QString::asprintf(
            "preview of the same files lying plain in a folder: %.2f s for %d files (%.2f of the target; "
            "%.1f s of processor time)\n",
            plainPreview, files ? static_cast<int>(files->activities.size()) : 0,
            plainPreview / kReadPreviewTarget, static_cast<double>(std::clock() - plainCpu) / CLOCKS_PER_SEC);
    }
    std::printf("preview: %.2f s (%.2f of the target)\n", preview, preview / kPreviewTarget);
    std::printf("import:  %.2f s for %d rides (%.2f of the target; %.1f s of processor time)\n", import,
                summary.imported, import / kImportTarget, importCpu);
    std::printf("peak memory: %.0f MB (%.2f of the target)\n", peak, peak / kMemoryTargetMb);
    std::printf("%s", qPrintable(readLine));
    // Other work on the machine slows the import, which keeps both cores busy.
    QFile load(QStringLiteral("/proc/loadavg"));
    if (load.open(QIODevice::ReadOnly)) {
        std::printf("load average meanwhile: %s\n", load.readAll().split(' ').front().constData());
    }
    if (summary.imported != activities) {
        std::fprintf(stderr, "%d of %d imported; first failure: %s\n", summary.imported, activities,
                     summary.failures.isEmpty() ? "-" : qPrintable(summary.failures.front()));
        return 1;
    }
    DB_CloseDatabase();
    return preview <= kPreviewTarget && import <= kImportTarget && peak <= kMemoryTargetMb &&
                   readPreview <= kReadPreviewTarget && plainPreview <= kReadPreviewTarget
               ? 0
               : 1;
}
