#include "view/GlobeObjectSource.h"

#include "geo/GXml.h"
#include "geo/GeoMath.h"
#include "geo/GlobeClassRegistry.h"
#include "geo/GlobeStream.h"
#include "geo/GlobeUnits.h"
#include "platform/BoundedReader.h"
#include "platform/Cp1252.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/LayeredGlobe.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <stdexcept>

using enum TGlobeObjectState;

namespace {

// The smallest summary of one object: MER, presenter and closed flag.
constexpr size_t OBJECT_SUMMARY_SIZE = 16 + 4 + 1;

std::string FilePart(const std::string& name)
{
    return toCp1252(QFileInfo(fromCp1252(name)).fileName());
}

std::string InFolder(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '/' || folder.back() == '\\')
        return folder + name;
    return folder + "/" + name;
}

// The metadata file of a data file in the user's cache folder. A digest of
// the data file's full path is part of the name, so that files of one name
// in different folders never share one.
std::string InCacheFolder(const std::string& dataFileName)
{
    const QString path = QFileInfo(fromCp1252(dataFileName)).absoluteFilePath();
    const QByteArray digest = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + "/metadata";
    return InFolder(toCp1252(folder), FilePart(dataFileName) + "." + digest.toStdString() + ".md");
}

} // namespace

void RegisterObjectSources()
{
    RegisterGlobeClass<TGlobeObjectSource, TGlobeObjectSource, TLayeredGlobe&>("TGlobeObjectSource");
}

// --- Life ---------------------------------------------------------------------

TGlobeObjectSource::TGlobeObjectSource(TLayeredGlobe& globe)
    : m_globe(globe)
    , m_cache(globe.ObjectCache())
    , m_presenters(std::make_unique<TGlobePresenterStore>(&globe))
{
    m_cache.AddSource(*this);
    m_globe.Notify(TGlobeNotification::gnSourceCreated, this);
}

TGlobeObjectSource::~TGlobeObjectSource()
{
    m_destroying = true;
    if (!m_cache.Destroying())
        m_globe.Notify(TGlobeNotification::gnSourceFreed, this);
    m_cache.RemoveSource(*this);
    if (m_active)
        TGlobeObjectSource::SetActive(false);
    SetCount(0);
    for (TGlobeLayer* layer : std::exchange(m_layers, {}))
        layer->SourceGone(*this);
}

TCustomGlobe4& TGlobeObjectSource::Globe() const
{
    return m_globe;
}

void TGlobeObjectSource::SetActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active ? Open() : !Close();
    if (!m_cache.Destroying())
        m_globe.Notify(TGlobeNotification::gnSourceActiveChanged, this);
}

bool TGlobeObjectSource::Open()
{
    NotifyLayers(onObjectChanged, nullptr);
    return true;
}

bool TGlobeObjectSource::Close()
{
    NotifyLayers(onObjectChanged, nullptr);
    return true;
}

void TGlobeObjectSource::Activate()
{
    SetActive(true);
    m_modified = false;
}

void TGlobeObjectSource::Deactivate()
{
    SetActive(false);
}

void TGlobeObjectSource::ClearObjects()
{
    SetCount(0);
    m_presenters->Clear();
}

// --- Entries ------------------------------------------------------------------

void TGlobeObjectSource::CheckIndex(int index, const char* operation) const
{
    if (index < 0 || index >= m_count)
        throw std::out_of_range(std::string(operation) + ": Invalid Index " + std::to_string(index));
}

TGlobeObject* TGlobeObjectSource::LoadedObject(int index) const
{
    return dynamic_cast<TGlobeObject*>(m_entries[index].get());
}

void TGlobeObjectSource::SetCount(int n)
{
    n = std::max(n, 0);
    for (int i = m_count - 1; i >= n; --i)
        Dispose(std::move(m_entries[i]));
    if (n >= Capacity())
        SetCapacity(n + 255);
    m_count = n;
}

void TGlobeObjectSource::SetCapacity(int n)
{
    n = std::max(n, 0);
    for (int i = Capacity() - 1; i >= n; --i)
        Dispose(std::move(m_entries[i]));
    m_entries.SetLength(n);
    m_count = std::min(m_count, n);
}

void TGlobeObjectSource::Dispose(std::unique_ptr<TGlobeObjectData> entry)
{
    auto* object = dynamic_cast<TGlobeObject*>(entry.get());
    if (!object)
        return;
    // Taken out already: its destruction must not call back.
    object->ObjectIndex = -1;
    if (object->Has(osDiscardable))
        m_cache.AddCacheMemory(-int64_t { object->MemorySize() });
    for (TGlobeLayer* layer : m_layers)
        if (TGlobeLayerStore* store = layer->Store())
            store->ForgetObject(*object);
}

