#pragma once
// Rides made from GPS files: the ride record and its memo (a few lines about
// the file and a picture of the route) worked out from one track, stored
// together with the memo folder, and a whole batch of files imported for one
// bicycle with duplicates and unreadable files reported. Plain functions over
// the store and the disk; the rides page adds the questions and the progress.

#include "platform/Failure.h"
#include "rides/GpsFigures.h"
#include "rides/GpsTrack.h"
#include "rides/TrackPicture.h"
#include "store/store.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The picture of the route in an imported ride's memo folder (data.files/track.png).
inline constexpr char kTrackPictureName[] = "track.png";

// Files read at once hold no more than this many bytes together (at least
// one file, whatever its size): a track takes several times its file's size
// while it is worked out, and a batch of large files must not take all the
// memory there is.
inline constexpr qint64 kImportBytesInFlight = qint64{256} * 1024 * 1024;

// What one track of a file gives before it meets the store: its figures and
// the picture of its route.
struct PreparedTrack {
    QString name;
    GpsRideFigures figures;
    DeviceMeasures measured;  // what the device measured beside the figures
    QByteArray picture;       // PNG; empty for a track without positions (an indoor trainer's)
};

// A track that went nowhere in no time (a single point, a device switched on
// and off) is no ride.
bool HasDistanceOrTime(const GpsRideFigures& figures);

// A file read, worked out and drawn. Needs neither the store nor the
// language table, so that several files are prepared at once on other
// threads while the rides of earlier ones are stored.
struct PreparedFile {
    GpsFileContent content;             // the error, if any; its tracks are moved into tracks
    std::vector<PreparedTrack> tracks;  // the rides, without the tracks that are none
    int skippedTracks = 0;              // tracks without distance or time
    bool anyPositions = false;          // a track held a point with a position
    int64_t fileDate = 0;               // the file's modification time, for tracks without times
};
// Stops between two tracks, leaving the rest out, once stop is set.
PreparedFile PrepareGpsFile(const QString& path, const TrackPictureWords& words,
                            const std::atomic<bool>* stop = nullptr);
// The same for a file's content read from elsewhere (an archive's entry).
PreparedFile PrepareGpsContent(GpsFileContent content, const TrackPictureWords& words,
                               const std::atomic<bool>* stop = nullptr);

struct ImportedRide {
    RideRecord ride;      // everything but the number, which the store gives
    RideDetail detail;    // the further figures, stored with the ride
    QByteArray document;  // data.htm
    QByteArray picture;   // data.files/track.png; none when empty
    QString sourcePath;   // the file the ride came from, kept in the memo folder's source folder
    // The kept file's bytes when it came from an archive; sourcePath then
    // only names it.
    QByteArray sourceBytes;
};

// The further figures of a prepared track from the file named fileName: the
// climb as the figures have it, the time from start to end, and what the
// device measured.
RideDetail ImportedRideDetail(const PreparedTrack& track, const QString& fileName);

// The ride a prepared track of the file at path makes; fileDate dates a
// track that holds no times at all.
ImportedRide MakeImportedRide(const PreparedTrack& track, const QString& path, int32_t bicycle,
                              int64_t fileDate);

// The memo's markup and the plain text the ride's Memo column keeps of it,
// the same text the memo editor takes from the document when it is saved.
QString ImportedMemoMarkup(const QString& trackName, const GpsRideFigures& figures, const QString& fileName,
                           bool withPicture = true);
// The same headed by the activity's name and description as another
// program kept them: plain text, shown as written, never taken as markup. An
// empty fileName leaves out the file's line (an activity without a file).
QString ActivityMemoMarkup(const QString& title, const QString& description, const QString& trackName,
                           const GpsRideFigures& figures, const QString& fileName, bool withPicture);
QString MemoPlainText(const QString& markup);

// Stores imported rides with their memo folders so that a ride never stands
// without its folder, nor a folder without its ride. The file a ride came
// from is kept in its memo folder (source/, beside the memo's pictures, so
// that neither the memo's clean-up nor a report touches it). Each memo folder is
// written aside and moved in under the ride's number inside the transaction
// that inserts the ride. Rides are committed a group at a time, after their
// memo files have reached the disk: one wait for the disk per group rather
// than several per ride. Whatever is not committed when the store goes is
// taken back, rides and folders.
class ImportedRideStore {
public:
    ImportedRideStore() = default;
    ~ImportedRideStore();
    ImportedRideStore(const ImportedRideStore&) = delete;
    ImportedRideStore& operator=(const ImportedRideStore&) = delete;

    // Adds the ride and its folder to the open group (opening one when
    // needed). False when this ride could not be stored; it then left
    // nothing, and the group's other rides stay.
    [[nodiscard]] bool Add(const ImportedRide& ride, int32_t* number = nullptr);
    // Makes the group's rides permanent. False when that failed; then every
    // ride of the group is taken back with its folder.
    [[nodiscard]] bool Commit();
    int Pending() const { return static_cast<int>(m_folders.size()); }
    // Why the last Add or Commit failed.
    const FailureReason& LastFailure() const { return m_failure; }

private:
    void RollBack();
    bool FailedInStore();
    bool FailedInFiles(const QString& staging);

    std::optional<store::Transaction> m_group;
    std::vector<QString> m_folders;  // of the open group
    FailureReason m_failure;
};

// The start times of one bicycle's rides, to find a ride that is already in
// the log: the same bicycle and a start within a minute.
class KnownRideStarts {
public:
    // False when the store cannot be read.
    bool Load(int32_t bicycle);
    // The start of a ride within a minute of start, if there is one.
    std::optional<int64_t> Near(int64_t start) const;
    void Add(int64_t start);
    void Remove(int64_t start);

private:
    std::vector<int64_t> m_starts;  // sorted
};

struct ImportSummary {
    int imported = 0;
    bool cancelled = false;
    bool storeUnreadable = false;  // the rides already stored could not be read: nothing was imported
    QStringList duplicates;        // one line per ride skipped
    QStringList failures;          // one line per file or ride that could not be imported
    QStringList notes;             // rides imported with something to check
    int skippedTracks = 0;         // tracks without distance or time
    int skippedFiles = 0;          // files with neither positions nor the device's totals
    // Dates of the first and the last ride imported.
    std::optional<int64_t> earliest;
    std::optional<int64_t> latest;
};

// Called before each file with the number of files done so far, and again
// with the same numbers every few hundredths of a second while a file takes
// long (to read, or to store its many tracks); false cancels the rest of the
// batch. The rides imported until then stay.
using ImportStep = std::function<bool(int done, int count, const QString& path)>;

// Imports every track of every file as a ride of the bicycle.
ImportSummary ImportRideFiles(const QStringList& paths, int32_t bicycle, const ImportStep& step = {});

// What the rider is told at the end: the count, then what was skipped or
// failed, at most a screenful of lines.
QString ImportSummaryText(const ImportSummary& summary);

// The text that says why a file could not be read.
QString GpsFileErrorText(const QString& fileName, const GpsFileContent& content);
