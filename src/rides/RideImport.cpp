#include "rides/RideImport.h"

#include "language/Language.h"
#include "memo/MemoDocument.h"
#include "platform/Failure.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "rides/OrderedWork.h"
#include "store/LogFiles.h"
#include "units/DayRange.h"
#include "units/RecordFolders.h"
#include "units/SafeFormat.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextDocument>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <limits>

namespace {

// Where a ride's memo folder is written before the ride is stored. Not a
// number, so no ride ever owns it; whatever an interrupted import left there
// is cleared by the next one.
const QString kStagingFolder = QString::fromLatin1(logfiles::kRidesFolder) + QStringLiteral("/import.tmp");

// Rides committed at once. A commit waits for the disk, which takes as long
// as reading several files; a cancelled or failed import keeps every group
// committed before.
constexpr int kRidesPerCommit = 25;

// A summary longer than this lists the first lines and says how many more there were.
constexpr int kSummaryLines = 15;
constexpr int64_t kSameRideSeconds = 60;

QString LocalTimeText(int64_t seconds) {
    const LocalDateTime local = ToLocalDateTime(seconds);
    return QString::asprintf("%04d/%02d/%02d %02d:%02d:%02d", local.year, local.month, local.day, local.hour,
                             local.minute, local.second);
}

bool FitsDate(int64_t seconds) {
    return seconds >= 0 && seconds <= std::numeric_limits<int32_t>::max();
}

// The ride's start as its track tells it, if the track tells it in a date a
// ride can have.
std::optional<int64_t> TrackStart(const GpsRideFigures& figures) {
    if (figures.startSeconds && FitsDate(*figures.startSeconds)) {
        return figures.startSeconds;
    }
    return std::nullopt;
}

// Copies the file a ride came from into its staged memo folder. Written aside
// like the rest of the folder, it reaches the disk with the group's one wait
// rather than a wait of its own.
bool CopySourceFile(const QString& from, const QString& folder) {
    const auto fsPath = [](const QString& path) {
        return std::filesystem::path(QFile::encodeName(path).toStdString());
    };
    std::error_code error;
    if (!QDir().mkpath(folder)) {
        SetLastFileError(errno);
        return false;
    }
    if (!std::filesystem::copy_file(fsPath(from), fsPath(QDir(folder).filePath(QFileInfo(from).fileName())),
                                    error)) {
        SetLastFileError(error ? error.value() : EEXIST);
        return false;
    }
    return true;
}

}  // namespace

bool HasDistanceOrTime(const GpsRideFigures& figures) {
    return figures.distanceMetres > 0.0 || figures.movingSeconds > 0;
}

PreparedFile PrepareGpsFile(const QString& path, const TrackPictureWords& words,
                            const std::atomic<bool>* stop) {
    PreparedFile prepared = PrepareGpsContent(ReadGpsFile(path), words, stop);
    prepared.fileDate = QFileInfo(path).lastModified().toSecsSinceEpoch();
    return prepared;
}

PreparedFile PrepareGpsContent(GpsFileContent content, const TrackPictureWords& words,
                               const std::atomic<bool>* stop) {
    PreparedFile prepared;
    prepared.content = std::move(content);
    for (GpsTrack& track : prepared.content.tracks) {
        if (stop && stop->load(std::memory_order_relaxed)) {
            break;
        }
        prepared.anyPositions = prepared.anyPositions || !track.points.empty();
        GpsRideFigures figures = WorkOutRideFigures(track);
        // Decided before the picture is drawn: a file of thousands of
        // single points draws nothing.
        if (!HasDistanceOrTime(figures)) {
            ++prepared.skippedTracks;
        } else {
            PreparedTrack& done = prepared.tracks.emplace_back();
            done.name = track.name;
            done.figures = figures;
            done.measured = track.measured;
            if (!track.points.empty()) {
                done.picture = TrackPicturePng(track, words);
            }
        }
        // The points have served; a batch keeps only what the rides need.
        track.points = {};
    }
    prepared.content.tracks.clear();
    return prepared;
}

QString ImportedMemoMarkup(const QString& trackName, const GpsRideFigures& figures, const QString& fileName,
                           bool withPicture) {
    return ActivityMemoMarkup({}, {}, trackName, figures, fileName, withPicture);
}