void TGlobeObjectSource::Renumber(int from)
{
    for (int i = std::max(from, 0); i < m_count; ++i)
        if (m_entries[i])
            m_entries[i]->ObjectIndex = i;
}

TGlobeObjectData& TGlobeObjectSource::GetObjectData(int index)
{
    CheckIndex(index, "GetObjectData");
    auto& entry = m_entries[index];
    if (!entry) {
        entry = std::make_unique<TGlobeObjectData>();
        entry->State = { osNew };
        entry->ObjectIndex = index;
    }
    return *entry;
}

void TGlobeObjectSource::SetObjectData(int index, std::unique_ptr<TGlobeObjectData> record)
{
    CheckIndex(index, "SetObjectData");
    std::unique_ptr<TGlobeObjectData> previous = std::move(m_entries[index]);
    if (record)
        record->ObjectIndex = index;
    m_entries[index] = std::move(record);
    Dispose(std::move(previous));
}

TGlobeObject& TGlobeObjectSource::GetObject(int index)
{
    TGlobeObjectData& record = GetObjectData(index);
    auto* object = dynamic_cast<TGlobeObject*>(&record);
    if (!object) {
        LoadIntoEntry(index, record);
        object = LoadedObject(index);
    }
    object->AccessStamp = m_cache.NextStamp();
    return *object;
}

void TGlobeObjectSource::LoadIntoEntry(int index, TGlobeObjectData& record)
{
    const bool isNew = record.Has(osNew);
    std::unique_ptr<TGlobeObject> loaded;
    m_loading = true;
    try {
        loaded = LoadObject(index, isNew);
    } catch (...) {
        m_loading = false;
        throw;
    }
    m_loading = false;
    if (!loaded)
        throw EGlobeException("TGlobeReader returned nil object");
    if (!isNew) {
        // A summary record's or a discarded object's rectangle stays valid.
        loaded->State = record.State;
        loaded->SaveFlags = record.SaveFlags;
        loaded->SetMER(record.GetMER());
        loaded->SourceTag = record.SourceTag;
        loaded->Value = record.Value;
    }
    if (record.PresenterID() != 0)
        loaded->SetPresenterID(record.PresenterID());
    TGlobeObject* object = loaded.get();
    SetObjectData(index, std::move(loaded));
    object->Attached();
    m_globe.FireObjectCreate(*object);
    object->State.exclude(osDiscardable);
    if (!NoCache) {
        // Trimming the cache never takes the object being handed out.
        object->State.include(osDiscardable);
        m_cache.AddCacheMemory(object->MemorySize(), object);
    }
}

std::unique_ptr<TGlobeObject> TGlobeObjectSource::LoadObject(int, bool)
{
    return nullptr;
}

TMER TGlobeObjectSource::GetObjectMER(int index)
{
    return GetObjectData(index).GetMER();
}

int32_t TGlobeObjectSource::GetObjectPresenterID(int index)
{
    return GetObjectData(index).PresenterID();
}

TGlobeObjectStateSet TGlobeObjectSource::GetObjectState(int index)
{
    return GetObjectData(index).State;
}

int32_t TGlobeObjectSource::GetObjectSourceTag(int index)
{
    return GetObjectData(index).SourceTag;
}

double TGlobeObjectSource::GetObjectValue(int index)
{
    return GetObjectData(index).Value;
}

void TGlobeObjectSource::SetObjectMER(int index, const TMER& mer)
{
    GetObjectData(index).SetMER(mer);
}

void TGlobeObjectSource::SetObjectPresenterID(int index, int32_t id)
{
    TGlobeObjectData& record = GetObjectData(index);
    // An object calls back here from its own setter.
    if (record.PresenterID() != id)
        record.SetPresenterID(id);
}

void TGlobeObjectSource::SetObjectState(int index, TGlobeObjectStateSet state)
{
    GetObjectData(index).State = state;
}

void TGlobeObjectSource::SetObjectValue(int index, double value)
{
    GetObjectData(index).Value = value;
}

void TGlobeObjectSource::SetObjectSourceTag(int index, int32_t value)
{
    GetObjectData(index).SourceTag = value;
}

TGlobeLayer* TGlobeObjectSource::Layers(int index) const
{
    return index >= 0 && index < LayerCount() ? m_layers[static_cast<size_t>(index)] : nullptr;
}

