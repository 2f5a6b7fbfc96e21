#include "geo/ObjectRecord.h"
#include "geo/BitmapObject.h"
#include "geo/GeoDataObject.h"
#include "geo/GlobeStream.h"
#include "platform/BoundedReader.h"
#include "platform/GlobeException.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Record(TGlobeObject& object)
{
    TGlobeStreamWriter writer;
    object.SaveToStream(writer);
    return writer.Bytes();
}

std::unique_ptr<TGeoDataObject> ReadBackObject(const Bytes& bytes)
{
    TBoundedReader bounded(bytes, "record");
    TGlobeStreamReader reader(bounded);
    auto object = std::make_unique<TGeoDataObject>(nullptr);
    object->LoadFromStream(reader);
    EXPECT_TRUE(bounded.AtEnd());
    return object;
}

std::unique_ptr<TGeoDataObject> PolylineObject(const std::vector<TGeoPoint>& points)
{
    auto object = std::make_unique<TGeoDataObject>(nullptr);
    for (const TGeoPoint& p : points)
        object->Chains.Chain(0).Add(p);
    return object;
}

std::vector<TGeoPoint> Points(TGeoDataObject& object, int chain = 0)
{
    std::vector<TGeoPoint> points;
    for (int i = 0; i < object.Chains.Chain(chain).Count(); ++i)
        points.push_back(object.Chains.Chain(chain).Point(i));
    return points;
}

constexpr int32_t MINUTE = GU_MINUTE;
constexpr int32_t DEGREE = GU_DEGREE;

} // namespace

TEST(ObjectRecord, PolylineOnTheMinuteGridIsFourteenBytes)
{
    const auto lineOwner = PolylineObject({ { 0, 0, 0 }, { DEGREE, 0, 0 }, { DEGREE, DEGREE, 0 } });
    TGeoDataObject& line = *lineOwner;
    const Bytes expected { 0x18, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3C, 0x00, 0x00,
        0x3C };
    EXPECT_EQ(Record(line), expected);
    const auto backOwner = ReadBackObject(expected);
    TGeoDataObject& back = *backOwner;
    EXPECT_EQ(Points(back), Points(line));
    EXPECT_EQ(back.SaveFlags, ofMinuteGrid | ofDeltaEncoded);
}

