#include "formats/GlobeTextReader.h"

#include <algorithm>

TGlobeTextReader::TGlobeTextReader(const std::string& fileName)
    : FMapped(std::make_unique<TMemoryMapStream>(fileName))
    , FBytes(FMapped->Bytes())
    , FSourceName(fileName)
{
}

TGlobeTextReader::TGlobeTextReader(std::span<const std::uint8_t> bytes, std::string sourceName)
    : FBytes(bytes)
    , FSourceName(std::move(sourceName))
{
}

TGlobeTextReader::~TGlobeTextReader() = default;

void TGlobeTextReader::SeekTo(std::size_t position)
{
    FPosition = std::min(position, FBytes.size());
}

std::string TGlobeTextReader::ReadLine()
{
    FLineStart = FPosition;
    const auto rest = FBytes.subspan(FPosition);
    const auto end = std::find_if(
        rest.begin(), rest.end(), [](std::uint8_t c) { return c == '\n' || c == '\r' || c == '\0'; });
    std::string line(rest.begin(), end);
    FPosition += line.size();
    if (end != rest.end()) {
        ++FPosition;
        if (*end == '\r' && FPosition < FBytes.size() && FBytes[FPosition] == '\n')
            ++FPosition;
    }
    return line;
}

std::size_t TGlobeTextReader::LineNumberAt(std::size_t position) const
{
    const auto before = FBytes.first(std::min(position, FBytes.size()));
    return 1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
}
