#include "FakeGlobe.h"

#include "geo/CartesianPrj.h"
#include "geo/GXml.h"
#include "geo/PointStore.h"
#include "geo/SphericalPrj.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr int32_t DEG = GU_DEGREE;
const TPoint SENTINEL { -12345, -54321 };

TGeoPoint Geo(double lon, double lat, int32_t height = 0)
{
    return { Rnd(lon * DEG), Rnd(lat * DEG), height };
}

// A 640 x 480 globe at a given scale, rotations and model.
struct View {
    explicit View(
        const char* model, long double scale = 1e-6L, long double xRotation = 0, long double yRotation = 0)
    {
        TGlobeProjection& p = *globe.projection;
        p.SetProjectionClass(model);
        p.SetXAxisChanges(TXAxisChanges::xaNoAction);
        p.SetYAxisChanges(TYAxisChanges::yaNoAction);
        p.SetXRotation(xRotation);
        p.SetYRotation(yRotation);
        p.SetCentralMeridian(0);
        p.SetScaleFactor(scale);
        p.SetOrigin({ 320, 240 });
    }
    TGlobeProjection& projection() { return *globe.projection; }
    TCustomProjectionModel& model() { return globe.projection->ProjectionModel(); }
    FakeGlobe globe;
};

// Takes every step-th pixel of the canvas that onMap accepts and the model
// puts on the map, turns it into a geographic point and projects that back;
// answers how many pixels came back within one pixel.
template <typename Filter> int CheckScreenToGeoInverts(TCustomProjectionModel& m, int step, Filter onMap)
{
    int checked = 0;
    for (int y = 0; y < 480; y += step)
        for (int x = 0; x < 640; x += step) {
            if (!onMap(x, y) || !m.ScreenToGeo(x, y, 0))
                continue;
            const TPoint geo = DevicePoints().Get(0);
            EXPECT_TRUE(m.ProjectPoint(MakeGeoPoint(geo.X, geo.Y), 0)) << x << "," << y;
            const TPoint back = DevicePoints().Get(0);
            if (std::abs(back.X - x) > 1 || std::abs(back.Y - y) > 1) {
                ADD_FAILURE() << x << "," << y << " came back as " << back.X << "," << back.Y;
                return checked;
            }
            ++checked;
        }
    return checked;
}

// A 2 x 2 8-bit bitmap file: surfaces only need a texture that has an image.
std::vector<uint8_t> TinyBitmap()
{
    constexpr size_t offBits = 14 + 40 + 1024;
    std::vector<uint8_t> bmp(offBits + 4, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    bmp[10] = static_cast<uint8_t>(offBits & 0xFF);
    bmp[11] = static_cast<uint8_t>(offBits >> 8);
    bmp[14] = 40;
    bmp[18] = 2; // width
    bmp[22] = 2; // height
    bmp[26] = 1;
    bmp[28] = 8; // bits per pixel
    return bmp;
}

std::unique_ptr<TPointStore> Chain(const std::vector<TGeoPoint>& points)
{
    auto store = std::make_unique<TPointStore>();
    for (const TGeoPoint& p : points)
        store->Add(p);
    return store;
}

} // namespace

// --- Spherical model ---------------------------------------------------------

TEST(SphericalPrj, NearSideFarSideAndRim)
{
    View v("TSphericalPrj");
    TCustomProjectionModel& m = v.model();
    const long double r = 1e-6L * GU_GLOBE_RADIUS;
    EXPECT_TRUE(m.ProjectPoint(Geo(0, 0), 0));
    EXPECT_EQ(DevicePoints().Get(0), (TPoint { 320, 240 }));
    EXPECT_TRUE(m.ProjectPoint(Geo(90, 0), 0));
    EXPECT_EQ(DevicePoints().Get(0), (TPoint { 320 + Rnd(r), 240 }));
    EXPECT_FALSE(m.ProjectPoint(Geo(180, 0), 0));
    v.projection().FarSidePass = true;
    EXPECT_TRUE(m.ProjectPoint(Geo(180, 0), 0));
    EXPECT_FALSE(m.ProjectPoint(Geo(0, 0), 0));
    v.projection().FarSidePass = false;
    // A raised far-side point shows when it sticks out beyond the rim.
    EXPECT_TRUE(m.ProjectPoint(Geo(91, 0, 10000000), 0));
    EXPECT_FALSE(m.ProjectPoint(Geo(91, 0), 0));
    EXPECT_FALSE(m.ProjectPoint(Geo(170, 0, 10000000), 0));
    // North is up.
    m.ProjectPoint(Geo(0, 45), 0);
    EXPECT_LT(DevicePoints().Get(0).Y, 240);
}

