#include "view/GlobePresenter.h"

#include "geo/ChainStore.h"
#include "geo/DevicePoints.h"
#include "geo/GXml.h"
#include "geo/GeoDataObject.h"
#include "geo/GeoMath.h"
#include "geo/GlobeClassRegistry.h"
#include "geo/GlobeProjection.h"
#include "geo/GlobeStream.h"
#include "geo/ProjectionModel.h"
#include "platform/BoundedReader.h"
#include "platform/Cp1252.h"
#include "platform/GlobeException.h"
#include "view/Colors.h"
#include "view/DrawingGlobe.h"
#include "view/GlobeCanvas.h"

#include <QDir>
#include <QImageReader>
#include <cmath>
#include <limits>

using enum TGlobeObjectState;

namespace {

// Symbols of the WingDings font that the program's fonts have under their
// Unicode code points (DejaVu Sans holds them all).
struct WingDingsSymbol {
    int code;
    char16_t unicode;
};
constexpr WingDingsSymbol WINGDINGS[] = {
    { 74, u'\u263A' },
    { 76, u'\u2639' },
    { 78, u'\u2620' },
    { 79, u'\u2690' },
    { 81, u'\u2708' },
    { 82, u'\u263C' },
    { 84, u'\u2744' },
    { 88, u'\u2720' },
    { 89, u'\u2721' },
    { 90, u'\u262A' },
    { 91, u'\u262F' },
    { 108, u'\u25CF' },
    { 110, u'\u25A0' },
    { 111, u'\u25A1' },
    { 113, u'\u2751' },
    { 117, u'\u25C6' },
    { 118, u'\u2756' },
    { 167, u'\u25AA' },
    { 168, u'\u25FB' },
    { 171, u'\u2605' },
    { 251, u'\u2717' },
    { 252, u'\u2713' },
    { 253, u'\u2612' },
    { 254, u'\u2611' },
};

QString SymbolText(const std::string& fontName, int code)
{
    if (SameText(fontName, "WingDings"))
        for (const WingDingsSymbol& s : WINGDINGS)
            if (s.code == code)
                return QString(QChar(s.unicode));
    if (code >= 0 && code < 256)
        return fromCp1252(std::string(1, static_cast<char>(code)));
    return QString(QChar(static_cast<char16_t>(code)));
}

template <typename E> E ReadEnum(TGlobeStreamReader& reader, int count, const char* what)
{
    const uint8_t v = reader.Reader().ReadUInt8(what);
    if (v >= count)
        reader.Reader().Fail(std::string(what) + " " + std::to_string(v) + " is out of range");
    return static_cast<E>(v);
}

void LoadChild(TGlobeAttribute& attribute, const TGXML_Element& e, const char* name)
{
    attribute.LoadEnvironment(e.ChildElement(name));
}

// The name relative to the folder when it lies inside it.
std::string RelativeTo(const std::string& directory, const std::string& name)
{
    if (directory.empty() || name.empty())
        return name;
    const QString relative = QDir(fromCp1252(directory)).relativeFilePath(fromCp1252(name));
    return relative.startsWith("..") ? name : toCp1252(relative);
}

} // namespace

void RegisterPresenters()
{
    static const bool registered = [] {
        RegisterGlobeClass<TGlobePresenter, TPointPresenter, TDrawingGlobe*, int32_t>("TPointPresenter");
        RegisterGlobeClass<TGlobePresenter, TPolyPresenter, TDrawingGlobe*, int32_t>("TPolyPresenter");
        RegisterGlobeClass<TGlobePresenter, TPolygonPresenter, TDrawingGlobe*, int32_t>("TPolygonPresenter");
        RegisterGlobeClass<TGlobePresenter, TPolylinePresenter, TDrawingGlobe*, int32_t>(
            "TPolylinePresenter");
        return true;
    }();
    (void)registered;
}

// --- TGlobePresenter ------------------------------------------------------------

