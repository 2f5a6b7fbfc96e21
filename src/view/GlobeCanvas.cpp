#include "view/GlobeCanvas.h"

#include "geo/ChainStore.h"
#include "geo/DevicePoints.h"
#include "geo/GeoMath.h"
#include "geo/GlobeProjection.h"
#include "geo/ProjectionModel.h"
#include "geo/TextureData.h"
#include "platform/GlobeException.h"
#include "view/Colors.h"
#include "view/DrawingGlobe.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace {

// The antimeridian of the central meridian (degrees), where flat maps are cut.
int32_t SeamLongitude(long double centralMeridian)
{
    return NormalizeLong(int64_t { Rnd(centralMeridian * GU_DEGREE) } + GU_180_DEGREE);
}

// False when the chain's rectangle shows that no two of its points lie 90
// degrees or more from the central meridian on opposite sides, so no
// segment can cross the seam.
bool MayCrossSeam(const TMER& mer, int32_t centralMeridian)
{
    int64_t west = int64_t { mer.Left } - centralMeridian;
    if (west < -GU_180_DEGREE)
        west += GU_360_DEGREE;
    else if (west > GU_180_DEGREE)
        west -= GU_360_DEGREE;
    const int64_t east = west + mer.Width;
    // Within these bounds every point lies between west and east from the
    // central meridian as the seam test measures it, without a wrap.
    if (west <= -(GU_180_DEGREE - 1) || east >= GU_180_DEGREE - 1)
        return true;
    return west <= -GU_90_DEGREE && east >= GU_90_DEGREE;
}

int ScreenDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? static_cast<int>(std::lround(screen->logicalDotsPerInchY())) : 96;
}

} // namespace

TGlobeCanvas::TGlobeCanvas(TDrawingGlobe* globe)
    : m_globe(globe)
    , m_self(std::make_shared<TGlobeCanvas*>(this))
{
    if (!globe)
        throw EGlobeException("TGlobeCanvas.Create passed nil Parent");
    m_screenPPI = ScreenDpi();
    OutputPPI = m_screenPPI;
    m_pen.SetPenAttributes(clBlack, TPenStyle::psSolid, 1, TGlobeUnitTypes::Pixel);
    m_brush.SetBrushAttributes(clWhite, TGlobeBrushStyle::bsSolid);
    m_symbolFont.SetFontAttributes("WingDings", clBlack, 0, 0, TGlobeUnitTypes::Pixel, 9);
    m_titleFont.SetFontAttributes("Arial", clBlack, 0, 0, TGlobeUnitTypes::Pixel, 9);
    CreateImage();
}

TGlobeCanvas::~TGlobeCanvas()
{
    if (m_imagePainter && m_imagePainter->isActive())
        m_imagePainter->end();
}

std::unique_ptr<TGlobeCanvas> TGlobeCanvas::Clone() const
{
    auto copy = std::make_unique<TGlobeCanvas>(m_globe);
    copy->Assign(*this);
    return copy;
}

void TGlobeCanvas::Assign(const TGlobeRoot& source)
{
    const auto* from = dynamic_cast<const TGlobeCanvas*>(&source);
    if (!from) {
        TGlobeRoot::Assign(source);
        return;
    }
    m_width = from->m_width;
    m_height = from->m_height;
    m_pen.Assign(from->m_pen);
    m_brush.Assign(from->m_brush);
    m_symbolFont.Assign(from->m_symbolFont);
    m_titleFont.Assign(from->m_titleFont);
    SetImageSize(m_width, m_height, from->m_screenPPI);
}

TGlobeProjection& TGlobeCanvas::Projection() const
{
    return m_globe->Projection();
}

// --- Colour adjustment ----------------------------------------------------------

void TGlobeCanvas::SetColorAdjustPercent(int32_t percent)
{
    if (percent == m_adjustPercent)
        return;
    m_adjustPercent = percent;
    ++m_changeCount;
}

void TGlobeCanvas::SetColorAdjustTarget(TColor target)
{
    if (target == m_adjustTarget)
        return;
    m_adjustTarget = target;
    ++m_changeCount;
}

