// Shows the preview of a small Strava export, or the rides page after it was
// imported, for looking at them by hand:
//   /work/shared/tools/shot.sh preview.png 4 -- build/archive_host
//   /work/shared/tools/shot.sh rides.png 6 -- build/archive_host rides
//   /work/shared/tools/shot.sh files.png 4 -- build/archive_host FOLDER-OR-ARCHIVE
#include "language/Language.h"
#include "rides/ArchiveImport.h"
#include "rides/GpsTestFiles.h"
#include "rides/ImportPreviewDlg.h"
#include "rides/RideDlg.h"
#include "store/store.h"
#include "support/ArchiveWriting.h"
#include "support/ProgramDirectory.h"
#include "units/TextBlock.h"
#include "units/Units.h"
#include "widgets/LinkLabel.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QVBoxLayout>

namespace {

struct Activity {
    const char* name;
    const char* type;
    const char* gear;
    const char* description;
    int minutes;
    double speed;  // metres a second
    bool withFile;
};

QString MakeExport(const QString& path) {
    const Activity activities[] = {
        {"Morning commute", "Ride", "Trek 520", "Rain all the way, <b>no</b> fenders.", 35, 6.5, true},
        {"Saturday gravel loop", "Gravel Ride", "Salsa Warbird", "Dusty & fast", 150, 6.0, true},
        {"Lunch run", "Run", "", "", 40, 3.0, true},
        {"Evening spin", "Ride", "Trek 520", "", 60, 7.5, true},
        {"Zwift: Watopia", "Virtual Ride", "", "", 45, 9.0, true},
        {"Trail day", "Mountain Bike Ride", "Santa Cruz", "Roots, rocks and a flat tyre.", 120, 4.0, true},
        {"Commute (typed in)", "Ride", "Trek 520", "", 35, 6.5, false},
        {"Walk with the dog", "Walk", "", "", 30, 1.4, true},
        {"Club ride", "Ride", "Trek 520", "Café stop at km 40", 180, 8.0, true},
        {"E-bike errands", "E-Bike Ride", "City e-bike", "", 25, 5.5, true},
        {"Hill repeats", "Ride", "Trek 520", "", 75, 6.8, true},
        {"Recovery ride", "Ride", "Trek 520", "", 50, 6.0, true},
    };
    ZipWriter zip(path);
    QByteArray csv =
        "Activity ID,Activity Date,Activity Name,Activity Type,Activity Description,Elapsed Time,Distance,"
        "Max Heart Rate,Relative Effort,Commute,Activity Private Note,Activity Gear,Filename,Athlete Weight,"
        "Bike Weight,Elapsed Time,Moving Time,Distance,Max Speed,Average Speed,Elevation Gain,Elevation "
        "Loss\n";
    int64_t start = 1717225200;  // 2024-06-01 07:00 UTC
    int id = 11482301;
    for (const Activity& activity : activities) {
        const int seconds = activity.minutes * 60;
        const QByteArray file =
            activity.withFile ? "activities/" + QByteArray::number(id) + ".gpx.gz" : QByteArray();
        if (activity.withFile) {
            zip.Add(QString::fromLatin1(file),
                    Gzip(gpstest::GpxFile({gpstest::RideNorth(52.5, 13.4, start, seconds, activity.speed)})));
        }
        const double metres = activity.speed * seconds;
        csv += QByteArray::number(id) + ",\"" +
               QLocale::c()
                   .toString(QDateTime::fromSecsSinceEpoch(start, QTimeZone::utc()),
                             QStringLiteral("MMM d, yyyy, h:mm:ss AP"))
                   .toLatin1() +
               "\",\"" + activity.name + "\"," + activity.type + ",\"" + activity.description + "\"," +
               QByteArray::number(seconds) + "," + QByteArray::number(metres / 1000.0, 'f', 2) +
               ",,,false,,\"" + activity.gear + "\"," + file + ",,," + QByteArray::number(seconds) + "," +
               QByteArray::number(seconds) + "," + QByteArray::number(metres, 'f', 1) + "," +
               QByteArray::number(activity.speed * 1.4, 'f', 1) + ",,85,85\n";
        start += 86400 + 3600 * (id % 5);
        ++id;
    }
    zip.Add(QStringLiteral("activities.csv"), csv);
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool rides = argc > 1 && QByteArray(argv[1]) == "rides";
    QTemporaryDir directory;
    QDir::setCurrent(directory.path());
    SetProgramDirectory(directory.path());
    QDir().mkpath(QStringLiteral("Rides"));
    LoadLanguageFile(SourcePath(QStringLiteral("languages/vmq_00.ini")));
    DB_CreateDatabase();
    DB_OpenDatabase();
    for (const char* name : {"Trek 520", "Brompton"}) {
        BicycleAttribute bicycle;
        bicycle.BicycleName = ToTextBlock(QString::fromLatin1(name));
        DB_InsertBicycle(&bicycle);
    }
    QString error;
    // Any other argument: the export, folder or file to preview instead.
    const QString source = argc > 1 && !rides ? QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath()
                                              : MakeExport(directory.filePath("export_48213.zip"));
    std::optional<ImportPlan> plan = ReadImportPlan({source}, &error);
    if (!plan) {
        qWarning("%s", qPrintable(error));
        return 1;
    }
    BicycleList bicycles;
    DB_GetBicycleList(&bicycles);
    KnownRides known;
    known.Load();
    if (!rides) {
        ImportPreviewDlg preview(*plan, bicycles, std::nullopt, known, nullptr);
        preview.move(150, 100);
        preview.show();
        return app.exec();
    }
    std::map<QString, int32_t> numbers{{QStringLiteral("Trek 520"), 1}};
    for (ImportActivity& activity : plan->activities) {
        if (!activity.gear.isEmpty() && !numbers.count(activity.gear)) {
            numbers[activity.gear] = AddNamedBicycle(activity.gear).value_or(1);
        }
        activity.bicycle = activity.gear.isEmpty() ? 1 : numbers[activity.gear];
    }
    ImportPlanned(*plan);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* status = new LinkLabel(&window);
    auto* page = new RideDlg(*status, &window);
    layout->addWidget(page, 1);
    layout->addWidget(status);
    status->setMinimumHeight(20);
    window.resize(1100, 600);
    window.move(80, 80);
    window.show();
    page->findChild<QDateEdit*>(QStringLiteral("startDate"))->setDate(QDate(2024, 6, 1));
    page->findChild<QDateEdit*>(QStringLiteral("endDate"))->setDate(QDate(2024, 6, 30));
    return app.exec();
}
