// Importing rides from GPS files on the rides page, as the rider does it: the
// Import button and dropped files, the bicycle of the filter or the one asked
// for, local times, files without times, broken files among good ones,
// duplicates, a cancelled batch, the picture of the route in the memo folder,
// and a store or disk that refuses the ride.

#include "GpsTestFiles.h"
#include "memo/HtmlView.h"
#include "memo/MemoDocument.h"
#include "memo/MemoEditor.h"
#include "rides/GpsTrack.h"
#include "rides/ImportPreviewDlg.h"
#include "rides/RideDlg.h"
#include "rides/RideImport.h"
#include "rides/RideRecordDlg.h"
#include "support/ListPageTest.h"
#include "units/SafeFormat.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QProgressDialog>
#include <QUrl>
#include <map>
#include <memory>

namespace {

using namespace gpstest;

constexpr int64_t kMay1 = 1714550400;  // 2024-05-01 08:00:00 UTC, 10:00 in Berlin
constexpr int64_t kDay = 86400;

class RideImportTest : public ListPageTest<RideDlg> {
protected:
    void SetUp() override {
        ListPageTest::SetUp();
        m_clock.Set(Local(2024, 6, 1, 18, 30));
        AddBicycle(QStringLiteral("Trek 520"));
        AddBicycle(QStringLiteral("Fuji <Track>"));
        ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("gps"))));
    }

    // Shows the page, without a reload when it is shown already, with the
    // filter at filterPosition.
    void ShowPage(int filterPosition) {
        if (!m_page) {
            m_page = std::make_unique<RideDlg>(m_status, nullptr);
            m_page->resize(900, 500);
        }
        m_page->show();
        QComboBox* filter = Find<QComboBox>(*m_page, "bicycleFilter");
        if (filter->currentIndex() != filterPosition) {
            ChooseListEntry(filter, filterPosition);
        }
    }

    QString File(const QString& name, const QByteArray& bytes) const {
        const QString path = Path(QStringLiteral("gps/") + name);
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }
    // An hour north at 7 m/s from Berlin, climbing from 100 m to 160 m.
    QString HourNorth(const QString& name, int64_t start = kMay1) const {
        Segment ride = RideNorth(52.5, 13.4, start, 3600, 7.0);
        for (size_t i = 0; i < ride.size(); ++i) {
            ride[i].elevation = 100.0 + static_cast<double>(i) / 60.0;
        }
        return File(name, GpxFile({ride}));
    }

    // Chooses the files with the Import button; the summary that ends the
    // import is answered and, when given, must read message.
    void Import(const QStringList& files, std::optional<QString> message = std::nullopt) {
        m_dialogs.AnswerOpenFiles(files);
        AcceptPreview();
        m_dialogs.AnswerMessage(kButtonOk, std::move(message));
        Click(*m_page, "import");
    }
    // The preview of what comes in, taken as it is offered.
    void AcceptPreview() {
        m_drivers.Then<ImportPreviewDlg>([](ImportPreviewDlg& preview) { Click(preview, "ok"); });
    }

    QStringList RideFolders() const {
        return QDir(Path(QStringLiteral("Rides"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }
    QString MemoDocument(int number) const {
        return DecodeMemoDocument(m_programDir.ReadFile(QStringLiteral("Rides/%1/data.htm").arg(number)));
    }
};

TEST_F(RideImportTest, ImportMakesOneRidePerFileForTheFilteredBicycle) {
    const QString gpx = HourNorth(QStringLiteral("north.gpx"));
    // Two laps of half an hour at 6 m/s; the device measured a little more than the points show.
    const int64_t may2 = kMay1 + kDay;
    const Segment lap1 = RideNorth(47.0, 8.0, may2, 1800, 6.0);
    const Segment lap2 = RideNorth(lap1.back().latitude, 8.0, may2 + 1801, 1800, 6.0);
    const QString tcx = File(QStringLiteral("laps.tcx"), TcxFile({lap1, lap2}, {10850.0, 10900.5}));
    const QString fitSource =
        File(QStringLiteral("source.gpx"), GpxFile({RideNorth(45.0, 7.0, kMay1 + 2 * kDay, 1200, 5.0)}));
    const QString fit = Path(QStringLiteral("gps/Garmin 2024-05-03.fit"));
    ASSERT_NO_FATAL_FAILURE(MakeFitFromGpx(fitSource, fit));

    ShowPage(2);
    Import({gpx, tcx, fit}, QStringLiteral("3 ride(s) imported."));

    ASSERT_EQ(m_dialogs.Asked().size(), 2u);
    EXPECT_EQ(m_dialogs.Asked()[0].text, QStringLiteral("Import rides"));
    EXPECT_EQ(
        m_dialogs.Asked()[0].filter,
        QStringLiteral("GPS files (*.gpx *.tcx *.fit *.gz *.zip activities.csv);;Spreadsheets (CSV) (*.csv);;"
                       "All files (*)"));
    EXPECT_EQ(m_dialogs.Asked()[1].icon, MessageIcon::Information);

    const RideRecordList rides = StoredRides();
    ASSERT_EQ(rides.size(), 3u);
    for (const RideRecord& ride : rides) {
        EXPECT_EQ(ride.BicycleNumber, 2);
        EXPECT_EQ(ride.DifficultyLevel, 0);
    }
    // Newest first: the FIT ride, the TCX ride, the GPX ride.
    EXPECT_EQ(rides[0].Date, kMay1 + 2 * kDay);
    // The FIT file's own total: gpsbabel measured it on the equatorial radius.
    EXPECT_NEAR(rides[0].Distance, 6.0 * 6378137.0 / 6371008.8, 0.001);
    // FIT keeps positions to about a centimetre, which shows in a speed over seconds.
    EXPECT_NEAR(rides[0].MaxSpeed, 18.0, 0.05);
    EXPECT_EQ(rides[1].Date, may2);
    EXPECT_DOUBLE_EQ(rides[1].Distance, 21.7505);
    EXPECT_EQ(rides[2].Date, kMay1);
    EXPECT_NEAR(rides[2].Distance, 25.2, 1e-6);

    ASSERT_EQ(Rows(), 3);
    const QStringList expected[] = {
        {"2024/05/03(Friday)", "Fuji <Track>", "6.01km", "0:20:00", "18.02km/h"},
        {"2024/05/02(Thursday)", "Fuji <Track>", "21.75km", "1:00:00", "21.75km/h", "21.60km/h"},
        {"2024/05/01(Wednesday)", "Fuji <Track>", "25.20km", "1:00:00", "25.20km/h", "25.20km/h"},
    };
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < expected[row].size(); ++column) {
            EXPECT_EQ(Cell(row, column), expected[row][column]) << row << "," << column;
        }
    }
    EXPECT_EQ(Cell(2, 6), QStringLiteral("north.gpx  Start: 2024/05/01 10:..."));
    EXPECT_EQ(FromTextBlock(rides[2].Memo),
              QStringLiteral("north.gpx\r\nStart: 2024/05/01 10:00:00\r\n"
                             "End: 2024/05/01 11:00:00\r\nElevation gain: 60 m\r\n"));
    EXPECT_EQ(RideFolders(), QStringList({"1", "2", "3"}));
}

