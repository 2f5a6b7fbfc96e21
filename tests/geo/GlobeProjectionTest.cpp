#include "FakeGlobe.h"

#include "geo/GXml.h"
#include "geo/GlobeClassRegistry.h"
#include "geo/ProjectionModel.h"
#include "geo/SphericalPrj.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

constexpr long double TAN50 = 1.19175359259421L;

struct NotAModel : TGlobeRoot {
    explicit NotAModel(TGlobeProjection&) { }
    std::string ClassName() const override { return "TNotAModel"; }
};

} // namespace

TEST(GlobeProjection, CreationValues)
{
    FakeGlobe globe(640, 480);
    const TGlobeProjection& p = *globe.projection;
    EXPECT_EQ(p.ProjectionClass(), "TSphericalPrj");
    EXPECT_EQ(p.XRotation(), 23.5L);
    EXPECT_EQ(p.YRotation(), 0);
    EXPECT_EQ(p.ZRotation(), 0);
    EXPECT_EQ(p.XOrigin(), 320);
    EXPECT_EQ(p.YOrigin(), 240);
    EXPECT_EQ(p.MaxLatitude(), 90);
    EXPECT_EQ(p.MinLatitude(), -90);
    EXPECT_EQ(p.MaxLongitude(), 180);
    EXPECT_EQ(p.MinLongitude(), -180);
    EXPECT_EQ(p.MaxZoom(), 0);
    EXPECT_EQ(p.MinZoom(), 0);
    EXPECT_EQ(p.Altitude(), 0);
    EXPECT_EQ(p.Spheroid(), TSpheroid::WGS84);
    EXPECT_EQ(p.XAxisChanges(), TXAxisChanges::xaYOrigin);
    EXPECT_EQ(p.YAxisChanges(), TYAxisChanges::yaCentralMeridian);
    EXPECT_FALSE(p.UseMinMaxLimits());
    EXPECT_EQ(p.MeridianSegments, 36);
    EXPECT_EQ(p.ParallelSegments, 72);
    EXPECT_EQ(p.ModelProperties, 3);
    // The whole disc fits the window: the height limits.
    EXPECT_EQ(p.ScaleFactor(), 480.0L / (2.0L * GU_GLOBE_RADIUS));
    // Latitude is turned by the X rotation: the centre starts at 23.5 N.
    EXPECT_NEAR(static_cast<double>(p.CenterLatitude()), 23.5, 1e-6);
    EXPECT_NEAR(static_cast<double>(p.CenterLongitude()), 0, 1e-6);
}

TEST(GlobeProjection, ScaleFactorLimits)
{
    FakeGlobe globe(640, 480);
    TGlobeProjection& p = *globe.projection;
    p.SetScaleFactor(5);
    EXPECT_EQ(p.ScaleFactor(), 3);
    // 0 re-centres the origin and fits the world (the globe disc).
    p.SetOrigin({ 100, 50 });
    p.SetScaleFactor(0);
    EXPECT_EQ(p.XOrigin(), 320);
    EXPECT_EQ(p.YOrigin(), 240);
    EXPECT_EQ(p.ScaleFactor(), 480.0L / (2.0L * GU_GLOBE_RADIUS));
    // Negative values are ignored.
    p.SetScaleFactor(-1);
    EXPECT_EQ(p.ScaleFactor(), 480.0L / (2.0L * GU_GLOBE_RADIUS));
    // The window never spans more GlobeUnits than an int32 holds.
    p.SetScaleFactor(1e-12L);
    EXPECT_EQ(p.ScaleFactor(), 640.0L / 2147483647.0L);
}

TEST(GlobeProjection, ZoomLimitsApplyOnlyWhenMinBelowMax)
{
    FakeGlobe globe;
    TGlobeProjection& p = *globe.projection;
    p.SetMinZoom(1e-6L);
    p.SetMaxZoom(1e-4L);
    p.SetScaleFactor(1e-2L);
    EXPECT_EQ(p.ScaleFactor(), 1e-4L);
    // 0 is raised to MinZoom and applied about the centre instead of fitting.
    p.SetOrigin({ 330, 250 });
    p.SetScaleFactor(0);
    EXPECT_EQ(p.ScaleFactor(), 1e-6L);
    EXPECT_EQ(p.XOrigin(), 320);
    EXPECT_EQ(p.YOrigin(), 240);
}

