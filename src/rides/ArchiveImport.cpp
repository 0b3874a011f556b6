#include "rides/ArchiveImport.h"

#include "language/Language.h"
#include "memo/MemoDocument.h"
#include "platform/Log.h"
#include "rides/ArchiveReader.h"
#include "rides/FitFile.h"
#include "rides/OrderedWork.h"
#include "units/CsvReader.h"
#include "units/SafeFormat.h"
#include "units/TextBlock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimeZone>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>

namespace {

constexpr qint64 kMaxCsvBytes = qint64{128} * 1024 * 1024;
constexpr int64_t kSameRideSeconds = 60;
constexpr double kSameDistanceShare = 0.015;
constexpr int kRidesPerCommit = 25;
constexpr int kMaxRidesPerCommit = 250;

bool IsGzip(const QString& name) {
    return name.endsWith(QLatin1String(".gz"), Qt::CaseInsensitive);
}

// The type of a GPS file by its name, a gzipped one by the name within.
GpsFileType EntryType(const QString& name) {
    return GpsFileTypeOf(IsGzip(name) ? name.chopped(3) : name);
}

QString FileName(const QString& entry) {
    return entry.section(QLatin1Char('/'), -1);
}

// The file's bytes as read: the decoded tracks, or why there are none.
struct EntryBytes {
    QByteArray raw;  // as it lay (gzipped or not)
    EntryRead read = EntryRead::Done;
    QString error;  // the archive's reason, when damaged
};

qint64 ReadLimit(const QString& name) {
    return EntryType(name) == GpsFileType::Fit ? kMaxFitFileBytes : kMaxGpsFileBytes;
}

// The tracks of an entry's bytes, gunzipped first when named so; a
// gzipped file that expands past its type's limit is refused.
GpsFileContent DecodeEntry(const QByteArray& raw, const QString& name, EntryRead* read) {
    *read = EntryRead::Done;
    if (!IsGzip(name)) {
        return ReadGpsBytes(raw, EntryType(name));
    }
    QByteArray bytes;
    *read = Gunzip(raw, &bytes, ReadLimit(name));
    if (*read != EntryRead::Done) {
        GpsFileContent failed;
        failed.error = GpsFileError::CannotOpen;
        return failed;
    }
    return ReadGpsBytes(bytes, EntryType(name));
}

QString EntryProblemText(const QString& name, EntryRead read, const QString& error) {
    if (read == EntryRead::TooLarge) {
        return SafeFormat(GetLanguageString("ArchiveImport", "BOMB"), {name});
    }
    return SafeFormat(GetLanguageString("ArchiveImport", "DAMG"),
                      {name, error.isEmpty() ? GetLanguageString("ArchiveImport", "UNKN") : error});
}

// A file of a folder or a batch, at most limit bytes of it.
EntryBytes ReadDiskFile(const QString& path) {
    EntryBytes entry;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        entry.read = EntryRead::Damaged;
        entry.error = file.errorString();
        return entry;
    }
    if (file.size() > ReadLimit(path)) {
        entry.read = EntryRead::TooLarge;
        return entry;
    }
    entry.raw = file.readAll();
    return entry;
}

// ---- Finding the files of a plan's activities -------------------------------

// Calls visit(activity index, bytes) for each wanted activity's file, in the
// order the files lie; problems collects entries refused on the way.
// False when the archive could not be opened or visit asked to stop.
using EntryVisit = std::function<bool(size_t index, EntryBytes& bytes)>;

QString NestedKey(const QString& nested, const QString& entry) {
    return nested + QLatin1Char('\n') + entry;
}

bool WalkZip(ArchiveWalker& walker, const QString& prefix, const QMap<QString, size_t>& wanted,
             const QSet<QString>& nestedWanted, const EntryVisit& visit, QStringList* problems,
             const QString& nestedIn = {}) {
    QString name;
    qint64 declared = 0;
    while (walker.Next(&name, &declared)) {
        const QString safe = SafeEntryName(name);
        if (safe.isEmpty()) {
            // Never read, never written anywhere; the plan told of it.
            continue;
        }
        if (nestedIn.isEmpty() && nestedWanted.contains(safe)) {
            QTemporaryDir spool;
            const QString path = spool.filePath(QStringLiteral("nested.zip"));
            const EntryRead read = walker.Spool(path, kMaxNestedArchiveBytes);
            if (read != EntryRead::Done) {
                *problems << EntryProblemText(safe, read, walker.ErrorText());
                continue;
            }
            ArchiveWalker inner;
            if (!inner.Open(path)) {
                *problems << EntryProblemText(safe, EntryRead::Damaged, inner.ErrorText());
                continue;
            }
            if (!WalkZip(inner, {}, wanted, {}, visit, problems, safe)) {
                return false;
            }
            continue;
        }
        const QString key = nestedIn.isEmpty() ? safe.mid(prefix.size()) : NestedKey(nestedIn, safe);
        if ((!nestedIn.isEmpty() || safe.startsWith(prefix)) && wanted.contains(key)) {
            EntryBytes bytes;
            bytes.read = walker.Read(&bytes.raw, ReadLimit(safe));
            bytes.error = walker.ErrorText();
            if (!visit(wanted.value(key), bytes)) {
                return false;
            }
        }
    }
    if (!walker.ErrorText().isEmpty()) {
        *problems << SafeFormat(
            GetLanguageString("ArchiveImport", "DAMG"),
            {nestedIn.isEmpty() ? QFileInfo(name).fileName() : nestedIn, walker.ErrorText()});
    }
    return true;
}

