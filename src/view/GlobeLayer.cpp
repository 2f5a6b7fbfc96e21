#include "view/GlobeLayer.h"

#include "geo/GXml.h"
#include "geo/GeoMath.h"
#include "geo/GlobeClassRegistry.h"
#include "geo/GlobeObject.h"
#include "geo/GlobeProjection.h"
#include "geo/ProjectionModel.h"
#include "view/GlobeCanvas.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobePresenterStore.h"
#include "view/LayeredGlobe.h"

#include <QCoreApplication>

#include <chrono>

using enum TGlobeObjectState;

namespace {

using Clock = std::chrono::steady_clock;

const char* const BOOL_ATTRIBUTES[] = { "Enabled", "Visible", "Animated", "ShowTitles" };

} // namespace

void RegisterLayers()
{
    RegisterGlobeClass<TGlobeLayer, TGlobeLayer, TLayeredGlobe&>("TGlobeLayer");
    RegisterObjectSources();
}

TGlobeLayer::TGlobeLayer(TLayeredGlobe& globe)
    : m_globe(globe)
    , m_presenters(std::make_unique<TGlobePresenterStore>(&globe))
{
}

TGlobeLayer::~TGlobeLayer()
{
    if (m_store && !m_globe.ObjectCache().Destroying())
        m_globe.Notify(TGlobeNotification::gnLayerFreed, this);
    if (m_store)
        (void)m_store->RemoveLayer(*this).release();
    if (TGlobeObjectSource* source = std::exchange(m_source, nullptr))
        source->DetachLayer(*this);
}

void TGlobeLayer::Reset()
{
    m_bools[lpEnabled] = m_bools[lpVisible] = m_bools[lpShowTitles] = true;
    m_bools[lpAnimated] = false;
    m_ints[lpZoomMin] = m_ints[lpZoomMax] = m_ints[lpLayerColorAdjustPercent] = 0;
    m_zoomUnits = TGlobeUnitTypes::NauticalMile;
    m_colorAdjustTarget = 0x808080;
    m_merValid = false;
    SetObjectSource(nullptr);
    m_presenters->Clear();
    m_modified = false;
    m_globe.Redraw();
}

void TGlobeLayer::Delete()
{
    if (m_store)
        m_store->DeleteLayer(*this);
}

// --- Source -------------------------------------------------------------------

TGlobeObjectSource& TGlobeLayer::ObjectSource()
{
    if (!m_source)
        SetObjectSource(new TGlobeObjectSource(m_globe));
    return *m_source;
}

void TGlobeLayer::SetObjectSource(TGlobeObjectSource* source)
{
    if (source == m_source)
        return;
    if (source)
        source->AttachLayer(*this);
    if (TGlobeObjectSource* previous = std::exchange(m_source, source))
        previous->DetachLayer(*this);
    m_globe.Redraw();
}

void TGlobeLayer::SourceGone(TGlobeObjectSource& source)
{
    if (m_source == &source)
        m_source = nullptr;
}

// --- Properties -----------------------------------------------------------------

int TGlobeLayer::Index() const
{
    return m_store ? m_store->IndexOf(this) : -1;
}

void TGlobeLayer::SetIndex(int index)
{
    if (m_store)
        m_store->MoveLayer(Index(), index);
}

std::string TGlobeLayer::Name() const
{
    if (!m_name.empty())
        return m_name;
    return m_source ? m_source->Name : ClassName();
}

void TGlobeLayer::SetName(const std::string& name)
{
    const std::string trimmed(TrimSpaces(name));
    if (trimmed == Name())
        return;
    m_name = trimmed;
    m_modified = true;
}

void TGlobeLayer::SetBoolProperty(TLayerBoolProperty index, bool value)
{
    if (m_bools[index] == value)
        return;
    m_bools[index] = value;
    m_modified = true;
    m_globe.Redraw();
}

void TGlobeLayer::SetIntegerProperty(TLayerIntProperty index, int32_t value)
{
    if (m_ints[index] == value)
        return;
    m_ints[index] = value;
    m_modified = true;
}