TEST(GlobeProjection, ExtendedPropertiesAreStoredWithTheirLimits)
{
    FakeGlobe globe;
    TGlobeProjection& p = *globe.projection;
    const struct {
        int index;
        long double value, stored;
        long double (TGlobeProjection::*get)() const;
    } rows[] = {
        // MinZoom starts at 0, so setting 0 first would change nothing at all.
        { pcMinZoom, 1e-6L, 1e-6L, &TGlobeProjection::MinZoom },
        { pcMinZoom, 0, 3e-8L, &TGlobeProjection::MinZoom },
        { pcMaxZoom, 5, 3, &TGlobeProjection::MaxZoom },
        { pcMaxLatitude, 100, 90, &TGlobeProjection::MaxLatitude },
        { pcMinLatitude, -100, -90, &TGlobeProjection::MinLatitude },
        { pcMaxLongitude, 200, 180, &TGlobeProjection::MaxLongitude },
        { pcMinLongitude, -200, -180, &TGlobeProjection::MinLongitude },
        { pcMaxLatitude, 45, 45, &TGlobeProjection::MaxLatitude },
        { pcYRotation, 190, -170, &TGlobeProjection::YRotation },
        { pcZRotation, 30, 30, &TGlobeProjection::ZRotation },
        { pcCentralParallel, 12, 12, &TGlobeProjection::CentralParallel },
        { pcFirstParallel, 5, 5, &TGlobeProjection::FirstParallel },
        { pcSecondParallel, 7, 7, &TGlobeProjection::SecondParallel },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.index);
        p.SetExtendedProperty(r.index, r.value);
        EXPECT_EQ((p.*r.get)(), r.stored);
    }
}

TEST(GlobeProjection, UnchangedValuesDoNothing)
{
    FakeGlobe globe;
    TGlobeProjection& p = *globe.projection;
    const int redraws = globe.redraws, updates = globe.scrollBarUpdates;
    p.SetXRotation(p.XRotation());
    p.SetXOrigin(p.XOrigin());
    p.SetScaleFactor(p.ScaleFactor() + 1e-11L); // within 1e-10: not even the scroll bars
    EXPECT_EQ(globe.redraws, redraws);
    EXPECT_EQ(globe.scrollBarUpdates, updates);
    p.SetXOrigin(p.XOrigin() + 1);
    EXPECT_EQ(globe.redraws, redraws + 1);
    EXPECT_EQ(globe.scrollBarUpdates, updates); // integer properties leave the scroll bars
    p.SetZRotation(10);
    EXPECT_EQ(globe.scrollBarUpdates, updates + 1);
}

TEST(GlobeProjection, AltitudeAndScale)
{
    FakeGlobe globe;
    TGlobeProjection& p = *globe.projection;
    p.SetAltitude(1093285);
    EXPECT_NEAR(static_cast<double>(p.ScaleFactor()), 7.675e-7, 1e-10);
    EXPECT_NEAR(static_cast<double>(p.ScaleFactor()), 7.6750310411e-07, 1e-16);
    EXPECT_EQ(p.Altitude(), 1093285);
    p.SetScaleFactor(1e-6L);
    EXPECT_EQ(p.Altitude(), static_cast<int32_t>(std::nearbyint(1 / (1e-6L * TAN50))));
    // A scale the zoom limits refuse leaves Altitude as it was.
    p.SetMinZoom(1e-6L);
    p.SetMaxZoom(2e-6L);
    p.SetAltitude(100);
    EXPECT_EQ(p.ScaleFactor(), 2e-6L);
    EXPECT_EQ(p.Altitude(), static_cast<int32_t>(std::nearbyint(1 / (2e-6L * TAN50))));
    // Altitude 0 fits the world when no zoom limits apply.
    p.SetMaxZoom(0);
    EXPECT_EQ(p.MaxZoom(), 0);
    p.SetMinZoom(0);
    p.SetAltitude(0);
    EXPECT_EQ(p.ScaleFactor(), 480.0L / (2.0L * GU_GLOBE_RADIUS));
}

