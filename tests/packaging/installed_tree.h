#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "helpers/program_runner.h"

// An installed copy of the program in a scratch root: the package unpacked by
// scripts/check-package.sh (KB_INSTALLED_ROOT and KB_INSTALLED_PREFIX), or else this build
// installed with DESTDIR.
class InstalledTree {
  public:
    InstalledTree();
    bool ok() const { return error_.isEmpty(); }
    QString error() const { return error_; }
    QString root() const { return root_; }
    // A path inside the installed prefix, such as "bin/kelvora-broadcasting".
    QString path(const QString& relative) const;
    // The same as the installed system will see it, without the scratch root.
    QString systemPath(const QString& relative) const;
    QString program() const { return path(QStringLiteral("bin/kelvora-broadcasting")); }
    QString resources() const { return path(QStringLiteral("share/kelvora-broadcasting")); }

  private:
    std::unique_ptr<QTemporaryDir> scratch_;
    QString root_;
    QString prefix_;
    QString error_;
};

// The source and build folders, which an installed copy must never need.
QStringList buildTrees();
// Whether a command can be run with those folders hidden behind empty mounts of its own
// (a private mount namespace; needs root).
bool canHideBuildTrees();
// The program and arguments that run `command` with the build trees hidden, when possible.
QStringList commandWithBuildTreesHidden(const QStringList& command);
