// Importing other programs' exports: a Strava archive (its activities.csv
// with names, descriptions, gear and types, gzipped and plain files, manual
// activities), the same archive a second time, entries that are damaged,
// leave the archive or expand without end, a cancel in the middle, and a
// Garmin Connect export's zips within a zip. Archives are made here with
// libarchive's writer in the layout the exports have.

#include "FitTestFiles.h"
#include "GpsTestFiles.h"
#include "rides/ArchiveImport.h"
#include "rides/ArchiveReader.h"
#include "rides/ImportPreviewDlg.h"
#include "rides/RideDlg.h"
#include "support/ArchiveWriting.h"
#include "support/ListPageTest.h"

#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTableView>
#include <QTimeZone>
#include <QUrl>

namespace {

using namespace gpstest;

constexpr int64_t kMay1 = 1714550400;  // 2024-05-01 08:00:00 UTC

struct ZipEntry {
    QString name;
    QByteArray bytes;
};

bool WriteZip(const QString& path, const std::vector<ZipEntry>& entries) {
    ZipWriter zip(path);
    for (const ZipEntry& entry : entries) {
        zip.Add(entry.name, entry.bytes);
    }
    return zip.Close();
}

QByteArray HourNorthGpx(int64_t start) {
    return GpxFile({RideNorth(52.5, 13.4, start, 3600, 7.0)});
}

// The columns of a Strava export, the repeated ones as it repeats them.
const QByteArray kHeader =
    "Activity ID,Activity Date,Activity Name,Activity Type,Activity Description,Elapsed Time,Distance,"
    "Max Heart Rate,Relative Effort,Commute,Activity Private Note,Activity Gear,Filename,Athlete Weight,"
    "Bike Weight,Elapsed Time,Moving Time,Distance,Max Speed,Average Speed,Elevation Gain,Elevation Loss\n";

QByteArray CsvLine(const QString& id, const QString& date, const QString& name, const QString& type,
                   const QString& description, double km, const QString& gear, const QString& file,
                   int moving = 3500) {
    const auto quoted = [](QString text) -> QString {
        return u'"' + text.replace(u'"', QStringLiteral("\"\"")) + u'"';
    };
    return QStringList{id,
                       quoted(date),
                       quoted(name),
                       type,
                       quoted(description),
                       QStringLiteral("3600"),
                       QString::number(km, 'f', 2),
                       QString(),
                       QString(),
                       QStringLiteral("false"),
                       QString(),
                       quoted(gear),
                       file,
                       QString(),
                       QString(),
                       QStringLiteral("3600"),
                       QString::number(moving),
                       QString::number(km * 1000.0, 'f', 1),
                       QStringLiteral("12.5"),
                       QString(),
                       QStringLiteral("321"),
                       QString()}
               .join(u',')
               .toUtf8() +
           '\n';
}

class ArchiveImportTest : public ListPageTest<RideDlg> {
protected:
    void SetUp() override {
        ListPageTest::SetUp();
        m_trek = AddBicycle(QStringLiteral("Trek 520"));
    }

    // A Strava export: two rides with files (one gzipped), a run, a manual
    // ride, and whatever more a test adds.
    QString StravaZip(std::vector<ZipEntry> more = {}, QByteArray moreCsv = {}) {
        QByteArray csv = kHeader;
        csv += CsvLine("101", "May 1, 2024, 8:00:00 AM", "Morning <b>Ride</b>", "Ride",
                       "Headwind & rain\n<script>x</script>", 25.0, "Trek 520", "activities/101.gpx.gz");
        csv += CsvLine("102", "May 2, 2024, 8:00:00 AM", "Gravel loop", "Gravel Ride", "", 25.2,
                       "Gravel King", "activities/102.gpx");
        csv += CsvLine("103", "May 3, 2024, 8:00:00 AM", "Run", "Run", "", 10.0, "", "activities/103.gpx");
        csv += CsvLine("104", "May 4, 2024, 6:30:00 PM", "Commute by hand", "Ride", "typed in", 12.5,
                       "Trek 520", "", 1800);
        csv += moreCsv;
        std::vector<ZipEntry> entries{
            {QStringLiteral("activities.csv"), csv},
            {QStringLiteral("activities/101.gpx.gz"), m_gzipped},
            {QStringLiteral("activities/102.gpx"), HourNorthGpx(kMay1 + 86400)},
            {QStringLiteral("activities/103.gpx"), HourNorthGpx(kMay1 + 2 * 86400)}};
        entries.insert(entries.end(), more.begin(), more.end());
        const QString path = Path(QStringLiteral("export_1.zip"));
        EXPECT_TRUE(WriteZip(path, entries));
        return path;
    }

