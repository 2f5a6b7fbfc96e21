// Object sources: the containers that hold the objects of one data set and
// hand them to the layers that show it.
//
// A TGlobeObjectSource keeps, per object index, either a light
// TGlobeObjectData record (rectangle, presenter, state) or the loaded
// TGlobeObject. Readers (TGlobeFileReader and its descendants) create objects
// only when someone asks for them; loaded objects count against the globe's
// object cache, which may turn them back into records.
//
// Ownership: a source is made with new and belongs to the layers that show it:
// when the last one detaches, the source deletes itself. Sources no layer
// ever took are freed with the globe. Objects created with a source belong to
// the source.
#pragma once

#include "geo/DynArray.h"
#include "geo/GlobeObject.h"
#include "view/GlobePresenterStore.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TBoundedReader;
class TGlobeLayer;
class TGlobeObjectCache;
class TGlobeStreamReader;
class TGlobeStreamWriter;
class TLayeredGlobe;

// Registers TGlobeObjectSource by name (idempotent); readers register
// themselves in their own families' functions. Sources are created with the
// globe: TLayeredGlobe&.
void RegisterObjectSources();

class TGlobeObjectSource : public TCustomObjectSource {
public:
    explicit TGlobeObjectSource(TLayeredGlobe& globe);
    // Frees the objects and lets go of the layers that still show it.
    // Descendants that hold data close themselves in their own destructor.
    ~TGlobeObjectSource() override;
    TGlobeObjectSource(const TGlobeObjectSource&) = delete;
    TGlobeObjectSource& operator=(const TGlobeObjectSource&) = delete;
    std::string ClassName() const override { return "TGlobeObjectSource"; }

    TCustomGlobe4& Globe() const override;
    TLayeredGlobe& LayeredGlobe() const { return m_globe; }

    bool Active() const { return m_active; }
    // True opens (Active := Open()), false closes (Active := not Close());
    // the globe hears of the change.
    virtual void SetActive(bool active);
    // Loaded objects are neither counted in the cache nor discarded; the
    // layer-file reader also skips its metadata file.
    bool NoCache = false;
    // Set while the source itself creates an object (AddObject ignores it).
    bool Loading() const { return m_loading; }
    int Count() const { return m_count; }
    // Entries beyond n are freed; the capacity grows in steps of 256.
    virtual void SetCount(int n);
    int Capacity() const { return m_entries.Count(); }
    std::string Name;
    TGlobePresenterStore& Presenters() const { return *m_presenters; }
    // Objects were added, removed or moved since the source was opened.
    bool Modified() const { return m_modified; }

