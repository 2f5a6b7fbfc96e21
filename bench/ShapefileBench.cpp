// Opening and indexing a large shapefile: without its metadata file (every
// record read once), then with it (no record read), beside GDAL's
// `ogr2ogr -f Memory` reading every feature of the same file in the same run
// (not ogrinfo, which spends its time printing).
//
// The file comes from fetch-large.sh of the shared test data (4,864,053
// vertices in 250 polygons); BRUMEX_BENCH_DATA names its folder, by default
// /tmp/bench-data.
#include "LayerTestGlobe.h"
#include "formats/GlobeSHPReader.h"
#include "view/GlobeLayer.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <sys/resource.h>

namespace {

std::string LargeShapefile()
{
    const char* folder = std::getenv("BRUMEX_BENCH_DATA");
    return std::string(folder ? folder : "/tmp/bench-data") + "/countries_coastline_1m.shp";
}

// CPU seconds of this process or of its finished children: the machine may
// be shared, and wall time then says little.
double CpuSeconds(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The shapefile with its index, table and projection (GDAL wants them) copied into a folder of their own, so
// the metadata file can be written beside them.
class TCopiedShapefile {
public:
    TCopiedShapefile()
    {
        const std::string source = LargeShapefile();
        const std::string stem = source.substr(0, source.size() - 4);
        for (const char* extension : { ".shp", ".shx", ".dbf", ".prj" })
            QFile::copy(QString::fromStdString(stem + extension),
                QString::fromStdString(m_folder.path().toStdString() + "/large" + extension));
    }
    std::string Name() const { return m_folder.path().toStdString() + "/large.shp"; }
    bool Exists() const { return QFile::exists(QString::fromStdString(Name())); }

private:
    QTemporaryDir m_folder;
};

TCopiedShapefile& Copied()
{
    static TCopiedShapefile copied;
    return copied;
}

// Opens the file as a layer's source and answers its object count.
int OpenAndIndex(TSaveMetaDataLocation location)
{
    LayerTestGlobe globe;
    globe.metaDataLocation = location;
    auto* reader = new TGlobeSHPReader(globe);
    globe.store->CreateLayer("TGlobeLayer").SetObjectSource(reader);
    reader->SetFileName(Copied().Name());
    reader->SetActive(true);
    return reader->Count();
}

void RunOpenings(benchmark::State& state, TSaveMetaDataLocation location)
{
    if (!Copied().Exists()) {
        state.SkipWithError("no large shapefile: run fetch-large.sh of the shared test data");
        return;
    }
    const double cpuBefore = CpuSeconds(RUSAGE_SELF);
    int objects = 0;
    for (auto _ : state)
        objects = OpenAndIndex(location);
    state.counters["objects"] = objects;
    state.counters["cpu_s_per_open"]
        = (CpuSeconds(RUSAGE_SELF) - cpuBefore) / static_cast<double>(state.iterations());
}

void BM_OpenWithoutMetaData(benchmark::State& state)
{
    // No metadata file is read or written: every opening scans the file.
    RunOpenings(state, TSaveMetaDataLocation::smdDiscard);
}
BENCHMARK(BM_OpenWithoutMetaData)->UseRealTime()->MinTime(5)->Unit(benchmark::kMillisecond);

void BM_OpenWithMetaData(benchmark::State& state)
{
    // The first opening writes the metadata file; the measured ones read it.
    if (Copied().Exists())
        OpenAndIndex(TSaveMetaDataLocation::smdWithDataFile);
    RunOpenings(state, TSaveMetaDataLocation::smdWithDataFile);
}
BENCHMARK(BM_OpenWithMetaData)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_Ogr2ogrMemory(benchmark::State& state)
{
    if (!Copied().Exists() || std::system("command -v ogr2ogr >/dev/null 2>&1") != 0) {
        state.SkipWithError("needs the large shapefile and ogr2ogr (Debian package gdal-bin)");
        return;
    }
    const std::string command = "ogr2ogr -f Memory memory '" + Copied().Name() + "' > /dev/null";
    const double cpuBefore = CpuSeconds(RUSAGE_CHILDREN);
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("ogr2ogr failed");
    state.counters["cpu_s_per_open"]
        = (CpuSeconds(RUSAGE_CHILDREN) - cpuBefore) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Ogr2ogrMemory)->UseRealTime()->MinTime(5)->Unit(benchmark::kMillisecond);

// The same as a user meets it, a whole process: brumex-tool info opens the
// file without a metadata file, reading every record.
void BM_ToolInfoWholeProcess(benchmark::State& state)
{
    if (!Copied().Exists()) {
        state.SkipWithError("no large shapefile: run fetch-large.sh of the shared test data");
        return;
    }
    const std::string command = "'" BRUMEX_TOOL "' info '" + Copied().Name() + "' > /dev/null";
    const double cpuBefore = CpuSeconds(RUSAGE_CHILDREN);
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("brumex-tool info failed");
    state.counters["cpu_s_per_open"]
        = (CpuSeconds(RUSAGE_CHILDREN) - cpuBefore) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ToolInfoWholeProcess)->UseRealTime()->MinTime(5)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