    // A Garmin Connect export: the files in a zip within the zip, beside its summaries.
    QString GarminZip(const std::vector<ZipEntry>& files) {
        const QString nested = Path(QStringLiteral("part1.zip"));
        EXPECT_TRUE(WriteZip(nested, files));
        QFile part(nested);
        EXPECT_TRUE(part.open(QIODevice::ReadOnly));
        const QString path = Path(QStringLiteral("garmin.zip"));
        EXPECT_TRUE(WriteZip(
            path, {{QStringLiteral("DI_CONNECT/DI-Connect-Fitness/summary.json"), QByteArray("[]")},
                   {QStringLiteral("DI_CONNECT/DI-Connect-Uploaded-Files/UploadedFiles_0-_Part1.zip"),
                    part.readAll()}}));
        return path;
    }

    ImportPlan Plan(const QStringList& paths) {
        QString error;
        std::optional<ImportPlan> plan = ReadImportPlan(paths, &error);
        EXPECT_TRUE(plan) << error.toStdString();
        return plan.value_or(ImportPlan{});
    }

    // Gear names to bicycles as the preview does: Trek 520 is there, the rest are new.
    void Assign(ImportPlan& plan) {
        for (ImportActivity& activity : plan.activities) {
            if (activity.gear.isEmpty() || activity.gear == QLatin1String("Trek 520")) {
                activity.bicycle = m_trek;
            } else {
                if (!m_new.contains(activity.gear)) {
                    m_new[activity.gear] = AddNamedBicycle(activity.gear).value_or(0);
                }
                activity.bicycle = m_new[activity.gear];
            }
        }
        KnownRides known;
        ASSERT_TRUE(known.Load());
        MarkKnown(plan, known);
    }

    static std::vector<RideRecord> Rides() {
        RideRecordList rides;
        EXPECT_EQ(DB_GetRideRecords(nullptr, &rides), 0);
        std::sort(rides.begin(), rides.end(),
                  [](const RideRecord& a, const RideRecord& b) { return a.Date < b.Date; });
        return rides;
    }

