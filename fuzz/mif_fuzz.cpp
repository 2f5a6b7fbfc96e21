// Feeds arbitrary text to the MIF/MID parser: the input up to its first byte
// 0x01 is the .mif, the rest the .mid. Indexes and loads every object as the
// object source does; the parser may refuse with EGlobeException only.
#include "formats/MIFParser.h"
#include "platform/GlobeException.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    const auto split = std::find(bytes.begin(), bytes.end(), 0x01);
    const auto mif = bytes.first(static_cast<std::size_t>(split - bytes.begin()));
    auto mid = split == bytes.end()
        ? nullptr
        : std::make_unique<TGlobeTextReader>(bytes.subspan(mif.size() + 1), "fuzz.mid");
    TMIFParser parser(std::make_unique<TGlobeTextReader>(mif, "fuzz.mif"), std::move(mid));
    try {
        parser.ReadHeader();
        std::vector<TMIFIndexEntry> index;
        TMIFIndexEntry entry;
        while (parser.IndexNextObject(entry)) {
            index.push_back(entry);
            (void)parser.LoadObject(entry, true);
        }
        for (const TMIFIndexEntry& e : index)
            (void)parser.LoadObject(e, false);
    } catch (const EGlobeException&) {
    }
    return 0;
}
