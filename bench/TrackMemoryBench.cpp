// A long drive through the navigation display: 24 hours of RMC reports at
// 1 Hz, generated and handed to the main window's receiver as fast as it
// decodes them (the real report path: line assembly, RMC decoding, the
// display's report handler, marker, track, repaints), then 24 hours standing
// still. Heap in use is read after the first hour, after the drive and after
// the stop: the drive may grow by its track points only, the stop not at all.
#include "app/AppPaths.h"
#include "app/AppWindows.h"
#include "app/BrumexApplication.h"
#include "app/FormBrumex.h"
#include "app/Settings.h"
#include "app/Vars.h"
#include "geo/GeoDataObject.h"
#include "view/Globe4.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <string>

namespace {

constexpr int kSecondsPerDay = 86400;

double HeapInUse()
{
    malloc_trim(0);
    // Large blocks (a long track) are mapped on their own.
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

double ResidentBytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) * 1024;
    return 0;
}

// One RMC sentence with its checksum; second counts from a midnight of
// 11/12/26, so the date turns at each day.
std::string Rmc(int second, double lat, double lon, double knots, double course)
{
    const int day = 11 + second / kSecondsPerDay;
    const int s = second % kSecondsPerDay;
    const auto angle = [](double degrees, int width) {
        const double whole = std::floor(std::fabs(degrees));
        char text[32];
        std::snprintf(text, sizeof text, "%0*.0f%07.4f", width, whole, (std::fabs(degrees) - whole) * 60);
        return std::string(text);
    };
    char body[160];
    std::snprintf(body, sizeof body, "GPRMC,%02d%02d%02d.00,A,%s,%c,%s,%c,%.1f,%.1f,%02d1226,,,A", s / 3600,
        s / 60 % 60, s % 60, angle(lat, 2).c_str(), lat < 0 ? 'S' : 'N', angle(lon, 3).c_str(),
        lon < 0 ? 'W' : 'E', knots, course, day);
    unsigned char sum = 0;
    for (const char* c = body; *c; ++c)
        sum ^= static_cast<unsigned char>(*c);
    char sentence[200];
    std::snprintf(sentence, sizeof sentence, "$%s*%02X\r\n", body, sum);
    return sentence;
}

// A car at 60 km/h on a circle of about 9.5 km radius around São Paulo
// (one turn an hour), or standing where it stopped.
struct TDrive {
    double lat = -23.55, lon = -46.63, course = 0;
    void Step(bool moving)
    {
        if (!moving)
            return;
        const double metres = 60000.0 / 3600;
        course = std::fmod(course + 0.1, 360);
        const double rad = course * M_PI / 180;
        lat += metres * std::cos(rad) / 111320;
        lon += metres * std::sin(rad) / (111320 * std::cos(lat * M_PI / 180));
    }
};

int TrackPoints()
{
    return Vars.TrackObject ? Vars.TrackObject->Chains.Chain(0).Count() : 0;
}

void Report(TFormBrumex& form, TDrive& drive, int second, bool moving)
{
    drive.Step(moving);
    form.GPS.ProcessBytes(Rmc(second, drive.lat, drive.lon, moving ? 32.4 : 0, drive.course));
    // Let the window repaint now and then, as it would between reports.
    if (second % 600 == 0)
        QApplication::processEvents();
}

void BM_TrackMemoryOverADay(benchmark::State& state)
{
    for (auto _ : state) {
        QTemporaryDir dir;
        qputenv("XDG_DATA_HOME", (dir.path() + "/data").toUtf8());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path() + "/config");
        {
            QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Morvenko", "Brumex");
            settings.setValue("Conf/AnimarGlobo", false);
        }
        const QString layers = TAppPaths::Resolve(DefaultDirLayers);
        QDir().mkpath(layers);
        QFile::copy(BRUMEX_SOURCE_DIR "/data/TGWorld.lyr", layers + "/TGWorld.lyr");
        Vars = TVars {};
        std::unique_ptr<TFormBrumex> form = CreateAppWindows();
        form->FormActivate();
        form->resize(1024, 768);
        form->show();
        QApplication::processEvents();

        TDrive drive;
        int second = 0;
        for (; second < 3600; ++second)
            Report(*form, drive, second, true);
        const double heapHour = HeapInUse();
        const int pointsHour = TrackPoints();
        for (; second < kSecondsPerDay; ++second)
            Report(*form, drive, second, true);
        const double heapDay = HeapInUse();
        const int pointsDay = TrackPoints();
        for (; second < 2 * kSecondsPerDay; ++second)
            Report(*form, drive, second, false);
        const double heapStop = HeapInUse();

        state.counters["track_points"] = pointsDay;
        state.counters["heap_after_1h_MB"] = heapHour / 1e6;
        state.counters["heap_after_24h_MB"] = heapDay / 1e6;
        state.counters["heap_after_stop_MB"] = heapStop / 1e6;
        state.counters["bytes_per_track_point"] = (heapDay - heapHour) / std::max(1, pointsDay - pointsHour);
        state.counters["stop_growth_KB"] = (heapStop - heapDay) / 1e3;
        state.counters["rss_MB"] = ResidentBytes() / 1e6;
        if (pointsDay != TrackPoints())
            state.SkipWithError("standing still added track points");
        form.reset();
    }
}
BENCHMARK(BM_TrackMemoryOverADay)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TBrumexApplication::SetIdentity();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
