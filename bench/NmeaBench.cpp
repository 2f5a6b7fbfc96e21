// Decoding speed of the NMEA receiver in sentences per second, beside gpsd's
// gpsdecode (Debian gpsd-clients) on the same log in the same run.
#include "gps/GPS.h"
#include "gps/GpsEventJson.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string>
#include <sys/resource.h>

namespace {

// The long steady run of a real receiver: 1558 sentences, 224 fixes.
const std::string& telitLog()
{
    static const std::string log = [] {
        QFile file(QStringLiteral(BRUMEX_SOURCE_DIR "/tests/data/nmea/telit-he910.nmea"));
        if (!file.open(QIODevice::ReadOnly))
            return std::string();
        const QByteArray bytes = file.readAll();
        return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }();
    return log;
}

std::int64_t sentenceCount(const std::string& log)
{
    return std::count(log.begin(), log.end(), '$');
}

// Bytes as the port hands them: 64 at a time.
void feedInPortChunks(TGPS& gps, const std::string& log)
{
    for (std::size_t at = 0; at < log.size(); at += 64)
        gps.ProcessBytes(std::string_view(log).substr(at, 64));
}

// CPU seconds of this process or of its finished children: the machine may
// be shared, and wall time then says little.
double cpuSeconds(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void countSentences(benchmark::State& state, std::int64_t sentences, double cpuSecondsUsed)
{
    state.SetItemsProcessed(sentences);
    state.counters["cpu_sentences/s"]
        = benchmark::Counter(cpuSecondsUsed > 0 ? sentences / cpuSecondsUsed : 0);
}

void checkLog(benchmark::State& state)
{
    if (telitLog().empty())
        state.SkipWithError("telit-he910.nmea not found");
}

// The log through the receiver, as often as the benchmark wants.
void decodeRepeatedly(benchmark::State& state, TGPS& gps)
{
    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    for (auto _ : state)
        feedInPortChunks(gps, telitLog());
    countSentences(
        state, state.iterations() * sentenceCount(telitLog()), cpuSeconds(RUSAGE_SELF) - cpuBefore);
}

void BM_ReceiverEvents(benchmark::State& state)
{
    checkLog(state);
    TGPS gps;
    double sum = 0;
    gps.OnPosition
        = [&](TGPS*, TDateTime, double lat, double, TGPSQuality, int, double, double, double) { sum += lat; };
    gps.OnMinGPSData
        = [&](TGPS*, bool, TDateTime, double lat, double, double, double, double) { sum += lat; };
    gps.OnGeoPosition = [&](TGPS*, bool, TDateTime, double lat, double) { sum += lat; };
    gps.OnDOP = [&](TGPS*, bool, bool, double pdop, double, double) { sum += pdop; };
    gps.OnSatteliteData = [&](TGPS*, int count, const TSatteliteTable&) { sum += count; };
    gps.OnUnhandled = [&](TGPS*, const std::string&, const std::string&,
                          const std::vector<std::string>& data) { sum += static_cast<double>(data.size()); };
    decodeRepeatedly(state, gps);
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_ReceiverEvents)->UseRealTime()->Unit(benchmark::kMillisecond);

// Every event written as JSON, as brumex-tool nmea decode does: the closest
// match to gpsdecode's work.
void BM_ReceiverJson(benchmark::State& state)
{
    checkLog(state);
    TGPS gps;
    std::size_t bytes = 0;
    writeEventsAsJson(gps, [&](const std::string& line) { bytes += line.size() + 1; });
    decodeRepeatedly(state, gps);
    benchmark::DoNotOptimize(bytes);
}
BENCHMARK(BM_ReceiverJson)->UseRealTime()->Unit(benchmark::kMillisecond);

// gpsdecode reading the log 50 times over from a file, so starting the
// process weighs little.
void BM_Gpsdecode(benchmark::State& state)
{
    checkLog(state);
    if (std::system("command -v gpsdecode >/dev/null 2>&1") != 0) {
        state.SkipWithError("gpsdecode not installed (Debian package gpsd-clients)");
        return;
    }
    constexpr int kRepeats = 50;
    QTemporaryDir dir;
    const QString path = dir.filePath("telit50.nmea");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        state.SkipWithError("cannot write the temporary log");
        return;
    }
    for (int i = 0; i < kRepeats; ++i)
        file.write(telitLog().data(), static_cast<qint64>(telitLog().size()));
    file.close();
    const std::string command = "gpsdecode < '" + path.toStdString() + "' > /dev/null";
    const double cpuBefore = cpuSeconds(RUSAGE_CHILDREN);
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("gpsdecode failed");
    countSentences(state, state.iterations() * kRepeats * sentenceCount(telitLog()),
        cpuSeconds(RUSAGE_CHILDREN) - cpuBefore);
}
BENCHMARK(BM_Gpsdecode)->UseRealTime()->MinTime(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