TEST(SphericalPrj, XRotationIsClampedByTheModel)
{
    View v("TSphericalPrj");
    v.projection().SetXRotation(120);
    EXPECT_EQ(v.projection().XRotation(), 90);
    v.projection().SetXRotation(-100);
    EXPECT_EQ(v.projection().XRotation(), -90);
    v.projection().SetZRotation(200);
    EXPECT_EQ(v.projection().ZRotation(), -160);
}

TEST(SphericalPrj, MatchesTheOrthographicReference)
{
    // proj +proj=ortho +lat_0=23.5 +lon_0=30 +R=309397230, in GlobeUnits.
    const struct {
        double lon, lat, x, y;
    } rows[] = {
        { 30, 23.5, 0, 0 },
        { 0, 0, -154698615.0000, -106843162.6123 },
        { 45, 60, 40038947.8130, 186138419.6116 },
        { -20, 10, -233411283.4779, -28826914.5149 },
        { 80, 40, 181561747.5823, 121633105.8893 },
        { 30, -50, 0, -296656170.0376 },
        { -30, -20, -251786748.3899, -155009186.9762 },
        { 170, 80, 34534577.5626, 295836460.2431 },
    };
    View v("TSphericalPrj", 1e-6L, 23.5L, 30);
    for (const auto& r : rows) {
        SCOPED_TRACE(::testing::Message() << r.lon << ", " << r.lat);
        ASSERT_TRUE(v.model().ProjectPoint(Geo(r.lon, r.lat), 0));
        const TPoint p = DevicePoints().Get(0);
        EXPECT_NEAR(p.X, 320 + r.x * 1e-6, 0.5 + 1e-6);
        EXPECT_NEAR(p.Y, 240 - r.y * 1e-6, 0.5 + 1e-6);
    }
    // Beyond the horizon (angular distance over 90 degrees): not visible.
    EXPECT_FALSE(v.model().ProjectPoint(Geo(-150, -23.5), 0));
}

TEST(SphericalPrj, ScreenToGeoInvertsProjectPoint)
{
    View v("TSphericalPrj", 1e-6L, 23.5L, 30);
    EXPECT_GT(CheckScreenToGeoInverts(v.model(), 7, [](int, int) { return true; }), 3000);
}

TEST(SphericalPrj, ScreenToGeoAtAndBeyondTheRim)
{
    View v("TSphericalPrj", 0.5L); // radius 154,698,615 pixels exactly
    TCustomProjectionModel& m = v.model();
    const int32_t r = GU_GLOBE_RADIUS / 2;
    DevicePoints().Put(0, SENTINEL);
    EXPECT_FALSE(m.ScreenToGeo(320 + r + 1, 240, 0));
    EXPECT_EQ(DevicePoints().Get(0), SENTINEL);
    EXPECT_TRUE(m.ScreenToGeo(320 + r, 240, 0));
    EXPECT_NEAR(DevicePoints().Get(0).X, 90 * DEG, 1);
    EXPECT_EQ(DevicePoints().Get(0).Y, 0);
}

TEST(SphericalPrj, OpenChainsKeepTheFrontClosedChainsUseTheRim)
{
    View v("TSphericalPrj");
    auto chain = Chain({ Geo(0, 0), Geo(60, 0), Geo(120, 30), Geo(150, -30) });
    EXPECT_EQ(v.model().ProjectChain(*chain, 0, false), 2);
    EXPECT_EQ(v.model().ProjectChain(*chain, 0, true), 4);
    const long double r = 1e-6L * GU_GLOBE_RADIUS;
    for (int i = 2; i < 4; ++i) {
        const TPoint p = DevicePoints().Get(i);
        EXPECT_NEAR(std::hypot(p.X - 320.0, p.Y - 240.0), static_cast<double>(r), 1.0);
    }
    // The start index is honoured.
    EXPECT_EQ(v.model().ProjectChain(*chain, 10, false), 12);
}

