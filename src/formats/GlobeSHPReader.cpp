#include "formats/GlobeSHPReader.h"

#include "formats/GlobeDBFReader.h"
#include "formats/GlobeLYRReader.h"
#include "formats/MemoryMapStream.h"
#include "formats/MetaDataFile.h"
#include "formats/RecordIndex.h"
#include "geo/GXml.h"
#include "geo/GeoDataObject.h"
#include "geo/GlobeClassRegistry.h"
#include "geo/GlobeStream.h"
#include "platform/BoundedReader.h"
#include "platform/Cp1252.h"
#include "view/LayeredGlobe.h"

#include <QFileInfo>

#include <cmath>
#include <limits>

using enum TGlobeObjectState;

namespace {

// Position and dBASE record number of one index entry.
constexpr size_t INDEX_ENTRY_SIZE = 8;
// The shape type follows the record number and the content length.
constexpr size_t SHAPE_TYPE_OFFSET = 8;
// The title of an object whose table has no title column.
const char* const NEW_OBJECT_TITLE = "New Object";

void FillChain(
    TPointStore& chain, std::span<const TSHPPoint> points, const TSHPCoordinateCorrection& correction)
{
    chain.SetCount(static_cast<int>(points.size()));
    for (size_t j = 0; j < points.size(); ++j)
        chain.SetPoint(static_cast<int>(j), correction.GeoPoint(points[j]));
}

} // namespace

void RegisterSHPReader()
{
    RegisterFileReader<TGlobeSHPReader>("TGlobeSHPReader");
}

TGlobeSHPReader::TGlobeSHPReader(TLayeredGlobe& globe)
    : TIndexedFileReader(globe)
{
    RegisterSHPReader();
}

TGlobeSHPReader::~TGlobeSHPReader()
{
    if (Active())
        TGlobeSHPReader::SetActive(false);
}

void TGlobeSHPReader::SetTitleColumn(int32_t column)
{
    if (column == m_titleColumn)
        return;
    m_titleColumn = column;
    if (!Active())
        return;
    for (int i = 0; i < Count(); ++i)
        ReleaseObject(i);
    NotifyLayers(onObjectChanged, nullptr);
}

// --- Opening and closing ----------------------------------------------------------------