TEST_F(RideImportTest, AllBicyclesAsksWhichBicycleAndCancelImportsNothing) {
    const QString gpx = HourNorth(QStringLiteral("north.gpx"));
    ShowPage(0);
    m_dialogs.AnswerOpenFiles({gpx});
    m_drivers.Then<ImportPreviewDlg>([&](ImportPreviewDlg& question) {
        // The log's two bicycles and a new one.
        EXPECT_EQ(Find<QComboBox>(question, "bicycle")->count(), 3);
        Click(question, "cancel");
    });
    Click(*m_page, "import");
    EXPECT_TRUE(StoredRides().empty());
    EXPECT_TRUE(RideFolders().isEmpty());

    m_dialogs.AnswerOpenFiles({gpx});
    m_dialogs.AnswerMessage(kButtonOk, GetLanguageString("ErrorStrings", "SELB"));
    m_drivers.Then<ImportPreviewDlg>([&](ImportPreviewDlg& question) {
        // OK without a bicycle asks for one.
        Click(question, "ok");
        ASSERT_TRUE(question.isVisible());
        ChooseListEntry(Find<QComboBox>(question, "bicycle"), 0);
        Click(question, "ok");
    });
    m_dialogs.AnswerMessage(kButtonOk, QStringLiteral("1 ride(s) imported."));
    Click(*m_page, "import");
    const RideRecordList rides = StoredRides();
    ASSERT_EQ(rides.size(), 1u);
    EXPECT_EQ(rides[0].BicycleNumber, 1);
    EXPECT_EQ(Rows(), 1);
}