// The activity's key among the entries: its name within the prefix, or the
// nested zip and its name there.
QString ActivityKey(const ImportActivity& activity) {
    return activity.nested.isEmpty() ? activity.entry : NestedKey(activity.nested, activity.entry);
}

bool WalkEntries(const ImportPlan& plan, const std::vector<size_t>& indices, const EntryVisit& visit,
                 QStringList* problems) {
    if (plan.kind == ImportSourceKind::Files || plan.kind == ImportSourceKind::StravaFolder) {
        for (size_t index : indices) {
            const ImportActivity& activity = plan.activities[index];
            const QString path = plan.kind == ImportSourceKind::Files
                                     ? activity.entry
                                     : QDir(plan.source).filePath(activity.entry);
            EntryBytes bytes = ReadDiskFile(path);
            if (!visit(index, bytes)) {
                return false;
            }
        }
        return true;
    }
    QMap<QString, size_t> wanted;
    QSet<QString> nested;
    for (size_t index : indices) {
        wanted.insert(ActivityKey(plan.activities[index]), index);
        if (!plan.activities[index].nested.isEmpty()) {
            nested.insert(plan.activities[index].nested);
        }
    }
    ArchiveWalker walker;
    if (!walker.Open(plan.source)) {
        *problems << SafeFormat(GetLanguageString("ArchiveImport", "NOAR"),
                                {QFileInfo(plan.source).fileName(), walker.ErrorText()});
        return true;
    }
    return WalkZip(walker, plan.prefix, wanted, nested, visit, problems);
}

// ---- Reading activities.csv -------------------------------------------------

double CsvNumber(QString text) {
    text = text.trimmed();
    text.remove(QChar(0x00A0));
    text.remove(QChar(0x202F));
    if (text.contains(QLatin1Char(',')) && text.contains(QLatin1Char('.'))) {
        text.remove(QLatin1Char(','));
    } else {
        text.replace(QLatin1Char(','), QLatin1Char('.'));
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) && value >= 0.0 ? value : 0.0;
}

// Strava writes its dates in English and UTC ("Mar 15, 2021, 7:12:34 AM"),
// newer exports with a narrow space before AM; ISO dates are taken too.
std::optional<int64_t> CsvDate(QString text) {
    text = text.trimmed();
    text.replace(QChar(0x202F), QLatin1Char(' '));
    text.replace(QChar(0x00A0), QLatin1Char(' '));
    const QLocale c = QLocale::c();
    for (const QString& format :
         {QStringLiteral("MMM d, yyyy, h:mm:ss AP"), QStringLiteral("MMM d, yyyy, hh:mm:ss"),
          QStringLiteral("d MMM yyyy, HH:mm:ss"), QStringLiteral("yyyy-MM-dd HH:mm:ss"),
          QStringLiteral("yyyy-MM-ddTHH:mm:ss")}) {
        QDateTime time = c.toDateTime(text, format);
        if (time.isValid()) {
            time.setTimeZone(QTimeZone::utc());
            return time.toSecsSinceEpoch();
        }
    }
    const QDateTime iso = QDateTime::fromString(text, Qt::ISODate);
    if (iso.isValid()) {
        return iso.toSecsSinceEpoch();
    }
    return std::nullopt;
}

// The last column of that name: Strava repeats "Distance" and "Elapsed
// Time", first as the rider saw them, later in metres and seconds.
int LastColumn(const QStringList& header, const QString& name) {
    const QString wanted = NormalizedCsvHeader(name);
    for (qsizetype i = header.size() - 1; i >= 0; --i) {
        if (NormalizedCsvHeader(header[i]) == wanted) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int CountColumns(const QStringList& header, const QString& name) {
    const QString wanted = NormalizedCsvHeader(name);
    return static_cast<int>(std::count_if(header.begin(), header.end(), [&](const QString& column) {
        return NormalizedCsvHeader(column) == wanted;
    }));
}

bool IsPlanFile(const QString& name) {
    return EntryType(name) != GpsFileType::Unknown;
}

// Whether the file an unpacked export names lies inside the export's
// folder once links are followed: a link planted there to a file elsewhere
// is never read. A name that is not there at all counts as inside: it is
// reported as missing.
bool StaysInFolder(const QString& folder, const QString& entry) {
    const QString target = QFileInfo(QDir(folder).filePath(entry)).canonicalFilePath();
    const QString root = QFileInfo(folder).canonicalFilePath();
    return target.isEmpty() || target.startsWith(root + u'/');
}

QStringList GpsFilesIn(const QString& folder) {
    QStringList paths;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase)) {
        if (IsPlanFile(name)) {
            paths << dir.filePath(name);
        }
    }
    return paths;
}

// The figures of a file read for the plan: its first start and the sums of
// its tracks, and the sport the first track that names one names.
struct ReadFigures {
    GpsFileContent content;
    EntryRead read = EntryRead::Done;
    QString error;
    std::vector<GpsRideFigures> figures;
    std::optional<int> sport;
    std::optional<int> subSport;
};

constexpr int kFitSportGeneric = 0;

