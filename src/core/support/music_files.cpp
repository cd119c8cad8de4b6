#include "core/support/music_files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <vector>

#include "core/support/collation.h"
#include "core/support/log_categories.h"

const QStringList PlayableExtensions = {
    QStringLiteral(".mp3"),  QStringLiteral(".wav"), QStringLiteral(".wma"), QStringLiteral(".m4a"),
    QStringLiteral(".flac"), QStringLiteral(".ogg"), QStringLiteral(".aac"), QStringLiteral(".ape"),
    QStringLiteral(".cda"),  QStringLiteral(".m1a"), QStringLiteral(".m2a"), QStringLiteral(".mp2"),
    QStringLiteral(".mpa"),  QStringLiteral(".tak"), QStringLiteral(".tta"), QStringLiteral(".wv")};

namespace {

bool isNetworkFileSystemType(const QString& type) {
    static const QStringList kNetwork = {QStringLiteral("nfs"),
                                         QStringLiteral("nfs4"),
                                         QStringLiteral("cifs"),
                                         QStringLiteral("smb3"),
                                         QStringLiteral("smbfs"),
                                         QStringLiteral("ncpfs"),
                                         QStringLiteral("afs"),
                                         QStringLiteral("ceph"),
                                         QStringLiteral("glusterfs"),
                                         QStringLiteral("davfs"),
                                         QStringLiteral("9p"),
                                         QStringLiteral("lustre"),
                                         QStringLiteral("coda"),
                                         QStringLiteral("fuse.sshfs"),
                                         QStringLiteral("fuse.rclone"),
                                         QStringLiteral("fuse.curlftpfs"),
                                         QStringLiteral("fuse.gvfsd-fuse"),
                                         QStringLiteral("fuse.s3fs"),
                                         QStringLiteral("fuse.glusterfs")};
    return kNetwork.contains(type);
}

// Mount points and their types, longest match wins. Escapes in mountinfo are octal.
QString unescapeMount(const QByteArray& field) {
    QByteArray out;
    for (int i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            out.append(static_cast<char>(field.mid(i + 1, 3).toInt(nullptr, 8)));
            i += 3;
        } else {
            out.append(field[i]);
        }
    }
    return QFile::decodeName(out);
}

// A folder is read whole to sort its names, but not without bound: a school's music folder
// holds hundreds, a mistaken one tens of thousands.
constexpr size_t kMaxNamesRead = 100'000;

bool isUnder(const QString& path, const QString& mount) {
    return mount == QLatin1String("/") || path == mount || path.startsWith(mount + u'/');
}

}  // namespace

QString fileExtension(const QString& name) {
    const qsizetype slash = name.lastIndexOf(u'/');
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > slash ? name.mid(dot) : QString();
}

bool isPlayableExtension(const QString& name) {
    const QString extension = fileExtension(name);
    return !extension.isEmpty() && PlayableExtensions.contains(extension, Qt::CaseInsensitive);
}

bool hasUndecodableName(const QString& path) {
    // Names are decoded as UTF-8; what is not valid UTF-8 becomes U+FFFD and can no longer be
    // found under the decoded name.
    return path.contains(QChar::ReplacementCharacter) &&
           ::access(QFile::encodeName(path).constData(), F_OK) != 0;
}

QStringList listPlayableFiles(const QString& folder, int cap) {
    struct Entry {
        QByteArray raw;
        QString name;
    };
    std::vector<Entry> entries;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (dir == nullptr) {
        return {};
    }
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray raw(entry->d_name);
        const QString name = QFile::decodeName(raw);
        if (raw == "." || raw == ".." || !isPlayableExtension(name)) {
            continue;
        }
        entries.push_back({raw, name});
        if (entries.size() >= kMaxNamesRead) {
            qCWarning(lcStorage) << "folder holds more than" << kMaxNamesRead
                                 << "music names; the rest are not read:" << folder;
            break;
        }
    }
    ::closedir(dir);
    // The original platform listed a folder in name order, and the cap keeps the first names.
    const QCollator collator = nameCollator();
    std::sort(entries.begin(), entries.end(), [&collator](const Entry& a, const Entry& b) {
        const int order = collator.compare(a.name, b.name);
        return order != 0 ? order < 0 : a.raw < b.raw;
    });

    const QByteArray prefix = QFile::encodeName(folder.endsWith(u'/') ? folder : folder + u'/');
    QStringList files;
    for (const Entry& entry : entries) {
        if (cap > 0 && files.size() >= cap) {
            break;
        }
        struct stat info {};
        const QByteArray full = prefix + entry.raw;
        if (::stat(full.constData(), &info) != 0 || S_ISDIR(info.st_mode)) {
            continue;
        }
        if (!S_ISREG(info.st_mode)) {
            // A FIFO, a device or a socket named like music: opening it could block forever.
            qCInfo(lcStorage) << "skipped, not a regular file:" << QFile::decodeName(full);
            continue;
        }
        if (QFile::encodeName(entry.name) != entry.raw) {
            // Kept, so that its failure names the cause where the school sees it.
            qCWarning(lcStorage) << "file name is not valid UTF-8:" << QFile::decodeName(full);
        }
        files.append(QFile::decodeName(full));
    }
    return files;
}

QString networkMountOf(const QString& path) {
    QFile mounts(QStringLiteral("/proc/self/mountinfo"));
    if (!mounts.open(QIODevice::ReadOnly)) {
        return QString();
    }
    // The nearest existing folder decides where the path would live.
    QString probe = QFileInfo(path).absoluteFilePath();
    while (!probe.isEmpty() && probe != QLatin1String("/") && !QFileInfo::exists(probe)) {
        probe = QFileInfo(probe).path();
    }
    return networkMountIn(probe, mounts.readAll());
}

QString networkMountIn(const QString& path, const QByteArray& mountInfo) {
    const QString probe = path;
    QString bestMount;
    QString bestType;
    for (const QByteArray& line : mountInfo.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const int separator = static_cast<int>(fields.indexOf("-"));
        if (fields.size() < 5 || separator < 0 || separator + 1 >= fields.size()) {
            continue;
        }
        const QString mount = unescapeMount(fields[4]);
        if (isUnder(probe, mount) && mount.size() >= bestMount.size()) {
            bestMount = mount;
            bestType = QString::fromLatin1(fields[separator + 1]);
        }
    }
    return isNetworkFileSystemType(bestType) ? bestMount : QString();
}

bool validateMusicPath(const QString& path, const QString& label, bool folderWanted,
                       QString& message) {
    if (path.size() >= 2) {
        const auto isSlash = [](QChar c) { return c == u'/' || c == u'\\'; };
        if (isSlash(path.at(0)) && isSlash(path.at(1))) {
            message = QStringLiteral("%1路径无效").arg(label);
            return false;
        }
        const QString mount = networkMountOf(path);
        if (!mount.isEmpty()) {
            message = QStringLiteral("%1路径无效, 不支持网络映射盘[%2]").arg(label, mount);
            return false;
        }
        // Only a regular file (after following links) is music: a FIFO or a device would
        // block the player or never end.
        struct stat info {};
        if (::stat(QFile::encodeName(path).constData(), &info) == 0 &&
            (folderWanted ? S_ISDIR(info.st_mode) : S_ISREG(info.st_mode))) {
            return true;
        }
        if (hasUndecodableName(path)) {
            message = QStringLiteral("%1名称不是有效的UTF-8编码, 请改名").arg(label);
            return false;
        }
    }
    message = QStringLiteral("%1不存在").arg(label);
    return false;
}
