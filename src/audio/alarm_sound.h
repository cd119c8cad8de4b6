#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// The alarm's sound, decoded once into memory so that every output loops it without a gap:
// 16-bit stereo at 44.1 kHz.
struct AlarmSound {
    static constexpr int kRate = 44100;
    static constexpr int kChannels = 2;
    std::shared_ptr<const std::vector<qint16>> samples;
    QString file;  // the file it came from; empty for the program's own siren
};

// The first of the files that decodes to sound (at most half a minute of it is kept, and no file
// takes more than a few seconds); when none does, the program's own two-tone siren.
AlarmSound loadAlarmSound(const QStringList& files);
// The two-tone siren made in code, for when no alarm file can be played.
AlarmSound builtInSiren();