TMER TGlobeObjectSource::GetSourceMER()
{
    if (m_count == 0)
        return { 0, 0, 1, 1 };
    int64_t minLeft = INT64_MAX, minBottom = INT64_MAX, maxRight = INT64_MIN, maxTop = INT64_MIN;
    for (int i = 0; i < m_count; ++i) {
        const TMER mer = GetObjectMER(i);
        if (mer.Left < minLeft)
            minLeft = int64_t { mer.Left } - 1;
        if (mer.Bottom < minBottom)
            minBottom = int64_t { mer.Bottom } - 1;
        maxRight = std::max(maxRight, int64_t { mer.Left } + mer.Width);
        maxTop = std::max(maxTop, int64_t { mer.Bottom } + mer.Height);
    }
    minLeft = std::max<int64_t>(minLeft, -GU_180_DEGREE);
    maxRight = std::min<int64_t>(maxRight, GU_180_DEGREE);
    return { static_cast<int32_t>(minLeft), static_cast<int32_t>(minBottom),
        static_cast<int32_t>(maxRight - minLeft), static_cast<int32_t>(maxTop - minBottom) };
}

// --- Objects joining and leaving ---------------------------------------------

void TGlobeObjectSource::AddObject(TGlobeObject& object)
{
    if (m_loading)
        return;
    SetCount(m_count + 1);
    const int index = m_count - 1;
    m_entries[index].reset(&object);
    object.AccessStamp = m_cache.NextStamp();
    object.ObjectIndex = index;
    object.Attached();
    object.State.exclude(osValidMER);
    NotifyLayers(onObjectAdded, &object);
    m_modified = true;
}

void TGlobeObjectSource::RemoveObject(TGlobeObject& object)
{
    const int index = object.ObjectIndex;
    if (index < 0 || index >= m_count || m_entries[index].get() != &object)
        return;
    NotifyLayers(onObjectRemoved, &object);
    if (object.Has(osDiscardable))
        m_cache.AddCacheMemory(-int64_t { object.MemorySize() });
    object.State = { osDeleted };
    (void)m_entries[index].release();
    m_entries.Delete(index);
    m_entries.SetLength(Capacity() + 1);
    --m_count;
    Renumber(index);
    object.ObjectIndex = -1;
    m_modified = true;
}

void TGlobeObjectSource::MoveObject(int from, int to)
{
    if (from < 0 || to < 0 || from >= m_count || to >= m_count)
        return;
    m_entries.Move(from, to);
    Renumber(0);
    NotifyLayers(onObjectChanged, nullptr);
    m_modified = true;
}

void TGlobeObjectSource::DiscardObjects()
{
    for (int i = 0; i < m_count; ++i) {
        TGlobeObject* object = LoadedObject(i);
        if (!object || !object->Has(osDiscardable))
            continue;
        if (object->Selected())
            object->SetSelected(false);
        ReleaseObject(i);
    }
}

void TGlobeObjectSource::ReleaseObject(int index)
{
    const TGlobeObject* object = LoadedObject(index);
    if (!object)
        return;
    auto record = std::make_unique<TGlobeObjectData>();
    record->Assign(*object);
    SetObjectData(index, std::move(record));
}

int64_t TGlobeObjectSource::CacheMemorySize() const
{
    int64_t total = 0;
    for (int i = 0; i < m_count; ++i)
        if (const TGlobeObject* object = LoadedObject(i); object && object->Has(osDiscardable))
            total += object->MemorySize();
    return total;
}

void TGlobeObjectSource::CollectDiscardable(std::vector<TGlobeObject*>& list) const
{
    for (int i = 0; i < m_count; ++i)
        if (TGlobeObject* object = LoadedObject(i); object && object->Has(osDiscardable))
            list.push_back(object);
}

// --- Layers -------------------------------------------------------------------

void TGlobeObjectSource::NotifyLayers(int kind, TGlobeObject* object)
{
    // An object being read is not in the list yet; nobody needs to hear of it.
    if (m_loading || m_destroying)
        return;
    for (TGlobeLayer* layer : std::vector<TGlobeLayer*>(m_layers))
        layer->Notify(kind, object);
}

void TGlobeObjectSource::AttachLayer(TGlobeLayer& layer)
{
    if (std::find(m_layers.begin(), m_layers.end(), &layer) == m_layers.end())
        m_layers.push_back(&layer);
}

void TGlobeObjectSource::DetachLayer(TGlobeLayer& layer)
{
    std::erase(m_layers, &layer);
    if (m_layers.empty() && !m_destroying)
        delete this;
}

// --- Summary record -------------------------------------------------------------

void TGlobeObjectSource::ReadSourceData(TGlobeStreamReader& reader)
{
    SetGlobeFileVersion(GLOBE_FILE_VERSION);
    TBoundedReader& bytes = reader.Reader();
    const int32_t presenters = reader.ReadInteger();
    bytes.RequireElements(presenters, 1, "the presenter count");
    for (int32_t i = 0; i < presenters; ++i) {
        auto presenter = CreateGlobeClass<TGlobePresenter, TDrawingGlobe*, int32_t>(
            reader.ReadShortString(), &m_globe, 0);
        presenter->ReadFromStream(reader);
        m_presenters->Add(presenter);
    }
    const int32_t objects = reader.ReadInteger();
    bytes.RequireElements(objects, OBJECT_SUMMARY_SIZE, "the object count");
    SetCount(0);
    SetCount(objects);
    for (int32_t i = 0; i < objects; ++i) {
        auto record = std::make_unique<TGlobeObjectData>();
        record->SetMER(reader.ReadMER());
        record->State = { osValidMER };
        record->SetPresenterID(reader.ReadInteger());
        if (reader.ReadBoolean())
            record->State.include(osClosed);
        SetObjectData(i, std::move(record));
    }
}

