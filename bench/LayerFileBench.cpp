// Opening a large layer file without and with its metadata file, reading
// every object once, and the resident object memory of a 200 MB layer file
// opened with the default cache budget. Files go to the temporary folder.
#include "LayerTestGlobe.h"
#include "formats/GlobeLYRReader.h"
#include "geo/GeoDataObject.h"
#include "geo/GlobeStream.h"
#include "view/GlobeLayer.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

// Writes objects x points of a random walk; steps are small (delta-encoded)
// unless wide, where each point jumps (written in full).
std::string MakeLayerFile(const std::string& name, int objects, int points, bool wide)
{
    const std::string path = QDir::tempPath().toStdString() + "/" + name;
    if (std::filesystem::exists(path))
        return path;
    QFile file(QString::fromStdString(path));
    file.open(QIODevice::WriteOnly);
    std::mt19937 random(3);
    std::uniform_int_distribution<int32_t> step(wide ? -400000000 : -20000, wide ? 400000000 : 20000);
    TGlobeStreamWriter header;
    header.WriteWord(1029);
    header.WriteMER({ -972000000, -486000000, 1944000000, 972000000 });
    header.WriteInteger(objects);
    header.WriteShortString("TGeoDataObject");
    file.write(
        reinterpret_cast<const char*>(header.Bytes().data()), static_cast<qint64>(header.Bytes().size()));
    for (int k = 0; k < objects; ++k) {
        TGeoDataObject object(nullptr);
        object.ID = k;
        TPointStore& chain = object.Chains.Chain(0);
        chain.SetCount(points);
        TGeoPoint p { (k % 300) * 3000000 - 900000000, (k % 150) * 3000000 - 450000000, 0 };
        for (int i = 0; i < points; ++i) {
            chain.SetPoint(i, p);
            p.Long = wide ? step(random) * 2 : p.Long + step(random);
            p.Lat = wide ? step(random) : p.Lat + step(random);
        }
        TGlobeStreamWriter writer;
        object.SaveToStream(writer);
        file.write(
            reinterpret_cast<const char*>(writer.Bytes().data()), static_cast<qint64>(writer.Bytes().size()));
    }
    const int32_t end = 0;
    file.write(reinterpret_cast<const char*>(&end), 4);
    return path;
}

const std::string& MillionPointFile()
{
    static const std::string path = MakeLayerFile("brumex-bench-1m.lyr", 10000, 100, false);
    return path;
}

TGlobeLYRReader& Open(LayerTestGlobe& globe, const std::string& path)
{
    auto* reader = new TGlobeLYRReader(globe);
    globe.store->CreateLayer("TGlobeLayer").SetObjectSource(reader);
    reader->SetFileName(path);
    reader->SetActive(true);
    return *reader;
}

// Anonymous resident memory of the process in kilobytes (the mapped file's
// pages are not in it).
long RssAnonKB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "RssAnon:") {
            status >> value;
            return value;
        }
        status.ignore(256, '\n');
    }
    return 0;
}

void OpenWithoutMetaData(benchmark::State& state)
{
    const std::string& path = MillionPointFile();
    for (auto _ : state) {
        LayerTestGlobe globe;
        globe.metaDataLocation = TSaveMetaDataLocation::smdDiscard;
        benchmark::DoNotOptimize(Open(globe, path).Count());
    }
    state.counters["points"] = 1e6;
    state.counters["file MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
}

void OpenWithMetaData(benchmark::State& state)
{
    const std::string& path = MillionPointFile();
    {
        LayerTestGlobe globe;
        Open(globe, path);
    }
    int64_t recordsRead = 0;
    for (auto _ : state) {
        LayerTestGlobe globe;
        recordsRead += Open(globe, path).RecordsRead();
    }
    state.counters["records read"] = static_cast<double>(recordsRead);
}

void ReadEveryObject(benchmark::State& state)
{
    const std::string& path = MillionPointFile();
    LayerTestGlobe globe;
    TGlobeLYRReader& reader = Open(globe, path);
    for (auto _ : state)
        for (int i = 0; i < reader.Count(); ++i)
            benchmark::DoNotOptimize(reader.GetObject(i).ID);
    state.counters["objects"] = reader.Count();
    state.counters["cache KB"] = static_cast<double>(globe.ObjectCache().Total()) / 1024;
}

void OpenLargeFile(benchmark::State& state)
{
    // 25,000 objects of 1,000 points written in full: about 200 MB.
    const std::string path = MakeLayerFile("brumex-bench-200mb.lyr", 25000, 1000, true);
    const long before = RssAnonKB();
    for (auto _ : state) {
        LayerTestGlobe globe;
        globe.metaDataLocation = TSaveMetaDataLocation::smdDiscard;
        TGlobeLYRReader& reader = Open(globe, path);
        state.counters["cache KB"] = static_cast<double>(globe.ObjectCache().Total()) / 1024;
        state.counters["anon RSS growth KB"] = static_cast<double>(RssAnonKB() - before);
        state.counters["anon RSS KB"] = static_cast<double>(RssAnonKB());
        state.counters["objects"] = reader.Count();
    }
    state.counters["file MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
}

} // namespace

BENCHMARK(OpenWithoutMetaData)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenWithMetaData)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadEveryObject)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenLargeFile)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    RegisterLayerFileClasses();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
