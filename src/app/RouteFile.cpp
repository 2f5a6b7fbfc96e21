#include "app/RouteFile.h"

#include "geo/GeoMath.h"
#include "platform/IniFile.h"

std::vector<TGeoPoint> ReadRouteFile(const std::string& fileName)
{
    const TIniFile ini(fileName);
    const std::vector<std::string> sections = ini.ReadSections();
    std::vector<TGeoPoint> points;
    for (std::size_t k = 0; k < sections.size(); ++k) {
        if (!sections[k].starts_with('Y'))
            continue;
        // The position in the list names the section read, so the points come
        // in index order even when the file lists them otherwise.
        const std::string section = "Y" + std::to_string(k);
        points.push_back({NormalizeLong(ini.ReadInteger(section, "M", 0)), ini.ReadInteger(section, "N", 0), 0});
    }
    return points;
}

void WriteRouteFile(const std::string& fileName, const std::vector<TGeoPoint>& points)
{
    TIniFile ini = TIniFile::Create(fileName);
    for (std::size_t n = 0; n < points.size(); ++n) {
        const std::string section = "Y" + std::to_string(n);
        ini.WriteInteger(section, "M", points[n].Long);
        ini.WriteInteger(section, "N", points[n].Lat);
    }
    ini.UpdateFile();
}