    QByteArray MemoFolderFile(int number, const QString& name) const {
        QFile file(Path(QStringLiteral("Rides/%1/%2").arg(number).arg(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    int m_trek = 0;
    const QByteArray m_gzipped = Gzip(HourNorthGpx(kMay1));
    QMap<QString, int> m_new;
};

TEST_F(ArchiveImportTest, StravaArchiveBringsNamesGearTypesAndManualRides) {
    ImportPlan plan = Plan({StravaZip()});
    ASSERT_EQ(plan.kind, ImportSourceKind::StravaZip);
    ASSERT_EQ(plan.activities.size(), 4u);
    // Rides of every kind by default, the run only on request.
    EXPECT_TRUE(plan.activities[0].include);
    EXPECT_TRUE(plan.activities[1].include);
    EXPECT_FALSE(plan.activities[2].include);
    EXPECT_TRUE(plan.activities[3].include);
    EXPECT_EQ(GearNames(plan), (QStringList{QStringLiteral("Gravel King"), QStringLiteral("Trek 520")}));
    Assign(plan);
    const ImportSummary summary = ImportPlanned(plan);
    EXPECT_EQ(summary.imported, 3) << summary.failures.join(u'\n').toStdString();
    EXPECT_TRUE(summary.failures.isEmpty());

    const std::vector<RideRecord> rides = Rides();
    ASSERT_EQ(rides.size(), 3u);
    // Strava's own figures where it has them.
    EXPECT_EQ(rides[0].Date, kMay1);
    EXPECT_DOUBLE_EQ(rides[0].Distance, 25.0);
    EXPECT_EQ(rides[0].Hours * 3600 + rides[0].Minutes * 60 + rides[0].Seconds, 3500);
    EXPECT_DOUBLE_EQ(rides[0].MaxSpeed, 12.5 * 3.6);
    EXPECT_EQ(rides[0].BicycleNumber, m_trek);
    EXPECT_EQ(rides[1].BicycleNumber, m_new.value(QStringLiteral("Gravel King")));
    // The manual ride from its line alone.
    EXPECT_EQ(rides[2].Date, kMay1 + 3 * 86400 + 10 * 3600 + 1800);
    EXPECT_DOUBLE_EQ(rides[2].Distance, 12.5);
    EXPECT_EQ(rides[2].Minutes, 30);

    // Name and description are text in the memo, never markup.
    const QString memo = FromTextBlock(rides[0].Memo);
    EXPECT_TRUE(memo.contains(QStringLiteral("Morning <b>Ride</b>"))) << memo.toStdString();
    EXPECT_TRUE(memo.contains(QStringLiteral("<script>x</script>")));
    const int first = rides[0].RideRecordNumber;
    const QByteArray document = MemoFolderFile(first, QStringLiteral("data.htm"));
    EXPECT_FALSE(QString::fromUtf16(reinterpret_cast<const char16_t*>(document.constData() + 2),
                                    (document.size() - 2) / 2)
                     .contains(QStringLiteral("<script>")));
    EXPECT_FALSE(MemoFolderFile(first, QStringLiteral("data.files/track.png")).isEmpty());
    EXPECT_EQ(MemoFolderFile(first, QStringLiteral("source/101.gpx.gz")), m_gzipped);

    RideDetail detail;
    bool found = false;
    ASSERT_EQ(DB_GetRideDetail(first, &detail, &found), 0);
    EXPECT_EQ(detail.ActivityId, "101");
    EXPECT_EQ(detail.SourceFile, "101.gpx.gz");
    EXPECT_EQ(detail.Ascent, 321.0);
    ASSERT_EQ(DB_GetRideDetail(rides[2].RideRecordNumber, &detail, &found), 0);
    EXPECT_EQ(detail.ActivityId, "104");
}

TEST_F(ArchiveImportTest, SecondRunImportsOnlyWhatIsMissing) {
    const QString zip = StravaZip();
    ImportPlan plan = Plan({zip});
    Assign(plan);
    plan.activities[1].include = false;
    EXPECT_EQ(ImportPlanned(plan).imported, 2);

    // The same archive again, now with the gravel ride; and the same ride
    // as a plain file, known by bicycle, start and distance.
    ImportPlan again = Plan({zip});
    Assign(again);
    EXPECT_TRUE(again.activities[0].known);
    EXPECT_FALSE(again.activities[1].known);
    EXPECT_TRUE(again.activities[3].known);
    EXPECT_EQ(ImportPlanned(again).imported, 1);
    EXPECT_EQ(Rides().size(), 3u);

    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("gps"))));
    ASSERT_TRUE(WriteBytes(Path(QStringLiteral("gps/same.gpx")), HourNorthGpx(kMay1)));
    ASSERT_TRUE(WriteBytes(Path(QStringLiteral("gps/other.gpx")), HourNorthGpx(kMay1 + 7200)));
    ImportPlan files = Plan({Path(QStringLiteral("gps"))});
    ASSERT_EQ(files.kind, ImportSourceKind::Files);
    ASSERT_EQ(files.activities.size(), 2u);
    for (ImportActivity& activity : files.activities) {
        activity.bicycle = m_trek;
    }
    KnownRides known;
    ASSERT_TRUE(known.Load());
    MarkKnown(files, known);
    // Distance worked out from the points is within 1.5 % of Strava's 25 km.
    EXPECT_FALSE(files.activities[0].known);
    EXPECT_TRUE(files.activities[1].known);
    EXPECT_EQ(ImportPlanned(files).imported, 1);
}

TEST_F(ArchiveImportTest, DamagedEscapingAndExpandingEntriesAreRefusedAndTheRestComesIn) {
    const QByteArray more =
        CsvLine("105", "May 5, 2024, 8:00:00 AM", "Broken", "Ride", "", 20.0, "", "activities/105.fit.gz") +
        CsvLine("106", "May 6, 2024, 8:00:00 AM", "Escape", "Ride", "", 20.0, "", "../escape.gpx") +
        CsvLine("107", "May 7, 2024, 8:00:00 AM", "Bomb", "Ride", "", 20.0, "", "activities/107.fit.gz");
    const QString zip =
        StravaZip({{QStringLiteral("activities/105.fit.gz"), QByteArray("\x1f\x8b\x08 not gzip at all", 20)},
                   {QStringLiteral("../escape.gpx"), HourNorthGpx(kMay1 + 6 * 86400)},
                   {QStringLiteral("activities/107.fit.gz"), Gzip(QByteArray(70 * 1024 * 1024, '\0'))}},
                  more);
    ImportPlan plan = Plan({zip});
    ASSERT_EQ(plan.activities.size(), 7u);
    EXPECT_FALSE(plan.problems.filter(QStringLiteral("../escape.gpx")).isEmpty());
    EXPECT_FALSE(plan.activities[5].problem.isEmpty());
    Assign(plan);
    const ImportSummary summary = ImportPlanned(plan);
    EXPECT_EQ(summary.imported, 3);
    EXPECT_EQ(summary.failures.size(), 3) << summary.failures.join(u'\n').toStdString();
    EXPECT_FALSE(summary.failures.filter(QStringLiteral("105.fit.gz")).isEmpty());
    EXPECT_FALSE(summary.failures.filter(QStringLiteral("107.fit.gz")).isEmpty());
    // Nothing was written for the escaping entry, here or above.
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("../escape.gpx"))));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("escape.gpx"))));
}

