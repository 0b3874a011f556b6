#pragma once
// Bicycle pictures: 150 x 75 Windows bitmaps made from any image file by
// ImageMagick's convert, stored as the bitmap file's bytes in the record.

#include "store/store.h"

#include <QImage>
#include <QString>
#include <QStringList>

inline constexpr int kThumbnailWidth = 150;
inline constexpr int kThumbnailHeight = 75;
inline constexpr char kThumbnailFileName[] = "thumtemp.bmp";

// Where the converter writes the thumbnail: <program directory>/thumtemp.bmp.
QString ThumbnailPath();

// The picture of a record, or a null image. Only a Windows bitmap file (its
// bytes begin with "BM") counts as a picture; anything else, or a bitmap
// that cannot be read, gives a null image.
QImage DecodeThumbnail(const ByteBlock& pictureData);

// The converter call, as a program and its arguments (never one shell line):
//   convert -resize 150x75! <source> <thumbnail>
// The exclamation mark makes the thumbnail exactly 150 x 75 whatever the
// source's proportions; the ".bmp" name makes it a bitmap. The program is the
// convert in the program directory when there is one, else convert found on
// the PATH.
struct ConverterCommand {
    QString program;
    QStringList arguments;
};
ConverterCommand ThumbnailCommand(const QString& sourcePath, const QString& thumbnailPath);
