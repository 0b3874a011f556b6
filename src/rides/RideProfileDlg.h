#pragma once
// The profile of a ride with a GPS file: elevation, speed, heart rate,
// cadence and power drawn against the distance ridden or the time since the
// start, each on its own scale, the route's picture beside them, and under
// the chart what the point under the mouse recorded.

#include "rides/GpsTrack.h"
#include "rides/RideProfile.h"

#include <QChartView>
#include <QDialog>
#include <QImage>
#include <array>
#include <vector>

class QAbstractSeries;
class QAreaSeries;
class QCheckBox;
class QComboBox;
class QGraphicsLineItem;
class QLabel;
class QLineSeries;
class QValueAxis;

class RideProfileView : public QChartView {
    Q_OBJECT
public:
    explicit RideProfileView(QWidget* parent = nullptr);

    // The profile drawn; it must outlive the view.
    void SetProfile(const RideProfile* profile);
    // Along the time since the start instead of the distance ridden.
    void SetAlongTime(bool alongTime);
    bool AlongTime() const { return m_alongTime; }
    void ShowQuantity(ProfileQuantity quantity, bool shown);
    // A quantity is drawn when it is to be shown and the profile has it.
    bool QuantityShown(ProfileQuantity quantity) const;
    // Draws again at the plot's width.
    void Redraw();

    // The points drawn for a quantity (after thinning), and the point the
    // mouse marks (-1 for none).
    int DrawnPoints(ProfileQuantity quantity) const;
    int MarkedPoint() const { return m_marked; }
    // Marks the point nearest a position in the view (none outside the plot).
    void MarkAt(const QPointF& position);
    // What the point recorded, as the readout shows it: its place, time and
    // each quantity it knows, the parts joined by separator.
    QString ReadoutText(int point, const QString& separator) const;

Q_SIGNALS:
    // The point under the mouse changed; -1 when the mouse left the plot.
    void PointMarked(int point);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Mark(int point);
    QLineSeries* LineOf(ProfileQuantity quantity) const;

    const RideProfile* m_profile = nullptr;
    bool m_alongTime = false;
    std::vector<double> m_x;  // each point's place on the axis below, in its unit
    std::array<bool, kProfileQuantityCount> m_shown{};
    std::array<std::vector<double>, kProfileQuantityCount> m_values;  // in the units shown
    std::array<QLineSeries*, kProfileQuantityCount> m_lines{};
    QAreaSeries* m_elevationArea = nullptr;
    std::array<QValueAxis*, kProfileQuantityCount> m_axes{};
    QValueAxis* m_xAxis = nullptr;
    QGraphicsLineItem* m_marker = nullptr;
    int m_marked = -1;
    int m_drawnWidth = -1;
};

class RideProfileDlg : public QDialog {
    Q_OBJECT
public:
    // title names the ride; the track is the one of its GPS file.
    RideProfileDlg(GpsTrack track, const QString& title, QWidget* parent);

    RideProfileView* View() const { return m_view; }
    const RideProfile& Profile() const { return m_profile; }

private:
    void ShowPicture(int point);

    GpsTrack m_track;
    RideProfile m_profile;
    RideProfileView* m_view;
    QComboBox* m_along;
    std::array<QCheckBox*, kProfileQuantityCount> m_quantities{};
    QLabel* m_picture;
    QLabel* m_readout;
    QImage m_routeImage;
    std::vector<QPointF> m_pixels;  // each point's place in the route's picture
};
