// TGlobeCanvas: the drawing surface of one globe. It keeps the platform
// drawing state (pen, brush, font, text and background colours) over a
// QPainter, owns the off-screen image used for double buffering (32 bits a
// pixel, the format QPainter draws fastest and the window shows unconverted),
// converts sizes given in measurement units into device pixels, adjusts
// colours per layer, and clips and draws what the projection models put into
// the shared device-point buffers: polygons, polylines, chains split at the
// seam of flat maps, and textured triangles.
#pragma once

#include "geo/GlobeRoot.h"
#include "geo/GlobeTypes.h"
#include "geo/GlobeUnits.h"
#include "view/GlobeAttribute.h"

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class TChainStore;
class TPointStore;
class TDrawingGlobe;
class TGlobeProjection;
class TTextureData;

// Text alignment flags of the platform: one horizontal and one vertical.
inline constexpr unsigned TA_LEFT = 0;
inline constexpr unsigned TA_RIGHT = 2;
inline constexpr unsigned TA_CENTER = 6;
inline constexpr unsigned TA_TOP = 0;
inline constexpr unsigned TA_BOTTOM = 8;
inline constexpr unsigned TA_BASELINE = 24;

class TGlobeCanvas : public TGlobeRoot {
public:
    // A null globe raises "TGlobeCanvas.Create passed nil Parent".
    explicit TGlobeCanvas(TDrawingGlobe* globe);
    ~TGlobeCanvas() override;
    TGlobeCanvas(const TGlobeCanvas&) = delete;
    TGlobeCanvas& operator=(const TGlobeCanvas&) = delete;
    std::string ClassName() const override { return "TGlobeCanvas"; }

    std::unique_ptr<TGlobeCanvas> Clone() const;
    // From another canvas: size, pen, brush, fonts and a new image.
    void Assign(const TGlobeRoot& source) override;

    TDrawingGlobe& Globe() const { return *m_globe; }
    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    int32_t OutputPPI = 96;
    int32_t ScreenPPI() const { return m_screenPPI; }
    TGlobePen& Pen() { return m_pen; }
    TGlobeBrush& Brush() { return m_brush; }
    TGlobeFont& SymbolFont() { return m_symbolFont; }
    TGlobeFont& TitleFont() { return m_titleFont; }
    // The off-screen image: RGB32, rows top down; made when first needed.
    const QImage& Image() const;
    int32_t ImageStride() const { return static_cast<int32_t>(Image().bytesPerLine()); }

    // --- Colour adjustment ---------------------------------------------------
    int32_t ChangeCount() const { return m_changeCount; }
    int32_t ColorAdjustPercent() const { return m_adjustPercent; }
    TColor ColorAdjustTarget() const { return m_adjustTarget; }
    void SetColorAdjustPercent(int32_t percent);
    void SetColorAdjustTarget(TColor target);
    // Blends the colour towards the target by the percentage.
    TColor AdjustColor(TColor color) const;

    // --- Size and drawing target ---------------------------------------------
    // Keeps the geographic point at the centre and scales with the diagonal
    // (unless the globe options say otherwise); false for a size below 1.
    bool SetCanvasSize(int32_t width, int32_t height);
    void SetImageSize(int32_t width, int32_t height, int32_t ppi);
    // Draws through the painter (not owned) from now on; null draws nowhere.
    void AttachDC(QPainter* dc);
    // Draws into the off-screen image until EndImageDraw.
    void BeginImageDraw(const TGlobeCanvas* reference);
    // Draws until EndImageDraw straight into the canvas-sized part of target
    // (32 bits a pixel) whose top-left corner is at; the pixels are the
    // target's own, nothing is copied.
    void BeginImageDrawInto(QImage& target, QPoint at);
    // Whether BeginImageDrawInto can draw into the rect of image.
    static bool CanDrawInto(const QImage& image, const QRect& rect);
    void EndImageDraw(QPainter* dc);
    QPainter* DC() const { return m_dc; }
    // Puts the canvas's pen, brush, font and modes into the painter again.
    void ResetDrawState();

    // --- Units ------------------------------------------------------------------
    int64_t ValueToGU(TGlobeUnitTypes unit, long double value) const;
    int32_t UnitsToPixels(long double value, TGlobeUnitTypes unit) const;
    int32_t UnitSizeToPixels(long double value, TGlobeUnitTypes unit) const;