// A FIT sport, with its sub-sport for the kinds of riding, in the rider's language.
QString SportName(int sport, std::optional<int> subSport) {
    static const std::map<int, LanguageKey> kRiding = {
        {5, {"ArchiveImport", "KIND"}},  {6, {"ArchiveImport", "KIND"}},  {7, {"ArchiveImport", "KROA"}},
        {8, {"ArchiveImport", "KMTB"}},  {9, {"ArchiveImport", "KDHL"}},  {10, {"ArchiveImport", "KREC"}},
        {11, {"ArchiveImport", "KCRS"}}, {12, {"ArchiveImport", "KHND"}}, {13, {"ArchiveImport", "KTRK"}},
        {28, {"ArchiveImport", "KEBK"}}, {29, {"ArchiveImport", "KBMX"}}, {46, {"ArchiveImport", "KGRV"}},
        {47, {"ArchiveImport", "KEMT"}}, {48, {"ArchiveImport", "KCOM"}}, {49, {"ArchiveImport", "KMIX"}},
        {58, {"ArchiveImport", "KVIR"}}};
    static const std::map<int, LanguageKey> kOthers = {
        {1, {"ArchiveImport", "KRUN"}},  {4, {"ArchiveImport", "KFIT"}},  {5, {"ArchiveImport", "KSWM"}},
        {10, {"ArchiveImport", "KFIT"}}, {11, {"ArchiveImport", "KWLK"}}, {12, {"ArchiveImport", "KXCS"}},
        {13, {"ArchiveImport", "KALP"}}, {15, {"ArchiveImport", "KROW"}}, {17, {"ArchiveImport", "KHIK"}}};
    if (sport == kFitSportEBiking) {
        return subSport == 8 || subSport == 47 ? GetLanguageString("ArchiveImport", "KEMT")
                                               : GetLanguageString("ArchiveImport", "KEBK");
    }
    if (sport == kFitSportCycling) {
        const auto kind = kRiding.find(subSport.value_or(-1));
        return kind != kRiding.end() ? GetLanguageString(kind->second)
                                     : GetLanguageString("ArchiveImport", "KCYC");
    }
    const auto other = kOthers.find(sport);
    return other != kOthers.end() ? GetLanguageString(other->second)
                                  : GetLanguageString("ArchiveImport", "KOTH");
}

// What a file read for the plan says the activity was, for an activity whose
// type is not known otherwise; a generic sport says nothing.
void TakeSport(ImportActivity& activity, const ReadFigures& read) {
    if (!activity.type.isEmpty() || !read.sport || *read.sport == kFitSportGeneric) {
        return;
    }
    activity.type = SportName(*read.sport, read.subSport);
    activity.ride = IsFitCyclingSport(*read.sport);
    activity.include = activity.ride;
}

ReadFigures WorkOutEntry(const EntryBytes& bytes, const QString& name) {
    ReadFigures result;
    result.read = bytes.read;
    result.error = bytes.error;
    if (bytes.read != EntryRead::Done) {
        return result;
    }
    result.content = DecodeEntry(bytes.raw, name, &result.read);
    for (GpsTrack& track : result.content.tracks) {
        if (!result.sport && track.sport) {
            result.sport = track.sport;
            result.subSport = track.subSport;
        }
        const GpsRideFigures figures = WorkOutRideFigures(track);
        if (HasDistanceOrTime(figures)) {
            result.figures.push_back(figures);
        }
    }
    result.content.tracks.clear();
    return result;
}

void TakeFigures(ImportActivity& activity, const ReadFigures& read) {
    TakeSport(activity, read);
    if (read.read != EntryRead::Done) {
        activity.problem = EntryProblemText(FileName(activity.entry), read.read, read.error);
        return;
    }
    if (read.content.error != GpsFileError::None) {
        activity.problem = GpsFileErrorText(FileName(activity.entry), read.content);
        return;
    }
    if (read.figures.empty()) {
        activity.problem = SafeFormat(GetLanguageString("RideImport", "NTRK"), {FileName(activity.entry)});
        return;
    }
    activity.tracks = static_cast<int>(read.figures.size());
    activity.distanceKm = 0.0;
    activity.movingSeconds = 0;
    for (const GpsRideFigures& figures : read.figures) {
        if (!activity.start && figures.startSeconds) {
            activity.start = figures.startSeconds;
        }
        activity.distanceKm += figures.distanceMetres / 1000.0;
        activity.movingSeconds += figures.movingSeconds;
        activity.maxSpeedKmh = std::max(activity.maxSpeedKmh.value_or(0.0), figures.topSpeedKmh);
    }
}

using TakeRead = void (*)(ImportActivity&, const ReadFigures&);

// Reads the files of the activities at indices, several at once, and takes
// what each says with take.
bool ReadPlannedFiles(ImportPlan& plan, const std::vector<size_t>& indices, TakeRead take,
                      const PlanStep& step) {
    int done = 0;
    const int count = static_cast<int>(indices.size());
    std::vector<size_t> order;
    OrderedWork<std::pair<size_t, ReadFigures>> work(
        [&](std::pair<size_t, ReadFigures>& result) {
            take(plan.activities[result.first], result.second);
            ++done;
        },
        [&] { return !step || step(done, count); }, kImportBytesInFlight);
    const bool walked = WalkEntries(
        plan, indices,
        [&](size_t index, EntryBytes& bytes) {
            const QString name = plan.activities[index].entry;
            work.Submit(bytes.raw.size(), [index, name, bytes = std::move(bytes)](const std::atomic<bool>*) {
                return std::make_pair(index, WorkOutEntry(bytes, name));
            });
            return !work.Stopped() && (!step || step(done, count));
        },
        &plan.problems);
    return work.Finish() && walked;
}

