#pragma once
// Rides brought from another program: a Strava bulk export (its zip, or the
// folder it unpacks to, with activities.csv naming each activity's file), a
// Garmin Connect data export (a zip of zips of FIT files), or a batch of
// plain GPS files. First a plan is read, cheaply, for the rider to look over
// (what each activity is, which bicycle it goes to, whether the log has it
// already); then the activities chosen are imported, reading each file
// straight from the archive. Plain functions over the store and the disk; the
// preview dialog adds the choices and the rides page the progress.

#include "rides/RideImport.h"

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

enum class ImportSourceKind {
    Files,         // plain GPS files
    StravaFolder,  // an unpacked Strava export
    StravaZip,     // a Strava export as it came
    OtherZip,      // a zip of GPS files, at any depth or in zips inside it (Garmin Connect's)
};

// activities.csv, however deep in the archive.
inline constexpr char kStravaActivities[] = "activities.csv";

struct ImportActivity {
    QString activityId;  // the other program's own; for files within a zip, the entry's name
    QString name;
    QString description;
    // As the other program names it ("Ride", "Gravel Ride", "Run"), or the
    // sport a file names, in the rider's language; empty when unknown.
    QString type;
    // A ride of some kind by its type or its file's sport; what is not known
    // counts as one. Only rides are included at first.
    bool ride = true;
    QString gear;  // the bicycle's name there
    // Where its file is: the path of a plain file, the name within the
    // folder or archive; empty for an activity without a file.
    QString entry;
    QString nested;                // the zip within the archive that holds entry, if any
    std::optional<int64_t> start;  // seconds since 1970 UTC
    double distanceKm = 0.0;
    int64_t movingSeconds = 0;
    std::optional<double> maxSpeedKmh;
    std::optional<double> climbMetres;
    std::optional<double> elapsedSeconds;
    int tracks = 1;  // rides the file holds (a file read for the plan)

    int32_t bicycle = 0;
    bool include = true;
    bool known = false;  // already in the log
    QString problem;     // why it cannot be imported; empty when it can
};

struct ImportPlan {
    ImportSourceKind kind = ImportSourceKind::Files;
    QString source;  // the archive or folder; empty for plain files
    QString prefix;  // the folder within a Strava archive that holds activities.csv ("" or "x/")
    std::vector<ImportActivity> activities;
    QStringList problems;  // what could not be read while planning

    bool FromCsv() const {
        return kind == ImportSourceKind::StravaFolder || kind == ImportSourceKind::StravaZip;
    }
};

// Rides of every kind: road, gravel, mountain, e-bike, virtual, hand cycle.
bool IsRideType(const QString& type);

// The activities an activities.csv lists. False (with error) when it is no
// such list (no activity ID or date column).
bool ReadStravaActivities(const QByteArray& csv, std::vector<ImportActivity>* activities, QString* error);

// Called with how far planning has come; false stops it.
using PlanStep = std::function<bool(int done, int count)>;

// What the chosen paths hold: one zip or folder holding activities.csv (or
// that activities.csv itself), a
// zip of GPS files, or GPS files (folders contribute those lying directly
// in them). Files that must be read for their figures are read here, their
// routes not drawn. Nothing when nothing importable is there (error says why)
// or the rider stopped.
std::optional<ImportPlan> ReadImportPlan(const QStringList& paths, QString* error, const PlanStep& step = {});

// Whether a dropped or chosen path is one the plan reads.
bool IsImportablePath(const QString& path);

// The gear names of the plan's activities, sorted, without the empty one.
QStringList GearNames(const ImportPlan& plan);

// Rides already in the log: by the activity ID kept with them, otherwise by
// the same bicycle, a start within a minute and a distance within 1.5 %.
class KnownRides {
public:
    // False when the store cannot be read.
    bool Load();
    bool Knows(const QString& activityId, int32_t bicycle, int64_t start, double distanceKm) const;
    void Add(const QString& activityId, int32_t bicycle, int64_t start, double distanceKm);

private:
    struct Ride {
        int64_t start;
        double distanceKm;
    };
    QSet<QString> m_ids;
    std::map<int32_t, std::vector<Ride>> m_rides;  // each sorted by start
};

// Marks the activities the log has already (their bicycles assigned).
void MarkKnown(ImportPlan& plan, const KnownRides& known);

// Adds a bicycle of that name; its number, or nothing when the store refused.
std::optional<int32_t> AddNamedBicycle(const QString& name);

// Imports the activities included, neither known nor failed in the plan;
// plain files as ImportRideFiles does, each with its bicycle. step counts
// activities. What is stored before a cancel stays.
ImportSummary ImportPlanned(const ImportPlan& plan, const ImportStep& step = {});
