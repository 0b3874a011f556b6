// A ride's profile: built from a real device's file with what its sensors
// recorded at each point, thinned to the chart's width without losing a peak
// or a dip, and drawn with a readout of the point under the mouse.

#include "rides/FitFile.h"
#include "rides/RideProfile.h"
#include "rides/RideProfileDlg.h"
#include "support/PageTest.h"

#include <QFile>
#include <QLabel>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

TEST(RideProfileTest, ThinningKeepsEveryPeakAndDipAndSkipsUnknownValues) {
    constexpr int kPoints = 100000;
    std::vector<double> x(kPoints);
    std::vector<double> y(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        x[static_cast<size_t>(i)] = i * 0.01;
        y[static_cast<size_t>(i)] = std::sin(i * 0.001) * 100.0;
    }
    y[54321] = 1000.0;
    y[777] = -1000.0;
    y[600] = std::nan("");
    const std::vector<QPointF> kept = DecimateMinMax(x, y, 0.0, x.back(), 500);
    ASSERT_LE(kept.size(), 1000u);
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end(),
                               [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); }));
    const auto has = [&](double px, double py) {
        return std::any_of(kept.begin(), kept.end(),
                           [&](const QPointF& p) { return p.x() == px && p.y() == py; });
    };
    EXPECT_TRUE(has(x[54321], 1000.0));
    EXPECT_TRUE(has(x[777], -1000.0));
    EXPECT_TRUE(std::none_of(kept.begin(), kept.end(), [](const QPointF& p) { return std::isnan(p.y()); }));
    // Every column's extremes stay: the thinned line spans what the whole does.
    const auto [low, high] = std::minmax_element(
        kept.begin(), kept.end(), [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
    EXPECT_EQ(low->y(), -1000.0);
    EXPECT_EQ(high->y(), 1000.0);
}

class RideProfileFileTest : public PageTest {};

TEST_F(RideProfileFileTest, ProfileOfADevicesFileWithItsSensorsDrawsAndReadsOut) {
    QFile file(
        QStringLiteral(VELOMARQ_TEST_DATA_DIR "/gps-samples/fit/Edge810-Vector-2013-08-16-15-35-10.fit"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const GpsFileContent content = ReadFitTracks(file.readAll());
    ASSERT_EQ(content.error, GpsFileError::None);
    const GpsTrack& track = content.tracks.front();
    const RideProfile profile = BuildRideProfile(track);
    ASSERT_EQ(profile.Size(), track.points.size());
    for (const ProfileQuantity quantity :
         {ProfileQuantity::Elevation, ProfileQuantity::Speed, ProfileQuantity::HeartRate,
          ProfileQuantity::Cadence, ProfileQuantity::Power}) {
        EXPECT_TRUE(profile.Has(quantity)) << static_cast<int>(quantity);
    }
    EXPECT_TRUE(std::is_sorted(profile.metres.begin(), profile.metres.end()));
    EXPECT_TRUE(std::is_sorted(profile.seconds.begin(), profile.seconds.end()));
    EXPECT_GT(profile.metres.back(), 1000.0);

    RideProfileDlg dialog(track, QStringLiteral("2013/08/16"), nullptr);
    dialog.show();
    RideProfileView* view = dialog.View();
    EXPECT_TRUE(view->QuantityShown(ProfileQuantity::Elevation));
    EXPECT_TRUE(view->QuantityShown(ProfileQuantity::Speed));
    EXPECT_GT(view->DrawnPoints(ProfileQuantity::Elevation), 10);
    EXPECT_LE(view->DrawnPoints(ProfileQuantity::Elevation), 2 * view->width());

    const QRectF plot = view->chart()->plotArea();
    view->MarkAt(view->mapFromScene(view->chart()->mapToScene(plot.center())));
    ASSERT_GE(view->MarkedPoint(), 0);
    const QString readout = dialog.findChild<QLabel*>(QStringLiteral("readout"))->text();
    EXPECT_TRUE(readout.contains(GetLanguageString("RideDetail", "HRTE"))) << readout.toStdString();
    EXPECT_TRUE(readout.contains(GetLanguageString("RideDetail", "POWR"))) << readout.toStdString();
}

}  // namespace
