#include "geo/GlobeProjection.h"

#include "geo/CartesianPrj.h"
#include "geo/CustomGlobe4.h"
#include "geo/DevicePoints.h"
#include "geo/GXml.h"
#include "geo/GeoMath.h"
#include "geo/GlobeClassRegistry.h"
#include "geo/SphericalPrj.h"

#include <cmath>
#include <limits>

namespace {

constexpr long double MAX_SCALE = 3;
constexpr long double MIN_FIT_SCALE = 1e-10L;
constexpr long double SCALE_EPSILON = 1e-10L;
constexpr long double OFF_MAP = 2147483647.0L;
constexpr long double INT32_SPAN = 2147483647.0L;

long double Tan50()
{
    return std::tan(50 * PI_L / 180);
}

// The rounded value when it is a finite int32, for steps that must give up
// instead of storing garbage.
bool RoundToInt32(long double v, int32_t& out)
{
    if (!std::isfinite(v) || std::fabs(v) > INT32_SPAN)
        return false;
    out = Rnd(v);
    return true;
}

} // namespace

void RegisterProjectionModels()
{
    static const bool registered = [] {
        RegisterGlobeClass<TCustomProjectionModel, TSphericalPrj, TGlobeProjection&>("TSphericalPrj");
        RegisterGlobeClass<TCustomProjectionModel, TCartesianPrj, TGlobeProjection&>("TCartesianPrj");
        RegisterGlobeClass<TCustomProjectionModel, TMercatorPrj, TGlobeProjection&>("TMercatorPrj");
        RegisterGlobeClass<TCustomProjectionModel, TTestCartesianPrj, TGlobeProjection&>("TTestCartesianPrj");
        return true;
    }();
    (void)registered;
}

TGlobeProjection::TGlobeProjection(TCustomGlobe4& globe)
    : m_globe(globe)
{
    RegisterProjectionModels();
    m_model = std::make_unique<TSphericalPrj>(*this);
    m_scaleFactor = std::clamp(FitScale(), MIN_FIT_SCALE, MAX_SCALE);
    m_xOrigin = globe.CanvasWidth() / 2;
    m_yOrigin = globe.CanvasHeight() / 2;
    // The model derives its matrices and radius from the values above.
    for (int kind = 0; kind <= PROJECTION_CHANGE_LAST; ++kind)
        m_model->ProjectionChanged(kind);
}

TGlobeProjection::~TGlobeProjection() = default;

long double TGlobeProjection::FitScale() const
{
    const TRect world = m_model->WorldExtent();
    const long double worldWidth = std::fabs(static_cast<long double>(world.Right) - world.Left);
    const long double worldHeight = std::fabs(static_cast<long double>(world.Bottom) - world.Top);
    return std::min(m_globe.CanvasWidth() / worldWidth, m_globe.CanvasHeight() / worldHeight);
}

void TGlobeProjection::NotifyModel(int kind)
{
    m_model->ProjectionChanged(kind);
}

void TGlobeProjection::SetIntegerProperty(int index, int32_t value)
{
    if (index == pcXOrigin || index == pcYOrigin) {
        int32_t& field = index == pcXOrigin ? m_xOrigin : m_yOrigin;
        if (field == value)
            return;
        field = value;
    }
    NotifyModel(index);
    m_globe.Redraw();
}

long double* TGlobeProjection::ExtendedField(int index)
{
    switch (index) {
    case pcXRotation:
        return &m_xRotation;
    case pcYRotation:
        return &m_yRotation;
    case pcZRotation:
        return &m_zRotation;
    case pcCentralMeridian:
        return &m_centralMeridian;
    case pcCentralParallel:
        return &m_centralParallel;
    case pcFirstParallel:
        return &m_firstParallel;
    case pcSecondParallel:
        return &m_secondParallel;
    case pcMaxLatitude:
        return &m_maxLatitude;
    case pcMinLatitude:
        return &m_minLatitude;
    case pcMaxLongitude:
        return &m_maxLongitude;
    case pcMinLongitude:
        return &m_minLongitude;
    case pcMaxZoom:
        return &m_maxZoom;
    case pcMinZoom:
        return &m_minZoom;
    default:
        return nullptr;
    }
}

