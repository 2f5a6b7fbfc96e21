// Waypoint files (".Wpt"): one initialisation-format section "Q<n>" per
// waypoint with the keys "T" (latitude), "S" (title, scrambled), "P" (icon
// index + 1957) and "G" (longitude), GlobeUnits in decimal.
//
// A scrambled title that a line cannot hold (a line break or zero byte, a
// blank at either end) is written with those bytes left out of "S" and whole,
// in hexadecimal, in an extra key "X" after "G": readers that know only the
// four keys still read the file, and this one reads the title back intact.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The one-byte constant of the title scrambling.
inline constexpr std::uint8_t TITLE_SCRAMBLE_KEY = 0x81;
// What "P" holds above the icon index.
inline constexpr int WAYPOINT_ICON_BASE = 1957;

struct TWaypointRecord {
    std::int32_t Long = 0; // GlobeUnits, east positive
    std::int32_t Lat = 0;
    std::string Title; // Windows-1252
    int Icon = 0; // index into the waypoint pictures; may lie outside them
    friend bool operator==(const TWaypointRecord&, const TWaypointRecord&) = default;
};

// Byte i (1-based) of the title becomes ((c - i) XOR K) mod 256, and back.
std::string ScrambleTitle(std::string_view title);
std::string UnscrambleTitle(std::string_view scrambled);

// The waypoint sections of the file in file order (sections whose name
// starts with "Q"); missing keys read as 0 and the title as "Novo" put
// through the unscrambling. Longitudes are normalised. A file that cannot be
// read raises EGlobeException.
std::vector<TWaypointRecord> ReadWaypointFile(const std::string& fileName);

// Replaces the file with exactly these waypoints, atomically.
void WriteWaypointFile(const std::string& fileName, const std::vector<TWaypointRecord>& waypoints);
