// Shows the column-mapping step of a spreadsheet import over a small
// hand-kept log, for looking at it by hand and for screenshots:
//   spreadsheet_host [LANGUAGE]   LANGUAGE: the number of a language file (default 0, English)
#include "language/Language.h"
#include "rides/SpreadsheetImportDlg.h"
#include "store/store.h"
#include "support/ProgramDirectory.h"
#include "units/TextBlock.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ProgramDirectory directory;
    directory.InstallShippedFiles();
    const int language = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 0;
    if (LoadLanguageFile(directory.FilePath(
            QStringLiteral("languages/vmq_%1.ini").arg(language, 2, 10, QChar(u'0')))) != 0 ||
        DB_CreateDatabase() != store::kOk || DB_OpenDatabase() != store::kOk) {
        return 1;
    }
    for (const char* name : {"Trek 520", "Brompton"}) {
        BicycleAttribute bicycle;
        bicycle.BicycleName = ToTextBlock(QString::fromUtf8(name));
        DB_InsertBicycle(&bicycle);
    }
    BicycleList bicycles;
    DB_GetBicycleList(&bicycles);
    const CsvTable table =
        ParseCsv(QStringLiteral("Date;Bike;KM;Moving time (min);Avg HR;Notes\n"
                                "02.05.2025 07:45;Trek 520;42,5;95;138;Lake loop, windy\n"
                                "04.05.2025 18:10;Gravel;31,2;88;;\"Forest track\nlate sun\"\n"
                                "07.05.2025;Trek 520;12;30;121;Commute\n"
                                "09.05.2025 06:30;trek 520;;45;;Rain\n"
                                "31.05.2025 17:00;Brompton;8,4;;;'=errands\n"
                                "12.06.2025 07:15;Gravel;55,0;2:10:00;145;Hills\n"
                                "32.06.2025;Gravel;20;1:00:00;;typo in the date\n"
                                "14.06.2025 08:00;Trek 520;abc;1:00:00;;distance missing\n"));
    SpreadsheetImportDlg dialog(QStringLiteral("/home/rider/Documents/ride log 2025.csv"), table, bicycles,
                                0);
    dialog.resize(1040, 890);
    dialog.show();
    return app.exec();
}
