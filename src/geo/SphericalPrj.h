// TSphericalPrj: an orthographic view of a turning globe, the default model.
// Points are turned into integer 3-D points (cached per chain) and multiplied
// by a rotation matrix that already holds the scale; negative depth is the
// near side.
#pragma once

#include "geo/PointStore.h"
#include "geo/ProjectionModel.h"

class TTextureData;

class TSphericalPrj : public TProjectionModel {
public:
    explicit TSphericalPrj(TGlobeProjection& projection);
    std::string ClassName() const override { return "TSphericalPrj"; }

    // Open chains keep only the side being drawn; closed chains put the other
    // side's points on the rim, so polygons behind the globe follow its edge.
    int ProjectChain(TPointStore& store, int startIndex, bool closed) override;
    // Near side visible; a raised far-side point shows when it sticks out
    // beyond the rim. FarSidePass inverts the answer.
    bool ProjectPoint(const TGeoPoint& p, int index) override;
    // Always the near side.
    bool ScreenToGeo(int32_t x, int32_t y, int index) override;
    // The globe's bounding square in GlobeUnits.
    TRect WorldExtent() const override;
    void ProjectionChanged(int kind) override;
    // The texture as a triangle mesh, or the rim of the disc.
    void PaintSurface() override;
    void Assign(const TGlobeRoot& source) override;

    long double Radius() const { return m_radius; }
    const TMatrix3& Forward() const { return m_forward; }
    const TMatrix3& Inverse() const { return m_inverse; }

    // The two halves of ProjectChain: the chain loop in double arithmetic,
    // which answers -1 as soon as a side, a sub-pixel test or a rounding
    // could come out otherwise than in the loop in extended arithmetic, which
    // then projects the chain.
    int ProjectChainInDouble(const T3DPoints& points, int startIndex, bool closed);
    int ProjectChainExtended(const T3DPoints& points, int startIndex, bool closed);

private:
    struct Projected {
        long double x, y, depth;
    };
    Projected Rotate(const TPoint3D& v) const;
    void PaintRim();
    void PaintTextureMesh(TTextureData& texture);
    void SubdivideFace(const TVector3& a, const TVector3& b, const TVector3& c, int levelsLeft, bool western,
        TTextureData& texture);
    bool AnyCornerVisible(const TVector3 (&corners)[3]);

    TMatrix3 m_forward; // rotation times scale
    TMatrix3 m_inverse; // transposed rotation divided by scale
    long double m_radius = 0; // pixels
    long double m_radius2 = 0;
};