void TGlobeLayer::SetLayerColorAdjustTarget(TColor color)
{
    m_colorAdjustTarget = color;
    m_modified = true;
}

void TGlobeLayer::SetZoomUnits(TGlobeUnitTypes units)
{
    for (const int index : { lpZoomMin, lpZoomMax }) {
        const auto gu = static_cast<int32_t>(UnitsToGU(m_zoomUnits, m_ints[index]));
        m_ints[index] = Rnd(GUToUnits(gu, units));
    }
    m_zoomUnits = units;
    m_modified = true;
}

TMER TGlobeLayer::GetLayerMER()
{
    m_mer = ObjectSource().GetSourceMER();
    return m_mer;
}

TGlobePresenter* TGlobeLayer::FindPresenter(int32_t id) const
{
    if (TGlobePresenter* presenter = m_presenters->ByID(id, true))
        return presenter;
    return m_source ? m_source->Presenters().ByID(id, false) : nullptr;
}

// --- Drawing ------------------------------------------------------------------

bool TGlobeLayer::IsVisibleAtZoom() const
{
    const int32_t altitude = m_globe.Projection().Altitude();
    bool visible = Visible();
    if (visible && ZoomMin() > 0)
        visible = UnitsToGU(m_zoomUnits, ZoomMin()) < altitude;
    if (visible && ZoomMax() >= 1)
        visible = UnitsToGU(m_zoomUnits, ZoomMax()) >= altitude;
    return visible;
}

int32_t TGlobeLayer::TwoPixels() const
{
    return Rnd(2 / m_globe.Projection().ScaleFactor());
}

TGlobeObjectStateSet TGlobeLayer::ObjectRenderState(int index)
{
    TGlobeObjectSource& source = ObjectSource();
    TGlobeObjectStateSet state = source.GetObjectState(index);
    if (state.contains(osNew))
        state = source.GetObject(index).State;
    if (state.contains(osHidden)) {
        state.exclude(osVisible);
        return state;
    }
    const TMER mer = source.GetObjectMER(index);
    if (!m_globe.Projection().ProjectionModel().MERVisibility(mer, state)) {
        state.exclude(osVisible);
        return state;
    }
    state.include(osVisible);
    if (mer.Width > 0 && mer.Height > 0) {
        const long double d = TwoPixels();
        if (mer.Width / d <= 1 && mer.Height / d <= 1)
            state.include(osTiny);
        else
            state.exclude(osTiny);
    }
    return state;
}

void TGlobeLayer::Render()
{
    const bool interruptible = !NoInterrupt();
    if ((interruptible && m_globe.Interrupted()) || !IsVisibleAtZoom() || !m_source)
        return;
    TGlobeProjection& projection = m_globe.Projection();
    const TGlobeObjectState face = projection.FarSidePass ? osBackFace : osFace;
    TGlobeCanvas& canvas = m_globe.Canvas();
    canvas.SetColorAdjustPercent(LayerColorAdjustPercent());
    canvas.SetColorAdjustTarget(m_colorAdjustTarget);
    canvas.ResetDrawState();
    const auto period = std::chrono::milliseconds(m_globe.PeriodicUpdateTime());
    auto deadline = Clock::now() + period;
    bool merInvalid = false;
    // Titles go on top of every object of the layer, so that a neighbour
    // drawn later never covers a name.
    std::vector<TPendingTitle> titles;
    for (int i = 0; i < m_source->Count(); ++i) {
        const TGlobeObjectStateSet state = ObjectRenderState(i);
        merInvalid = merInvalid || !state.contains(osValidMER);
        if (state.contains(osVisible) && state.contains(face) && !RenderObject(i, state, titles))
            continue;
        if (i % 256 != 0)
            continue;
        if (QCoreApplication::closingDown())
            break;
        if (interruptible && m_globe.GlobeOptions().contains(TGlobeOption::goInterruptable)
            && m_globe.Interrupted())
            break;
        if (period.count() >= 1 && Clock::now() > deadline) {
            m_globe.ShowPictureSoFar();
            deadline = Clock::now() + period;
        }
    }
    for (const TPendingTitle& title : titles)
        RenderTitle(m_source->GetObject(title.index), *title.presenter);
    if (merInvalid)
        GetLayerMER();
}

