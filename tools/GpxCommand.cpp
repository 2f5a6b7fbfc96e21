// brumex-tool gpx: waypoint (".Wpt") and route (".Rot") files to and from
// GPX, the format other navigation programs exchange.
#include "ToolCommand.h"

#include "app/RouteFile.h"
#include "app/WaypointFile.h"
#include "app/WaypointIcons.h"
#include "formats/GpxFile.h"
#include "geo/GeoMath.h"
#include "geo/GlobeTypes.h"
#include "platform/Cp1252.h"
#include "platform/SaveFile.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace {

const char* const GpxUsage = "  gpx export IN.Wpt|IN.Rot OUT.gpx\n"
                             "  gpx import IN.gpx OUT.Wpt|OUT.Rot   (the waypoints, or the first route)";

enum class TFileKind { Waypoints, Route };

std::string LibraryFileName(const std::string& arg) { return toCp1252(QFile::decodeName(arg.c_str())); }

TFileKind KindOf(const std::string& file)
{
    const QString extension = QFileInfo(QFile::decodeName(file.c_str())).suffix().toLower();
    if (extension == "wpt")
        return TFileKind::Waypoints;
    if (extension == "rot")
        return TFileKind::Route;
    throw std::invalid_argument(file + ": not a waypoint file (.Wpt) or route file (.Rot)");
}

double ToDegrees(int32_t globeUnits) { return globeUnits / static_cast<double>(GU_DEGREE); }
int32_t ToGlobeUnits(double degrees) { return Rnd(static_cast<long double>(degrees) * GU_DEGREE); }

TGpxPoint GpxPoint(const TGeoPoint& p, QString name)
{
    return {ToDegrees(p.Lat), ToDegrees(p.Long), std::move(name), {}, {}};
}

TGpxData ExportData(const std::string& file, TFileKind kind)
{
    if (!QFile::exists(fromCp1252(file)))
        throw std::runtime_error(file + ": no such file");
    TGpxData data;
    if (kind == TFileKind::Waypoints) {
        for (const TWaypointRecord& w : ReadWaypointFile(file)) {
            TGpxPoint point = GpxPoint({w.Long, w.Lat, 0}, fromCp1252(w.Title));
            if (w.Icon >= 0 && w.Icon < WAYPOINT_ICON_COUNT) {
                point.Symbol = QLatin1String(WAYPOINT_ICON_NAMES[static_cast<std::size_t>(w.Icon)]);
                point.Type = QString::number(w.Icon);
            }
            data.Waypoints.push_back(point);
        }
        return data;
    }
    TGpxRoute route{QStringLiteral("Rota"), {}};
    const std::vector<TGeoPoint> points = ReadRouteFile(file);
    for (std::size_t i = 0; i < points.size(); ++i)
        route.Points.push_back(GpxPoint(points[i], QStringLiteral("Ponto %1").arg(i)));
    data.Routes.push_back(route);
    return data;
}

int Export(const std::string& in, const std::string& out)
{
    const TGpxData data = ExportData(in, KindOf(in));
    const QByteArray bytes = WriteGpx(data);
    SaveFileAtomically(out, {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())});
    std::printf("%s: %zu waypoints, %zu route points\n", QFile::encodeName(fromCp1252(out)).constData(),
                data.Waypoints.size(), data.Routes.empty() ? std::size_t{0} : data.Routes[0].Points.size());
    return 0;
}

// Our number in <type>, else our or a fitting symbol name, else the first picture.
int IconOf(const TGpxPoint& point)
{
    bool ok = false;
    const int number = point.Type.toInt(&ok);
    if (ok && number >= 0 && number < WAYPOINT_ICON_COUNT)
        return number;
    return std::max(0, WaypointIconByName(point.Symbol));
}

// Names in Windows-1252; what it cannot hold becomes "?" with a warning.
std::string TitleOf(const QString& name, std::size_t index, int& replaced)
{
    const std::string title = toCp1252(name);
    if (fromCp1252(title) != name) {
        ++replaced;
        std::fprintf(stderr, "warning: point %zu: \"%s\" has characters Windows-1252 cannot hold; saved as \"%s\"\n",
                     index, name.toLocal8Bit().constData(), fromCp1252(title).toLocal8Bit().constData());
    }
    return title;
}

int Import(const std::string& in, const std::string& out)
{
    const TFileKind kind = KindOf(out);
    QFile file(fromCp1252(in));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(in + ": cannot read");
    const TGpxData data = ReadGpx(file.readAll(), in);
    int replaced = 0;
    if (kind == TFileKind::Waypoints) {
        std::vector<TWaypointRecord> waypoints;
        for (const TGpxPoint& p : data.Waypoints)
            waypoints.push_back({NormalizeLong(ToGlobeUnits(p.Lon)), ToGlobeUnits(p.Lat),
                                 TitleOf(p.Name.isEmpty() ? QStringLiteral("Novo") : p.Name, waypoints.size(), replaced),
                                 IconOf(p)});
        WriteWaypointFile(out, waypoints);
        std::printf("%zu waypoints\n", waypoints.size());
    } else {
        if (data.Routes.empty())
            throw std::runtime_error(in + ": no route");
        std::vector<TGeoPoint> points;
        for (const TGpxPoint& p : data.Routes.front().Points)
            points.push_back({NormalizeLong(ToGlobeUnits(p.Lon)), ToGlobeUnits(p.Lat), 0});
        WriteRouteFile(out, points);
        std::printf("%zu route points\n", points.size());
    }
    return 0;
}

int Gpx(const std::vector<std::string>& args)
{
    if (args.size() != 3 || (args[0] != "export" && args[0] != "import"))
        throw std::invalid_argument(std::string("usage:\n") + GpxUsage);
    const std::string in = LibraryFileName(args[1]);
    const std::string out = LibraryFileName(args[2]);
    return args[0] == "export" ? Export(in, out) : Import(in, out);
}

const ToolCommandRegistrar registrar("gpx", Gpx, GpxUsage);

} // namespace