TEST(SphericalPrj, ProjectChainDropsNearDuplicatesAndCachesByOption)
{
    View v("TSphericalPrj");
    auto chain = Chain({ Geo(0, 0), Geo(0.0001, 0), Geo(0.0002, 0), Geo(10, 0) });
    EXPECT_EQ(v.model().ProjectChain(*chain, 0, false), 2);
    EXPECT_TRUE(chain->HasCached3DPoints());
    v.globe.options = {};
    v.model().ProjectChain(*chain, 0, false);
    EXPECT_FALSE(chain->HasCached3DPoints());
}

std::vector<TPoint> DevicePointsUpTo(int count)
{
    return { DevicePoints().Data(), DevicePoints().Data() + count };
}

TEST(SphericalPrj, PointsOnTheHorizonAreLeftToTheExtendedLoop)
{
    // Unturned, the meridians at 90 degrees lie on the horizon: their depth
    // is zero within the double error, and only the extended loop knows the
    // side.
    View v("TSphericalPrj");
    auto& model = dynamic_cast<TSphericalPrj&>(v.model());
    auto chain = Chain({ Geo(90, 0), Geo(90, 30), Geo(-90, 60), Geo(-90, -45) });
    const auto points = chain->Get3DPoints(false);
    for (const bool closed : { false, true }) {
        EXPECT_EQ(model.ProjectChainInDouble(*points, 0, closed), -1) << closed;
        const int extended = model.ProjectChainExtended(*points, 0, closed);
        const std::vector<TPoint> expected = DevicePointsUpTo(extended);
        EXPECT_EQ(DevicePointsUpTo(model.ProjectChain(*chain, 0, closed)), expected) << closed;
    }
}

TEST(SphericalPrj, WorldExtentIsTheGlobeSquare)
{
    View v("TSphericalPrj");
    EXPECT_EQ(v.projection().WorldExtent(),
        (TRect { -GU_GLOBE_RADIUS, -GU_GLOBE_RADIUS, GU_GLOBE_RADIUS, GU_GLOBE_RADIUS }));
}

TEST(SphericalPrj, SurfaceIsTheRimWithoutTexture)
{
    View v("TSphericalPrj");
    v.model().PaintSurface();
    ASSERT_EQ(v.globe.polygons.size(), 1u);
    const auto& rim = v.globe.polygons[0];
    ASSERT_EQ(rim.size(), 90u);
    EXPECT_EQ(rim[0], (TPoint { 320 + Rnd(1e-6L * GU_GLOBE_RADIUS), 240 }));
    EXPECT_EQ(v.globe.lastState, TGlobeObjectStateSet { TGlobeObjectState::osClosed } + ALL_CLIP_STATES);
}

TEST(SphericalPrj, SurfaceTextureIsAMeshOfVisibleTriangles)
{
    View v("TSphericalPrj", 5e-7L, 0, 0);
    v.globe.texture.LoadFromBytes(TinyBitmap());
    v.model().PaintSurface();
    EXPECT_TRUE(v.globe.polygons.empty());
    // Depth 4 at this scale: at most 8 faces of 256 triangles, and those
    // behind the globe are dropped.
    EXPECT_GT(v.globe.triangles.size(), 0u);
    EXPECT_LT(v.globe.triangles.size(), 8u * 256u);
    for (const auto& t : v.globe.triangles)
        for (const TGeoPoint& c : t) {
            EXPECT_LT(c.Long, GU_180_DEGREE);
            EXPECT_GE(c.Long, -GU_180_DEGREE - 1);
        }
}

// --- Flat models -------------------------------------------------------------

TEST(CartesianPrj, ProjectsLinearlyAroundTheCentralMeridian)
{
    View v("TCartesianPrj");
    TCustomProjectionModel& m = v.model();
    EXPECT_TRUE(m.ProjectPoint(Geo(10, 20), 0));
    EXPECT_EQ(DevicePoints().Get(0), (TPoint { 320 + 54, 240 - 108 }));
    v.projection().SetCentralMeridian(170);
    m.ProjectPoint(Geo(-170, 0), 0); // 20 degrees east of the central meridian
    EXPECT_EQ(DevicePoints().Get(0), (TPoint { 320 + 108, 240 }));
    EXPECT_TRUE(m.ProjectPoint({ GU_180_DEGREE, GU_90_DEGREE, 0 }, 0)); // edges included
    EXPECT_FALSE(m.ProjectPoint({ 0, GU_90_DEGREE + 1, 0 }, 0));
}

