// brumex-tool nmea: decode an NMEA log with the receiver component, or play
// it as a live receiver on a pseudo-terminal or a Telnet port.
#include "ToolCommand.h"

#include "gps/GPS.h"
#include "gps/GpsEventJson.h"
#include "gps/NmeaReplay.h"
#include "gps/PseudoTerminal.h"
#include "gps/TelnetFeedServer.h"

#include <QCoreApplication>
#include <QFile>
#include <QTcpSocket>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <stdexcept>

namespace {

// After the last byte the feed stays up this long, so readers get the rest.
constexpr int kLingerMs = 1000;
constexpr int kReaderPollMs = 20;

// Logs are decoded in pieces of this size, so memory stays the same for a
// log of any length.
constexpr qint64 kDecodeChunk = 64 * 1024;

void openForReading(QFile& file, const std::string& path)
{
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot open " + path + ": " + file.errorString().toStdString());
}

std::string readWholeFile(const std::string& path)
{
    QFile file(QFile::decodeName(path.c_str()));
    openForReading(file, path);
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

int decode(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        throw std::invalid_argument("usage: nmea decode FILE");
    QFile log(QFile::decodeName(args[0].c_str()));
    openForReading(log, args[0]);
    // The receiver adds the computer's UTC offset; the same file must give the
    // same output on every machine.
    setenv("TZ", "UTC", 1);
    tzset();
    TGPS gps;
    writeEventsAsJson(gps, [](const std::string& line) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    });
    QByteArray chunk;
    while (!(chunk = log.read(kDecodeChunk)).isEmpty())
        gps.ProcessBytes(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())));
    if (log.error() != QFileDevice::NoError)
        throw std::runtime_error("cannot read " + args[0] + ": " + log.errorString().toStdString());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

struct TReplayOptions {
    std::string file;
    TReplayPace pace;
    std::optional<quint16> tcpPort;
    QHostAddress listenAddress = QHostAddress(QHostAddress::LocalHost);
    bool loop = false;
};

double numberOption(const std::string& name, const std::string& text)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || value < 0 || value > 1e7)
        throw std::invalid_argument("bad value for " + name + ": " + text);
    return value;
}

TReplayOptions replayOptions(const std::vector<std::string>& args)
{
    TReplayOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--loop") {
            options.loop = true;
        } else if (arg == "--speed" && hasValue) {
            options.pace.speed = numberOption(arg, args[++i]);
        } else if (arg == "--baud" && hasValue) {
            options.pace.baud = static_cast<std::int32_t>(numberOption(arg, args[++i]));
        } else if (arg == "--tcp" && hasValue) {
            const double port = numberOption(arg, args[++i]);
            if (port > 65535)
                throw std::invalid_argument("bad port: " + args[i]);
            options.tcpPort = static_cast<quint16>(port);
        } else if (arg == "--listen" && hasValue) {
            if (!options.listenAddress.setAddress(QString::fromStdString(args[++i])))
                throw std::invalid_argument("bad address: " + args[i]);
        } else if (options.file.empty() && !arg.empty() && arg[0] != '-') {
            options.file = arg;
        } else {
            throw std::invalid_argument("unknown or incomplete option: " + arg);
        }
    }
    if (options.file.empty())
        throw std::invalid_argument("usage: nmea replay FILE [options]");
    return options;
}

void announce(const QString& address)
{
    std::printf("%s\n", qPrintable(address));
    std::fflush(stdout);
}

// Starts the replay once somebody listens; ends the program after the last
// burst (and a moment for the reader to take it) unless it loops.
void runWhenListened(TNmeaReplay& replay, const std::function<bool()>& listening, bool loop)
{
    replay.SetLoop(loop);
    replay.OnFinished = [] { QTimer::singleShot(kLingerMs, qApp, [] { QCoreApplication::exit(0); }); };
    auto* waiting = new QTimer(qApp);
    QObject::connect(waiting, &QTimer::timeout, qApp, [&replay, listening, waiting] {
        if (!listening())
            return;
        waiting->stop();
        std::fprintf(stderr, "nmea replay: reader connected, playing\n");
        replay.Start();
    });
    waiting->start(kReaderPollMs);
}

int replayOnPty(const TReplayOptions& options, std::vector<TReplayBurst> schedule)
{
    TPseudoTerminal pty;
    if (!pty.Open())
        throw std::runtime_error(pty.ErrorText().toStdString());
    // Like a serial line: what is sent while nobody listens is lost.
    TNmeaReplay replay(std::move(schedule), options.pace.baud, [&pty](std::string_view bytes) {
        if (pty.HasReader())
            pty.Write(bytes);
    });
    announce(pty.SlavePath());
    runWhenListened(
        replay, [&pty] { return pty.HasReader(); }, options.loop);
    return QCoreApplication::exec();
}

int replayOnTcp(const TReplayOptions& options, std::vector<TReplayBurst> schedule)
{
    TTelnetFeedServer server;
    if (!server.Listen(options.listenAddress, *options.tcpPort))
        throw std::runtime_error("cannot listen on port " + std::to_string(*options.tcpPort) + ": "
            + server.ErrorText().toStdString());
    TNmeaReplay replay(
        std::move(schedule), options.pace.baud, [&server](std::string_view bytes) { server.Send(bytes); });
    QString host = options.listenAddress.toString();
    if (options.listenAddress.protocol() == QAbstractSocket::IPv6Protocol)
        host = "[" + host + "]";
    announce(QStringLiteral("telnet://%1:%2").arg(host).arg(server.Port()));
    runWhenListened(
        replay, [&server] { return server.ClientCount() > 0; }, options.loop);
    return QCoreApplication::exec();
}

int replay(const std::vector<std::string>& args)
{
    const TReplayOptions options = replayOptions(args);
    std::vector<TReplayBurst> schedule = replaySchedule(readWholeFile(options.file), options.pace);
    if (schedule.empty())
        throw std::runtime_error(options.file + " is empty");
    return options.tcpPort ? replayOnTcp(options, std::move(schedule))
                           : replayOnPty(options, std::move(schedule));
}

int nmeaCommand(const std::vector<std::string>& args)
{
    if (!args.empty() && args[0] == "decode")
        return decode({ args.begin() + 1, args.end() });
    if (!args.empty() && args[0] == "replay")
        return replay({ args.begin() + 1, args.end() });
    throw std::invalid_argument("usage: nmea decode FILE | nmea replay FILE [options]");
}

const ToolCommandRegistrar registrar("nmea", nmeaCommand,
    "  nmea decode FILE\n"
    "      decode an NMEA log with the receiver; prints every event as one JSON object a line\n"
    "      (times in UTC)\n"
    "  nmea replay FILE [--tcp PORT [--listen ADDRESS]] [--speed FACTOR] [--baud RATE] [--loop]\n"
    "      play FILE as a live receiver, one fix at a time at the log's pace (--speed 2: twice as\n"
    "      fast, 0: no pauses) and at most RATE baud (default 4800, 0: no limit). Without --tcp it\n"
    "      creates a pseudo-terminal and prints its device for the serial port settings; with --tcp\n"
    "      it is a Telnet server (default address 127.0.0.1; port 0 picks a free one) and prints\n"
    "      its address. Playing starts when the first reader connects.");

} // namespace
