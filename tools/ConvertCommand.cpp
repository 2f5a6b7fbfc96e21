// brumex-tool convert: a shapefile, MIF/MID or layer file to a layer file,
// keeping titles and presenters. brumex-tool info: what such a file holds.
// Both open the file the same way, as a layer of a globe without a window.
#include "ToolCommand.h"
#include "ToolGlobe.h"
#include "ToolText.h"

#include "formats/GlobeDBFReader.h"
#include "formats/GlobeLYRReader.h"
#include "formats/GlobeLYRWriter.h"
#include "formats/GlobeMIFReader.h"
#include "formats/GlobeSHPReader.h"
#include "geo/GeoDataObject.h"
#include "geo/GlobeUnits.h"
#include "platform/Cp1252.h"
#include "view/Colors.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobePresenterStore.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <map>
#include <optional>
#include <stdexcept>

namespace {

struct TOptions {
    std::vector<std::string> files;
    std::optional<std::string> titleColumn;
    std::optional<TColor> fill;
    std::optional<TColor> outline;
};

// "#RRGGBB", or what an environment document takes: a colour name with or
// without its "cl" ("navy", "clNavy") or "$" and hexadecimal digits.
TColor ColorOption(const std::string& option, const std::string& text)
{
    const auto refused = [&] {
        return std::invalid_argument(option + ": '" + Excerpt(text)
            + "' is not a colour (#RRGGBB, a name such as navy or clNavy, or $00BBGGRR)");
    };
    if (text.size() == 7 && text[0] == '#') {
        unsigned rgb = 0;
        const auto [end, error] = std::from_chars(text.data() + 1, text.data() + 7, rgb, 16);
        if (error != std::errc() || end != text.data() + 7)
            throw refused();
        return static_cast<TColor>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
    }
    for (const std::string& name : { text, "cl" + text }) {
        try {
            return StringToColor(name);
        } catch (const EGlobeException&) {
        }
    }
    throw refused();
}

TOptions ParseOptions(const std::vector<std::string>& args, const char* usage)
{
    TOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--title-column" && hasValue)
            options.titleColumn = args[++i];
        else if (arg == "--fill" && hasValue)
            options.fill = ColorOption(arg, args[++i]);
        else if (arg == "--outline" && hasValue)
            options.outline = ColorOption(arg, args[++i]);
        else if (arg.starts_with("--"))
            throw std::invalid_argument(std::string("usage: ") + usage);
        else
            options.files.push_back(LibraryFileName(arg));
    }
    return options;
}

std::string LowerExtension(const std::string& file)
{
    std::string extension = QFileInfo(fromCp1252(file)).suffix().toLower().toStdString();
    return extension;
}

std::unique_ptr<TGlobeFileReader> NewReader(TToolGlobe& globe, const std::string& file)
{
    const std::string extension = LowerExtension(file);
    if (extension == "shp")
        return std::make_unique<TGlobeSHPReader>(globe);
    if (extension == "mif")
        return std::make_unique<TGlobeMIFReader>(globe);
    if (extension == "lyr")
        return std::make_unique<TGlobeLYRReader>(globe);
    throw std::invalid_argument(file + ": not a shapefile (.shp), MIF file (.mif) or layer file (.lyr)");
}

// A dBASE column by its 0-based number or its name.
int32_t ColumnOf(const TGlobeSHPReader& reader, const std::string& column)
{
    int32_t number = 0;
    const auto [end, error] = std::from_chars(column.data(), column.data() + column.size(), number);
    if (error == std::errc() && end == column.data() + column.size())
        return number;
    const int index = reader.Table() ? reader.Table()->FieldIndex(column) : -1;
    if (index < 0)
        throw std::invalid_argument(reader.FileName() + ": the dBASE table has no column " + column);
    return index;
}

// Opens the file as the source of a new layer of the globe.
TGlobeLayer& OpenLayer(TToolGlobe& globe, const std::string& file, const TOptions& options)
{
    std::unique_ptr<TGlobeFileReader> owned = NewReader(globe, file);
    TGlobeFileReader* reader = owned.release();
    TGlobeLayer& layer = globe.Store().CreateLayer("TGlobeLayer");
    layer.SetObjectSource(reader);
    reader->SetFileName(file);
    reader->SetActive(true);
    if (!reader->Active())
        throw std::runtime_error(file + ": no such file");
    if (options.titleColumn) {
        auto* shapes = dynamic_cast<TGlobeSHPReader*>(reader);
        if (!shapes)
            throw std::invalid_argument("--title-column applies to shapefiles only");
        shapes->SetTitleColumn(ColumnOf(*shapes, *options.titleColumn));
    }
    return layer;
}

