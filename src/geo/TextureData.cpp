#include "geo/TextureData.h"

#include "geo/GeoMath.h"
#include "platform/Cp1252.h"
#include "platform/GlobeException.h"

#include <QFile>
#include <iterator>

namespace {

constexpr const char* TEXTURE_MESSAGE = "Globe texture must be a 256 color RGB encoded bitmap";
constexpr size_t FILE_HEADER_SIZE = 14;
constexpr size_t INFO_HEADER_SIZE = 40;
constexpr size_t PALETTE_SIZE = 1024;
// Far beyond any chart or surface texture in use (16,000 x 16,000 pixels);
// a larger file is refused before it is read rather than exhausting memory.
constexpr qint64 MAX_BITMAP_FILE_SIZE = qint64 { 256 } << 20;

uint32_t ReadU32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t { b[at] } | uint32_t { b[at + 1] } << 8 | uint32_t { b[at + 2] } << 16
        | uint32_t { b[at + 3] } << 24;
}

uint16_t ReadU16(const std::vector<uint8_t>& b, size_t at)
{
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

TBitmapInfoHeader ReadInfoHeader(const std::vector<uint8_t>& b, size_t at)
{
    TBitmapInfoHeader h;
    h.Size = ReadU32(b, at);
    h.Width = static_cast<int32_t>(ReadU32(b, at + 4));
    h.Height = static_cast<int32_t>(ReadU32(b, at + 8));
    h.Planes = ReadU16(b, at + 12);
    h.BitCount = ReadU16(b, at + 14);
    h.Compression = ReadU32(b, at + 16);
    h.SizeImage = ReadU32(b, at + 20);
    h.XPelsPerMeter = static_cast<int32_t>(ReadU32(b, at + 24));
    h.YPelsPerMeter = static_cast<int32_t>(ReadU32(b, at + 28));
    h.ClrUsed = ReadU32(b, at + 32);
    h.ClrImportant = ReadU32(b, at + 36);
    return h;
}

// Integer arithmetic of the library wraps instead of overflowing.
int32_t Wrap32(int64_t v)
{
    return static_cast<int32_t>(v);
}

} // namespace

TTextureData::TTextureData()
{
    m_corners.Add({ -GU_180_DEGREE, GU_90_DEGREE, 0 });
    m_corners.Add({ GU_180_DEGREE, -GU_90_DEGREE, 0 });
}

void TTextureData::Clear()
{
    m_image.clear();
}

void TTextureData::LoadFromBytes(std::vector<uint8_t> bytes)
{
    Clear();
    if (bytes.size() < FILE_HEADER_SIZE + INFO_HEADER_SIZE + PALETTE_SIZE || ReadU16(bytes, 0) != 19778)
        throw EGlobeException(TEXTURE_MESSAGE);
    TBitmapFileHeader fileHeader { ReadU16(bytes, 0), ReadU32(bytes, 2), ReadU32(bytes, 10) };
    TBitmapInfoHeader info = ReadInfoHeader(bytes, FILE_HEADER_SIZE);
    if (info.BitCount != 8 || info.Compression != 0 || info.Width <= 0 || info.Height <= 0)
        throw EGlobeException(TEXTURE_MESSAGE);
    if (info.SizeImage == 0)
        info.SizeImage = static_cast<uint32_t>(int64_t { info.Width } * info.Height);
    // The pixel rows must lie inside the file and hold at least one byte a pixel.
    if (uint64_t { fileHeader.OffBits } + info.SizeImage > bytes.size()
        || uint64_t { info.SizeImage } < uint64_t(info.Width) * uint64_t(info.Height))
        throw EGlobeException(TEXTURE_MESSAGE);
    for (size_t i = 0; i < m_palette.size(); ++i)
        m_palette[i] = ReadU32(bytes, FILE_HEADER_SIZE + INFO_HEADER_SIZE + 4 * i);
    m_fileHeader = fileHeader;
    m_info = info;
    m_image = std::move(bytes);
}

