// TBitmapObject: a georeferenced 256-colour bitmap. Its centroid is the
// bitmap's top-left (north-west) corner; each pixel covers a fixed number of
// GlobeUnits in longitude and latitude.
#pragma once

#include "geo/GlobeObject.h"
#include "geo/TextureData.h"

class TBitmapObject : public TGlobeObject {
public:
    explicit TBitmapObject(TCustomObjectSource* source);
    std::string ClassName() const override { return "TBitmapObject"; }
    std::string Description() const override { return "TBitmapObject"; }

    TTextureData& TextureData() { return m_texture; }
    const std::string& BMPFilename() const { return m_bmpFilename; }
    // Resolves the name through the globe's data files and loads the bitmap.
    void SetBMPFilename(const std::string& name);
    int32_t GlobeUnitsPerXPixel() const { return m_guPerXPixel; }
    int32_t GlobeUnitsPerYPixel() const { return m_guPerYPixel; }
    // Index 0 sets both axes, 1 the X and 2 the Y axis.
    void SetGlobeUnitsPerPixel(int index, int32_t value);
    int32_t TransparentIndex() const { return m_transparentIndex; }
    TColor TransparentColor() const;
    // A colour missing from the palette makes nothing transparent (index -1).
    void SetTransparentColor(TColor color);

    // From the bitmap size; also places the texture's corners.
    TMER GetMER() override;
    void Render(TCustomGlobe4& globe, TGlobeObjectStateSet state) override;
    bool HitTest(const TGeoPoint& point, int32_t tolerance) override;
    void Assign(const TGlobeRoot& source) override;
    void SaveToStream(TGlobeStreamWriter& writer) override;
    void LoadFromStream(TGlobeStreamReader& reader) override;

protected:
    TGlobeObject* NewInstance(TCustomObjectSource* source) const override;

private:
    TTextureData m_texture;
    std::string m_bmpFilename;
    int32_t m_guPerXPixel = GU_MINUTE;
    int32_t m_guPerYPixel = GU_MINUTE;
    int32_t m_transparentIndex = -1;
};