// Reads every planned file for its figures.
bool ReadPlannedFigures(ImportPlan& plan, const PlanStep& step) {
    std::vector<size_t> indices(plan.activities.size());
    for (size_t i = 0; i < indices.size(); ++i) {
        indices[i] = i;
    }
    return ReadPlannedFiles(plan, indices, &TakeFigures, step);
}

// Reads the files of a Strava list's activities without a type, for the
// sport they name; the list's figures stay.
bool ReadUntypedSports(ImportPlan& plan, const PlanStep& step) {
    std::vector<size_t> indices;
    for (size_t i = 0; i < plan.activities.size(); ++i) {
        const ImportActivity& activity = plan.activities[i];
        if (activity.type.isEmpty() && !activity.entry.isEmpty() && activity.problem.isEmpty()) {
            indices.push_back(i);
        }
    }
    return indices.empty() || ReadPlannedFiles(plan, indices, &TakeSport, step);
}

std::optional<ImportPlan> Nothing(QString* error, const QString& text) {
    *error = text;
    return std::nullopt;
}

// Plans a zip: Strava's when it holds activities.csv, else every GPS file in
// it or in the zips inside it.
std::optional<ImportPlan> PlanZip(const QString& path, QString* error, const PlanStep& step) {
    ImportPlan plan;
    plan.source = path;
    ArchiveWalker walker;
    if (!walker.Open(path)) {
        return Nothing(error, SafeFormat(GetLanguageString("ArchiveImport", "NOAR"),
                                         {QFileInfo(path).fileName(), walker.ErrorText()}));
    }
    QByteArray csv;
    QStringList entries;
    QString name;
    qint64 declared = 0;
    bool csvFound = false;
    while (walker.Next(&name, &declared)) {
        const QString safe = SafeEntryName(name);
        if (safe.isEmpty()) {
            plan.problems << SafeFormat(GetLanguageString("ArchiveImport", "ESCP"), {name});
            continue;
        }
        entries << safe;
        const QString fileName = FileName(safe);
        const QString folder = safe.left(safe.size() - fileName.size());
        if (fileName.compare(QLatin1String(kStravaActivities), Qt::CaseInsensitive) == 0 &&
            (!csvFound || folder.size() < plan.prefix.size())) {
            const EntryRead read = walker.Read(&csv, kMaxCsvBytes);
            if (read != EntryRead::Done) {
                return Nothing(error, EntryProblemText(safe, read, walker.ErrorText()));
            }
            csvFound = true;
            plan.prefix = folder;
        }
    }
    if (!walker.ErrorText().isEmpty() && entries.isEmpty()) {
        return Nothing(error, SafeFormat(GetLanguageString("ArchiveImport", "NOAR"),
                                         {QFileInfo(path).fileName(), walker.ErrorText()}));
    }
    if (csvFound) {
        plan.kind = ImportSourceKind::StravaZip;
        if (!ReadStravaActivities(csv, &plan.activities, error)) {
            return std::nullopt;
        }
        const QSet<QString> present(entries.begin(), entries.end());
        for (ImportActivity& activity : plan.activities) {
            if (activity.entry.isEmpty()) {
                continue;
            }
            const QString safe = SafeEntryName(activity.entry);
            if (safe.isEmpty()) {
                activity.problem = SafeFormat(GetLanguageString("ArchiveImport", "ESCP"), {activity.entry});
            } else if (!present.contains(plan.prefix + safe)) {
                activity.problem = SafeFormat(GetLanguageString("ArchiveImport", "MISS"), {activity.entry});
            }
            activity.entry = safe.isEmpty() ? activity.entry : safe;
        }
        if (!ReadUntypedSports(plan, step)) {
            return std::nullopt;
        }
        return plan;
    }
    plan.kind = ImportSourceKind::OtherZip;
    QStringList nested;
    for (const QString& entry : entries) {
        if (entry.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive)) {
            nested << entry;
        } else if (IsPlanFile(entry)) {
            ImportActivity& activity = plan.activities.emplace_back();
            activity.entry = entry;
            activity.activityId = FileName(entry);
        }
    }
    if (!nested.isEmpty()) {
        // The names within nested zips are known only by reading them.
        ArchiveWalker again;
        if (again.Open(path)) {
            while (again.Next(&name, &declared)) {
                const QString safe = SafeEntryName(name);
                if (!nested.contains(safe)) {
                    continue;
                }
                QTemporaryDir spool;
                const QString spooled = spool.filePath(QStringLiteral("nested.zip"));
                const EntryRead read = again.Spool(spooled, kMaxNestedArchiveBytes);
                ArchiveWalker inner;
                if (read != EntryRead::Done || !inner.Open(spooled)) {
                    plan.problems << EntryProblemText(
                        safe, read == EntryRead::Done ? EntryRead::Damaged : read,
                        read == EntryRead::Done ? inner.ErrorText() : again.ErrorText());
                    continue;
                }
                QString innerName;
                while (inner.Next(&innerName, &declared)) {
                    const QString innerSafe = SafeEntryName(innerName);
                    if (innerSafe.isEmpty()) {
                        plan.problems << SafeFormat(GetLanguageString("ArchiveImport", "ESCP"), {innerName});
                    } else if (IsPlanFile(innerSafe)) {
                        ImportActivity& activity = plan.activities.emplace_back();
                        activity.entry = innerSafe;
                        activity.nested = safe;
                        activity.activityId = FileName(innerSafe);
                    }
                }
            }
        }
    }
    if (plan.activities.empty()) {
        return Nothing(error,
                       SafeFormat(GetLanguageString("ArchiveImport", "NOTH"), {QFileInfo(path).fileName()}));
    }
    if (!ReadPlannedFigures(plan, step)) {
        return std::nullopt;
    }
    return plan;
}