TEST_F(ArchiveImportTest, ALinkPlantedInAnUnpackedExportIsNotFollowed) {
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("export/activities"))));
    ASSERT_TRUE(WriteBytes(Path(QStringLiteral("elsewhere.gpx")), HourNorthGpx(kMay1)));
    ASSERT_TRUE(
        QFile::link(Path(QStringLiteral("elsewhere.gpx")), Path(QStringLiteral("export/activities/9.gpx"))));
    ASSERT_TRUE(WriteBytes(Path(QStringLiteral("export/activities.csv")),
                           kHeader + CsvLine("9", "May 1, 2024, 8:00:00 AM", "Linked", "Ride", "", 25.0, "",
                                             "activities/9.gpx")));
    const ImportPlan plan = Plan({Path(QStringLiteral("export"))});
    ASSERT_EQ(plan.activities.size(), 1u);
    EXPECT_TRUE(plan.activities[0].problem.contains(QStringLiteral("activities/9.gpx")))
        << plan.activities[0].problem.toStdString();
}

TEST_F(ArchiveImportTest, CancelKeepsWhatCameInBefore) {
    std::vector<ZipEntry> entries{{QStringLiteral("activities.csv"), kHeader}};
    for (int i = 0; i < 40; ++i) {
        const QString file = QStringLiteral("activities/%1.gpx.gz").arg(200 + i);
        entries[0].bytes +=
            CsvLine(QString::number(200 + i),
                    QDateTime::fromSecsSinceEpoch(kMay1 + i * 86400, QTimeZone::utc())
                        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                    QStringLiteral("Ride %1").arg(i), QStringLiteral("Ride"), {}, 25.0, {}, file);
        entries.push_back({file, Gzip(HourNorthGpx(kMay1 + i * 86400))});
    }
    ASSERT_TRUE(WriteZip(Path(QStringLiteral("many.zip")), entries));
    ImportPlan plan = Plan({Path(QStringLiteral("many.zip"))});
    Assign(plan);
    const ImportSummary summary =
        ImportPlanned(plan, [](int done, int, const QString&) { return done < 20; });
    EXPECT_TRUE(summary.cancelled);
    EXPECT_EQ(summary.imported, 20);
    EXPECT_EQ(Rides().size(), static_cast<size_t>(summary.imported));
    // The rest comes in with the next run.
    ImportPlan rest = Plan({Path(QStringLiteral("many.zip"))});
    Assign(rest);
    EXPECT_EQ(ImportPlanned(rest).imported, 40 - summary.imported);
}

TEST_F(ArchiveImportTest, GarminExportsZipsWithinAZipAreRead) {
    ImportPlan plan =
        Plan({GarminZip({{QStringLiteral("rider@example.org_1001.gpx"), HourNorthGpx(kMay1)},
                         {QStringLiteral("rider@example.org_1002.tcx"), QByteArray("<oops")}})});
    ASSERT_EQ(plan.kind, ImportSourceKind::OtherZip);
    ASSERT_EQ(plan.activities.size(), 2u);
    EXPECT_EQ(plan.activities[0].start, kMay1);
    EXPECT_NEAR(plan.activities[0].distanceKm, 25.2, 0.3);
    EXPECT_FALSE(plan.activities[1].problem.isEmpty());
    Assign(plan);
    const ImportSummary summary = ImportPlanned(plan);
    EXPECT_EQ(summary.imported, 1);
    EXPECT_EQ(summary.failures.size(), 1);
    ASSERT_EQ(Rides().size(), 1u);
    EXPECT_FALSE(
        MemoFolderFile(Rides()[0].RideRecordNumber, QStringLiteral("source/rider@example.org_1001.gpx"))
            .isEmpty());
}

