#include "audio/engine_checks.h"

#include "audio/audio_player.h"
#include "audio/gst_support.h"
#include "audio/output_devices.h"

namespace {

// Each entry is a need; any one of its alternatives meets it. TAK has a decoder but no
// demuxer in GStreamer, and .cda files are CD track shortcuts with no sound in them, so
// neither can be required here.
const QList<QStringList>& decoderNeeds() {
    static const QList<QStringList> needs = {
        {QStringLiteral("typefind")},
        {QStringLiteral("id3demux")},
        {QStringLiteral("apedemux")},
        {QStringLiteral("wavparse")},                                     // wav
        {QStringLiteral("mpegaudioparse")},                               // mp3 mp2 m1a m2a mpa
        {QStringLiteral("mpg123audiodec"), QStringLiteral("avdec_mp3")},  // mp3
        {QStringLiteral("avdec_mp2float"), QStringLiteral("mpg123audiodec")},  // mp2 m1a m2a mpa
        {QStringLiteral("asfdemux")},                                          // wma
        {QStringLiteral("avdec_wmav2")},
        {QStringLiteral("qtdemux")},   // m4a
        {QStringLiteral("aacparse")},  // aac
        {QStringLiteral("avdec_aac"), QStringLiteral("faad"), QStringLiteral("fdkaacdec")},
        {QStringLiteral("flacparse")},  // flac
        {QStringLiteral("flacdec")},
        {QStringLiteral("oggdemux")},  // ogg
        {QStringLiteral("vorbisdec")},
        {QStringLiteral("avdemux_ape")},  // ape
        {QStringLiteral("avdec_ape")},
        {QStringLiteral("avdemux_tta"), QStringLiteral("ttaparse")},  // tta
        {QStringLiteral("avdec_tta"), QStringLiteral("ttadec")},
        {QStringLiteral("wavpackparse")},  // wv
        {QStringLiteral("wavpackdec")},
    };
    return needs;
}

}  // namespace

bool isMediaFrameworkAvailable() {
    if (!initAudioEngine()) {
        return false;
    }
    for (const char* element :
         {"filesrc", "decodebin", "audioconvert", "audioresample", "volume", "fakesink"}) {
        if (!hasElement(element)) {
            return false;
        }
    }
    return true;
}

QStringList missingDecoderElements() {
    QStringList missing;
    for (const QStringList& need : decoderNeeds()) {
        bool met = false;
        for (const QString& element : need) {
            met = met || hasElement(element.toLatin1().constData());
        }
        if (!met) {
            missing.append(need.join(QLatin1Char('|')));
        }
    }
    return missing;
}

void warmUpAudioEngine() {
    // Loading the plugins now keeps the first bell of the day from waiting for them.
    for (const QStringList& need : decoderNeeds()) {
        for (const QString& element : need) {
            g_autoptr(GstPluginFeature) feature =
                gst_registry_lookup_feature(gst_registry_get(), element.toLatin1().constData());
            if (feature != nullptr) {
                g_autoptr(GstPluginFeature) loaded = gst_plugin_feature_load(feature);
            }
        }
    }
    for (const char* element : {"filesrc", "decodebin", "audioconvert", "audioresample", "volume",
                                "audiobuffersplit", "pulsesink", "fakesink"}) {
        makeOwnedElement(element);
    }
    OutputDevices::instance();
}

bool areDecoderModulesIntact() {
    return missingDecoderElements().isEmpty();
}

QString audioErrorText(qint32 code) {
    switch (code) {
        case kErrorNoAudioDevice:
            return QStringLiteral(
                "Cannot play back the audio stream: no audio hardware is available, or the "
                "hardware is not responding.");
        case kErrorFileNotFound:
            return QStringLiteral("The system cannot find the file specified.");
        case kErrorAccessDenied:
            return QStringLiteral("Access is denied.");
        case kErrorInvalidFileFormat:
            return QStringLiteral("The file format is invalid.");
        case kErrorUnsupportedStream:
            return QStringLiteral("Cannot play back the file. The format is not supported.");
        case kErrorTimeout:
            return QStringLiteral("A time out has expired.");
        case kErrorFail:
            return QStringLiteral("Unspecified error.");
        default:
            return QStringLiteral("Unknown error 0x%1.")
                .arg(static_cast<quint32>(code), 8, 16, QLatin1Char('0'));
    }
}

std::unique_ptr<MediaPlayer> GstAudioBackend::createPlayer() {
    return std::make_unique<AudioPlayer>();
}

bool GstAudioBackend::isMediaFrameworkAvailable() {
    return ::isMediaFrameworkAvailable();
}

bool GstAudioBackend::areDecoderModulesIntact() {
    return ::areDecoderModulesIntact();
}

QString GstAudioBackend::errorText(qint32 code, const QString& playerText) {
    return playerText.isEmpty() ? audioErrorText(code) : playerText;
}
