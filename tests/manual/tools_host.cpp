// Shows the tools page or one of its dialogs with the English texts, for
// looking at them by hand:
//   /work/shared/tools/shot.sh out.png 3 -- build/tools_host [page|gear|gear700c|converter] [miles]
#include "language/Language.h"
#include "tools/GearCalculatorDlg.h"
#include "tools/ToolKitsDlg.h"
#include "tools/UnitConversionDlg.h"
#include "units/Units.h"
#include "widgets/LinkLabel.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    LanguageTableSession languageTable;
    LoadLanguageFile(QStringLiteral(VELOMARQ_SOURCE_DIR "/languages/vmq_00.ini"));
    const QStringList args = app.arguments();
    const QString what = args.size() > 1 ? args[1] : QStringLiteral("page");
    if (args.contains(QStringLiteral("miles"))) {
        SetDistanceUnit(1);
    }

    if (what.startsWith(QLatin1String("gear"))) {
        GearCalculatorDlg dialog;
        if (what == QLatin1String("gear700c")) {
            auto* list = dialog.findChild<QComboBox*>(QStringLiteral("template"));
            list->setCurrentIndex(0);
            Q_EMIT list->activated(0);
        }
        dialog.show();
        return app.exec();
    }
    if (what == QLatin1String("converter")) {
        UnitConversionDlg dialog;
        dialog.findChild<QLineEdit*>(QStringLiteral("kilometres"))->setText(QStringLiteral("100"));
        dialog.findChild<QPushButton*>(QStringLiteral("convertKilometres"))->click();
        dialog.show();
        return app.exec();
    }

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    LinkLabel statusLine;
    auto* page = new ToolKitsDlg(statusLine, &window);
    layout->addWidget(page);
    window.resize(892, 540);
    window.show();
    return app.exec();
}
