// TGeoDataObject: a vector object made of chains of points. Each chain is one
// polyline or one ring of a polygon; an object without chains is a point
// whose position is its centroid.
#pragma once

#include "geo/ChainStore.h"
#include "geo/GlobeObject.h"

class TGeoDataObject : public TGlobeObject {
public:
    explicit TGeoDataObject(TCustomObjectSource* source);
    std::string ClassName() const override { return "TGeoDataObject"; }
    std::string Description() const override { return "TGeoDataObject"; }

    TChainStore Chains;

    // From the chains, cached while osValidMER is set.
    TMER GetMER() override;
    int32_t MemorySize() const override;
    // The area-weighted centroid of the chains, computed on first use.
    TGeoPoint GetCentroid() override;
    // Moves every chain by the distance from the current centroid to p.
    void SetCentroid(const TGeoPoint& p) override;
    // Also forgets the rectangle and the chains' 3-D points.
    void Changed() override;
    void Render(TCustomGlobe4& globe, TGlobeObjectStateSet state) override;
    bool HitTest(const TGeoPoint& point, int32_t tolerance) override;
    void Assign(const TGlobeRoot& source) override;
    void SaveToStream(TGlobeStreamWriter& writer) override;
    void LoadFromStream(TGlobeStreamReader& reader) override;

protected:
    TGlobeObject* NewInstance(TCustomObjectSource* source) const override;
};