TGlobePresenter::TGlobePresenter(TDrawingGlobe* globe, int32_t presenterID)
    : PresenterID(presenterID)
    , Name("TGlobePresenter")
    , m_globe(globe)
{
    if (!globe)
        throw EGlobeException("TGlobePresenter.Create passed nil Globe");
    RegisterPresenters(); // clones are made by class name
    TitleFont.Assign(globe->Canvas().TitleFont());
}

void TGlobePresenter::Assign(const TGlobeRoot& source)
{
    const auto* p = dynamic_cast<const TGlobePresenter*>(&source);
    if (!p) {
        TGlobeRoot::Assign(source);
        return;
    }
    PresenterID = p->PresenterID;
    TitleAlignment = p->TitleAlignment;
    TitleOffset = p->TitleOffset;
    TitleFont.Assign(p->TitleFont);
    Name = p->Name;
    Hidden = p->Hidden;
}

void TGlobePresenter::LoadEnvironment(const TGXML_Element* element)
{
    if (!element)
        return;
    const TGXML_Element& e = *element;
    Name = e.StringAttr("Name", Name);
    PresenterID = e.Int32Attr("PresenterID", PresenterID);
    TitleAlignment = EnumAttr(e, "Alignment", TitleAlignment, TITLE_ALIGNMENT_COUNT);
    TitleOffset = e.Int32Attr("Offset", TitleOffset);
    Hidden = e.BoolAttr("Hidden", Hidden);
    LoadChild(TitleFont, e, "TitleFont");
}

std::unique_ptr<TGXML_Element> TGlobePresenter::SaveEnvironment() const
{
    auto e = std::make_unique<TGXML_Element>();
    e->AddAttribute("Class", ClassName());
    e->AddAttribute("Name", Name);
    e->AddInteger("PresenterID", PresenterID);
    e->AddInteger("Alignment", static_cast<int>(TitleAlignment));
    e->AddInteger("Offset", TitleOffset);
    e->AddBool("Hidden", Hidden);
    e->AddElement("TitleFont", TitleFont.SaveEnvironment());
    return e;
}

void TGlobePresenter::WriteToStream(TGlobeStreamWriter& writer) const
{
    writer.WriteInteger(PresenterID);
    writer.WriteInteger(TitleOffset);
    writer.WriteShortString(Name);
    writer.WriteShortInt(static_cast<int8_t>(TitleAlignment));
    TitleFont.WriteToStream(writer);
}

void TGlobePresenter::ReadFromStream(TGlobeStreamReader& reader)
{
    PresenterID = reader.ReadInteger();
    const uint16_t version = GlobeFileVersion();
    if (version >= 0x400)
        TitleOffset = reader.ReadInteger();
    else if (version >= 0x301)
        TitleOffset = reader.ReadShortInt();
    Name = reader.ReadShortString();
    TitleAlignment = ReadEnum<TTitleAlignment>(reader, TITLE_ALIGNMENT_COUNT, "title alignment");
    TitleFont.ReadFromStream(reader);
}

void TGlobePresenter::BeforeRenderTitle(TDrawingGlobe&, TGlobeObject&, bool&) { }

std::unique_ptr<TGlobePresenter> TGlobePresenter::Clone(TDrawingGlobe& globe) const
{
    auto copy = CreateGlobeClass<TGlobePresenter, TDrawingGlobe*, int32_t>(ClassName(), &globe, PresenterID);
    copy->Assign(*this);
    return copy;
}

bool TGlobePresenter::HitTest(
    TDrawingGlobe&, const TGeoPoint& location, int32_t tolerance, TGlobeObject& object)
{
    return object.HitTest(location, tolerance);
}

