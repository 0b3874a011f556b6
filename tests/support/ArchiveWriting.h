#pragma once
// Zip archives and gzipped files written with libarchive, as other programs'
// exports hold them: for the tests, the hosts and the archive benchmark
// (header only, so that the benchmark needs no test library).

#include <archive.h>
#include <archive_entry.h>
#include <QByteArray>
#include <QFile>
#include <QString>

inline QByteArray Gzip(const QByteArray& bytes) {
    // Room for what does not shrink, and gzip's header and blocks.
    QByteArray out(bytes.size() + bytes.size() / 256 + 65536, '\0');
    size_t used = 0;
    archive* gz = archive_write_new();
    archive_write_add_filter_gzip(gz);
    archive_write_set_format_raw(gz);
    archive_write_open_memory(gz, out.data(), static_cast<size_t>(out.size()), &used);
    archive_entry* header = archive_entry_new();
    archive_entry_set_pathname(header, "data");
    archive_entry_set_filetype(header, AE_IFREG);
    archive_write_header(gz, header);
    archive_write_data(gz, bytes.constData(), static_cast<size_t>(bytes.size()));
    archive_entry_free(header);
    archive_write_close(gz);
    archive_write_free(gz);
    out.truncate(static_cast<qsizetype>(used));
    return out;
}

// A zip written entry by entry; Close (or the end of its life) finishes it.
class ZipWriter {
public:
    // stored: entries are kept as they are, not compressed again (for
    // entries already gzipped).
    explicit ZipWriter(const QString& path, bool stored = false) : m_zip(archive_write_new()) {
        archive_write_set_format_zip(m_zip);
        if (stored) {
            archive_write_set_options(m_zip, "zip:compression=store");
        }
        m_ok = archive_write_open_filename(m_zip, QFile::encodeName(path).constData()) == ARCHIVE_OK;
    }
    ~ZipWriter() { Close(); }
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    bool Add(const QString& name, const QByteArray& bytes) {
        if (!m_ok || m_zip == nullptr) {
            return false;
        }
        archive_entry* header = archive_entry_new();
        archive_entry_set_pathname(header, name.toUtf8().constData());
        archive_entry_set_size(header, bytes.size());
        archive_entry_set_filetype(header, AE_IFREG);
        archive_entry_set_perm(header, 0644);
        m_ok =
            archive_write_header(m_zip, header) == ARCHIVE_OK &&
            archive_write_data(m_zip, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size();
        archive_entry_free(header);
        return m_ok;
    }
    // False when anything could not be written.
    bool Close() {
        if (m_zip != nullptr) {
            m_ok = archive_write_close(m_zip) == ARCHIVE_OK && m_ok;
            archive_write_free(m_zip);
            m_zip = nullptr;
        }
        return m_ok;
    }

private:
    archive* m_zip;
    bool m_ok = false;
};