TEST(ObjectRecord, StepsBeyondTheEscapeAreWrittenInFull)
{
    struct Case {
        const char* name;
        int32_t step;
        Bytes expectedTail; // the bytes of the second point
    };
    const Case cases[] = {
        { "126 minutes on the grid", 126 * MINUTE, { 126, 0 } },
        { "127 minutes on the grid", 127 * MINUTE, { 0x7F, 0x7F, 0x00, 0x00, 0x00 } },
        { "-127 minutes on the grid", -127 * MINUTE, { 0x7F, 0x81, 0xFF, 0x00, 0x00 } },
        { "30,000 off the grid", 30000, { 0x30, 0x75, 0x00, 0x00 } },
        // A SmallInt cannot hold 40,000: escaped, not wrapped.
        { "40,000 off the grid", 40000, { 0xFF, 0x7F, 0x40, 0x9C, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00 } },
        { "40,000,000 off the grid", 40000000,
            { 0xFF, 0x7F, 0x00, 0x5A, 0x62, 0x02, 0x01, 0x00, 0x00, 0x00 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool grid = c.step % MINUTE == 0;
        const int32_t lat = grid ? 0 : 1;
        // Enough small steps after it that delta encoding pays.
        std::vector<TGeoPoint> points { { 0, lat, 0 }, { c.step, lat, 0 } };
        for (int k = 1; k <= 8; ++k)
            points.push_back({ c.step, lat + k * (grid ? MINUTE : 1), 0 });
        const auto lineOwner = PolylineObject(points);
        TGeoDataObject& line = *lineOwner;
        const Bytes bytes = Record(line);
        const size_t firstPoint = 6 + (grid ? 4 : 8);
        ASSERT_GT(bytes.size(), firstPoint + c.expectedTail.size());
        EXPECT_EQ(bytes[0] & ofDeltaEncoded, ofDeltaEncoded);
        EXPECT_EQ(Bytes(bytes.begin() + firstPoint, bytes.begin() + firstPoint + c.expectedTail.size()),
            c.expectedTail);
        const auto backOwner = ReadBackObject(bytes);
        TGeoDataObject& back = *backOwner;
        EXPECT_EQ(Points(back), Points(line));
    }
}

TEST(ObjectRecord, PointCountsAboveAWordUseAnInteger)
{
    for (const int count : { 65535, 65536 }) {
        TGeoDataObject line(nullptr);
        TPointStore& chain = line.Chains.Chain(0);
        for (int i = 0; i < count; ++i)
            chain.Add({ (i % 1000) * 7, i / 1000, 0 });
        const Bytes bytes = Record(line);
        const bool longCount = count > 65535;
        EXPECT_EQ((bytes[0] & ofLongCount) != 0, longCount);
        const size_t countAt = 4;
        if (longCount)
            EXPECT_EQ(Bytes(bytes.begin() + countAt, bytes.begin() + countAt + 4),
                (Bytes { 0x00, 0x00, 0x01, 0x00 }));
        else
            EXPECT_EQ(Bytes(bytes.begin() + countAt, bytes.begin() + countAt + 2), (Bytes { 0xFF, 0xFF }));
        const auto backOwner = ReadBackObject(bytes);
        TGeoDataObject& back = *backOwner;
        EXPECT_EQ(Points(back), Points(line));
    }
}

TEST(ObjectRecord, SavingDropsRepeatedPointsFromIndexTwoOn)
{
    std::vector<TGeoPoint> points;
    for (int i = 0; i < 9; ++i)
        points.push_back({ i * 1000 + 1, 5, 0 });
    points[1] = points[0];
    points[6] = points[5];
    const auto lineOwner = PolylineObject(points);
    TGeoDataObject& line = *lineOwner;
    ReadBackObject(Record(line));
    EXPECT_EQ(line.Chains.Chain(0).Count(), 8);
    EXPECT_EQ(line.Chains.Chain(0).Point(0), line.Chains.Chain(0).Point(1));
    EXPECT_NE(line.Chains.Chain(0).Point(5), line.Chains.Chain(0).Point(6));
}

TEST(ObjectRecord, TitlesAndOptionalFields)
{
    TGeoDataObject point(nullptr);
    point.SetCentroid({ 3, 4, 0 });
    EXPECT_EQ(Record(point), (Bytes { 0x20, 0x00, 0x00, 0x00, 3, 0, 0, 0, 4, 0, 0, 0 }));

    point.Title = std::string(300, 'x');
    point.ID = 7;
    point.GUID = "{g}";
    point.ZoomMin = 1;
    point.ZoomMax = 2;
    point.SetPresenterID(-2);
    const Bytes bytes = Record(point);
    EXPECT_EQ(bytes[0], 0x20 | ofTitle | ofID | ofZoomRange);
    EXPECT_EQ(bytes[1], ofGUID >> 8);
    EXPECT_EQ(bytes[2], 255);
    const auto backOwner = ReadBackObject(bytes);
    TGeoDataObject& back = *backOwner;
    EXPECT_EQ(back.Title, std::string(255, 'x'));
    EXPECT_EQ(back.ID, 7);
    EXPECT_EQ(back.GUID, "{g}");
    EXPECT_EQ(back.ZoomMax, 2);
    EXPECT_EQ(back.PresenterID(), -2);
    EXPECT_EQ(back.GetCentroid(), (TGeoPoint { 3, 4, 0 }));
}

TEST(ObjectRecord, SeveralChainsWithTheirOwnFlagsRoundTrip)
{
    std::mt19937 random(5);
    std::uniform_int_distribution<int32_t> coordinate(-400000000, 400000000);
    TGeoDataObject polygon(nullptr);
    polygon.SetClosed(true);
    for (int chain = 0; chain < 4; ++chain) {
        TPointStore& store = polygon.Chains.Chain(chain);
        store.SetStoreHeight(chain == 2);
        for (int i = 0; i < 30 + chain; ++i) {
            const bool grid = chain == 1;
            const int32_t step = chain == 3 ? 100 : coordinate(random);
            TGeoPoint p { grid ? (i * 3) * MINUTE : step * (chain == 3 ? i : 1), grid ? -i * MINUTE : i * 11,
                chain == 2 ? i * 5 : 0 };
            store.Add(p);
        }
    }
    const Bytes bytes = Record(polygon);
    EXPECT_EQ(bytes[1] & (ofChainCount >> 8), ofChainCount >> 8);
    const auto backOwner = ReadBackObject(bytes);
    TGeoDataObject& back = *backOwner;
    EXPECT_TRUE(back.Closed());
    ASSERT_EQ(back.Chains.Count(), 4);
    for (int chain = 0; chain < 4; ++chain)
        EXPECT_EQ(Points(back, chain), Points(polygon, chain)) << chain;
    EXPECT_TRUE(back.Chains.Chain(2).StoreHeight());
    EXPECT_FALSE(back.Chains.Chain(0).StoreHeight());
}

TEST(ObjectRecord, HeightsOffTheGridKeepTheirValue)
{
    const auto lineOwner = PolylineObject({ { 0, 0, 4860 }, { MINUTE, 0, 0 }, { MINUTE, MINUTE, 0 } });
    TGeoDataObject& line = *lineOwner;
    line.Chains.Chain(0).SetStoreHeight(true);
    line.Chains.Chain(0).SetPoint(0, { 0, 0, 4860 });
    const auto backOwner = ReadBackObject(Record(line));
    TGeoDataObject& back = *backOwner;
    EXPECT_EQ(back.Chains.Chain(0).Point(0).Height, 4860);
}

TEST(ObjectRecord, BitmapObjectRecord)
{
    TBitmapObject bitmap(nullptr);
    bitmap.SetCentroid({ 10, 20, 0 });
    bitmap.SetGlobeUnitsPerPixel(1, 3);
    bitmap.SetGlobeUnitsPerPixel(2, 4);
    bitmap.Title = "T";
    TGlobeStreamWriter writer;
    bitmap.SaveToStream(writer);
    const Bytes expected { 0x01, 0x00, 1, 'T', 0, 0, 10, 0, 0, 0, 20, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 0xFF,
        0xFF, 0xFF, 0xFF, 0 };
    EXPECT_EQ(writer.Bytes(), expected);
    TBoundedReader bounded(expected, "bitmap");
    TGlobeStreamReader reader(bounded);
    TBitmapObject back(nullptr);
    back.LoadFromStream(reader);
    EXPECT_EQ(back.GetCentroid().Lat, 20);
    EXPECT_EQ(back.GlobeUnitsPerYPixel(), 4);
    EXPECT_EQ(back.Title, "T");
}

TEST(ObjectRecord, TruncatedAndImpossibleRecordsRaise)
{
    const auto lineOwner = PolylineObject({ { 0, 0, 0 }, { DEGREE, 0, 0 }, { DEGREE, DEGREE, 0 } });
    TGeoDataObject& line = *lineOwner;
    const Bytes bytes = Record(line);
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_THROW(ReadBackObject(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n))),
            EGlobeException)
            << n;
    // A long count of two billion points in a record of a few bytes.
    const Bytes huge { 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x78, 1, 2, 3, 4 };
    EXPECT_THROW(ReadBackObject(huge), EGlobeException);
}
