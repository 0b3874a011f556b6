// How long the bicycles page takes to reload on a long log (50 bicycles with
// pictures, 100,000 rides, 20,000 maintenance entries), beside the floor of
// the store's fetch alone. A reload is what the page does each time it is
// shown: fetch every bicycle with its totals, hand them to the list, sum them
// into the status line, and paint every card once (all 50 visible).
//
// Target: reload within 1.5x of DB_GetBicycles with its release.
//
//   build/bicycles_bench        exits 1 when the target is missed

#include "BenchLog.h"
#include "bicycles/BicycleDlg.h"
#include "language/Language.h"
#include "store/store.h"
#include "units/Units.h"
#include "widgets/LinkLabel.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QListView>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kMinRuns = 9;
constexpr double kMinSecondsPerFigure = 0.5;
constexpr double kTarget = 1.5;

double Milliseconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Pictures as the converter makes them: 150 x 75 bitmaps, a different one per bicycle.
bool GivePictures() {
    sqlite3_stmt* update = nullptr;
    if (sqlite3_prepare_v2(DB_GetConnection(), "update Bicycle set PictureData=? where BicycleNumber=?", -1,
                           &update, nullptr) != SQLITE_OK) {
        return false;
    }
    for (int bicycle = 1; bicycle <= benchlog::kBicycles; ++bicycle) {
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
        sqlite3_bind_blob(update, 1, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(update, 2, bicycle);
        if (sqlite3_step(update) != SQLITE_DONE) {
            sqlite3_finalize(update);
            return false;
        }
        sqlite3_reset(update);
    }
    sqlite3_finalize(update);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTemporaryDir directory;
    if (!directory.isValid()) {
        std::fprintf(stderr, "cannot make a temporary directory\n");
        return 2;
    }
    QDir::setCurrent(directory.path());
    SetProgramDirectory(directory.path());
    if (LoadLanguageFile(QStringLiteral(VELOMARQ_SOURCE_DIR "/languages/vmq_00.ini")) != 0) {
        std::fprintf(stderr, "cannot load the language file\n");
        return 2;
    }
    if (DB_CreateDatabase() != 0 || DB_OpenDatabase() != 0 || !benchlog::GenerateLog() || !GivePictures()) {
        std::fprintf(stderr, "cannot make the log: %s\n", DB_GetLastError());
        return 2;
    }

    LinkLabel statusLine;
    BicycleDlg page(statusLine, nullptr);
    page.resize(900, 40 + benchlog::kBicycles * 110 + 8);
    page.show();  // the first reload
    QListView* list = page.List();
    if (list->model()->rowCount() != benchlog::kBicycles) {
        std::fprintf(stderr, "the page lists %d bicycles\n", list->model()->rowCount());
        return 2;
    }
    QImage canvas(list->viewport()->size(), QImage::Format_RGB32);

    auto reload = [&] {
        page.Reload();
        // What the event loop would do next: lay the cards out and paint them.
        list->doItemsLayout();
        list->viewport()->render(&canvas);
    };
    auto fetch = [] {
        BicycleList bicycles;
        DB_GetBicycles(&bicycles);
        DB_ReleaseBicycleList(&bicycles);
    };
    reload();
    fetch();
    if (qEnvironmentVariableIsSet("BICYCLES_BENCH_CANVAS")) {
        canvas.save(qEnvironmentVariable("BICYCLES_BENCH_CANVAS"));
    }

    // In alternation, so that a busy moment of the machine weighs on both alike.
    std::vector<double> reloadTimes;
    std::vector<double> fetchTimes;
    double spent = 0;
    while (reloadTimes.size() < kMinRuns || spent < kMinSecondsPerFigure * 1000) {
        fetchTimes.push_back(Milliseconds(fetch));
        reloadTimes.push_back(Milliseconds(reload));
        spent += fetchTimes.back() + reloadTimes.back();
        // Whatever the reload posted (a repaint of the shown page) is done
        // here, outside the timing, so that it does not pile up.
        QCoreApplication::processEvents();
    }
    const double reloadTime = Median(reloadTimes);
    const double fetchTime = Median(fetchTimes);
    const double ratio = reloadTime / fetchTime;
    std::printf("bicycles page reload: %.1f ms (floor %.1f ms, ratio %.2f)%s\n", reloadTime, fetchTime, ratio,
                ratio <= kTarget ? "" : "  <-- above target");
    std::printf("target %s\n", ratio <= kTarget ? "met" : "missed");

    DB_CloseDatabase();
    FreeLanguageTable();
    return ratio <= kTarget ? 0 : 1;
}
