// TGlobePresenterStore: an ordered set of presenters with IDs unique within
// the store. The globe has a global store; each layer and each object source
// has its own, which falls back to the global one when asked.
#pragma once

#include "geo/GlobeRoot.h"
#include "view/GlobePresenter.h"

#include <memory>
#include <vector>

class TGlobePresenterStore : public TGlobeENVPersistent {
public:
    // A null globe raises "TGlobePresenterStore.Create passed nil Parent".
    explicit TGlobePresenterStore(TDrawingGlobe* globe);
    std::string ClassName() const override { return "TGlobePresenterStore"; }

    TGlobePresenter& Presenters(int index) const { return *m_presenters.at(static_cast<size_t>(index)); }
    int Count() const { return static_cast<int>(m_presenters.size()); }
    bool Modified() const { return m_modified; }
    void SetModified(bool on) { m_modified = on; }

    // Takes the presenter and answers its ID. An ID of 0 becomes one more
    // than the largest ID in the store (at least 1). A presenter whose ID the
    // store already holds is not taken (the caller keeps it); that ID is
    // answered. A null presenter answers 0.
    int32_t Add(std::unique_ptr<TGlobePresenter>& presenter);
    int32_t Add(std::unique_ptr<TGlobePresenter>&& presenter);
    // The first presenter with the ID; else, when asked, the global store's.
    TGlobePresenter* ByID(int32_t id, bool searchGlobal) const;
    // Hands the presenter back to the caller.
    std::unique_ptr<TGlobePresenter> Remove(TGlobePresenter& presenter);
    void Clear();

    // From a store: clones of all its presenters; from a presenter: its clone.
    void Assign(const TGlobeRoot& source) override;
    void LoadEnvironment(const TGXML_Element* element) override;
    std::unique_ptr<TGXML_Element> SaveEnvironment() const override;

private:
    TDrawingGlobe* m_globe;
    std::vector<std::unique_ptr<TGlobePresenter>> m_presenters;
    bool m_modified = false;
};

// The first point presenter of the store drawing with these attributes (a
// null attribute matches any) and this type, unit, size and image name; 0
// when there is none.
int32_t FindPointPresenter(const TGlobePresenterStore& store, const TGlobePen* pen, const TGlobeBrush* brush,
    const TGlobeFont* pointFont, const TGlobeFont* titleFont, TPointPresenterType type, TGlobeUnitTypes unit,
    int32_t size, const std::string& imageName);
// The first poly presenter (of any kind) with these attributes; 0 when none.
int32_t FindPolyPresenter(const TGlobePresenterStore& store, const TGlobePen* pen, const TGlobeBrush* brush,
    const TGlobeFont* titleFont);
