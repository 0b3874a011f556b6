// Velomarq: a desktop log book for cyclists.
#include "app/InstallLayout.h"
#include "app/MainDlg.h"
#include "app/StartDirectory.h"
#include "platform/Dialogs.h"
#include "platform/Log.h"
#include "platform/ModalRun.h"
#include "units/ProductInfo.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

namespace {
// The mark at every size it is drawn at, so the task bar and window switcher
// pick a sharp one; the same PNGs are installed as the menu's theme icon.
QIcon ApplicationIcon() {
    QIcon icon;
    for (const char* name :
         {":/app_icon_16.png", ":/app_icon_22.png", ":/app_icon_24.png", ":/app_icon_32.png",
          ":/app_icon_48.png", ":/app_icon_64.png", ":/app_icon_128.png", ":/app_icon.png"}) {
        icon.addFile(QString::fromLatin1(name));
    }
    return icon;
}

QString HomeFolder() {
    const QString home = qEnvironmentVariable("HOME");
    return home.isEmpty() ? QDir::homePath() : home;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kProductName));
    QApplication::setOrganizationName(QString::fromLatin1(kProductName));
    QApplication::setApplicationVersion(QString::fromLatin1(kProductVersion));
    // Ties the windows to the installed desktop entry (Wayland's app id), so
    // the task bar shows the entry's name and icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopId));
    QApplication::setWindowIcon(ApplicationIcon());

    const StartDirectory start = ChooseStartDirectory(
        QApplication::arguments().mid(1),
        FindSharedFiles(QApplication::applicationDirPath(), QString::fromLatin1(kSharedFilesFromExecutable)),
        UserDataHome(qEnvironmentVariable("XDG_DATA_HOME"), HomeFolder()), QDir::currentPath());
    QString error = start.error;
    if (error.isEmpty() && PrepareStartDirectory(start, &error) &&
        !QDir::setCurrent(start.programDirectory)) {
        error = QStringLiteral("Can not use the folder %1.")
                    .arg(QDir::toNativeSeparators(start.programDirectory));
    }
    if (!error.isEmpty()) {
        // Nothing is loaded yet to word this in the rider's language.
        AppDialogs().MessageBox(nullptr, error, QString(), MessageIcon::Error);
        return 1;
    }

    // A log that cannot be written is no reason not to start.
    if (StartLog(QDir::currentPath())) {
        LogStartupFacts(QDir::currentPath());
    }

    MainDlg mainWindow;
    if (!mainWindow.Initialise()) {
        return 0;
    }
    // The main window is the whole application: the program ends when it closes.
    RunModal(&mainWindow, QDialog::Rejected);
    qCInfo(lcStartup) << "Velomarq ends";
    StopLog();
    return 0;
}
