#include "app/Vars.h"

#include "geo/BitmapObject.h"
#include "geo/GeoDataObject.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobePresenterStore.h"

TVars Vars;

void TVars::ClearClickModes()
{
    ChartMoveMode = false;
    ChartStretchMode = false;
    ObjectCentroidMode = false;
    PointPlotMode = false;
    WaypointCreateMode = false;
    RouteEditMode = false;
}

namespace {

template <typename T> void Forget(T*& reference, const void* freed)
{
    if (static_cast<const void*>(reference) == freed)
        reference = nullptr;
}

bool HoldsPresenter(const TGlobePresenterStore& store, const TGlobePresenter* presenter)
{
    for (int i = 0; i < store.Count(); ++i)
        if (&store.Presenters(i) == presenter)
            return true;
    return false;
}

} // namespace

void TVars::ForgetObject(const TGlobeObject& object)
{
    // Compared by address only: the object's own parts may be gone already.
    const void* freed = &object;
    if (EditedObject == freed) {
        EditedLayer = nullptr;
        EditedPresenter = nullptr;
    }
    Forget(EditedObject, freed);
    Forget(EditedChart, freed);
    Forget(HoverObject, freed);
    Forget(MovingMarker, freed);
    Forget(TrackObject, freed);
    Forget(RouteObject, freed);
    Forget(LapisObject, freed);
    if (PlotTarget.Object == freed)
        PlotTarget = {};
    if (OnForgetObject)
        OnForgetObject(&object);
}

void TVars::ForgetLayer(const TGlobeLayer& layer)
{
    Forget(EditedLayer, &layer);
    // The layer's presenters go with it, and its source's when no other
    // layer shows that source.
    const TGlobeObjectSource* source = layer.AttachedSource();
    if (EditedPresenter
        && (HoldsPresenter(layer.Presenters(), EditedPresenter)
            || (source && source->LayerCount() <= 1 && HoldsPresenter(source->Presenters(), EditedPresenter))))
        EditedPresenter = nullptr;
}

void TVars::ForgetAll()
{
    EditedObject = nullptr;
    EditedLayer = nullptr;
    EditedPresenter = nullptr;
    EditedChart = nullptr;
    HoverObject = nullptr;
    MovingMarker = nullptr;
    TrackObject = nullptr;
    RouteObject = nullptr;
    LapisObject = nullptr;
    PlotTarget = {};
    if (OnForgetObject)
        OnForgetObject(nullptr);
}

void WatchFreedObjects(TGlobe4& globe)
{
    globe.OnObjectFree = [](TGlobe4* sender, TGlobeObject* object) {
        Vars.ForgetObject(*object);
        // A layer leaving its store frees its objects after the store can
        // tell: the selection is let go here too.
        if (TGlobeLayerStore* store = sender->LayerStore())
            store->ForgetObject(*object);
    };
    globe.OnLayerFree = [](TGlobe4*, TGlobeLayer* layer) { Vars.ForgetLayer(*layer); };
}