void TGlobeProjection::SetExtendedProperty(int index, long double value)
{
    long double* field = ExtendedField(index);
    // NaN and infinity are refused like other bad numbers: a NaN never
    // equals itself, so a model that sets it back would never settle.
    if (!std::isfinite(value) || (field && *field == value))
        return;
    switch (index) {
    case pcYRotation:
        value = NormalizeDegrees(value);
        break;
    case pcMaxLatitude:
        value = std::min<long double>(90, value);
        break;
    case pcMaxLongitude:
        value = std::min<long double>(180, value);
        break;
    case pcMaxZoom:
        value = std::min<long double>(3, value);
        break;
    case pcMinLatitude:
        value = std::max<long double>(-90, value);
        break;
    case pcMinLongitude:
        value = std::max<long double>(-180, value);
        break;
    case pcMinZoom:
        value = std::max<long double>(3e-8L, value);
        break;
    default:
        break;
    }
    if (field)
        *field = value;
    NotifyModel(index);
    m_globe.UpdateScrollBars();
    m_globe.Redraw();
}

void TGlobeProjection::SetScaleFactor(long double x)
{
    if (!std::isfinite(x) || x < 0 || std::fabs(x - m_scaleFactor) < SCALE_EPSILON)
        return;
    if (m_minZoom < m_maxZoom)
        x = std::min(std::max(x, m_minZoom), m_maxZoom);
    const int32_t w = m_globe.CanvasWidth(), h = m_globe.CanvasHeight();
    if (x == 0) {
        SetIntegerProperty(pcXOrigin, Rnd(w / 2.0L));
        SetIntegerProperty(pcYOrigin, Rnd(h / 2.0L));
        x = FitScale();
    }
    x = std::min(x, MAX_SCALE);
    // The window must never span more GlobeUnits than an int32 holds.
    const long double m = std::max(w, h);
    if (m / x > INT32_SPAN)
        x = m / INT32_SPAN;
    if (x != m_scaleFactor) {
        try {
            ZoomAboutCentre(x);
        } catch (const std::exception&) {
            // A zoom that fails part-way is abandoned; what was done stays.
        }
    }
    m_globe.UpdateScrollBars();
}

bool TGlobeProjection::ZoomAboutCentre(long double x)
{
    const long double w = m_globe.CanvasWidth(), h = m_globe.CanvasHeight();
    const long double s = m_scaleFactor;
    int32_t xOrigin = 0, yOrigin = 0, altitude = 0, extentWidth = 0, extentHeight = 0;
    if (!RoundToInt32(x * (m_xOrigin - w / 2) / s + w / 2, xOrigin))
        return false;
    SetIntegerProperty(pcXOrigin, xOrigin);
    if (!RoundToInt32(x * (m_yOrigin - h / 2) / s + h / 2, yOrigin))
        return false;
    SetIntegerProperty(pcYOrigin, yOrigin);
    if (!RoundToInt32(1 / (x * Tan50()), altitude))
        return false;
    m_altitude = altitude;
    if (!RoundToInt32(w / x, extentWidth) || !RoundToInt32(h / x, extentHeight))
        return false;
    m_globe.SetViewExtent({ 0, 0, extentWidth, extentHeight });
    m_scaleFactor = x;
    NotifyModel(pcScaleFactor);
    m_globe.Redraw();
    if (!m_globe.IsLoading())
        m_globe.FireZoomed(this);
    return true;
}

void TGlobeProjection::SetAltitude(int32_t a)
{
    SetScaleFactor(a == 0 ? 0 : 1 / (Tan50() * a));
}