TColor TGlobeCanvas::AdjustColor(TColor color) const
{
    if (m_adjustPercent == 0)
        return color;
    const auto rgb = static_cast<uint32_t>(ColorToRGB(color));
    const auto target = static_cast<uint32_t>(ColorToRGB(m_adjustTarget));
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const long double x = (rgb >> shift) & 0xFF, t = (target >> shift) & 0xFF;
        const int64_t channel = std::clamp<int64_t>(Rnd64((t - x) * m_adjustPercent / 100 + x), 0, 255);
        result |= static_cast<uint32_t>(channel) << shift;
    }
    return static_cast<TColor>(result);
}

// --- Size and target --------------------------------------------------------------

bool TGlobeCanvas::SetCanvasSize(int32_t w, int32_t h)
{
    if (w < 1 || h < 1)
        return false;
    TGlobeProjection& projection = Projection();
    const TScreenGeoPoint centre = projection.XYToGeo(m_width / 2, m_height / 2);
    const long double ratio = Hypot(w, h) / Hypot(m_width, m_height);
    int32_t x = MulDiv(projection.XOrigin(), w, m_width);
    int32_t y = MulDiv(projection.YOrigin(), h, m_height);
    const TGlobeOptionsSet options = m_globe->GlobeOptions();
    if (!options.contains(TGlobeOption::goConstantScaleOnResize)) {
        const long double old = projection.ScaleFactor();
        long double s = std::min<long double>(old * ratio, 3);
        const long double longest = std::max(w, h);
        if (longest / s > 2147483647.0L)
            s = longest / 2147483647.0L;
        projection.SetXOrigin(Rnd((projection.XOrigin() - m_width / 2.0L) / old * s + w / 2.0L));
        projection.SetYOrigin(Rnd((projection.YOrigin() - m_height / 2.0L) / old * s + h / 2.0L));
        projection.StoreScaleQuietly(s, Rnd(1 / (Tan(50 * PI_L / 180) * s)));
        m_globe->SetViewExtent({ 0, 0, Rnd(w / s), Rnd(h / s) });
        projection.ProjectionModel().ProjectionChanged(pcScaleFactor);
    }
    if (!options.contains(TGlobeOption::goFixedCenterXYOnResize)) {
        if (centre.onMap) {
            const TProjectedPoint p = projection.GeoToXY(centre.point);
            x = SaturatedInt32(int64_t { w / 2 } + projection.XOrigin() - p.point.X);
            y = SaturatedInt32(int64_t { h / 2 } + projection.YOrigin() - p.point.Y);
        }
        projection.SetXOrigin(x);
        projection.SetYOrigin(y);
    }
    m_width = w;
    m_height = h;
    return true;
}

void TGlobeCanvas::CreateImage()
{
    if (m_imagePainter && m_imagePainter->isActive())
        m_imagePainter->end();
    // A canvas that is cloned for one render to another device never draws
    // into its own image: it is made when first needed.
    m_image = QImage();
    m_imageBorrowed = false;
    m_imageDue = true;
}

void TGlobeCanvas::EnsureImage() const
{
    if (!m_imageDue)
        return;
    m_image = QImage(m_width, m_height, QImage::Format_RGB32);
    m_image.fill(Qt::white);
    m_imageDue = false;
}

const QImage& TGlobeCanvas::Image() const
{
    EnsureImage();
    return m_image;
}

bool TGlobeCanvas::CanDrawInto(const QImage& image, const QRect& rect)
{
    const QImage::Format format = image.format();
    const bool wide = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
        || format == QImage::Format_ARGB32_Premultiplied;
    return wide && QRect(QPoint(0, 0), image.size()).contains(rect);
}

void TGlobeCanvas::BeginImageDrawInto(QImage& target, QPoint at)
{
    if (m_imagePainter && m_imagePainter->isActive())
        m_imagePainter->end();
    const qsizetype stride = target.bytesPerLine();
    m_image = QImage(target.bits() + at.y() * stride + qsizetype { at.x() } * 4, m_width, m_height, stride,
        target.format());
    m_imageDue = false;
    m_imageBorrowed = true;
    m_imagePainter = std::make_unique<QPainter>(&m_image);
    AttachDC(m_imagePainter.get());
}

