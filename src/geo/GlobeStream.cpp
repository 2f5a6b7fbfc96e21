#include "geo/GlobeStream.h"

#include "geo/GeoMath.h"
#include "platform/BoundedReader.h"
#include "platform/GlobeException.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

namespace {

uint16_t g_fileVersion = GLOBE_FILE_VERSION;

} // namespace

uint16_t GlobeFileVersion()
{
    return g_fileVersion;
}

void SetGlobeFileVersion(uint16_t version)
{
    g_fileVersion = version;
}

// --- Reader -----------------------------------------------------------------

TGlobeStreamReader::TGlobeStreamReader(TBoundedReader& reader)
    : m_reader(reader)
{
}

int TGlobeStreamReader::Read(void* buffer, int count)
{
    const auto n = std::min<size_t>(static_cast<size_t>(std::max(count, 0)), m_reader.Remaining());
    const auto bytes = m_reader.ReadBytes(n, "data");
    if (n > 0)
        std::memcpy(buffer, bytes.data(), n);
    return static_cast<int>(n);
}

void TGlobeStreamReader::ReadBuffer(void* buffer, int count)
{
    if (count < 0)
        m_reader.Fail("negative byte count");
    const auto bytes = m_reader.ReadBytes(static_cast<size_t>(count), "data");
    if (count > 0)
        std::memcpy(buffer, bytes.data(), bytes.size());
}

bool TGlobeStreamReader::ReadBoolean()
{
    return m_reader.ReadUInt8("a Boolean") == 'T';
}

double TGlobeStreamReader::ReadDouble()
{
    return m_reader.ReadDoubleLE("a Double");
}

uint16_t TGlobeStreamReader::ReadWord()
{
    return m_reader.ReadUInt16LE("a Word");
}

int8_t TGlobeStreamReader::ReadShortInt()
{
    return static_cast<int8_t>(m_reader.ReadUInt8("a ShortInt"));
}

int16_t TGlobeStreamReader::ReadSmallInt()
{
    return m_reader.ReadInt16LE("a SmallInt");
}

int32_t TGlobeStreamReader::ReadInteger()
{
    return m_reader.ReadInt32LE("an Integer");
}

std::string TGlobeStreamReader::ReadShortString()
{
    return m_reader.ReadShortString("a ShortString");
}

TGeoPoint TGlobeStreamReader::ReadGeoPoint(bool height, bool compressed)
{
    if (compressed) {
        // Minutes beyond +-23,860 wrap as the 32-bit arithmetic of the format does.
        const int64_t longitude = int64_t { ReadSmallInt() } * GU_MINUTE;
        const auto lat = static_cast<int32_t>(int64_t { ReadSmallInt() } * GU_MINUTE);
        const auto h = height ? static_cast<int32_t>(int64_t { ReadSmallInt() } * GU_MINUTE) : 0;
        return MakeGeoPointH(longitude, lat, h);
    }
    const int32_t longitude = ReadInteger();
    const int32_t lat = ReadInteger();
    const int32_t h = height ? ReadInteger() : 0;
    return MakeGeoPointH(longitude, lat, h);
}

TRect TGlobeStreamReader::ReadRect()
{
    TRect r;
    r.Left = ReadInteger();
    r.Top = ReadInteger();
    r.Right = ReadInteger();
    r.Bottom = ReadInteger();
    return r;
}

TMER TGlobeStreamReader::ReadMER()
{
    TMER m;
    m.Left = ReadInteger();
    m.Bottom = ReadInteger();
    m.Width = ReadInteger();
    m.Height = ReadInteger();
    return m;
}

// --- Writer -----------------------------------------------------------------

template <typename T> void TGlobeStreamWriter::WriteLE(T value)
{
    using Unsigned = std::make_unsigned_t<T>;
    const auto u = static_cast<Unsigned>(value);
    for (size_t i = 0; i < sizeof(T); ++i)
        m_bytes.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

void TGlobeStreamWriter::Write(const void* buffer, int count)
{
    if (count <= 0)
        return;
    const auto* p = static_cast<const uint8_t*>(buffer);
    m_bytes.insert(m_bytes.end(), p, p + count);
}

void TGlobeStreamWriter::WriteBuffer(const void* buffer, int count)
{
    Write(buffer, count);
}

void TGlobeStreamWriter::WriteBoolean(bool value)
{
    m_bytes.push_back(value ? 'T' : 'F');
}

void TGlobeStreamWriter::WriteDouble(double value)
{
    WriteLE(std::bit_cast<uint64_t>(value));
}

void TGlobeStreamWriter::WriteWord(uint16_t value)
{
    WriteLE(value);
}

void TGlobeStreamWriter::WriteShortInt(int8_t value)
{
    WriteLE(value);
}

void TGlobeStreamWriter::WriteSmallInt(int16_t value)
{
    WriteLE(value);
}

void TGlobeStreamWriter::WriteInteger(int32_t value)
{
    WriteLE(value);
}

void TGlobeStreamWriter::WriteShortString(const std::string& text)
{
    const size_t n = std::min<size_t>(text.size(), 255);
    m_bytes.push_back(static_cast<uint8_t>(n));
    m_bytes.insert(m_bytes.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
}

void TGlobeStreamWriter::WriteRect(const TRect& rect)
{
    WriteInteger(rect.Left);
    WriteInteger(rect.Top);
    WriteInteger(rect.Right);
    WriteInteger(rect.Bottom);
}

void TGlobeStreamWriter::WriteGeoPoint(const TGeoPoint& point, bool height, bool compressed)
{
    if (compressed) {
        WriteSmallInt(static_cast<int16_t>(point.Long / GU_MINUTE));
        WriteSmallInt(static_cast<int16_t>(point.Lat / GU_MINUTE));
        if (height)
            WriteSmallInt(static_cast<int16_t>(point.Height / GU_MINUTE));
        return;
    }
    WriteInteger(point.Long);
    WriteInteger(point.Lat);
    if (height)
        WriteInteger(point.Height);
}

void TGlobeStreamWriter::WriteMER(const TMER& mer)
{
    WriteInteger(mer.Left);
    WriteInteger(mer.Bottom);
    WriteInteger(mer.Width);
    WriteInteger(mer.Height);
}
