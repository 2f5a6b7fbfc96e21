// Feeds arbitrary bytes to the shapefile parser as a .shp and as a .shx: it
// may refuse them with EGlobeException, nothing else.
#include "formats/SHPFile.h"
#include "platform/GlobeException.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    try {
        const TSHPFile file(bytes, "fuzz.shp");
        for (std::size_t position : file.RecordPositions()) {
            const TSHPShape shape = file.ReadShape(position);
            for (std::size_t k = 0; k < shape.PartCount(); ++k)
                for (const TSHPPoint& point : shape.Part(k))
                    (void)TSHPCoordinateCorrection {}.GeoPoint(point);
        }
    } catch (const EGlobeException&) {
    }
    try {
        (void)ReadSHXIndex(bytes, "fuzz.shx");
    } catch (const EGlobeException&) {
    }
    return 0;
}
