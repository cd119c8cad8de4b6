#include "packaging/installed_tree.h"

#include <QDir>
#include <algorithm>

InstalledTree::InstalledTree() {
    root_ = qEnvironmentVariable("KB_INSTALLED_ROOT");
    prefix_ = qEnvironmentVariable("KB_INSTALLED_PREFIX", QStringLiteral("/usr"));
    if (!root_.isEmpty()) {
        return;
    }
    scratch_ = std::make_unique<QTemporaryDir>();
    root_ = scratch_->path();
    prefix_ = QStringLiteral(KB_INSTALL_PREFIX);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DESTDIR"), root_);
    const ToolResult installed =
        runTool(QStringLiteral(KB_CMAKE_COMMAND),
                {QStringLiteral("--install"), QStringLiteral(KB_BUILD_DIR)}, env);
    if (installed.exitCode != 0) {
        error_ = installed.out + installed.err;
    }
}

QString InstalledTree::path(const QString& relative) const {
    return root_ + systemPath(relative);
}

QString InstalledTree::systemPath(const QString& relative) const {
    return prefix_ + u'/' + relative;
}

QStringList buildTrees() {
    return {QDir(QStringLiteral(KB_SOURCE_DIR)).canonicalPath(),
            QDir(QStringLiteral(KB_BUILD_DIR)).canonicalPath()};
}

bool canHideBuildTrees() {
    static const bool can = runTool(QStringLiteral("unshare"),
                                    commandWithBuildTreesHidden({QStringLiteral("true")}).mid(1))
                                .exitCode == 0;
    return can;
}

QStringList commandWithBuildTreesHidden(const QStringList& command) {
    // An empty file system over each tree, seen by this command alone; a tree inside
    // another is covered first, while it can still be reached.
    QStringList trees = buildTrees();
    std::sort(trees.begin(), trees.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    QString script = QStringLiteral("set -e;");
    for (const QString& tree : trees) {
        script += QStringLiteral(" mount -t tmpfs -o size=16k kb-hidden '%1';").arg(tree);
    }
    script += QStringLiteral(" exec \"$@\"");
    return QStringList{QStringLiteral("unshare"),
                       QStringLiteral("--mount"),
                       QStringLiteral("--propagation"),
                       QStringLiteral("private"),
                       QStringLiteral("sh"),
                       QStringLiteral("-c"),
                       script,
                       QStringLiteral("sh")} +
           command;
}
