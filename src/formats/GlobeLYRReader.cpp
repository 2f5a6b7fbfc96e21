#include "formats/GlobeLYRReader.h"

#include "formats/MetaDataFile.h"

#include "formats/MemoryMapStream.h"
#include "geo/GlobeClassRegistry.h"
#include "geo/GlobeStream.h"
#include "geo/ObjectRecord.h"
#include "platform/BoundedReader.h"
#include "platform/Cp1252.h"
#include "platform/SaveFile.h"
#include "view/GlobeLayer.h"
#include "view/LayeredGlobe.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <filesystem>
#include <limits>

namespace {

constexpr uint16_t METADATA_MAGIC = 259;
constexpr uint16_t OLDEST_VERSION = 768;
// Flags and presenter: the smallest object record.
constexpr size_t SMALLEST_OBJECT_RECORD = 4;
// Class number and position of one index entry.
constexpr size_t INDEX_ENTRY_SIZE = 5;

using TObjectFactory = TGlobeClassFactory<TGlobeObject, TCustomObjectSource*>;
using TPresenterFactory = TGlobeClassFactory<TGlobePresenter, TDrawingGlobe*, int32_t>;

// The factory of an object class, null for a class of another family; an
// unknown name fails with the file named.
const TObjectFactory* FindObjectClass(TBoundedReader& stream, const std::string& name)
{
    try {
        return FindGlobeClass<TGlobeObject, TCustomObjectSource*>(name);
    } catch (const EGlobeException& e) {
        stream.Fail(e.what());
    }
}

std::filesystem::path PathOf(const std::string& name)
{
    return std::filesystem::path(fromCp1252(name).toStdU16String());
}

// The metadata file is no older than the layer file.
bool IsCurrent(const std::string& metaName, const std::string& fileName)
{
    std::error_code error;
    const auto metaTime = std::filesystem::last_write_time(PathOf(metaName), error);
    if (error)
        return false;
    const auto fileTime = std::filesystem::last_write_time(PathOf(fileName), error);
    return !error && metaTime >= fileTime;
}

} // namespace

void RegisterLayerFileClasses()
{
    RegisterLayers();
    RegisterGlobeObjects();
    RegisterGlobeClass<TGlobeObjectSource, TGlobeLYRStreamReader, TLayeredGlobe&>("TGlobeLYRStreamReader");
    RegisterGlobeClass<TGlobeObjectSource, TGlobeLYRReader, TLayeredGlobe&>("TGlobeLYRReader");
}

// --- TGlobeLYRStreamReader ------------------------------------------------------------

TGlobeLYRStreamReader::TGlobeLYRStreamReader(TLayeredGlobe& globe)
    : TGlobeFileReader(globe)
{
    RegisterLayerFileClasses();
}

TGlobeLYRStreamReader::~TGlobeLYRStreamReader()
{
    if (Active())
        TGlobeLYRStreamReader::SetActive(false);
}

void TGlobeLYRStreamReader::SetStream(std::span<const uint8_t> bytes, const std::string& sourceName)
{
    m_reader.reset();
    m_stream.reset();
    m_bytes = bytes;
    m_hasStream = !sourceName.empty();
    m_sourceName = sourceName;
}

void TGlobeLYRStreamReader::Release()
{
    ClearObjects();
    m_index.clear();
    m_classNames.clear();
    m_reader.reset();
    m_stream.reset();
    m_metaDataLoaded = false;
}