void TGlobeCanvas::SetImageSize(int32_t width, int32_t height, int32_t ppi)
{
    if (!SetCanvasSize(width, height))
        return;
    OutputPPI = ppi;
    const bool drawing = m_imagePainter && m_dc == m_imagePainter.get();
    CreateImage();
    if (drawing) {
        EnsureImage();
        m_imagePainter->begin(&m_image);
        m_stateDirty = true;
    }
}

void TGlobeCanvas::AttachDC(QPainter* dc)
{
    m_dc = dc;
    m_stateDirty = true;
}

void TGlobeCanvas::BeginImageDraw(const TGlobeCanvas* reference)
{
    if (m_imagePainter && m_imagePainter->isActive())
        m_imagePainter->end();
    EnsureImage();
    m_imagePainter = std::make_unique<QPainter>(&m_image);
    if (reference)
        m_qfont = reference->m_qfont;
    AttachDC(m_imagePainter.get());
}

void TGlobeCanvas::EndImageDraw(QPainter* dc)
{
    const bool owned = m_imagePainter != nullptr;
    const bool ended = !owned || !m_imagePainter->isActive() || m_imagePainter->end();
    AttachDC(dc);
    if (dc)
        dc->setClipping(false);
    m_imagePainter.reset();
    if (m_imageBorrowed)
        CreateImage();
    if (!ended)
        throw EGlobeException("DeleteDC");
}

void TGlobeCanvas::ResetDrawState()
{
    m_stateDirty = true;
    PreparePainter();
}

// --- Units ------------------------------------------------------------------------

int64_t TGlobeCanvas::ValueToGU(TGlobeUnitTypes unit, long double value) const
{
    if (unit != TGlobeUnitTypes::Pixel)
        return Rnd64(value * GlobeUnitsPerUnit(unit));
    const long double scale = Projection().ScaleFactor();
    return scale == 0 ? Rnd64(value) : Rnd64(value / scale);
}

int32_t TGlobeCanvas::UnitsToPixels(long double value, TGlobeUnitTypes unit) const
{
    if (unit == TGlobeUnitTypes::Pixel)
        return MulDiv(static_cast<int32_t>(value), OutputPPI, m_screenPPI);
    return Rnd(static_cast<long double>(ValueToGU(unit, value)) * Projection().ScaleFactor());
}

int32_t TGlobeCanvas::UnitSizeToPixels(long double value, TGlobeUnitTypes unit) const
{
    if (unit == TGlobeUnitTypes::Pixel)
        return UnitsToPixels(value, unit);
    return Rnd(value * static_cast<long double>(ValueToGU(unit, 1)) * Projection().ScaleFactor());
}

// --- Clipping -------------------------------------------------------------------
//
// Sutherland-Hodgman, one view edge at a time, between the two shared buffers.
// A point is outside when it lies beyond the bare edge; the margin only moves
// the line the crossing points are put on, so that a wide pen's end caps stay
// off the screen.

namespace {

enum ClipEdgeKind { ceTop, ceRight, ceBottom, ceLeft };

// The crossing coordinate q + a * b / c, the quotient rounded half away from
// zero, in 64 bits (the operands are differences of device coordinates, which
// can exceed an int32) and held within +-2^30 like every device coordinate.
int32_t Crossing(int64_t q, int64_t a, int64_t b, int64_t c)
{
    const int64_t n = a * b;
    const int64_t quotient = n / c, r = n % c;
    const bool roundAway = 2 * (r < 0 ? -r : r) >= (c < 0 ? -c : c);
    const int64_t offset = roundAway ? quotient + (((n < 0) != (c < 0)) ? -1 : 1) : quotient;
    return static_cast<int32_t>(std::clamp<int64_t>(q + offset, -(int64_t { 1 } << 30), int64_t { 1 } << 30));
}

} // namespace

