#include "app/ChartFile.h"

#include "platform/IniFile.h"

namespace {

constexpr const char* SECTION = "Geral";

} // namespace

TChartFile ReadChartFile(const std::string& fileName)
{
    const TIniFile ini(fileName);
    TChartFile chart;
    chart.BitMap = ini.ReadString(SECTION, "BitMap", "");
    chart.Lon = ini.ReadInteger(SECTION, "Lon", 0);
    chart.Lat = ini.ReadInteger(SECTION, "Lat", 0);
    chart.PropX = ini.ReadInteger(SECTION, "PropX", 0);
    chart.PropY = ini.ReadInteger(SECTION, "PropY", 0);
    return chart;
}

void WriteChartFile(const std::string& fileName, const TChartFile& chart)
{
    TIniFile ini(fileName);
    if (!chart.BitMap.empty() || !ini.ValueExists(SECTION, "BitMap"))
        ini.WriteString(SECTION, "BitMap", chart.BitMap);
    ini.WriteInteger(SECTION, "Lon", chart.Lon);
    ini.WriteInteger(SECTION, "Lat", chart.Lat);
    ini.WriteInteger(SECTION, "PropX", chart.PropX);
    ini.WriteInteger(SECTION, "PropY", chart.PropY);
    ini.UpdateFile();
}