TEST_F(RideImportTest, ARideRecordedInUtcIsShownAtLocalTime) {
    ScopedTimeZone newYork("America/New_York");
    // 02:30 UTC on July 2 is 22:30 on July 1 in New York.
    const int64_t start = 1719887400;
    const QString gpx = File(QStringLiteral("late.gpx"), GpxFile({RideNorth(40.7, -74.0, start, 600, 6.0)}));
    ShowPage(1);
    Import({gpx});
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(m_page->Rides().RecordAt(0).Date, start);
    EXPECT_EQ(Cell(0, 0), QStringLiteral("2024/07/01(Monday)"));
    EXPECT_TRUE(
        MemoDocument(1).contains(QStringLiteral("Start: 2024/07/01 22:30:00<br>End: 2024/07/01 22:40:00")));
}

TEST_F(RideImportTest, AFileWithoutTimesIsDatedByTheFile) {
    Segment ride = RideNorth(52.5, 13.4, kMay1, 100, 7.0);
    for (Fix& fix : ride) {
        fix.time.reset();
    }
    const QString gpx = File(QStringLiteral("planned.gpx"), GpxFile({ride}));
    QFile file(gpx);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(
        file.setFileTime(QDateTime::fromSecsSinceEpoch(kMay1 + 3600), QFileDevice::FileModificationTime));
    file.close();

    ShowPage(1);
    Import({gpx}, QStringLiteral("1 ride(s) imported.\n\nplanned.gpx holds no times; its ride is "
                                 "dated with the file's date. Please check it."));
    const RideRecordList rides = StoredRides();
    ASSERT_EQ(rides.size(), 1u);
    EXPECT_EQ(rides[0].Date, kMay1 + 3600);
    EXPECT_NEAR(rides[0].Distance, 0.7, 1e-6);
    EXPECT_EQ(rides[0].Hours * 3600 + rides[0].Minutes * 60 + rides[0].Seconds, 0);
    EXPECT_EQ(rides[0].MaxSpeed, 0.0);
    EXPECT_TRUE(
        MemoDocument(1).contains(QStringLiteral("The file holds no times; the ride is dated with the file")));
}

TEST_F(RideImportTest, ABrokenFileIsNamedAndTheOthersStillImport) {
    const QString first = HourNorth(QStringLiteral("first.gpx"));
    const QByteArray whole = GpxFile({RideNorth(52.5, 13.4, kMay1 + kDay, 600, 7.0)});
    const QByteArray cut = whole.left(whole.size() * 2 / 3);
    const QString broken = File(QStringLiteral("broken <1>.gpx"), cut);
    const QString foreign = File(QStringLiteral("notes.tcx"), "<notes>a ride</notes>");
    const QString last = HourNorth(QStringLiteral("last.gpx"), kMay1 + 2 * kDay);

    ShowPage(1);
    Import({first, broken, foreign, last},
           QStringLiteral("2 ride(s) imported.\n\nbroken <1>.gpx is damaged and cannot be "
                          "read (line %1).\nnotes.tcx is neither a GPX nor a TCX file.")
               .arg(cut.count('\n') + 1));
    // Rides came in: a warning, not an error box for a success.
    EXPECT_EQ(m_dialogs.Asked().back().icon, MessageIcon::Warning);
    const RideRecordList rides = StoredRides();
    ASSERT_EQ(rides.size(), 2u);
    EXPECT_EQ(rides[0].Date, kMay1 + 2 * kDay);
    EXPECT_EQ(rides[1].Date, kMay1);
    EXPECT_EQ(RideFolders(), QStringList({"1", "2"}));
}

