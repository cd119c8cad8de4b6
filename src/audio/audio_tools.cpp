#include "audio/audio_tools.h"

#include <QThread>
#include <cstdio>

#include "audio/audio_player.h"
#include "audio/duration_probe.h"
#include "audio/engine_checks.h"
#include "audio/output_devices.h"
#include "audio/volume_scale.h"
#include "settings/system_settings.h"
#include "support/field_checks.h"

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

int listDevices() {
    for (const QString& name : listOutputDevices()) {
        printLine(stdout, name);
    }
    return 0;
}

int probe(const QStringList& files) {
    for (const QString& file : files) {
        printLine(stdout, QStringLiteral("%1\t%2").arg(probeDurationMs(file)).arg(file));
    }
    return 0;
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
        } else if (file.isEmpty()) {
            file = arguments[i];
        } else {
            printLine(stderr,
                      QStringLiteral(
                          "usage: kelvora-broadcasting --play FILE [--device NAME] [--volume N]"));
            return 2;
        }
    }
    if (file.isEmpty()) {
        printLine(
            stderr,
            QStringLiteral("usage: kelvora-broadcasting --play FILE [--device NAME] [--volume N]"));
        return 2;
    }
    AudioPlayer player;
    const qint32 opened = player.open(file, nullptr, 0, device);
    if (opened != 0) {
        printLine(stdout, resultText(opened, player.lastErrorText()));
        return 1;
    }
    player.setVolume(kSilentAttenuation);
    const qint32 ran = player.run();
    if (ran != 0) {
        printLine(stdout, resultText(ran, player.lastErrorText()));
        player.close();
        return 1;
    }
    SystemClock clock;
    fadeIn(player, volume, clock);
    while (!player.isAtEnd()) {
        PlayerEvent event;
        while (player.nextEvent(event)) {
            if (event.code == kEventErrorAbort || event.code == kEventSoundDeviceError ||
                event.code == kEventErrorStillPlaying ||
                (event.code == kEventDeviceLost && event.param2 == 0)) {
                printLine(stdout, resultText(event.param1 != 0 ? event.param1 : kErrorNoAudioDevice,
                                             event.text));
                player.stop();
                player.close();
                return 1;
            }
        }
        QThread::msleep(20);
    }
    player.stop();
    player.close();
    return 0;
}

}  // namespace

std::optional<int> runAudioTool(const QStringList& arguments) {
    if (arguments.isEmpty()) {
        return std::nullopt;
    }
    const QString& command = arguments.first();
    if (command == QLatin1String("--list-devices")) {
        return listDevices();
    }
    if (command == QLatin1String("--probe")) {
        return probe(arguments.mid(1));
    }
    if (command == QLatin1String("--play")) {
        return play(arguments.mid(1));
    }
    return std::nullopt;
}
