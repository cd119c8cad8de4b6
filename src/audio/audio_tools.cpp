#include "audio/audio_tools.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <optional>

#include "audio/audio_player.h"
#include "audio/duration_probe.h"
#include "audio/engine_checks.h"
#include "audio/output_devices.h"
#include "core/playback/playback_start.h"
#include "core/settings/system_settings.h"
#include "core/support/field_checks.h"
#include "core/support/log_categories.h"

namespace {

void printLine(FILE* stream, const QString& text) {
    std::fprintf(stream, "%s\n", text.toUtf8().constData());
    std::fflush(stream);
}

QString resultText(qint32 code, const QString& playerText) {
    return QStringLiteral("0x%1\t%2")
        .arg(static_cast<quint32>(code), 8, 16, QLatin1Char('0'))
        .arg(playerText.isEmpty() ? audioErrorText(code) : playerText);
}

const QString kPlayUsage =
    QStringLiteral("usage: kelvora-broadcasting --play FILE [--device NAME] [--volume N]");

int listDevices(const QStringList& arguments) {
    if (!arguments.isEmpty()) {
        printLine(stderr, QStringLiteral("usage: kelvora-broadcasting --list-devices"));
        return 2;
    }
    for (const QString& name : listOutputDevices()) {
        printLine(stdout, name);
    }
    return 0;
}

// An unreadable file is still listed (with -1), and makes the whole command fail.
int probe(const QStringList& files) {
    if (files.isEmpty()) {
        printLine(stderr, QStringLiteral("usage: kelvora-broadcasting --probe FILE..."));
        return 2;
    }
    int result = 0;
    for (const QString& file : files) {
        const qint64 length = probeDurationMs(file);
        printLine(stdout, QStringLiteral("%1\t%2").arg(length).arg(file));
        if (length < 0) {
            result = 1;
        }
    }
    return result;
}

int play(const QStringList& arguments) {
    QString file;
    QString device = kDefaultDeviceName;
    int volume = 80;
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--device") && i + 1 < arguments.size()) {
            device = arguments[++i];
        } else if (arguments[i] == QLatin1String("--volume") && i + 1 < arguments.size()) {
            const auto value = checkIntegerField(arguments[++i], {false, 0, 100});
            if (!value) {
                printLine(stderr, QStringLiteral("--volume takes a number from 0 to 100"));
                return 2;
            }
            volume = static_cast<int>(*value);
        } else if (file.isEmpty() && !arguments[i].startsWith(QLatin1String("--"))) {
            file = arguments[i];
        } else {
            printLine(stderr, kPlayUsage);
            return 2;
        }
    }
    if (file.isEmpty()) {
        printLine(stderr, kPlayUsage);
        return 2;
    }
    AudioPlayer player;
    SystemClock clock;
    PlaybackStart started = preparePlayback(player, file, device);
    if (started.code == 0) {
        // The moment it starts, for measuring how soon it is heard (kb.audio.debug=true).
        qCDebug(lcAudio, "running at %lld ns (monotonic)",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                           std::chrono::steady_clock::now().time_since_epoch())
                                           .count()));
        started = startPlayback(player, file, device, volume, clock, true);
    }
    if (started.code != 0) {
        printLine(stderr, resultText(started.code, started.playerText));
        return 1;
    }
    std::optional<PlayerEvent> failure;
    QObject::connect(&player, &MediaPlayer::eventOccurred, [&failure](const PlayerEvent& event) {
        if (event.isFailure() && !failure) {
            failure = event;
        }
    });
    while (!player.isAtEnd() && !failure) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(20);
    }
    player.stop();
    player.close();
    if (failure) {
        printLine(stderr, resultText(failure->param1 != 0 ? failure->param1 : kErrorNoAudioDevice,
                                     failure->text));
        return 1;
    }
    return 0;
}

}  // namespace

std::optional<int> runAudioTool(const QStringList& arguments) {
    if (arguments.isEmpty()) {
        return std::nullopt;
    }
    const QString& command = arguments.first();
    if (command == QLatin1String("--list-devices")) {
        return listDevices(arguments.mid(1));
    }
    if (command == QLatin1String("--probe")) {
        return probe(arguments.mid(1));
    }
    if (command == QLatin1String("--play")) {
        return play(arguments.mid(1));
    }
    return std::nullopt;
}
