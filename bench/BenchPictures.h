#pragma once
// Pictures for the bicycles of the long log (BenchLog.h), as the converter
// makes them: 150 x 75 bitmaps, a different one for each bicycle, so that the
// pages that show them decode real pictures.

#include "BenchLog.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainter>

namespace benchlog {

inline ByteBlock Thumbnail(int bicycle) {
    QImage picture(150, 75, QImage::Format_RGB888);
    picture.fill(QColor::fromHsv(bicycle * 7 % 360, 120, 220));
    QPainter painter(&picture);
    painter.setPen(QPen(Qt::black, 4));
    painter.drawEllipse(QPoint(45, 45), 17, 17);
    painter.drawEllipse(QPoint(105, 45), 17, 17);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "BMP");
    return ByteBlock(bytes.begin(), bytes.end());
}

// Gives every bicycle of the open store its picture; false when the store refuses.
inline bool GivePictures() {
    sqlite3_stmt* update = nullptr;
    if (sqlite3_prepare_v2(DB_GetConnection(), "update Bicycle set PictureData=? where BicycleNumber=?", -1,
                           &update, nullptr) != SQLITE_OK) {
        return false;
    }
    bool given = true;
    for (int bicycle = 1; given && bicycle <= kBicycles; ++bicycle) {
        const ByteBlock picture = Thumbnail(bicycle);
        sqlite3_bind_blob(update, 1, picture.data(), static_cast<int>(picture.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(update, 2, bicycle);
        given = sqlite3_step(update) == SQLITE_DONE;
        sqlite3_reset(update);
    }
    sqlite3_finalize(update);
    return given;
}

}  // namespace benchlog
