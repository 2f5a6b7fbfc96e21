// TTextureData: a 256-colour bitmap held in memory together with the
// geographic rectangle it covers (surface textures and chart bitmaps).
#pragma once

#include "geo/GlobeRoot.h"
#include "geo/PointStore.h"

#include <array>
#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <vector>

// The 14-byte bitmap file header, as read.
struct TBitmapFileHeader {
    uint16_t Type = 0; // 19,778 = "BM"
    uint32_t Size = 0;
    uint32_t OffBits = 0; // offset of the pixel rows in the file
};

// The 40-byte bitmap information header, as read.
struct TBitmapInfoHeader {
    uint32_t Size = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    uint16_t Planes = 0;
    uint16_t BitCount = 0;
    uint32_t Compression = 0;
    uint32_t SizeImage = 0; // set to width * height when the file gives 0
    int32_t XPelsPerMeter = 0;
    int32_t YPelsPerMeter = 0;
    uint32_t ClrUsed = 0;
    uint32_t ClrImportant = 0;
};

class TTextureData : public TGlobeRoot {
public:
    TTextureData();
    std::string ClassName() const override { return "TTextureData"; }

    // Corner 0 is the top-left (western, northern) geographic position and
    // corner 1 the bottom-right; the whole world at creation.
    TPointStore& Corners() { return m_corners; }
    const TPointStore& Corners() const { return m_corners; }
    const TBitmapInfoHeader& InfoHeader() const { return m_info; }
    const TBitmapFileHeader& FileHeader() const { return m_fileHeader; }
    const std::string& FileName() const { return m_fileName; }
    int32_t TransparentIndex = -1;

    // Accepts only uncompressed 8-bit bottom-up bitmaps whose pixel rows lie
    // inside the data; anything else raises "Globe texture must be a 256
    // color RGB encoded bitmap" and leaves the texture empty.
    void LoadFromBytes(std::vector<uint8_t> bytes);
    void LoadFromStream(std::istream& stream);
    // Clears the image; a missing file leaves it empty, without an error. A
    // file over 256 MiB raises "Bitmap file too large: <name>" unread.
    void LoadFromFile(const std::string& fileName);
    // From another texture: its image is loaded.
    void Assign(const TGlobeRoot& source) override;
    void Clear();

    bool HasImage() const { return !m_image.empty(); }
    // Image size / bitmap height: the row length in bytes.
    int32_t RowWidth() const;
    int32_t ImageHeight() const { return HasImage() ? m_info.Height : 0; }
    // Palette index of the texel at row * RowWidth + column, or -1 outside the
    // pixel rows.
    int Texel(int64_t index) const;
    // The whole bitmap file as loaded.
    const std::vector<uint8_t>& ImageBytes() const { return m_image; }

    // Column and row (bottom-up file order) of a geographic point.
    TPoint GeoToPixel(const TGeoPoint& point) const;
    TGeoPoint PixelToGeo(int32_t x, int32_t y) const;
    // Corner 0 when both pixel numbers are 0, otherwise corner 1.
    void SetCorner(int32_t longitude, int32_t lat, int32_t pixelX, int32_t pixelY);
    // First palette index of the colour ($00BBGGRR), -1 when none or no image.
    int32_t PaletteIndexOf(TColor color) const;
    // The entry's colour; black without an image or outside 0..255.
    TColor PaletteColor(int32_t index) const;

private:
    TPointStore m_corners;
    TBitmapInfoHeader m_info;
    std::string m_fileName;
    std::array<uint32_t, 256> m_palette {}; // blue | green << 8 | red << 16 | reserved << 24
    std::vector<uint8_t> m_image;
    TBitmapFileHeader m_fileHeader;
};
