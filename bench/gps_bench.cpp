// Importing a season of GPS files at once: 500 GPX files of one hour each,
// one point a second, dropped on the rides page for one bicycle. Each ride
// is read, worked out, drawn, written to its memo folder and stored with it.
//
// Targets: the whole import within 10 s on this machine; afterwards the page
// lists the 500 rides and reloads and sorts them within 100 ms.
//
//   build/gps_bench        exits 1 when a target is missed
//   build/gps_bench N      imports N files instead (for profiling; the
//                          import target scales with N)

#include "BenchLog.h"
#include "language/Language.h"
#include "platform/Dialogs.h"
#include "rides/RideDlg.h"
#include "store/store.h"
#include "units/TextBlock.h"
#include "units/Units.h"
#include "widgets/LinkLabel.h"
#include "widgets/RecordTableView.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <random>

namespace {

constexpr int kDefaultFiles = 500;
constexpr int kSecondsPerRide = 3600;
constexpr double kImportTargetMsPerFile = 20.0;  // 10 s for 500 files
constexpr double kPageTargetMs = 100.0;
constexpr int64_t kFirstStart = 1704096000;  // 2024-01-01 08:00:00 UTC

using benchlog::Milliseconds;

// Answers every question with OK and keeps the texts, so that the import's
// closing summary does not wait for a click.
class AnsweringDialogs final : public Dialogs {
public:
    int MessageBox(QWidget*, const QString& text, const QString&, MessageIcon, int, int) override {
        messages << text;
        return kButtonOk;
    }
    QString GetSaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString GetOpenFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString BrowseForFolder(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<QColor> ChooseColour(QWidget*, const QColor&) override { return std::nullopt; }
    QStringList messages;
};

// An hour of riding as a device records it: a point a second, wandering
// headings, speeds between 15 and 40 km/h with stops at lights, heights.
QByteArray RideFile(int index, std::mt19937& random) {
    std::uniform_real_distribution<double> turn(-0.08, 0.08);
    std::uniform_real_distribution<double> noise(-0.4, 0.4);
    double latitude = 47.0 + index * 0.001;
    double longitude = 8.0 + index * 0.001;
    double heading = index * 0.7;
    double height = 400.0;
    const int64_t start = kFirstStart + int64_t{index} * 86400;
    QByteArray text;
    text.reserve(kSecondsPerRide * 110 + 400);
    text +=
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"bench\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
        "  <trk>\n    <name>Ride ";
    text += QByteArray::number(index + 1);
    text += "</name>\n    <trkseg>\n";
    char line[160];
    for (int second = 0; second <= kSecondsPerRide; ++second) {
        const bool stopped = second % 600 > 570;
        const double speed = stopped ? 0.0 : 4.0 + 7.0 * (0.5 + 0.5 * std::sin(second / 300.0 + index));
        heading += turn(random);
        latitude += speed * std::cos(heading) / 111195.0;
        longitude += speed * std::sin(heading) / (111195.0 * std::cos(latitude * M_PI / 180.0));
        height += std::sin(second / 200.0) * 0.3 + noise(random) * 0.2;
        const std::time_t time = static_cast<std::time_t>(start + second);
        std::tm utc{};
        gmtime_r(&time, &utc);
        const int length =
            std::snprintf(line, sizeof line,
                          "      <trkpt lat=\"%.7f\" "
                          "lon=\"%.7f\"><ele>%.1f</ele><time>%04d-%02d-%02dT%02d:%02d:%02dZ</time></trkpt>\n",
                          latitude, longitude, height, utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                          utc.tm_hour, utc.tm_min, utc.tm_sec);
        text.append(line, length);
    }
    text += "    </trkseg>\n  </trk>\n</gpx>\n";
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const int kFiles = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultFiles;
    const double kImportTargetMs = kImportTargetMsPerFile * kFiles;
    QTemporaryDir directory;
    if (!directory.isValid() || !QDir::setCurrent(directory.path())) {
        std::fprintf(stderr, "no temporary directory\n");
        return 2;
    }
    SetProgramDirectory(directory.path());
    if (LoadLanguageFile(QStringLiteral(VELOMARQ_SOURCE_DIR "/languages/vmq_00.ini")) != 0) {
        std::fprintf(stderr, "cannot load the English texts\n");
        return 2;
    }
    if (DB_CreateDatabase() != 0 || DB_OpenDatabase() != 0) {
        std::fprintf(stderr, "%s\n", DB_GetLastError());
        return 2;
    }
    BicycleAttribute bicycle;
    bicycle.BicycleName = ToTextBlock(QStringLiteral("Gravel bike"));
    if (DB_InsertBicycle(&bicycle) != 0 || !QDir().mkpath(QStringLiteral("Rides")) ||
        !QDir().mkpath(QStringLiteral("gps"))) {
        std::fprintf(stderr, "cannot set up the log\n");
        return 2;
    }

    QStringList files;
    qint64 bytes = 0;
    const double written = Milliseconds([&] {
        std::mt19937 random(20240501);
        for (int i = 0; i < kFiles; ++i) {
            const QString path =
                directory.filePath(QStringLiteral("gps/ride-%1.gpx").arg(i + 1, 3, 10, QLatin1Char('0')));
            const QByteArray content = RideFile(i, random);
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                std::exit(2);
            }
            bytes += content.size();
            files << path;
        }
    });
    std::printf("%d GPX files of %d points (%.0f MB) written in %.0f ms\n", kFiles, kSecondsPerRide + 1,
                bytes / 1e6, written);

    AnsweringDialogs dialogs;
    SetAppDialogs(&dialogs);
    LinkLabel statusLine;
    RideDlg page(statusLine, nullptr);
    page.resize(1000, 700);
    page.show();
    page.findChild<QDateEdit*>(QStringLiteral("startDate"))->setDate(QDate(2020, 1, 1));
    page.findChild<QComboBox*>(QStringLiteral("bicycleFilter"))->setCurrentIndex(1);
    app.processEvents();

    // The files come in as a drop does it.
    const double imported = Milliseconds([&] { page.ImportFiles(files); });
    bool met = imported <= kImportTargetMs;
    std::printf("import of %d GPX files, one hour at a point a second each: %.1f ms (target %.0f ms)%s\n",
                kFiles, imported, kImportTargetMs, met ? "" : "  <-- above target");
    const QString expected = QStringLiteral("%1 ride(s) imported.").arg(kFiles);
    if (dialogs.messages != QStringList{expected} || page.Rides().rowCount() != kFiles) {
        std::fprintf(stderr, "the import ended with %lld rides listed and the message \"%s\"\n",
                     static_cast<long long>(page.Rides().rowCount()),
                     qPrintable(dialogs.messages.join(u'|')));
        return 2;
    }

    // Afterwards the page is as quick as ever.
    const double reload = Milliseconds([&] { page.Reload(); });
    const double sort = Milliseconds([&] { Q_EMIT page.Table()->ArrowHeader()->sectionClicked(2); });
    const bool quick = reload <= kPageTargetMs && sort <= kPageTargetMs;
    std::printf("rides page afterwards: reload %.1f ms, sort %.1f ms (target %.0f ms)%s\n", reload, sort,
                kPageTargetMs, quick ? "" : "  <-- above target");
    met &= quick;

    SetAppDialogs(nullptr);
    DB_CloseDatabase();
    FreeLanguageTable();
    std::printf("targets %s\n", met ? "met" : "missed");
    return met ? 0 : 1;
}
