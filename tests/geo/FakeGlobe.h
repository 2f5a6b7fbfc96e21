// A globe control double for projection tests: a canvas of a given size that
// records what the projection asks of the globe.
#pragma once

#include "geo/CustomGlobe4.h"
#include "geo/DevicePoints.h"
#include "geo/GeoMath.h"
#include "geo/GlobeProjection.h"
#include "geo/TextureData.h"

#include <memory>
#include <vector>

class FakeGlobe : public TCustomGlobe4 {
public:
    struct Line {
        TGeoPoint from, to;
        int32_t steps;
    };

    FakeGlobe(int32_t width = 640, int32_t height = 480)
        : width(width)
        , height(height)
    {
        projection = std::make_unique<TGlobeProjection>(*this);
    }

    void Redraw() override { ++redraws; }
    void UpdateScrollBars() override { ++scrollBarUpdates; }
    // As the control does: longitude first, then latitude, in degrees.
    void CenterOn(int32_t longitude, int32_t lat) override
    {
        projection->SetCenterLongitude(static_cast<long double>(NormalizeLong(longitude)) / GU_DEGREE);
        projection->SetCenterLatitude(static_cast<long double>(lat) / GU_DEGREE);
    }
    void ZoomToRect(int32_t, int32_t, int32_t, int32_t) override { ++zoomToRects; }
    void FireZoomed(TGlobeRoot*) override { ++zoomed; }
    void FirePanned(TGlobeRoot*) override { ++panned; }
    bool IsLoading() const override { return loading; }
    TRect ViewExtent() const override { return viewExtent; }
    void SetViewExtent(const TRect& e) override { viewExtent = e; }
    TGlobeOptionsSet GlobeOptions() const override { return options; }
    int32_t GraticuleLongitudeStep() const override { return longStep; }
    int32_t GraticuleLatitudeStep() const override { return latStep; }
    TTextureData* SurfaceTexture() override { return &texture; }
    TGlobeProjection& Projection() const override { return *projection; }
    std::string FindDataFile(const std::string& name) override { return name; }
    int32_t CanvasWidth() const override { return width; }
    int32_t CanvasHeight() const override { return height; }
    int32_t CanvasOutputPPI() const override { return 96; }
    int32_t CanvasPenWidth() const override { return 1; }
    void RenderPoints(int32_t count, TGlobeObjectStateSet state, int32_t) override
    {
        const TPoint* p = DevicePoints().Data();
        polygons.emplace_back(p, p + count);
        lastState = state;
    }
    void RenderTexture(TTextureData&) override { ++textures; }
    void RenderTextureTriangle(const TGeoPoint (&corners)[3], TTextureData&) override
    {
        triangles.push_back({ corners[0], corners[1], corners[2] });
    }
    void RenderChains(TChainStore&, TGlobeObjectStateSet, int32_t) override { }
    void SelectCanvasPen(bool) override { }
    void SelectCanvasBrush(bool) override { }
    void DrawEllipse(const TRect&) override { }
    void RenderLine(const TGeoPoint& from, const TGeoPoint& to, int32_t steps) override
    {
        lines.push_back({ from, to, steps });
    }

    int32_t width, height;
    int redraws = 0, scrollBarUpdates = 0, zoomToRects = 0, zoomed = 0, panned = 0, textures = 0;
    bool loading = false;
    TRect viewExtent;
    TGlobeOptionsSet options { TGlobeOption::goCache3DPoints, TGlobeOption::goDoubleBuffered };
    int32_t longStep = 15, latStep = 15;
    TTextureData texture;
    std::vector<std::vector<TPoint>> polygons;
    TGlobeObjectStateSet lastState;
    std::vector<std::vector<TGeoPoint>> triangles;
    std::vector<Line> lines;
    std::unique_ptr<TGlobeProjection> projection;
};
