// TDrawingGlobe: the globe control as the drawing classes see it. Besides the
// services of TCustomGlobe4 it owns a canvas and the platform pens and brushes
// for selected objects and for the far-side pass, and limits text heights.
// The canvas services of TCustomGlobe4 are answered by the canvas here, so the
// control and test doubles only provide the state.
#pragma once

#include "geo/CustomGlobe4.h"

#include <QBrush>
#include <QPen>
#include <string>

class TGlobeCanvas;
class TGlobePresenterStore;

class TDrawingGlobe : public TCustomGlobe4 {
public:
    virtual TGlobeCanvas& Canvas() const = 0;
    // Used instead of a presenter's pen, brush and font colour for selected
    // objects.
    virtual QPen SelectedPen() const = 0;
    virtual QBrush SelectedBrush() const = 0;
    // Everything drawn in the far-side pass of a transparent globe.
    virtual QPen TransparentPen() const = 0;
    virtual QBrush TransparentBrush() const = 0;
    // Screen pixels, scaled to the output resolution; MaxTextHeight 0 means
    // no maximum.
    virtual int32_t MinTextHeight() const = 0;
    virtual int32_t MaxTextHeight() const = 0;
    // The store of the global presenters, or null while there is none.
    virtual TGlobePresenterStore* GlobalPresenters() const = 0;
    // The folder data file names are written relative to (may be empty).
    virtual std::string DataDirectory() const = 0;

    int32_t CanvasWidth() const override;
    int32_t CanvasHeight() const override;
    int32_t CanvasOutputPPI() const override;
    int32_t CanvasPenWidth() const override;
    void RenderPoints(int32_t count, TGlobeObjectStateSet state, int32_t margin) override;
    void RenderTexture(TTextureData& texture) override;
    void RenderTextureTriangle(const TGeoPoint (&corners)[3], TTextureData& texture) override;
    void RenderChains(TChainStore& chains, TGlobeObjectStateSet state, int32_t margin) override;
    void SelectCanvasPen(bool selected) override;
    void SelectCanvasBrush(bool selected) override;
    void DrawEllipse(const TRect& rect) override;
};
