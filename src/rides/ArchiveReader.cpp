#include "rides/ArchiveReader.h"

#include <archive.h>
#include <archive_entry.h>
#include <QFile>
#include <QStringList>

namespace {

constexpr size_t kBlockBytes = 64 * 1024;

QString ArchiveError(archive* handle) {
    const char* text = handle ? archive_error_string(handle) : nullptr;
    return text ? QString::fromLocal8Bit(text) : QString();
}

}  // namespace

QString SafeEntryName(const QString& name) {
    QString path = name;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (path.startsWith(QLatin1Char('/')) || (path.size() >= 2 && path[1] == QLatin1Char(':'))) {
        return {};
    }
    QStringList steps;
    for (const QString& step : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (step == QLatin1String("..")) {
            return {};
        }
        if (step != QLatin1String(".")) {
            steps << step;
        }
    }
    return steps.join(QLatin1Char('/'));
}

ArchiveWalker::ArchiveWalker() = default;

ArchiveWalker::~ArchiveWalker() {
    if (m_archive) {
        archive_read_free(m_archive);
    }
}

bool ArchiveWalker::Open(const QString& path) {
    m_archive = archive_read_new();
    archive_read_support_format_zip(m_archive);
    if (archive_read_open_filename(m_archive, QFile::encodeName(path).constData(), kBlockBytes) !=
        ARCHIVE_OK) {
        m_error = ArchiveError(m_archive);
        archive_read_free(m_archive);
        m_archive = nullptr;
        return false;
    }
    return true;
}

bool ArchiveWalker::Next(QString* name, qint64* declaredSize) {
    if (!m_archive) {
        return false;
    }
    m_error.clear();
    for (;;) {
        archive_entry* entry = nullptr;
        const int result = archive_read_next_header(m_archive, &entry);
        if (result == ARCHIVE_EOF) {
            return false;
        }
        if (result < ARCHIVE_WARN) {
            m_error = ArchiveError(m_archive);
            return false;
        }
        if (archive_entry_filetype(entry) != AE_IFREG) {
            continue;
        }
        const char* utf8 = archive_entry_pathname_utf8(entry);
        const char* local = archive_entry_pathname(entry);
        *name = utf8 ? QString::fromUtf8(utf8) : QString::fromLocal8Bit(local ? local : "");
        *declaredSize = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : -1;
        return true;
    }
}

template <typename Sink>
EntryRead ArchiveWalker::ReadInto(qint64 limit, Sink&& sink) {
    QByteArray block(kBlockBytes, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const la_ssize_t got = archive_read_data(m_archive, block.data(), kBlockBytes);
        if (got == 0) {
            return EntryRead::Done;
        }
        if (got < 0) {
            m_error = ArchiveError(m_archive);
            return EntryRead::Damaged;
        }
        total += got;
        if (total > limit) {
            return EntryRead::TooLarge;
        }
        if (!sink(block.constData(), static_cast<qint64>(got))) {
            return EntryRead::Damaged;
        }
    }
}

EntryRead ArchiveWalker::Read(QByteArray* bytes, qint64 limit) {
    bytes->clear();
    const EntryRead result = ReadInto(limit, [&](const char* data, qint64 size) {
        bytes->append(data, size);
        return true;
    });
    if (result != EntryRead::Done) {
        *bytes = QByteArray();
    }
    return result;
}

EntryRead ArchiveWalker::Spool(const QString& path, qint64 limit) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = file.errorString();
        return EntryRead::Damaged;
    }
    return ReadInto(limit, [&](const char* data, qint64 size) {
        if (file.write(data, size) != size) {
            m_error = file.errorString();
            return false;
        }
        return true;
    });
}

EntryRead Gunzip(const QByteArray& compressed, QByteArray* bytes, qint64 limit) {
    bytes->clear();
    archive* handle = archive_read_new();
    archive_read_support_filter_gzip(handle);
    archive_read_support_format_raw(handle);
    archive_entry* entry = nullptr;
    EntryRead result = EntryRead::Damaged;
    if (archive_read_open_memory(handle, compressed.constData(), static_cast<size_t>(compressed.size())) ==
            ARCHIVE_OK &&
        archive_read_next_header(handle, &entry) >= ARCHIVE_WARN) {
        QByteArray block(kBlockBytes, Qt::Uninitialized);
        for (;;) {
            const la_ssize_t got = archive_read_data(handle, block.data(), kBlockBytes);
            if (got <= 0) {
                result = got == 0 ? EntryRead::Done : EntryRead::Damaged;
                break;
            }
            if (bytes->size() + got > limit) {
                result = EntryRead::TooLarge;
                break;
            }
            bytes->append(block.constData(), got);
        }
    }
    archive_read_free(handle);
    if (result != EntryRead::Done) {
        *bytes = QByteArray();
    }
    return result;
}
