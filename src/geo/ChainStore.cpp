#include "geo/ChainStore.h"

#include "geo/GeoMath.h"

#include <stdexcept>

void TChainStore::SetCount(int count)
{
    if (count < 0)
        throw EGlobeException("DynArraySetLength: Invalid Parameter");
    for (int i = Count() - 1; i >= count; --i)
        m_chains[i].reset();
    m_chains.SetLength(count);
}

void TChainStore::SetStoreHeight(bool on)
{
    if (on == m_storeHeight)
        return;
    m_storeHeight = on;
    for (int i = 0; i < Count(); ++i)
        Chain(i).SetStoreHeight(on);
}

TPointStore& TChainStore::Chain(int index)
{
    if (index < 0)
        throw std::out_of_range("TChainStore: chain index " + std::to_string(index) + " out of range");
    if (index >= Count())
        SetCount(index + 1);
    auto& slot = m_chains[index];
    if (!slot) {
        slot = std::make_unique<TPointStore>();
        slot->SetStoreHeight(m_storeHeight);
    }
    return *slot;
}

int TChainStore::AddChain(std::unique_ptr<TPointStore> store)
{
    m_chains.Insert(Count());
    m_chains[Count() - 1] = std::move(store);
    return Count() - 1;
}

void TChainStore::ReplaceChain(int index, std::unique_ptr<TPointStore> store)
{
    if (index < 0)
        throw std::out_of_range("TChainStore: chain index " + std::to_string(index) + " out of range");
    if (index >= Count())
        SetCount(index + 1);
    m_chains[index] = std::move(store);
}

void TChainStore::DeleteChain(int index)
{
    m_chains.Delete(index);
}

void TChainStore::Assign(const TGlobeRoot& source)
{
    const auto* other = dynamic_cast<const TChainStore*>(&source);
    if (!other) {
        TGlobeRoot::Assign(source);
        return;
    }
    SetCount(0);
    m_storeHeight = other->m_storeHeight;
    for (const auto& chain : other->m_chains)
        AddChain(chain ? chain->Clone() : nullptr);
}

TMER TChainStore::GetMER()
{
    if (Count() == 0)
        return {};
    TMER mer = Chain(0).GetMER();
    for (int i = 1; i < Count(); ++i)
        if (Chain(i).Count() > 0)
            mer = MERUnion(mer, Chain(i).GetMER());
    return mer;
}

TGeoPoint TChainStore::Centroid()
{
    if (Count() == 0)
        return {};
    if (Count() == 1)
        return Chain(0).Centroid().point;
    long double sumLong = 0, sumLat = 0, sumArea = 0;
    for (int i = 0; i < Count(); ++i) {
        const TCentroid c = Chain(i).Centroid();
        sumLong += c.point.Long * c.area;
        sumLat += c.point.Lat * c.area;
        sumArea += c.area;
    }
    if (sumArea == 0)
        return MERCentre(GetMER());
    return { Rnd(sumLong / sumArea), Rnd(sumLat / sumArea), 0 };
}

int32_t TChainStore::MemorySize() const
{
    int64_t size = sizeof(TChainStore) + int64_t { Count() } * static_cast<int64_t>(sizeof(void*));
    for (const auto& chain : m_chains)
        if (chain)
            size += chain->MemorySize();
    return static_cast<int32_t>(size);
}
