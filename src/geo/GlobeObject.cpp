#include "geo/GlobeObject.h"

#include "geo/CustomGlobe4.h"
#include "geo/GeoMath.h"
#include "geo/GlobeProjection.h"
#include "geo/GlobeStream.h"
#include "geo/ObjectRecord.h"

using enum TGlobeObjectState;

// --- TGlobeObjectData ---------------------------------------------------------

void TGlobeObjectData::Assign(const TGlobeRoot& source)
{
    const auto* data = dynamic_cast<const TGlobeObjectData*>(&source);
    if (!data) {
        TGlobeRoot::Assign(source);
        return;
    }
    // The source's rectangle may still have to be computed.
    auto& from = const_cast<TGlobeObjectData&>(*data);
    State = from.State;
    SaveFlags = from.SaveFlags;
    SourceTag = from.SourceTag;
    ObjectIndex = from.ObjectIndex;
    m_mer = from.GetMER();
    SetPresenterID(from.PresenterID());
    Value = from.Value;
}

// --- TGlobeObject -------------------------------------------------------------

TGlobeObject::TGlobeObject(TCustomObjectSource* source)
{
    SetObjectSource(source);
}

TGlobeObject::~TGlobeObject()
{
    if (m_source)
        m_source->ObjectFreed(*this);
    SetObjectSource(nullptr);
    if (Selected())
        SetSelected(false);
}

void TGlobeObject::SetObjectSource(TCustomObjectSource* source)
{
    if (m_source)
        m_source->RemoveObject(*this);
    m_source = source;
    if (m_source)
        m_source->AddObject(*this);
}

TCustomGlobe4* TGlobeObject::Globe() const
{
    return m_source ? &m_source->Globe() : nullptr;
}

void TGlobeObject::SetPresenterID(int32_t id)
{
    if (id == m_presenterID)
        return;
    m_presenterID = id;
    if (m_source && ObjectIndex >= 0)
        m_source->SetObjectPresenterID(ObjectIndex, id);
    Changed();
}

TMER TGlobeObject::GetMER()
{
    const TGeoPoint c = GetCentroid();
    m_mer = { c.Long, c.Lat, 0, 0 };
    State.include(osValidMER);
    return m_mer;
}

int32_t TGlobeObject::MemorySize() const
{
    return static_cast<int32_t>(sizeof(TGlobeObject) + Title.size());
}

TGeoPoint TGlobeObject::GetCentroid()
{
    return m_centroid;
}

void TGlobeObject::SetCentroid(const TGeoPoint& p)
{
    const TGeoPoint old = GetCentroid();
    bool samePixel = false;
    if (const TCustomGlobe4* globe = Globe()) {
        const TGlobeProjection& projection = globe->Projection();
        samePixel
            = projection.LongLatToXY(p.Long, p.Lat).point == projection.LongLatToXY(old.Long, old.Lat).point;
    }
    m_centroid = p;
    if (samePixel)
        return;
    State.exclude(osValidMER);
    Changed();
}

TGlobeObject* TGlobeObject::NewInstance(TCustomObjectSource* source) const
{
    return new TGlobeObject(source);
}

TGlobeObject* TGlobeObject::Clone() const
{
    TGlobeObject* copy = NewInstance(m_source);
    copy->Assign(*this);
    return copy;
}

void TGlobeObject::Changed()
{
    State.include(osRedraw);
    if (m_source)
        m_source->NotifyLayers(onObjectChanged, this);
}

void TGlobeObject::Render(TCustomGlobe4&, TGlobeObjectStateSet) { }

void TGlobeObject::SelectionChanged()
{
    if (!m_source)
        return;
    CopyStateBitToSource(osSelected);
    m_source->NotifyLayers(onObjectSelectionChanged, this);
}

bool TGlobeObject::HitTest(const TGeoPoint&, int32_t)
{
    return false;
}