    virtual TMER GetObjectMER(int index);
    virtual int32_t GetObjectPresenterID(int index);
    TGlobeObjectStateSet GetObjectState(int index) override;
    // The loaded object, read through LoadObject when needed and stamped as
    // just used. A reader without the object raises "TGlobeReader returned
    // nil object".
    virtual TGlobeObject& GetObject(int index);
    // Entry index as it is; an empty slot gets a record with State {osNew}.
    // An index outside 0 .. Count-1 is a programming error
    // (std::out_of_range "GetObjectData: Invalid Index <i>").
    virtual TGlobeObjectData& GetObjectData(int index);
    virtual int32_t GetObjectSourceTag(int index);
    virtual double GetObjectValue(int index);
    // The i-th layer showing the source, or null outside the range.
    TGlobeLayer* Layers(int index) const;
    int LayerCount() const { return static_cast<int>(m_layers.size()); }
    // The union of the objects' rectangles ((0, 0, 1, 1) without objects).
    virtual TMER GetSourceMER();
    virtual void SetObjectMER(int index, const TMER& mer);
    void SetObjectPresenterID(int index, int32_t id) override;
    virtual void SetCapacity(int n);
    void SetObjectState(int index, TGlobeObjectStateSet state) override;
    virtual void SetObjectValue(int index, double value);
    virtual void SetObjectSourceTag(int index, int32_t value);
    // Replaces entry index and frees what it held.
    virtual void SetObjectData(int index, std::unique_ptr<TGlobeObjectData> record);
    // Creates object index from the data; readers implement it.
    virtual std::unique_ptr<TGlobeObject> LoadObject(int index, bool isNew);
    // Tell the layers; readers open or release their data first.
    virtual bool Open();
    virtual bool Close();
    void NotifyLayers(int kind, TGlobeObject* object) override;
    // Appends the layer unless it is already attached.
    virtual void AttachLayer(TGlobeLayer& layer);
    // Removes the layer; when none is left the source deletes itself.
    virtual void DetachLayer(TGlobeLayer& layer);
    virtual void SaveMetaData() { }
    virtual void LoadMetaData() { }
    // The summary record: presenters, then per object its rectangle,
    // presenter and closed flag (format version 1029).
    virtual void ReadSourceData(TGlobeStreamReader& reader);
    virtual void WriteSourceData(TGlobeStreamWriter& writer);
    // Where the metadata file of a data file lives by the globe's
    // SaveMetaDataLocation; empty for none.
    virtual std::string MetaDataFileName(const std::string& dataFileName) const;
    virtual void Activate();
    virtual void Deactivate();
    void AddObject(TGlobeObject& object) override;
    void RemoveObject(TGlobeObject& object) override;
    // Tells the globe (OnObjectFree), except while the globe itself goes.
    void ObjectFreed(TGlobeObject& object) override;
    virtual void MoveObject(int from, int to);
    // Every discardable object back to a record (deselected first).
    virtual void DiscardObjects();

    // Bytes of the loaded objects the cache counts.
    int64_t CacheMemorySize() const;
    // Appends every loaded object that may be discarded.
    void CollectDiscardable(std::vector<TGlobeObject*>& list) const;
    // The cache's release: a record copied from the object takes its place.
    void ReleaseObject(int index);

    void LoadEnvironment(const TGXML_Element* element) override;
    std::unique_ptr<TGXML_Element> SaveEnvironment() const override;

protected:
    // Count := 0 and the presenters from the data dropped.
    void ClearObjects();

private:
    void CheckIndex(int index, const char* operation) const;
    TGlobeObject* LoadedObject(int index) const;
    void LoadIntoEntry(int index, TGlobeObjectData& record);
    // Frees a record or object taken out of the entries.
    void Dispose(std::unique_ptr<TGlobeObjectData> entry);
    void Renumber(int from);

    TLayeredGlobe& m_globe;
    TGlobeObjectCache& m_cache;
    bool m_active = false;
    bool m_loading = false;
    bool m_modified = false;
    bool m_destroying = false;
    int m_count = 0;
    TDynArray<std::unique_ptr<TGlobeObjectData>> m_entries;
    std::vector<TGlobeLayer*> m_layers;
    std::unique_ptr<TGlobePresenterStore> m_presenters;
};

// A source that reads its objects from a file.
class TGlobeFileReader : public TGlobeObjectSource {
public:
    using TGlobeObjectSource::TGlobeObjectSource;
    std::string ClassName() const override { return "TGlobeFileReader"; }

    const std::string& FileName() const { return m_fileName; }
    // Resolves the name through the globe's data files (empty when none).
    virtual void SetFileName(const std::string& name);
    // Reads what comes before the objects; true in the base.
    virtual bool ReadHeader(TBoundedReader& stream);
    // Reads the header and every object once (which indexes them), with
    // progress messages to the globe.
    virtual bool MapFile(TBoundedReader& stream);
    // Notes where object index lies; false when there is none.
    virtual bool IndexNextObject(TBoundedReader& stream, int index);

    // Adds "Filename", relative to the globe's DataDirectory.
    void LoadEnvironment(const TGXML_Element* element) override;
    std::unique_ptr<TGXML_Element> SaveEnvironment() const override;

private:
    std::string m_fileName;
};
