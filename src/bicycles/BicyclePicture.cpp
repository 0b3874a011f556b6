#include "bicycles/BicyclePicture.h"

#include "bicycles/BicycleCard.h"
#include "units/Units.h"

#include <QColor>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QString ThumbnailPath() {
    return ProgramPath(QLatin1String(kThumbnailFileName));
}

QImage DecodeThumbnail(const ByteBlock& pictureData) {
    if (pictureData.size() < 2 || pictureData[0] != 'B' || pictureData[1] != 'M') {
        return {};
    }
    return QImage::fromData(pictureData.data(), static_cast<int>(pictureData.size()), "BMP");
}

PictureFormat PictureFormatOf(const QByteArray& head) {
    const auto startsWith = [&head](const char* bytes, qsizetype size, qsizetype at = 0) {
        return head.size() >= at + size && head.mid(at, size) == QByteArray::fromRawData(bytes, size);
    };
    if (startsWith("\xFF\xD8\xFF", 3)) {
        return PictureFormat::Jpeg;
    }
    if (startsWith("\x89PNG\r\n\x1A\n", 8)) {
        return PictureFormat::Png;
    }
    if (startsWith("GIF87a", 6) || startsWith("GIF89a", 6)) {
        return PictureFormat::Gif;
    }
    // Little- and big-endian TIFF, and their large-file form.
    if (startsWith("II*\0", 4) || startsWith("MM\0*", 4) || startsWith("II+\0", 4) ||
        startsWith("MM\0+", 4)) {
        return PictureFormat::Tiff;
    }
    if (startsWith("RIFF", 4) && startsWith("WEBP", 4, 8)) {
        return PictureFormat::Webp;
    }
    // "BM", the file size, four reserved bytes and the pixels' offset, then a
    // header of one of the sizes Windows bitmaps use.
    if (startsWith("BM", 2) && head.size() >= 18) {
        const auto headerSize = static_cast<quint8>(head[14]) | static_cast<quint8>(head[15]) << 8 |
                                static_cast<quint8>(head[16]) << 16 |
                                static_cast<quint32>(static_cast<quint8>(head[17])) << 24;
        if (headerSize == 12 || headerSize == 16 || headerSize == 40 || headerSize == 52 ||
            headerSize == 56 || headerSize == 64 || headerSize == 108 || headerSize == 124) {
            return PictureFormat::Bmp;
        }
    }
    return PictureFormat::None;
}

PictureFormat PictureFileFormat(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return PictureFormat::None;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return PictureFormat::None;
    }
    return PictureFormatOf(file.read(32));
}

ConverterCommand ThumbnailCommand(const QString& sourcePath, const QString& thumbnailPath) {
    ConverterCommand command;
    command.thumbnailPath = thumbnailPath;
    command.format = PictureFileFormat(sourcePath);
    const char* coder = nullptr;
    switch (command.format) {
        case PictureFormat::Jpeg:
            coder = "jpeg";
            break;
        case PictureFormat::Png:
            coder = "png";
            break;
        case PictureFormat::Bmp:
            coder = "bmp";
            break;
        case PictureFormat::Gif:
            coder = "gif";
            break;
        case PictureFormat::Tiff:
            coder = "tiff";
            break;
        case PictureFormat::Webp:
            coder = "webp";
            break;
        case PictureFormat::None:
            return command;
    }
    const QString besideProgram = ProgramPath(QStringLiteral("convert"));
    if (QFileInfo(besideProgram).isFile()) {
        command.run.program = besideProgram;
    } else {
        // Resolved here rather than by QProcess so that a missing converter
        // is told apart from one that is there and cannot run.
        const QString onPath = QStandardPaths::findExecutable(QStringLiteral("convert"));
        command.run.program = onPath.isEmpty() ? QStringLiteral("convert") : onPath;
    }
    const QString box = QStringLiteral("%1x%2").arg(kThumbnailWidth).arg(kThumbnailHeight);
    const QString background = QColor::fromRgb(kCardColour).name();
    command.run.arguments = {QLatin1String(coder) + QStringLiteral(":-[0]"),
                             QStringLiteral("-resize"),
                             box,
                             QStringLiteral("-background"),
                             background,
                             QStringLiteral("-alpha"),
                             QStringLiteral("remove"),
                             QStringLiteral("-gravity"),
                             QStringLiteral("center"),
                             QStringLiteral("-extent"),
                             box,
                             QStringLiteral("bmp:-")};
    command.run.inputFile = sourcePath;
    return command;
}
