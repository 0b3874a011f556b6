// Velomarq: a desktop log book for cyclists.
#include "app/MainDlg.h"
#include "units/ProductInfo.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kProductName));
    QApplication::setOrganizationName(QString::fromLatin1(kProductName));

    MainDlg mainWindow;
    if (!mainWindow.Initialise()) {
        return 0;
    }
    // The main window is the whole application: the program ends when it closes.
    mainWindow.exec();
    return 0;
}
