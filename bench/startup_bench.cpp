// How long the program takes from its start to the first painted main window
// on a long log (50 bicycles with pictures, 100,000 rides, 20,000 maintenance
// entries), beside the floor of a bare Qt dialog started in the same way and
// in the same run. The bicycles page is what the window shows first, so the
// window counts as painted once the bicycle cards have been painted.
//
// Both are measured in a real X server (an Xvfb of the benchmark's own), from
// the moment the process is started until it reports its first paint; the
// two are started in alternation so that a busy moment weighs on both alike.
//
// Target: the main window within 3x of the bare dialog.
//
//   build/startup_bench            exits 1 when the target is missed
//   build/startup_bench --bare     (run by the benchmark) the bare dialog
//   build/startup_bench --main     (run by the benchmark) the main window in
//                                  the current directory

#include "BenchLog.h"
#include "PageBench.h"
#include "app/MainDlg.h"
#include "units/ProductInfo.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

constexpr int kRuns = 15;  // of each, after one start of each to warm the caches
constexpr double kTarget = 3.0;
constexpr char kPainted[] = "painted";

// ---- The two programs measured ----------------------------------------------

// Reports the first paint of a widget, once the event loop has come round
// after it (the paint has then been handed to the X server), then closes the
// dialog so that the process ends.
class FirstPaint : public QObject {
public:
    FirstPaint(QWidget* painted, QDialog* window) : m_window(window) { painted->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, m_window, [window = m_window] {
                std::printf("%s\n", kPainted);
                std::fflush(stdout);
                window->reject();
            });
        }
        return false;
    }

private:
    QDialog* m_window;
    bool m_seen = false;
};

int RunBareDialog(int argc, char** argv) {
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Bare"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("A bare Qt dialog"), &dialog));
    layout->addWidget(new QPushButton(QStringLiteral("OK"), &dialog));
    dialog.resize(900, 660);
    FirstPaint watch(&dialog, &dialog);
    dialog.exec();
    return 0;
}

// What main.cpp does, with the first paint of the bicycle cards reported.
int RunMainWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kProductName));
    QApplication::setOrganizationName(QString::fromLatin1(kProductName));
    MainDlg mainWindow;
    if (!mainWindow.Initialise()) {
        return 1;
    }
    auto* cards = mainWindow.findChild<QListView*>(QStringLiteral("bicycleList"));
    if (!cards) {
        return 1;
    }
    FirstPaint watch(cards->viewport(), &mainWindow);
    mainWindow.exec();
    return 0;
}

// ---- The benchmark ------------------------------------------------------------

// An X server of our own, on a display nobody uses.
class VirtualDisplay {
public:
    bool Start() {
        for (int attempt = 0; attempt < 40; ++attempt) {
            const int number =
                400 + (attempt * 37 + static_cast<int>(QCoreApplication::applicationPid())) % 500;
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number))) {
                continue;
            }
            m_display = QStringLiteral(":%1").arg(number);
            m_server.setProgram(QStringLiteral("Xvfb"));
            m_server.setArguments({m_display, QStringLiteral("-screen"), QStringLiteral("0"),
                                   QStringLiteral("1280x900x24"), QStringLiteral("-nolisten"),
                                   QStringLiteral("tcp"), QStringLiteral("-noreset")});
            m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            m_server.setStandardOutputFile(QProcess::nullDevice());
            m_server.start();
            if (!m_server.waitForStarted(5000)) {
                std::fprintf(stderr, "cannot start Xvfb (scripts/install-deps.sh installs it)\n");
                return false;
            }
            if (WaitUntilReady()) {
                return true;
            }
            Stop();
        }
        return false;
    }
    void Stop() {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            m_server.waitForFinished(5000);
        }
    }
    ~VirtualDisplay() { Stop(); }
    const QString& Display() const { return m_display; }