int TGlobeCanvas::ClipEdge(int edge, int count, bool closed, int32_t margin)
{
    TDevicePointBuffer& src = DevicePoints();
    TDevicePointBuffer& dst = ScratchPoints();
    src.Put(count, src.Get(closed ? 0 : count - 1));
    dst.Reserve(int64_t { count } * 2 + 1);
    const TPoint* in = src.Data();
    TPoint* out = dst.Data();
    const bool vertical = edge == ceTop || edge == ceBottom;
    const int32_t b = edge == ceTop ? -margin
        : edge == ceRight           ? m_width + margin
        : edge == ceBottom          ? m_height + margin
                                    : -margin;
    auto outside = [&](const TPoint& p) {
        switch (edge) {
        case ceTop:
            return p.Y < 0;
        case ceRight:
            return p.X > m_width;
        case ceBottom:
            return p.Y > m_height;
        default:
            return p.X < 0;
        }
    };
    int n = 0;
    for (int i = 0; i < count; ++i) {
        const TPoint& p = in[i];
        const TPoint& q = in[i + 1];
        const bool pOut = outside(p);
        if (!pOut)
            out[n++] = p;
        if (pOut == outside(q))
            continue;
        if (vertical)
            out[n++]
                = { Crossing(q.X, int64_t { b } - q.Y, int64_t { p.X } - q.X, int64_t { p.Y } - q.Y), b };
        else
            out[n++]
                = { b, Crossing(q.Y, int64_t { b } - q.X, int64_t { p.Y } - q.Y, int64_t { p.X } - q.X) };
    }
    std::swap(src, dst);
    return n;
}

int TGlobeCanvas::ClipPoints(int count, TGlobeObjectStateSet state, int32_t margin)
{
    using enum TGlobeObjectState;
    if ((state.bits() & ALL_CLIP_STATES.bits()) == 0 || count <= 1)
        return count;
    const bool closed = state.contains(osClosed);
    // A pen a zoom makes huge must not carry the crossing line out of the
    // 32-bit range; beyond the view by this much nothing of it shows anyway.
    margin = std::clamp(margin, -(1 << 20), 1 << 20);
    // Each pass swaps the buffers' contents, so the result always ends in
    // DevicePoints() and the scratch buffer keeps whatever came before.
    const std::pair<TGlobeObjectState, int> passes[] = { { osClipTop, ceTop }, { osClipRight, ceRight },
        { osClipBottom, ceBottom }, { osClipLeft, ceLeft } };
    for (const auto& [bit, edge] : passes)
        if (state.contains(bit) && count > 1)
            count = ClipEdge(edge, count, closed, margin);
    return count;
}

void TGlobeCanvas::RenderPoints(int count, TGlobeObjectStateSet state, int32_t margin)
{
    count = ClipPoints(count, state, margin);
    if (count <= 1)
        return;
    const std::span<const TPoint> points(DevicePoints().Data(), static_cast<size_t>(count));
    if (state.contains(TGlobeObjectState::osClosed))
        Polygon(points);
    else
        Polyline(points);
}

void TGlobeCanvas::RenderRotatedPath(
    const TVector3& start, const TMatrix3& rotation, int steps, bool withHeight)
{
    using enum TGlobeObjectState;
    TChainStore path;
    path.SetStoreHeight(withHeight);
    TPointStore& chain = path.Chain(0);
    TVector3 v = start;
    for (int i = 0; i <= steps; ++i) {
        chain.Add(VectorToGeo(v));
        v = MatrixMulVector(rotation, v);
    }
    RenderChains(path, TGlobeObjectStateSet { osFace, osBackFace } + ALL_CLIP_STATES, PlatformPenWidth());
}

// --- Chains -----------------------------------------------------------------------
//
// Flat maps have a seam at the antimeridian of the central meridian. A chain
// is cut into pieces where a segment jumps across it (from one side quadrant
// to the opposite one), and the cut gets a point on each edge of the map:
//
//     piece 0 ... R |seam| P ... piece 1
//          (seam - 2e, lat)   (seam + 2e, lat)

void TGlobeCanvas::RenderChains(TChainStore& chains, TGlobeObjectStateSet state, int32_t margin)
{
    using enum TGlobeObjectState;
    m_stateDirty = true;
    TGlobeProjection& projection = Projection();
    if (projection.FarSidePass) {
        SelectBrush(m_globe->TransparentBrush());
        SelectPen(m_globe->TransparentPen());
    }
    if ((projection.ModelProperties & MODEL_SEAMLESS) && state.contains(osClosed)) {
        TCustomProjectionModel& model = projection.ProjectionModel();
        for (int i = 0; i < chains.Count(); ++i) {
            if (!ChainMayShow(chains.Chain(i)))
                continue;
            const int n = model.ProjectChain(chains.Chain(i), 0, true);
            RenderPoints(n, state + ALL_CLIP_STATES, margin);
        }
        return;
    }
    for (int i = 0; i < chains.Count(); ++i) {
        TPointStore& chain = chains.Chain(i);
        if (chain.Count() >= 2 && ChainMayShow(chain))
            RenderSplitChain(chain, state, margin);
    }
}

