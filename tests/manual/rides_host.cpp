// Brings GPS files into a sample log and shows a ride's profile, for looking
// at the ride list's further columns and the profile view by hand:
//   build/sample_log /tmp/vq && build/rides_host /tmp/vq import FILE... (then
//   start velomarq there: the list shows ascent, heart rate, calories, effort)
//   /work/shared/tools/shot.sh out.png 4 -- build/rides_host /tmp/vq profile
// "import" gives the imported rides an effort and a feeling and keeps the
// list's column choice; "profile" opens the editor on the newest ride with a
// GPS file and its profile over it, the mouse resting half way along.
#include "language/Language.h"
#include "platform/ModalRun.h"
#include "platform/Preferences.h"
#include "rides/RideImport.h"
#include "rides/RideProfileDlg.h"
#include "rides/RideRecordDlg.h"
#include "store/store.h"
#include "units/Units.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <cstdio>

namespace {

int Import(const QStringList& files) {
    const ImportSummary summary = ImportRideFiles(files, 1);
    std::printf("%s\n", qPrintable(ImportSummaryText(summary)));
    RideRecordList rides;
    DB_GetRideRecords("", &rides);
    int level = 0;
    for (RideRecord& ride : rides) {
        // The sample rides typed by hand get what a rider would type.
        RideDetail detail;
        bool found = false;
        if (DB_GetRideDetail(ride.RideRecordNumber, &detail, &found) == store::kOk && !found) {
            detail.Ascent = std::round(ride.Distance * (6.0 + level % 7));
            detail.AverageHeartRate = 118.0 + (level * 7) % 30;
            detail.Calories = std::round(ride.Distance * 24.0);
            DB_SetRideDetail(ride.RideRecordNumber, &detail);
        }
        ride.DifficultyLevel = 1 + level % 5;
        ride.FeelingLevel = 1 + (level * 3) % 5;
        ++level;
        DB_UpdateRideRecord(ride.RideRecordNumber, &ride);
    }
    WritePreference(preference::kRideColumns,
                    QStringLiteral("Ascent,AverageHeartRate,Calories,Effort,Feeling"));
    return 0;
}

int Profile(QApplication& app) {
    std::vector<RideDetail> details;
    DB_GetRideDetails(&details);
    const RideDetail* newest = nullptr;
    for (const RideDetail& detail : details) {
        if (!detail.SourceFile.empty() && (!newest || detail.Date > newest->Date)) {
            newest = &detail;
        }
    }
    if (!newest) {
        std::fprintf(stderr, "no imported ride\n");
        return 1;
    }
    RideRecordList rides;
    DB_GetRideRecords(("RideRecordNumber=" + std::to_string(newest->RideRecordNumber)).c_str(), &rides);
    BicycleList bicycles;
    DB_GetBicycleList(&bicycles);
    RideEditorSetup setup;
    setup.newRecord = false;
    setup.bicycles = bicycles;
    setup.record = rides.front();
    RideRecordDlg editor(std::move(setup), nullptr);
    editor.resize(900, 640);
    editor.show();
    QTimer::singleShot(500, &editor,
                       [&editor] { editor.findChild<QPushButton*>(QStringLiteral("profile"))->click(); });
    QTimer::singleShot(1500, &app, [] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* profile = qobject_cast<RideProfileDlg*>(window)) {
                RideProfileView* view = profile->View();
                view->MarkAt(view->mapFromScene(
                    view->chart()->mapToScene(view->chart()->plotArea().center() +
                                              QPointF(view->chart()->plotArea().width() * 0.1, 0))));
            }
        }
    });
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3 || !QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "usage: rides_host PROGRAM_DIR import FILE... | profile\n");
        return 2;
    }
    SetProgramDirectory(QDir::currentPath());
    if (LoadLanguageFile(ProgramPath(QStringLiteral("languages/vmq_00.ini"))) != 0 ||
        DB_OpenDatabase() != 0) {
        std::fprintf(stderr, "no language file or log in %s\n", argv[1]);
        return 1;
    }
    const QString command = QString::fromLocal8Bit(argv[2]);
    if (command == u"import") {
        QStringList files;
        for (int i = 3; i < argc; ++i) {
            files << QString::fromLocal8Bit(argv[i]);
        }
        return Import(files);
    }
    return Profile(app);
}
