#include "app/WaypointFile.h"

#include "geo/GeoMath.h"
#include "platform/IniFile.h"

#include <algorithm>
#include <optional>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool BreaksLine(char c) { return c == '\r' || c == '\n' || c == '\0'; }

bool LineCanHold(std::string_view value)
{
    return std::none_of(value.begin(), value.end(), BreaksLine)
        && (value.empty() || (!IsBlank(value.front()) && !IsBlank(value.back())));
}

// The bytes a line can hold, for readers that do not know the "X" key.
std::string LineSafe(std::string_view value)
{
    std::string safe;
    std::copy_if(value.begin(), value.end(), std::back_inserter(safe), [](char c) { return !BreaksLine(c); });
    const auto first = safe.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return safe.substr(first, safe.find_last_not_of(" \t") - first + 1);
}

const char HEX_DIGITS[] = "0123456789ABCDEF";

std::string ToHex(std::string_view bytes)
{
    std::string hex;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        hex += HEX_DIGITS[b >> 4];
        hex += HEX_DIGITS[b & 15];
    }
    return hex;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Empty when the text is not an even run of hexadecimal digits.
std::optional<std::string> FromHex(std::string_view hex)
{
    if (hex.empty() || hex.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexValue(hex[i]);
        const int low = HexValue(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

} // namespace

std::string ScrambleTitle(std::string_view title)
{
    std::string scrambled(title);
    for (std::size_t i = 0; i < scrambled.size(); ++i) {
        const auto c = static_cast<unsigned>(static_cast<unsigned char>(scrambled[i]));
        scrambled[i] = static_cast<char>(((c - (i + 1)) ^ TITLE_SCRAMBLE_KEY) & 0xFF);
    }
    return scrambled;
}

std::string UnscrambleTitle(std::string_view scrambled)
{
    std::string title(scrambled);
    for (std::size_t i = 0; i < title.size(); ++i) {
        const auto s = static_cast<unsigned>(static_cast<unsigned char>(title[i]));
        title[i] = static_cast<char>(((s ^ TITLE_SCRAMBLE_KEY) + (i + 1)) & 0xFF);
    }
    return title;
}

std::vector<TWaypointRecord> ReadWaypointFile(const std::string& fileName)
{
    const TIniFile ini(fileName);
    std::vector<TWaypointRecord> waypoints;
    for (const std::string& section : ini.ReadSections()) {
        if (!section.starts_with('Q'))
            continue;
        TWaypointRecord w;
        w.Icon = ini.ReadInteger(section, "P", 0) - WAYPOINT_ICON_BASE;
        const auto whole = FromHex(ini.ReadString(section, "X", ""));
        w.Title = UnscrambleTitle(whole ? *whole : ini.ReadString(section, "S", "Novo"));
        w.Long = NormalizeLong(ini.ReadInteger(section, "G", 0));
        w.Lat = ini.ReadInteger(section, "T", 0);
        waypoints.push_back(std::move(w));
    }
    return waypoints;
}

void WriteWaypointFile(const std::string& fileName, const std::vector<TWaypointRecord>& waypoints)
{
    TIniFile ini = TIniFile::Create(fileName);
    for (std::size_t n = 0; n < waypoints.size(); ++n) {
        const TWaypointRecord& w = waypoints[n];
        const std::string section = "Q" + std::to_string(n);
        const std::string scrambled = ScrambleTitle(w.Title);
        ini.WriteInteger(section, "T", w.Lat);
        ini.WriteString(section, "S", LineCanHold(scrambled) ? scrambled : LineSafe(scrambled));
        ini.WriteInteger(section, "P", w.Icon + WAYPOINT_ICON_BASE);
        ini.WriteInteger(section, "G", w.Long);
        if (!LineCanHold(scrambled))
            ini.WriteString(section, "X", ToHex(scrambled));
    }
    ini.UpdateFile();
}
