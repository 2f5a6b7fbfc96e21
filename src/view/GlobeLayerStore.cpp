#include "view/GlobeLayerStore.h"

#include "geo/GXml.h"
#include "geo/GeoMath.h"
#include "geo/GlobeClassRegistry.h"
#include "geo/GlobeObject.h"
#include "geo/GlobeUnits.h"
#include "platform/GlobeException.h"
#include "view/GlobeLayer.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobePresenterStore.h"
#include "view/LayeredGlobe.h"

#include <algorithm>

TGlobeLayerStore::TGlobeLayerStore(TLayeredGlobe& globe)
    : m_globe(globe)
    , m_globalPresenters(std::make_unique<TGlobePresenterStore>(&globe))
{
    RegisterLayers();
    m_globalPresenters->Add(std::make_unique<TPointPresenter>(&globe, -1));
    m_globalPresenters->Add(std::make_unique<TPolyPresenter>(&globe, -2));
}

TGlobeLayerStore::~TGlobeLayerStore()
{
    Clear();
}

TGlobeLayer& TGlobeLayerStore::Layers(int index) const
{
    if (index < 0 || index >= Count())
        throw EGlobeException("TGlobe4.GetLayer: Bad layer index " + std::to_string(index));
    return *m_layers[static_cast<size_t>(index)];
}

void TGlobeLayerStore::SetCount(int n)
{
    while (Count() > std::max(n, 0))
        DeleteLayer(*m_layers.back());
}

void TGlobeLayerStore::Clear()
{
    SetCount(0);
}

TMER TGlobeLayerStore::GetMER()
{
    TMER mer { 0, 0, 0, 0 };
    for (int i = 0; i < Count(); ++i)
        mer = MERUnion(mer, Layers(i).GetLayerMER());
    return mer;
}

int TGlobeLayerStore::SelectedCount()
{
    int count = 0;
    for (int i = 0; i < Count(); ++i)
        count += Layers(i).SelectedCount();
    return count;
}

TGlobeObject* TGlobeLayerStore::SelectedObject(int n)
{
    for (int i = 0; i < Count(); ++i) {
        TGlobeObjectSource* source = Layers(i).AttachedSource();
        for (int k = 0; source && k < source->Count(); ++k) {
            if (!source->GetObjectState(k).contains(TGlobeObjectState::osSelected))
                continue;
            if (n-- == 0)
                return &source->GetObject(k);
        }
    }
    return nullptr;
}

void TGlobeLayerStore::SelectObject(TGlobeObject* object)
{
    if (object == m_selected)
        return;
    m_selected = object;
    for (int i = 0; i < Count(); ++i) {
        TGlobeObjectSource* source = Layers(i).AttachedSource();
        for (int k = 0; source && k < source->Count(); ++k)
            if (source->GetObjectState(k).contains(TGlobeObjectState::osSelected))
                source->GetObject(k).SetSelected(false);
    }
    if (object)
        object->SetSelected(true);
}

void TGlobeLayerStore::ForgetObject(const TGlobeObject& object)
{
    if (m_selected == &object)
        m_selected = nullptr;
}

TGlobeLayer& TGlobeLayerStore::AddLayer(std::unique_ptr<TGlobeLayer> layer)
{
    TGlobeLayer& added = *layer;
    added.SetStore(this);
    m_layers.push_back(std::move(layer));
    m_globe.Notify(TGlobeNotification::gnLayerCreated, &added);
    m_globe.Redraw();
    return added;
}

TGlobeLayer& TGlobeLayerStore::CreateLayer(const std::string& className)
{
    return AddLayer(CreateGlobeClass<TGlobeLayer, TLayeredGlobe&>(className, m_globe));
}

std::unique_ptr<TGlobeLayer> TGlobeLayerStore::RemoveLayer(TGlobeLayer& layer)
{
    const int index = IndexOf(&layer);
    if (index < 0)
        return nullptr;
    std::unique_ptr<TGlobeLayer> taken = std::move(m_layers[static_cast<size_t>(index)]);
    m_layers.erase(m_layers.begin() + index);
    taken->SetStore(nullptr);
    m_globe.Redraw();
    return taken;
}

void TGlobeLayerStore::DeleteLayer(TGlobeLayer& layer)
{
    if (!m_globe.ObjectCache().Destroying())
        m_globe.Notify(TGlobeNotification::gnLayerFreed, &layer);
    RemoveLayer(layer).reset();
}

