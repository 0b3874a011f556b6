// Shows the main window on a fresh program directory holding three bicycles
// (two of them with pictures) and a few rides and maintenance entries, for
// looking at the bicycles page and the bicycle editor by hand:
//   bicycles_host           the bicycles page
//   bicycles_host editor    the bicycle editor over the first bicycle as well
//   bicycles_host new       the editor of a new bicycle
//   bicycles_host wait      the editor with the window that waits for the converter
// Screenshot: /work/shared/tools/shot.sh out.png 4 -- build/bicycles_host
#include "app/MainDlg.h"
#include "bicycles/BicycleAttrDlg.h"
#include "bicycles/ThumbnailConverter.h"
#include "language/Language.h"
#include "platform/ExternalProgram.h"
#include "store/store.h"
#include "support/ProgramDirectory.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <QApplication>
#include <QBuffer>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace {

// A bicycle against a sky and a road, in the given frame colour.
ByteBlock SamplePicture(const QColor& sky, const QColor& frame) {
    QImage image(150, 75, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, 75);
    gradient.setColorAt(0, sky);
    gradient.setColorAt(1, sky.lighter(150));
    painter.fillRect(image.rect(), gradient);
    painter.fillRect(QRect(0, 62, 150, 13), QColor(0x9A, 0xA5, 0x9A));
    painter.setPen(QPen(QColor(0x20, 0x20, 0x20), 4));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(45, 45), 17, 17);
    painter.drawEllipse(QPointF(105, 45), 17, 17);
    painter.setPen(QPen(frame, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath path;
    path.moveTo(45, 45);
    path.lineTo(72, 45);
    path.lineTo(63, 25);
    path.lineTo(97, 24);
    path.lineTo(72, 45);
    path.moveTo(97, 24);
    path.lineTo(105, 45);
    path.moveTo(60, 19);
    path.lineTo(70, 19);
    path.moveTo(95, 17);
    path.lineTo(101, 16);
    painter.drawPath(path);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return ByteBlock(bytes.begin(), bytes.end());
}

void AddBicycle(const QString& name, int type, int32_t purchased, ByteBlock picture) {
    BicycleAttribute record;
    record.BicycleName = ToTextBlock(name);
    record.Type = type;
    record.Weight = 9.8;
    record.Frame = 1;
    record.Cost = 1450;
    record.DatePurchased = purchased;
    record.PictureData = std::move(picture);
    record.Memo = ToTextBlock(QStringLiteral("Bought second hand; new chain in spring."));
    DB_InsertBicycle(&record);
}

void AddRide(int bicycle, int32_t date, double km, int h, int m, int s, double maxSpeed) {
    RideRecord ride;
    ride.Date = date;
    ride.BicycleNumber = bicycle;
    ride.Distance = km;
    ride.Hours = h;
    ride.Minutes = m;
    ride.Seconds = s;
    ride.MaxSpeed = maxSpeed;
    ride.Memo = ToTextBlock(QString());
    DB_InsertRideRecord(&ride);
}

void AddService(int bicycle, int32_t date, double cost) {
    MaintenanceRecord entry;
    entry.Date = date;
    entry.BicycleNumber = bicycle;
    entry.Cost = cost;
    entry.Memo = ToTextBlock(QString());
    DB_InsertMaintenanceRecord(&entry);
}

void FillLog() {
    DB_CreateDatabase();
    DB_OpenDatabase();
    auto day = [](int y, int m, int d) { return static_cast<int32_t>(FromLocalDateTime(y, m, d, 10)); };
    AddBicycle(QStringLiteral("Blue Arrow"), 1, day(2019, 4, 13),
               SamplePicture(QColor(0x8E, 0xC9, 0xE8), QColor(0x1B, 0x5F, 0xC8)));
    AddBicycle(QStringLiteral("Mud Lark"), 0, day(2016, 9, 2),
               SamplePicture(QColor(0xF2, 0xC9, 0x8E), QColor(0xC8, 0x3A, 0x1B)));
    AddBicycle(QStringLiteral("Shopper"), 7, day(2011, 5, 20), {});
    for (int i = 0; i < 40; ++i) {
        AddRide(1, day(2023, 1 + i % 12, 1 + i % 27), 42.5 + i, 1, 35 + i % 20, i % 60, 48.0 + i % 9);
        if (i % 2 == 0) {
            AddRide(2, day(2023, 1 + i % 12, 2 + i % 25), 18.0 + i / 3.0, 0, 55 + i % 4, 10, 39.5);
        }
    }
    AddRide(3, day(2023, 3, 3), 6.4, 0, 21, 0, 24.0);
    AddService(1, day(2023, 5, 1), 84.90);
    AddService(1, day(2023, 9, 1), 32.50);
    AddService(2, day(2022, 3, 1), 129.00);
    DB_CloseDatabase();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    ProgramDirectory directory;
    directory.InstallShippedFiles();
    FillLog();

    MainDlg window;
    if (!window.Initialise()) {
        return 1;
    }
    window.show();
    if (mode == QLatin1String("editor") || mode == QLatin1String("new") || mode == QLatin1String("wait")) {
        BicycleList bicycles;
        DB_GetBicycles(&bicycles);
        const BicycleAttribute first = bicycles.empty() ? BicycleAttribute() : bicycles.front();
        auto* editor = new BicycleAttrDlg(
            mode == QLatin1String("new") ? BicycleAttrDlg::kNew : BicycleAttrDlg::kModify, first, &window);
        QTimer::singleShot(300, editor, [editor, mode] {
            editor->show();
            if (mode == QLatin1String("wait")) {
                auto* wait = new ProgramWaitDlg(editor, GetLanguageString("BicycleAttrDlg", "PICT"),
                                                GetLanguageString("BicycleAttrDlg", "CONV"));
                wait->show();
            }
        });
    }
    return app.exec();
}