bool TGlobeCanvas::ChainMayShow(const TPointStore& chain)
{
    // An object whose rectangle covers the view may hold many rings outside
    // it: each is tested as the object was, by its own rectangle. Short
    // chains cost less to project than to test.
    constexpr int TESTED_FROM = 64;
    if (chain.Count() < TESTED_FROM)
        return true;
    TGlobeObjectStateSet state;
    return Projection().ProjectionModel().MERVisibility(chain.CachedMER(), state);
}

void TGlobeCanvas::RenderSplitChain(TPointStore& chain, TGlobeObjectStateSet state, int32_t margin)
{
    const bool closed = state.contains(TGlobeObjectState::osClosed);
    const int32_t cm = Rnd(Projection().CentralMeridian() * GU_DEGREE);
    const int32_t seam = SeamLongitude(Projection().CentralMeridian());
    auto quadrant
        = [cm](const TGeoPoint& p) { return NormalizeLong(int64_t { p.Long } - cm) / GU_90_DEGREE; };
    auto crossesSeam = [](int from, int to) { return from != 0 && to != 0 && (from < 0) != (to < 0); };

    const TGeoPoint start = chain.Point(closed ? chain.Count() - 1 : 0);
    int e = quadrant(start);
    bool crosses = false;
    const int scanned = MayCrossSeam(chain.CachedMER(), cm) ? chain.Count() : 0;
    for (int i = 0; i < scanned && !crosses; ++i) {
        const int g = quadrant(chain.Point(i));
        crosses = crossesSeam(e, g);
        e = g;
    }
    // Most chains never reach the seam: they are drawn as they stand, uncopied.
    if (!crosses) {
        if (closed)
            RenderPoints(Projection().ProjectionModel().ProjectChain(chain, 0, true), state, margin);
        else
            RenderOpenPiece(chain, state, margin);
        return;
    }
    TChainStore pieces;
    pieces.SetStoreHeight(chain.StoreHeight());
    e = quadrant(start);
    int k = 0;
    for (int i = 0; i < chain.Count(); ++i) {
        const TGeoPoint p = chain.Point(i);
        const int g = quadrant(p);
        if (crossesSeam(e, g)) {
            const TGeoPoint r = i == 0 ? start : chain.Point(i - 1);
            const long double ratio
                = static_cast<long double>(LongSpan(seam, p.Long)) / LongSpan(r.Long, p.Long);
            // Wraps like the rest of the geometry for latitudes no file should hold.
            const auto lat
                = static_cast<int32_t>(p.Lat + int64_t { Rnd(ratio * (int64_t { r.Lat } - p.Lat)) });
            pieces.Chain(k).Add(MakeGeoPointH(int64_t { seam } - 2 * e, lat, p.Height));
            ++k;
            pieces.Chain(k).Add(MakeGeoPoint(int64_t { seam } + 2 * e, lat));
        }
        pieces.Chain(k).Add(p);
        e = g;
    }
    if (closed)
        RenderPieces(pieces, state, margin);
    else
        RenderOpenPieces(pieces, state, margin);
}

