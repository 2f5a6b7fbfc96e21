// TGlobeLayerStore: the ordered layers of one globe (index 0 is the bottom
// layer: drawn first, hit-tested last). It owns the layers and the global
// presenters every layer falls back to, keeps the single selected object, and
// saves and loads all layers in the environment document.
#pragma once

#include "geo/GlobeRoot.h"
#include "geo/GlobeTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TGlobeLayer;
class TGlobeObject;
class TGlobePresenterStore;
class TLayeredGlobe;

class TGlobeLayerStore : public TGlobeENVPersistent {
public:
    // With the global point presenter -1 and poly presenter -2.
    explicit TGlobeLayerStore(TLayeredGlobe& globe);
    // Frees every layer first.
    ~TGlobeLayerStore() override;
    TGlobeLayerStore(const TGlobeLayerStore&) = delete;
    TGlobeLayerStore& operator=(const TGlobeLayerStore&) = delete;
    std::string ClassName() const override { return "TGlobeLayerStore"; }

    // An index outside 0 .. Count-1 raises "TGlobe4.GetLayer: Bad layer index <i>".
    TGlobeLayer& Layers(int index) const;
    int Count() const { return static_cast<int>(m_layers.size()); }
    // Frees layers from the end down to n.
    virtual void SetCount(int n);
    TGlobePresenterStore& GlobalPresenters() const { return *m_globalPresenters; }
    TGlobeObject* SelectedObject() const { return m_selected; }

    // The union of the layers' rectangles.
    virtual TMER GetMER();
    virtual int SelectedCount();
    // The n-th selected object, layers in store order, objects in index order.
    virtual TGlobeObject* SelectedObject(int n);
    // Makes the object the only selected one; null deselects everything.
    virtual void SelectObject(TGlobeObject* object);
    // Takes the layer, appends it, tells the globe and redraws.
    virtual TGlobeLayer& AddLayer(std::unique_ptr<TGlobeLayer> layer);
    // A new layer of the registered class, added to this store.
    TGlobeLayer& CreateLayer(const std::string& className);
    // Hands the layer back to the caller (null when it is not here); redraws.
    virtual std::unique_ptr<TGlobeLayer> RemoveLayer(TGlobeLayer& layer);
    virtual void DeleteLayer(TGlobeLayer& layer);
    virtual void MoveLayer(int from, int to);
    virtual void Clear();
    int IndexOf(const TGlobeLayer* layer) const;
    // Case-insensitive; -1 when none.
    int IndexOfName(const std::string& name) const;
    TGlobeLayer* LayerByName(const std::string& name) const;
    // From the top layer down; the first object hit.
    virtual TGlobeObject* ObjectAtLocation(const TGeoPoint& point);
    // Likewise, only enabled and visible layers.
    virtual TGlobeObject* ObjectAtXY(int32_t x, int32_t y);
    virtual TGlobeObject* FindObjectByTitle(const std::string& title, const TGlobeObject* after);
    virtual TGlobeObject* FindObjectByID(int32_t id);
    // Draws every layer (bottom up) whose Animated equals animated.
    virtual void RenderLayers(bool animated);
    // The object is going away: drop it as the selected object.
    void ForgetObject(const TGlobeObject& object);

    void Assign(const TGlobeRoot& source) override;
    void LoadEnvironment(const TGXML_Element* element) override;
    std::unique_ptr<TGXML_Element> SaveEnvironment() const override;

private:
    // Loads the k-th "Layer" child; false when loading stops there.
    bool LoadLayer(const TGXML_Element& layerElement);

    TLayeredGlobe& m_globe;
    std::vector<std::unique_ptr<TGlobeLayer>> m_layers;
    TGlobeObject* m_selected = nullptr;
    std::unique_ptr<TGlobePresenterStore> m_globalPresenters;
};
