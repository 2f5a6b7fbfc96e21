#include "view/GlobeAttribute.h"

#include "geo/GXml.h"
#include "geo/GlobeProjection.h"
#include "geo/GlobeStream.h"
#include "platform/BoundedReader.h"
#include "platform/Cp1252.h"
#include "view/Colors.h"
#include "view/DrawingGlobe.h"
#include "view/GlobeCanvas.h"

#include <QBitmap>
#include <QFontDatabase>

namespace {

constexpr std::array<std::array<uint8_t, 8>, 50> PATTERN_ROWS { {
    { 0x7F, 0xFF, 0xF7, 0xFF, 0x7F, 0xFF, 0xF7, 0xFF },
    { 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF },
    { 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF },
    { 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF },
    { 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF },
    { 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF },
    { 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F },
    { 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F },
    { 0x77, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77 },
    { 0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33 },
    { 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55 },
    { 0xFE, 0xFD, 0xFB, 0xF7, 0xEF, 0xDF, 0xBF, 0x7F },
    { 0xFC, 0xF9, 0xF3, 0xE7, 0xCF, 0x9F, 0x3F, 0x7E },
    { 0xEE, 0xDD, 0xBB, 0x77, 0xEE, 0xDD, 0xBB, 0x77 },
    { 0xCC, 0x99, 0x33, 0x66, 0xCC, 0x99, 0x33, 0x66 },
    { 0x11, 0x22, 0x44, 0x88, 0x11, 0x22, 0x44, 0x88 },
    { 0x7F, 0xBF, 0xDF, 0xEF, 0xF7, 0xFB, 0xFD, 0xFE },
    { 0x3F, 0x9F, 0xCF, 0xE7, 0xF3, 0xF9, 0xFC, 0x7E },
    { 0x77, 0xBB, 0xDD, 0xEE, 0x77, 0xBB, 0xDD, 0xEE },
    { 0x33, 0x99, 0xCC, 0x66, 0x33, 0x99, 0xCC, 0x66 },
    { 0x88, 0x44, 0x22, 0x11, 0x88, 0x44, 0x22, 0x11 },
    { 0x00, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F },
    { 0x00, 0x00, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F },
    { 0x00, 0x77, 0x77, 0x77, 0x00, 0x77, 0x77, 0x77 },
    { 0x00, 0x00, 0x33, 0x33, 0x00, 0x00, 0x33, 0x33 },
    { 0x00, 0x55, 0x00, 0x55, 0x00, 0x55, 0x00, 0x55 },
    { 0x7D, 0xBB, 0xD7, 0xEF, 0xD7, 0xBB, 0x7D, 0xFE },
    { 0x3C, 0x99, 0xC3, 0xE7, 0xC3, 0x99, 0x3C, 0x7E },
    { 0x55, 0xBB, 0x55, 0xEE, 0x55, 0xBB, 0x55, 0xEE },
    { 0x33, 0x33, 0xCC, 0xCC, 0x33, 0x33, 0xCC, 0xCC },
    { 0x4E, 0xCF, 0xFC, 0xE4, 0x27, 0x3F, 0xF3, 0x72 },
    { 0x7F, 0xEF, 0xFD, 0xDF, 0xFE, 0xF7, 0xBF, 0xFB },
    { 0x55, 0xFF, 0x55, 0xFF, 0x55, 0xFF, 0x55, 0xFF },
    { 0x7F, 0xBF, 0xDF, 0xFF, 0xFD, 0xFB, 0xF7, 0xFF },
    { 0x7F, 0xFF, 0xFF, 0xFF, 0xF7, 0xFF, 0xFF, 0xFF },
    { 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF },
    { 0x7D, 0xBB, 0xC6, 0xBB, 0x7D, 0xFE, 0xFE, 0xFE },
    { 0x07, 0x8B, 0xDD, 0xB8, 0x70, 0xE8, 0xDD, 0x8E },
    { 0xAA, 0x5F, 0xBF, 0xBF, 0xAA, 0xF5, 0xFB, 0xFB },
    { 0xDF, 0xAF, 0x77, 0x77, 0x77, 0x77, 0xFA, 0xFD },
    { 0x40, 0xFF, 0x40, 0x40, 0x4F, 0x4F, 0x4F, 0x4F },
    { 0x00, 0x7F, 0x7F, 0x7F, 0x00, 0xF7, 0xF7, 0xF7 },
    { 0x55, 0xFF, 0x7F, 0xFF, 0x77, 0xFF, 0x7F, 0xFF },
    { 0xF7, 0xE3, 0xDD, 0x3E, 0x7F, 0xFE, 0xFD, 0xFB },
    { 0x77, 0xEB, 0xDD, 0xBE, 0x77, 0xFF, 0x55, 0xFF },
    { 0xBF, 0x5F, 0xFF, 0xFF, 0xFB, 0xF5, 0xFF, 0xFF },
    { 0xFC, 0x7B, 0xB7, 0xCF, 0xF3, 0xFD, 0xFE, 0xFE },
    { 0x7F, 0x7F, 0xBE, 0xC1, 0xF7, 0xF7, 0xEB, 0x1C },
    { 0xEF, 0xDF, 0xAB, 0x55, 0x00, 0xFD, 0xFB, 0xF7 },
    { 0x88, 0x76, 0x70, 0x70, 0x88, 0x67, 0x07, 0x07 },
} };

Qt::PenStyle QtPenStyle(TPenStyle style)
{
    switch (style) {
    case TPenStyle::psDash:
        return Qt::DashLine;
    case TPenStyle::psDot:
        return Qt::DotLine;
    case TPenStyle::psDashDot:
        return Qt::DashDotLine;
    case TPenStyle::psDashDotDot:
        return Qt::DashDotDotLine;
    case TPenStyle::psClear:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

// Hatch styles bsHorizontal ... bsDiagCross.
constexpr std::array<Qt::BrushStyle, 6> HATCHES { Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
    Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern };

// The 8 x 8 pattern in the brush colour (0 bits) and the background colour
// or nothing (1 bits).
QBrush PatternBrush(const std::array<uint8_t, 8>& rows, const QColor& fore, const QColor& back, bool opaque)
{
    QImage tile(8, 8, QImage::Format_ARGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool one = (rows[static_cast<size_t>(y)] >> (7 - x)) & 1;
            tile.setPixel(x, y, one ? (opaque ? back.rgb() : 0u) : fore.rgb());
        }
    return QBrush(tile);
}

template <typename E> E EnumFromByte(TGlobeStreamReader& reader, uint8_t value, int count, const char* what)
{
    if (value >= count)
        reader.Reader().Fail(std::string(what) + " " + std::to_string(value) + " is out of range");
    return static_cast<E>(value);
}

TGlobeUnitTypes UnitFromByte(TGlobeStreamReader& reader)
{
    return EnumFromByte<TGlobeUnitTypes>(
        reader, reader.Reader().ReadUInt8("a unit"), GLOBE_UNIT_TYPE_COUNT, "unit");
}

TColor ColorAttr(const TGXML_Element& e, const char* name, TColor current)
{
    const std::string text = e.StringAttr(name);
    return text.empty() ? current : StringToColor(text);
}

TGlobeUnitTypes UnitAttr(const TGXML_Element& e, TGlobeUnitTypes current)
{
    const std::string text = e.StringAttr("Unit");
    return text.empty() ? current : StrToUnits(text);
}

// Font sizes and angles are small integers in layer files.
int32_t SmallIntAttr(const TGXML_Element& e, const char* name, int32_t current)
{
    return static_cast<int32_t>(e.IntegerAttr(name, current, INT16_MIN, INT16_MAX));
}

} // namespace

const std::array<uint8_t, 8>& BrushPatternRows(TGlobeBrushStyle style)
{
    const int index = static_cast<int>(style) - static_cast<int>(TGlobeBrushStyle::bsPattern1);
    return PATTERN_ROWS.at(static_cast<size_t>(index));
}

// --- TGlobeAttribute ------------------------------------------------------------

TGlobeCanvas* TGlobeAttribute::Canvas() const
{
    const auto self = m_canvas.lock();
    return self ? *self : nullptr;
}

void TGlobeAttribute::ReleaseHandle(int stockObject)
{
    if (!HasHandle())
        return;
    if (TGlobeCanvas* canvas = Canvas()) {
        if (stockObject == STOCK_ALL || stockObject == STOCK_BLACK_PEN)
            canvas->SelectPen(QPen(Qt::black, 0));
        if (stockObject == STOCK_ALL)
            canvas->SelectBrush(QBrush(Qt::white));
        if (stockObject == STOCK_ALL || stockObject == STOCK_SYSTEM_FONT)
            canvas->SelectFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    }
    DropHandle();
}

void TGlobeAttribute::Select(TGlobeCanvas& canvas, bool)
{
    if (Canvas() != &canvas || m_canvasAddress != &canvas) {
        ReleaseHandle(STOCK_ALL);
        m_canvas = canvas.m_self;
        m_canvasAddress = &canvas;
    }
    if (HasHandle() && m_changeCount != canvas.ChangeCount())
        ReleaseHandle(STOCK_ALL);
    if (!HasHandle())
        CreateHandle();
    m_changeCount = canvas.ChangeCount();
}

void TGlobeAttribute::Refresh()
{
    if (HasHandle())
        CreateHandle();
}

// --- TGlobePen ------------------------------------------------------------------

TGlobePen::TGlobePen(const TGlobePen& other)
    : TGlobeAttribute()
{
    Assign(other);
}

void TGlobePen::SetPenColor(TColor c)
{
    m_color = c;
    Refresh();
}

void TGlobePen::SetPenStyle(TPenStyle s)
{
    m_style = s;
    Refresh();
}

void TGlobePen::SetPenWidth(int32_t w)
{
    m_width = w;
    Refresh();
}

void TGlobePen::SetPenUnit(TGlobeUnitTypes u)
{
    m_unit = u;
    Refresh();
}

void TGlobePen::SetPenAttributes(TColor color, TPenStyle style, int32_t width, TGlobeUnitTypes unit)
{
    m_color = color;
    m_style = style;
    m_width = width;
    m_unit = unit;
    ReleaseHandle(STOCK_BLACK_PEN);
}

void TGlobePen::CreateHandle()
{
    ReleaseHandle(STOCK_BLACK_PEN);
    TGlobeCanvas* canvas = Canvas();
    if (!canvas)
        return;
    const int32_t width = canvas->UnitsToPixels(m_width, m_unit);
    m_altitude = canvas->Globe().Projection().Altitude();
    QPen pen(ToQColor(canvas->AdjustColor(m_color)), std::max(width, 0), QtPenStyle(m_style), Qt::RoundCap,
        Qt::RoundJoin);
    pen.setCosmetic(true);
    m_handle = pen;
}

bool TGlobePen::Equals(const TGlobeAttribute& other) const
{
    const auto* p = dynamic_cast<const TGlobePen*>(&other);
    return p && p->m_color == m_color && p->m_style == m_style && p->m_width == m_width
        && p->m_unit == m_unit;
}

void TGlobePen::Select(TGlobeCanvas& canvas, bool selected)
{
    TGlobeAttribute::Select(canvas, selected);
    if (m_unit != TGlobeUnitTypes::Pixel && m_altitude != canvas.Globe().Projection().Altitude())
        CreateHandle();
    if (!m_handle)
        return;
    canvas.SelectPen(selected ? canvas.Globe().SelectedPen() : *m_handle);
    canvas.SetBkTransparent(true);
}

std::unique_ptr<TGlobeAttribute> TGlobePen::Clone() const
{
    return std::make_unique<TGlobePen>(*this);
}

void TGlobePen::WriteToStream(TGlobeStreamWriter& writer) const
{
    writer.WriteInteger(m_color);
    writer.WriteShortInt(static_cast<int8_t>(m_style));
    writer.WriteInteger(m_width);
    writer.WriteShortInt(static_cast<int8_t>(m_unit));
}

void TGlobePen::ReadFromStream(TGlobeStreamReader& reader)
{
    m_color = reader.ReadInteger();
    m_style = EnumFromByte<TPenStyle>(reader, reader.Reader().ReadUInt8("a pen style"), 7, "pen style");
    if (GlobeFileVersion() < 1024) {
        m_width = reader.Reader().ReadUInt8("a pen width");
        m_unit = TGlobeUnitTypes::Pixel;
    } else {
        m_width = reader.ReadInteger();
        m_unit = UnitFromByte(reader);
    }
    ReleaseHandle(STOCK_BLACK_PEN);
}

void TGlobePen::Assign(const TGlobeRoot& source)
{
    const auto* p = dynamic_cast<const TGlobePen*>(&source);
    if (!p) {
        TGlobeRoot::Assign(source);
        return;
    }
    SetPenAttributes(p->m_color, p->m_style, p->m_width, p->m_unit);
}

void TGlobePen::LoadEnvironment(const TGXML_Element* element)
{
    if (!element)
        return;
    const TGXML_Element& e = *element;
    SetPenAttributes(ColorAttr(e, "Color", m_color), EnumAttr(e, "Style", m_style, 7),
        e.Int32Attr("Width", m_width), UnitAttr(e, m_unit));
}

std::unique_ptr<TGXML_Element> TGlobePen::SaveEnvironment() const
{
    auto e = std::make_unique<TGXML_Element>();
    e->AddAttribute("Color", ColorToString(m_color));
    e->AddInteger("Style", static_cast<int>(m_style));
    e->AddInteger("Width", m_width);
    e->AddAttribute("Unit", UnitsToStr(m_unit));
    return e;
}

// --- TGlobeBrush ----------------------------------------------------------------

TGlobeBrush::TGlobeBrush(const TGlobeBrush& other)
    : TGlobeAttribute()
{
    Assign(other);
}

void TGlobeBrush::SetBrushColor(TColor c)
{
    m_color = c;
    Refresh();
}

void TGlobeBrush::SetBrushStyle(TGlobeBrushStyle s)
{
    m_style = s;
    Refresh();
}

void TGlobeBrush::SetBrushBkColor(TColor c)
{
    m_bkColor = c;
    Refresh();
}

void TGlobeBrush::SetBrushAttributes(TColor color, TGlobeBrushStyle style)
{
    m_color = color;
    m_bkColor = color;
    m_style = style;
    ReleaseHandle(STOCK_ALL);
}

void TGlobeBrush::CreateHandle()
{
    ReleaseHandle(STOCK_ALL);
    TGlobeCanvas* canvas = Canvas();
    if (!canvas)
        return;
    const QColor color = ToQColor(canvas->AdjustColor(m_color));
    const int style = static_cast<int>(m_style);
    if (IsPattern())
        m_handle = QBrush(color, Qt::Dense4Pattern); // made from the rows when selected
    else if (m_style == TGlobeBrushStyle::bsSolid)
        m_handle = QBrush(color);
    else if (m_style == TGlobeBrushStyle::bsClear)
        m_handle = QBrush(Qt::NoBrush);
    else
        m_handle = QBrush(color, HATCHES[static_cast<size_t>(style - 2)]);
}

bool TGlobeBrush::Equals(const TGlobeAttribute& other) const
{
    const auto* b = dynamic_cast<const TGlobeBrush*>(&other);
    return b && b->m_color == m_color && b->m_bkColor == m_bkColor && b->m_style == m_style;
}

void TGlobeBrush::Select(TGlobeCanvas& canvas, bool selected)
{
    TGlobeAttribute::Select(canvas, selected);
    if (!m_handle)
        return;
    if (selected) {
        canvas.SelectBrush(canvas.Globe().SelectedBrush());
        return;
    }
    const bool opaque = m_bkColor != m_color;
    canvas.SetBkTransparent(!opaque);
    if (opaque)
        canvas.SetBkColor(ToQColor(canvas.AdjustColor(m_bkColor)));
    if (!IsPattern()) {
        canvas.SetBkTransparent(true);
        canvas.SelectBrush(*m_handle);
        return;
    }
    canvas.SetTextColor(ToQColor(canvas.AdjustColor(m_color)));
    canvas.SelectBrush(PatternBrush(BrushPatternRows(m_style), canvas.TextColor(), canvas.BkColor(), opaque));
}

std::unique_ptr<TGlobeAttribute> TGlobeBrush::Clone() const
{
    return std::make_unique<TGlobeBrush>(*this);
}

void TGlobeBrush::WriteToStream(TGlobeStreamWriter& writer) const
{
    writer.WriteInteger(m_color);
    writer.WriteInteger(m_bkColor);
    writer.WriteShortInt(static_cast<int8_t>(m_style));
}

void TGlobeBrush::ReadFromStream(TGlobeStreamReader& reader)
{
    m_color = reader.ReadInteger();
    m_bkColor = GlobeFileVersion() < 1029 ? m_color : reader.ReadInteger();
    m_style = EnumFromByte<TGlobeBrushStyle>(
        reader, reader.Reader().ReadUInt8("a brush style"), GLOBE_BRUSH_STYLE_COUNT, "brush style");
    ReleaseHandle(STOCK_ALL);
}

void TGlobeBrush::Assign(const TGlobeRoot& source)
{
    const auto* b = dynamic_cast<const TGlobeBrush*>(&source);
    if (!b) {
        TGlobeRoot::Assign(source);
        return;
    }
    SetBrushAttributes(b->m_color, b->m_style);
    m_bkColor = b->m_bkColor;
}

void TGlobeBrush::LoadEnvironment(const TGXML_Element* element)
{
    if (!element)
        return;
    const TGXML_Element& e = *element;
    const TColor bk = ColorAttr(e, "BkColor", m_bkColor);
    SetBrushAttributes(
        ColorAttr(e, "Color", m_color), EnumAttr(e, "Style", m_style, GLOBE_BRUSH_STYLE_COUNT));
    m_bkColor = bk;
}

std::unique_ptr<TGXML_Element> TGlobeBrush::SaveEnvironment() const
{
    auto e = std::make_unique<TGXML_Element>();
    e->AddAttribute("Color", ColorToString(m_color));
    e->AddAttribute("BkColor", ColorToString(m_bkColor));
    e->AddInteger("Style", static_cast<int>(m_style));
    return e;
}

// --- TGlobeFont -----------------------------------------------------------------

TGlobeFont::TGlobeFont(const TGlobeFont& other)
    : TGlobeAttribute()
{
    Assign(other);
}

void TGlobeFont::SetFontUnit(TGlobeUnitTypes u)
{
    m_unit = u;
    ReleaseHandle(STOCK_SYSTEM_FONT);
}

void TGlobeFont::SetFontColor(TColor c)
{
    m_color = c;
    ReleaseHandle(STOCK_SYSTEM_FONT);
}

void TGlobeFont::SetFontSize(int32_t s)
{
    m_size = s;
    ReleaseHandle(STOCK_SYSTEM_FONT);
}

void TGlobeFont::SetFontAngle(int32_t a)
{
    m_angle = a;
    ReleaseHandle(STOCK_SYSTEM_FONT);
}

void TGlobeFont::SetFontStyle(uint8_t s)
{
    m_style = s;
    ReleaseHandle(STOCK_SYSTEM_FONT);
}

void TGlobeFont::SetFontName(const std::string& n)
{
    m_name = n;
    ReleaseHandle(STOCK_SYSTEM_FONT);
}

void TGlobeFont::SetFontAttributes(
    const std::string& name, TColor color, uint8_t style, int32_t angle, TGlobeUnitTypes unit, int32_t size)
{
    m_name = name;
    m_color = color;
    m_style = style;
    m_angle = angle;
    m_unit = unit;
    m_size = size;
    ReleaseHandle(STOCK_SYSTEM_FONT);
}

void TGlobeFont::CreateHandle()
{
    ReleaseHandle(STOCK_SYSTEM_FONT);
    TGlobeCanvas* canvas = Canvas();
    if (!canvas)
        return;
    TDrawingGlobe& globe = canvas->Globe();
    m_altitude = globe.Projection().Altitude();
    int32_t h = canvas->UnitSizeToPixels(m_size, m_unit);
    // Text too small to read is not drawn at all.
    if (h < globe.MinTextHeight() || h < 1)
        return;
    if (globe.MaxTextHeight() > 0 && h > globe.MaxTextHeight())
        h = globe.MaxTextHeight();
    QFont font(fromCp1252(m_name));
    font.setPixelSize(h);
    font.setBold(m_style & fsBold);
    font.setItalic(m_style & fsItalic);
    font.setUnderline(m_style & fsUnderline);
    font.setStrikeOut(m_style & fsStrikeOut);
    m_handle = font;
}

bool TGlobeFont::Equals(const TGlobeAttribute& other) const
{
    const auto* f = dynamic_cast<const TGlobeFont*>(&other);
    return f && SameText(f->m_name, m_name) && f->m_color == m_color && f->m_style == m_style
        && f->m_unit == m_unit && f->m_size == m_size && f->m_angle == m_angle;
}

void TGlobeFont::Select(TGlobeCanvas& canvas, bool selected)
{
    TGlobeAttribute::Select(canvas, selected);
    if (m_unit != TGlobeUnitTypes::Pixel && m_altitude != canvas.Globe().Projection().Altitude()) {
        ReleaseHandle(STOCK_SYSTEM_FONT);
        CreateHandle();
    }
    if (!m_handle)
        return;
    canvas.SelectFont(*m_handle, m_angle);
    canvas.SetTextAlign(TA_LEFT | TA_TOP);
    canvas.SetTextColor(
        selected ? canvas.Globe().SelectedPen().color() : ToQColor(canvas.AdjustColor(m_color)));
    canvas.SetBkTransparent(true);
}

std::unique_ptr<TGlobeAttribute> TGlobeFont::Clone() const
{
    return std::make_unique<TGlobeFont>(*this);
}

void TGlobeFont::WriteToStream(TGlobeStreamWriter& writer) const
{
    writer.WriteInteger(m_color);
    writer.WriteShortInt(static_cast<int8_t>(m_unit));
    writer.WriteSmallInt(static_cast<int16_t>(m_size));
    writer.WriteSmallInt(static_cast<int16_t>(m_angle));
    writer.WriteShortInt(static_cast<int8_t>(m_style));
    writer.WriteShortString(m_name);
}

void TGlobeFont::ReadFromStream(TGlobeStreamReader& reader)
{
    m_color = reader.ReadInteger();
    m_unit = UnitFromByte(reader);
    m_size = reader.ReadSmallInt();
    m_angle = reader.ReadSmallInt();
    m_style = reader.Reader().ReadUInt8("a font style") & 0x0F;
    m_name = reader.ReadShortString();
    ReleaseHandle(STOCK_SYSTEM_FONT);
}

void TGlobeFont::Assign(const TGlobeRoot& source)
{
    const auto* f = dynamic_cast<const TGlobeFont*>(&source);
    if (!f) {
        TGlobeRoot::Assign(source);
        return;
    }
    SetFontAttributes(f->m_name, f->m_color, f->m_style, f->m_angle, f->m_unit, f->m_size);
}

void TGlobeFont::LoadEnvironment(const TGXML_Element* element)
{
    if (!element)
        return;
    const TGXML_Element& e = *element;
    SetFontAttributes(e.StringAttr("Name", m_name), ColorAttr(e, "Color", m_color),
        static_cast<uint8_t>(e.IntegerAttr("Style", m_style) & 0x0F), SmallIntAttr(e, "Angle", m_angle),
        UnitAttr(e, m_unit), SmallIntAttr(e, "Size", m_size));
}

std::unique_ptr<TGXML_Element> TGlobeFont::SaveEnvironment() const
{
    auto e = std::make_unique<TGXML_Element>();
    e->AddAttribute("Name", m_name);
    e->AddAttribute("Color", ColorToString(m_color));
    e->AddInteger("Style", m_style);
    e->AddInteger("Size", m_size);
    e->AddInteger("Angle", m_angle);
    e->AddAttribute("Unit", UnitsToStr(m_unit));
    return e;
}