QString ActivityMemoMarkup(const QString& title, const QString& description, const QString& trackName,
                           const GpsRideFigures& figures, const QString& fileName, bool withPicture) {
    QString markup = QStringLiteral(
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
        "charset=utf-16\"></head><body>\n");
    const auto paragraph = [](const QString& text) {
        QString lines = text.trimmed().toHtmlEscaped();
        lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        lines.replace(QLatin1Char('\n'), QLatin1String("<br>"));
        return lines;
    };
    if (!title.trimmed().isEmpty()) {
        markup += QStringLiteral("<p><b>") + paragraph(title) + QStringLiteral("</b></p>\n");
    }
    if (!description.trimmed().isEmpty()) {
        markup += QStringLiteral("<p>") + paragraph(description) + QStringLiteral("</p>\n");
    }
    markup += QStringLiteral("<p>");
    if (!fileName.isEmpty()) {
        markup += QStringLiteral("<b>") + fileName.toHtmlEscaped() + QStringLiteral("</b>");
        if (!trackName.isEmpty() && trackName != QFileInfo(fileName).completeBaseName()) {
            markup += QStringLiteral(" (") + trackName.toHtmlEscaped() + u')';
        }
        markup += QStringLiteral("<br>");
    }
    QStringList lines;
    if (const std::optional<int64_t> start = TrackStart(figures)) {
        lines << GetLanguageStringWithColon("RideImport", "STRT") + u' ' + LocalTimeText(*start);
        lines << GetLanguageStringWithColon("RideImport", "ENDS") + u' ' + LocalTimeText(*figures.endSeconds);
    } else {
        lines << GetLanguageString("RideImport", "NOTM");
    }
    if (figures.climbMetres) {
        lines << SafeFormat(GetLanguageString("RideImport", "CLMB"),
                            {static_cast<int>(std::lround(*figures.climbMetres))});
    }
    for (QString& line : lines) {
        line = line.toHtmlEscaped();
    }
    markup += lines.join(QStringLiteral("<br>"));
    markup += QStringLiteral("</p>\n");
    if (withPicture) {
        markup += QStringLiteral("<p><img src=\"") + QLatin1String(kMemoPictureReference) +
                  QLatin1String(kTrackPictureName) +
                  QStringLiteral("\" width=\"%1\" height=\"%2\"></p>\n")
                      .arg(kTrackPictureWidth)
                      .arg(kTrackPictureHeight);
    }
    markup += QStringLiteral("</body></html>");
    return markup;
}

