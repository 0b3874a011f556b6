#pragma once
// Zip archives and gzipped files read where they lie, with libarchive, one
// entry at a time: nothing is unpacked to disk but, when asked, one nested
// archive to one temporary file of bounded size. Every read stops at a
// limit, so that an entry that expands without end (a zip bomb) is refused
// rather than followed.

#include <QByteArray>
#include <QString>
#include <memory>

struct archive;

// A nested archive spooled to disk holds at most this many bytes.
inline constexpr qint64 kMaxNestedArchiveBytes = qint64{4} * 1024 * 1024 * 1024;

// The entry's name made relative and tidy ("a/./b" → "a/b", "\" → "/"), or
// empty when it leaves the archive's folder (a ".." step, an absolute path
// or a drive letter): such an entry is never read, let alone written.
QString SafeEntryName(const QString& name);

enum class EntryRead {
    Done,
    TooLarge,  // expands past the limit: refused
    Damaged,   // the archive cannot give the entry's bytes
};

class ArchiveWalker {
public:
    ArchiveWalker();
    ~ArchiveWalker();
    ArchiveWalker(const ArchiveWalker&) = delete;
    ArchiveWalker& operator=(const ArchiveWalker&) = delete;

    // A zip archive on disk. False (with ErrorText) when it is none.
    bool Open(const QString& path);
    // The next regular file's name as the archive gives it (not yet made
    // safe) and its declared size (-1 when unknown). False at the end or
    // when the archive is damaged from here on (then ErrorText says why).
    bool Next(QString* name, qint64* declaredSize);
    // The current entry's bytes, at most limit of them.
    EntryRead Read(QByteArray* bytes, qint64 limit);
    // The current entry written to path (created anew), at most limit bytes.
    EntryRead Spool(const QString& path, qint64 limit);
    QString ErrorText() const { return m_error; }

private:
    template <typename Sink>
    EntryRead ReadInto(qint64 limit, Sink&& sink);

    archive* m_archive = nullptr;
    QString m_error;
};

// The bytes a gzip stream holds, at most limit of them.
EntryRead Gunzip(const QByteArray& compressed, QByteArray* bytes, qint64 limit);
