#include "geo/TextureData.h"
#include "geo/GlobeTypes.h"
#include "platform/GlobeException.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sstream>

namespace {

void PutU16(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    PutU16(b, at, v);
    PutU16(b, at + 2, v >> 16);
}

// A bottom-up bitmap file; pixel bytes are their own index (row * width + x).
std::vector<uint8_t> Bitmap(int width, int height, int bitCount = 8, uint32_t sizeImage = 0)
{
    const size_t offBits = 14 + 40 + 1024;
    std::vector<uint8_t> b(offBits + static_cast<size_t>(width * height));
    PutU16(b, 0, 19778);
    PutU32(b, 2, static_cast<uint32_t>(b.size()));
    PutU32(b, 10, offBits);
    PutU32(b, 14, 40);
    PutU32(b, 18, static_cast<uint32_t>(width));
    PutU32(b, 22, static_cast<uint32_t>(height));
    PutU16(b, 26, 1);
    PutU16(b, 28, static_cast<uint32_t>(bitCount));
    PutU32(b, 34, sizeImage);
    for (int i = 0; i < 256; ++i) // palette entry i: blue i, green 0, red 255 - i
        PutU32(b, 54 + 4 * static_cast<size_t>(i), static_cast<uint32_t>(i | (255 - i) << 16));
    for (int i = 0; i < width * height; ++i)
        b[offBits + static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    return b;
}

void ExpectTextureMessage(TTextureData& t, std::vector<uint8_t> bytes)
{
    try {
        t.LoadFromBytes(std::move(bytes));
        ADD_FAILURE() << "no exception";
    } catch (const EGlobeException& e) {
        EXPECT_STREQ(e.what(), "Globe texture must be a 256 color RGB encoded bitmap");
    }
    EXPECT_FALSE(t.HasImage());
}

} // namespace

TEST(TextureData, StartsAsTheWholeWorldWithoutImage)
{
    TTextureData t;
    EXPECT_EQ(t.Corners().Point(0), (TGeoPoint { -972000000, 486000000, 0 }));
    EXPECT_EQ(t.Corners().Point(1), (TGeoPoint { 972000000, -486000000, 0 }));
    EXPECT_EQ(t.TransparentIndex, -1);
    EXPECT_FALSE(t.HasImage());
    EXPECT_EQ(t.PaletteIndexOf(0), -1);
    EXPECT_EQ(t.PaletteColor(3), 0);
    EXPECT_EQ(t.Texel(0), -1);
}

TEST(TextureData, LoadsAn8BitBitmap)
{
    TTextureData t;
    t.LoadFromBytes(Bitmap(4, 2));
    ASSERT_TRUE(t.HasImage());
    EXPECT_EQ(t.RowWidth(), 4);
    EXPECT_EQ(t.ImageHeight(), 2);
    EXPECT_EQ(t.InfoHeader().SizeImage, 8u); // 0 in the file: width * height
    EXPECT_EQ(t.Texel(5), 5);
    EXPECT_EQ(t.Texel(8), -1);
    EXPECT_EQ(t.Texel(-1), -1);
    // Palette entry 10 is blue 10, red 245: colour $000AF5 in $00BBGGRR.
    EXPECT_EQ(t.PaletteColor(10), 0x0A00F5);
    EXPECT_EQ(t.PaletteIndexOf(0x0A00F5), 10);
    EXPECT_EQ(t.PaletteIndexOf(0x00FF00), -1);
    EXPECT_EQ(t.PaletteColor(256), 0);
}

TEST(TextureData, RejectsOtherBitmapsAndLeavesTheTextureEmpty)
{
    TTextureData t;
    ExpectTextureMessage(t, Bitmap(4, 2, 24));
    auto notBM = Bitmap(4, 2);
    notBM[0] = 'X';
    ExpectTextureMessage(t, notBM);
    auto compressed = Bitmap(4, 2);
    PutU32(compressed, 30, 1);
    ExpectTextureMessage(t, compressed);
    auto truncated = Bitmap(4, 2);
    truncated.resize(truncated.size() - 3);
    ExpectTextureMessage(t, truncated);
    ExpectTextureMessage(t, Bitmap(4, 2, 8, 1000)); // image size beyond the file
    ExpectTextureMessage(t, {});
    auto topDown = Bitmap(4, 2);
    PutU32(topDown, 22, static_cast<uint32_t>(-2));
    ExpectTextureMessage(t, topDown);
    // A good load followed by a bad one leaves nothing behind.
    t.LoadFromBytes(Bitmap(4, 2));
    ExpectTextureMessage(t, Bitmap(4, 2, 24));
}

TEST(TextureData, GeoToPixelAndBack)
{
    TTextureData t;
    t.LoadFromBytes(Bitmap(360, 180));
    // West edge, north edge: column 0, bottom-up row height - 1.
    EXPECT_EQ(t.GeoToPixel({ -972000000, 486000000, 0 }), (TPoint { 0, 179 }));
    EXPECT_EQ(t.GeoToPixel({ 972000000, -486000000, 0 }), (TPoint { 359, -1 }));
    EXPECT_EQ(t.GeoToPixel({ 0, 0, 0 }), (TPoint { 180, 89 })); // MulDiv rounds 179.5 up
    EXPECT_EQ(t.PixelToGeo(0, 0), (TGeoPoint { -972000000, 486000000, 0 }));
    EXPECT_EQ(t.PixelToGeo(180, 90), (TGeoPoint { 0, 0, 0 }));
    t.SetCorner(-10, 20, 0, 0);
    t.SetCorner(30, -40, 359, 179);
    EXPECT_EQ(t.Corners().Point(0), (TGeoPoint { -10, 20, 0 }));
    EXPECT_EQ(t.Corners().Point(1), (TGeoPoint { 30, -40, 0 }));
}

TEST(TextureData, LoadFromFileStreamAndAssign)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("chart.bmp");
    const auto bytes = Bitmap(4, 2);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    f.close();

    TTextureData t;
    t.LoadFromFile(path.toStdString());
    EXPECT_TRUE(t.HasImage());
    EXPECT_EQ(t.FileName(), path.toStdString());
    t.LoadFromFile(path.toStdString() + ".missing");
    EXPECT_FALSE(t.HasImage());

    // A huge file is refused before it is read: a sparse file of 300 MiB.
    const QString huge = QDir(dir.path()).filePath("huge.bmp");
    QFile h(huge);
    ASSERT_TRUE(h.open(QIODevice::WriteOnly));
    h.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    ASSERT_TRUE(h.resize(qint64 { 300 } << 20));
    h.close();
    t.LoadFromFile(path.toStdString());
    try {
        t.LoadFromFile(huge.toStdString());
        ADD_FAILURE() << "no exception";
    } catch (const EGlobeException& e) {
        EXPECT_EQ(e.what(), "Bitmap file too large: " + huge.toStdString());
    }
    EXPECT_FALSE(t.HasImage());

    std::istringstream stream(std::string(bytes.begin(), bytes.end()));
    t.LoadFromStream(stream);
    TTextureData copy;
    copy.Assign(t);
    EXPECT_EQ(copy.ImageBytes(), t.ImageBytes());
}
