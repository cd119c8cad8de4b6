// Lists large music folders the way a folder run does (name order, the first 300) and prints
// how long it takes and which file comes first. Run by hand:
//   build-ci/bench/music_folder_bench
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <random>

#include "core/support/collation.h"
#include "core/support/music_files.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    for (const int count : {2000, 20000}) {
        QTemporaryDir dir;
        std::mt19937 random(static_cast<unsigned>(count));
        for (int i = 0; i < count; ++i) {
            QFile file(dir.filePath(
                QStringLiteral("%1.mp3").arg(random() % 10000000, 7, 10, QLatin1Char('0'))));
            file.open(QIODevice::WriteOnly);
        }
        QElapsedTimer timer;
        timer.start();
        const QStringList first = listPlayableFiles(dir.path(), 300);
        const qint64 ms = timer.elapsed();
        const QStringList all = QDir(dir.path()).entryList(QDir::Files);
        const QCollator collator = nameCollator();
        const QString smallest = *std::min_element(
            all.begin(), all.end(),
            [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
        std::printf("%6lld files: first 300 by name in %lld ms; first %s (first by name: %s)\n",
                    static_cast<long long>(all.size()), static_cast<long long>(ms),
                    qPrintable(first.first().section(u'/', -1)), qPrintable(smallest));
    }
    return 0;
}
