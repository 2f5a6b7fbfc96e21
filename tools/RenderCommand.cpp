// brumex-tool render: draws a layer file (.lyr, .shp, .mif) or an environment
// document into a PNG picture of a given size, projection, centre and scale,
// without a display. Map pictures for users, and the pictures our tests read.
#include "ToolCommand.h"
#include "ToolText.h"

#include "formats/GlobeLYRReader.h"
#include "formats/GlobeMIFReader.h"
#include "formats/GlobeSHPReader.h"
#include "geo/GeoMath.h"
#include "geo/GlobeProjection.h"
#include "geo/GlobeUnits.h"
#include "platform/SaveFile.h"
#include "view/GlobeCanvas.h"
#include "view/Globe4.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeUtils.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <optional>
#include <stdexcept>

namespace {

const char* const USAGE
    = "  render INPUT OUTPUT.png [--size WxH] [--projection TSphericalPrj|TCartesianPrj|TMercatorPrj]\n"
      "         [--center LONG,LAT] [--altitude NM | --scale PIXELS_PER_GU] [--rotation X,Y,Z]\n"
      "         [--graticule none|behind|front] [--transparent] [--repeat N]\n"
      "      INPUT is a layer file (.lyr, .shp, .mif) or an environment document; the picture\n"
      "      has at most 20000 pixels a side and 67108864 pixels in all (such as 8192x8192);\n"
      "      --repeat draws N more times and prints the median CPU time of a redraw";

// The globe keeps its own window picture and draws straight into ours:
// about eight bytes a pixel, 512 MB at this bound.
constexpr long long MAX_PICTURE_PIXELS = 64LL << 20;
constexpr int MAX_PICTURE_SIDE = 20000;

struct TRenderOptions {
    std::string input;
    std::string output;
    int width = 1024;
    int height = 768;
    std::string projection;
    std::optional<std::pair<long double, long double>> centre;
    std::optional<long double> altitudeNM;
    std::optional<long double> scale;
    std::optional<std::array<long double, 3>> rotation;
    std::optional<TGraticuleDraw> graticule;
    bool transparent = false;
    int repeat = 0;
};

std::vector<long double> Numbers(
    const std::string& text, char separator, size_t count, const std::string& option)
{
    std::vector<long double> values;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        const std::string part = text.substr(start, end - start);
        try {
            values.push_back(StrToExtended(part));
        } catch (const EGlobeException&) {
            throw std::invalid_argument(option + ": '" + Excerpt(part) + "' is not a number");
        }
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    if (values.size() != count)
        throw std::invalid_argument(option + " needs " + std::to_string(count) + " numbers");
    return values;
}

TGraticuleDraw GraticuleMode(const std::string& text)
{
    if (text == "none")
        return TGraticuleDraw::gdNone;
    if (text == "behind")
        return TGraticuleDraw::gdBehind;
    if (text == "front")
        return TGraticuleDraw::gdInFront;
    throw std::invalid_argument("--graticule takes none, behind or front");
}

TRenderOptions ParseOptions(const std::vector<std::string>& args)
{
    TRenderOptions o;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw std::invalid_argument(a + " needs a value");
            return args[++i];
        };
        if (a == "--size") {
            const std::string& text = value();
            const std::vector<long double> size = Numbers(text, 'x', 2, a);
            if (size[0] < 1 || size[1] < 1 || size[0] > MAX_PICTURE_SIDE || size[1] > MAX_PICTURE_SIDE)
                throw std::invalid_argument("--size must lie between 1x1 and 20000x20000");
            o.width = static_cast<int>(size[0]);
            o.height = static_cast<int>(size[1]);
            if (static_cast<long long>(o.width) * o.height > MAX_PICTURE_PIXELS)
                throw std::invalid_argument("--size " + text + " is a picture of "
                    + std::to_string(static_cast<long long>(o.width) * o.height)
                    + " pixels; at most 67108864 fit (such as 8192x8192)");
        } else if (a == "--projection")
            o.projection = value();
        else if (a == "--center") {
            const std::vector<long double> c = Numbers(value(), ',', 2, a);
            o.centre = { c[0], c[1] };
        } else if (a == "--altitude")
            o.altitudeNM = Numbers(value(), ',', 1, a)[0];
        else if (a == "--scale")
            o.scale = Numbers(value(), ',', 1, a)[0];
        else if (a == "--rotation") {
            const std::vector<long double> r = Numbers(value(), ',', 3, a);
            o.rotation = std::array<long double, 3> { r[0], r[1], r[2] };
        } else if (a == "--graticule")
            o.graticule = GraticuleMode(value());
        else if (a == "--transparent")
            o.transparent = true;
        else if (a == "--repeat") {
            const std::string& text = value();
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), o.repeat);
            if (error != std::errc() || end != text.data() + text.size() || o.repeat < 1 || o.repeat > 100000)
                throw std::invalid_argument("--repeat takes a whole number from 1 to 100000");
        }
        else if (a.starts_with("--"))
            throw std::invalid_argument("unknown option " + a);
        else
            files.push_back(a);
    }
    if (files.size() != 2)
        throw std::invalid_argument(std::string("usage:\n") + USAGE);
    o.input = files[0];
    o.output = files[1];
    return o;
}