TEST_F(RideImportTest, ARideAlreadyInTheLogIsReportedAndSkipped) {
    const QString gpx = HourNorth(QStringLiteral("north.gpx"));
    AddRide(Ride(1, kMay1 + 40, 25.0, 1, 0, 0));
    ShowPage(1);
    Import({gpx}, QStringLiteral("No ride was imported.\n\nnorth.gpx: a ride of this bicycle "
                                 "starting at 2024/05/01 10:00:40 is already in the log; it was "
                                 "skipped."));
    EXPECT_EQ(StoredRides().size(), 1u);

    // Another bicycle has no such ride; the same file twice in one batch is one ride.
    ShowPage(2);
    Import({gpx, gpx}, QStringLiteral("1 ride(s) imported.\n\nnorth.gpx: a ride of this bicycle "
                                      "starting at 2024/05/01 10:00:00 is already in the log; it was "
                                      "skipped."));
    const RideRecordList rides = StoredRides();
    ASSERT_EQ(rides.size(), 2u);
    EXPECT_EQ(rides[0].BicycleNumber + rides[1].BicycleNumber, 3);

    // A minute and a half apart are two rides.
    const QString later = HourNorth(QStringLiteral("later.gpx"), kMay1 + 90);
    Import({later}, QStringLiteral("1 ride(s) imported."));
    EXPECT_EQ(StoredRides().size(), 3u);
}

TEST_F(RideImportTest, CancelStopsTheBatchAndKeepsWhatWasImported) {
    QStringList files;
    for (int i = 0; i < 5; ++i) {
        files << HourNorth(QStringLiteral("ride %1.gpx").arg(i + 1), kMay1 + i * kDay);
    }
    const QString another = HourNorth(QStringLiteral("another.gpx"), kMay1 + 9 * kDay);
    QStringList labels;
    m_drivers.WatchProgress([&](QProgressDialog& progress) {
        labels << progress.labelText();
        // File names are shown as written, never taken for markup.
        const QLabel* label = progress.findChild<QLabel*>();
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_TRUE(progress.isVisible());
        EXPECT_EQ(progress.maximum(), 5);
        if (progress.value() == 1) {
            // The progress window keeps the page from the user's clicks and
            // drops; should files reach it all the same, no second import starts.
            m_page->ImportFiles({another});
        }
        if (progress.value() == 2) {
            QPushButton* cancel = progress.findChild<QPushButton*>();
            ASSERT_NE(cancel, nullptr);
            EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
            QTest::mouseClick(cancel, Qt::LeftButton);
        }
    });
    ShowPage(1);
    Import(files, QStringLiteral("2 ride(s) imported.\nThe import was cancelled; the rides "
                                 "imported until then are kept."));
    EXPECT_EQ(labels, QStringList({"Importing ride 1.gpx (1 of 5)", "Importing ride 2.gpx (2 of 5)",
                                   "Importing ride 3.gpx (3 of 5)"}));
    const RideRecordList rides = StoredRides();
    ASSERT_EQ(rides.size(), 2u);
    EXPECT_EQ(rides[0].Date, kMay1 + kDay);
    EXPECT_EQ(RideFolders(), QStringList({"1", "2"}));
    EXPECT_EQ(Rows(), 2);
    EXPECT_FALSE(m_page->findChild<QProgressDialog*>()) << "the progress dialog stays behind";
}

