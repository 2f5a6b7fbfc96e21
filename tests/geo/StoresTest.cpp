#include "geo/ChainStore.h"
#include "geo/DevicePoints.h"
#include "geo/DynArray.h"
#include "geo/GeoMath.h"
#include "geo/PointStore.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

constexpr int32_t DEG = GU_DEGREE;

std::unique_ptr<TPointStore> Chain(std::initializer_list<std::pair<double, double>> degrees)
{
    auto store = std::make_unique<TPointStore>();
    for (const auto& [lon, lat] : degrees)
        store->Add({ Rnd(lon * DEG), Rnd(lat * DEG), 0 });
    return store;
}

} // namespace

TEST(DynArray, CountsZeroFillAndEdits)
{
    TDynArray<int> a(3);
    EXPECT_EQ(a.Count(), 3);
    EXPECT_EQ(a[2], 0);
    a[0] = 10;
    a[1] = 11;
    a[2] = 12;
    a.Insert(1);
    EXPECT_EQ(a.Count(), 4);
    EXPECT_EQ(a[1], 0);
    EXPECT_EQ(a[2], 11);
    a.Insert(99); // past the end appends
    EXPECT_EQ(a.Count(), 5);
    a.Delete(7); // outside: ignored
    a.Delete(-1);
    EXPECT_EQ(a.Count(), 5);
    a.Delete(1);
    EXPECT_EQ(a[1], 11);
    a.Move(0, 2); // 11 12 10 0
    EXPECT_EQ(a[0], 11);
    EXPECT_EQ(a[2], 10);
    a.Move(0, 9); // outside: nothing
    EXPECT_EQ(a[0], 11);
    EXPECT_EQ(a.IndexOf(10), 2);
    EXPECT_EQ(a.IndexOf(77), -1);
    a.SetLength(6);
    EXPECT_EQ(a[5], 0);
    EXPECT_THROW(a[6], std::out_of_range);
}

TEST(DynArray, NullHoldersRaiseInvalidParameter)
{
    std::unique_ptr<TDynArray<int>> none;
    try {
        DynArraySetLength(none, 3);
        FAIL();
    } catch (const EGlobeException& e) {
        EXPECT_STREQ(e.what(), "DynArraySetLength: Invalid Parameter");
    }
    try {
        DynArrayMove(none, 0, 1);
        FAIL();
    } catch (const EGlobeException& e) {
        EXPECT_STREQ(e.what(), "DynArrayMove: Invalid Parameter");
    }
    EXPECT_EQ(DynArrayClone<int>(nullptr), nullptr);
    auto a = DynArrayCreate<int>(2);
    (*a)[1] = 5;
    auto copy = DynArrayClone(a.get());
    (*a)[1] = 6;
    EXPECT_EQ((*copy)[1], 5);
    EXPECT_THROW(a->SetLength(-1), EGlobeException);
}

TEST(PointStore, PointsWithAndWithoutHeight)
{
    TPointStore s;
    EXPECT_EQ(s.Count(), 0);
    s.SetCount(2);
    EXPECT_EQ(s.Point(1), (TGeoPoint { 0, 0, 0 }));
    s.SetPoint(0, { 1, 2, 3 });
    EXPECT_EQ(s.Point(0), (TGeoPoint { 1, 2, 0 })); // no height stored
    s.SetStoreHeight(true);
    EXPECT_EQ(s.ChainFlags() & TPointStore::cfStoreHeight, TPointStore::cfStoreHeight);
    s.SetPoint(0, { 1, 2, 3 });
    EXPECT_EQ(s.Point(0), (TGeoPoint { 1, 2, 3 }));
    // Switching off and on again loses the heights.
    s.SetStoreHeight(false);
    s.SetStoreHeight(true);
    EXPECT_EQ(s.Point(0), (TGeoPoint { 1, 2, 0 }));
    EXPECT_EQ(s.Count(), 2);
    EXPECT_THROW(s.Point(2), std::out_of_range);
}

TEST(PointStore, InsertDeleteAddCloneTranslate)
{
    TPointStore s;
    s.Add({ 1, 1, 0 });
    s.Add({ 3, 3, 0 });
    s.Insert(1, { 2, 2, 0 });
    EXPECT_EQ(s.Point(1), (TGeoPoint { 2, 2, 0 }));
    s.Delete(0);
    s.Delete(5);
    EXPECT_EQ(s.Count(), 2);
    EXPECT_EQ(s.Point(0), (TGeoPoint { 2, 2, 0 }));
    s.SetEncodingFlags(TPointStore::cfDeltaEncoded);
    auto copy = s.Clone();
    EXPECT_EQ(copy->ChainFlags(), TPointStore::cfDeltaEncoded);
    s.Translate(10, -10, 5);
    EXPECT_EQ(s.Point(1), (TGeoPoint { 13, -7, 0 }));
    EXPECT_EQ(copy->Point(1), (TGeoPoint { 3, 3, 0 }));
    EXPECT_EQ(s.MemorySize(), static_cast<int32_t>(sizeof(TPointStore) + 2 * 8));
}

