// Shows the main window on a program directory made by sample_log and
// scripts/layout-program-dir.sh, in a chosen language, for looking at parts
// and service by hand:
//   service_host DIR LANGUAGE            the bicycles page with the cards' service lines
//   service_host DIR LANGUAGE window     the parts and service window of the first bicycle
//   service_host DIR LANGUAGE due        the due list, as a click on the status line opens it
//   service_host DIR LANGUAGE dates      the fitting and removal days of the window's first part
//   service_host DIR LANGUAGE export     the bicycles page's export chooser with its reports
// Screenshot: /work/shared/tools/shot.sh out.png 5 -- build/service_host DIR 1 window
#include "app/MainDlg.h"
#include "bicycles/BicycleDlg.h"
#include "bicycles/PartsServiceDlg.h"
#include "store/store.h"
#include "widgets/LinkLabel.h"

#include <QApplication>
#include <QDir>
#include <QListView>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3 || !QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "usage: service_host DIR LANGUAGE [window|due]\n");
        return 2;
    }
    const QString mode = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    if (DB_OpenDatabase() == 0) {
        ApplicationConfigRecord config;
        if (DB_LoadApplicationConfig(&config) == 0) {
            config.Language = std::atoi(argv[2]);
            DB_SaveApplicationConfig(&config);
        }
        DB_CloseDatabase();
    }
    MainDlg window;
    if (!window.Initialise()) {
        return 1;
    }
    window.show();
    QTimer::singleShot(800, &window, [&window, mode] {
        auto* page = window.findChild<BicycleDlg*>();
        if (mode == QLatin1String("dates")) {
            // Once the window runs: its first part's days.
            QTimer::singleShot(800, [] {
                for (QWidget* top : QApplication::topLevelWidgets()) {
                    if (auto* service = qobject_cast<PartsServiceDlg*>(top);
                        service && service->isVisible()) {
                        service->PartList()->setCurrentItem(service->PartList()->topLevelItem(0));
                        service->findChild<QPushButton*>(QStringLiteral("EDDT"))->click();
                    }
                }
            });
        }
        if ((mode == QLatin1String("window") || mode == QLatin1String("dates")) && page) {
            page->List()->setCurrentIndex(page->List()->model()->index(0, 0));
            page->OpenPartsService();
        } else if (mode == QLatin1String("export") && page) {
            page->findChild<QPushButton*>(QStringLiteral("export"))->click();
        } else if (mode == QLatin1String("due")) {
            Q_EMIT window.StatusLine().Clicked();
        }
    });
    return app.exec();
}
