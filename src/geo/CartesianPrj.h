// The flat models: TCartesianPrj (plate carree: longitude and latitude
// linear), TMercatorPrj, and TTestCartesianPrj (plate carree turned in the
// screen plane by ZRotation). Longitudes are taken relative to the central
// meridian and wrap at the seam opposite it.
#pragma once

#include "geo/ProjectionModel.h"

class TCartesianPrj : public TProjectionModel {
public:
    explicit TCartesianPrj(TGlobeProjection& projection);
    std::string ClassName() const override { return "TCartesianPrj"; }

    // ProjectPoint over the chain, dropping sub-pixel repeats, in double
    // arithmetic with no call per point; the device points are exactly the
    // ones ProjectPoint gives.
    int ProjectChain(TPointStore& store, int startIndex, bool closed) override;
    bool ProjectPoint(const TGeoPoint& p, int index) override;
    bool ScreenToGeo(int32_t x, int32_t y, int index) override;
    // Rotations move the origin or the central meridian and parallel, as
    // XAxisChanges and YAxisChanges say.
    void ProjectionChanged(int kind) override;
    // The surface texture over the world rectangle, or the plain surface.
    void PaintSurface() override;
    void Assign(const TGlobeRoot& source) override;

protected:
    // The central meridian in GlobeUnits.
    int32_t CentralMeridianGU() const;
    // Inside the world extent, edges included.
    bool InsideWorld(int64_t longitude, int64_t lat) const;
    // The chain loop with the y of a latitude given by the model.
    template <typename Ordinate>
    int ProjectFlatChain(const TPointStore& store, int startIndex, const Ordinate& ordinate);
    // Screen point to (Long, Lat) by a model's inverse; false when the point
    // is off the map or the arithmetic fails.
    bool WriteGeo(long double longitude, long double lat, int index) const;

private:
    void XRotationChanged();
    void YRotationChanged();

    long double m_lastXRotation = 0;
    long double m_lastYRotation = 0;
};

class TMercatorPrj : public TCartesianPrj {
public:
    using TCartesianPrj::TCartesianPrj;
    std::string ClassName() const override { return "TMercatorPrj"; }

    int ProjectChain(TPointStore& store, int startIndex, bool closed) override;
    // Latitudes are held within +-89.99999981 degrees, so the poles stay
    // drawable.
    bool ProjectPoint(const TGeoPoint& p, int index) override;
    bool ScreenToGeo(int32_t x, int32_t y, int index) override;
};

class TTestCartesianPrj : public TCartesianPrj {
public:
    using TCartesianPrj::TCartesianPrj;
    std::string ClassName() const override { return "TTestCartesianPrj"; }

    // Point by point through the turned ProjectPoint.
    int ProjectChain(TPointStore& store, int startIndex, bool closed) override;
    bool ProjectPoint(const TGeoPoint& p, int index) override;
    bool ScreenToGeo(int32_t x, int32_t y, int index) override;
    void ProjectionChanged(int kind) override;
    void Assign(const TGlobeRoot& source) override;

private:
    long double m_sinZ = 0;
    long double m_cosZ = 1;
};

// Mercator ordinate of a latitude, in GlobeUnits.
long double MercatorY(int32_t lat);
