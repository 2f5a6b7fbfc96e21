// TLayeredGlobe: the globe control as its layers and object sources see it.
// Besides drawing (TDrawingGlobe) it answers for the layer store, the cache
// of loaded objects, the globe's events and the interruption of long redraws.
// The control implements the abstract services; tests use a small double.
#pragma once

#include "view/DrawingGlobe.h"
#include "view/GlobeObjectCache.h"

#include <cstdint>
#include <string>

class TGlobeLayerStore;
class TGlobeObject;

// Where a layer file's metadata file is kept.
enum class TSaveMetaDataLocation : uint8_t {
    smdInDataDirectory,
    smdWithDataFile,
    smdWithExeFile,
    smdDiscard
};

// What Notify tells the globe about.
enum class TGlobeNotification : uint8_t {
    gnLayerCreated = 0,
    gnLayerFreed = 1,
    gnSourceCreated = 2,
    gnSourceActiveChanged = 3,
    gnSourceFreed = 4,
    gnObjectFreed = 5,
    gnObjectSelectChanged = 6,
};

class TLayeredGlobe : public TDrawingGlobe {
public:
    // The globe's layers; null while there is no store.
    virtual TGlobeLayerStore* LayerStore() const = 0;
    // Fires the event of the kind (OnLayerCreate, OnLayerFree,
    // OnObjectSourceCreate, ...) and asks for a redraw. The layer store and
    // the source list keep themselves; this is only the news.
    virtual void Notify(TGlobeNotification kind, TGlobeRoot* item) = 0;
    // Repaints the window from the picture it has, without re-rendering.
    virtual void Invalidate() = 0;
    // A mouse drag asked the current redraw to stop.
    virtual bool Interrupted() const = 0;
    // Milliseconds between progressive copies of a long redraw; 0 never.
    virtual int32_t PeriodicUpdateTime() const = 0;
    // Copies the off-screen picture drawn so far to the window, when there is one.
    virtual void ShowPictureSoFar() = 0;
    // OnObjectRender; false when no handler is assigned.
    virtual bool FireObjectRender(TGlobeObject& object, TGlobeObjectStateSet state) = 0;
    // OnObjectCreate: an object was loaded from its source.
    virtual void FireObjectCreate(TGlobeObject& object) = 0;
    // OnProgress; answers the handler's Abort (false without a handler).
    virtual bool Progress(TProgressMessage kind, const std::string& text) = 0;
    virtual TSaveMetaDataLocation SaveMetaDataLocation() const = 0;

    // The budget of loaded objects and the list of the globe's sources. The
    // control's destructor calls ObjectCache().BeginDestruction() first.
    TGlobeObjectCache& ObjectCache() { return m_objectCache; }
    const TGlobeObjectCache& ObjectCache() const { return m_objectCache; }

private:
    TGlobeObjectCache m_objectCache;
};