TEST(GlobeProjection, ZoomKeepsThePointAtTheWindowCentre)
{
    FakeGlobe globe(640, 480);
    TGlobeProjection& p = *globe.projection;
    p.SetProjectionClass("TCartesianPrj");
    p.SetScaleFactor(1e-6L);
    p.SetOrigin({ 400, 200 });
    const TScreenGeoPoint before = p.XYToGeo(320, 240);
    const int zoomed = globe.zoomed;
    p.SetScaleFactor(2e-6L);
    // The origin's offset from the centre doubles.
    EXPECT_EQ(p.XOrigin(), 320 + 2 * 80);
    EXPECT_EQ(p.YOrigin(), 240 - 2 * 40);
    const TScreenGeoPoint after = p.XYToGeo(320, 240);
    EXPECT_NEAR(after.point.Long, before.point.Long, 1 / 2e-6);
    EXPECT_NEAR(after.point.Lat, before.point.Lat, 1 / 2e-6);
    EXPECT_EQ(globe.zoomed, zoomed + 1);
    EXPECT_EQ(globe.viewExtent, (TRect { 0, 0, 320000000, 240000000 }));
    // No zoom event while the globe is loading.
    globe.loading = true;
    p.SetScaleFactor(3e-6L);
    EXPECT_EQ(globe.zoomed, zoomed + 1);
}

TEST(GlobeProjection, SetOriginFiresPannedOnlyOnChange)
{
    FakeGlobe globe;
    TGlobeProjection& p = *globe.projection;
    const int updates = globe.scrollBarUpdates;
    p.SetOrigin(p.GetOrigin());
    EXPECT_EQ(globe.panned, 0);
    EXPECT_EQ(globe.scrollBarUpdates, updates + 1);
    p.SetOrigin({ 1, 2 });
    EXPECT_EQ(globe.panned, 1);
    EXPECT_EQ(p.GetOrigin(), (TPoint { 1, 2 }));
    globe.loading = true;
    p.SetOrigin({ 3, 4 });
    EXPECT_EQ(globe.panned, 1);
}

TEST(GlobeProjection, ProjectionClassByName)
{
    FakeGlobe globe;
    TGlobeProjection& p = *globe.projection;
    const TCustomProjectionModel* model = &p.ProjectionModel();
    p.SetProjectionClass("tsphericalprj"); // same class in other letter case: nothing
    EXPECT_EQ(&p.ProjectionModel(), model);
    try {
        p.SetProjectionClass("TFooPrj");
        FAIL();
    } catch (const EGlobeException& e) {
        EXPECT_STREQ(e.what(), "Class TFooPrj not found");
    }
    RegisterGlobeClass<TGlobeRoot, NotAModel, TGlobeProjection&>("TNotAModel");
    try {
        p.SetProjectionClass("TNotAModel");
        FAIL();
    } catch (const EGlobeException& e) {
        EXPECT_STREQ(e.what(), "Class TNotAModel does not inherit from TProjectionModel");
    }
    EXPECT_EQ(&p.ProjectionModel(), model);
    for (const char* name : { "TMercatorPrj", "TTestCartesianPrj", "TCartesianPrj", "TSphericalPrj" }) {
        p.SetProjectionClass(name);
        EXPECT_EQ(p.ProjectionClass(), name);
    }
    EXPECT_EQ(p.ModelProperties, 3);
    p.SetProjectionClass("TCartesianPrj");
    EXPECT_EQ(p.MeridianSegments, 72);
    EXPECT_EQ(p.ParallelSegments, 144);
    EXPECT_EQ(p.ModelProperties, 2);
}

TEST(GlobeProjection, ChangingTheModelKeepsTheCentrePoint)
{
    FakeGlobe globe;
    TGlobeProjection& p = *globe.projection;
    p.SetYRotation(30);
    // The origin is a whole pixel, so the centre is kept to within a pixel.
    const double pixel = static_cast<double>(1 / (p.ScaleFactor() * GU_DEGREE));
    const int zoomRects = globe.zoomToRects;
    p.SetProjectionClass("TMercatorPrj");
    EXPECT_EQ(globe.zoomToRects, zoomRects + 1);
    EXPECT_NEAR(static_cast<double>(p.CenterLongitude()), 30, pixel);
    EXPECT_NEAR(static_cast<double>(p.CenterLatitude()), 23.5, pixel);
    p.SetProjectionModel(nullptr); // null installs a spherical model
    EXPECT_EQ(p.ProjectionClass(), "TSphericalPrj");
    EXPECT_NEAR(static_cast<double>(p.CenterLongitude()), 30, pixel);
    EXPECT_NEAR(static_cast<double>(p.CenterLatitude()), 23.5, pixel);
}

