// TGlobeProjection: the view transform of one globe control. It holds where
// the origin lies on the screen, the scale (device pixels per GlobeUnit), the
// rotations, the zoom and pan limits, and owns the projection model that
// turns geographic points into device points and back.
#pragma once

#include "geo/GlobeRoot.h"
#include "geo/GlobeTypes.h"
#include "geo/GlobeUnits.h"

#include <cstdint>
#include <memory>
#include <string>

class TCustomGlobe4;
class TCustomProjectionModel;

// Property indices used by the setters, and the change kinds the model hears
// in ProjectionChanged.
enum TProjectionChange : int {
    pcXRotation = 0,
    pcYRotation = 1,
    pcZRotation = 2,
    pcScaleFactor = 3,
    pcXOrigin = 4,
    pcYOrigin = 5,
    pcCentralMeridian = 6,
    pcCentralParallel = 7,
    pcFirstParallel = 8,
    pcSecondParallel = 9,
    pcXAxisChanges = 11,
    pcYAxisChanges = 12,
    pcMaxLatitude = 13,
    pcMinLatitude = 14,
    pcMaxLongitude = 15,
    pcMinLongitude = 16,
    pcMaxZoom = 17,
    pcMinZoom = 18,
};
inline constexpr int PROJECTION_CHANGE_LAST = 18;

// What an XRotation change does on a flat model.
enum class TXAxisChanges : uint8_t { xaYOrigin = 0, xaCentralParallel = 1, xaNoAction = 2 };
// What a YRotation change does on a flat model.
enum class TYAxisChanges : uint8_t { yaXOrigin = 0, yaCentralMeridian = 1, yaNoAction = 2 };

// ModelProperties bits.
inline constexpr uint8_t MODEL_SEAMLESS = 1;
inline constexpr uint8_t MODEL_TEXTURE_CAPABLE = 2;

// A visibility answer together with the device point (or, for XYToGeo, the
// geographic point) it concerns.
struct TProjectedPoint {
    bool visible = false;
    TPoint point;
};
struct TScreenGeoPoint {
    bool onMap = false;
    TGeoPoint point;
};

// Registers TSphericalPrj, TCartesianPrj, TMercatorPrj and TTestCartesianPrj
// by name (idempotent; the projection calls it when created).
void RegisterProjectionModels();

class TGlobeProjection : public TGlobeENVPersistent {
public:
    // The globe must outlive the projection. The canvas size is read here, so
    // the globe answers CanvasWidth/CanvasHeight before it creates the
    // projection.
    explicit TGlobeProjection(TCustomGlobe4& globe);
    ~TGlobeProjection() override;
    std::string ClassName() const override { return "TGlobeProjection"; }

    TCustomGlobe4& Globe() const { return m_globe; }
    TCustomProjectionModel& ProjectionModel() const { return *m_model; }

    // --- Setters by index -----------------------------------------------------
    // XOrigin (4) and YOrigin (5) are stored when they change; any index then
    // notifies the model and asks for a redraw.
    void SetIntegerProperty(int index, int32_t value);
    // Stores with the limits of each index; nothing at all happens for an
    // unchanged value. Notifies the model, updates scroll bars, redraws.
    void SetExtendedProperty(int index, long double value);
    // The new model (a spherical one for null) is installed, told every change
    // kind, and the geographic point at the window centre is kept there when
    // the model class changes.
    void SetProjectionModel(std::unique_ptr<TCustomProjectionModel> model);

    // --- Properties -----------------------------------------------------------
    int32_t XOrigin() const { return m_xOrigin; }
    int32_t YOrigin() const { return m_yOrigin; }
    void SetXOrigin(int32_t v) { SetIntegerProperty(pcXOrigin, v); }
    void SetYOrigin(int32_t v) { SetIntegerProperty(pcYOrigin, v); }
    long double XRotation() const { return m_xRotation; }
    long double YRotation() const { return m_yRotation; }
    long double ZRotation() const { return m_zRotation; }
    void SetXRotation(long double v) { SetExtendedProperty(pcXRotation, v); }
    void SetYRotation(long double v) { SetExtendedProperty(pcYRotation, v); }
    void SetZRotation(long double v) { SetExtendedProperty(pcZRotation, v); }
    long double CentralMeridian() const { return m_centralMeridian; }
    long double CentralParallel() const { return m_centralParallel; }
    long double FirstParallel() const { return m_firstParallel; }
    long double SecondParallel() const { return m_secondParallel; }
    void SetCentralMeridian(long double v) { SetExtendedProperty(pcCentralMeridian, v); }
    void SetCentralParallel(long double v) { SetExtendedProperty(pcCentralParallel, v); }
    void SetFirstParallel(long double v) { SetExtendedProperty(pcFirstParallel, v); }
    void SetSecondParallel(long double v) { SetExtendedProperty(pcSecondParallel, v); }
    long double MaxLatitude() const { return m_maxLatitude; }
    long double MinLatitude() const { return m_minLatitude; }
    long double MaxLongitude() const { return m_maxLongitude; }
    long double MinLongitude() const { return m_minLongitude; }
    long double MaxZoom() const { return m_maxZoom; }
    long double MinZoom() const { return m_minZoom; }
    void SetMaxLatitude(long double v) { SetExtendedProperty(pcMaxLatitude, v); }
    void SetMinLatitude(long double v) { SetExtendedProperty(pcMinLatitude, v); }
    void SetMaxLongitude(long double v) { SetExtendedProperty(pcMaxLongitude, v); }
    void SetMinLongitude(long double v) { SetExtendedProperty(pcMinLongitude, v); }
    void SetMaxZoom(long double v) { SetExtendedProperty(pcMaxZoom, v); }
    void SetMinZoom(long double v) { SetExtendedProperty(pcMinZoom, v); }

