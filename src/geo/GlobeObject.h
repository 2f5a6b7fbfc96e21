// Globe objects: the light record TGlobeObjectData that a source keeps for an
// object it has not loaded, and TGlobeObject, the loaded object with its
// title, identifiers, zoom range and cached centroid. TGeoDataObject (chains)
// and TBitmapObject (a georeferenced bitmap) derive from TGlobeObject.
#pragma once

#include "geo/GlobeRoot.h"
#include "geo/GlobeTypes.h"

#include <cstdint>
#include <string>

class TCustomGlobe4;
class TGlobeObject;
class TGlobeStreamReader;
class TGlobeStreamWriter;

// Notification kinds a source sends its layers about one of its objects.
enum TObjectNotification : int {
    onObjectAdded = 2,
    onObjectRemoved = 3,
    onObjectChanged = 4,
    onObjectSelectionChanged = 5,
};

// What an object needs of the source that holds it. The object source of the
// library implements it; an object created in a source belongs to the source
// (AddObject takes it over, RemoveObject gives it back).
class TCustomObjectSource : public TGlobeENVPersistent {
public:
    virtual TCustomGlobe4& Globe() const = 0;
    virtual void AddObject(TGlobeObject& object) = 0;
    virtual void RemoveObject(TGlobeObject& object) = 0;
    virtual void NotifyLayers(int kind, TGlobeObject* object) = 0;
    virtual void SetObjectPresenterID(int index, int32_t id) = 0;
    virtual TGlobeObjectStateSet GetObjectState(int index) = 0;
    virtual void SetObjectState(int index, TGlobeObjectStateSet state) = 0;
    // The object is being destroyed (its own destructor runs; only its
    // address may be used): whoever keeps a reference to it lets go.
    virtual void ObjectFreed(TGlobeObject&) { }
};

class TGlobeObjectData : public TGlobeRoot {
public:
    TGlobeObjectData() = default;
    std::string ClassName() const override { return "TGlobeObjectData"; }

    int32_t ObjectIndex = -1;
    int32_t SourceTag = 0;
    double Value = 0;
    TGlobeObjectStateSet State;
    uint16_t SaveFlags = 0;

    int32_t PresenterID() const { return m_presenterID; }
    virtual void SetPresenterID(int32_t id) { m_presenterID = id; }
    virtual TMER GetMER() { return m_mer; }
    // Stores a rectangle as the cached one (a summary record's, for example).
    void SetMER(const TMER& mer) { m_mer = mer; }
    virtual int32_t MemorySize() const { return static_cast<int32_t>(sizeof(TGlobeObjectData)); }
    // From another data record or object: state, flags, tag, index, its
    // rectangle, presenter and value.
    void Assign(const TGlobeRoot& source) override;

    bool Has(TGlobeObjectState s) const { return State.contains(s); }

protected:
    TMER m_mer;
    int32_t m_presenterID = 0;
};

class TGlobeObject : public TGlobeObjectData {
public:
    // Height of a centroid that has not been computed yet.
    static constexpr int32_t CENTROID_UNKNOWN = -2147483647;

    // Joins the source (which then owns the object); without a source the
    // creator owns it.
    explicit TGlobeObject(TCustomObjectSource* source);
    // Leaves the source, then drops the selection.
    ~TGlobeObject() override;
    TGlobeObject(const TGlobeObject&) = delete;
    TGlobeObject& operator=(const TGlobeObject&) = delete;
    std::string ClassName() const override { return "TGlobeObject"; }

    TCustomObjectSource* ObjectSource() const { return m_source; }
    // Leaves the current source and joins the new one.
    void SetObjectSource(TCustomObjectSource* source);

    std::string Title;
    int32_t ID = 0;
    int32_t ZoomMin = 0;
    int32_t ZoomMax = 0;
    std::string GUID;
    int64_t AccessStamp = 0;

    void SetPresenterID(int32_t id) override;
    // The centroid as an empty rectangle.
    TMER GetMER() override;
    int32_t MemorySize() const override;
    virtual TGeoPoint GetCentroid();
    virtual void SetCentroid(const TGeoPoint& p);
    // A new object of the same class in the same source, assigned from this
    // one; owned by that source, or by the caller when there is none.
    virtual TGlobeObject* Clone() const;
    // Marks the object for redraw and tells the source's layers.
    virtual void Changed();
    // Draws without a presenter; nothing here.
    virtual void Render(TCustomGlobe4& globe, TGlobeObjectStateSet state);
    virtual void SelectionChanged();
    virtual void Attached() { }
    virtual bool HitTest(const TGeoPoint& point, int32_t tolerance);
    // 0 no hit; 1 the western part of a rectangle crossing 180 degrees, 2 the
    // eastern part, 3 an ordinary rectangle: the side argument of
    // PointInPolygon.
    virtual int MERHitTest(const TGeoPoint& point, int32_t tolerance);
    void Assign(const TGlobeRoot& source) override;
    // The object record: the flags word (SaveFlags), then title, ID, GUID and
    // zoom range when their flags say so, and the presenter. Saving only adds
    // bits to SaveFlags; classes with more to keep write their part after it.
    virtual void SaveToStream(TGlobeStreamWriter& writer);
    virtual void LoadFromStream(TGlobeStreamReader& reader);

    bool Closed() const { return Has(TGlobeObjectState::osClosed); }
    bool Hidden() const { return Has(TGlobeObjectState::osHidden); }
    bool Selected() const { return Has(TGlobeObjectState::osSelected); }
    void SetClosed(bool on);
    void SetHidden(bool on);
    void SetSelected(bool on);

protected:
    // For derived classes, which join the source at the end of their own
    // constructor, when the whole object exists.
    struct DeferJoin { };
    explicit TGlobeObject(DeferJoin) { }
    // The globe of the source, or null.
    TCustomGlobe4* Globe() const;
    // The stored centroid as it is (not computed).
    TGeoPoint& StoredCentroid() { return m_centroid; }
    // A fresh object of this object's class in the source.
    virtual TGlobeObject* NewInstance(TCustomObjectSource* source) const;

private:
    void SetStateBit(TGlobeObjectState s, bool on);
    // The source's state entry for this object gets the bit as the object has it.
    void CopyStateBitToSource(TGlobeObjectState s);
    TCustomObjectSource* m_source = nullptr;
    TGeoPoint m_centroid { 0, 0, CENTROID_UNKNOWN };
};