TEST(GlobeProjection, UseMinMaxLimitsForcesTheCartesianModel)
{
    FakeGlobe globe;
    TGlobeProjection& p = *globe.projection;
    p.SetUseMinMaxLimits(true);
    EXPECT_TRUE(p.UseMinMaxLimits());
    EXPECT_EQ(p.ProjectionClass(), "TCartesianPrj");
    EXPECT_EQ(p.XAxisChanges(), TXAxisChanges::xaYOrigin);
    EXPECT_EQ(p.YAxisChanges(), TYAxisChanges::yaXOrigin);
    EXPECT_EQ(p.CentralParallel(), 0);
    p.SetProjectionClass("TMercatorPrj");
    EXPECT_FALSE(p.UseMinMaxLimits());
}

TEST(GlobeProjection, CentreGettersAndSetters)
{
    FakeGlobe globe;
    TGlobeProjection& p = *globe.projection;
    p.SetCenterLatitude(-12.5L);
    p.SetCenterLongitude(-47.25L);
    EXPECT_NEAR(static_cast<double>(p.CenterLatitude()), -12.5, 1e-6);
    EXPECT_NEAR(static_cast<double>(p.CenterLongitude()), -47.25, 1e-6);
    EXPECT_NEAR(static_cast<double>(p.XRotation()), -12.5, 1e-6);
    EXPECT_NEAR(static_cast<double>(p.YRotation()), -47.25, 1e-6);
    // The window centre off the disc: off the map.
    p.SetOrigin({ 5000, 5000 });
    EXPECT_EQ(p.CenterLatitude(), 2147483647.0L);
    EXPECT_EQ(p.CenterLongitude(), 2147483647.0L);
    const TScreenGeoPoint off = p.XYToGeo(0, 0);
    EXPECT_FALSE(off.onMap);
    EXPECT_EQ(off.point, (TGeoPoint { 972000000, 972000000, 0 }));
}

TEST(GlobeProjection, GlobeUnitsPerInch)
{
    FakeGlobe globe;
    TGlobeProjection& p = *globe.projection;
    p.SetScaleFactor(1e-5L);
    EXPECT_EQ(p.GlobeUnitsPerInch(), 9600000);
}

TEST(GlobeProjection, CloneCopiesValuesAndModel)
{
    FakeGlobe globe;
    TGlobeProjection& p = *globe.projection;
    p.SetYRotation(40);
    p.SetScaleFactor(2e-6L);
    p.SetSpheroid(TSpheroid::Clarke1866);
    p.SetFirstParallel(3);
    p.FarSidePass = true;
    auto copy = p.Clone();
    EXPECT_EQ(copy->YRotation(), 40);
    EXPECT_EQ(copy->ScaleFactor(), 2e-6L);
    EXPECT_EQ(copy->Spheroid(), TSpheroid::Clarke1866);
    EXPECT_EQ(copy->FirstParallel(), 3);
    EXPECT_TRUE(copy->FarSidePass);
    EXPECT_EQ(copy->ProjectionClass(), "TSphericalPrj");
    EXPECT_NE(&copy->ProjectionModel(), &p.ProjectionModel());
    EXPECT_EQ(&copy->ProjectionModel().Projection(), copy.get());
    const auto& a = dynamic_cast<const TSphericalPrj&>(p.ProjectionModel());
    const auto& b = dynamic_cast<const TSphericalPrj&>(copy->ProjectionModel());
    EXPECT_EQ(a.Radius(), b.Radius());
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(a.Forward().m[i], b.Forward().m[i]);
    // Assigning something else is refused.
    TTextureData texture;
    EXPECT_THROW(p.Assign(texture), EGlobeException);
}