void TGlobeCanvas::RenderPieces(TChainStore& pieces, TGlobeObjectStateSet state, int32_t margin)
{
    TCustomProjectionModel& model = Projection().ProjectionModel();
    const int count = pieces.Count();
    int n = 0;
    for (int i = 0; i < count; i += 2)
        n = model.ProjectChain(pieces.Chain(i), n, true);
    if (count % 2 == 1) {
        RenderPoints(n, state, margin);
        n = 0;
    } else {
        // An odd number of crossings encloses a pole: close the outline down
        // the seam, along the south pole and back up the other edge.
        const int32_t seam = SeamLongitude(Projection().CentralMeridian());
        const TPointStore& last = pieces.Chain(count - 2);
        TGeoPoint p = last.Point(last.Count() - 1);
        const int32_t startLat = p.Lat;
        TPointStore path;
        do {
            p.Lat -= GU_MINUTE;
            path.Add(p);
        } while (p.Lat > -GU_90_DEGREE);
        p.Lat = -GU_90_DEGREE + 1;
        path.Add(p);
        p.Long = NormalizeLong(int64_t { seam } + 2);
        do {
            p.Lat += GU_MINUTE;
            path.Add(p);
        } while (p.Lat < startLat);
        path.Add(MakeGeoPoint(int64_t { seam } + 2, startLat));
        n = model.ProjectChain(path, n, true);
    }
    for (int i = 1; i < count; i += 2)
        n = model.ProjectChain(pieces.Chain(i), n, true);
    RenderPoints(n, state, margin);
}

void TGlobeCanvas::RenderOpenPieces(TChainStore& pieces, TGlobeObjectStateSet state, int32_t margin)
{
    for (int i = 0; i < pieces.Count(); ++i)
        RenderOpenPiece(pieces.Chain(i), state, margin);
}

void TGlobeCanvas::RenderOpenPiece(const TPointStore& piece, TGlobeObjectStateSet state, int32_t margin)
{
    TCustomProjectionModel& model = Projection().ProjectionModel();
    int run = 0;
    for (int j = 0; j < piece.Count(); ++j) {
        if (model.ProjectPoint(piece.Point(j), run)) {
            ++run;
            continue;
        }
        if (run > 1)
            RenderPoints(run, state, margin);
        run = 0;
    }
    if (run > 1)
        RenderPoints(run, state, margin);
}

// --- Textures ---------------------------------------------------------------------

void TGlobeCanvas::RenderTextureTriangle(const TGeoPoint (&corners)[3], TTextureData& texture)
{
    TGlobeProjection& projection = Projection();
    if (!(projection.ModelProperties & MODEL_SEAMLESS)) {
        const int32_t seam = NormalizeLong(
            static_cast<int64_t>(std::trunc(projection.CentralMeridian() * GU_DEGREE)) + GU_180_DEGREE);
        const long double side = SignOf(static_cast<long double>(int64_t { corners[0].Long } - seam));
        for (const TGeoPoint& c : corners)
            if (SignOf(static_cast<long double>(int64_t { c.Long } - seam)) != side)
                return;
    }
    TPoint texel[3], device[3];
    TCustomProjectionModel& model = projection.ProjectionModel();
    for (int i = 0; i < 3; ++i) {
        texel[i] = texture.GeoToPixel(corners[i]);
        if (!model.ProjectPoint(corners[i], i))
            return;
    }
    for (int i = 0; i < 3; ++i)
        device[i] = DevicePoints().Get(i);
    const TRect box = BoundsOfPoints(device);
    if (box.Right < 0 || box.Bottom < 0 || box.Left > m_width || box.Top > m_height)
        return;
    ScanTriangle(device, texel, texture);
}

namespace {

// A point moving along a triangle edge one device row at a time, carrying
// its x and texture column and row.
struct EdgeWalker {
    long double x = 0, u = 0, v = 0;
    long double dx = 0, du = 0, dv = 0;
    int32_t rowsLeft = 0;

    EdgeWalker(const TPoint& from, const TPoint& to, const TPoint& texFrom, const TPoint& texTo)
    {
        rowsLeft = to.Y - from.Y;
        x = from.X;
        u = texFrom.X;
        v = texFrom.Y;
        if (rowsLeft > 0) {
            dx = static_cast<long double>(to.X - from.X) / rowsLeft;
            du = static_cast<long double>(texTo.X - texFrom.X) / rowsLeft;
            dv = static_cast<long double>(texTo.Y - texFrom.Y) / rowsLeft;
        }
    }
    void Step()
    {
        x += dx;
        u += du;
        v += dv;
        --rowsLeft;
    }
};

} // namespace