// ---- Importing --------------------------------------------------------------

// What a ride made from a CSV line and, when it has one, its file shows.
void UseCsvFigures(const ImportActivity& activity, GpsRideFigures& figures) {
    if (activity.distanceKm > 0.0) {
        figures.distanceMetres = activity.distanceKm * 1000.0;
    }
    if (activity.movingSeconds > 0) {
        figures.movingSeconds = activity.movingSeconds;
    }
    if (activity.maxSpeedKmh && *activity.maxSpeedKmh > 0.0) {
        figures.topSpeedKmh = *activity.maxSpeedKmh;
    }
    if (activity.climbMetres) {
        figures.climbMetres = activity.climbMetres;
    }
    if (!figures.startSeconds && activity.start) {
        figures.startSeconds = activity.start;
        figures.endSeconds = *activity.start + static_cast<int64_t>(activity.elapsedSeconds.value_or(
                                                   static_cast<double>(activity.movingSeconds)));
    }
}

// The ride an activity's track makes: the file's figures, the CSV's where it
// has them, the activity's name and description heading the memo.
ImportedRide MakeActivityRide(const ImportActivity& activity, const ImportPlan& plan, PreparedTrack track,
                              const QByteArray& raw, bool onlyTrack) {
    if (plan.FromCsv() && onlyTrack) {
        UseCsvFigures(activity, track.figures);
    }
    const QString fileName = FileName(activity.entry);
    ImportedRide ride = MakeImportedRide(track, fileName, activity.bicycle, activity.start.value_or(0));
    const QString markup = ActivityMemoMarkup(activity.name, activity.description, track.name, track.figures,
                                              fileName, !track.picture.isEmpty());
    ride.ride.Memo = ToTextBlock(MemoPlainText(markup));
    ride.document = EncodeMemoDocument(markup);
    if (plan.kind == ImportSourceKind::Files) {
        ride.sourcePath = activity.entry;
    } else {
        ride.sourceBytes = raw;
        if (plan.FromCsv() || onlyTrack) {
            ride.detail.ActivityId = activity.activityId.toStdString();
        }
    }
    if (plan.FromCsv() && activity.elapsedSeconds && onlyTrack) {
        ride.detail.ElapsedSeconds = activity.elapsedSeconds;
    }
    return ride;
}

ImportedRide MakeManualRide(const ImportActivity& activity) {
    PreparedTrack track;
    UseCsvFigures(activity, track.figures);
    ImportedRide ride = MakeImportedRide(track, QString(), activity.bicycle, activity.start.value_or(0));
    const QString markup =
        ActivityMemoMarkup(activity.name, activity.description, {}, track.figures, {}, false);
    ride.ride.Memo = ToTextBlock(MemoPlainText(markup));
    ride.document = EncodeMemoDocument(markup);
    ride.sourcePath.clear();
    ride.detail.SourceFile.clear();
    ride.detail.ActivityId = activity.activityId.toStdString();
    ride.detail.ElapsedSeconds = activity.elapsedSeconds;
    return ride;
}

struct PreparedEntry {
    size_t index = 0;
    EntryRead read = EntryRead::Done;
    QString error;
    QByteArray raw;
    PreparedFile file;
};

}  // namespace

bool IsRideType(const QString& type) {
    const QString folded = type.trimmed().toCaseFolded();
    return folded.contains(QLatin1String("ride")) || folded.contains(QLatin1String("cycl")) ||
           folded.contains(QLatin1String("bik")) || folded == QLatin1String("velomobile") ||
           folded == QLatin1String("handcycle");
}