bool TGlobeSHPReader::Open()
{
    const std::string& name = FileName();
    if (name.empty() || !QFileInfo(fromCp1252(name)).isFile())
        return false;
    Name = toCp1252(QFileInfo(fromCp1252(name)).fileName());
    try {
        m_mapped = std::make_unique<TMemoryMapStream>(name);
        // Index entries keep positions in 32 bits.
        if (m_mapped->Size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
            throw EGlobeException(name + ": the file is too large for a shapefile");
        m_file = std::make_unique<TSHPFile>(m_mapped->Bytes(), name);
        if (const std::string table = CompanionFile(name, ".dbf"); !table.empty())
            m_table = std::make_unique<TGlobeDBFReader>(table);
        LoadOrMapFile(m_mapped->Bytes(), name);
    } catch (...) {
        Release();
        throw;
    }
    return TGlobeFileReader::Open();
}

bool TGlobeSHPReader::Close()
{
    Release();
    return TGlobeFileReader::Close();
}

void TGlobeSHPReader::Release()
{
    ClearObjects();
    m_index.clear();
    m_table.reset();
    m_file.reset();
    m_mapped.reset();
    m_metaDataLoaded = false;
}

// --- Indexing and loading ------------------------------------------------------------------

bool TGlobeSHPReader::ReadHeader(TBoundedReader& stream)
{
    // The header was checked when the file was opened.
    m_index.clear();
    stream.Seek(TSHPFile::HeaderSize);
    return true;
}

bool TGlobeSHPReader::IndexNextObject(TBoundedReader& stream, int index)
{
    const size_t position = stream.Position();
    if (!m_file->HasRecordAt(position))
        return false;
    m_index.push_back({ static_cast<int32_t>(position), m_table ? index + 1 : 0 });
    stream.Seek(m_file->NextRecordPosition(position));
    return true;
}

std::unique_ptr<TGlobeObject> TGlobeSHPReader::LoadObject(int index, bool)
{
    if (!m_file || index < 0 || static_cast<size_t>(index) >= m_index.size())
        throw EGlobeException(FileName() + ": object " + std::to_string(index) + " has no record");
    const TSHPIndexEntry& entry = m_index[static_cast<size_t>(index)];
    const TSHPShape shape = m_file->ReadShape(static_cast<size_t>(entry.position));
    ++m_recordsRead;
    std::unique_ptr<TGlobeObject> object = NewObject(shape);
    if (object->Hidden()) {
        // The record's state replaces the object's when it is not new.
        GetObjectData(index).State.include(osHidden);
    }
    // Metadata written without the table numbers no records: the table
    // still belongs to the shapes record by record.
    SetTitle(*object, entry.recordNumber != 0 ? entry.recordNumber : index + 1);
    return object;
}

std::unique_ptr<TGlobeObject> TGlobeSHPReader::NewObject(const TSHPShape& shape)
{
    auto object = std::make_unique<TGeoDataObject>(this);
    switch (shape.Kind) {
    case TSHPShapeKind::Null: {
        const TSHPHeader& header = m_file->Header();
        const TSHPPoint corner { header.XMin, header.YMin };
        const bool usable
            = std::isfinite(Correction.Longitude(corner)) && std::isfinite(Correction.Latitude(corner));
        object->SetCentroid(usable ? Correction.GeoPoint(corner) : TGeoPoint {});
        object->State.include(osHidden);
        break;
    }
    case TSHPShapeKind::Point:
        object->SetCentroid(Correction.GeoPoint(shape.Points.front()));
        break;
    case TSHPShapeKind::MultiPoint:
        FillChain(object->Chains.Chain(0), shape.Points, Correction);
        break;
    case TSHPShapeKind::PolyLine:
    case TSHPShapeKind::Polygon:
    case TSHPShapeKind::MultiPatch:
        for (size_t k = 0; k < shape.PartCount(); ++k)
            FillChain(object->Chains.Chain(static_cast<int>(k)), shape.Part(k), Correction);
        if (shape.Kind != TSHPShapeKind::PolyLine)
            object->State.include(osClosed);
        break;
    }
    return object;
}

void TGlobeSHPReader::SetTitle(TGlobeObject& object, int32_t recordNumber)
{
    if (!m_table || recordNumber < 1 || recordNumber > m_table->RecordCount())
        return;
    m_table->ReadRecord(recordNumber);
    object.Title = m_titleColumn == -1 ? NEW_OBJECT_TITLE : m_table->FieldValue(m_titleColumn);
    object.ID = recordNumber;
}

bool TGlobeSHPReader::IsNullShape(int index) const
{
    if (!m_mapped || index < 0 || static_cast<size_t>(index) >= m_index.size())
        return false;
    const auto at = static_cast<size_t>(m_index[static_cast<size_t>(index)].position) + SHAPE_TYPE_OFFSET;
    const std::span<const uint8_t> bytes = m_mapped->Bytes();
    if (at + 4 > bytes.size())
        return false;
    return bytes[at] == 0 && bytes[at + 1] == 0 && bytes[at + 2] == 0 && bytes[at + 3] == 0;
}

TGlobeObjectStateSet TGlobeSHPReader::GetObjectState(int index)
{
    TGlobeObjectStateSet state = TGlobeFileReader::GetObjectState(index);
    if (!state.contains(osHidden) && !state.contains(osNew) && IsNullShape(index)) {
        // Remembered, so the file is looked at once per object.
        state.include(osHidden);
        GetObjectData(index).State.include(osHidden);
    }
    return state;
}

// --- Metadata file ----------------------------------------------------------------------

void TGlobeSHPReader::WriteReaderMetaData(TGlobeStreamWriter& writer)
{
    writer.WriteDouble(Correction.LongXDivisor);
    writer.WriteDouble(Correction.LatYDivisor);
    writer.WriteDouble(Correction.LongXShift);
    writer.WriteDouble(Correction.LatYShift);
    writer.WriteInteger(m_titleColumn);
    writer.WriteInteger(static_cast<int32_t>(m_index.size()));
    for (const TSHPIndexEntry& entry : m_index) {
        writer.WriteInteger(entry.position);
        writer.WriteInteger(entry.recordNumber);
    }
}

void TGlobeSHPReader::ReadReaderMetaData(TBoundedReader& bytes)
{
    TSHPCoordinateCorrection correction;
    correction.LongXDivisor = bytes.ReadDoubleLE("LongXDivisor");
    correction.LatYDivisor = bytes.ReadDoubleLE("LatYDivisor");
    correction.LongXShift = bytes.ReadDoubleLE("LongXShift");
    correction.LatYShift = bytes.ReadDoubleLE("LatYShift");
    const int32_t titleColumn = bytes.ReadInt32LE("TitleColumn");
    const size_t entries = bytes.ReadCountLE(INDEX_ENTRY_SIZE, "the index count");
    if (entries != static_cast<size_t>(Count()))
        bytes.Fail("the index does not match the object count");
    std::vector<TSHPIndexEntry> index(entries);
    for (TSHPIndexEntry& entry : index) {
        entry.position = bytes.ReadInt32LE("a position");
        entry.recordNumber = bytes.ReadInt32LE("a record number");
        if (entry.position < static_cast<int32_t>(TSHPFile::HeaderSize)
            || !m_file->HasRecordAt(entry.position))
            bytes.Fail(
                "position " + std::to_string(entry.position) + " lies outside the shapefile's records");
        if (entry.recordNumber < 0)
            bytes.Fail("negative record number " + std::to_string(entry.recordNumber));
    }
    Correction = correction;
    if (m_titleColumn == -1)
        m_titleColumn = titleColumn;
    m_index = std::move(index);
}

// --- Environment ----------------------------------------------------------------------

void TGlobeSHPReader::LoadEnvironment(const TGXML_Element* element)
{
    if (element) {
        Correction.LongXDivisor
            = static_cast<double>(element->FloatAttr("LongXDivisor", Correction.LongXDivisor));
        Correction.LatYDivisor
            = static_cast<double>(element->FloatAttr("LatYDivisor", Correction.LatYDivisor));
        Correction.LongXShift = static_cast<double>(element->FloatAttr("LongXShift", Correction.LongXShift));
        Correction.LatYShift = static_cast<double>(element->FloatAttr("LatYShift", Correction.LatYShift));
        SetTitleColumn(element->Int32Attr("TitleColumn", m_titleColumn));
    }
    TGlobeFileReader::LoadEnvironment(element);
}

std::unique_ptr<TGXML_Element> TGlobeSHPReader::SaveEnvironment() const
{
    auto e = TGlobeFileReader::SaveEnvironment();
    e->AddFloat("LongXDivisor", Correction.LongXDivisor);
    e->AddFloat("LatYDivisor", Correction.LatYDivisor);
    e->AddFloat("LongXShift", Correction.LongXShift);
    e->AddFloat("LatYShift", Correction.LatYShift);
    e->AddInteger("TitleColumn", m_titleColumn);
    return e;
}
