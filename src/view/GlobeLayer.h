// TGlobeLayer: shows one object source on the globe. It decides per object
// whether and how it is drawn (visibility at the current altitude, the
// projection's visibility test, presenters, titles), answers hit tests and
// searches over its objects, and carries its own presenter store.
#pragma once

#include "geo/GlobeRoot.h"
#include "geo/GlobeTypes.h"
#include "geo/GlobeUnits.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TGlobeLayerStore;
class TGlobeObject;
class TGlobeObjectSource;
class TGlobePresenter;
class TGlobePresenterStore;
class TLayeredGlobe;

// Property indices of the Boolean and integer setters.
enum TLayerBoolProperty : int {
    lpEnabled = 0,
    lpVisible = 1,
    lpAnimated = 2,
    lpShowTitles = 3,
    lpNoInterrupt = 4
};
enum TLayerIntProperty : int { lpZoomMin = 0, lpZoomMax = 1, lpLayerColorAdjustPercent = 2 };

// Registers TGlobeLayer (created with TLayeredGlobe&) and the object source
// base class by name (idempotent).
void RegisterLayers();

class TGlobeLayer : public TGlobeENVPersistent {
public:
    // A layer belongs to whoever holds it until a layer store takes it
    // (TGlobeLayerStore::AddLayer or CreateLayer).
    explicit TGlobeLayer(TLayeredGlobe& globe);
    // Tells the globe (unless it is going), detaches the source.
    ~TGlobeLayer() override;
    TGlobeLayer(const TGlobeLayer&) = delete;
    TGlobeLayer& operator=(const TGlobeLayer&) = delete;
    std::string ClassName() const override { return "TGlobeLayer"; }
    std::string Description() const override { return "TGlobeLayer"; }

    TLayeredGlobe& Globe() const { return m_globe; }
    TGlobeLayerStore* Store() const { return m_store; }
    // Set by the store that takes or gives up the layer.
    void SetStore(TGlobeLayerStore* store) { m_store = store; }

    // The values after creation; detaches the source; redraws.
    virtual void Reset();
    // Draws the visible objects onto the globe's canvas.
    virtual void Render();
    virtual void RenderTitle(TGlobeObject& object, TGlobePresenter& presenter);
    // Removes the layer from its store, which frees it.
    virtual void Delete();
    // News from the source: 0 show, 1 hide, 2 object added, 3 object
    // removed, 4 object changed or source opened/closed, 5 selection.
    virtual void Notify(int kind, TGlobeObject* object);
    // Visible, and the altitude lies above ZoomMin and at or below ZoomMax.
    virtual bool IsVisibleAtZoom() const;
    virtual TGlobeObject* ObjectAtLocation(const TGeoPoint& point);
    virtual TGlobeObject* ObjectAtXY(int32_t x, int32_t y);
    // Case-insensitive; with after, the search starts behind it (nothing
    // when after is not an object of this layer).
    virtual TGlobeObject* FindObjectByTitle(const std::string& title, const TGlobeObject* after);
    virtual TGlobeObject* FindObjectByID(int32_t id);
    virtual int SelectedCount();

    // The attached source; without one an empty TGlobeObjectSource is
    // created and attached.
    TGlobeObjectSource& ObjectSource();
    TGlobeObjectSource* AttachedSource() const { return m_source; }
    // Detaches the previous source (which frees itself when this was its
    // last layer), attaches the new one, redraws.
    void SetObjectSource(TGlobeObjectSource* source);
    // The source is going away on its own.
    void SourceGone(TGlobeObjectSource& source);

    // Position in the store (-1 outside one); setting moves the layer.
    int Index() const;
    void SetIndex(int index);
    // The trimmed stored name; else the source's Name; else the class name.
    std::string Name() const;
    void SetName(const std::string& name);
    // The source's rectangle, kept as the layer's.
    TMER GetLayerMER();
    // The layer's presenters, then the global ones, then the source's.
    TGlobePresenter* FindPresenter(int32_t id) const;
    // A working copy of the object's state for drawing: visibility, face,
    // clip bits and osTiny.
    TGlobeObjectStateSet ObjectRenderState(int index);
    TGlobePresenterStore& Presenters() const { return *m_presenters; }
    bool Modified() const { return m_modified; }
    void SetModified(bool on) { m_modified = on; }

    bool Enabled() const { return m_bools[lpEnabled]; }
    bool Visible() const { return m_bools[lpVisible]; }
    bool Animated() const { return m_bools[lpAnimated]; }
    bool ShowTitles() const { return m_bools[lpShowTitles]; }
    bool NoInterrupt() const { return m_bools[lpNoInterrupt]; }
    // No change when equal; else store, Modified, redraw.
    void SetBoolProperty(TLayerBoolProperty index, bool value);
    void SetEnabled(bool on) { SetBoolProperty(lpEnabled, on); }
    void SetVisible(bool on) { SetBoolProperty(lpVisible, on); }
    void SetAnimated(bool on) { SetBoolProperty(lpAnimated, on); }
    void SetShowTitles(bool on) { SetBoolProperty(lpShowTitles, on); }
    void SetNoInterrupt(bool on) { SetBoolProperty(lpNoInterrupt, on); }
    int32_t ZoomMin() const { return m_ints[lpZoomMin]; }
    int32_t ZoomMax() const { return m_ints[lpZoomMax]; }
    int32_t LayerColorAdjustPercent() const { return m_ints[lpLayerColorAdjustPercent]; }
    // No change when equal; else store and Modified (no redraw).
    void SetIntegerProperty(TLayerIntProperty index, int32_t value);
    void SetZoomMin(int32_t v) { SetIntegerProperty(lpZoomMin, v); }
    void SetZoomMax(int32_t v) { SetIntegerProperty(lpZoomMax, v); }
    void SetLayerColorAdjustPercent(int32_t v) { SetIntegerProperty(lpLayerColorAdjustPercent, v); }
    TColor LayerColorAdjustTarget() const { return m_colorAdjustTarget; }
    void SetLayerColorAdjustTarget(TColor color);
    TGlobeUnitTypes ZoomUnits() const { return m_zoomUnits; }
    // Converts ZoomMin and ZoomMax to the new unit.
    void SetZoomUnits(TGlobeUnitTypes units);

    // From another layer: shares its source, copies presenters and values.
    void Assign(const TGlobeRoot& source) override;
    void LoadEnvironment(const TGXML_Element* element) override;
    std::unique_ptr<TGXML_Element> SaveEnvironment() const override;

private:
    // Draws object index; false when a hidden presenter skipped it.
    struct TPendingTitle {
        int index;
        TGlobePresenter* presenter;
    };
    bool RenderObject(int index, TGlobeObjectStateSet state, std::vector<TPendingTitle>& titles);
    void RenderTiny(int index);
    int32_t TwoPixels() const;

    TLayeredGlobe& m_globe;
    TGlobeLayerStore* m_store = nullptr;
    std::string m_name;
    TMER m_mer;
    std::unique_ptr<TGlobePresenterStore> m_presenters;
    TGlobeObjectSource* m_source = nullptr;
    bool m_bools[5] = { true, true, false, true, false };
    int32_t m_ints[3] = {};
    TGlobeUnitTypes m_zoomUnits = TGlobeUnitTypes::NauticalMile;
    bool m_modified = false;
    TColor m_colorAdjustTarget = 0x808080;
    bool m_merValid = false;
};
