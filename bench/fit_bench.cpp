// Reading FIT files: every FIT file of the test data read and worked out by
// the program, beside gpsbabel converting the same files
// (gpsbabel -i garmin_fit -f FILE -o unicsv -F /dev/null), in alternation,
// five rounds each; the medians are compared.
//
// Target: the program needs at most half of gpsbabel's time.
//
//   build/fit_bench        exits 1 when the target is missed, 2 when gpsbabel is missing

#include "BenchLog.h"
#include "rides/GpsFigures.h"
#include "rides/GpsTrack.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <cstdio>

namespace {

constexpr int kRounds = 5;
constexpr double kTargetShare = 0.5;

using benchlog::Median;
using benchlog::Milliseconds;

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString gpsbabel = QStandardPaths::findExecutable(QStringLiteral("gpsbabel"));
    if (gpsbabel.isEmpty()) {
        std::fprintf(stderr, "gpsbabel is not installed (scripts/install-deps.sh installs it)\n");
        return 2;
    }
    const QDir folder(QStringLiteral(VELOMARQ_SOURCE_DIR "/tests/data/gps-samples/fit"));
    QStringList files;
    qint64 bytes = 0;
    for (const QFileInfo& info : folder.entryInfoList({QStringLiteral("*.fit")}, QDir::Files, QDir::Name)) {
        files << info.absoluteFilePath();
        bytes += info.size();
    }
    if (files.isEmpty()) {
        std::fprintf(stderr, "no FIT files in %s\n", qPrintable(folder.path()));
        return 2;
    }

    double points = 0.0;
    double metres = 0.0;
    auto ours = [&] {
        points = 0.0;
        metres = 0.0;
        for (const QString& file : files) {
            const GpsFileContent content = ReadGpsFile(file);
            for (const GpsTrack& track : content.tracks) {
                const GpsRideFigures figures = WorkOutRideFigures(track);
                points += static_cast<double>(track.points.size());
                metres += figures.distanceMetres;
            }
        }
    };
    int failures = 0;
    auto theirs = [&] {
        failures = 0;
        for (const QString& file : files) {
            QProcess process;
            process.setStandardOutputFile(QProcess::nullDevice());
            process.setStandardErrorFile(QProcess::nullDevice());
            process.start(gpsbabel, {QStringLiteral("-i"), QStringLiteral("garmin_fit"), QStringLiteral("-f"),
                                     file, QStringLiteral("-o"), QStringLiteral("unicsv"),
                                     QStringLiteral("-F"), QStringLiteral("/dev/null")});
            if (!process.waitForFinished(60000) || process.exitCode() != 0) {
                ++failures;
            }
        }
    };
    std::vector<double> ourTimes;
    std::vector<double> theirTimes;
    for (int round = 0; round < kRounds; ++round) {
        ourTimes.push_back(Milliseconds(ours));
        theirTimes.push_back(Milliseconds(theirs));
    }
    const double our = Median(ourTimes);
    const double their = Median(theirTimes);
    const double share = our / their;
    const bool met = share <= kTargetShare;
    std::printf("%lld FIT files (%.1f MB): %.0f points with positions, %.1f km\n",
                static_cast<long long>(files.size()), static_cast<double>(bytes) / 1e6, points,
                metres / 1000.0);
    std::printf("read and worked out here: %.1f ms; gpsbabel to unicsv: %.1f ms (%d file(s) it gave up on)\n",
                our, their, failures);
    std::printf("ours / gpsbabel = %.3f (target at most %.2f): %s\n", share, kTargetShare,
                met ? "met" : "missed");
    return met ? 0 : 1;
}
