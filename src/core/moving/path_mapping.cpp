#include "core/moving/path_mapping.h"

#include <dirent.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QHash>
#include <utility>

#include "core/immediate/playlist.h"
#include "core/moving/data_tables.h"
#include "core/support/text.h"

namespace {

// Paths of the records hold at most 259 characters.
constexpr int kMaxStoredPath = 259;
// A folder is searched for a name only so far: a music folder holds hundreds of names, a
// mistaken one tens of thousands.
constexpr int kMaxNamesSearched = 100'000;

QString withSlashes(QString path) {
    path.replace(u'\\', u'/');
    return path;
}

QString withoutTrailingSlashes(QString path) {
    while (path.size() > 1 && path.endsWith(u'/')) {
        path.chop(1);
    }
    return path;
}

bool startsWithPrefix(const QString& path, const QString& prefix) {
    return path.startsWith(prefix, Qt::CaseInsensitive) &&
           (path.size() == prefix.size() || path.at(prefix.size()) == u'/');
}

QString joined(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

bool exists(const QString& path) {
    return ::access(QFile::encodeName(path).constData(), F_OK) == 0;
}

// The name as it is spelt in the folder: the same name first, else the first (in code order)
// that differs only in case. Null when there is none.
QString spellingInFolder(const QString& folder, const QString& name) {
    if (exists(joined(folder, name))) {
        return name;
    }
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (dir == nullptr) {
        return QString();
    }
    QString best;
    int searched = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (++searched > kMaxNamesSearched) {
            break;
        }
        const QString candidate = QFile::decodeName(entry->d_name);
        if (QString::compare(candidate, name, Qt::CaseInsensitive) == 0 &&
            (best.isNull() || candidate < best) && exists(joined(folder, candidate))) {
            best = candidate;
        }
    }
    ::closedir(dir);
    return best;
}

}  // namespace

bool makePathMapping(const QString& prefix, const QString& folder, PathMapping& mapping) {
    const QString from = withoutTrailingSlashes(withSlashes(trimBlanks(prefix)));
    const QString to = trimBlanks(folder);
    if (from.isEmpty() || from == QLatin1String("/") || to.isEmpty()) {
        return false;
    }
    mapping.prefix = from;
    mapping.folder = withoutTrailingSlashes(QDir::cleanPath(QDir::current().absoluteFilePath(to)));
    return true;
}

bool parsePathMapping(const QString& text, PathMapping& mapping) {
    const qsizetype equals = text.indexOf(u'=');
    return equals > 0 && makePathMapping(text.left(equals), text.mid(equals + 1), mapping);
}

PathMapper::PathMapper(QList<PathMapping> mappings) : mappings_(std::move(mappings)) {}

QString PathMapper::map(const QString& windowsPath, bool& found) const {
    const QString path = withSlashes(windowsPath);
    const PathMapping* best = nullptr;
    for (const PathMapping& m : mappings_) {
        if (startsWithPrefix(path, m.prefix) &&
            (best == nullptr || m.prefix.size() > best->prefix.size())) {
            best = &m;
        }
    }
    QString resolved;
    QString rest;
    if (best != nullptr) {
        resolved = best->folder;
        rest = path.mid(best->prefix.size());
    } else if (path.startsWith(u'/') && !path.startsWith(QLatin1String("//"))) {
        // Already a path of this PC.
        resolved = QStringLiteral("/");
        rest = path;
    } else {
        // A drive or a network share that no mapping names: nothing on this PC to look at.
        found = false;
        return path;
    }
    found = exists(resolved);
    for (const QString& name : rest.split(u'/', Qt::SkipEmptyParts)) {
        const QString spelt = found ? spellingInFolder(resolved, name) : QString();
        found = !spelt.isNull();
        resolved = joined(resolved, found ? spelt : name);
    }
    if (resolved.size() > kMaxStoredPath) {
        found = false;
        return path;
    }
    return resolved;
}

PathReport mapImportedPaths(ImportedTables& tables, const QList<PathMapping>& mappings) {
    const PathMapper mapper(mappings);
    PathReport report;
    QHash<QString, std::pair<QString, bool>> done;
    const auto mapped = [&](const QString& windowsPath) {
        auto it = done.find(windowsPath);
        if (it == done.end()) {
            bool found = false;
            const QString path = mapper.map(windowsPath, found);
            it = done.insert(windowsPath, {path, found});
            ++report.total;
            if (found) {
                ++report.found;
            } else {
                report.missing.append(windowsPath);
            }
        }
        return it->first;
    };
    if (tables.programmes) {
        for (Programme& p : tables.programmes->items()) {
            if (!programmePath(p).isEmpty()) {
                setProgrammePath(p, mapped(programmePath(p)));
            }
        }
    }
    if (tables.immediate) {
        for (PlaylistEntry& entry : tables.immediate->playlist) {
            if (!entryPath(entry).isEmpty()) {
                setFieldText(entry.path, mapped(entryPath(entry)));
                rebuildNames(entry);
            }
        }
    }
    return report;
}