void TTextureData::LoadFromStream(std::istream& stream)
{
    LoadFromBytes(
        std::vector<uint8_t>(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()));
}

void TTextureData::LoadFromFile(const std::string& fileName)
{
    Clear();
    QFile file(fromCp1252(fileName));
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        throw EGlobeException("Cannot open " + fileName);
    if (file.size() > MAX_BITMAP_FILE_SIZE)
        throw EGlobeException("Bitmap file too large: " + fileName);
    m_fileName.clear();
    const QByteArray data = file.readAll();
    LoadFromBytes(std::vector<uint8_t>(data.begin(), data.end()));
    m_fileName = fileName;
}

void TTextureData::Assign(const TGlobeRoot& source)
{
    const auto* other = dynamic_cast<const TTextureData*>(&source);
    if (!other) {
        TGlobeRoot::Assign(source);
        return;
    }
    if (other->HasImage())
        LoadFromBytes(other->m_image);
    else
        Clear();
}

int32_t TTextureData::RowWidth() const
{
    return HasImage() ? static_cast<int32_t>(m_info.SizeImage / static_cast<uint32_t>(m_info.Height)) : 0;
}

int TTextureData::Texel(int64_t index) const
{
    if (!HasImage() || index < 0 || index >= int64_t { m_info.SizeImage })
        return -1;
    return m_image[static_cast<size_t>(m_fileHeader.OffBits + index)];
}

TPoint TTextureData::GeoToPixel(const TGeoPoint& point) const
{
    const TGeoPoint c0 = m_corners.Point(0), c1 = m_corners.Point(1);
    const int32_t h = ImageHeight();
    const int32_t x = MulDiv(
        Wrap32(int64_t { point.Long } - c0.Long), RowWidth() - 1, Wrap32(int64_t { c1.Long } - c0.Long));
    const int64_t y = h
        - int64_t { MulDiv(Wrap32(int64_t { point.Lat } - c0.Lat), h, Wrap32(int64_t { c1.Lat } - c0.Lat)) }
        - 1;
    return { x, Wrap32(y) };
}

TGeoPoint TTextureData::PixelToGeo(int32_t x, int32_t y) const
{
    const TGeoPoint c0 = m_corners.Point(0), c1 = m_corners.Point(1);
    return MakeGeoPoint(int64_t { c0.Long } + MulDiv(x, Wrap32(int64_t { c1.Long } - c0.Long), RowWidth()),
        Wrap32(int64_t { c0.Lat } + MulDiv(y, Wrap32(int64_t { c1.Lat } - c0.Lat), ImageHeight())));
}

void TTextureData::SetCorner(int32_t longitude, int32_t lat, int32_t pixelX, int32_t pixelY)
{
    const int corner = (pixelX == 0 && pixelY == 0) ? 0 : 1;
    m_corners.SetPoint(corner, { longitude, lat, 0 });
}

int32_t TTextureData::PaletteIndexOf(TColor color) const
{
    if (!HasImage())
        return -1;
    const auto rgb = static_cast<uint32_t>(color);
    const uint32_t red = rgb & 0xFF, green = (rgb >> 8) & 0xFF, blue = (rgb >> 16) & 0xFF;
    const uint32_t entry = blue | green << 8 | red << 16;
    for (size_t i = 0; i < m_palette.size(); ++i)
        if (m_palette[i] == entry)
            return static_cast<int32_t>(i);
    return -1;
}

TColor TTextureData::PaletteColor(int32_t index) const
{
    if (!HasImage() || index < 0 || index > 255)
        return 0;
    const uint32_t entry = m_palette[static_cast<size_t>(index)];
    const uint32_t blue = entry & 0xFF, green = (entry >> 8) & 0xFF, red = (entry >> 16) & 0xFF;
    return static_cast<TColor>(red | green << 8 | blue << 16);
}