void LoadInput(TGlobe4& globe, const std::string& input)
{
    if (!ReaderClassForFile(input).empty()) {
        if (OpenLayerFile(globe, input) < 0)
            throw std::runtime_error("cannot find " + input);
        globe.ZoomToRect(0, 0, 0, 0);
        return;
    }
    globe.SetEnvironmentFile(input);
    if (globe.EnvironmentFile().empty())
        throw std::runtime_error("cannot read the environment document " + input);
}

void ApplyView(TGlobe4& globe, const TRenderOptions& o)
{
    TGlobeProjection& projection = globe.Projection();
    if (!o.projection.empty()) {
        projection.SetProjectionClass(o.projection);
        globe.ZoomToRect(0, 0, 0, 0);
    }
    if (o.rotation) {
        projection.SetXRotation((*o.rotation)[0]);
        projection.SetYRotation((*o.rotation)[1]);
        projection.SetZRotation((*o.rotation)[2]);
    }
    if (o.altitudeNM)
        projection.SetAltitude(static_cast<int32_t>(UnitsToGU(TGlobeUnitTypes::NauticalMile, *o.altitudeNM)));
    if (o.scale)
        projection.SetScaleFactor(*o.scale);
    if (o.centre)
        globe.CenterOn(DegToGU(o.centre->first), DegToGU(o.centre->second));
    if (o.graticule)
        globe.SetGraticuleDrawMode(*o.graticule);
    if (o.transparent)
        globe.SetGlobeOptions(globe.GlobeOptions() + TGlobeOptionsSet { TGlobeOption::goTransparentGlobe });
}

std::runtime_error OutOfMemory(const TRenderOptions& o)
{
    return std::runtime_error("Not enough memory for a picture of " + std::to_string(o.width) + "x"
        + std::to_string(o.height) + " pixels");
}

void SavePicture(const QImage& image, const std::string& fileName)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "PNG");
    if (!writer.write(image))
        throw std::runtime_error("cannot write " + fileName + ": " + writer.errorString().toStdString());
    try {
        SaveFileAtomically(LibraryFileName(fileName),
            std::span(reinterpret_cast<const std::uint8_t*>(png.constData()), static_cast<size_t>(png.size())));
    } catch (const EGlobeException& e) {
        throw std::runtime_error(Shown(e.what()));
    }
}

double CpuMs()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The CPU time of a redraw, the median of `count`; wall time on a busy
// machine says little.
double MedianRedrawMs(TGlobe4& globe, QPainter& painter, const QRect& rect, int count)
{
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const double start = CpuMs();
        globe.RenderToCanvas(painter, rect, true);
        times.push_back(CpuMs() - start);
    }
    std::sort(times.begin(), times.end());
    const size_t middle = times.size() / 2;
    return times.size() % 2 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
}

int Render(const std::vector<std::string>& args)
{
    const TRenderOptions o = ParseOptions(args);
    RegisterLayerFileClasses();
    RegisterSHPReader();
    RegisterMIFReader();
    TGlobe4 globe;
    globe.SetScrollBars(TScrollStyle::ssNone);
    globe.setAttribute(Qt::WA_DontShowOnScreen);
    globe.resize(o.width, o.height);
    globe.show();
    QCoreApplication::processEvents();
    if (globe.Canvas().Image().isNull())
        throw OutOfMemory(o);
    LoadInput(globe, o.input);
    ApplyView(globe, o);
    QImage image(o.width, o.height, QImage::Format_RGB32);
    if (image.isNull())
        throw OutOfMemory(o);
    {
        QPainter painter(&image);
        globe.RenderToCanvas(painter, QRect(0, 0, o.width, o.height), true);
        if (o.repeat > 0)
            std::printf("redraw ms: %.2f\n", MedianRedrawMs(globe, painter, image.rect(), o.repeat));
    }
    SavePicture(image, o.output);
    return 0;
}

const ToolCommandRegistrar registrar("render", Render, USAGE);

} // namespace
