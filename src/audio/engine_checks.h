#pragma once

#include <QString>
#include <QStringList>

#include "core/playback/media_player.h"

// GStreamer starts and the elements every graph needs exist.
bool isMediaFrameworkAvailable();
// The decoder elements the playable formats need and this machine lacks.
QStringList missingDecoderElements();
bool areDecoderModulesIntact();
// Loads the decoders and starts watching the outputs, so the first playback is quick.
void warmUpAudioEngine();
// The framework's text for a result code.
QString audioErrorText(qint32 code);

// The backend the program plays through.
class GstAudioBackend : public AudioBackend {
  public:
    std::unique_ptr<MediaPlayer> createPlayer() override;
    bool isMediaFrameworkAvailable() override;
    bool areDecoderModulesIntact() override;
    QString errorText(qint32 code, const QString& playerText) override;
};