void TGlobePresenter::RenderTitle(TDrawingGlobe& globe, TGlobeObject& object, TGlobeObjectStateSet state)
{
    using enum TTitleAlignment;
    if (TitleAlignment == taNone || object.Title.empty())
        return;
    bool skip = false;
    BeforeRenderTitle(globe, object, skip);
    if (skip)
        return;
    TGlobeCanvas& canvas = globe.Canvas();
    if (canvas.UnitSizeToPixels(TitleFont.FontSize(), TitleFont.FontUnit())
        < std::max(2, globe.MinTextHeight()))
        return;
    const TGlobeProjection& projection = globe.Projection();
    const int32_t d = TitleFont.FontUnit() == TGlobeUnitTypes::Pixel
        ? TitleOffset
        : Rnd(static_cast<long double>(UnitsToGU(TitleFont.FontUnit(), TitleOffset))
            * projection.ScaleFactor());
    TitleFont.Select(canvas, state.contains(osSelected));
    const TGeoPoint centre = object.GetCentroid();
    const TProjectedPoint p = projection.LongLatToXY(centre.Long, centre.Lat);
    if (!p.visible)
        return;
    // Horizontal and vertical reference of each alignment, and the way the
    // offset moves the reference point.
    struct Placement {
        unsigned align;
        int dx, dy;
    };
    static constexpr Placement PLACEMENTS[] = {
        { TA_LEFT | TA_TOP, 0, 0 }, // taNone (not drawn)
        { TA_CENTER | TA_BASELINE, 0, 0 },
        { TA_RIGHT | TA_BASELINE, -1, 0 },
        { TA_LEFT | TA_BASELINE, 1, 0 },
        { TA_RIGHT | TA_BOTTOM, -1, -1 },
        { TA_CENTER | TA_BOTTOM, 0, -1 },
        { TA_LEFT | TA_BOTTOM, 1, -1 },
        { TA_RIGHT | TA_TOP, -1, 1 },
        { TA_CENTER | TA_TOP, 0, 1 },
        { TA_LEFT | TA_TOP, 1, 1 },
    };
    const Placement& place = PLACEMENTS[static_cast<size_t>(TitleAlignment)];
    canvas.SetTextAlign(place.align);
    canvas.TextOut(p.point.X + place.dx * d, p.point.Y + place.dy * d, fromCp1252(object.Title));
}

// --- TPointPresenter ------------------------------------------------------------

TPointPresenter::TPointPresenter(TDrawingGlobe* globe, int32_t presenterID)
    : TGlobePresenter(globe, presenterID)
{
    Name = "Point Presenter";
}

void TPointPresenter::SetPointUnit(TGlobeUnitTypes unit)
{
    m_unit = unit;
    if (PointType == TPointPresenterType::ppFontSymbol)
        PointFont.SetFontUnit(unit);
}

void TPointPresenter::SetPointSize(int32_t size)
{
    m_size = std::max(size, 0);
    if (PointType == TPointPresenterType::ppFontSymbol)
        PointFont.SetFontSize(m_size);
}

void TPointPresenter::SetMaxPointSize(int32_t size)
{
    m_maxSize = std::max(size, 0);
}

void TPointPresenter::SetImage(const QImage& image)
{
    m_image = image;
    m_imageName.clear();
}

void TPointPresenter::SetImageName(const std::string& name)
{
    if (name.empty())
        return;
    const std::string file = Globe().FindDataFile(name);
    if (file.empty()) {
        m_imageName.clear();
        m_image = QImage();
        return;
    }
    QImageReader reader(fromCp1252(file));
    QImage image = reader.read();
    if (image.isNull())
        throw EGlobeException("Cannot read the picture " + file + ": " + toCp1252(reader.errorString()));
    m_image = std::move(image);
    m_imageName = file;
}

void TPointPresenter::Assign(const TGlobeRoot& source)
{
    TGlobePresenter::Assign(source);
    const auto* p = dynamic_cast<const TPointPresenter*>(&source);
    if (!p)
        return;
    PointPen.Assign(p->PointPen);
    PointBrush.Assign(p->PointBrush);
    PointFont.Assign(p->PointFont);
    SymbolIndex = p->SymbolIndex;
    PointType = p->PointType;
    m_unit = p->m_unit;
    m_size = p->m_size;
    m_maxSize = p->m_maxSize;
    m_image = p->m_image;
    m_imageName = p->m_imageName;
}

