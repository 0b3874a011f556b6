// Shows the memo editor in a host dialog over a sample ride memo, for looking
// at it by hand and for screenshots:
//   memo_host              a fresh temporary program directory
//   memo_host DIRECTORY    that program directory (the sample memo is only
//                          written when Rides/1/data.htm is missing)
#include "language/Language.h"
#include "memo/MemoDocument.h"
#include "memo/MemoEditor.h"
#include "platform/Files.h"
#include "support/MemoHostDlg.h"
#include "support/ProgramDirectory.h"
#include "units/Units.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <memory>

namespace {
// A small landscape: sky, hills and a road, so the picture reads at a glance.
QImage SamplePicture() {
    QImage image(320, 180, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 120);
    sky.setColorAt(0, QColor(0x8E, 0xC9, 0xE8));
    sky.setColorAt(1, QColor(0xDD, 0xF0, 0xF6));
    painter.fillRect(image.rect(), sky);
    painter.setBrush(QColor(0xF4, 0xA3, 0x40));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(250, 45), 20, 20);
    QPainterPath far;
    far.moveTo(0, 120);
    far.cubicTo(60, 60, 120, 70, 180, 110);
    far.cubicTo(230, 80, 280, 70, 320, 100);
    far.lineTo(320, 180);
    far.lineTo(0, 180);
    painter.setBrush(QColor(0x1B, 0x7F, 0x8C));
    painter.drawPath(far);
    QPainterPath near;
    near.moveTo(0, 150);
    near.cubicTo(100, 115, 200, 130, 320, 140);
    near.lineTo(320, 180);
    near.lineTo(0, 180);
    painter.setBrush(QColor(0x0F, 0x3D, 0x4C));
    painter.drawPath(near);
    painter.setPen(QPen(QColor(0xF0, 0xE6, 0xD2), 6));
    painter.drawLine(QPointF(140, 180), QPointF(190, 140));
    return image;
}

const char kSampleMarkup[] =
    "<html><body>"
    "<p><b>Morning loop</b> around the lake: <i>42 km</i> in a light head wind, "
    "the <span style=\"color:#c0392b\">red</span> jersey and the new saddle.</p>"
    "<p align=\"center\"><img src=\"data.files/lake.png\" width=\"240\" height=\"135\"></p>"
    "<p align=\"center\"><span style=\"font-size:18pt; color:#1b7f8c\">Lake view at the top</span></p>"
    "<p><u>Workshop:</u> chain needs oil; <s>buy a spare tube</s> done. "
    "<span style=\"background-color:#fff3b0\">Check the rear brake pads.</span></p>"
    "</body></html>";

bool WriteSampleMemo(const QString& folder) {
    QDir().mkpath(MemoPictureFolderPath(folder));
    SamplePicture().save(MemoPicturePath(folder, QStringLiteral("lake.png")));
    return WriteFileReplacing(MemoDocumentPath(folder), EncodeMemoDocument(QString::fromUtf8(kSampleMarkup)));
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::unique_ptr<ProgramDirectory> temporary;
    if (argc > 1) {
        const QString directory = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
        QDir().mkpath(directory);
        QDir::setCurrent(directory);
        SetProgramDirectory(directory);
    } else {
        temporary = std::make_unique<ProgramDirectory>();
        temporary->InstallShippedFiles();
    }
    LoadLanguageFile(ProgramPath(QStringLiteral("languages/vmq_00.ini")));

    const QString folder = QDir(GetProgramDirectory()).filePath(QStringLiteral("Rides/1"));
    if (!QFileInfo::exists(MemoDocumentPath(folder)) && !WriteSampleMemo(folder)) {
        qWarning("cannot write the sample memo into %s", qPrintable(folder));
        return 1;
    }
    MemoHostDlg host;
    host.Open(folder);
    host.show();
    return app.exec();
}