TEST_F(RideImportTest, TheMemoFolderHoldsThePictureOfTheRoute) {
    // North, then east: the end lies up and to the right of the start.
    Segment ride = RideNorth(52.5, 13.4, kMay1, 1200, 7.0);
    for (int i = 1; i <= 1200; ++i) {
        ride.push_back(
            {ride[1200].latitude, ride[1200].longitude + i * 1e-4, std::nullopt, kMay1 + 1200 + i});
    }
    const QString gpx =
        File(QStringLiteral("north & east.gpx"), GpxFile({ride}, QStringLiteral("Morning <loop>")));
    // Something a deleted ride left under the number the new ride gets.
    ASSERT_TRUE(m_programDir.WriteFile(QStringLiteral("Rides/1/data.files/old.jpg"), "old"));

    ShowPage(1);
    Import({gpx});
    ASSERT_EQ(StoredRides().size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("Rides/1/data.files/old.jpg"))));
    // The file itself is kept with the ride.
    const QString kept = QStringLiteral("Rides/1/source/north & east.gpx");
    EXPECT_EQ(m_programDir.ReadFile(kept), m_programDir.ReadFile(QStringLiteral("gps/north & east.gpx")));

    const QByteArray document = m_programDir.ReadFile(QStringLiteral("Rides/1/data.htm"));
    ASSERT_TRUE(document.startsWith("\xff\xfe"));
    const QString markup = DecodeMemoDocument(document);
    EXPECT_TRUE(
        markup.contains(QStringLiteral("<p><b>north &amp; east.gpx</b> (Morning &lt;loop&gt;)<br>Start: ")))
        << markup.toStdString();
    EXPECT_TRUE(
        markup.contains(QStringLiteral("<img src=\"data.files/track.png\" width=\"400\" height=\"264\">")));

    const QImage picture(Path(QStringLiteral("Rides/1/data.files/track.png")));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(400, 264));
    // Where the start (green) and end (red) marks and the line (blue) are on
    // the route, above the legend along the bottom.
    auto centre = [&](auto isColour) {
        QPointF sum;
        int count = 0;
        for (int y = 0; y < picture.height() - 40; ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                if (isColour(picture.pixelColor(x, y))) {
                    sum += QPointF(x, y);
                    ++count;
                }
            }
        }
        return std::pair{count ? sum / count : QPointF(), count};
    };
    const auto [start, greens] =
        centre([](QColor c) { return c.green() > 100 && c.red() < 80 && c.blue() < 80; });
    const auto [end, reds] =
        centre([](QColor c) { return c.red() > 170 && c.green() < 70 && c.blue() < 70; });
    const auto [line, blues] =
        centre([](QColor c) { return c.blue() > 170 && c.red() < 60 && c.green() < 130; });
    EXPECT_GT(greens, 50);
    EXPECT_GT(reds, 50);
    EXPECT_GT(blues, 500);
    const double width = picture.width();
    const double height = picture.height() - 40;
    EXPECT_LT(start.x(), width / 3);
    EXPECT_GT(start.y(), height * 2 / 3);
    EXPECT_GT(end.x(), width * 2 / 3);
    EXPECT_LT(end.y(), height / 3);
    // The line runs up the left and along the top.
    EXPECT_LT(line.x(), width / 2);
    EXPECT_LT(line.y(), height / 2);

    // Opened in the editor and saved, the memo keeps its picture.
    QTest::mouseClick(m_page->Table()->viewport(), Qt::LeftButton, {},
                      m_page->Table()->visualRect(m_page->Rides().index(0, 0)).center());
    m_drivers.Then<RideRecordDlg>([&](RideRecordDlg& editor) {
        EXPECT_EQ(editor.Memo()->View()->GetPictureSources(),
                  QStringList({Path(QStringLiteral("Rides/1/data.files/track.png"))}));
        Click(editor, "save");
    });
    Click(*m_page, "modify");
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("Rides/1/data.files/track.png"))));
    // The memo's clean-up of pictures it no longer shows leaves the file alone.
    EXPECT_TRUE(QFileInfo::exists(Path(kept)));
}

TEST_F(RideImportTest, TracksAndFilesWithoutARideAreSkippedAndCounted) {
    // Two rides and 20,000 tracks of a single point each, in one file of a
    // single file's import: it shows its progress like a batch.
    QByteArray gpx = GpxFile({RideNorth(52.5, 13.4, kMay1, 600, 7.0)});
    const QByteArray second = GpxFile({RideNorth(52.5, 13.4, kMay1 + kDay, 600, 7.0)});
    const qsizetype trackAt = second.indexOf("  <trk>");
    QByteArray tracks = second.mid(trackAt, second.indexOf("</gpx>") - trackAt);
    for (int i = 0; i < 20000; ++i) {
        tracks += QStringLiteral(
                      "<trk><trkseg><trkpt lat=\"%1\" lon=\"13\"><time>%2</time></trkpt></trkseg></trk>\n")
                      .arg(50.0 + i * 1e-4)
                      .arg(IsoTime(kMay1 + 2 * kDay + i))
                      .toUtf8();
    }
    gpx.insert(gpx.indexOf("</gpx>"), tracks);
    const QString many = File(QStringLiteral("many.gpx"), gpx);
    QStringList labels;
    m_drivers.WatchProgress([&](QProgressDialog& progress) { labels << progress.labelText(); });
    ShowPage(1);
    Import({many}, QStringLiteral("2 ride(s) imported.\n20000 track(s) without distance or time skipped."));
    EXPECT_EQ(labels.value(0), QStringLiteral("Importing many.gpx (1 of 1)"));
    EXPECT_EQ(StoredRides().size(), 2u);
    // Each ride keeps its own copy of the file.
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("Rides/2/source/many.gpx")), gpx);
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("Rides/1/source/many.gpx")), gpx);

    const QString waypoints =
        File(QStringLiteral("waypoints.gpx"), "<gpx><wpt lat=\"1\" lon=\"2\"><name>home</name></wpt></gpx>");
    Import({waypoints},
           QStringLiteral("No ride was imported.\n1 file(s) with neither positions nor totals skipped."));
}