void TGlobeProjection::SetSpheroid(TSpheroid s)
{
    if (static_cast<int>(s) < SPHEROID_COUNT)
        m_spheroid = s;
}

void TGlobeProjection::SetXAxisChanges(TXAxisChanges v)
{
    if (v == m_xAxisChanges || static_cast<int>(v) > static_cast<int>(TXAxisChanges::xaNoAction))
        return;
    m_xAxisChanges = v;
    NotifyModel(pcXAxisChanges);
}

void TGlobeProjection::SetYAxisChanges(TYAxisChanges v)
{
    if (v == m_yAxisChanges || static_cast<int>(v) > static_cast<int>(TYAxisChanges::yaNoAction))
        return;
    m_yAxisChanges = v;
    NotifyModel(pcYAxisChanges);
}

void TGlobeProjection::SetUseMinMaxLimits(bool on)
{
    m_useMinMaxLimits = on;
    if (!on)
        return;
    SetYAxisChanges(TYAxisChanges::yaXOrigin);
    SetXAxisChanges(TXAxisChanges::xaYOrigin);
    SetCentralMeridian(0);
    SetCentralParallel(0);
    SetProjectionClass("TCartesianPrj");
}

std::string TGlobeProjection::ProjectionClass() const
{
    return m_model->ClassName();
}

void TGlobeProjection::SetProjectionClass(const std::string& name)
{
    if (SameText(name, ProjectionClass()))
        return;
    const auto* factory = FindGlobeClass<TCustomProjectionModel, TGlobeProjection&>(name);
    if (!factory)
        throw EGlobeException("Class " + Excerpt(name) + " does not inherit from TProjectionModel");
    SetProjectionModel((*factory)(*this));
    if (m_useMinMaxLimits && ProjectionClass() != "TCartesianPrj")
        m_useMinMaxLimits = false;
}

void TGlobeProjection::SetProjectionModel(std::unique_ptr<TCustomProjectionModel> model)
{
    if (!model)
        model = std::make_unique<TSphericalPrj>(*this);
    const int32_t w = m_globe.CanvasWidth(), h = m_globe.CanvasHeight();
    bool keepCentre = false;
    TGeoPoint centre;
    if (model->ClassName() != ProjectionClass() && m_model->ScreenToGeo(w / 2, h / 2, 0)) {
        keepCentre = true;
        centre = { DevicePoints().Get(0).X, DevicePoints().Get(0).Y, 0 };
    }
    m_model = std::move(model);
    for (int kind = 0; kind <= PROJECTION_CHANGE_LAST; ++kind)
        NotifyModel(kind);
    if (keepCentre) {
        const TRect extent = m_globe.ViewExtent();
        m_globe.ZoomToRect(extent.Left, extent.Top, extent.Right - extent.Left, extent.Bottom - extent.Top);
        SetOrigin({ w / 2, h / 2 });
        m_globe.CenterOn(centre.Long, centre.Lat);
    }
    m_globe.Redraw();
}

long double TGlobeProjection::CenterLatitude() const
{
    const TScreenGeoPoint p = XYToGeo(m_globe.CanvasWidth() / 2, m_globe.CanvasHeight() / 2);
    return p.onMap ? static_cast<long double>(p.point.Lat) / GU_DEGREE : OFF_MAP;
}

long double TGlobeProjection::CenterLongitude() const
{
    const TScreenGeoPoint p = XYToGeo(m_globe.CanvasWidth() / 2, m_globe.CanvasHeight() / 2);
    return p.onMap ? static_cast<long double>(p.point.Long) / GU_DEGREE : OFF_MAP;
}

void TGlobeProjection::SetCenterLatitude(long double lat)
{
    // Latitude is turned by the X rotation.
    SetYOrigin(m_globe.CanvasHeight() / 2);
    const TScreenGeoPoint p = XYToGeo(m_xOrigin, m_yOrigin);
    if (p.onMap)
        SetXRotation(m_xRotation - (static_cast<long double>(p.point.Lat) / GU_DEGREE - lat));
}