// Null shapes and empty regions have nothing to draw; a layer file would
// show them as points.
int DropHiddenObjects(TGlobeObjectSource& source)
{
    int dropped = 0;
    for (int i = source.Count() - 1; i >= 0; --i) {
        if (!source.GetObjectState(i).contains(TGlobeObjectState::osHidden))
            continue;
        delete &source.GetObject(i);
        ++dropped;
    }
    return dropped;
}

template <typename Presenter> int32_t AddPresenter(TGlobeLayer& layer, const TOptions& options)
{
    auto presenter = std::make_unique<Presenter>(&layer.ObjectSource().LayeredGlobe(), 0);
    presenter->PolyPen.SetPenAttributes(
        options.outline.value_or(clBlack), TPenStyle::psSolid, 1, TGlobeUnitTypes::Pixel);
    if (options.fill)
        presenter->PolyBrush.SetBrushAttributes(*options.fill, TGlobeBrushStyle::bsSolid);
    else
        presenter->PolyBrush.SetBrushAttributes(clWhite, TGlobeBrushStyle::bsClear);
    presenter->TitleFont.SetFontAttributes("Arial", clBlack, 0, 0, TGlobeUnitTypes::Pixel, 9);
    presenter->TitleAlignment = TTitleAlignment::taCenter;
    return layer.Presenters().Add(std::move(presenter));
}

// One presenter for the closed objects and one for the open ones.
void GivePresenters(TGlobeLayer& layer, const TOptions& options)
{
    TGlobeObjectSource& source = layer.ObjectSource();
    int32_t closed = 0, open = 0;
    for (int i = 0; i < source.Count(); ++i) {
        const bool isClosed = source.GetObjectState(i).contains(TGlobeObjectState::osClosed);
        int32_t& id = isClosed ? closed : open;
        if (id == 0)
            id = isClosed ? AddPresenter<TPolygonPresenter>(layer, options)
                          : AddPresenter<TPolylinePresenter>(layer, options);
        source.GetObject(i).SetPresenterID(id);
    }
}

const char* const ConvertUsage
    = "convert INPUT OUTPUT.lyr [--title-column COLUMN] [--fill COLOR] [--outline COLOR]";

int Convert(const std::vector<std::string>& args)
{
    const TOptions options = ParseOptions(args, ConvertUsage);
    if (options.files.size() != 2)
        throw std::invalid_argument(std::string("usage: ") + ConvertUsage);
    TToolGlobe globe;
    TGlobeLayer& layer = OpenLayer(globe, options.files[0], options);
    const int dropped = DropHiddenObjects(layer.ObjectSource());
    if (options.fill || options.outline)
        GivePresenters(layer, options);
    TGlobeLYRWriter(layer).WriteToFile(options.files[1]);
    std::printf("%s: %d objects", Shown(options.files[1]).c_str(), layer.ObjectSource().Count());
    if (dropped > 0)
        std::printf(" (%d empty objects left out)", dropped);
    std::printf("\n");
    return 0;
}

// --- info -------------------------------------------------------------------------

std::string Degrees(int64_t gu, char positive, char negative)
{
    char text[32];
    const long double degrees = static_cast<long double>(gu) / GU_DEGREE;
    std::snprintf(
        text, sizeof text, "%.4Lf%c", degrees < 0 ? -degrees : degrees, degrees < 0 ? negative : positive);
    return text;
}

std::string PresenterText(const TGlobePresenter& presenter)
{
    std::string text
        = std::to_string(presenter.PresenterID) + " " + presenter.ClassName() + " \"" + presenter.Name + "\"";
    if (const auto* poly = dynamic_cast<const TPolyPresenter*>(&presenter)) {
        text += ": pen " + ColorToString(poly->PolyPen.PenColor()) + " style "
            + std::to_string(static_cast<int>(poly->PolyPen.PenStyle())) + " width "
            + std::to_string(poly->PolyPen.PenWidth()) + ", brush "
            + ColorToString(poly->PolyBrush.BrushColor()) + " style "
            + std::to_string(static_cast<int>(poly->PolyBrush.BrushStyle()));
    } else if (const auto* point = dynamic_cast<const TPointPresenter*>(&presenter)) {
        text += ": type " + std::to_string(static_cast<int>(point->PointType)) + " size "
            + std::to_string(point->PointSize()) + ", pen " + ColorToString(point->PointPen.PenColor())
            + ", brush " + ColorToString(point->PointBrush.BrushColor());
    }
    return text;
}