void TGlobeCanvas::ScanTriangle(const TPoint (&device)[3], const TPoint (&texel)[3], TTextureData& texture)
{
    int order[3] = { 0, 1, 2 };
    std::sort(order, order + 3, [&](int a, int b) { return device[a].Y < device[b].Y; });
    const int a = order[0], b = order[1], c = order[2];
    EdgeWalker longEdge(device[a], device[c], texel[a], texel[c]);
    EdgeWalker shortEdge(device[a], device[b], texel[a], texel[b]);
    bool secondHalf = false;
    EnsureImage();
    uint8_t* bits = m_image.bits();
    const int64_t stride = m_image.bytesPerLine();
    const int32_t rowWidth = texture.RowWidth();
    for (int32_t y = device[a].Y; longEdge.rowsLeft > 0; ++y) {
        if (shortEdge.rowsLeft <= 0 && !secondHalf) {
            shortEdge = EdgeWalker(device[b], device[c], texel[b], texel[c]);
            secondHalf = true;
        }
        if (y >= 0 && y < m_height && y < m_image.height()) {
            const EdgeWalker* left = &longEdge;
            const EdgeWalker* right = &shortEdge;
            if (right->x < left->x)
                std::swap(left, right);
            const auto x0 = static_cast<int32_t>(Rnd64(left->x)), x1 = static_cast<int32_t>(Rnd64(right->x));
            const long double span = right->x - left->x;
            const int32_t first = std::max(x0, 0), last = std::min({ x1, m_width, m_image.width() });
            for (int32_t x = first; x < last; ++x) {
                const long double t = span > 0 ? (x - left->x) / span : 0;
                const long double row = left->v + (right->v - left->v) * t;
                const long double column = left->u + (right->u - left->u) * t;
                const int index = texture.Texel(std::max<int64_t>(Rnd64(row), 0) * rowWidth + Rnd64(column));
                if (index < 0 || index == texture.TransparentIndex)
                    continue;
                // The palette holds 0x00BBGGRR; the image 0xFFRRGGBB.
                const auto bgr = static_cast<uint32_t>(texture.PaletteColor(index));
                reinterpret_cast<uint32_t*>(bits + y * stride)[x] = 0xFF000000u | ((bgr & 0xFF) << 16)
                    | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
            }
        }
        longEdge.Step();
        shortEdge.Step();
    }
}

void TGlobeCanvas::RenderTexture(TTextureData& texture)
{
    if (!texture.HasImage())
        return;
    const TGeoPoint from = texture.PixelToGeo(0, 0);
    const TGeoPoint to = texture.PixelToGeo(texture.RowWidth() - 1, texture.ImageHeight() - 1);
    SubdivideTexture(from.Long, from.Lat, to.Long, to.Lat, texture);
}

void TGlobeCanvas::SubdivideTexture(
    int32_t long1, int32_t lat1, int32_t long2, int32_t lat2, TTextureData& texture)
{
    const int64_t e
        = long1 >= long2 ? (int64_t { long2 } - long1 + GU_360_DEGREE) / 2 : (int64_t { long2 } - long1) / 2;
    const int64_t f = std::abs(int64_t { lat2 } - lat1) / 2;
    if (e <= 0 || f <= 0)
        return;
    if (e < GU_DEGREE || f < GU_DEGREE) {
        const TGeoPoint first[3] = { { long1, lat1, 0 }, { long2, lat1, 0 }, { long2, lat2, 0 } };
        const TGeoPoint second[3] = { { long1, lat1, 0 }, { long1, lat2, 0 }, { long2, lat2, 0 } };
        RenderTextureTriangle(first, texture);
        RenderTextureTriangle(second, texture);
        return;
    }
    const int32_t midLong = NormalizeLong(long1 + e);
    const auto midLat = static_cast<int32_t>(lat1 + (int64_t { lat2 } - lat1) / 2);
    SubdivideTexture(long1, lat1, midLong, midLat, texture);
    SubdivideTexture(midLong, lat1, long2, midLat, texture);
    SubdivideTexture(long1, midLat, midLong, lat2, texture);
    SubdivideTexture(midLong, midLat, long2, lat2, texture);
}

// --- Platform drawing state -------------------------------------------------------

void TGlobeCanvas::SelectPen(const QPen& pen)
{
    m_qpen = pen;
    m_stateDirty = true;
}

void TGlobeCanvas::SelectBrush(const QBrush& brush)
{
    m_qbrush = brush;
    m_stateDirty = true;
}