void TGlobeLayer::RenderTiny(int index)
{
    const TMER mer = m_source->GetObjectMER(index);
    const TProjectedPoint corner = m_globe.Projection().LongLatToXY(mer.Left, mer.Bottom);
    if (corner.visible)
        m_globe.Canvas().SetPixel(corner.point.X, corner.point.Y, QColor(0x80, 0x80, 0x80));
}

bool TGlobeLayer::RenderObject(int index, TGlobeObjectStateSet state, std::vector<TPendingTitle>& titles)
{
    if (state.contains(osTiny)) {
        RenderTiny(index);
        return true;
    }
    TGlobeObject& object = m_source->GetObject(index);
    const int32_t altitude = m_globe.Projection().Altitude();
    if (object.ZoomMin != object.ZoomMax && !(object.ZoomMin < altitude && altitude <= object.ZoomMax))
        return true;
    TGlobePresenter* presenter = FindPresenter(object.PresenterID());
    if (!presenter) {
        if (!m_globe.FireObjectRender(object, state))
            object.Render(m_globe, state);
        return true;
    }
    if (presenter->Hidden)
        return false;
    presenter->RenderObject(m_globe, object, state);
    if (ShowTitles())
        titles.push_back({ index, presenter });
    return true;
}

void TGlobeLayer::RenderTitle(TGlobeObject& object, TGlobePresenter& presenter)
{
    presenter.RenderTitle(m_globe, object, object.State);
}

// --- Hit tests and searches -----------------------------------------------------------

TGlobeObject* TGlobeLayer::ObjectAtLocation(const TGeoPoint& point)
{
    if (!IsVisibleAtZoom() || !m_source)
        return nullptr;
    const int32_t tolerance = TwoPixels();
    for (int i = m_source->Count() - 1; i >= 0; --i) {
        const TMER mer = m_source->GetObjectMER(i);
        if (!MERIsEmpty(mer) && !MERContainsPoint(point, mer))
            continue;
        TGlobeObject& object = m_source->GetObject(i);
        // What is never drawn cannot be clicked: hidden objects and null shapes.
        if (object.Hidden())
            continue;
        TGlobePresenter* presenter = FindPresenter(object.PresenterID());
        const bool hit = presenter ? presenter->HitTest(m_globe, point, tolerance, object)
                                   : object.HitTest(point, tolerance);
        if (hit)
            return &object;
    }
    return nullptr;
}

TGlobeObject* TGlobeLayer::ObjectAtXY(int32_t x, int32_t y)
{
    const TScreenGeoPoint at = m_globe.Projection().XYToGeo(x, y);
    return at.onMap ? ObjectAtLocation(at.point) : nullptr;
}

TGlobeObject* TGlobeLayer::FindObjectByTitle(const std::string& title, const TGlobeObject* after)
{
    if (!m_source)
        return nullptr;
    int start = 0;
    if (after) {
        // By position: the object may be released from the cache while the
        // search loads others.
        const bool ours = after->ObjectSource() == m_source && after->ObjectIndex >= 0;
        start = ours ? after->ObjectIndex + 1 : m_source->Count();
    }
    for (int i = start; i < m_source->Count(); ++i) {
        TGlobeObject& object = m_source->GetObject(i);
        if (SameText(object.Title, title))
            return &object;
    }
    return nullptr;
}

TGlobeObject* TGlobeLayer::FindObjectByID(int32_t id)
{
    if (!m_source)
        return nullptr;
    for (int i = 0; i < m_source->Count(); ++i) {
        TGlobeObject& object = m_source->GetObject(i);
        if (object.ID == id)
            return &object;
    }
    return nullptr;
}

