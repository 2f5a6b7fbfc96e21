#include "formats/GlobeMIFReader.h"

#include "formats/GlobeLYRReader.h"
#include "formats/MemoryMapStream.h"
#include "formats/MetaDataFile.h"
#include "formats/RecordIndex.h"
#include "geo/GXml.h"
#include "geo/GeoDataObject.h"
#include "geo/GlobeClassRegistry.h"
#include "geo/GlobeStream.h"
#include "geo/GlobeUnits.h"
#include "platform/BoundedReader.h"
#include "platform/Cp1252.h"
#include "view/GlobePresenterStore.h"
#include "view/LayeredGlobe.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>

using enum TGlobeObjectState;

namespace {

// MIF and MID position of one index entry.
constexpr size_t INDEX_ENTRY_SIZE = 8;
constexpr int32_t POINT_SIZE = 6;

TGeoPoint GeoPointOf(const TMIFPoint& point)
{
    return DegreesToGeoPoint(point.Long, point.Lat);
}

void FillChains(TGeoDataObject& object, const std::vector<std::vector<TMIFPoint>>& chains)
{
    for (size_t k = 0; k < chains.size(); ++k) {
        TPointStore& chain = object.Chains.Chain(static_cast<int>(k));
        chain.SetCount(static_cast<int>(chains[k].size()));
        for (size_t j = 0; j < chains[k].size(); ++j)
            chain.SetPoint(static_cast<int>(j), GeoPointOf(chains[k][j]));
    }
}

std::string DefaultTitle(TMIFObjectKind kind)
{
    switch (kind) {
    case TMIFObjectKind::Region:
        return "New Polygon";
    case TMIFObjectKind::Line:
    case TMIFObjectKind::Pline:
        return "New Polyline";
    default:
        return {};
    }
}

} // namespace

void RegisterMIFReader()
{
    RegisterFileReader<TGlobeMIFReader>("TGlobeMIFReader");
}

TGlobeMIFReader::TGlobeMIFReader(TLayeredGlobe& globe)
    : TIndexedFileReader(globe)
{
    RegisterMIFReader();
}

TGlobeMIFReader::~TGlobeMIFReader()
{
    if (Active())
        TGlobeMIFReader::SetActive(false);
}

// --- Opening and closing ----------------------------------------------------------------

bool TGlobeMIFReader::Open()
{
    const std::string& name = FileName();
    if (name.empty() || !QFileInfo(fromCp1252(name)).isFile())
        return false;
    ResetWorkingStyle();
    MIDColumnNames.clear();
    Name = toCp1252(QFileInfo(fromCp1252(name)).fileName());
    try {
        m_mifMap = std::make_unique<TMemoryMapStream>(name);
        std::unique_ptr<TGlobeTextReader> mid;
        if (const std::string midName = CompanionFile(name, ".mid"); !midName.empty()) {
            m_midMap = std::make_unique<TMemoryMapStream>(midName);
            mid = std::make_unique<TGlobeTextReader>(m_midMap->Bytes(), midName);
        }
        // Index entries keep positions in 32 bits.
        const size_t limit = std::numeric_limits<int32_t>::max();
        if (m_mifMap->Size() > limit || (m_midMap && m_midMap->Size() > limit))
            throw EGlobeException(name + ": the file is too large for a MIF table");
        m_parser = std::make_unique<TMIFParser>(
            std::make_unique<TGlobeTextReader>(m_mifMap->Bytes(), name), std::move(mid));
        LoadOrMapFile(m_mifMap->Bytes(), name);
    } catch (...) {
        Release();
        throw;
    }
    return TGlobeFileReader::Open();
}

bool TGlobeMIFReader::Close()
{
    if (m_parser)
        SaveMetaData();
    Release();
    return TGlobeFileReader::Close();
}

void TGlobeMIFReader::Release()
{
    ClearObjects();
    m_index.clear();
    m_parser.reset();
    m_midMap.reset();
    m_mifMap.reset();
    m_metaDataLoaded = false;
}