void TPointPresenter::LoadEnvironment(const TGXML_Element* element)
{
    TGlobePresenter::LoadEnvironment(element);
    if (!element)
        return;
    const TGXML_Element& e = *element;
    PointType = EnumAttr(e, "Type", PointType, POINT_PRESENTER_TYPE_COUNT);
    const std::string unit = e.StringAttr("Unit");
    if (!unit.empty())
        m_unit = StrToUnits(unit);
    m_size = std::max<int32_t>(0, e.Int32Attr("Size", m_size));
    m_maxSize = std::max<int32_t>(0, e.Int32Attr("MaxSize", m_maxSize));
    SymbolIndex = static_cast<int16_t>(e.IntegerAttr("SymbolIndex", SymbolIndex, INT16_MIN, INT16_MAX));
    SetImageName(e.StringAttr("ImageName", m_imageName));
    LoadChild(PointPen, e, "Pen");
    LoadChild(PointBrush, e, "Brush");
    LoadChild(PointFont, e, "Font");
}

std::unique_ptr<TGXML_Element> TPointPresenter::SaveEnvironment() const
{
    auto e = TGlobePresenter::SaveEnvironment();
    e->AddInteger("Type", static_cast<int>(PointType));
    e->AddAttribute("Unit", UnitsToStr(m_unit));
    e->AddInteger("Size", m_size);
    e->AddInteger("MaxSize", m_maxSize);
    e->AddInteger("SymbolIndex", SymbolIndex);
    e->AddAttribute("ImageName", RelativeTo(Globe().DataDirectory(), m_imageName));
    e->AddElement("Pen", PointPen.SaveEnvironment());
    e->AddElement("Brush", PointBrush.SaveEnvironment());
    e->AddElement("Font", PointFont.SaveEnvironment());
    return e;
}

void TPointPresenter::WriteToStream(TGlobeStreamWriter& writer) const
{
    TGlobePresenter::WriteToStream(writer);
    writer.WriteShortInt(static_cast<int8_t>(PointType));
    writer.WriteShortInt(static_cast<int8_t>(m_unit));
    if (m_maxSize > 0 && m_size > 0) {
        writer.WriteInteger(-m_size);
        writer.WriteInteger(m_maxSize);
    } else {
        writer.WriteInteger(m_size);
    }
    writer.WriteSmallInt(SymbolIndex);
    writer.WriteShortString(m_imageName);
    PointPen.WriteToStream(writer);
    PointBrush.WriteToStream(writer);
    PointFont.WriteToStream(writer);
}

void TPointPresenter::ReadFromStream(TGlobeStreamReader& reader)
{
    TGlobePresenter::ReadFromStream(reader);
    PointType = ReadEnum<TPointPresenterType>(reader, POINT_PRESENTER_TYPE_COUNT, "point type");
    m_unit = ReadEnum<TGlobeUnitTypes>(reader, GLOBE_UNIT_TYPE_COUNT, "point unit");
    const int64_t size = reader.ReadInteger();
    m_maxSize = 0;
    if (size < 0)
        m_maxSize = std::max(reader.ReadInteger(), 0);
    m_size = static_cast<int32_t>(
        std::min<int64_t>(size < 0 ? -size : size, std::numeric_limits<int32_t>::max()));
    SymbolIndex = reader.ReadSmallInt();
    const std::string imageName = reader.ReadShortString();
    PointPen.ReadFromStream(reader);
    PointBrush.ReadFromStream(reader);
    PointFont.ReadFromStream(reader);
    SetImageName(imageName);
}