int TGlobeLayer::SelectedCount()
{
    int count = 0;
    for (int i = 0; m_source && i < m_source->Count(); ++i)
        count += m_source->GetObjectState(i).contains(osSelected) ? 1 : 0;
    return count;
}

void TGlobeLayer::Notify(int kind, TGlobeObject* object)
{
    switch (kind) {
    case 0:
        SetVisible(true);
        break;
    case 1:
        SetVisible(false);
        break;
    case onObjectAdded:
        m_merValid = false;
        m_globe.Redraw();
        break;
    case onObjectRemoved:
        if (m_store && object)
            m_store->ForgetObject(*object);
        m_globe.Redraw();
        break;
    case onObjectChanged:
        if (Animated())
            m_globe.Invalidate();
        else
            m_globe.Redraw();
        break;
    case onObjectSelectionChanged:
        m_globe.Notify(TGlobeNotification::gnObjectSelectChanged, object);
        break;
    default:
        break;
    }
}

// --- Copy and environment -----------------------------------------------------------

void TGlobeLayer::Assign(const TGlobeRoot& source)
{
    const auto* other = dynamic_cast<const TGlobeLayer*>(&source);
    if (!other) {
        TGlobeENVPersistent::Assign(source);
        return;
    }
    Reset();
    SetObjectSource(other->m_source);
    m_presenters->Assign(*other->m_presenters);
    SetAnimated(other->Animated());
    SetEnabled(other->Enabled());
    SetShowTitles(other->ShowTitles());
    SetName(other->m_name);
    SetNoInterrupt(other->NoInterrupt());
    SetVisible(other->Visible());
    SetZoomUnits(other->ZoomUnits());
    SetZoomMax(other->ZoomMax());
    SetZoomMin(other->ZoomMin());
}

std::unique_ptr<TGXML_Element> TGlobeLayer::SaveEnvironment() const
{
    auto e = std::make_unique<TGXML_Element>();
    const_cast<TGlobeLayer*>(this)->m_modified = false;
    e->AddAttribute("Class", ClassName());
    e->AddAttribute("Name", Name());
    e->AddBool("Animated", Animated());
    e->AddBool("Enabled", Enabled());
    e->AddBool("ShowTitles", ShowTitles());
    e->AddBool("Visible", Visible());
    e->AddAttribute("ZoomUnits", UnitsToStr(m_zoomUnits));
    e->AddInteger("ZoomMin", ZoomMin());
    e->AddInteger("ZoomMax", ZoomMax());
    e->AddElement("Presenters", m_presenters->SaveEnvironment());
    if (m_source)
        e->AddElement("Objects", m_source->SaveEnvironment());
    return e;
}

void TGlobeLayer::LoadEnvironment(const TGXML_Element* element)
{
    Reset();
    if (!element)
        return;
    SetName(element->StringAttr("Name", Name()));
    const TLayerBoolProperty order[] = { lpEnabled, lpVisible, lpAnimated, lpShowTitles };
    for (int k = 0; k < 4; ++k)
        SetBoolProperty(order[k], element->BoolAttr(BOOL_ATTRIBUTES[k], m_bools[order[k]]));
    m_zoomUnits = StrToUnits(element->StringAttr("ZoomUnits", UnitsToStr(m_zoomUnits)));
    SetZoomMin(element->Int32Attr("ZoomMin", ZoomMin()));
    SetZoomMax(element->Int32Attr("ZoomMax", ZoomMax()));
    m_presenters->LoadEnvironment(element->ChildElement("Presenters"));
    if (const TGXML_Element* objects = element->ChildElement("Objects")) {
        auto source
            = CreateGlobeClass<TGlobeObjectSource, TLayeredGlobe&>(objects->StringAttr("Class"), m_globe);
        TGlobeObjectSource* created = source.release();
        SetObjectSource(created);
        created->LoadEnvironment(objects);
    }
    m_modified = false;
}