TEST(CartesianPrj, ScreenToGeoIsTheInverseOverTheWholeMap)
{
    // The map is drawn within 180 degrees of the central meridian; screen
    // points beyond it wrap to the other side of the world and are skipped.
    const long double scale = 480.0L / GU_360_DEGREE * 1.2L;
    for (const char* model : { "TCartesianPrj", "TMercatorPrj", "TTestCartesianPrj" }) {
        SCOPED_TRACE(model);
        View v(model, scale);
        const bool turned = std::string(model) == "TTestCartesianPrj";
        v.projection().SetZRotation(30);
        const long double s = v.projection().ScaleFactor();
        auto onDrawnMap = [&](int x, int y) {
            const long double d = (x - 320) / s, l = -(y - 240) / s;
            const long double e = turned ? std::cos(PI_L / 6) * d + std::sin(PI_L / 6) * l : d;
            return std::fabs(e) < GU_180_DEGREE - 2 / s;
        };
        EXPECT_GT(CheckScreenToGeoInverts(v.model(), 5, onDrawnMap), 4000);
    }
}

TEST(CartesianPrj, ScreenToGeoOffTheMap)
{
    View v("TCartesianPrj");
    DevicePoints().Put(0, SENTINEL);
    EXPECT_FALSE(v.model().ScreenToGeo(320, 240 - 500, 0)); // beyond 90 N
    EXPECT_EQ(DevicePoints().Get(0), SENTINEL);
    EXPECT_FALSE(v.model().ScreenToGeo(320 + 1000000, 240, 0)); // beyond 180 after one correction
    EXPECT_TRUE(v.model().ScreenToGeo(320 + 1000, 240, 0));
    EXPECT_EQ(DevicePoints().Get(0), (TPoint { NormalizeLong(1000000000), 0 }));
}

TEST(CartesianPrj, YRotationMovesTheCentralMeridianOrTheOrigin)
{
    View v("TCartesianPrj");
    TGlobeProjection& p = v.projection();
    p.SetYAxisChanges(TYAxisChanges::yaCentralMeridian);
    p.SetCentralMeridian(170);
    p.SetYRotation(30);
    EXPECT_EQ(p.CentralMeridian(), -160);
    EXPECT_EQ(p.XOrigin(), 320);

    View w("TCartesianPrj");
    TGlobeProjection& q = w.projection();
    q.SetYAxisChanges(TYAxisChanges::yaXOrigin);
    q.SetYRotation(30);
    EXPECT_EQ(q.XOrigin(), 320 - 162);
    EXPECT_EQ(q.CentralMeridian(), 0);
}

TEST(CartesianPrj, XRotationMovesTheOriginOrTheCentralParallel)
{
    View v("TCartesianPrj");
    TGlobeProjection& p = v.projection();
    p.SetXAxisChanges(TXAxisChanges::xaYOrigin);
    p.SetXRotation(10);
    EXPECT_EQ(p.YOrigin(), 240 + 54);

    View w("TCartesianPrj");
    TGlobeProjection& q = w.projection();
    q.SetXAxisChanges(TXAxisChanges::xaCentralParallel);
    q.SetCentralParallel(5);
    q.SetXRotation(10);
    EXPECT_EQ(q.CentralParallel(), 15);
    EXPECT_EQ(q.YOrigin(), 240);
}

TEST(CartesianPrj, ProjectChainDropsPointsWithinAPixel)
{
    View v("TCartesianPrj");
    auto chain = Chain({ Geo(0, 0), Geo(0.1, 0.1), Geo(1, 0), Geo(1.1, 0), Geo(2, 0) });
    EXPECT_EQ(v.model().ProjectChain(*chain, 3, false), 6);
    EXPECT_EQ(DevicePoints().Get(3), (TPoint { 320, 240 }));
    EXPECT_EQ(DevicePoints().Get(4), (TPoint { 325, 240 }));
}