int TGlobeObject::MERHitTest(const TGeoPoint& point, int32_t tolerance)
{
    if (Hidden())
        return 0;
    const TMER mer = GetMER();
    const int64_t t = tolerance;
    if (point.Lat < mer.Bottom - t || point.Lat >= int64_t { mer.Bottom } + mer.Height + t)
        return 0;
    const int64_t right = int64_t { mer.Left } + mer.Width + t;
    const int64_t left = mer.Left - t;
    if (right > GU_180_DEGREE) {
        if (left <= point.Long && point.Long < GU_180_DEGREE)
            return 2;
        return (-GU_180_DEGREE <= point.Long && point.Long < NormalizeLong(right)) ? 1 : 0;
    }
    return (left <= point.Long && point.Long < right) ? 3 : 0;
}

void TGlobeObject::Assign(const TGlobeRoot& source)
{
    const auto* object = dynamic_cast<const TGlobeObject*>(&source);
    if (!object) {
        TGlobeObjectData::Assign(source);
        return;
    }
    // The source's centroid may still have to be computed.
    auto& from = const_cast<TGlobeObject&>(*object);
    from.State.exclude(osValidMER);
    SetPresenterID(from.PresenterID());
    Title = from.Title;
    ID = from.ID;
    m_centroid = from.GetCentroid();
    ZoomMin = from.ZoomMin;
    ZoomMax = from.ZoomMax;
    SetClosed(from.Closed());
    SetSelected(from.Selected());
}

void TGlobeObject::SetStateBit(TGlobeObjectState s, bool on)
{
    if (on)
        State.include(s);
    else
        State.exclude(s);
}

void TGlobeObject::CopyStateBitToSource(TGlobeObjectState s)
{
    if (!m_source || ObjectIndex < 0)
        return;
    TGlobeObjectStateSet entry = m_source->GetObjectState(ObjectIndex);
    if (Has(s))
        entry.include(s);
    else
        entry.exclude(s);
    m_source->SetObjectState(ObjectIndex, entry);
}

void TGlobeObject::SetClosed(bool on)
{
    if (on == Closed())
        return;
    SetStateBit(osClosed, on);
    CopyStateBitToSource(osClosed);
    Changed();
}

void TGlobeObject::SetHidden(bool on)
{
    if (on == Hidden())
        return;
    SetStateBit(osHidden, on);
    State.include(osRedraw);
    Changed();
}

void TGlobeObject::SetSelected(bool on)
{
    if (on == Selected())
        return;
    SetStateBit(osSelected, on);
    SelectionChanged();
    Changed();
}

void TGlobeObject::SaveToStream(TGlobeStreamWriter& writer)
{
    if (!Title.empty())
        SaveFlags |= ofTitle;
    if (ID != 0)
        SaveFlags |= ofID;
    if (!GUID.empty())
        SaveFlags |= ofGUID;
    if (ZoomMin != ZoomMax)
        SaveFlags |= ofZoomRange;
    if (Closed())
        SaveFlags |= ofClosed;
    writer.WriteWord(SaveFlags);
    if (SaveFlags & ofTitle)
        writer.WriteShortString(Title);
    if (SaveFlags & ofID)
        writer.WriteInteger(ID);
    if (SaveFlags & ofGUID)
        writer.WriteShortString(GUID);
    if (SaveFlags & ofZoomRange) {
        writer.WriteInteger(ZoomMin);
        writer.WriteInteger(ZoomMax);
    }
    writer.WriteSmallInt(static_cast<int16_t>(PresenterID()));
}

void TGlobeObject::LoadFromStream(TGlobeStreamReader& reader)
{
    SaveFlags = reader.ReadWord();
    if (SaveFlags & ofTitle)
        Title = reader.ReadShortString();
    if (SaveFlags & ofID)
        ID = reader.ReadInteger();
    if (SaveFlags & ofGUID)
        GUID = reader.ReadShortString();
    if (SaveFlags & ofZoomRange) {
        ZoomMin = reader.ReadInteger();
        ZoomMax = reader.ReadInteger();
    }
    // Quietly: the object is not in its source's list yet.
    m_presenterID = reader.ReadSmallInt();
    if (SaveFlags & ofClosed)
        State.include(osClosed);
}