void TGlobeMIFReader::ResetWorkingStyle()
{
    m_pen.SetPenAttributes(0, TPenStyle::psSolid, 1, TGlobeUnitTypes::Pixel);
    m_brush.SetBrushAttributes(0, TGlobeBrushStyle::bsSolid);
    m_symbolFont.SetFontAttributes("Arial", 0, 0, 0, TGlobeUnitTypes::Pixel, 9);
    m_textFont.SetFontAttributes("Arial", 0, 0, 0, TGlobeUnitTypes::Pixel, 9);
}

// --- Indexing and loading ------------------------------------------------------------------

bool TGlobeMIFReader::ReadHeader(TBoundedReader&)
{
    const TMIFHeader header = m_parser->ReadHeader();
    m_version = header.Version;
    MIDDelimiter = header.Delimiter;
    MIFCoordSys = header.CoordSys;
    MIDColumnNames = header.ColumnNames;
    m_index.clear();
    return true;
}

bool TGlobeMIFReader::IndexNextObject(TBoundedReader& stream, int)
{
    TMIFIndexEntry entry;
    if (!m_parser->IndexNextObject(entry))
        return false;
    m_index.push_back(entry);
    // Only for the progress messages: the parser reads the text itself.
    stream.Seek(std::min(entry.MIFPosition, stream.Size()));
    return true;
}

std::unique_ptr<TGlobeObject> TGlobeMIFReader::LoadObject(int index, bool isNew)
{
    if (!m_parser || index < 0 || static_cast<size_t>(index) >= m_index.size())
        throw EGlobeException(FileName() + ": object " + std::to_string(index) + " has no record");
    const TMIFObject mif = m_parser->LoadObject(m_index[static_cast<size_t>(index)], isNew);
    ++m_recordsRead;
    std::unique_ptr<TGlobeObject> object = NewObject(mif, isNew);
    if (object->Hidden()) {
        // The record's state replaces the object's when it is not new.
        GetObjectData(index).State.include(osHidden);
    }
    return object;
}

bool TGlobeMIFReader::IsEmptyObject(int index) const
{
    if (!m_mifMap || index < 0 || static_cast<size_t>(index) >= m_index.size())
        return false;
    const std::span<const uint8_t> bytes = m_mifMap->Bytes();
    const size_t start = std::min(m_index[static_cast<size_t>(index)].MIFPosition, bytes.size());
    const auto rest = bytes.subspan(start);
    const auto end = std::find_if(rest.begin(), rest.end(), [](uint8_t c) { return c == '\n' || c == '\r'; });
    return IsEmptyMIFObject(std::string_view(reinterpret_cast<const char*>(rest.data()), end - rest.begin()));
}

TGlobeObjectStateSet TGlobeMIFReader::GetObjectState(int index)
{
    TGlobeObjectStateSet state = TGlobeFileReader::GetObjectState(index);
    if (!state.contains(osHidden) && !state.contains(osNew) && IsEmptyObject(index)) {
        state.include(osHidden);
        GetObjectData(index).State.include(osHidden);
    }
    return state;
}

std::unique_ptr<TGlobeObject> TGlobeMIFReader::NewObject(const TMIFObject& mif, bool readStyle)
{
    auto object = std::make_unique<TGeoDataObject>(this);
    const std::string defaultTitle = DefaultTitle(mif.Kind);
    if (mif.MIDRecord)
        object->Title = *mif.MIDRecord;
    else if (!defaultTitle.empty())
        object->Title = defaultTitle;
    if (mif.Kind == TMIFObjectKind::Point || mif.Kind == TMIFObjectKind::Text)
        object->SetCentroid(GeoPointOf(mif.Position));
    else
        FillChains(*object, mif.Chains);
    if (mif.Kind == TMIFObjectKind::Region)
        object->State.include(osClosed);
    const bool hasPoints
        = std::any_of(mif.Chains.begin(), mif.Chains.end(), [](const auto& c) { return !c.empty(); });
    if ((mif.Kind == TMIFObjectKind::Region || mif.Kind == TMIFObjectKind::Pline) && !hasPoints)
        object->State.include(osHidden);
    if (mif.Kind == TMIFObjectKind::Text)
        object->Title = mif.Text;
    if (!readStyle)
        return object;
    ApplyStyle(mif.Style);
    switch (mif.Kind) {
    case TMIFObjectKind::Point:
        object->SetPresenterID(PointPresenter(false));
        break;
    case TMIFObjectKind::Region:
        object->SetPresenterID(PolyPresenter<TPolygonPresenter>());
        break;
    case TMIFObjectKind::Pline:
        m_brush.SetBrushAttributes(0, TGlobeBrushStyle::bsSolid);
        object->SetPresenterID(PolyPresenter<TPolylinePresenter>());
        break;
    case TMIFObjectKind::Line:
        object->SetPresenterID(PolyPresenter<TPolylinePresenter>());
        break;
    case TMIFObjectKind::Text:
        SetTextFont(mif);
        m_pen.SetPenAttributes(0, TPenStyle::psSolid, 1, TGlobeUnitTypes::Pixel);
        m_brush.SetBrushAttributes(0, TGlobeBrushStyle::bsSolid);
        m_symbolFont.SetFontAttributes("Arial", 0, 0, 0, TGlobeUnitTypes::Pixel, 9);
        object->SetPresenterID(PointPresenter(true));
        break;
    }
    return object;
}

