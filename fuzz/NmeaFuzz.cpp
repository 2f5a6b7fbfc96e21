// libFuzzer target: arbitrary bytes through the receiver's line assembly and
// every decoder, in port-sized chunks, with every event handled.
#include "gps/GPS.h"
#include "gps/GpsEventJson.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the chunk size and the units, so splits and unit
    // factors vary with the input.
    const std::size_t chunk = 1 + data[0] % 64;
    TGPS gps;
    gps.SetSpeedUnit(static_cast<TSpeedUnit>(data[0] % 3));
    gps.SetDistanceUnit(static_cast<TDistanceUnit>((data[0] / 3) % 3));
    std::size_t output = 0;
    writeEventsAsJson(gps, [&output](const std::string& line) { output += line.size(); });
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    for (std::size_t at = 0; at < bytes.size(); at += chunk)
        gps.ProcessBytes(bytes.substr(at, chunk));
    return 0;
}
