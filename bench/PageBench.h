#pragma once
// What the benchmarks of the pages share beyond BenchLog.h: the program they
// run in, and pictures for the bicycles of the long log.

#include "BenchLog.h"
#include "language/Language.h"
#include "units/Units.h"

#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>
#include <cstdio>

namespace benchlog {

// The program a page benchmark runs in: a Qt application (offscreen unless a
// platform is set), the long log in a temporary program directory, the
// English texts. Pages made after it are gone before it goes.
class PageBenchProgram {
public:
    PageBenchProgram(int& argc, char** argv) : m_app(argc, argv) {
        SetProgramDirectory(QString::fromStdString(m_log.Path()));
        m_ready = LoadLanguageFile(QStringLiteral(VELOMARQ_SOURCE_DIR "/languages/vmq_00.ini")) == 0;
        if (!m_ready) {
            std::fprintf(stderr, "cannot load the English texts\n");
        }
    }
    ~PageBenchProgram() { FreeLanguageTable(); }
    PageBenchProgram(const PageBenchProgram&) = delete;
    PageBenchProgram& operator=(const PageBenchProgram&) = delete;

    bool Ready() const { return m_ready; }
    QApplication& App() { return m_app; }

private:
    struct Platform {
        Platform() {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
                qputenv("QT_QPA_PLATFORM", "offscreen");
            }
        }
    };

    Platform m_platform;
    QApplication m_app;
    LogDirectory m_log;
    bool m_ready = false;
};

// Pictures as the converter makes them: 150 x 75 bitmaps, a different one for
// each bicycle, so that the pages that show them decode real pictures.

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