bool ReadStravaActivities(const QByteArray& bytes, std::vector<ImportActivity>* activities, QString* error) {
    const CsvTable table = ParseCsv(DecodeCsvBytes(bytes));
    const QStringList& header = table.header;
    const int id = FindCsvColumn(header, {QStringLiteral("Activity ID")});
    const int date = FindCsvColumn(header, {QStringLiteral("Activity Date")});
    if (id < 0 || date < 0) {
        *error = GetLanguageString("ArchiveImport", "NCSV");
        return false;
    }
    const int name = FindCsvColumn(header, {QStringLiteral("Activity Name")});
    const int type = FindCsvColumn(header, {QStringLiteral("Activity Type")});
    const int description = FindCsvColumn(header, {QStringLiteral("Activity Description")});
    const int gear = FindCsvColumn(header, {QStringLiteral("Activity Gear"), QStringLiteral("Gear")});
    const int file = FindCsvColumn(header, {QStringLiteral("Filename")});
    // Repeated columns: the later one is in metres and seconds; a lone
    // Distance is in kilometres.
    const bool distanceInMetres = CountColumns(header, QStringLiteral("Distance")) > 1;
    const int distance = LastColumn(header, QStringLiteral("Distance"));
    const int moving = FindCsvColumn(header, {QStringLiteral("Moving Time")});
    const int elapsed = LastColumn(header, QStringLiteral("Elapsed Time"));
    const int maxSpeed = FindCsvColumn(header, {QStringLiteral("Max Speed")});
    const int climb = FindCsvColumn(header, {QStringLiteral("Elevation Gain")});
    const auto cell = [](const QStringList& row, int column) {
        return column >= 0 && column < row.size() ? row[column] : QString();
    };
    for (const QStringList& row : table.rows) {
        ImportActivity activity;
        activity.activityId = cell(row, id).trimmed();
        if (activity.activityId.isEmpty()) {
            continue;
        }
        activity.start = CsvDate(cell(row, date));
        activity.name = cell(row, name);
        activity.type = cell(row, type).trimmed();
        activity.description = cell(row, description);
        activity.gear = cell(row, gear).trimmed();
        activity.entry = cell(row, file).trimmed();
        const double way = CsvNumber(cell(row, distance));
        activity.distanceKm = distanceInMetres ? way / 1000.0 : way;
        activity.movingSeconds = std::llround(CsvNumber(cell(row, moving)));
        if (const double seconds = CsvNumber(cell(row, elapsed)); seconds > 0.0) {
            activity.elapsedSeconds = seconds;
            if (activity.movingSeconds <= 0) {
                activity.movingSeconds = std::llround(seconds);
            }
        }
        if (const double speed = CsvNumber(cell(row, maxSpeed)); speed > 0.0) {
            activity.maxSpeedKmh = speed * 3.6;  // metres a second
        }
        if (!cell(row, climb).trimmed().isEmpty()) {
            activity.climbMetres = CsvNumber(cell(row, climb));
        }
        activity.ride = activity.type.isEmpty() || IsRideType(activity.type);
        activity.include = activity.ride;
        if (!activity.start) {
            activity.problem = SafeFormat(GetLanguageString("ArchiveImport", "NDAT"), {activity.activityId});
        }
        activities->push_back(std::move(activity));
    }
    if (activities->empty()) {
        *error = GetLanguageString("ArchiveImport", "NCSV");
        return false;
    }
    return true;
}

bool IsImportablePath(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir()) {
        return true;
    }
    return path.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive) || IsPlanFile(path) ||
           info.fileName().compare(QLatin1String(kStravaActivities), Qt::CaseInsensitive) == 0;
}

std::optional<ImportPlan> ReadImportPlan(const QStringList& chosen, QString* error, const PlanStep& step) {
    error->clear();
    QStringList paths = chosen;
    // A Strava list chosen in a file chooser stands for its folder.
    if (paths.size() == 1 &&
        QFileInfo(paths.front()).fileName().compare(QLatin1String(kStravaActivities), Qt::CaseInsensitive) ==
            0) {
        paths = QStringList{QFileInfo(paths.front()).absolutePath()};
    }
    if (paths.size() == 1) {
        const QFileInfo info(paths.front());
        if (info.isDir() &&
            QFileInfo::exists(QDir(paths.front()).filePath(QLatin1String(kStravaActivities)))) {
            ImportPlan plan;
            plan.kind = ImportSourceKind::StravaFolder;
            plan.source = paths.front();
            QFile csv(QDir(paths.front()).filePath(QLatin1String(kStravaActivities)));
            if (!csv.open(QIODevice::ReadOnly) || csv.size() > kMaxCsvBytes) {
                return Nothing(error, GetLanguageString("ArchiveImport", "NCSV"));
            }
            if (!ReadStravaActivities(csv.readAll(), &plan.activities, error)) {
                return std::nullopt;
            }
            for (ImportActivity& activity : plan.activities) {
                if (activity.entry.isEmpty()) {
                    continue;
                }
                const QString safe = SafeEntryName(activity.entry);
                if (safe.isEmpty() || !StaysInFolder(plan.source, safe)) {
                    activity.problem =
                        SafeFormat(GetLanguageString("ArchiveImport", "ESCP"), {activity.entry});
                } else if (!QFileInfo(QDir(plan.source).filePath(safe)).isFile()) {
                    activity.problem =
                        SafeFormat(GetLanguageString("ArchiveImport", "MISS"), {activity.entry});
                } else {
                    activity.entry = safe;
                }
            }
            if (!ReadUntypedSports(plan, step)) {
                return std::nullopt;
            }
            return plan;
        }
        if (info.isFile() && paths.front().endsWith(QLatin1String(".zip"), Qt::CaseInsensitive)) {
            return PlanZip(paths.front(), error, step);
        }
    }
    ImportPlan plan;
    QStringList files;
    for (const QString& path : paths) {
        files << (QFileInfo(path).isDir() ? GpsFilesIn(path) : QStringList{path});
    }
    for (const QString& path : files) {
        if (IsPlanFile(path)) {
            ImportActivity& activity = plan.activities.emplace_back();
            activity.entry = path;
        }
    }
    if (plan.activities.empty()) {
        return Nothing(error, GetLanguageString("ArchiveImport", "NOFL"));
    }
    if (!ReadPlannedFigures(plan, step)) {
        return std::nullopt;
    }
    return plan;
}