TEST(CartesianPrj, ProjectionsOnAHalfRoundAsTheExtendedArithmetic)
{
    // 1/1024 of a pixel a GlobeUnit: every 512 units the projection is a
    // whole or half pixel exactly, so the double loop meets every tie and
    // every sub-pixel boundary; the point by point loop rounds in extended
    // arithmetic.
    for (const char* model : { "TCartesianPrj", "TMercatorPrj" }) {
        View v(model, 1.0L / 1024);
        std::vector<TGeoPoint> points;
        for (int k = 0; k < 40; ++k)
            points.push_back({ 512 * (k * k % 23) - 5000, 512 * (k % 7) - 1536, 0 });
        auto chain = Chain(points);
        const std::vector<TPoint> expected
            = DevicePointsUpTo(dynamic_cast<TProjectionModel&>(v.model()).TProjectionModel::ProjectChain(*chain, 0, false));
        EXPECT_EQ(DevicePointsUpTo(v.model().ProjectChain(*chain, 0, false)), expected) << model;
    }
}

TEST(MercatorPrj, OrdinatesMatchTheReference)
{
    // proj +proj=merc +R=309397209.37064453276 (GU_PER_RADIAN), in GlobeUnits.
    // Next to the pole the reference itself is only good to some tens of
    // GlobeUnits (a double latitude there moves y by 1e17 GU per radian).
    const struct {
        int32_t lat;
        double y, tolerance;
    } rows[] = {
        { 0, 0, 0.01 },
        { 10 * DEG, 54276262.1458, 0.01 },
        { 45 * DEG, 272694528.2368, 0.01 },
        { -60 * DEG, -407463098.1672, 0.01 },
        { 80 * DEG, 753767730.3599, 0.01 },
        { 85 * DEG, 968815893.6559, 0.01 },
        { -459275940, -971998198.4887, 0.01 }, // -85.0511
        { GU_90_DEGREE, 6263215460.9949, 100 }, // held at 89.99999981 degrees
        { -GU_90_DEGREE, -6263215460.9949, 100 },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.lat);
        EXPECT_NEAR(static_cast<double>(MercatorY(r.lat)), r.y, r.tolerance);
    }
    View v("TMercatorPrj");
    const struct {
        double lon, lat, x, y;
    } points[] = {
        { 10, 10, 54000000.0, 54276262.1458 },
        { -45, 45, -243000000.0, 272694528.2368 },
        { 120, -60, 648000000.0, -407463098.1672 },
    };
    for (const auto& r : points) {
        ASSERT_TRUE(v.model().ProjectPoint(Geo(r.lon, r.lat), 0));
        EXPECT_EQ(DevicePoints().Get(0), (TPoint { 320 + Rnd(r.x * 1e-6L), 240 - Rnd(r.y * 1e-6L) }));
    }
}

TEST(MercatorPrj, PolesStayOnTheMap)
{
    View v("TMercatorPrj", 5e-7L);
    TCustomProjectionModel& m = v.model();
    EXPECT_TRUE(m.ProjectPoint({ 0, GU_90_DEGREE, 0 }, 0));
    EXPECT_EQ(DevicePoints().Get(0).Y, 240 - Rnd(MercatorY(485999999) * 5e-7L));
    // Far above the map the latitude approaches 90 degrees and stays on it.
    ASSERT_TRUE(m.ScreenToGeo(320, -2000000, 0));
    EXPECT_GT(DevicePoints().Get(0).Y, 89 * DEG);
    EXPECT_LE(DevicePoints().Get(0).Y, GU_90_DEGREE);
}

TEST(TestCartesianPrj, TurnsInTheScreenPlane)
{
    View v("TTestCartesianPrj");
    v.projection().SetZRotation(90);
    ASSERT_TRUE(v.model().ProjectPoint(Geo(10, 0), 0));
    EXPECT_EQ(DevicePoints().Get(0), (TPoint { 320, 240 - 54 }));
    ASSERT_TRUE(v.model().ScreenToGeo(320, 240 - 54, 0));
    EXPECT_EQ(DevicePoints().Get(0), (TPoint { 10 * DEG, 0 }));
}

// --- Shared operations ---------------------------------------------------------

