#include "core/storage/zip_archive.h"

#include <archive.h>
#include <archive_entry.h>
#include <QDateTime>
#include <QStringDecoder>
#include <algorithm>
#include <utility>

namespace {

la_ssize_t appendToArray(archive*, void* array, const void* buffer, size_t length) {
    static_cast<QByteArray*>(array)->append(static_cast<const char*>(buffer),
                                            static_cast<qsizetype>(length));
    return static_cast<la_ssize_t>(length);
}

// The text of a name when it is valid UTF-8.
bool decodeUtf8(const char* bytes, QString& name) {
    if (bytes == nullptr) {
        return false;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    name = utf8.decode(QByteArrayView(bytes));
    return !utf8.hasError();
}

QString entryPathName(archive_entry* entry) {
    QString name;
    if (decodeUtf8(archive_entry_pathname_utf8(entry), name) ||
        decodeUtf8(archive_entry_pathname(entry), name)) {
        return name;
    }
    // The local code page of a Chinese Windows, of which GBK is a part.
    QStringDecoder gb18030("GB18030");
    const char* raw = archive_entry_pathname(entry);
    return gb18030.isValid() && raw != nullptr ? gb18030.decode(QByteArrayView(raw)) : QString();
}

}  // namespace

bool zipFiles(const std::vector<ArchiveFile>& files, QByteArray& zipped) {
    archive* zip = archive_write_new();
    // No padding after the end record: some archive managers read that as damage.
    bool ok = archive_write_set_format_zip(zip) == ARCHIVE_OK &&
              archive_write_set_format_option(zip, "zip", "hdrcharset", "UTF-8") == ARCHIVE_OK &&
              archive_write_set_bytes_in_last_block(zip, 1) == ARCHIVE_OK &&
              archive_write_open(zip, &zipped, nullptr, appendToArray, nullptr) == ARCHIVE_OK;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    for (const ArchiveFile& f : files) {
        if (!ok) {
            break;
        }
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname_utf8(entry, f.name.toUtf8().constData());
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, f.content.size());
        archive_entry_set_mtime(entry, now, 0);
        ok = archive_write_header(zip, entry) == ARCHIVE_OK &&
             archive_write_data(zip, f.content.constData(),
                                static_cast<size_t>(f.content.size())) == f.content.size();
        archive_entry_free(entry);
    }
    ok = archive_write_close(zip) == ARCHIVE_OK && ok;
    archive_write_free(zip);
    return ok;
}

bool unzipFiles(const QByteArray& zipped, const QStringList& names, qint64 maxEntryBytes,
                std::vector<ArchiveFile>& found) {
    archive* zip = archive_read_new();
    // The seekable reader starts from the central directory, so a cut archive is refused.
    archive_read_support_format_zip_seekable(zip);
    bool ok = archive_read_open_memory(zip, zipped.constData(),
                                       static_cast<size_t>(zipped.size())) == ARCHIVE_OK;
    archive_entry* entry = nullptr;
    while (ok) {
        const int next = archive_read_next_header(zip, &entry);
        if (next == ARCHIVE_EOF) {
            break;
        }
        if (next != ARCHIVE_OK && next != ARCHIVE_WARN) {
            ok = false;
            break;
        }
        const QString path = entryPathName(entry);
        // Some Windows tools separate folders with backslashes.
        const QString name =
            path.mid(std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1);
        const bool wanted =
            names.contains(name) && archive_entry_filetype(entry) == AE_IFREG &&
            std::none_of(found.begin(), found.end(), [&](const auto& e) { return e.name == name; });
        if (!wanted) {
            ok = archive_read_data_skip(zip) == ARCHIVE_OK;
            continue;
        }
        ArchiveFile kept{name, QByteArray()};
        char buffer[65536];
        for (;;) {
            const la_ssize_t got = archive_read_data(zip, buffer, sizeof buffer);
            if (got == 0) {
                break;
            }
            if (got < 0 || kept.content.size() + got > maxEntryBytes) {
                ok = false;
                break;
            }
            kept.content.append(buffer, got);
        }
        found.push_back(std::move(kept));
    }
    archive_read_free(zip);
    return ok;
}