void TGlobeProjection::SetCenterLongitude(long double longitude)
{
    // Longitude is turned by the Y rotation.
    SetXOrigin(m_globe.CanvasWidth() / 2);
    const TScreenGeoPoint p = XYToGeo(m_xOrigin, m_yOrigin);
    if (p.onMap)
        SetYRotation(m_yRotation - (static_cast<long double>(p.point.Long) / GU_DEGREE - longitude));
}

void TGlobeProjection::SetOrigin(const TPoint& p)
{
    if (p.X != m_xOrigin || p.Y != m_yOrigin) {
        SetIntegerProperty(pcXOrigin, p.X);
        SetIntegerProperty(pcYOrigin, p.Y);
        if (!m_globe.IsLoading())
            m_globe.FirePanned(this);
    }
    m_globe.UpdateScrollBars();
    m_globe.Redraw();
}

TScreenGeoPoint TGlobeProjection::XYToGeo(int32_t x, int32_t y) const
{
    if (!m_model->ScreenToGeo(x, y, 0))
        return { false, { GU_180_DEGREE, GU_180_DEGREE, 0 } };
    const TPoint p = DevicePoints().Get(0);
    return { true, MakeGeoPoint(p.X, p.Y) };
}

TProjectedPoint TGlobeProjection::LongLatToXY(int32_t longitude, int32_t lat) const
{
    const bool visible = m_model->ProjectLongLat(longitude, lat, 0);
    return { visible, DevicePoints().Get(0) };
}

TProjectedPoint TGlobeProjection::GeoToXY(const TGeoPoint& p) const
{
    const bool visible = m_model->ProjectPoint(p, 0);
    return { visible, DevicePoints().Get(0) };
}

TRect TGlobeProjection::WorldExtent() const
{
    return m_model->WorldExtent();
}

int32_t TGlobeProjection::GlobeUnitsPerInch() const
{
    int32_t units = 0;
    return RoundToInt32(m_globe.CanvasOutputPPI() / m_scaleFactor, units) ? units : 0;
}

std::unique_ptr<TGlobeProjection> TGlobeProjection::Clone() const
{
    auto copy = std::make_unique<TGlobeProjection>(m_globe);
    copy->Assign(*this);
    return copy;
}

void TGlobeProjection::Assign(const TGlobeRoot& source)
{
    const auto* other = dynamic_cast<const TGlobeProjection*>(&source);
    if (!other) {
        TGlobeENVPersistent::Assign(source);
        return;
    }
    m_xOrigin = other->m_xOrigin;
    m_yOrigin = other->m_yOrigin;
    m_altitude = other->m_altitude;
    m_xRotation = other->m_xRotation;
    m_yRotation = other->m_yRotation;
    m_zRotation = other->m_zRotation;
    m_maxLatitude = other->m_maxLatitude;
    m_minLatitude = other->m_minLatitude;
    m_maxLongitude = other->m_maxLongitude;
    m_minLongitude = other->m_minLongitude;
    m_maxZoom = other->m_maxZoom;
    m_minZoom = other->m_minZoom;
    m_scaleFactor = other->m_scaleFactor;
    m_centralMeridian = other->m_centralMeridian;
    m_centralParallel = other->m_centralParallel;
    m_firstParallel = other->m_firstParallel;
    m_secondParallel = other->m_secondParallel;
    m_spheroid = other->m_spheroid;
    m_xAxisChanges = other->m_xAxisChanges;
    m_yAxisChanges = other->m_yAxisChanges;
    m_model = other->m_model->Clone(*this);
    // The model's constructor set these; the source's values win.
    MeridianSegments = other->MeridianSegments;
    ParallelSegments = other->ParallelSegments;
    ModelProperties = other->ModelProperties;
    FarSidePass = other->FarSidePass;
}