bool TGlobeLYRStreamReader::Open()
{
    if (!m_hasStream)
        return false;
    try {
        if (m_bytes.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
            throw EGlobeException(m_sourceName + ": the file is too large for a layer file");
        LoadMetaData();
        m_stream = std::make_unique<TBoundedReader>(m_bytes, m_sourceName);
        m_reader = std::make_unique<TGlobeStreamReader>(*m_stream);
        if (!m_metaDataLoaded) {
            MapFile(*m_stream);
            if (LayeredGlobe().SaveMetaDataLocation() != TSaveMetaDataLocation::smdDiscard)
                SaveMetaData();
        }
    } catch (...) {
        Release();
        throw;
    }
    return TGlobeFileReader::Open();
}

bool TGlobeLYRStreamReader::Close()
{
    Release();
    return TGlobeFileReader::Close();
}

bool TGlobeLYRStreamReader::ReadHeader(TBoundedReader& stream)
{
    stream.SetContext("header");
    const uint16_t version = stream.ReadUInt16LE("the version");
    SetGlobeFileVersion(version);
    if (version < OLDEST_VERSION) {
        char text[16];
        std::snprintf(text, sizeof text, "%X", version);
        throw EGlobeException("Invalid File Version " + Excerpt(text) + " in " + m_sourceName);
    }
    m_index.clear();
    m_classNames.clear();
    m_groupLeft = 0;
    m_ended = false;
    stream.Skip(16, "the extent");
    int32_t count = stream.ReadInt32LE("a group count");
    while (count > 0 && !stream.AtEnd()) {
        const size_t nameStart = stream.Position();
        const std::string name = stream.ReadShortString("a class name");
        if (FindObjectClass(stream, name)) {
            // The first object group: indexing starts at its count.
            stream.Seek(nameStart - 4);
            return true;
        }
        ReadPresenterGroup(stream, count, name);
        if (stream.AtEnd())
            return true;
        count = stream.ReadInt32LE("a group count");
    }
    if (count < 0)
        stream.Fail("negative group count " + std::to_string(count));
    m_ended = count == 0;
    return true;
}

void TGlobeLYRStreamReader::ReadPresenterGroup(
    TBoundedReader& stream, int32_t count, const std::string& className)
{
    const TPresenterFactory* factory = nullptr;
    try {
        factory = FindGlobeClass<TGlobePresenter, TDrawingGlobe*, int32_t>(className);
    } catch (const EGlobeException& e) {
        stream.Fail(e.what());
    }
    if (!factory)
        stream.Fail("class " + Excerpt(className) + " is neither a presenter nor an object class");
    stream.RequireElements(count, 1, "the presenter count");
    for (int32_t k = 0; k < count; ++k) {
        stream.SetContext(className + " " + std::to_string(k));
        std::unique_ptr<TGlobePresenter> presenter = (*factory)(&LayeredGlobe(), 0);
        presenter->ReadFromStream(*m_reader);
        Presenters().Add(presenter);
    }
}

int TGlobeLYRStreamReader::ObjectClassNumber(TBoundedReader& stream, const std::string& name)
{
    for (size_t k = 0; k < m_classNames.size(); ++k)
        if (m_classNames[k] == name)
            return static_cast<int>(k);
    if (!FindObjectClass(stream, name))
        stream.Fail("class " + Excerpt(name) + " is not an object class");
    // The metadata file keeps class numbers in a signed byte.
    if (m_classNames.size() >= 127)
        stream.Fail("too many object classes");
    m_classNames.push_back(name);
    return static_cast<int>(m_classNames.size()) - 1;
}

bool TGlobeLYRStreamReader::IndexNextObject(TBoundedReader& stream, int index)
{
    if (m_ended)
        return false;
    if (m_groupLeft == 0) {
        stream.SetContext("object group after object " + std::to_string(index));
        const int32_t count = stream.ReadInt32LE("an object group count");
        if (count == 0) {
            m_ended = true;
            return false;
        }
        const std::string name = stream.ReadShortString("a class name");
        stream.RequireElements(count, SMALLEST_OBJECT_RECORD, "the object count");
        m_groupClass = ObjectClassNumber(stream, name);
        m_groupLeft = count;
        m_index.reserve(m_index.size() + static_cast<size_t>(count));
    }
    m_index.push_back({ m_groupClass, static_cast<int32_t>(stream.Position()) });
    --m_groupLeft;
    return true;
}

std::unique_ptr<TGlobeObject> TGlobeLYRStreamReader::LoadObject(int index, bool)
{
    if (!m_stream || index < 0 || static_cast<size_t>(index) >= m_index.size())
        throw EGlobeException(m_sourceName + ": object " + std::to_string(index) + " has no record");
    const TIndexEntry& entry = m_index[static_cast<size_t>(index)];
    m_stream->SetContext("object " + std::to_string(index));
    m_stream->Seek(static_cast<size_t>(entry.position));
    const std::string& className = m_classNames.at(static_cast<size_t>(entry.classNumber));
    std::unique_ptr<TGlobeObject> object
        = (*FindGlobeClass<TGlobeObject, TCustomObjectSource*>(className))(this);
    object->LoadFromStream(*m_reader);
    ++m_recordsRead;
    return object;
}

void TGlobeLYRStreamReader::RemoveObject(TGlobeObject& object)
{
    // The index follows the entries, so a record is always read for its own object.
    const int index = object.ObjectIndex;
    const bool listed = index >= 0 && index < Count() && &GetObjectData(index) == &object;
    TGlobeFileReader::RemoveObject(object);
    if (listed && static_cast<size_t>(index) < m_index.size())
        m_index.erase(m_index.begin() + index);
}

void TGlobeLYRStreamReader::MoveObject(int from, int to)
{
    const auto size = static_cast<int>(m_index.size());
    if (from >= 0 && to >= 0 && from < size && to < size && from < Count() && to < Count()) {
        const TIndexEntry entry = m_index[static_cast<size_t>(from)];
        m_index.erase(m_index.begin() + from);
        m_index.insert(m_index.begin() + to, entry);
    }
    TGlobeFileReader::MoveObject(from, to);
}

// --- Metadata file ----------------------------------------------------------------

void TGlobeLYRStreamReader::SaveMetaData()
{
    const std::string metaName = NoCache ? std::string() : MetaDataFileName(FileName());
    if (metaName.empty())
        return;
    TGlobeStreamWriter writer;
    writer.WriteWord(METADATA_MAGIC);
    WriteSourceData(writer);
    writer.WriteInteger(static_cast<int32_t>(m_classNames.size()));
    for (const std::string& name : m_classNames)
        writer.WriteShortString(name);
    writer.WriteInteger(static_cast<int32_t>(m_index.size()));
    for (const TIndexEntry& entry : m_index) {
        writer.WriteShortInt(static_cast<int8_t>(entry.classNumber));
        writer.WriteInteger(entry.position);
    }
    WriteMetaDataFile(metaName, writer.Bytes());
}

void TGlobeLYRStreamReader::LoadMetaData()
{
    m_metaDataLoaded = false;
    const std::string metaName = NoCache ? std::string() : MetaDataFileName(FileName());
    if (metaName.empty() || !QFileInfo(fromCp1252(metaName)).isFile() || !IsCurrent(metaName, FileName()))
        return;
    QFile file(fromCp1252(metaName));
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray data = file.readAll();
    file.close();
    TBoundedReader bytes(
        std::span(reinterpret_cast<const uint8_t*>(data.constData()), static_cast<size_t>(data.size())),
        metaName);
    try {
        ReadMetaData(bytes);
        m_metaDataLoaded = true;
    } catch (const EGlobeException&) {
        // A bad metadata file goes; the layer file is scanned instead.
        ClearObjects();
        m_index.clear();
        m_classNames.clear();
        QFile::remove(fromCp1252(metaName));
    }
}

void TGlobeLYRStreamReader::ReadMetaData(TBoundedReader& bytes)
{
    if (bytes.ReadUInt16LE("the magic") != METADATA_MAGIC)
        bytes.Fail("not a metadata file");
    TGlobeStreamReader reader(bytes);
    ReadSourceData(reader);
    m_index.clear();
    m_classNames.clear();
    const size_t classes = bytes.ReadCountLE(1, "the class count");
    for (size_t k = 0; k < classes; ++k)
        if (ObjectClassNumber(bytes, bytes.ReadShortString("a class name")) != static_cast<int>(k))
            bytes.Fail("a class is listed twice");
    const size_t entries = bytes.ReadCountLE(INDEX_ENTRY_SIZE, "the index count");
    if (entries != static_cast<size_t>(Count()))
        bytes.Fail("the index does not match the object count");
    m_index.reserve(entries);
    for (size_t k = 0; k < entries; ++k) {
        const auto classNumber = static_cast<int8_t>(bytes.ReadUInt8("a class number"));
        const int32_t position = bytes.ReadInt32LE("a position");
        if (classNumber < 0 || static_cast<size_t>(classNumber) >= classes)
            bytes.Fail("class number " + std::to_string(classNumber) + " out of range");
        if (position < 0 || static_cast<size_t>(position) >= m_bytes.size())
            bytes.Fail("position " + std::to_string(position) + " lies outside the layer file");
        m_index.push_back({ classNumber, position });
    }
}

// --- TGlobeLYRReader ------------------------------------------------------------------

TGlobeLYRReader::TGlobeLYRReader(TLayeredGlobe& globe)
    : TGlobeLYRStreamReader(globe)
{
}

TGlobeLYRReader::~TGlobeLYRReader()
{
    if (Active())
        TGlobeLYRReader::SetActive(false);
}

bool TGlobeLYRReader::Open()
{
    const std::string& name = FileName();
    if (name.empty() || !QFileInfo(fromCp1252(name)).isFile())
        return false;
    Name = toCp1252(QFileInfo(fromCp1252(name)).fileName());
    m_mapped = std::make_unique<TMemoryMapStream>(name);
    SetStream(m_mapped->Bytes(), name);
    try {
        return TGlobeLYRStreamReader::Open();
    } catch (...) {
        SetStream({}, {});
        m_mapped.reset();
        throw;
    }
}

bool TGlobeLYRReader::Close()
{
    SetStream({}, {});
    m_mapped.reset();
    return TGlobeLYRStreamReader::Close();
}
