#include "platform/BoundedReader.h"

#include "platform/GlobeException.h"

#include <bit>
#include <type_traits>

TBoundedReader::TBoundedReader(
    std::span<const std::uint8_t> bytes, std::string sourceName, std::size_t baseOffset)
    : FBytes(bytes)
    , FSourceName(std::move(sourceName))
    , FBaseOffset(baseOffset)
{
}

void TBoundedReader::Fail(std::string_view message) const
{
    std::string text = FSourceName;
    if (!FContext.empty())
        text += ", " + FContext;
    text += " (offset " + std::to_string(FileOffset()) + "): ";
    text += message;
    throw EGlobeException(text);
}

void TBoundedReader::Require(std::size_t count, std::string_view what) const
{
    if (count > Remaining())
        Fail("truncated: " + std::string(what) + " needs " + std::to_string(count) + " bytes, only "
            + std::to_string(Remaining()) + " left");
}

void TBoundedReader::RequireElements(std::int64_t count, std::size_t elementSize, std::string_view what) const
{
    if (count < 0)
        Fail(std::string(what) + " is negative (" + std::to_string(count) + ")");
    if (elementSize != 0 && static_cast<std::uint64_t>(count) > Remaining() / elementSize)
        Fail(std::string(what) + " " + std::to_string(count) + " needs "
            + std::to_string(static_cast<std::uint64_t>(count) * elementSize) + " bytes, only "
            + std::to_string(Remaining()) + " left");
}

void TBoundedReader::Seek(std::size_t position)
{
    if (position > FBytes.size())
        Fail("position " + std::to_string(FBaseOffset + position) + " lies beyond the end ("
            + std::to_string(FBaseOffset + FBytes.size()) + ")");
    FPosition = position;
}

void TBoundedReader::Skip(std::size_t count, std::string_view what)
{
    Require(count, what);
    FPosition += count;
}

template <typename T, bool BigEndian> T TBoundedReader::ReadInteger(std::string_view what)
{
    using Unsigned = std::make_unsigned_t<T>;
    Require(sizeof(T), what);
    Unsigned value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        const std::size_t shift = BigEndian ? 8 * (sizeof(T) - 1 - i) : 8 * i;
        value |= static_cast<Unsigned>(static_cast<Unsigned>(FBytes[FPosition + i]) << shift);
    }
    FPosition += sizeof(T);
    return static_cast<T>(value);
}

std::uint8_t TBoundedReader::ReadUInt8(std::string_view what)
{
    return ReadInteger<std::uint8_t, false>(what);
}

std::int16_t TBoundedReader::ReadInt16LE(std::string_view what)
{
    return ReadInteger<std::int16_t, false>(what);
}

std::uint16_t TBoundedReader::ReadUInt16LE(std::string_view what)
{
    return ReadInteger<std::uint16_t, false>(what);
}

std::int32_t TBoundedReader::ReadInt32LE(std::string_view what)
{
    return ReadInteger<std::int32_t, false>(what);
}

std::uint32_t TBoundedReader::ReadUInt32LE(std::string_view what)
{
    return ReadInteger<std::uint32_t, false>(what);
}

std::int32_t TBoundedReader::ReadInt32BE(std::string_view what)
{
    return ReadInteger<std::int32_t, true>(what);
}

double TBoundedReader::ReadDoubleLE(std::string_view what)
{
    return std::bit_cast<double>(ReadInteger<std::uint64_t, false>(what));
}

std::span<const std::uint8_t> TBoundedReader::ReadBytes(std::size_t count, std::string_view what)
{
    Require(count, what);
    const auto bytes = FBytes.subspan(FPosition, count);
    FPosition += count;
    return bytes;
}

std::string TBoundedReader::ReadString(std::size_t count, std::string_view what)
{
    const auto bytes = ReadBytes(count, what);
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::string TBoundedReader::ReadShortString(std::string_view what)
{
    const std::uint8_t length = ReadUInt8(what);
    return ReadString(length, what);
}

std::size_t TBoundedReader::ReadCountLE(std::size_t elementSize, std::string_view what)
{
    const std::int32_t count = ReadInt32LE(what);
    RequireElements(count, elementSize, what);
    return static_cast<std::size_t>(count);
}

TBoundedReader TBoundedReader::Slice(std::size_t length, std::string context)
{
    if (length > Remaining())
        Fail(context + " of " + std::to_string(length) + " bytes runs past the end, only "
            + std::to_string(Remaining()) + " left");
    TBoundedReader slice(FBytes.subspan(FPosition, length), FSourceName, FileOffset());
    slice.SetContext(std::move(context));
    FPosition += length;
    return slice;
}
