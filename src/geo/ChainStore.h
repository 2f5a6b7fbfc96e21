// TChainStore: the chains of one object. It owns its point stores; reading a
// chain never yields null (a missing chain is created on first use).
#pragma once

#include "geo/DynArray.h"
#include "geo/GlobeRoot.h"
#include "geo/PointStore.h"

#include <memory>

class TChainStore : public TGlobeRoot {
public:
    TChainStore() = default;
    std::string ClassName() const override { return "TChainStore"; }

    int Count() const { return m_chains.Count(); }
    // Chains beyond the new count are destroyed; new slots stay empty until read.
    void SetCount(int count);
    bool StoreHeight() const { return m_storeHeight; }
    // Applied to every chain, creating the empty ones.
    void SetStoreHeight(bool on);

    // Grows the store to index + 1 when needed and creates an empty slot's
    // chain, so the answer is never null. A negative index is a programming
    // error (std::out_of_range).
    TPointStore& Chain(int index);
    // Takes ownership; returns the new index.
    int AddChain(std::unique_ptr<TPointStore> store);
    void ReplaceChain(int index, std::unique_ptr<TPointStore> store);
    // Ignored for an index outside the store.
    void DeleteChain(int index);
    void Assign(const TGlobeRoot& source) override;

    TMER GetMER();
    // The centroids of the chains weighted by their signed areas (holes
    // subtract). When the areas sum to zero: the centre of the MER.
    TGeoPoint Centroid();
    int32_t MemorySize() const;

private:
    TDynArray<std::unique_ptr<TPointStore>> m_chains;
    bool m_storeHeight = false;
};