void TGlobeLayerStore::MoveLayer(int from, int to)
{
    if (from == to || from < 0 || to < 0 || from >= Count() || to >= Count())
        return;
    auto layer = std::move(m_layers[static_cast<size_t>(from)]);
    m_layers.erase(m_layers.begin() + from);
    m_layers.insert(m_layers.begin() + to, std::move(layer));
    m_globe.Redraw();
}

int TGlobeLayerStore::IndexOf(const TGlobeLayer* layer) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_layers[static_cast<size_t>(i)].get() == layer)
            return i;
    return -1;
}

int TGlobeLayerStore::IndexOfName(const std::string& name) const
{
    for (int i = 0; i < Count(); ++i)
        if (SameText(Layers(i).Name(), name))
            return i;
    return -1;
}

TGlobeLayer* TGlobeLayerStore::LayerByName(const std::string& name) const
{
    const int index = IndexOfName(name);
    return index >= 0 ? &Layers(index) : nullptr;
}

TGlobeObject* TGlobeLayerStore::ObjectAtLocation(const TGeoPoint& point)
{
    for (int i = Count() - 1; i >= 0; --i)
        if (TGlobeObject* object = Layers(i).ObjectAtLocation(point))
            return object;
    return nullptr;
}

TGlobeObject* TGlobeLayerStore::ObjectAtXY(int32_t x, int32_t y)
{
    for (int i = Count() - 1; i >= 0; --i) {
        TGlobeLayer& layer = Layers(i);
        if (!layer.Enabled() || !layer.Visible())
            continue;
        if (TGlobeObject* object = layer.ObjectAtXY(x, y))
            return object;
    }
    return nullptr;
}

TGlobeObject* TGlobeLayerStore::FindObjectByTitle(const std::string& title, const TGlobeObject* after)
{
    for (int i = 0; i < Count(); ++i)
        if (TGlobeObject* object = Layers(i).FindObjectByTitle(title, after))
            return object;
    return nullptr;
}

TGlobeObject* TGlobeLayerStore::FindObjectByID(int32_t id)
{
    for (int i = 0; i < Count(); ++i)
        if (TGlobeObject* object = Layers(i).FindObjectByID(id))
            return object;
    return nullptr;
}

void TGlobeLayerStore::RenderLayers(bool animated)
{
    const TGlobeObjectCache::TFrame frame(m_globe.ObjectCache(), animated);
    for (int i = 0; i < Count(); ++i)
        if (Layers(i).Animated() == animated)
            Layers(i).Render();
}

// --- Copy and environment -----------------------------------------------------------

void TGlobeLayerStore::Assign(const TGlobeRoot& source)
{
    if (const auto* store = dynamic_cast<const TGlobeLayerStore*>(&source)) {
        if (store == this)
            return;
        Clear();
        for (int i = 0; i < store->Count(); ++i)
            CreateLayer(store->Layers(i).ClassName()).Assign(store->Layers(i));
        m_globalPresenters->Assign(*store->m_globalPresenters);
        return;
    }
    if (const auto* layer = dynamic_cast<const TGlobeLayer*>(&source)) {
        CreateLayer(layer->ClassName()).Assign(*layer);
        return;
    }
    TGlobeENVPersistent::Assign(source);
}

std::unique_ptr<TGXML_Element> TGlobeLayerStore::SaveEnvironment() const
{
    auto e = std::make_unique<TGXML_Element>();
    e->AddElement("GlobalPresenters", m_globalPresenters->SaveEnvironment());
    for (const auto& layer : m_layers)
        e->AddElement("Layer", layer->SaveEnvironment());
    return e;
}

void TGlobeLayerStore::LoadEnvironment(const TGXML_Element* element)
{
    Clear();
    if (!element)
        return;
    m_globalPresenters->Clear();
    m_globalPresenters->LoadEnvironment(element->ChildElement("GlobalPresenters"));
    for (int k = 0; const TGXML_Element* layerElement = element->ChildElement("Layer", k); ++k)
        if (!LoadLayer(*layerElement))
            break;
}

bool TGlobeLayerStore::LoadLayer(const TGXML_Element& layerElement)
{
    TGlobeLayer& layer = CreateLayer(layerElement.StringAttr("Class"));
    try {
        layer.LoadEnvironment(&layerElement);
        layer.ObjectSource().SetActive(true);
    } catch (...) {
        // A layer whose data cannot be opened goes, and loading stops there.
        DeleteLayer(layer);
        throw;
    }
    if (layer.ObjectSource().Active())
        return true;
    DeleteLayer(layer);
    return false;
}
