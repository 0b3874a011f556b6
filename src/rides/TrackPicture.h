#pragma once
// The picture of a ride's route that an imported ride's memo shows: the
// track drawn as a line, north up, with its start and end marked, a north
// arrow and a scale bar in the distance unit in force.

#include "rides/GpsTrack.h"

#include <QByteArray>
#include <QImage>

inline constexpr int kTrackPictureWidth = 480;
inline constexpr int kTrackPictureHeight = 360;

QImage DrawTrackPicture(const GpsTrack& track);

// The picture as PNG bytes, ready for the memo's picture folder.
QByteArray TrackPicturePng(const GpsTrack& track);