void TPointPresenter::RenderObject(TDrawingGlobe& globe, TGlobeObject& object, TGlobeObjectStateSet state)
{
    const bool selected = state.contains(osSelected);
    TGlobeCanvas& canvas = globe.Canvas();
    PointPen.Select(canvas, selected);
    PointBrush.Select(canvas, selected);
    bool drawn = false;
    if (auto* data = dynamic_cast<TGeoDataObject*>(&object))
        for (int i = 0; i < data->Chains.Count(); ++i) {
            const TPointStore& chain = data->Chains.Chain(i);
            for (int j = 0; j < chain.Count(); ++j) {
                RenderSymbol(globe, chain.Point(j), selected);
                drawn = true;
            }
        }
    if (!drawn)
        RenderSymbol(globe, object.GetCentroid(), selected);
}

void TPointPresenter::RenderSymbol(TDrawingGlobe& globe, const TGeoPoint& point, bool selected)
{
    using enum TPointPresenterType;
    if (!globe.Projection().ProjectionModel().ProjectPoint(point, 0))
        return;
    const TPoint at = DevicePoints().Get(0);
    TGlobeCanvas& canvas = globe.Canvas();
    int32_t s = canvas.UnitsToPixels(m_size, m_unit);
    if (m_maxSize != 0)
        s = std::min(s, Rnd(static_cast<long double>(m_maxSize) * canvas.OutputPPI / canvas.ScreenPPI()));
    const int32_t h = s / 2;
    const int32_t x = at.X, y = at.Y;
    auto polygon = [&](std::initializer_list<TPoint> points) {
        canvas.Polygon({ points.begin(), points.size() });
    };
    switch (PointType) {
    case ppNone:
        break;
    case ppFontSymbol:
        RenderFontSymbol(globe, at, selected);
        break;
    case ppImage:
        if (!m_image.isNull() && m_image.width() > 0) {
            const int32_t k = Rnd(static_cast<long double>(m_image.height()) * h / m_image.width());
            canvas.StretchDraw({ x - h, y - k, x + h, y + k }, m_image);
        }
        break;
    case ppDot:
        canvas.SetPixel(x, y, ToQColor(PointPen.PenColor()));
        break;
    case ppCircle:
        canvas.Ellipse({ x - h, y - h, x + h, y + h });
        break;
    case ppSquare:
        canvas.Rectangle({ x - h, y - h, x + h, y + h });
        break;
    case ppDiamond:
        polygon({ { x, y - h }, { x + h, y }, { x, y + h }, { x - h, y } });
        break;
    case ppTriangleUp:
        polygon({ { x + h, y + h }, { x, y - h }, { x - h, y + h } });
        break;
    case ppTriangleDown:
        polygon({ { x - h, y - h }, { x, y + h }, { x + h, y - h } });
        break;
    case ppTriangleLeft:
        polygon({ { x + h, y + h }, { x - h, y }, { x + h, y - h } });
        break;
    case ppTriangleRight:
        polygon({ { x - h, y - h }, { x + h, y }, { x - h, y + h } });
        break;
    }
}

// The character is placed so that the centre of its cell lands on the point
// whatever the font's rotation.
void TPointPresenter::RenderFontSymbol(TDrawingGlobe& globe, const TPoint& at, bool selected)
{
    TGlobeCanvas& canvas = globe.Canvas();
    PointFont.Select(canvas, selected);
    const QString text = SymbolText(PointFont.FontName(), SymbolIndex);
    const QSize extent = canvas.TextExtent(text);
    const long double w = extent.width() / 2, t = extent.height() / 2;
    const long double a = -(PointFont.FontAngle() / 10) * PI_L / 180;
    const auto x = at.X - static_cast<int32_t>(std::trunc(w * std::cos(a) - t * std::sin(a)));
    const auto y = at.Y - static_cast<int32_t>(std::trunc(w * std::sin(a) + t * std::cos(a)));
    canvas.TextOut(x, y, text);
}

