#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// Files in ZIP archives: the timetable backups and the data folders brought over from
// another PC.
struct ArchiveFile {
    QString name;
    QByteArray content;
};

// A ZIP archive of the files, with UTF-8 names; false when libarchive refused.
bool zipFiles(const std::vector<ArchiveFile>& files, QByteArray& zipped);

// The entries of the archive whose last path component is one of `names`; the first of each
// name counts. Names are read as UTF-8, or as GB18030 when they are not (archives made by the
// Chinese Windows shell carry no UTF-8 names). False when the archive cannot be read as a ZIP
// archive or a wanted entry is larger than `maxEntryBytes`.
bool unzipFiles(const QByteArray& zipped, const QStringList& names, qint64 maxEntryBytes,
                std::vector<ArchiveFile>& found);