void TGlobeCanvas::SelectFont(const QFont& font, int32_t escapement)
{
    m_qfont = font;
    m_escapement = escapement;
    m_stateDirty = true;
}

int32_t TGlobeCanvas::PlatformPenWidth() const
{
    return std::max(1, m_qpen.width());
}

void TGlobeCanvas::SetBkTransparent(bool transparent)
{
    m_bkTransparent = transparent;
    m_stateDirty = true;
}

void TGlobeCanvas::SetBkColor(const QColor& color)
{
    m_bkColor = color;
    m_stateDirty = true;
}

void TGlobeCanvas::SetTextColor(const QColor& color)
{
    m_textColor = color;
}

QPainter* TGlobeCanvas::PreparePainter()
{
    if (!m_dc || !m_dc->isActive())
        return nullptr;
    if (m_stateDirty) {
        m_dc->setRenderHint(QPainter::Antialiasing, false);
        m_dc->setPen(m_qpen);
        m_dc->setBrush(m_qbrush);
        m_dc->setFont(m_qfont);
        m_dc->setBackgroundMode(m_bkTransparent ? Qt::TransparentMode : Qt::OpaqueMode);
        m_dc->setBackground(m_bkColor);
        m_stateDirty = false;
    }
    return m_dc;
}

// --- Primitives -------------------------------------------------------------------

void TGlobeCanvas::Polygon(std::span<const TPoint> points)
{
    QPainter* p = PreparePainter();
    if (!p)
        return;
    m_qpoints.resize(points.size());
    std::transform(
        points.begin(), points.end(), m_qpoints.begin(), [](const TPoint& t) { return QPoint(t.X, t.Y); });
    p->drawPolygon(m_qpoints.data(), static_cast<int>(m_qpoints.size()), Qt::OddEvenFill);
}

void TGlobeCanvas::Polyline(std::span<const TPoint> points)
{
    QPainter* p = PreparePainter();
    if (!p)
        return;
    m_qpoints.resize(points.size());
    std::transform(
        points.begin(), points.end(), m_qpoints.begin(), [](const TPoint& t) { return QPoint(t.X, t.Y); });
    p->drawPolyline(m_qpoints.data(), static_cast<int>(m_qpoints.size()));
}

// Rectangles exclude their right and bottom edges, as the platform's do.
void TGlobeCanvas::Ellipse(const TRect& r)
{
    if (QPainter* p = PreparePainter())
        p->drawEllipse(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1);
}

void TGlobeCanvas::Rectangle(const TRect& r)
{
    if (QPainter* p = PreparePainter())
        p->drawRect(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1);
}

void TGlobeCanvas::SetPixel(int32_t x, int32_t y, const QColor& color)
{
    QPainter* p = PreparePainter();
    if (!p)
        return;
    p->setPen(QPen(color, 0));
    p->drawPoint(x, y);
    m_stateDirty = true;
}

QSize TGlobeCanvas::TextExtent(const QString& text) const
{
    const QFontMetrics metrics(m_qfont);
    return { metrics.horizontalAdvance(text), metrics.height() };
}

void TGlobeCanvas::TextOut(int32_t x, int32_t y, const QString& text)
{
    QPainter* p = PreparePainter();
    if (!p)
        return;
    const QFontMetrics metrics(m_qfont);
    const int width = metrics.horizontalAdvance(text);
    const int ascent = metrics.ascent();
    const unsigned horizontal = m_textAlign & TA_CENTER;
    const unsigned vertical = m_textAlign & TA_BASELINE;
    const int dx = horizontal == TA_CENTER ? -width / 2 : horizontal == TA_RIGHT ? -width : 0;
    const int baseline = vertical == TA_BASELINE ? 0 : vertical == TA_BOTTOM ? -metrics.descent() : ascent;
    p->save();
    p->translate(x, y);
    p->rotate(-m_escapement / 10.0);
    if (!m_bkTransparent)
        p->fillRect(dx, baseline - ascent, width, metrics.height(), m_bkColor);
    p->setPen(m_textColor);
    p->drawText(dx, baseline, text);
    p->restore();
}

void TGlobeCanvas::StretchDraw(const TRect& r, const QImage& image)
{
    if (QPainter* p = PreparePainter())
        p->drawImage(QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top), image);
}