TEST_F(RideImportTest, ARideWithoutPositionsHasItsTotalsAndNoPicture) {
    // As an indoor trainer records it: the device's totals alone.
    PreparedTrack trainer;
    trainer.figures.startSeconds = kMay1;
    trainer.figures.endSeconds = kMay1 + 3600;
    trainer.figures.distanceMetres = 30000.0;
    trainer.figures.movingSeconds = 3600;
    const QString fit = File(QStringLiteral("trainer.fit"), "FIT bytes");
    ImportedRideStore store;
    ASSERT_TRUE(store.Add(MakeImportedRide(trainer, fit, 1, 0)));
    ASSERT_TRUE(store.Commit());
    const RideRecordList rides = StoredRides();
    ASSERT_EQ(rides.size(), 1u);
    EXPECT_EQ(rides[0].Date, kMay1);
    EXPECT_EQ(rides[0].Distance, 30.0);
    EXPECT_EQ(rides[0].Hours, 1);
    EXPECT_FALSE(MemoDocument(1).contains(QStringLiteral("<img")));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("Rides/1/data.files"))));
    EXPECT_EQ(m_programDir.ReadFile(QStringLiteral("Rides/1/source/trainer.fit")), QByteArray("FIT bytes"));
}

TEST_F(RideImportTest, AFitFileCutShortIsImportedUpToTheDamageAndSaysSo) {
    // As a device whose battery died leaves it: the last two bytes, the
    // file's checksum, are missing.
    QFile real(
        QStringLiteral(VELOMARQ_TEST_DATA_DIR "/gps-samples/fit/2019-02-17-062644-ELEMNT-297E-195-0.fit"));
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    const QByteArray bytes = real.readAll();
    const QString cut = File(QStringLiteral("cut.fit"), bytes.left(bytes.size() - 2));
    const ImportSummary summary = ImportRideFiles({cut}, 1);
    EXPECT_EQ(summary.imported, 1);
    EXPECT_TRUE(summary.failures.isEmpty()) << summary.failures.join(u'\n').toStdString();
    EXPECT_EQ(summary.notes,
              QStringList(SafeFormat(GetLanguageString("RideImport", "DMGD"), {QStringLiteral("cut.fit")})));
    const RideRecordList rides = StoredRides();
    ASSERT_EQ(rides.size(), 1u);
    EXPECT_NEAR(rides[0].Distance, 78.94, 0.5);
}

TEST_F(RideImportTest, DroppedGpsFilesAreImported) {
    const QString gpx = HourNorth(QStringLiteral("dropped.gpx"));
    const QString text = File(QStringLiteral("notes.txt"), "not a ride");
    ShowPage(2);

    QMimeData onlyText;
    onlyText.setUrls({QUrl::fromLocalFile(text)});
    QDragEnterEvent refused(QPoint(300, 300), Qt::CopyAction, &onlyText, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_page.get(), &refused);
    EXPECT_FALSE(refused.isAccepted());

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(gpx), QUrl::fromLocalFile(text)});
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_page.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    AcceptPreview();
    m_dialogs.AnswerMessage(kButtonOk, QStringLiteral("1 ride(s) imported."));
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_page.get(), &drop);
    const RideRecordList rides = StoredRides();
    ASSERT_EQ(rides.size(), 1u);
    EXPECT_EQ(rides[0].BicycleNumber, 2);
}