void TGlobeMIFReader::ApplyStyle(const TMIFStyle& style)
{
    if (style.Pen)
        m_pen.SetPenAttributes(MIFColor(style.Pen->Color),
            static_cast<TPenStyle>(PenStyleOfPattern(style.Pen->Pattern)), style.Pen->Width,
            TGlobeUnitTypes::Pixel);
    if (style.Brush) {
        m_brush.SetBrushStyle(static_cast<TGlobeBrushStyle>(BrushStyleOfPattern(style.Brush->Pattern)));
        m_brush.SetBrushColor(MIFColor(style.Brush->ForeColor));
        if (style.Brush->BackColor)
            m_brush.SetBrushBkColor(MIFColor(*style.Brush->BackColor));
    }
    if (style.Font) {
        m_textFont.SetFontAttributes(
            style.Font->Name, MIFColor(style.Font->ForeColor), 0, 0, m_textFont.FontUnit(), style.Font->Size);
    }
    // Whole turns more or less give the same text; taking them off keeps a
    // damaged file's angle within the tenths a font holds.
    if (style.Angle && std::isfinite(*style.Angle))
        m_textFont.SetFontAngle(static_cast<int32_t>(std::nearbyint(std::fmod(*style.Angle, 360.0))) * 10);
}

// The text of a text object is as tall as its box: the font is sized in
// metres on the ground, so the text grows and shrinks with the map.
void TGlobeMIFReader::SetTextFont(const TMIFObject& text)
{
    const int64_t height
        = std::llabs(int64_t { GeoPointOf(text.Corner2).Lat } - GeoPointOf(text.Position).Lat);
    const long double metres
        = GUToUnits(static_cast<int32_t>(std::min<int64_t>(height, INT32_MAX)), TGlobeUnitTypes::Meter);
    m_textFont.SetFontUnit(TGlobeUnitTypes::Meter);
    m_textFont.SetFontSize(
        std::max<int32_t>(1, static_cast<int32_t>(std::min<long double>(std::nearbyint(metres), INT32_MAX))));
}

int32_t TGlobeMIFReader::PointPresenter(bool withTitleFont)
{
    const int32_t found = FindPointPresenter(Presenters(), &m_pen, &m_brush, &m_symbolFont,
        withTitleFont ? &m_textFont : nullptr, TPointPresenterType::ppCircle, TGlobeUnitTypes::Pixel,
        POINT_SIZE, std::string());
    if (found != 0)
        return found;
    auto presenter = std::make_unique<TPointPresenter>(&LayeredGlobe(), 0);
    presenter->PointType = TPointPresenterType::ppCircle;
    presenter->SetPointUnit(TGlobeUnitTypes::Pixel);
    presenter->SetPointSize(POINT_SIZE);
    presenter->PointPen.Assign(m_pen);
    presenter->PointBrush.Assign(m_brush);
    presenter->PointFont.Assign(m_symbolFont);
    presenter->TitleFont.Assign(m_textFont);
    // A text object is nothing but its text.
    if (withTitleFont)
        presenter->TitleAlignment = TTitleAlignment::taCenter;
    return Presenters().Add(std::move(presenter));
}