    long double ScaleFactor() const { return m_scaleFactor; }
    // 0 fits the model's world into the window. Zooms about the window centre.
    void SetScaleFactor(long double x);
    int32_t Altitude() const { return m_altitude; }
    // ScaleFactor := 1 / (tan 50 degrees * a); 0 fits the world.
    void SetAltitude(int32_t a);

    TSpheroid Spheroid() const { return m_spheroid; }
    // Values outside the spheroid table are ignored.
    void SetSpheroid(TSpheroid s);
    TXAxisChanges XAxisChanges() const { return m_xAxisChanges; }
    TYAxisChanges YAxisChanges() const { return m_yAxisChanges; }
    void SetXAxisChanges(TXAxisChanges v);
    void SetYAxisChanges(TYAxisChanges v);
    bool UseMinMaxLimits() const { return m_useMinMaxLimits; }
    // On: switches to TCartesianPrj with xaYOrigin and yaXOrigin.
    void SetUseMinMaxLimits(bool on);

    std::string ProjectionClass() const;
    // Creates a model of the registered class. An unknown name raises
    // "Class <name> not found", a class that is no projection model "Class
    // <name> does not inherit from TProjectionModel"; the model stays then.
    void SetProjectionClass(const std::string& name);

    int32_t MeridianSegments = 72;
    int32_t ParallelSegments = 144;
    uint8_t ModelProperties = 0;
    // Set by the globe while it draws the far side of a transparent globe.
    bool FarSidePass = false;

    // Degrees under the window centre; 2,147,483,647.0 when off the map.
    long double CenterLatitude() const;
    long double CenterLongitude() const;
    void SetCenterLatitude(long double lat);
    void SetCenterLongitude(long double longitude);

    TPoint GetOrigin() const { return { m_xOrigin, m_yOrigin }; }
    // Moves the origin (firing OnPanned when it changed); always updates the
    // scroll bars and redraws.
    void SetOrigin(const TPoint& p);

    // The geographic point under a device point; off the map: false and
    // (972,000,000, 972,000,000).
    TScreenGeoPoint XYToGeo(int32_t x, int32_t y) const;
    // The device point of a geographic point (also when not visible).
    TProjectedPoint LongLatToXY(int32_t longitude, int32_t lat) const;
    TProjectedPoint GeoToXY(const TGeoPoint& p) const;
    TRect WorldExtent() const;
    // GlobeUnits under one inch of the screen.
    int32_t GlobeUnitsPerInch() const;

    std::unique_ptr<TGlobeProjection> Clone() const;
    void Assign(const TGlobeRoot& source) override;
    void LoadEnvironment(const TGXML_Element* element) override;
    std::unique_ptr<TGXML_Element> SaveEnvironment() const override;

    // Stores the central meridian without telling anyone: the surface painter
    // computes with 0 and puts the value back in the middle of a paint.
    void StoreCentralMeridianQuietly(long double v) { m_centralMeridian = v; }
    // Stores scale and altitude as they are: the canvas rescales this way on a
    // resize and then tells the model itself.
    void StoreScaleQuietly(long double scale, int32_t altitude)
    {
        m_scaleFactor = scale;
        m_altitude = altitude;
    }

private:
    long double* ExtendedField(int index);
    void NotifyModel(int kind);
    bool ZoomAboutCentre(long double x);
    long double FitScale() const;
    void ApplyEnvironmentValues(const TGXML_Element& e);

    TCustomGlobe4& m_globe;
    int32_t m_xOrigin = 0;
    int32_t m_yOrigin = 0;
    int32_t m_altitude = 0;
    long double m_xRotation = 23.5L;
    long double m_yRotation = 0;
    long double m_zRotation = 0;
    long double m_maxLatitude = 90;
    long double m_minLatitude = -90;
    long double m_maxLongitude = 180;
    long double m_minLongitude = -180;
    long double m_maxZoom = 0;
    long double m_minZoom = 0;
    long double m_scaleFactor = 0;
    long double m_centralMeridian = 0;
    long double m_centralParallel = 0;
    long double m_firstParallel = 0;
    long double m_secondParallel = 0;
    TSpheroid m_spheroid = TSpheroid::WGS84;
    TXAxisChanges m_xAxisChanges = TXAxisChanges::xaYOrigin;
    TYAxisChanges m_yAxisChanges = TYAxisChanges::yaCentralMeridian;
    std::unique_ptr<TCustomProjectionModel> m_model;
    bool m_useMinMaxLimits = false;
};