struct TTotals {
    std::map<std::string, int> classes;
    int closed = 0, open = 0, points = 0, hidden = 0;
    int64_t chains = 0, vertices = 0;
    std::vector<std::string> titles;
};

TTotals Totals(TGlobeObjectSource& source)
{
    TTotals totals;
    for (int i = 0; i < source.Count(); ++i) {
        TGlobeObject& object = source.GetObject(i);
        ++totals.classes[object.ClassName()];
        if (object.Hidden())
            ++totals.hidden;
        else if (object.Closed())
            ++totals.closed;
        else
            ++totals.open;
        if (auto* data = dynamic_cast<TGeoDataObject*>(&object)) {
            totals.points += data->Chains.Count() == 0 && !object.Hidden() ? 1 : 0;
            totals.chains += data->Chains.Count();
            for (int k = 0; k < data->Chains.Count(); ++k)
                totals.vertices += data->Chains.Chain(k).Count();
        }
        if (totals.titles.size() < 5 && !object.Title.empty())
            totals.titles.push_back(object.Title);
    }
    return totals;
}

const char* const InfoUsage = "info FILE [--title-column COLUMN]";

int Info(const std::vector<std::string>& args)
{
    const TOptions options = ParseOptions(args, InfoUsage);
    if (options.files.size() != 1)
        throw std::invalid_argument(std::string("usage: ") + InfoUsage);
    TToolGlobe globe;
    TGlobeLayer& layer = OpenLayer(globe, options.files[0], options);
    TGlobeObjectSource& source = layer.ObjectSource();
    const TTotals totals = Totals(source);
    std::printf("%s: %s\n", Shown(options.files[0]).c_str(), source.ClassName().c_str());
    std::printf("objects: %d (closed %d, open %d, points %d, empty %d)\n", source.Count(), totals.closed,
        totals.open, totals.points, totals.hidden);
    for (const auto& [name, count] : totals.classes)
        std::printf("class %s: %d\n", name.c_str(), count);
    std::printf("chains: %lld, vertices: %lld\n", static_cast<long long>(totals.chains),
        static_cast<long long>(totals.vertices));
    const TMER mer = source.GetSourceMER();
    std::printf("MER: %s %s to %s %s (Left %d, Bottom %d, Width %d, Height %d)\n",
        Degrees(mer.Left, 'E', 'W').c_str(), Degrees(mer.Bottom, 'N', 'S').c_str(),
        Degrees(int64_t { mer.Left } + mer.Width, 'E', 'W').c_str(),
        Degrees(int64_t { mer.Bottom } + mer.Height, 'N', 'S').c_str(), mer.Left, mer.Bottom, mer.Width,
        mer.Height);
    std::printf("presenters: %d\n", source.Presenters().Count());
    for (int i = 0; i < source.Presenters().Count(); ++i)
        std::printf("  %s\n", Shown(PresenterText(source.Presenters().Presenters(i))).c_str());
    for (const std::string& title : totals.titles)
        std::printf("title: %s\n", Shown(title).c_str());
    return 0;
}

// Messages of the library carry file names in Windows-1252.
ToolCommandFn WithShownErrors(int (*command)(const std::vector<std::string>&))
{
    return [command](const std::vector<std::string>& args) {
        try {
            return command(args);
        } catch (const std::exception& e) {
            throw std::runtime_error(Shown(e.what()));
        }
    };
}

const ToolCommandRegistrar convertCommand("convert", WithShownErrors(Convert),
    std::string("  ") + ConvertUsage
        + "\n      a shapefile (.shp), MIF (.mif) or layer file (.lyr) as a layer file; COLUMN is a"
          "\n      dBASE column number or name giving the titles; --fill and --outline (#RRGGBB or"
          "\n      a colour name such as navy) give every object one presenter");
const ToolCommandRegistrar infoCommand("info", WithShownErrors(Info),
    std::string("  ") + InfoUsage + "\n      counts, classes, extent (MER) and presenters of such a file");

} // namespace
