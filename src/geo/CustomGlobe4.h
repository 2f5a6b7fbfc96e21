// TCustomGlobe4: what the projection frame and the projection models need of
// the globe control. The control itself (TGlobe4) implements these services
// with its window and canvas; tests use a small double.
#pragma once

#include "geo/GlobeTypes.h"

#include <cstdint>

#include <string>

class TChainStore;
class TGlobeProjection;
class TGlobeRoot;
class TTextureData;

class TCustomGlobe4 {
public:
    virtual ~TCustomGlobe4() = default;

    // --- View --------------------------------------------------------------
    // Marks the picture stale and asks for a repaint.
    virtual void Redraw() = 0;
    virtual void UpdateScrollBars() = 0;
    // Brings the geographic point (GlobeUnits) to the centre of the window.
    virtual void CenterOn(int32_t longitude, int32_t lat) = 0;
    // A rectangle of the projected plane in screen pixels / ScaleFactor,
    // measured from the view's top-left; a zero width shows the whole world.
    virtual void ZoomToRect(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    // Fire OnZoomed / OnPanned with the given sender. The projection does not
    // call them while IsLoading() answers true.
    virtual void FireZoomed(TGlobeRoot* sender) = 0;
    virtual void FirePanned(TGlobeRoot* sender) = 0;
    virtual bool IsLoading() const = 0;
    // The window size in GlobeUnits: (0, 0, width / scale, height / scale).
    virtual TRect ViewExtent() const = 0;
    virtual void SetViewExtent(const TRect& extent) = 0;
    virtual TGlobeOptionsSet GlobeOptions() const = 0;
    // Graticule spacing in degrees.
    virtual int32_t GraticuleLongitudeStep() const = 0;
    virtual int32_t GraticuleLatitudeStep() const = 0;
    // The surface texture, or null; it may hold no image.
    virtual TTextureData* SurfaceTexture() = 0;

    virtual TGlobeProjection& Projection() const = 0;
    // The file a data file name stands for, searched in the data directory;
    // empty when none is found.
    virtual std::string FindDataFile(const std::string& name) = 0;

    // --- Canvas ------------------------------------------------------------
    virtual int32_t CanvasWidth() const = 0;
    virtual int32_t CanvasHeight() const = 0;
    virtual int32_t CanvasOutputPPI() const = 0;
    // Width in pixels of the canvas's current pen (the clipping margin).
    virtual int32_t CanvasPenWidth() const = 0;
    // Clips and draws DevicePoints()[0 .. count-1] with the current pen and
    // brush: a polygon when state holds osClosed, else a polyline.
    virtual void RenderPoints(int32_t count, TGlobeObjectStateSet state, int32_t margin) = 0;
    // Draws a texture over its geographic rectangle.
    virtual void RenderTexture(TTextureData& texture) = 0;
    virtual void RenderTextureTriangle(const TGeoPoint (&corners)[3], TTextureData& texture) = 0;
    // Splits the chains at the seam, projects, clips and draws them with the
    // current pen and brush.
    virtual void RenderChains(TChainStore& chains, TGlobeObjectStateSet state, int32_t margin) = 0;
    // Select the canvas's own pen or brush (the selected look when asked):
    // what objects without a presenter are drawn with.
    virtual void SelectCanvasPen(bool selected) = 0;
    virtual void SelectCanvasBrush(bool selected) = 0;
    virtual void DrawEllipse(const TRect& rect) = 0;

    // --- Drawing services --------------------------------------------------
    // A line straight in longitude and latitude, in steps segments.
    virtual void RenderLine(const TGeoPoint& from, const TGeoPoint& to, int32_t steps) = 0;
};