void TGlobeObjectSource::WriteSourceData(TGlobeStreamWriter& writer)
{
    SetGlobeFileVersion(GLOBE_FILE_VERSION);
    writer.WriteInteger(m_presenters->Count());
    for (int i = 0; i < m_presenters->Count(); ++i) {
        const TGlobePresenter& presenter = m_presenters->Presenters(i);
        writer.WriteShortString(presenter.ClassName());
        presenter.WriteToStream(writer);
    }
    writer.WriteInteger(m_count);
    for (int i = 0; i < m_count; ++i) {
        writer.WriteMER(GetObjectMER(i));
        writer.WriteInteger(GetObjectPresenterID(i));
        writer.WriteBoolean(GetObjectState(i).contains(osClosed));
    }
}

std::string TGlobeObjectSource::MetaDataFileName(const std::string& dataFileName) const
{
    const std::string name = std::string(TrimSpaces(dataFileName));
    if (name.empty())
        return {};
    const std::string metaName = name + ".md";
    switch (m_globe.SaveMetaDataLocation()) {
    case TSaveMetaDataLocation::smdInDataDirectory: {
        // Without a data folder the file is a cache of the user's: never
        // beside the data file, whose folder may be read-only or shared.
        const std::string folder = std::string(TrimSpaces(m_globe.DataDirectory()));
        return folder.empty() ? InCacheFolder(name) : InFolder(folder, FilePart(metaName));
    }
    case TSaveMetaDataLocation::smdWithDataFile:
        return metaName;
    case TSaveMetaDataLocation::smdWithExeFile:
        return InFolder(toCp1252(QCoreApplication::applicationDirPath()), FilePart(metaName));
    case TSaveMetaDataLocation::smdDiscard:
        break;
    }
    return {};
}

// --- Environment ----------------------------------------------------------------

void TGlobeObjectSource::LoadEnvironment(const TGXML_Element*) { }

std::unique_ptr<TGXML_Element> TGlobeObjectSource::SaveEnvironment() const
{
    auto e = std::make_unique<TGXML_Element>();
    e->AddAttribute("Class", ClassName());
    return e;
}

// --- TGlobeFileReader -------------------------------------------------------------

void TGlobeFileReader::SetFileName(const std::string& name)
{
    m_fileName = LayeredGlobe().FindDataFile(name);
}

bool TGlobeFileReader::ReadHeader(TBoundedReader&)
{
    return true;
}

bool TGlobeFileReader::IndexNextObject(TBoundedReader&, int)
{
    return false;
}

bool TGlobeFileReader::MapFile(TBoundedReader& stream)
{
    TLayeredGlobe& globe = LayeredGlobe();
    globe.Progress(TProgressMessage::pmStart, "Mapping");
    const size_t size = stream.Size();
    stream.Seek(0);
    SetCount(0);
    bool ok = false;
    try {
        ok = ReadHeader(stream);
        while (ok && IndexNextObject(stream, Count())) {
            SetCount(Count() + 1);
            GetObject(Count() - 1);
            if (Count() % 256 == 0)
                globe.Progress(TProgressMessage::pmPercent,
                    std::to_string(size == 0 ? 100 : stream.Position() * 100 / size));
        }
    } catch (...) {
        globe.Progress(TProgressMessage::pmEnd, "Finished");
        throw;
    }
    globe.Progress(TProgressMessage::pmEnd, "Finished");
    return ok;
}

void TGlobeFileReader::LoadEnvironment(const TGXML_Element* element)
{
    TGlobeObjectSource::LoadEnvironment(element);
    if (element)
        SetFileName(element->StringAttr("Filename"));
}

std::unique_ptr<TGXML_Element> TGlobeFileReader::SaveEnvironment() const
{
    auto e = TGlobeObjectSource::SaveEnvironment();
    std::string name = m_fileName;
    const std::string folder = std::string(TrimSpaces(LayeredGlobe().DataDirectory()));
    if (!folder.empty()) {
        const QString relative = QDir(fromCp1252(folder)).relativeFilePath(fromCp1252(name));
        if (!relative.startsWith(".."))
            name = toCp1252(relative);
    }
    e->AddAttribute("Filename", name);
    return e;
}
