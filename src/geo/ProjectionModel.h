// Projection models turn geographic points into device points of the globe's
// canvas and back, test what is visible, and paint the surface and the
// graticule. Results go to the shared DevicePoints() buffer at an index the
// caller chooses, so a whole chain lands in consecutive slots.
//
//   TCustomProjectionModel -> TProjectionModel -> TSphericalPrj
//                                              -> TCartesianPrj -> TMercatorPrj
//                                                               -> TTestCartesianPrj
#pragma once

#include "geo/GeoMath.h"
#include "geo/GlobeProjection.h"
#include "geo/GlobeRoot.h"
#include "geo/GlobeTypes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

class TPointStore;

// A visibility answer of ClipCode: code = outcode(min corner) * 16 +
// outcode(max corner), with outcode bits 1 x < 0, 2 x > w, 4 y < 0, 8 y > h.
struct TClipCode {
    bool visible = false;
    int code = 0;
};

class TCustomProjectionModel : public TGlobeENVPersistent {
public:
    // The projection owns the model; the model only refers to it.
    explicit TCustomProjectionModel(TGlobeProjection& projection);
    TGlobeProjection& Projection() const { return m_projection; }

    // Projects a chain into DevicePoints() from startIndex on, dropping points
    // within a pixel of the previous one; answers the index after the last.
    virtual int ProjectChain(TPointStore& store, int startIndex, bool closed) = 0;
    virtual bool ProjectLongLat(int32_t longitude, int32_t lat, int index) = 0;
    // Writes the device point (also when not visible) and answers visibility.
    virtual bool ProjectPoint(const TGeoPoint& p, int index) = 0;
    // Writes (Long, Lat) into DevicePoints()[index] when the point is on the map.
    virtual bool ScreenToGeo(int32_t x, int32_t y, int index) = 0;
    // (left, top, right, bottom) in GlobeUnits; "top" is the south edge.
    virtual TRect WorldExtent() const = 0;
    virtual TClipCode ClipCode(int count) = 0;
    // Updates the clip and face bits of state; answers whether the rectangle
    // shows.
    virtual bool MERVisibility(const TMER& mer, TGlobeObjectStateSet& state) = 0;
    virtual void ProjectionChanged(int kind) = 0;
    virtual void PaintSurface() = 0;
    virtual void PaintGraticule() = 0;
    // A new model of the same class for the given projection, assigned from
    // this one.
    virtual std::unique_ptr<TCustomProjectionModel> Clone(TGlobeProjection& projection) const;

    // Models copy only their own derived state.
    void Assign(const TGlobeRoot& source) override;
    void LoadEnvironment(const TGXML_Element*) override { }
    // An element holding "Class".
    std::unique_ptr<TGXML_Element> SaveEnvironment() const override;

protected:
    TCustomGlobe4& Globe() const;

private:
    TGlobeProjection& m_projection;
};

class TProjectionModel : public TCustomProjectionModel {
public:
    explicit TProjectionModel(TGlobeProjection& projection);

    int ProjectChain(TPointStore& store, int startIndex, bool closed) override;
    bool ProjectLongLat(int32_t longitude, int32_t lat, int index) override;
    TRect WorldExtent() const override;
    TClipCode ClipCode(int count) override;
    bool MERVisibility(const TMER& mer, TGlobeObjectStateSet& state) override;
    // The world rectangle as one clipped polygon with the current pen and brush.
    void PaintSurface() override;
    void PaintGraticule() override;

private:
    bool RectangleVisibility(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TGlobeObjectStateSet& state);
};

// Device coordinate of a projected value: rounded (ties to even), moved by the
// origin, and held within +-2^30 so that differences of two device
// coordinates always fit an int32 for the clipping arithmetic.
int32_t DeviceCoord(long double projected, int32_t origin);

// DeviceCoord of a value computed in double arithmetic that lies within error
// of the extended value: false, leaving out alone, when the two could round
// apart (near a half) or the value is out of the plain range, so the caller
// takes the extended value instead. Inline: it runs for every vertex drawn.
inline bool DeviceCoordInDouble(double projected, double error, int32_t origin, int32_t& out)
{
    constexpr double limit = 1 << 30;
    double rounded;
    if (!(std::abs(projected) < limit) || !RoundsUnambiguously(projected, error, rounded))
        return false;
    out = static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(rounded) + origin, -(1 << 30), 1 << 30));
    return true;
}