private:
    // The server takes a moment before it accepts clients.
    bool WaitUntilReady() {
        for (int i = 0; i < 100; ++i) {
            if (m_server.state() == QProcess::NotRunning) {
                return false;
            }
            QProcess probe;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("DISPLAY"), m_display);
            probe.setProcessEnvironment(environment);
            probe.start(QStringLiteral("xdotool"), {QStringLiteral("getdisplaygeometry")});
            if (probe.waitForFinished(2000) && probe.exitStatus() == QProcess::NormalExit &&
                probe.exitCode() == 0) {
                return true;
            }
            QThread::msleep(100);
        }
        return false;
    }

    QProcess m_server;
    QString m_display;
};

// Starts this program in the given mode and times it until it reports its
// first paint; nullopt when it failed.
std::optional<double> TimeStart(const QString& mode, const QString& display, const QString& directory) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    child.setProcessEnvironment(environment);
    child.setWorkingDirectory(directory);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.setStandardErrorFile(QProcess::nullDevice());

    const auto start = std::chrono::steady_clock::now();
    child.start(QCoreApplication::applicationFilePath(), {mode});
    QByteArray output;
    while (!output.contains(kPainted)) {
        if (!child.waitForReadyRead(30000)) {
            child.kill();
            child.waitForFinished();
            return std::nullopt;
        }
        output += child.readAllStandardOutput();
    }
    const auto painted = std::chrono::steady_clock::now();
    child.waitForFinished(30000);
    return std::chrono::duration<double, std::milli>(painted - start).count();
}

// A program directory with the shipped language file and the long log.
bool LayOutProgramDirectory(const QString& directory) {
    const QString source = QStringLiteral(VELOMARQ_SOURCE_DIR);
    if (!QDir(directory).mkpath(QStringLiteral("languages")) ||
        !QFile::copy(source + QStringLiteral("/languages/vmq_00.ini"),
                     directory + QStringLiteral("/languages/vmq_00.ini"))) {
        return false;
    }
    const QString previous = QDir::currentPath();
    QDir::setCurrent(directory);
    const bool made = DB_CreateDatabase() == 0 && DB_OpenDatabase() == 0 && benchlog::GenerateLog() &&
                      benchlog::GivePictures();
    DB_CloseDatabase();
    QDir::setCurrent(previous);
    return made;
}

int RunBenchmark(int argc, char** argv) {
    // The benchmark itself needs no screen; only the programs it starts do.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir directory;
    if (!directory.isValid() || !LayOutProgramDirectory(directory.path())) {
        std::fprintf(stderr, "cannot lay out the program directory: %s\n", DB_GetLastError());
        return 2;
    }
    VirtualDisplay display;
    if (!display.Start()) {
        std::fprintf(stderr, "cannot start an X server\n");
        return 2;
    }

    std::vector<double> bare;
    std::vector<double> main;
    for (int run = 0; run <= kRuns; ++run) {
        const std::optional<double> bareTime =
            TimeStart(QStringLiteral("--bare"), display.Display(), directory.path());
        const std::optional<double> mainTime =
            TimeStart(QStringLiteral("--main"), display.Display(), directory.path());
        if (!bareTime || !mainTime) {
            std::fprintf(stderr, "the %s did not paint\n", bareTime ? "main window" : "bare dialog");
            return 2;
        }
        if (run > 0) {  // the first start of each only warms the caches
            bare.push_back(*bareTime);
            main.push_back(*mainTime);
        }
    }
    const double bareTime = benchlog::Median(bare);
    const double mainTime = benchlog::Median(main);
    const double ratio = mainTime / bareTime;
    std::printf("bare Qt dialog to first paint: %.1f ms\n", bareTime);
    std::printf("start-up to painted main window: %.1f ms (floor %.1f ms, ratio %.2f)%s\n", mainTime,
                bareTime, ratio, ratio <= kTarget ? "" : "  <-- above target");
    std::printf("target %s\n", ratio <= kTarget ? "met" : "missed");
    return ratio <= kTarget ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && qstrcmp(argv[1], "--bare") == 0) {
        return RunBareDialog(argc, argv);
    }
    if (argc > 1 && qstrcmp(argv[1], "--main") == 0) {
        return RunMainWindow(argc, argv);
    }
    return RunBenchmark(argc, argv);
}
