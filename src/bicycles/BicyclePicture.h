#pragma once
// Bicycle pictures: 150 x 75 Windows bitmaps made from an image file by
// ImageMagick's convert, stored as the bitmap file's bytes in the record.

#include "platform/ExternalProgram.h"
#include "store/store.h"

#include <QByteArray>
#include <QImage>
#include <QString>

inline constexpr int kThumbnailWidth = 150;
inline constexpr int kThumbnailHeight = 75;
inline constexpr char kThumbnailFileName[] = "thumtemp.bmp";

// Where the thumbnail is written: <program directory>/thumtemp.bmp.
QString ThumbnailPath();

// The picture of a record, or a null image. Only a Windows bitmap file (its
// bytes begin with "BM") counts as a picture; anything else, or a bitmap
// that cannot be read, gives a null image.
QImage DecodeThumbnail(const ByteBlock& pictureData);

// The raster formats the picture chooser offers, known by the first bytes of
// the file rather than by its name: a drawing or a script named ".jpg" is none
// of them and never reaches the converter.
enum class PictureFormat { None, Jpeg, Png, Bmp, Gif, Tiff, Webp };
PictureFormat PictureFormatOf(const QByteArray& head);
// The format of a plain file (not a pipe or a device), by its content.
PictureFormat PictureFileFormat(const QString& path);

// The converter call for a picture:
//   convert <format>:-[0] -resize 150x75 -background <card colour> -alpha remove
//           -gravity center -extent 150x75 bmp:-
// The picture comes on standard input and the bitmap back on standard
// output, to be written to thumbnailPath, so no file name reaches
// ImageMagick, which would read "%d", "[...]", "*" or a "name:" prefix in a
// name as its own syntax; the explicit formats keep it from guessing one (or
// a delegate program) from the content. "[0]" takes the first frame of an
// animation or the first page of many. The picture keeps its proportions:
// it is made as large as fits into 150 x 75 and centred on a thumbnail of
// exactly that size, the rest (and what the picture leaves transparent) in
// the card's colour, kCardColour, so that the picture seems to lie on the
// card. The program is the convert in the program directory when there is one, else convert
// found on the PATH. A source of none of the offered formats gets no program
// at all: nothing is run for it.
struct ConverterCommand {
    ExternalProgram run;
    QString thumbnailPath;
    PictureFormat format = PictureFormat::None;
};
ConverterCommand ThumbnailCommand(const QString& sourcePath, const QString& thumbnailPath);