std::unique_ptr<TGXML_Element> TGlobeProjection::SaveEnvironment() const
{
    auto e = std::make_unique<TGXML_Element>();
    e->AddFloat("ScaleFactor", m_scaleFactor);
    e->AddFloat("CentralMeridian", m_centralMeridian);
    e->AddFloat("CentralParallel", m_centralParallel);
    e->AddFloat("FirstParallel", m_firstParallel);
    e->AddFloat("SecondParallel", m_secondParallel);
    e->AddFloat("MaxLatitude", m_maxLatitude);
    e->AddFloat("MaxLongitude", m_maxLongitude);
    e->AddFloat("MaxZoom", m_maxZoom);
    e->AddFloat("MinLatitude", m_minLatitude);
    e->AddFloat("MinLongitude", m_minLongitude);
    e->AddFloat("MinZoom", m_minZoom);
    e->AddInteger("Spheroid", static_cast<int>(m_spheroid));
    e->AddFloat("XRotation", m_xRotation);
    e->AddFloat("YRotation", m_yRotation);
    e->AddFloat("ZRotation", m_zRotation);
    e->AddInteger("XOrigin", m_xOrigin);
    e->AddInteger("YOrigin", m_yOrigin);
    e->AddInteger("XAxisChanges", static_cast<int>(m_xAxisChanges));
    e->AddInteger("YAxisChanges", static_cast<int>(m_yAxisChanges));
    e->AddElement("ProjectionModel", m_model->SaveEnvironment());
    return e;
}

void TGlobeProjection::LoadEnvironment(const TGXML_Element* element)
{
    if (!element)
        return;
    if (const TGXML_Element* modelElement = element->ChildElement("ProjectionModel")) {
        const std::string className = modelElement->StringAttr("Class", ProjectionClass());
        auto model = CreateGlobeClass<TCustomProjectionModel, TGlobeProjection&>(className, *this);
        model->LoadEnvironment(modelElement);
        SetProjectionModel(std::move(model));
    }
    ApplyEnvironmentValues(*element);
}

void TGlobeProjection::ApplyEnvironmentValues(const TGXML_Element& e)
{
    SetSpheroid(EnumAttr(e, "Spheroid", m_spheroid, SPHEROID_COUNT));
    SetYAxisChanges(EnumAttr(e, "YAxisChanges", m_yAxisChanges, static_cast<int>(TYAxisChanges::yaNoAction) + 1));
    SetXAxisChanges(EnumAttr(e, "XAxisChanges", m_xAxisChanges, static_cast<int>(TXAxisChanges::xaNoAction) + 1));
    SetScaleFactor(e.FloatAttr("ScaleFactor", m_scaleFactor));
    SetMaxLatitude(e.FloatAttr("MaxLatitude", m_maxLatitude));
    SetMaxLongitude(e.FloatAttr("MaxLongitude", m_maxLongitude));
    SetMaxZoom(e.FloatAttr("MaxZoom", m_maxZoom));
    SetMinLatitude(e.FloatAttr("MinLatitude", m_minLatitude));
    SetMinLongitude(e.FloatAttr("MinLongitude", m_minLongitude));
    SetMinZoom(e.FloatAttr("MinZoom", m_minZoom));
    SetXRotation(e.FloatAttr("XRotation", m_xRotation));
    SetYRotation(e.FloatAttr("YRotation", m_yRotation));
    SetZRotation(e.FloatAttr("ZRotation", m_zRotation));
    SetXOrigin(e.Int32Attr("XOrigin", m_xOrigin));
    SetYOrigin(e.Int32Attr("YOrigin", m_yOrigin));
    SetCentralMeridian(e.FloatAttr("CentralMeridian", m_centralMeridian));
    SetCentralParallel(e.FloatAttr("CentralParallel", m_centralParallel));
    SetFirstParallel(e.FloatAttr("FirstParallel", m_firstParallel));
    SetSecondParallel(e.FloatAttr("SecondParallel", m_secondParallel));
}
