#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct ImportedTables;

// Where a Windows drive or folder now lives: "D:\广播" -> "/srv/广播".
struct PathMapping {
    QString prefix;  // backslashes as slashes, no slash at the end
    QString folder;  // absolute, no slash at the end
};

// "PREFIX=FOLDER" as the command line and the import dialog give it. False when either side
// is empty (a prefix of slashes only counts as empty).
bool parsePathMapping(const QString& text, PathMapping& mapping);
bool makePathMapping(const QString& prefix, const QString& folder, PathMapping& mapping);

// Turns the paths of the Windows program into paths on this PC: backslashes become slashes,
// the longest matching prefix (ignoring case, whole names only) is replaced by its folder,
// and each name after it is found on the disk ignoring case, as Windows would.
class PathMapper {
  public:
    explicit PathMapper(QList<PathMapping> mappings);

    // The path on this PC; `found` is false when some name of it is not on the disk (or it
    // is no absolute path at all), and the path is then kept as far as it was found.
    QString map(const QString& windowsPath, bool& found) const;

  private:
    QList<PathMapping> mappings_;
};

// The paths of an import: each distinct path of the Windows files counts once.
struct PathReport {
    int total = 0;
    int found = 0;
    QStringList missing;  // as written in the Windows files, in the order met
};

// Maps every programme and playlist path of the tables in place.
PathReport mapImportedPaths(ImportedTables& tables, const QList<PathMapping>& mappings);