TEST(ProjectionModel, ClipCode)
{
    View v("TCartesianPrj");
    const struct {
        std::vector<TPoint> points;
        bool visible;
        int code;
    } rows[] = {
        { { { 10, 10 }, { 20, 20 } }, true, 0 },
        { { { -10, -10 }, { 700, 500 } }, true, (1 | 4) * 16 + (2 | 8) },
        { { { -50, 10 }, { -10, 20 } }, false, 1 * 16 + 1 }, // left of the canvas
        { { { 10, 490 }, { 20, 600 } }, false, 8 * 16 + 8 }, // below
        { { { 700, 10 }, { 800, 20 } }, false, 2 * 16 + 2 }, // right
        { { { 5, 5 } }, false, 0 }, // one point
    };
    for (const auto& r : rows) {
        for (size_t i = 0; i < r.points.size(); ++i)
            DevicePoints().Put(static_cast<int>(i), r.points[i]);
        const TClipCode c = v.model().ClipCode(static_cast<int>(r.points.size()));
        EXPECT_EQ(c.visible, r.visible);
        EXPECT_EQ(c.code, r.code);
    }
}

TEST(ProjectionModel, MERVisibility)
{
    using S = TGlobeObjectState;
    View v("TCartesianPrj", 1e-6L);
    TCustomProjectionModel& m = v.model();
    TGlobeObjectStateSet state { S::osFace, S::osClipLeft, S::osNew };
    // Full width: visible, flags cleared, nothing set.
    EXPECT_TRUE(m.MERVisibility(MakeMER(-GU_180_DEGREE, 0, GU_360_DEGREE, DEG), state));
    EXPECT_EQ(state, TGlobeObjectStateSet { S::osNew });
    // Wholly inside the window.
    EXPECT_TRUE(m.MERVisibility(MakeMER(0, 0, 10 * DEG, 10 * DEG), state));
    EXPECT_EQ(state, (TGlobeObjectStateSet { S::osNew, S::osFace }));
    // Reaching past the top and right edges.
    EXPECT_TRUE(m.MERVisibility(MakeMER(50 * DEG, 30 * DEG, 20 * DEG, 20 * DEG), state));
    EXPECT_TRUE(state.contains(S::osClipTop));
    EXPECT_TRUE(state.contains(S::osClipRight));
    EXPECT_FALSE(state.contains(S::osClipLeft));
    // Out of the window.
    EXPECT_FALSE(m.MERVisibility(MakeMER(100 * DEG, 0, 10 * DEG, 10 * DEG), state));
    // Across 180 with the central meridian at 120 W: the part east of 180 is
    // off the left edge, the part west of it shows.
    v.projection().SetCentralMeridian(-120);
    EXPECT_TRUE(m.MERVisibility(MakeMER(175 * DEG, 0, 10 * DEG, 5 * DEG), state));
    EXPECT_TRUE(state.contains(S::osClipLeft));
    EXPECT_FALSE(m.MERVisibility(MakeMER(175 * DEG, 0, 4 * DEG, 5 * DEG), state));
    v.projection().SetCentralMeridian(0);
    // A MER under 15 degrees is tested by its corners only.
    for (int i = 0; i < 8; ++i)
        DevicePoints().Put(i, SENTINEL);
    m.MERVisibility(MakeMER(0, 0, 10 * DEG, 10 * DEG), state);
    EXPECT_EQ(DevicePoints().Get(4), SENTINEL);
    m.MERVisibility(MakeMER(0, 0, 40 * DEG, 10 * DEG), state);
    EXPECT_NE(DevicePoints().Get(4), SENTINEL);
}

TEST(ProjectionModel, MERVisibilityOnTheGlobe)
{
    using S = TGlobeObjectState;
    View v("TSphericalPrj");
    TCustomProjectionModel& m = v.model();
    TGlobeObjectStateSet state;
    EXPECT_FALSE(m.MERVisibility(MakeMER(150 * DEG, -10 * DEG, 20 * DEG, 20 * DEG), state)); // behind
    EXPECT_TRUE(m.MERVisibility(MakeMER(60 * DEG, -10 * DEG, 60 * DEG, 20 * DEG), state)); // over the horizon
    EXPECT_TRUE(state.contains(S::osFace));
    EXPECT_TRUE(state.contains(S::osBackFace));
    EXPECT_TRUE(m.MERVisibility(MakeMER(-10 * DEG, -10 * DEG, 20 * DEG, 20 * DEG), state));
    EXPECT_TRUE(state.contains(S::osFace));
    EXPECT_FALSE(state.contains(S::osBackFace));
    v.projection().FarSidePass = true;
    EXPECT_TRUE(m.MERVisibility(MakeMER(150 * DEG, -10 * DEG, 20 * DEG, 20 * DEG), state));
    EXPECT_TRUE(state.contains(S::osBackFace)); // exchanged in the far-side pass
    EXPECT_FALSE(state.contains(S::osFace));
}