QStringList GearNames(const ImportPlan& plan) {
    QStringList names;
    for (const ImportActivity& activity : plan.activities) {
        if (!activity.gear.isEmpty() && !names.contains(activity.gear)) {
            names << activity.gear;
        }
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

bool KnownRides::Load() {
    m_ids.clear();
    m_rides.clear();
    RideRecordList rides;
    std::vector<RideDetail> details;
    if (DB_GetRideRecords(nullptr, &rides) != store::kOk || DB_GetRideDetails(&details) != store::kOk) {
        return false;
    }
    for (const RideDetail& detail : details) {
        if (!detail.ActivityId.empty()) {
            m_ids.insert(QString::fromStdString(detail.ActivityId));
        }
    }
    for (const RideRecord& ride : rides) {
        m_rides[ride.BicycleNumber].push_back({ride.Date, ride.Distance});
    }
    for (auto& [bicycle, list] : m_rides) {
        std::sort(list.begin(), list.end(), [](const Ride& a, const Ride& b) { return a.start < b.start; });
    }
    return true;
}

bool KnownRides::Knows(const QString& activityId, int32_t bicycle, int64_t start, double distanceKm) const {
    if (!activityId.isEmpty() && m_ids.contains(activityId)) {
        return true;
    }
    const auto found = m_rides.find(bicycle);
    if (found == m_rides.end()) {
        return false;
    }
    const std::vector<Ride>& list = found->second;
    auto at = std::lower_bound(list.begin(), list.end(), start - kSameRideSeconds,
                               [](const Ride& ride, int64_t time) { return ride.start < time; });
    for (; at != list.end() && at->start <= start + kSameRideSeconds; ++at) {
        const double larger = std::max(at->distanceKm, distanceKm);
        if (larger <= 0.0 || std::abs(at->distanceKm - distanceKm) <= larger * kSameDistanceShare) {
            return true;
        }
    }
    return false;
}

void KnownRides::Add(const QString& activityId, int32_t bicycle, int64_t start, double distanceKm) {
    if (!activityId.isEmpty()) {
        m_ids.insert(activityId);
    }
    std::vector<Ride>& list = m_rides[bicycle];
    const auto at = std::upper_bound(list.begin(), list.end(), start,
                                     [](int64_t time, const Ride& ride) { return time < ride.start; });
    list.insert(at, {start, distanceKm});
}

void MarkKnown(ImportPlan& plan, const KnownRides& known) {
    for (ImportActivity& activity : plan.activities) {
        activity.known = activity.start &&
                         known.Knows(plan.kind == ImportSourceKind::Files ? QString() : activity.activityId,
                                     activity.bicycle, *activity.start, activity.distanceKm);
    }
}

std::optional<int32_t> AddNamedBicycle(const QString& name) {
    BicycleAttribute bicycle;
    bicycle.BicycleName = ToTextBlock(name.trimmed());
    BicycleList list;
    if (DB_InsertBicycle(&bicycle) != store::kOk || DB_GetBicycleList(&list) != store::kOk || list.empty()) {
        return std::nullopt;
    }
    int32_t number = 0;
    for (const BicycleAttribute& known : list) {
        number = std::max(number, known.BicycleNumber);
    }
    return number;
}

namespace {

// Plain files go as they always went, a batch a bicycle: each file's tracks
// checked against the log, files without a ride counted, the damaged named.
ImportSummary ImportPlannedFiles(const ImportPlan& plan, const ImportStep& step) {
    std::map<int32_t, QStringList> groups;
    int count = 0;
    for (const ImportActivity& activity : plan.activities) {
        if (activity.include) {
            groups[activity.bicycle] << activity.entry;
            ++count;
        }
    }
    ImportSummary summary;
    int before = 0;
    for (const auto& [bicycle, paths] : groups) {
        const ImportSummary part = ImportRideFiles(paths, bicycle, [&](int done, int, const QString& path) {
            return !step || step(before + done, count, path);
        });
        before += static_cast<int>(paths.size());
        summary.imported += part.imported;
        summary.cancelled = summary.cancelled || part.cancelled;
        summary.storeUnreadable = summary.storeUnreadable || part.storeUnreadable;
        summary.duplicates << part.duplicates;
        summary.failures << part.failures;
        summary.notes << part.notes;
        summary.skippedTracks += part.skippedTracks;
        summary.skippedFiles += part.skippedFiles;
        for (const std::optional<int64_t>& date : {part.earliest, part.latest}) {
            if (date) {
                summary.earliest = std::min(summary.earliest.value_or(*date), *date);
                summary.latest = std::max(summary.latest.value_or(*date), *date);
            }
        }
        if (part.cancelled || part.storeUnreadable) {
            break;
        }
    }
    return summary;
}

}  // namespace

ImportSummary ImportPlanned(const ImportPlan& plan, const ImportStep& step) {
    if (plan.kind == ImportSourceKind::Files) {
        return ImportPlannedFiles(plan, step);
    }
    ImportSummary summary;
    KnownRides known;
    if (!known.Load()) {
        summary.storeUnreadable = true;
        return summary;
    }
    std::vector<size_t> manual;
    std::vector<size_t> withFile;
    for (size_t i = 0; i < plan.activities.size(); ++i) {
        const ImportActivity& activity = plan.activities[i];
        if (!activity.include || activity.known) {
            continue;
        }
        if (!activity.problem.isEmpty()) {
            summary.failures << activity.problem;
            continue;
        }
        (activity.entry.isEmpty() ? manual : withFile).push_back(i);
    }
    const int count = static_cast<int>(manual.size() + withFile.size());
    int done = 0;
    using Clock = std::chrono::steady_clock;
    Clock::time_point asked = Clock::now() - std::chrono::seconds(1);
    QString current;
    auto goOn = [&](bool always) {
        if (!step || (!always && Clock::now() - asked < std::chrono::milliseconds(50))) {
            return true;
        }
        asked = Clock::now();
        if (!step(done, count, current)) {
            summary.cancelled = true;
        }
        return !summary.cancelled;
    };

    ImportedRideStore store;
    Clock::time_point committed = Clock::now();
    struct Pending {
        QString name;
        int64_t start;
    };
    std::vector<Pending> pending;
    const auto commit = [&] {
        const bool committed = store.Commit();
        for (const Pending& ride : pending) {
            if (!committed) {
                summary.failures << WithReasonInline(
                    SafeFormat(GetLanguageString("RideImport", "STFL"), {ride.name}), store.LastFailure());
                continue;
            }
            ++summary.imported;
            summary.earliest = std::min(summary.earliest.value_or(ride.start), ride.start);
            summary.latest = std::max(summary.latest.value_or(ride.start), ride.start);
        }
        pending.clear();
    };
    const auto add = [&](const ImportedRide& ride, const QString& name, const QString& id) {
        if (known.Knows(id, ride.ride.BicycleNumber, ride.ride.Date, ride.ride.Distance)) {
            summary.duplicates << SafeFormat(GetLanguageString("ArchiveImport", "KNWN"), {name});
            return;
        }
        if (!store.Add(ride)) {
            summary.failures << WithReasonInline(SafeFormat(GetLanguageString("RideImport", "STFL"), {name}),
                                                 store.LastFailure());
            return;
        }
        known.Add(id, ride.ride.BicycleNumber, ride.ride.Date, ride.ride.Distance);
        pending.push_back({name, ride.ride.Date});
        // A commit waits for the disk, which on a busy machine takes long:
        // at most about one a second, however quickly the rides come.
        if (store.Pending() >= kMaxRidesPerCommit ||
            (store.Pending() >= kRidesPerCommit && Clock::now() - committed >= std::chrono::seconds(1))) {
            commit();
            committed = Clock::now();
        }
    };
    const auto label = [](const ImportActivity& activity) {
        return activity.name.trimmed().isEmpty()
                   ? FileName(activity.entry.isEmpty() ? activity.activityId : activity.entry)
                   : activity.name.trimmed();
    };

    for (size_t index : manual) {
        const ImportActivity& activity = plan.activities[index];
        current = label(activity);
        if (!goOn(true)) {
            break;
        }
        add(MakeManualRide(activity), current, activity.activityId);
        ++done;
    }
    if (!summary.cancelled) {
        const TrackPictureWords words = TrackPictureWords::Current();
        OrderedWork<PreparedEntry> work(
            [&](PreparedEntry& entry) {
                if (summary.cancelled) {
                    return;  // files read ahead of a cancel are not stored
                }
                const ImportActivity& activity = plan.activities[entry.index];
                current = label(activity);
                const QString fileName = FileName(activity.entry);
                if (entry.read != EntryRead::Done) {
                    summary.failures << EntryProblemText(fileName, entry.read, entry.error);
                } else if (entry.file.content.error != GpsFileError::None) {
                    summary.failures << GpsFileErrorText(fileName, entry.file.content);
                } else if (entry.file.tracks.empty()) {
                    ++summary.skippedFiles;
                } else {
                    const bool onlyTrack = entry.file.tracks.size() == 1;
                    for (const PreparedTrack& track : entry.file.tracks) {
                        const QString id = plan.kind == ImportSourceKind::Files || !onlyTrack
                                               ? QString()
                                               : activity.activityId;
                        add(MakeActivityRide(activity, plan, track, entry.raw, onlyTrack), current, id);
                    }
                    if (entry.file.content.readToDamage) {
                        summary.notes << SafeFormat(GetLanguageString("RideImport", "DMGD"), {fileName});
                    }
                }
                ++done;
                goOn(true);
            },
            [&] { return goOn(false); }, kImportBytesInFlight);
        WalkEntries(
            plan, withFile,
            [&](size_t index, EntryBytes& bytes) {
                if (summary.cancelled || work.Stopped()) {
                    return false;
                }
                const QString name = plan.activities[index].entry;
                const qint64 weight = bytes.raw.size() * (IsGzip(name) ? 8 : 1);
                work.Submit(weight,
                            [index, name, words, bytes = std::move(bytes)](const std::atomic<bool>* stop) {
                                PreparedEntry entry;
                                entry.index = index;
                                entry.read = bytes.read;
                                entry.error = bytes.error;
                                entry.raw = bytes.raw;
                                if (bytes.read == EntryRead::Done) {
                                    GpsFileContent content = DecodeEntry(bytes.raw, name, &entry.read);
                                    entry.file = PrepareGpsContent(std::move(content), words, stop);
                                }
                                return entry;
                            });
                return !summary.cancelled && !work.Stopped();
            },
            &summary.failures);
        if (!work.Finish()) {
            summary.cancelled = true;
        }
    }
    commit();
    qCInfo(lcImport).noquote() << "Import of" << count << "activities from"
                               << (plan.source.isEmpty() ? QStringLiteral("files") : plan.source) << ":"
                               << summary.imported << "ride(s) stored," << summary.duplicates.size()
                               << "already in the log," << summary.failures.size() << "failure(s)"
                               << (summary.cancelled ? "; cancelled" : "");
    return summary;
}