// Lines and polygons do not share presenters: a polygon presenter closes
// what it draws.
template <typename Presenter> int32_t TGlobeMIFReader::PolyPresenter()
{
    for (int i = 0; i < Presenters().Count(); ++i) {
        const auto* p = dynamic_cast<const Presenter*>(&Presenters().Presenters(i));
        if (p && p->PolyPen.Equals(m_pen) && p->PolyBrush.Equals(m_brush))
            return p->PresenterID;
    }
    auto presenter = std::make_unique<Presenter>(&LayeredGlobe(), 0);
    presenter->PolyPen.Assign(m_pen);
    presenter->PolyBrush.Assign(m_brush);
    return Presenters().Add(std::move(presenter));
}

// --- Metadata file ----------------------------------------------------------------------

void TGlobeMIFReader::WriteReaderMetaData(TGlobeStreamWriter& writer)
{
    writer.WriteInteger(m_version);
    writer.WriteInteger(TitleColumn);
    writer.WriteShortString(MIDDelimiter);
    writer.WriteShortString(MIFCoordSys);
    writer.WriteInteger(static_cast<int32_t>(MIDColumnNames.size()));
    for (const std::string& column : MIDColumnNames)
        writer.WriteShortString(column);
    writer.WriteInteger(static_cast<int32_t>(m_index.size()));
    for (const TMIFIndexEntry& entry : m_index) {
        writer.WriteInteger(static_cast<int32_t>(entry.MIFPosition));
        writer.WriteInteger(static_cast<int32_t>(entry.MIDPosition));
    }
}

void TGlobeMIFReader::ReadReaderMetaData(TBoundedReader& bytes)
{
    const int32_t version = bytes.ReadInt32LE("the MIF version");
    const int32_t titleColumn = bytes.ReadInt32LE("TitleColumn");
    std::string delimiter = bytes.ReadShortString("MIDDelimiter");
    std::string coordSys = bytes.ReadShortString("MIFCoordSys");
    std::vector<std::string> columns(bytes.ReadCountLE(1, "the column count"));
    for (std::string& column : columns)
        column = bytes.ReadShortString("a column name");
    const size_t entries = bytes.ReadCountLE(INDEX_ENTRY_SIZE, "the index count");
    if (entries != static_cast<size_t>(Count()))
        bytes.Fail("the index does not match the object count");
    std::vector<TMIFIndexEntry> index(entries);
    const size_t mifSize = m_mifMap->Size();
    const size_t midSize = m_midMap ? m_midMap->Size() : 0;
    for (TMIFIndexEntry& entry : index) {
        const int32_t mifPosition = bytes.ReadInt32LE("a MIF position");
        const int32_t midPosition = bytes.ReadInt32LE("a MID position");
        if (mifPosition < 0 || static_cast<size_t>(mifPosition) >= mifSize || midPosition < 0
            || static_cast<size_t>(midPosition) > midSize)
            bytes.Fail("an index entry lies outside the MIF or MID file");
        entry.MIFPosition = static_cast<size_t>(mifPosition);
        entry.MIDPosition = static_cast<size_t>(midPosition);
    }
    m_version = version;
    // As for shapefiles, a column the user chose wins over the stored one.
    if (TitleColumn == 0)
        TitleColumn = titleColumn;
    MIDDelimiter = std::move(delimiter);
    MIFCoordSys = std::move(coordSys);
    MIDColumnNames = std::move(columns);
    m_index = std::move(index);
}

// --- Environment ----------------------------------------------------------------------

void TGlobeMIFReader::LoadEnvironment(const TGXML_Element* element)
{
    TGlobeFileReader::LoadEnvironment(element);
    if (!element)
        return;
    MIFCoordSys = element->StringAttr("MIFCoordSys", MIFCoordSys);
    MIDDelimiter = element->StringAttr("MIDDelimiter", MIDDelimiter);
    TitleColumn = element->Int32Attr("TitleColumn", 0);
    SetActive(true);
}

std::unique_ptr<TGXML_Element> TGlobeMIFReader::SaveEnvironment() const
{
    auto e = TGlobeFileReader::SaveEnvironment();
    e->AddAttribute("MIFCoordSys", MIFCoordSys);
    e->AddAttribute("MIDDelimiter", MIDDelimiter);
    e->AddInteger("TitleColumn", TitleColumn);
    return e;
}
