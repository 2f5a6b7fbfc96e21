// The chart file (".Carta"): an initialisation-format file whose section
// "Geral" names the chart's bitmap and places it on the globe.
#pragma once

#include <cstdint>
#include <string>

struct TChartFile {
    // File name of the bitmap, without folder; it lies in the chart folder.
    std::string BitMap;
    // Insertion point: the bitmap's north-west corner, GlobeUnits.
    int32_t Lon = 0;
    int32_t Lat = 0;
    // GlobeUnits of longitude and of latitude per image pixel.
    int32_t PropX = 0;
    int32_t PropY = 0;
};

// Missing integer keys read as 0 and a missing "BitMap" as empty; a file that
// exists but cannot be read raises EGlobeException.
TChartFile ReadChartFile(const std::string& fileName);
// Writes the five keys and keeps every other key and section of an existing
// file; the file is replaced atomically. An empty BitMap leaves the file's
// own one in place, so a chart whose bitmap was not found keeps its name.
// Raises EGlobeException when the file cannot be written.
void WriteChartFile(const std::string& fileName, const TChartFile& chart);