TEST(PointStore, Cached3DPointsAreSharedUntilAnEdit)
{
    auto s = Chain({ { 0, 0 }, { 90, 0 } });
    auto first = s->Get3DPoints(true);
    auto second = s->Get3DPoints(true);
    EXPECT_EQ(first.get(), second.get());
    EXPECT_EQ((*first)[1], (TPoint3D { GU_GLOBE_RADIUS, 0, 0 }));
    EXPECT_EQ(s->MemorySize(), static_cast<int32_t>(sizeof(TPointStore) + 2 * 8 + 2 * 12));
    s->SetPoint(0, { 0, 90 * DEG, 0 });
    EXPECT_FALSE(s->HasCached3DPoints());
    // The caller's array stays valid after the store dropped it.
    EXPECT_EQ((*first)[0], (TPoint3D { 0, 0, GU_GLOBE_RADIUS }));
    auto own = s->Get3DPoints(false);
    EXPECT_FALSE(s->HasCached3DPoints());
    EXPECT_EQ((*own)[0], (TPoint3D { 0, GU_GLOBE_RADIUS, 0 }));
}

TEST(PointStore, MERAcrossTheAntimeridianAndAroundThePole)
{
    const struct {
        const char* name;
        std::unique_ptr<TPointStore> chain;
        TMER expected;
    } rows[] = {
        { "one side", Chain({ { 10, 5 }, { 30, -5 }, { 20, 15 } }),
            MakeMER(10 * DEG, -5 * DEG, 20 * DEG, 20 * DEG) },
        { "170E to 170W", Chain({ { 170, 0 }, { -170, 10 } }), MakeMER(918000000, 0, 108000000, 10 * DEG) },
        { "ring round the north pole", Chain({ { -135, 80 }, { -45, 80 }, { 45, 80 }, { 135, 80 } }),
            MakeMER(-971999999, 80 * DEG, 1943999998, 0) },
        { "one point", Chain({ { 12, 34 } }), MakeMER(12 * DEG, 34 * DEG, 0, 0) },
        { "empty", Chain({}), MakeMER(0, 0, 0, 0) },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(r.chain->GetMER(), r.expected);
    }
}

TEST(PointStore, Centroid)
{
    auto square = Chain({ { 10, 10 }, { 20, 10 }, { 20, 20 }, { 10, 20 } });
    const TCentroid c = square->Centroid();
    EXPECT_NEAR(c.point.Long, 15 * DEG, 1);
    EXPECT_NEAR(c.point.Lat, 15 * DEG, 1);
    EXPECT_GT(c.area, 0); // anticlockwise in (long, lat)
    // Two points: truncated midpoint, area 0.
    TPointStore two;
    two.Add({ 1, 1, 0 });
    two.Add({ 4, -4, 0 });
    EXPECT_EQ(two.Centroid().point, (TGeoPoint { 2, -1, 0 }));
    EXPECT_EQ(two.Centroid().area, 0);
    // A ring of zero area (all on one latitude) answers its MER centre.
    auto flat = Chain({ { 10, 5 }, { 20, 5 }, { 30, 5 }, { 10, 5 } });
    EXPECT_EQ(flat->Centroid().point, (TGeoPoint { 20 * DEG, 5 * DEG, 0 }));
    EXPECT_EQ(flat->Centroid().area, 0);
    // A square across the antimeridian has its centre at 180.
    auto across = Chain({ { 170, 0 }, { -170, 0 }, { -170, 10 }, { 170, 10 } });
    const TGeoPoint a = across->Centroid().point;
    EXPECT_NEAR(std::abs(a.Long), 180 * DEG, 2);
    EXPECT_NEAR(a.Lat, 5 * DEG, 2);
}

TEST(PointStore, PointOnPolylineAndInPolygon)
{
    auto line = Chain({ { 0, 0 }, { 10, 0 }, { 10, 10 } });
    EXPECT_TRUE(line->PointOnPolyline(5 * DEG, 100, 200));
    EXPECT_TRUE(line->PointOnPolyline(10 * DEG + 100, 5 * DEG, 200));
    // The chain is not closed here.
    EXPECT_FALSE(line->PointOnPolyline(5 * DEG, 5 * DEG, 200));
    EXPECT_FALSE(TPointStore().PointOnPolyline(0, 0, 10));

    auto square = Chain({ { -10, -10 }, { 10, -10 }, { 10, 10 }, { -10, 10 } });
    EXPECT_TRUE(square->PointInPolygon(0, 0, 3));
    EXPECT_FALSE(square->PointInPolygon(20 * DEG, 0, 3));
    EXPECT_FALSE(TPointStore().PointInPolygon(0, 0, 3));
    // Side 1 considers only the western points.
    auto west = Chain({ { -20, -10 }, { -5, -10 }, { -5, 10 }, { -20, 10 } });
    EXPECT_TRUE(west->PointInPolygon(-10 * DEG, 0, 1));
    EXPECT_FALSE(west->PointInPolygon(-30 * DEG, 0, 1));
}