QString MemoPlainText(const QString& markup) {
    // As the memo view gives it: the picture's placeholder character dropped,
    // line ends as CR LF.
    QTextDocument document;
    document.setHtml(markup);
    QString text = document.toPlainText();
    text.remove(QChar::ObjectReplacementCharacter);
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

RideDetail ImportedRideDetail(const PreparedTrack& track, const QString& fileName) {
    const GpsRideFigures& figures = track.figures;
    const DeviceMeasures& device = track.measured;
    // Only what a ride can have: a damaged file's figure is left out.
    const auto within = [](std::optional<double> value, double lowest, double highest) {
        return value && std::isfinite(*value) && *value >= lowest && *value <= highest ? value : std::nullopt;
    };
    RideDetail detail;
    detail.Ascent = figures.climbMetres;
    detail.Descent = within(device.descentMetres, 0.0, kMaxClimbMetres);
    detail.ElapsedSeconds = within(device.elapsedSeconds, 0.0, kMaxRidingSeconds);
    if (!detail.ElapsedSeconds && figures.startSeconds && figures.endSeconds) {
        // The device's timer may run a little past the last point it stored.
        const int64_t elapsed = std::max(*figures.endSeconds - *figures.startSeconds, figures.movingSeconds);
        detail.ElapsedSeconds = within(static_cast<double>(elapsed), 0.0, kMaxRidingSeconds);
    }
    detail.AverageHeartRate = within(device.averageHeartRate, 1.0, 300.0);
    detail.MaxHeartRate = within(device.maxHeartRate, 1.0, 300.0);
    detail.AverageCadence = within(device.averageCadence, 1.0, 300.0);
    detail.AveragePower = within(device.averagePower, 1.0, 5000.0);
    detail.MaxPower = within(device.maxPower, 1.0, 5000.0);
    detail.Calories = within(device.calories, 1.0, 100000.0);
    detail.AverageTemperature = within(device.averageTemperature, -90.0, 90.0);
    detail.SourceFile = fileName.toStdString();
    return detail;
}

ImportedRide MakeImportedRide(const PreparedTrack& track, const QString& path, int32_t bicycle,
                              int64_t fileDate) {
    const GpsRideFigures& figures = track.figures;
    const QString fileName = QFileInfo(path).fileName();
    ImportedRide imported;
    RideRecord& ride = imported.ride;
    ride.Date = static_cast<int32_t>(TrackStart(figures).value_or(FitsDate(fileDate) ? fileDate : 0));
    ride.BicycleNumber = bicycle;
    ride.Distance = figures.distanceMetres / 1000.0;
    ride.MaxSpeed = figures.topSpeedKmh;
    // The editor shows at most four digits of hours.
    const int64_t moving = std::min<int64_t>(figures.movingSeconds, int64_t{9999} * 3600 + 59 * 60 + 59);
    ride.Hours = static_cast<int32_t>(moving / 3600);
    ride.Minutes = static_cast<int32_t>(moving / 60 % 60);
    ride.Seconds = static_cast<int32_t>(moving % 60);
    const QString markup = ImportedMemoMarkup(track.name, figures, fileName, !track.picture.isEmpty());
    ride.Memo = ToTextBlock(MemoPlainText(markup));
    imported.document = EncodeMemoDocument(markup);
    imported.picture = track.picture;
    imported.sourcePath = path;
    imported.detail = ImportedRideDetail(track, fileName);
    return imported;
}

// ---- ImportedRideStore ------------------------------------------------------

ImportedRideStore::~ImportedRideStore() {
    RollBack();
}

bool ImportedRideStore::Add(const ImportedRide& ride, int32_t* storedNumber) {
    if (!m_group) {
        m_group.emplace();
        if (!m_group->IsOpen()) {
            m_group.reset();
            return FailedInStore();
        }
    }
    int number = 0;
    if (DB_GetMaxRideRecordNumber(&number) != store::kOk) {
        return FailedInStore();
    }
    const QString staging = ProgramPath(kStagingFolder);
    DeleteFolder(staging);
    if (!QDir().mkpath(staging) ||
        (!ride.picture.isEmpty() &&
         (!QDir().mkpath(MemoPictureFolderPath(staging)) ||
          !WriteNewFile(MemoPicturePath(staging, QLatin1String(kTrackPictureName)), ride.picture))) ||
        !WriteNewFile(MemoDocumentPath(staging), ride.document)) {
        return FailedInFiles(staging);
    }
    if (!ride.sourceBytes.isEmpty()) {
        const QString folder = MemoSourceFolderPath(staging);
        if (!QDir().mkpath(folder) ||
            !WriteNewFile(QDir(folder).filePath(QFileInfo(ride.sourcePath).fileName()), ride.sourceBytes)) {
            return FailedInFiles(staging);
        }
    } else if (!ride.sourcePath.isEmpty() &&
               !CopySourceFile(ride.sourcePath, MemoSourceFolderPath(staging))) {
        return FailedInFiles(staging);
    }
    // Whatever a removed ride left under the number belongs to no ride.
    const QString folder = RecordMemoFolder(RecordKind::Ride, number);
    DeleteFolder(folder);
    if (QFileInfo::exists(folder)) {
        SetLastFileError(EEXIST);
        return FailedInFiles(staging);
    }
    // This ride alone is undone when it fails; the group's others stay.
    store::Transaction part;
    int next = 0;
    if (!part.IsOpen() || DB_InsertRideRecord(&ride.ride) != store::kOk ||
        DB_GetMaxRideRecordNumber(&next) != store::kOk ||
        (next == number + 1 && DB_SetRideDetail(number, &ride.detail) != store::kOk)) {
        DeleteFolder(staging);
        return FailedInStore();
    }
    if (next != number + 1 || !QDir().rename(staging, folder)) {
        SetLastFileError(next != number + 1 ? EEXIST : errno);
        return FailedInFiles(staging);
    }
    if (!part.Commit()) {
        DeleteFolder(folder);
        return FailedInStore();
    }
    m_folders.push_back(folder);
    if (storedNumber) {
        *storedNumber = number;
    }
    return true;
}

bool ImportedRideStore::Commit() {
    if (!m_group) {
        return true;
    }
    // The memo files reach the disk before the rides that point to them.
    if (!m_folders.empty() && !SyncFileSystem(ProgramPath(QString::fromLatin1(logfiles::kRidesFolder)))) {
        m_failure = FileFailureReason();
    } else if (m_group->Commit()) {
        m_group.reset();
        m_folders.clear();
        return true;
    } else {
        m_failure = StoreFailureReason();
    }
    RollBack();
    return false;
}

void ImportedRideStore::RollBack() {
    if (!m_group) {
        return;
    }
    m_group.reset();
    for (const QString& folder : m_folders) {
        DeleteFolder(folder);
    }
    m_folders.clear();
}

bool ImportedRideStore::FailedInStore() {
    m_failure = StoreFailureReason();
    return false;
}

bool ImportedRideStore::FailedInFiles(const QString& staging) {
    m_failure = FileFailureReason();
    DeleteFolder(staging);
    return false;
}

// ---- KnownRideStarts --------------------------------------------------------

bool KnownRideStarts::Load(int32_t bicycle) {
    m_starts.clear();
    const std::string condition = BicycleCondition(bicycle);
    RideRecordList rides;
    if (DB_GetRideRecords(condition.c_str(), &rides) != store::kOk) {
        return false;
    }
    m_starts.reserve(rides.size());
    for (const RideRecord& ride : rides) {
        m_starts.push_back(ride.Date);
    }
    std::sort(m_starts.begin(), m_starts.end());
    return true;
}

std::optional<int64_t> KnownRideStarts::Near(int64_t start) const {
    const auto at = std::lower_bound(m_starts.begin(), m_starts.end(), start - kSameRideSeconds);
    if (at != m_starts.end() && *at <= start + kSameRideSeconds) {
        return *at;
    }
    return std::nullopt;
}

void KnownRideStarts::Add(int64_t start) {
    m_starts.insert(std::upper_bound(m_starts.begin(), m_starts.end(), start), start);
}

void KnownRideStarts::Remove(int64_t start) {
    const auto at = std::lower_bound(m_starts.begin(), m_starts.end(), start);
    if (at != m_starts.end() && *at == start) {
        m_starts.erase(at);
    }
}

// ---- The batch --------------------------------------------------------------

QString GpsFileErrorText(const QString& fileName, const GpsFileContent& content) {
    switch (content.error) {
        case GpsFileError::None:
            return {};
        case GpsFileError::CannotOpen:
            return WithReasonInline(SafeFormat(GetLanguageString("RideImport", "NOPN"), {fileName}),
                                    SystemFailureReason(content.systemError));
        case GpsFileError::TooLarge:
            return SafeFormat(GetLanguageString("RideImport", "TBIG"), {fileName});
        case GpsFileError::UnknownType:
            return SafeFormat(GetLanguageString("RideImport", "UNKT"), {fileName});
        case GpsFileError::Malformed:
            return SafeFormat(GetLanguageString("RideImport", "BRKN"), {fileName, content.errorLine});
        case GpsFileError::NotGps:
            return SafeFormat(GetLanguageString("RideImport", "NGPS"), {fileName});
        case GpsFileError::NoTrack:
            return SafeFormat(GetLanguageString("RideImport", "NTRK"), {fileName});
        case GpsFileError::NotFit:
            return SafeFormat(GetLanguageString("RideImport", "NFIT"), {fileName});
    }
    return {};
}

namespace {

// The rides of a group until it is committed: only then do they count.
struct PendingRide {
    QString fileName;
    int64_t start = 0;
    bool undated = false;
    bool readToDamage = false;
};

QString NotStoredText(const QString& fileName, const FailureReason& reason) {
    return WithReasonInline(SafeFormat(GetLanguageString("RideImport", "STFL"), {fileName}), reason);
}

void CommitGroup(ImportedRideStore& store, std::vector<PendingRide>& pending, KnownRideStarts& known,
                 ImportSummary& summary) {
    const bool committed = store.Commit();
    for (const PendingRide& ride : pending) {
        if (!committed) {
            known.Remove(ride.start);
            summary.failures << NotStoredText(ride.fileName, store.LastFailure());
            continue;
        }
        ++summary.imported;
        const int64_t date = FitsDate(ride.start) ? ride.start : 0;
        summary.earliest = std::min(summary.earliest.value_or(date), date);
        summary.latest = std::max(summary.latest.value_or(date), date);
        if (ride.undated) {
            summary.notes << SafeFormat(GetLanguageString("RideImport", "UNDT"), {ride.fileName});
        }
        if (ride.readToDamage) {
            // Once for a file, however many of its rides came in.
            const QString damaged = SafeFormat(GetLanguageString("RideImport", "DMGD"), {ride.fileName});
            if (!summary.notes.contains(damaged)) {
                summary.notes << damaged;
            }
        }
    }
    pending.clear();
}

}  // namespace

ImportSummary ImportRideFiles(const QStringList& paths, int32_t bicycle, const ImportStep& step) {
    ImportSummary summary;
    KnownRideStarts known;
    if (!known.Load(bicycle)) {
        summary.storeUnreadable = true;
        return summary;
    }
    // Reading, working out and drawing a file takes far longer than storing
    // its rides, and needs nothing but the file: the next files are prepared
    // on other threads while this one stores the rides in order.
    const TrackPictureWords words = TrackPictureWords::Current();
    // The rider sees the import move and can stop it, also within a file
    // that takes long: asked again every few hundredths of a second.
    using Clock = std::chrono::steady_clock;
    constexpr auto kStepEvery = std::chrono::milliseconds(50);
    Clock::time_point asked = Clock::now();
    qsizetype i = 0;  // the file whose rides are stored next
    auto goOn = [&](bool always) {
        if (summary.cancelled || !step || (!always && Clock::now() - asked < kStepEvery)) {
            return !summary.cancelled;
        }
        asked = Clock::now();
        summary.cancelled = !step(static_cast<int>(i), static_cast<int>(paths.size()), paths[i]);
        return !summary.cancelled;
    };

    ImportedRideStore store;
    std::vector<PendingRide> pending;
    const auto storeFile = [&](const PreparedFile& file) {
        const QString fileName = QFileInfo(paths[i]).fileName();
        if (file.content.error == GpsFileError::NoTrack) {
            ++summary.skippedFiles;
            return;
        }
        if (file.content.error != GpsFileError::None) {
            summary.failures << GpsFileErrorText(fileName, file.content);
            return;
        }
        if (file.tracks.empty() && !file.anyPositions) {
            ++summary.skippedFiles;
        } else {
            summary.skippedTracks += file.skippedTracks;
        }
        for (const PreparedTrack& track : file.tracks) {
            if (!goOn(false)) {
                break;
            }
            const std::optional<int64_t> trackStart = TrackStart(track.figures);
            const int64_t start = trackStart.value_or(file.fileDate);
            if (const std::optional<int64_t> stored = known.Near(start)) {
                summary.duplicates << SafeFormat(GetLanguageString("RideImport", "DUPL"),
                                                 {fileName, LocalTimeText(*stored)});
                continue;
            }
            if (!store.Add(MakeImportedRide(track, paths[i], bicycle, file.fileDate))) {
                summary.failures << NotStoredText(fileName, store.LastFailure());
                continue;
            }
            known.Add(start);
            pending.push_back({fileName, start, !trackStart, file.content.readToDamage});
            if (store.Pending() >= kRidesPerCommit) {
                CommitGroup(store, pending, known, summary);
            }
        }
    };
    {
        OrderedWork<PreparedFile> work(
            [&](PreparedFile& file) {
                if (goOn(true)) {
                    storeFile(file);
                }
                ++i;
            },
            [&] { return goOn(false); }, kImportBytesInFlight);
        for (const QString& path : paths) {
            if (!goOn(false) || work.Stopped()) {
                break;
            }
            work.Submit(
                std::max<qint64>(0, QFileInfo(path).size()),
                [path, words](const std::atomic<bool>* stop) { return PrepareGpsFile(path, words, stop); });
        }
        work.Finish();
        // Files still being read after a cancel stop at their next track.
    }
    CommitGroup(store, pending, known, summary);
    qCInfo(lcImport).noquote() << "Import of" << paths.size() << "file(s) for bicycle" << bicycle << ":"
                               << summary.imported << "ride(s) stored," << summary.duplicates.size()
                               << "already in the log," << summary.failures.size() << "failure(s),"
                               << summary.skippedTracks << "track(s) and" << summary.skippedFiles
                               << "file(s) without a ride" << (summary.cancelled ? "; cancelled" : "");
    for (const QString& failure : summary.failures) {
        qCWarning(lcImport).noquote() << failure;
    }
    return summary;
}

QString ImportSummaryText(const ImportSummary& summary) {
    QStringList lines;
    lines << (summary.imported > 0 ? SafeFormat(GetLanguageString("RideImport", "DONE"), {summary.imported})
                                   : GetLanguageString("RideImport", "NONE"));
    if (summary.cancelled) {
        lines << GetLanguageString("RideImport", "CNCL");
    }
    if (summary.skippedTracks > 0) {
        lines << SafeFormat(GetLanguageString("RideImport", "SKPT"), {summary.skippedTracks});
    }
    if (summary.skippedFiles > 0) {
        lines << SafeFormat(GetLanguageString("RideImport", "SKPF"), {summary.skippedFiles});
    }
    const QStringList details = summary.failures + summary.duplicates + summary.notes;
    if (!details.isEmpty()) {
        lines << QString();
        const qsizetype shown = std::min<qsizetype>(details.size(), kSummaryLines);
        lines << details.mid(0, shown);
        if (details.size() > shown) {
            lines << SafeFormat(GetLanguageString("RideImport", "MORE"),
                                {static_cast<int>(details.size() - shown)});
        }
    }
    return lines.join(u'\n');
}
