// Starts the main window on the options page over a fresh program directory
// with an empty database, for looking at the page by hand and for screenshots:
//   options_host              a fresh temporary program directory
//   options_host DIRECTORY    that program directory (a database is made when
//                             it has none)
#include "app/MainDlg.h"
#include "app/TabControl.h"
#include "store/store.h"
#include "support/ProgramDirectory.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::unique_ptr<ProgramDirectory> temporary;
    if (argc > 1) {
        QDir::setCurrent(QString::fromLocal8Bit(argv[1]));
    } else {
        temporary = std::make_unique<ProgramDirectory>();
        temporary->InstallShippedFiles();
    }
    if (!QFile::exists(QStringLiteral("bicycle.db")) && DB_CreateDatabase() != store::kOk) {
        return 1;
    }
    MainDlg window;
    if (!window.Initialise()) {
        return 1;
    }
    window.Tabs().SetCurrentIndex(MainDlg::kOptions);
    window.show();
    return app.exec();
}