TEST(ChainStore, ReadingAChainCreatesIt)
{
    TChainStore store;
    EXPECT_EQ(store.Count(), 0);
    TPointStore& fifth = store.Chain(5);
    EXPECT_EQ(store.Count(), 6);
    EXPECT_EQ(fifth.Count(), 0);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(store.Chain(i).Count(), 0);
    store.SetCount(2);
    EXPECT_EQ(store.Count(), 2);
    EXPECT_THROW(store.Chain(-1), std::out_of_range);
}

TEST(ChainStore, StoreHeightReachesEveryChain)
{
    TChainStore store;
    store.Chain(1);
    store.SetStoreHeight(true);
    EXPECT_TRUE(store.Chain(0).StoreHeight());
    EXPECT_TRUE(store.Chain(1).StoreHeight());
    EXPECT_TRUE(store.Chain(3).StoreHeight()); // new chains follow the store
}

TEST(ChainStore, AddReplaceDelete)
{
    TChainStore store;
    EXPECT_EQ(store.AddChain(Chain({ { 1, 1 } })), 0);
    EXPECT_EQ(store.AddChain(Chain({ { 2, 2 }, { 3, 3 } })), 1);
    store.ReplaceChain(0, Chain({ { 4, 4 }, { 5, 5 }, { 6, 6 } }));
    EXPECT_EQ(store.Chain(0).Count(), 3);
    store.DeleteChain(0);
    EXPECT_EQ(store.Count(), 1);
    EXPECT_EQ(store.Chain(0).Count(), 2);
    store.DeleteChain(4);
    EXPECT_EQ(store.Count(), 1);
    TChainStore copy;
    copy.Assign(store);
    EXPECT_EQ(copy.Chain(0).Point(1), store.Chain(0).Point(1));
}

TEST(ChainStore, MERJoinsChainsAndIgnoresLaterEmptyOnes)
{
    TChainStore store;
    EXPECT_EQ(store.GetMER(), MakeMER(0, 0, 0, 0));
    store.AddChain(Chain({ { 170, 0 }, { 175, 5 } }));
    store.AddChain(Chain({ { -178, -5 }, { -176, 0 } }));
    store.AddChain(Chain({})); // no points: ignored
    store.AddChain(Chain({ { 0, 60 } })); // one point: an empty MER, ignored too
    EXPECT_EQ(store.GetMER(), MakeMER(170 * DEG, -5 * DEG, 14 * DEG, 10 * DEG));
}

TEST(ChainStore, CentroidWeightsByAreaAndSurvivesZeroArea)
{
    TChainStore store;
    EXPECT_EQ(store.Centroid(), (TGeoPoint {}));
    store.AddChain(Chain({ { 0, 0 }, { 10, 0 }, { 10, 10 }, { 0, 10 } }));
    store.AddChain(Chain({ { 20, 0 }, { 30, 0 }, { 30, 10 }, { 20, 10 } }));
    const TGeoPoint c = store.Centroid();
    EXPECT_NEAR(c.Long, 15 * DEG, 2);
    EXPECT_NEAR(c.Lat, 5 * DEG, 2);
    // Open two-point chains have no area: the MER centre, no division by zero.
    TChainStore lines;
    lines.AddChain(Chain({ { 0, 0 }, { 10, 10 } }));
    lines.AddChain(Chain({ { 20, 0 }, { 30, 4 } }));
    EXPECT_EQ(lines.Centroid(), (TGeoPoint { 15 * DEG, 5 * DEG, 0 }));
}

TEST(DevicePoints, WritesPastTheCapacityGrowTheBuffer)
{
    TDevicePointBuffer buffer;
    EXPECT_EQ(buffer.Capacity(), DEVICE_POINTS_CAPACITY);
    buffer.Put(DEVICE_POINTS_CAPACITY + 5, { 7, 8 });
    EXPECT_GE(buffer.Capacity(), DEVICE_POINTS_CAPACITY + 6);
    EXPECT_EQ(buffer.Get(DEVICE_POINTS_CAPACITY + 5), (TPoint { 7, 8 }));
    EXPECT_THROW(buffer.Put(-1, {}), std::out_of_range);
    EXPECT_THROW(buffer.Get(buffer.Capacity()), std::out_of_range);
}