TEST_F(RideImportTest, ADroppedFolderImportsTheGpsFilesInIt) {
    HourNorth(QStringLiteral("morning.gpx"));
    HourNorth(QStringLiteral("EVENING.GPX"), kMay1 + 10 * 3600);
    File(QStringLiteral("device.log"), "not a ride");
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("gps/older"))));
    HourNorth(QStringLiteral("older/below.gpx"), kMay1 - 5 * kDay);  // only what lies in the folder itself
    ShowPage(2);

    QMimeData folder;
    folder.setUrls({QUrl::fromLocalFile(Path(QStringLiteral("gps")))});
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &folder, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_page.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    AcceptPreview();
    m_dialogs.AnswerMessage(kButtonOk, QStringLiteral("2 ride(s) imported."));
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &folder, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_page.get(), &drop);
    EXPECT_EQ(StoredRides().size(), 2u);
}

TEST_F(RideImportTest, ImportedRidesOutsideTheListedDaysWidenTheDays) {
    const QString old = HourNorth(QStringLiteral("old.gpx"), kMay1 - 400 * kDay);
    ShowPage(1);
    Import({old});
    EXPECT_EQ(Find<QDateEdit>(*m_page, "startDate")->date(), QDate(2023, 3, 28));
    EXPECT_EQ(Rows(), 1);
}

TEST_F(RideImportTest, ARefusedRideLeavesNeitherRideNorFolder) {
    const QString gpx = HourNorth(QStringLiteral("north.gpx"));
    const QString expected =
        QStringLiteral("No ride was imported.\n\nThe ride of north.gpx could not be stored. Reason: %1");
    ShowPage(1);
    {
        // The disk refuses the memo.
        ScopedWriteFailure full;
        Import({gpx}, expected.arg(QStringLiteral("The disk is full.")));
        EXPECT_TRUE(StoredRides().empty());
        EXPECT_TRUE(RideFolders().isEmpty());
    }
    // The store refuses the ride.
    Exec("create trigger refuse before insert on RideRecord begin select raise(abort, 'refused'); end");
    Import({gpx}, expected.arg(QStringLiteral("constraint failed")));
    EXPECT_TRUE(StoredRides().empty());
    EXPECT_TRUE(RideFolders().isEmpty());

    // Once the store takes rides again, the ride and its folder come in together.
    Exec("drop trigger refuse");
    Import({gpx}, QStringLiteral("1 ride(s) imported."));
    EXPECT_EQ(StoredRides().size(), 1u);
    EXPECT_EQ(RideFolders(), QStringList({"1"}));
}

TEST_F(RideImportTest, ARefusedCommitTakesBackTheWholeGroup) {
    const QStringList files = {HourNorth(QStringLiteral("a.gpx")),
                               HourNorth(QStringLiteral("b.gpx"), kMay1 + kDay)};
    // The store takes each ride, then refuses the transaction that holds them
    // (a deferred constraint is checked only at the commit).
    Exec("PRAGMA foreign_keys=ON");
    Exec(
        "create table guard(bicycle integer references Bicycle(BicycleNumber) deferrable initially "
        "deferred)");
    Exec("create trigger guard after insert on RideRecord begin insert into guard values (99); end");
    ShowPage(1);
    Import(files, QStringLiteral(
                      "No ride was imported.\n\nThe ride of a.gpx could not be stored. Reason: constraint "
                      "failed\nThe ride of b.gpx could not be stored. Reason: constraint failed"));
    EXPECT_TRUE(StoredRides().empty());
    EXPECT_TRUE(RideFolders().isEmpty());

    Exec("drop trigger guard");
    Import(files, QStringLiteral("2 ride(s) imported."));
    EXPECT_EQ(StoredRides().size(), 2u);
    EXPECT_EQ(RideFolders(), QStringList({"1", "2"}));
}