TEST(GlobeProjection, EnvironmentWritesEveryValueInOrder)
{
    FakeGlobe globe;
    TGlobeProjection& p = *globe.projection;
    p.SetScaleFactor(0.5L);
    TGXML_Document doc;
    doc.Root().AddElement("Projection", p.SaveEnvironment());
    const std::string text = doc.AsText();
    const char* names[]
        = { "ScaleFactor", "CentralMeridian", "CentralParallel", "FirstParallel", "SecondParallel",
              "MaxLatitude", "MaxLongitude", "MaxZoom", "MinLatitude", "MinLongitude", "MinZoom", "Spheroid",
              "XRotation", "YRotation", "ZRotation", "XOrigin", "YOrigin", "XAxisChanges", "YAxisChanges" };
    size_t at = 0;
    for (const char* name : names) {
        const size_t found = text.find(std::string(" ") + name + "=\"", at);
        ASSERT_NE(found, std::string::npos) << name;
        at = found;
    }
    EXPECT_NE(text.find("ScaleFactor=\"0.5\""), std::string::npos);
    EXPECT_NE(text.find("Spheroid=\"16\""), std::string::npos);
    EXPECT_NE(text.find(" <ProjectionModel Class=\"TSphericalPrj\" />"), std::string::npos);
}

TEST(GlobeProjection, EnvironmentRoundTrip)
{
    FakeGlobe source;
    TGlobeProjection& p = *source.projection;
    p.SetProjectionClass("TMercatorPrj");
    p.SetScaleFactor(2e-6L);
    p.SetCentralMeridian(-45);
    p.SetMaxLatitude(80);
    p.SetMinZoom(1e-7L);
    p.SetSpheroid(TSpheroid::Hough);
    p.SetXAxisChanges(TXAxisChanges::xaNoAction);
    p.SetOrigin({ 123, 456 });
    TGXML_Document doc;
    doc.Root().AddElement("Projection", p.SaveEnvironment());
    TGXML_Document parsed;
    parsed.Parse(doc.AsText());

    FakeGlobe target;
    TGlobeProjection& q = *target.projection;
    q.LoadEnvironment(parsed.Root().ChildElement("Projection"));
    EXPECT_EQ(q.ProjectionClass(), "TMercatorPrj");
    EXPECT_NEAR(static_cast<double>(q.ScaleFactor()), 2e-6, 1e-20);
    EXPECT_EQ(q.CentralMeridian(), -45);
    EXPECT_EQ(q.MaxLatitude(), 80);
    EXPECT_EQ(q.MinZoom(), 1e-7L);
    EXPECT_EQ(q.Spheroid(), TSpheroid::Hough);
    EXPECT_EQ(q.XAxisChanges(), TXAxisChanges::xaNoAction);
    EXPECT_EQ(q.GetOrigin(), (TPoint { 123, 456 }));
    // A missing element changes nothing.
    q.LoadEnvironment(nullptr);
    EXPECT_EQ(q.ProjectionClass(), "TMercatorPrj");
}

TEST(GlobeProjection, EnvironmentWithBadValues)
{
    FakeGlobe globe;
    TGlobeProjection& p = *globe.projection;
    TGXML_Document doc;
    doc.Parse("<Projection Spheroid=\"99\" XAxisChanges=\"7\" ScaleFactor=\"nan\" />");
    EXPECT_THROW(p.LoadEnvironment(doc.Root().ChildElement("Projection")), EGlobeException);
    EXPECT_EQ(p.Spheroid(), TSpheroid::WGS84);
    EXPECT_EQ(p.XAxisChanges(), TXAxisChanges::xaYOrigin);
    doc.Parse("<Projection><ProjectionModel Class=\"TNoSuchPrj\" /></Projection>");
    EXPECT_THROW(p.LoadEnvironment(doc.Root().ChildElement("Projection")), EGlobeException);
    EXPECT_EQ(p.ProjectionClass(), "TSphericalPrj");
}

