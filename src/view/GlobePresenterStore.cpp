#include "view/GlobePresenterStore.h"

#include "geo/GXml.h"
#include "geo/GlobeClassRegistry.h"
#include "platform/GlobeException.h"
#include "view/DrawingGlobe.h"

#include <algorithm>

namespace {

bool Matches(const TGlobeAttribute* wanted, const TGlobeAttribute& actual)
{
    return !wanted || actual.Equals(*wanted);
}

} // namespace

TGlobePresenterStore::TGlobePresenterStore(TDrawingGlobe* globe)
    : m_globe(globe)
{
    if (!globe)
        throw EGlobeException("TGlobePresenterStore.Create passed nil Parent");
    RegisterPresenters();
}

int32_t TGlobePresenterStore::Add(std::unique_ptr<TGlobePresenter>& presenter)
{
    if (!presenter)
        return 0;
    if (presenter->PresenterID == 0) {
        int32_t largest = 0;
        for (const auto& p : m_presenters)
            largest = std::max(largest, p->PresenterID);
        presenter->PresenterID = largest + 1;
    } else if (ByID(presenter->PresenterID, false)) {
        return presenter->PresenterID;
    }
    const int32_t id = presenter->PresenterID;
    m_presenters.push_back(std::move(presenter));
    m_modified = true;
    return id;
}

int32_t TGlobePresenterStore::Add(std::unique_ptr<TGlobePresenter>&& presenter)
{
    return Add(presenter);
}

TGlobePresenter* TGlobePresenterStore::ByID(int32_t id, bool searchGlobal) const
{
    for (const auto& p : m_presenters)
        if (p->PresenterID == id)
            return p.get();
    const TGlobePresenterStore* global = searchGlobal ? m_globe->GlobalPresenters() : nullptr;
    return global && global != this ? global->ByID(id, false) : nullptr;
}

std::unique_ptr<TGlobePresenter> TGlobePresenterStore::Remove(TGlobePresenter& presenter)
{
    const auto it = std::find_if(
        m_presenters.begin(), m_presenters.end(), [&](const auto& p) { return p.get() == &presenter; });
    if (it == m_presenters.end())
        return nullptr;
    auto taken = std::move(*it);
    m_presenters.erase(it);
    m_modified = true;
    return taken;
}

void TGlobePresenterStore::Clear()
{
    m_presenters.clear();
    m_modified = false;
}

void TGlobePresenterStore::Assign(const TGlobeRoot& source)
{
    if (const auto* store = dynamic_cast<const TGlobePresenterStore*>(&source)) {
        if (store == this)
            return;
        Clear();
        for (const auto& p : store->m_presenters)
            Add(p->Clone(*m_globe));
        return;
    }
    if (const auto* presenter = dynamic_cast<const TGlobePresenter*>(&source)) {
        Add(presenter->Clone(*m_globe));
        return;
    }
    TGlobeRoot::Assign(source);
}

void TGlobePresenterStore::LoadEnvironment(const TGXML_Element* element)
{
    if (!element)
        return;
    Clear();
    for (int i = 0; const TGXML_Element* child = element->ChildElement("Presenter", i); ++i) {
        auto presenter = CreateGlobeClass<TGlobePresenter, TDrawingGlobe*, int32_t>(
            child->StringAttr("Class"), m_globe, 0);
        presenter->LoadEnvironment(child);
        Add(presenter);
    }
}

std::unique_ptr<TGXML_Element> TGlobePresenterStore::SaveEnvironment() const
{
    auto e = std::make_unique<TGXML_Element>();
    for (const auto& p : m_presenters)
        e->AddElement("Presenter", p->SaveEnvironment());
    return e;
}

int32_t FindPointPresenter(const TGlobePresenterStore& store, const TGlobePen* pen, const TGlobeBrush* brush,
    const TGlobeFont* pointFont, const TGlobeFont* titleFont, TPointPresenterType type, TGlobeUnitTypes unit,
    int32_t size, const std::string& imageName)
{
    for (int i = 0; i < store.Count(); ++i) {
        const auto* p = dynamic_cast<const TPointPresenter*>(&store.Presenters(i));
        if (p && Matches(pen, p->PointPen) && Matches(brush, p->PointBrush)
            && Matches(pointFont, p->PointFont) && Matches(titleFont, p->TitleFont) && p->PointType == type
            && p->PointUnit() == unit && p->PointSize() == size && p->ImageName() == imageName)
            return p->PresenterID;
    }
    return 0;
}

int32_t FindPolyPresenter(const TGlobePresenterStore& store, const TGlobePen* pen, const TGlobeBrush* brush,
    const TGlobeFont* titleFont)
{
    for (int i = 0; i < store.Count(); ++i) {
        const auto* p = dynamic_cast<const TPolyPresenter*>(&store.Presenters(i));
        if (p && Matches(pen, p->PolyPen) && Matches(brush, p->PolyBrush) && Matches(titleFont, p->TitleFont))
            return p->PresenterID;
    }
    return 0;
}