bool TPointPresenter::HitTest(TDrawingGlobe& globe, const TGeoPoint& location, int32_t, TGlobeObject& object)
{
    int64_t g = globe.Canvas().ValueToGU(m_unit, m_size);
    if (m_maxSize != 0)
        g = std::min<int64_t>(g, Rnd64(m_maxSize / globe.Projection().ScaleFactor()));
    // A centre read from a damaged file may lie anywhere in 32 bits: the square
    // around it saturates instead of overflowing.
    const int64_t b = std::clamp<int64_t>(g / 2, 0, INT32_MAX / 2);
    const TGeoPoint centre = object.GetCentroid();
    return MERContainsPoint(location,
        MakeMER(SaturatedInt32(centre.Long - b), SaturatedInt32(centre.Lat - b), static_cast<int32_t>(2 * b),
            static_cast<int32_t>(2 * b)));
}

// --- Poly presenters ------------------------------------------------------------

TPolyPresenter::TPolyPresenter(TDrawingGlobe* globe, int32_t presenterID)
    : TGlobePresenter(globe, presenterID)
{
    Name = "Poly Presenter";
}

void TPolyPresenter::Assign(const TGlobeRoot& source)
{
    TGlobePresenter::Assign(source);
    if (const auto* p = dynamic_cast<const TPolyPresenter*>(&source)) {
        PolyPen.Assign(p->PolyPen);
        PolyBrush.Assign(p->PolyBrush);
    }
}

void TPolyPresenter::LoadEnvironment(const TGXML_Element* element)
{
    TGlobePresenter::LoadEnvironment(element);
    if (!element)
        return;
    LoadChild(PolyPen, *element, "Pen");
    LoadChild(PolyBrush, *element, "Brush");
}

std::unique_ptr<TGXML_Element> TPolyPresenter::SaveEnvironment() const
{
    auto e = TGlobePresenter::SaveEnvironment();
    e->AddElement("Pen", PolyPen.SaveEnvironment());
    e->AddElement("Brush", PolyBrush.SaveEnvironment());
    return e;
}

void TPolyPresenter::WriteToStream(TGlobeStreamWriter& writer) const
{
    TGlobePresenter::WriteToStream(writer);
    PolyPen.WriteToStream(writer);
    if (StoresBrush())
        PolyBrush.WriteToStream(writer);
}

void TPolyPresenter::ReadFromStream(TGlobeStreamReader& reader)
{
    TGlobePresenter::ReadFromStream(reader);
    PolyPen.ReadFromStream(reader);
    if (StoresBrush())
        PolyBrush.ReadFromStream(reader);
}

void TPolyPresenter::RenderObject(TDrawingGlobe& globe, TGlobeObject& object, TGlobeObjectStateSet state)
{
    auto* data = dynamic_cast<TGeoDataObject*>(&object);
    if (!data)
        return;
    TGlobeCanvas& canvas = globe.Canvas();
    const bool selected = state.contains(osSelected);
    PolyPen.Select(canvas, selected);
    if (object.Closed())
        PolyBrush.Select(canvas, selected);
    canvas.RenderChains(data->Chains, state, canvas.UnitsToPixels(PolyPen.PenWidth(), PolyPen.PenUnit()));
}

TPolygonPresenter::TPolygonPresenter(TDrawingGlobe* globe, int32_t presenterID)
    : TPolyPresenter(globe, presenterID)
{
    Name = "Polygon Presenter";
}

void TPolygonPresenter::RenderObject(TDrawingGlobe& globe, TGlobeObject& object, TGlobeObjectStateSet state)
{
    object.SetClosed(true);
    state.include(osClosed);
    TPolyPresenter::RenderObject(globe, object, state);
}

TPolylinePresenter::TPolylinePresenter(TDrawingGlobe* globe, int32_t presenterID)
    : TPolyPresenter(globe, presenterID)
{
}

void TPolylinePresenter::RenderObject(TDrawingGlobe& globe, TGlobeObject& object, TGlobeObjectStateSet state)
{
    object.SetClosed(false);
    state.exclude(osClosed);
    TPolyPresenter::RenderObject(globe, object, state);
}