// Rotations of any number of turns settle in one step on every model (they
// used to recurse once per turn); NaN and infinity are refused.
TEST(GlobeProjection, RotationsOfManyTurnsAndNonNumbers)
{
    constexpr long double NaN = std::numeric_limits<long double>::quiet_NaN();
    constexpr long double Inf = std::numeric_limits<long double>::infinity();
    const struct {
        long double value;
        long double normalised; // NaN: the value is refused
    } rows[] = {
        { 1e7L, -80 }, { -1e7L, 80 }, { 3e7L, 120 }, { -3e7L, -120 }, { 2147483648.0L, 128 },
        { -2147483648.0L, -128 }, { 1e15L, -80 }, { -1e15L, 80 }, { 540, 180 }, { -540, -180 },
        { NaN, NaN }, { Inf, NaN }, { -Inf, NaN },
    };
    for (const char* model : { "TSphericalPrj", "TCartesianPrj", "TMercatorPrj" }) {
        for (const auto& r : rows) {
            SCOPED_TRACE(std::string(model) + " " + std::to_string(static_cast<double>(r.value)));
            FakeGlobe globe;
            TGlobeProjection& p = *globe.projection;
            p.SetProjectionClass(model);
            p.SetYRotation(10);
            p.SetZRotation(20);
            const long double x = p.XRotation();
            p.SetYRotation(r.value);
            p.SetZRotation(r.value);
            p.SetXRotation(r.value);
            const bool refused = std::isnan(r.normalised);
            EXPECT_EQ(p.YRotation(), refused ? 10 : r.normalised);
            // Only the sphere turns about Z and holds X within the poles.
            const bool sphere = std::string(model) == "TSphericalPrj";
            EXPECT_EQ(p.ZRotation(), refused ? 20 : sphere ? r.normalised : r.value);
            if (refused) {
                EXPECT_EQ(p.XRotation(), x);
            } else if (sphere) {
                EXPECT_EQ(p.XRotation(), r.value > 0 ? 90 : -90);
            }
            EXPECT_TRUE(std::isfinite(p.CentralMeridian()));
            globe.projection->ProjectionModel().PaintSurface();
        }
    }
}

TEST(GlobeProjection, EnvironmentRotationsOfManyTurns)
{
    FakeGlobe globe;
    TGlobeProjection& p = *globe.projection;
    TGXML_Document doc;
    doc.Parse("<Projection YRotation=\"2147483648\" ZRotation=\"-3e7\" />");
    p.LoadEnvironment(doc.Root().ChildElement("Projection"));
    EXPECT_EQ(p.YRotation(), 128);
    EXPECT_EQ(p.ZRotation(), -120);
}

TEST(GlobeProjection, ImpossibleScaleFactors)
{
    constexpr long double fit = 480.0L / (2.0L * GU_GLOBE_RADIUS);
    const struct {
        long double value, stored;
    } rows[] = {
        { 0, fit },
        { -1e-6L, 1e-6L },
        { std::numeric_limits<long double>::denorm_min(), 640.0L / 2147483647.0L },
        { std::numeric_limits<double>::denorm_min(), 640.0L / 2147483647.0L },
        { 1e308L, 3 },
        { std::numeric_limits<long double>::max(), 3 },
        { std::numeric_limits<long double>::quiet_NaN(), 1e-6L },
        { std::numeric_limits<long double>::infinity(), 1e-6L },
        { -std::numeric_limits<long double>::infinity(), 1e-6L },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(static_cast<double>(r.value));
        FakeGlobe globe(640, 480);
        TGlobeProjection& p = *globe.projection;
        p.SetScaleFactor(1e-6L);
        p.SetScaleFactor(r.value);
        EXPECT_EQ(p.ScaleFactor(), r.stored);
        EXPECT_EQ(p.GetOrigin(), (TPoint { 320, 240 }));
        EXPECT_GT(globe.viewExtent.Right, 0);
    }
}

TEST(GlobeProjection, EnvironmentOriginsAtTheInt32Limits)
{
    const struct {
        const char* text;
        int32_t stored;
    } rows[] = {
        { "2147483647", 2147483647 },
        { "-2147483648", INT32_MIN },
        { "2147483648", 77 },
        { "-2147483649", 77 },
        { "99999999999999999", 77 },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        FakeGlobe globe;
        TGlobeProjection& p = *globe.projection;
        p.SetOrigin({ 77, 77 });
        TGXML_Document doc;
        doc.Parse(std::string("<Projection XOrigin=\"") + r.text + "\" YOrigin=\"" + r.text + "\" />");
        p.LoadEnvironment(doc.Root().ChildElement("Projection"));
        EXPECT_EQ(p.GetOrigin(), (TPoint { r.stored, r.stored }));
    }
}
