#include "bicycles/BicyclePicture.h"

#include "units/Units.h"

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

ConverterCommand ThumbnailCommand(const QString& sourcePath, const QString& thumbnailPath) {
    ConverterCommand command;
    const QString besideProgram = ProgramPath(QStringLiteral("convert"));
    if (QFileInfo(besideProgram).isFile()) {
        command.program = besideProgram;
    } else {
        // Resolved here rather than by QProcess so that a missing converter
        // is told apart from one that is there and cannot run.
        const QString onPath = QStandardPaths::findExecutable(QStringLiteral("convert"));
        command.program = onPath.isEmpty() ? QStringLiteral("convert") : onPath;
    }
    command.arguments = {QStringLiteral("-resize"),
                         QStringLiteral("%1x%2!").arg(kThumbnailWidth).arg(kThumbnailHeight), sourcePath,
                         thumbnailPath};
    return command;
}
