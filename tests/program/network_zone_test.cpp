// A zone whose loudspeakers hang off a network audio system: Snapcast, as a school would set
// it up between two PCs, here on one machine. The zone's output is a PulseAudio pipe sink that
// feeds the Snapcast server; a Snapcast client on 127.0.0.1 plays into a null sink of its own,
// the far building's amplifier.
#include <gtest/gtest.h>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QThread>
#include <csignal>

#include "audio/gst_support.h"
#include "audio/output_devices.h"
#include "core/zones/zone_setup.h"
#include "helpers/program_runner.h"
#include "helpers/sink_recorder.h"
#include "helpers/temp_folder.h"
#include "helpers/temporary_sink.h"
#include "helpers/test_environment.h"
#include "helpers/tone_files.h"

namespace {

// Snapcast's own buffer is a second; the rest is start-up of the server, the client and
// their streams on a busy machine.
constexpr int kHeardWithinMs = 20000;

// A PulseAudio pipe sink writing into the FIFO, unloaded with the guard.
class PipeSink {
  public:
    PipeSink(const QString& fifo, const QString& description) {
        QProcess pactl;
        pactl.start(QStringLiteral("pactl"),
                    {QStringLiteral("load-module"), QStringLiteral("module-pipe-sink"),
                     QStringLiteral("file=") + fifo, QStringLiteral("sink_name=kb_network"),
                     QStringLiteral("format=s16le"), QStringLiteral("rate=48000"),
                     QStringLiteral("channels=2"),
                     // Keeps time when nothing reads the FIFO, as the README sets it up.
                     QStringLiteral("use_system_clock_for_timing=yes"),
                     QStringLiteral("sink_properties=device.description=") + description});
        if (pactl.waitForFinished(5000) && pactl.exitCode() == 0) {
            module_ = QString::fromUtf8(pactl.readAllStandardOutput()).trimmed();
        }
    }
    ~PipeSink() {
        if (!module_.isEmpty()) {
            QProcess::execute(QStringLiteral("pactl"), {QStringLiteral("unload-module"), module_});
        }
    }
    bool loaded() const { return !module_.isEmpty(); }

  private:
    QString module_;
};

// A server or client process, ended with the guard.
class Daemon {
  public:
    Daemon(const QString& program, const QStringList& arguments,
           const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(program, arguments);
        process_.waitForStarted(5000);
    }
    ~Daemon() {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }
    bool running() const { return process_.state() == QProcess::Running; }
    QString output() { return QString::fromUtf8(process_.readAll()); }

  private:
    QProcess process_;
};

// A port on 127.0.0.1 that nothing listens on now.
quint16 freePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

}  // namespace

TEST(SnapcastZone, AProgrammeOnANetworkZoneIsHeardAtTheSnapcastClient) {
    ASSERT_TRUE(soundServerReady());
    ASSERT_TRUE(initAudioEngine());
    waitUntilTheDateHoldsFor(60);
    TempFolder scratch;
    const QString fifo = scratch.file(QStringLiteral("snapfifo"));
    PipeSink network(fifo, QStringLiteral("KB-Network"));
    ASSERT_TRUE(network.loaded());
    TemporarySink farBuilding(QStringLiteral("kb_far_building"), QStringLiteral("KB-Far"));
    ASSERT_TRUE(farBuilding.loaded());
    ASSERT_TRUE(farBuilding.waitUntilListed());
    const quint16 port = freePort();
    ASSERT_NE(port, 0);

    // Its own empty configuration, state folder and port: nothing of a system-wide server.
    QFile(scratch.file(QStringLiteral("snapserver.conf"))).open(QIODevice::WriteOnly);
    Daemon server(
        QStringLiteral("snapserver"),
        {QStringLiteral("-c"), scratch.file(QStringLiteral("snapserver.conf")),
         QStringLiteral("--server.datadir=") + scratch.path(),
         QStringLiteral("--http.enabled=false"), QStringLiteral("--tcp.enabled=false"),
         QStringLiteral("--stream.bind_to_address=127.0.0.1"),
         QStringLiteral("--stream.port=%1").arg(port),
         QStringLiteral("--stream.source=pipe://%1?name=kb&sampleformat=48000:16:2").arg(fifo),
         QStringLiteral("--logging.sink=stderr")});
    ASSERT_TRUE(server.running()) << "snapserver (scripts/install-deps.sh test installs it)";
    QProcessEnvironment clientEnv = QProcessEnvironment::systemEnvironment();
    clientEnv.insert(QStringLiteral("PULSE_SINK"), QStringLiteral("kb_far_building"));
    Daemon client(QStringLiteral("snapclient"),
                  {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                   QString::number(port), QStringLiteral("--player"), QStringLiteral("pulse"),
                   QStringLiteral("--hostID"), QStringLiteral("kb-far-building")},
                  clientEnv);
    ASSERT_TRUE(client.running());

    // The sports ground is a zone on the network output; the program-wide output is the
    // speakers here.
    ProgramRunner program;
    QString message;
    ASSERT_TRUE(writeDueProgramme(program.dataFolder(), QStringLiteral("早操"),
                                  toneFile(QStringLiteral("ogg"), 20.0), 4,
                                  QStringLiteral("KB-Speakers"), message))
        << message.toStdString();
    ZoneSetup zones;
    zones.zones.push_back({QStringLiteral("操场"), QStringLiteral("KB-Network")});
    zones.setZonesOf(QStringLiteral("早操"), {QStringLiteral("操场")});
    ASSERT_TRUE(saveZoneSetup(program.dataFolder(), zones, message)) << message.toStdString();

    SinkRecorder far(QStringLiteral("kb_far_building"));
    SinkRecorder speakers(QStringLiteral("kb_speakers"));
    ASSERT_TRUE(far.start() && speakers.start());
    ASSERT_TRUE(program.start({QStringLiteral("--headless")}));
    ASSERT_TRUE(program.waitForOutput(QStringLiteral("早操 ◆ 开始播放"), 15000))
        << program.output().toStdString();
    const qint64 started = monotonicNs();
    qint64 heard = -1;
    while (heard < 0 && monotonicNs() - started < kHeardWithinMs * 1'000'000LL) {
        QThread::msleep(200);
        heard = far.firstToneNs(started - 500'000'000, 440.0, -40.0);
    }
    ASSERT_GT(heard, 0) << "no tone at the client within " << kHeardWithinMs << " ms\n"
                        << server.output().toStdString() << client.output().toStdString();
    // Measured once both recordings hold the whole window.
    const qint64 until = heard + 600'000'000;
    while (monotonicNs() < until + 100'000'000) {
        QThread::msleep(50);
    }
    ASSERT_TRUE(far.waitUntilRecorded(until) && speakers.waitUntilRecorded(until));
    EXPECT_GT(far.toneLevelDb(heard + 100'000'000, until, 440.0), -40.0);
    EXPECT_LT(speakers.levelDb(started, until), -80.0) << "only on its zone";
    EXPECT_EQ(program.stop(SIGINT), 0);
}