TEST_F(RideImportTest, AnEmptyLogImportsOntoANewBicycleTheRiderNames) {
    Exec("delete from Bicycle");
    const QString gpx = HourNorth(QStringLiteral("north.gpx"));
    ShowPage(0);
    m_dialogs.AnswerOpenFiles({gpx});
    m_dialogs.AnswerMessage(kButtonOk, GetLanguageString("ArchiveImport", "NONB"));
    m_drivers.Then<ImportPreviewDlg>([&](ImportPreviewDlg& preview) {
        EXPECT_EQ(Find<QComboBox>(preview, "bicycle")->currentText(), QStringLiteral("New bicycle"));
        Click(preview, "ok");  // a new bicycle needs its name
        Type(preview, "bicycleName", QStringLiteral("Brompton"));
        EXPECT_EQ(preview.CountText(),
                  QStringLiteral("1 of 1 activities will be imported; 0 already in the log, "
                                 "0 cannot be read."));
        Click(preview, "ok");
    });
    m_dialogs.AnswerMessage(kButtonOk, QStringLiteral("1 ride(s) imported."));
    Click(*m_page, "import");
    ASSERT_EQ(Bicycles().size(), 1u);
    EXPECT_EQ(FromTextBlock(Bicycles()[0].BicycleName), QStringLiteral("Brompton"));
    ASSERT_EQ(StoredRides().size(), 1u);
    EXPECT_EQ(StoredRides()[0].BicycleNumber, Bicycles()[0].BicycleNumber);
}

// Every sample file from a real device imported: each ride keeps the file's
// name and its climb, which agrees with the device's own where the file
// records it; what the devices measured beside the way is believable.
TEST_F(RideImportTest, RealFilesKeepTheFiguresTheyHold) {
    const QString samples = QStringLiteral(VELOMARQ_TEST_DATA_DIR "/gps-samples/");
    QFile table(samples + QStringLiteral("reference.tsv"));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(table.readAll()).split(u'\n', Qt::SkipEmptyParts);
    const QStringList header = lines.front().split(u'\t');
    QStringList paths;
    std::map<std::string, double> deviceAscent;  // by file name
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList cells = lines[i].split(u'\t');
        auto cell = [&](const char* name) { return cells[header.indexOf(QLatin1String(name))]; };
        paths << samples + cell("file");
        bool ok = false;
        const double ascent = cell("ascent_m").toDouble(&ok);
        if (ok && cell("source").contains(QLatin1String("ascent: FIT session"))) {
            deviceAscent[QFileInfo(cell("file")).fileName().toStdString()] = ascent;
        }
    }
    const ImportSummary summary = ImportRideFiles(paths, 1);
    ASSERT_GT(summary.imported, 20) << ImportSummaryText(summary).toStdString();

    std::vector<RideDetail> details;
    ASSERT_EQ(DB_GetRideDetails(&details), 0);
    EXPECT_EQ(details.size(), StoredRides().size());
    std::map<int, RideRecord> rides;
    for (const RideRecord& ride : StoredRides()) {
        rides[ride.RideRecordNumber] = ride;
    }
    std::map<std::string, double> ascent;
    int withHeartRate = 0;
    int withPower = 0;
    for (const RideDetail& detail : details) {
        SCOPED_TRACE(detail.SourceFile);
        EXPECT_FALSE(detail.SourceFile.empty());
        ascent[detail.SourceFile] += detail.Ascent.value_or(0.0);
        if (detail.AverageHeartRate) {
            ++withHeartRate;
            EXPECT_GE(detail.MaxHeartRate.value_or(0.0), *detail.AverageHeartRate);
        }
        if (detail.AveragePower) {
            ++withPower;
            EXPECT_GE(detail.MaxPower.value_or(0.0), *detail.AveragePower);
        }
        // Never shorter than the riding time, nor longer than a few days.
        const RideRecord& ride = rides[detail.RideRecordNumber];
        if (detail.ElapsedSeconds) {
            EXPECT_GE(*detail.ElapsedSeconds + 1.0, ride.Hours * 3600.0 + ride.Minutes * 60.0 + ride.Seconds);
            EXPECT_LE(*detail.ElapsedSeconds, 4 * 86400.0);
        }
    }
    for (const auto& [file, reference] : deviceAscent) {
        if (ascent.count(file)) {
            EXPECT_NEAR(ascent[file], reference, reference * 0.25 + 1.0) << file;
        }
    }
    EXPECT_GE(withHeartRate, 3);
    EXPECT_GE(withPower, 1);
}

}  // namespace
