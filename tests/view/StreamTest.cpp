#include "geo/GlobeStream.h"
#include "platform/BoundedReader.h"
#include "platform/GlobeException.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint8_t> Written(void (*write)(TGlobeStreamWriter&))
{
    TGlobeStreamWriter writer;
    write(writer);
    return writer.Bytes();
}

} // namespace

TEST(GlobeStream, PrimitivesAreLittleEndianWithoutGaps)
{
    const auto bytes = Written([](TGlobeStreamWriter& w) {
        w.WriteBoolean(true);
        w.WriteBoolean(false);
        w.WriteWord(0x1234);
        w.WriteShortInt(-2);
        w.WriteSmallInt(-3);
        w.WriteInteger(0x01020304);
        w.WriteShortString("ab");
        w.WriteMER({ 1, 2, 3, 4 });
    });
    const std::vector<uint8_t> expected { 'T', 'F', 0x34, 0x12, 0xFE, 0xFD, 0xFF, 0x04, 0x03, 0x02, 0x01, 2,
        'a', 'b', 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0 };
    EXPECT_EQ(bytes, expected);

    TBoundedReader bounded(bytes, "test");
    TGlobeStreamReader r(bounded);
    EXPECT_TRUE(r.ReadBoolean());
    EXPECT_FALSE(r.ReadBoolean());
    EXPECT_EQ(r.ReadWord(), 0x1234);
    EXPECT_EQ(r.ReadShortInt(), -2);
    EXPECT_EQ(r.ReadSmallInt(), -3);
    EXPECT_EQ(r.ReadInteger(), 0x01020304);
    EXPECT_EQ(r.ReadShortString(), "ab");
    EXPECT_EQ(r.ReadMER(), (TMER { 1, 2, 3, 4 }));
}

TEST(GlobeStream, BooleanIsTrueOnlyForT)
{
    const std::vector<uint8_t> bytes { 0x01, 'T', 't' };
    TBoundedReader bounded(bytes, "test");
    TGlobeStreamReader r(bounded);
    EXPECT_FALSE(r.ReadBoolean());
    EXPECT_TRUE(r.ReadBoolean());
    EXPECT_FALSE(r.ReadBoolean());
}

TEST(GlobeStream, ShortStringsAreCutTo255)
{
    TGlobeStreamWriter w;
    w.WriteShortString(std::string(300, 'x'));
    ASSERT_EQ(w.Bytes().size(), 256u);
    EXPECT_EQ(w.Bytes()[0], 255);
}

TEST(GlobeStream, GeoPointsPlainAndOnTheMinuteGrid)
{
    TGlobeStreamWriter w;
    w.WriteGeoPoint({ 5400000, -2700000, 90000 }, true, true);
    w.WriteGeoPoint({ 5400001, -2700001, 7 }, false, false);
    const std::vector<uint8_t> expected { 60, 0, 0xE2, 0xFF, 1, 0, 0xC1, 0x65, 0x52, 0x00, 0x1F, 0xCD, 0xD6,
        0xFF };
    EXPECT_EQ(w.Bytes(), expected);
    TBoundedReader bounded(w.Bytes(), "test");
    TGlobeStreamReader r(bounded);
    EXPECT_EQ(r.ReadGeoPoint(true, true), (TGeoPoint { 5400000, -2700000, 90000 }));
    EXPECT_EQ(r.ReadGeoPoint(false, false), (TGeoPoint { 5400001, -2700001, 0 }));
}

TEST(GlobeStream, ReadingPastTheEndRaises)
{
    const std::vector<uint8_t> bytes { 1, 2, 3 };
    TBoundedReader bounded(bytes, "layer.lyr");
    TGlobeStreamReader r(bounded);
    EXPECT_THROW(r.ReadInteger(), EGlobeException);
    EXPECT_EQ(r.ReadWord(), 0x0201);
    EXPECT_THROW(r.ReadShortString(), EGlobeException); // length 3, no text
    uint8_t buffer[4];
    TBoundedReader again(bytes, "layer.lyr");
    TGlobeStreamReader r2(again);
    EXPECT_EQ(r2.Read(buffer, 4), 3);
    EXPECT_THROW(r2.ReadBuffer(buffer, 1), EGlobeException);
}

TEST(GlobeStream, FileVersionIsProcessWide)
{
    EXPECT_EQ(GLOBE_FILE_VERSION, 1029);
    SetGlobeFileVersion(768);
    EXPECT_EQ(GlobeFileVersion(), 768);
    SetGlobeFileVersion(GLOBE_FILE_VERSION);
}