TEST(ProjectionModel, FlatSurfaceWalksTheWorldWithoutRedrawing)
{
    View v("TCartesianPrj", 5e-7L);
    v.projection().SetCentralMeridian(40);
    const int redraws = v.globe.redraws;
    v.model().PaintSurface();
    EXPECT_EQ(v.globe.redraws, redraws);
    EXPECT_EQ(v.projection().CentralMeridian(), 40);
    ASSERT_EQ(v.globe.polygons.size(), 1u);
    const auto& surface = v.globe.polygons[0];
    ASSERT_EQ(surface.size(), 108u);
    const int32_t halfWidth = Rnd(GU_180_DEGREE * 5e-7L), halfHeight = Rnd(GU_90_DEGREE * 5e-7L);
    EXPECT_EQ(surface[0], (TPoint { 320 - halfWidth, 240 + halfHeight }));
    EXPECT_EQ(surface[36].Y, 240 + halfHeight);
    EXPECT_EQ(surface[54].Y, 240 - halfHeight);
    EXPECT_EQ(v.globe.lastState, TGlobeObjectStateSet { TGlobeObjectState::osClosed } + ALL_CLIP_STATES);
}

TEST(ProjectionModel, FlatSurfaceDrawsTheTextureWhenLoaded)
{
    View v("TCartesianPrj");
    v.globe.texture.LoadFromBytes(TinyBitmap());
    v.model().PaintSurface();
    EXPECT_EQ(v.globe.textures, 1);
    EXPECT_TRUE(v.globe.polygons.empty());
}

TEST(ProjectionModel, Graticule)
{
    View v("TSphericalPrj");
    v.model().PaintGraticule();
    ASSERT_EQ(v.globe.lines.size(), 24u + 24u);
    const FakeGlobe::Line& first = v.globe.lines[0];
    EXPECT_EQ(first.from, (TGeoPoint { -GU_180_DEGREE, -480600000, 0 }));
    EXPECT_EQ(first.to, (TGeoPoint { -GU_180_DEGREE, 480600000, 0 }));
    EXPECT_EQ(first.steps, 36);
    const FakeGlobe::Line& equator = v.globe.lines[24];
    EXPECT_EQ(equator.from, (TGeoPoint { 971999999, 0, 0 }));
    EXPECT_EQ(equator.to, (TGeoPoint { 0, 0, 0 }));
    EXPECT_EQ(equator.steps, 72);
    EXPECT_EQ(v.globe.lines[27].to, (TGeoPoint { -971999999, 0, 0 })); // the equator twice
    EXPECT_EQ(v.globe.lines[28].from.Lat, 15 * DEG);
    EXPECT_EQ(v.globe.lines[30].from.Lat, -15 * DEG);
    v.globe.lines.clear();
    v.globe.longStep = 0;
    v.globe.latStep = 0;
    v.model().PaintGraticule();
    EXPECT_TRUE(v.globe.lines.empty());
}

TEST(ProjectionModel, LongChainsNeverOverrunTheBuffer)
{
    auto chain = std::make_unique<TPointStore>();
    const int n = 200000;
    for (int i = 0; i < n; ++i)
        chain->Add(
            { static_cast<int32_t>(i * 4000 - 400000000), static_cast<int32_t>((i % 1000) * 300000), 0 });
    for (const char* model : { "TSphericalPrj", "TCartesianPrj", "TMercatorPrj" }) {
        SCOPED_TRACE(model);
        View v(model, 3); // every point lands more than a pixel from the last
        const int count = v.model().ProjectChain(*chain, 0, true);
        EXPECT_GT(count, DEVICE_POINTS_CAPACITY);
        EXPECT_GE(DevicePoints().Capacity(), count);
    }
}

TEST(ProjectionModel, ModelElementNamesItsClass)
{
    View v("TMercatorPrj");
    const auto element = v.model().SaveEnvironment();
    EXPECT_EQ(element->StringAttr("Class"), "TMercatorPrj");
    auto clone = v.model().Clone(v.projection());
    EXPECT_EQ(clone->ClassName(), "TMercatorPrj");
}
