// Drawing a ride's profile from a long GPS file: 100,000 points (a day and
// more at a point a second) with heights, speeds, heart rates, cadences and
// powers. Timed from the track read to the chart painted: the profile built,
// each line thinned to the chart's width, the axes set and the chart drawn
// once, with elevation and speed shown, then with all five.
//
// Target: within 200 ms each, the median of five runs.
//
//   build/profile_bench        exits 1 when a target is missed

#include "BenchLog.h"
#include "language/Language.h"
#include "rides/RideProfile.h"
#include "rides/RideProfileDlg.h"
#include "units/Units.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kPoints = 100000;
constexpr double kTargetMs = 200.0;
constexpr int kRuns = 5;

GpsTrack LongTrack() {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> turn(-0.08, 0.08);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    GpsTrack track;
    track.points.reserve(kPoints);
    double latitude = 47.0;
    double longitude = 8.0;
    double heading = 0.0;
    double height = 400.0;
    for (int i = 0; i < kPoints; ++i) {
        const double speed = 4.0 + 7.0 * (0.5 + 0.5 * std::sin(i / 300.0));
        heading += turn(random);
        latitude += speed * std::cos(heading) / 111195.0;
        longitude += speed * std::sin(heading) / (111195.0 * std::cos(latitude * M_PI / 180.0));
        height += std::sin(i / 200.0) * 0.3 + noise(random) * 0.1;
        GpsPoint point;
        point.latitude = latitude;
        point.longitude = longitude;
        point.elevation = height;
        point.hasElevation = true;
        point.timeMs = int64_t{1704096000000} + int64_t{i} * 1000;
        point.hasTime = true;
        point.heartRate = static_cast<float>(130.0 + 20.0 * std::sin(i / 500.0) + noise(random) * 3.0);
        point.hasHeartRate = true;
        point.cadence = static_cast<float>(85.0 + noise(random) * 8.0);
        point.hasCadence = true;
        point.power =
            static_cast<float>(std::max(0.0, 200.0 + 80.0 * std::sin(i / 90.0) + noise(random) * 40.0));
        point.hasPower = true;
        track.points.push_back(point);
    }
    return track;
}

// Builds the profile, draws it in a chart of a usual size and paints that once.
double DrawOnce(const GpsTrack& track, bool allQuantities, int* drawn) {
    return benchlog::Milliseconds([&] {
        const RideProfile profile = BuildRideProfile(track);
        RideProfileView view;
        view.resize(760, 420);
        view.show();
        QCoreApplication::processEvents();  // the chart laid out at its size
        for (int i = 0; i < kProfileQuantityCount; ++i) {
            const auto quantity = static_cast<ProfileQuantity>(i);
            view.ShowQuantity(quantity, allQuantities || quantity == ProfileQuantity::Elevation ||
                                            quantity == ProfileQuantity::Speed);
        }
        view.SetProfile(&profile);
        QImage picture(view.size(), QImage::Format_RGB32);
        QPainter painter(&picture);
        view.render(&painter);
        painter.end();
        *drawn = view.DrawnPoints(ProfileQuantity::Elevation);
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (LoadLanguageFile(QStringLiteral(VELOMARQ_SOURCE_DIR "/languages/vmq_00.ini")) != 0) {
        std::fprintf(stderr, "cannot load the English texts\n");
        return 2;
    }
    const GpsTrack track = LongTrack();
    bool met = true;
    for (const bool all : {false, true}) {
        std::vector<double> times;
        int drawn = 0;
        for (int run = 0; run < kRuns; ++run) {
            times.push_back(DrawOnce(track, all, &drawn));
        }
        const double median = benchlog::Median(times);
        const bool ok = median <= kTargetMs;
        met = met && ok;
        std::printf(
            "profile of %d points, %s: %.1f ms (%d elevation points drawn), %.2fx the %.0f ms budget %s\n",
            kPoints, all ? "all five lines" : "elevation and speed", median, drawn, median / kTargetMs,
            kTargetMs, ok ? "ok" : "MISSED");
    }
    return met ? 0 : 1;
}