// Without a list of activities, the sport each file names picks what comes in:
// rides of every kind at first, others on request.
TEST_F(ArchiveImportTest, TheSportAFileNamesChoosesWhatIsImported) {
    const ImportPlan plan =
        Plan({GarminZip({{QStringLiteral("rider@example.org_1003.fit"),
                          fittest::Ride(fittest::FitTime(kMay1), 60, kFitSportCycling, false, 7)},
                         {QStringLiteral("rider@example.org_1004.fit"),
                          fittest::Ride(fittest::FitTime(kMay1 + 86400), 60, 1)}})});
    ASSERT_EQ(plan.activities.size(), 2u);
    EXPECT_EQ(plan.activities[0].type, QStringLiteral("Road cycling"));
    EXPECT_TRUE(plan.activities[0].include);
    EXPECT_EQ(plan.activities[1].type, QStringLiteral("Running"));
    EXPECT_FALSE(plan.activities[1].include);
    const BicycleList bicycles = Bicycles();
    KnownRides known;
    ASSERT_TRUE(known.Load());
    ImportPreviewDlg preview(plan, bicycles, m_trek, known, nullptr);
    EXPECT_TRUE(Find<QCheckBox>(preview, "type0")->isChecked());
    QCheckBox* run = Find<QCheckBox>(preview, "type1");
    EXPECT_EQ(run->text(), QStringLiteral("Running (1)"));
    EXPECT_FALSE(run->isChecked());
    run->click();
    EXPECT_EQ(preview.CountText(),
              QStringLiteral("2 of 2 activities will be imported; 0 already in the log, 0 cannot be read."));
}

// The page: an archive dropped on it is previewed, gear names mapped to the
// log's bicycles or new ones, a type added, and only then imported.
TEST_F(ArchiveImportTest, ADroppedArchiveIsPreviewedBeforeItIsImported) {
    const QString zip = StravaZip();
    ShowPage();
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(zip)});
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_page.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    m_drivers.Then<ImportPreviewDlg>([&](ImportPreviewDlg& preview) {
        EXPECT_EQ(Find<QTableView>(preview, "activities")->model()->rowCount(), 4);
        EXPECT_EQ(
            preview.CountText(),
            QStringLiteral("3 of 4 activities will be imported; 0 already in the log, 0 cannot be read."));
        // Gear names in order: Gravel King is new, Trek 520 is the log's.
        EXPECT_EQ(Find<QComboBox>(preview, "gear0")->currentText(), QStringLiteral("New bicycle"));
        EXPECT_EQ(Find(preview, "gear0Name")->text(), QStringLiteral("Gravel King"));
        EXPECT_EQ(Find<QComboBox>(preview, "gear1")->currentText(), QStringLiteral("Trek 520"));
        // A bicycle chosen in a row stays when its gear's bicycle is changed afterwards.
        QAbstractItemModel* rows = Find<QTableView>(preview, "activities")->model();
        const QModelIndex gravelLoop = rows->index(1, 5);
        rows->setData(gravelLoop, m_trek, Qt::EditRole);
        Type(preview, "gear0Name", QStringLiteral("Gravel King!"));
        EXPECT_EQ(gravelLoop.data().toString(), QStringLiteral("Trek 520"));
        rows->setData(gravelLoop, -1, Qt::EditRole);  // back to the gear's new bicycle
        Type(preview, "gear0Name", QStringLiteral("Gravel <King>"));
        QCheckBox* run = Find<QCheckBox>(preview, "type2");
        EXPECT_EQ(run->text(), QStringLiteral("Run (1)"));
        run->click();
        // The run has no gear: it goes to the bicycle for rides without.
        ChooseListEntry(Find<QComboBox>(preview, "bicycle"), 0);
        EXPECT_EQ(
            preview.CountText(),
            QStringLiteral("4 of 4 activities will be imported; 0 already in the log, 0 cannot be read."));
        Click(preview, "ok");
    });
    m_dialogs.AnswerMessage(kButtonOk, QStringLiteral("4 ride(s) imported."));
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_page.get(), &drop);
    ASSERT_EQ(Bicycles().size(), 2u);
    EXPECT_EQ(FromTextBlock(Bicycles()[1].BicycleName), QStringLiteral("Gravel <King>"));
    EXPECT_EQ(Rides().size(), 4u);

    // Again: everything is known, nothing comes in twice.
    m_drivers.Then<ImportPreviewDlg>([&](ImportPreviewDlg& preview) {
        EXPECT_EQ(
            preview.CountText(),
            QStringLiteral("0 of 4 activities will be imported; 4 already in the log, 0 cannot be read."));
        Click(preview, "ok");
    });
    m_dialogs.AnswerMessage(kButtonOk, QStringLiteral("No ride was imported."));
    QApplication::sendEvent(m_page.get(), &enter);
    QApplication::sendEvent(m_page.get(), &drop);
    EXPECT_EQ(Rides().size(), 4u);
}

}  // namespace
