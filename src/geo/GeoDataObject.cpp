#include "geo/GeoDataObject.h"

#include "geo/CustomGlobe4.h"
#include "geo/DevicePoints.h"
#include "geo/GlobeStream.h"
#include "geo/ObjectRecord.h"
#include "geo/ProjectionModel.h"
#include "platform/BoundedReader.h"

using enum TGlobeObjectState;

TGeoDataObject::TGeoDataObject(TCustomObjectSource* source)
    : TGlobeObject(DeferJoin {})
{
    SetObjectSource(source);
}

TGlobeObject* TGeoDataObject::NewInstance(TCustomObjectSource* source) const
{
    return new TGeoDataObject(source);
}

TMER TGeoDataObject::GetMER()
{
    if (Has(osValidMER))
        return m_mer;
    State.include(osValidMER);
    if (Chains.Count() == 0 || Chains.Chain(0).Count() == 0) {
        const TGeoPoint c = GetCentroid();
        m_mer = { c.Long, c.Lat, 0, 0 };
    } else {
        m_mer = Chains.GetMER();
    }
    return m_mer;
}

int32_t TGeoDataObject::MemorySize() const
{
    return TGlobeObject::MemorySize() + Chains.MemorySize();
}

TGeoPoint TGeoDataObject::GetCentroid()
{
    TGeoPoint& stored = StoredCentroid();
    if (stored.Height == CENTROID_UNKNOWN) {
        stored = Chains.Centroid();
        stored.Height = 0;
    }
    return stored;
}

void TGeoDataObject::SetCentroid(const TGeoPoint& p)
{
    const TGeoPoint cen = GetCentroid();
    for (int i = 0; i < Chains.Count(); ++i)
        Chains.Chain(i).Translate(p.Long - cen.Long, p.Lat - cen.Lat, p.Height - cen.Height);
    TGlobeObject::SetCentroid(p);
}

void TGeoDataObject::Changed()
{
    State.exclude(osValidMER);
    for (int i = 0; i < Chains.Count(); ++i)
        Chains.Chain(i).DiscardCache();
    TGlobeObject::Changed();
}

void TGeoDataObject::Render(TCustomGlobe4& globe, TGlobeObjectStateSet state)
{
    const bool selected = state.contains(osSelected);
    globe.SelectCanvasPen(selected);
    if (Closed())
        globe.SelectCanvasBrush(selected);
    if (Chains.Count() > 0) {
        globe.RenderChains(Chains, state, globe.CanvasPenWidth());
        return;
    }
    if (!globe.Projection().ProjectionModel().ProjectPoint(GetCentroid(), 0))
        return;
    const TPoint p = DevicePoints().Get(0);
    globe.DrawEllipse({ p.X - 2, p.Y - 2, p.X + 2, p.Y + 2 });
}

bool TGeoDataObject::HitTest(const TGeoPoint& point, int32_t tolerance)
{
    const int side = MERHitTest(point, tolerance);
    if (side == 0)
        return false;
    if (Chains.Count() == 0)
        return true;
    for (int i = 0; i < Chains.Count(); ++i) {
        const TPointStore& chain = Chains.Chain(i);
        if (Closed() ? chain.PointInPolygon(point.Long, point.Lat, side)
                     : chain.PointOnPolyline(point.Long, point.Lat, tolerance))
            return true;
    }
    return false;
}

void TGeoDataObject::Assign(const TGlobeRoot& source)
{
    TGlobeObject::Assign(source);
    const auto* from = dynamic_cast<const TGeoDataObject*>(&source);
    if (!from)
        return;
    Chains.SetCount(0);
    Chains.SetStoreHeight(from->Chains.StoreHeight());
    for (int i = 0; i < from->Chains.Count(); ++i)
        Chains.AddChain(const_cast<TChainStore&>(from->Chains).Chain(i).Clone());
}

void TGeoDataObject::SaveToStream(TGlobeStreamWriter& writer)
{
    const int chains = Chains.Count();
    // The chain count has two bytes.
    if (chains > 65535)
        throw EGlobeException("TGeoDataObject: " + std::to_string(chains) + " chains do not fit a record");
    SaveFlags = chains == 0 ? ofNoChains : PrepareChainForSaving(Chains.Chain(0));
    if (chains > 1)
        SaveFlags |= ofChainCount;
    TGlobeObject::SaveToStream(writer);
    if (chains == 0) {
        writer.WriteGeoPoint(GetCentroid(), false, false);
        return;
    }
    if (chains > 1)
        writer.WriteSmallInt(static_cast<int16_t>(chains));
    uint16_t flags = SaveFlags & CHAIN_RECORD_FLAGS;
    for (int i = 0; i < chains; ++i) {
        WriteChainData(writer, Chains.Chain(i), flags);
        if (i + 1 < chains) {
            flags = PrepareChainForSaving(Chains.Chain(i + 1));
            writer.WriteWord(flags);
        }
    }
}

void TGeoDataObject::LoadFromStream(TGlobeStreamReader& reader)
{
    TGlobeObject::LoadFromStream(reader);
    Chains.SetCount(0);
    if (SaveFlags & ofNoChains) {
        SetCentroid(reader.ReadGeoPoint((SaveFlags & ofHeights) != 0, (SaveFlags & ofMinuteGrid) != 0));
        return;
    }
    const int chains = (SaveFlags & ofChainCount) ? reader.ReadWord() : 1;
    reader.Reader().RequireElements(chains, 2, "the chain count");
    uint16_t flags = SaveFlags & CHAIN_RECORD_FLAGS;
    for (int i = 0; i < chains; ++i) {
        ReadChainData(reader, Chains.Chain(i), flags);
        if (i + 1 < chains)
            flags = reader.ReadWord() & CHAIN_RECORD_FLAGS;
    }
    State.exclude(osValidMER);
}