    // --- Device points ------------------------------------------------------
    // Clips DevicePoints()[0 .. count-1] to the view edges named by the clip
    // bits of state; answers the new count.
    int ClipPoints(int count, TGlobeObjectStateSet state, int32_t margin);
    void RenderPoints(int count, TGlobeObjectStateSet state, int32_t margin);
    void RenderChains(TChainStore& chains, TGlobeObjectStateSet state, int32_t margin);
    void RenderRotatedPath(const TVector3& start, const TMatrix3& rotation, int steps, bool withHeight);
    void RenderTextureTriangle(const TGeoPoint (&corners)[3], TTextureData& texture);
    void RenderTexture(TTextureData& texture);

    // --- Platform drawing state ---------------------------------------------
    void SelectPen(const QPen& pen);
    void SelectBrush(const QBrush& brush);
    // Escapement in tenths of a degree, counter-clockwise.
    void SelectFont(const QFont& font, int32_t escapement = 0);
    const QPen& PlatformPen() const { return m_qpen; }
    const QBrush& PlatformBrush() const { return m_qbrush; }
    const QFont& PlatformFont() const { return m_qfont; }
    int32_t PlatformPenWidth() const;
    void SetBkTransparent(bool transparent);
    bool BkTransparent() const { return m_bkTransparent; }
    void SetBkColor(const QColor& color);
    const QColor& BkColor() const { return m_bkColor; }
    void SetTextColor(const QColor& color);
    const QColor& TextColor() const { return m_textColor; }
    void SetTextAlign(unsigned flags) { m_textAlign = flags; }

    // --- Primitives (current pen and brush; polygons fill odd-even) ----------
    void Polygon(std::span<const TPoint> points);
    void Polyline(std::span<const TPoint> points);
    void Ellipse(const TRect& r);
    void Rectangle(const TRect& r);
    void SetPixel(int32_t x, int32_t y, const QColor& color);
    // Text at the reference point by the text alignment, turned by the
    // font's escapement, on the background colour when it is opaque.
    void TextOut(int32_t x, int32_t y, const QString& text);
    QSize TextExtent(const QString& text) const;
    void StretchDraw(const TRect& r, const QImage& image);

private:
    TGlobeProjection& Projection() const;
    void CreateImage();
    void EnsureImage() const;
    // Applies the drawing state to the painter before a primitive.
    QPainter* PreparePainter();
    int ClipEdge(int edge, int count, bool closed, int32_t margin);
    bool ChainMayShow(const TPointStore& chain);
    void RenderSplitChain(TPointStore& chain, TGlobeObjectStateSet state, int32_t margin);
    void RenderPieces(TChainStore& pieces, TGlobeObjectStateSet state, int32_t margin);
    void RenderOpenPieces(TChainStore& pieces, TGlobeObjectStateSet state, int32_t margin);
    void RenderOpenPiece(const TPointStore& piece, TGlobeObjectStateSet state, int32_t margin);
    void SubdivideTexture(int32_t long1, int32_t lat1, int32_t long2, int32_t lat2, TTextureData& texture);
    void ScanTriangle(const TPoint (&device)[3], const TPoint (&texel)[3], TTextureData& texture);

    TDrawingGlobe* m_globe;
    // Lets attributes find out whether the canvas they were made for still lives.
    std::shared_ptr<TGlobeCanvas*> m_self;
    QPainter* m_dc = nullptr;
    std::unique_ptr<QPainter> m_imagePainter;
    int32_t m_width = 150;
    int32_t m_height = 150;
    int32_t m_screenPPI = 96;
    TGlobePen m_pen;
    TGlobeBrush m_brush;
    TGlobeFont m_symbolFont;
    TGlobeFont m_titleFont;
    // Made by EnsureImage when due; borrowed while drawing into a target.
    mutable QImage m_image;
    mutable bool m_imageDue = true;
    bool m_imageBorrowed = false;
    int32_t m_changeCount = 0;
    int32_t m_adjustPercent = 0;
    TColor m_adjustTarget = 0xC0C0C0;

    QPen m_qpen;
    QBrush m_qbrush;
    QFont m_qfont;
    int32_t m_escapement = 0;
    bool m_bkTransparent = false;
    QColor m_bkColor = Qt::white;
    QColor m_textColor = Qt::black;
    unsigned m_textAlign = TA_LEFT | TA_TOP;
    bool m_stateDirty = true;
    std::vector<QPoint> m_qpoints;

    friend class TGlobeAttribute;
};
