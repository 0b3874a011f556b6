#pragma once
// The picture of a ride's route that an imported ride's memo shows: the
// track drawn as a line, north up, with its start and end marked, a north
// arrow and a scale bar in the distance unit in force.

#include "rides/GpsTrack.h"

#include <QByteArray>
#include <QImage>
#include <QPointF>
#include <QString>
#include <vector>

// Small enough to be seen whole below the memo's text in the ride editor as it opens.
inline constexpr int kTrackPictureWidth = 400;
inline constexpr int kTrackPictureHeight = 264;

// The words and the unit the picture is labelled with, taken on the user
// interface thread so that pictures can be drawn on others.
struct TrackPictureWords {
    QString start;
    QString end;
    QString north;
    QString distanceUnit;
    double unitMetres = 1000.0;  // of one distanceUnit

    // From the language table and the distance unit in force.
    static TrackPictureWords Current();
};

QImage DrawTrackPicture(const GpsTrack& track, const TrackPictureWords& words);
// Where each of the track's points lies in that picture, in pixels.
std::vector<QPointF> TrackPicturePixels(const GpsTrack& track);

// The picture as PNG bytes, ready for the memo's picture folder: a palette
// of the few inks it is drawn with keeps the file small and quick to write.
QByteArray TrackPicturePng(const GpsTrack& track, const TrackPictureWords& words);
