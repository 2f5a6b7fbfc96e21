#include "view/DrawingGlobe.h"

#include "view/GlobeCanvas.h"

int32_t TDrawingGlobe::CanvasWidth() const
{
    return Canvas().Width();
}

int32_t TDrawingGlobe::CanvasHeight() const
{
    return Canvas().Height();
}

int32_t TDrawingGlobe::CanvasOutputPPI() const
{
    return Canvas().OutputPPI;
}

int32_t TDrawingGlobe::CanvasPenWidth() const
{
    return Canvas().PlatformPenWidth();
}

void TDrawingGlobe::RenderPoints(int32_t count, TGlobeObjectStateSet state, int32_t margin)
{
    Canvas().RenderPoints(count, state, margin);
}

void TDrawingGlobe::RenderTexture(TTextureData& texture)
{
    Canvas().RenderTexture(texture);
}

void TDrawingGlobe::RenderTextureTriangle(const TGeoPoint (&corners)[3], TTextureData& texture)
{
    Canvas().RenderTextureTriangle(corners, texture);
}

void TDrawingGlobe::RenderChains(TChainStore& chains, TGlobeObjectStateSet state, int32_t margin)
{
    Canvas().RenderChains(chains, state, margin);
}

void TDrawingGlobe::SelectCanvasPen(bool selected)
{
    TGlobeCanvas& canvas = Canvas();
    canvas.Pen().Select(canvas, selected);
}

void TDrawingGlobe::SelectCanvasBrush(bool selected)
{
    TGlobeCanvas& canvas = Canvas();
    canvas.Brush().Select(canvas, selected);
}

void TDrawingGlobe::DrawEllipse(const TRect& rect)
{
    Canvas().Ellipse(rect);
}
