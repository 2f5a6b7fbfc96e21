#include "geo/BitmapObject.h"

#include "geo/CustomGlobe4.h"
#include "geo/GeoMath.h"
#include "geo/GlobeStream.h"

using enum TGlobeObjectState;

TBitmapObject::TBitmapObject(TCustomObjectSource* source)
    : TGlobeObject(DeferJoin {})
{
    SetObjectSource(source);
}

TGlobeObject* TBitmapObject::NewInstance(TCustomObjectSource* source) const
{
    return new TBitmapObject(source);
}

void TBitmapObject::SetBMPFilename(const std::string& name)
{
    TCustomGlobe4* globe = Globe();
    m_bmpFilename = globe ? globe->FindDataFile(name) : name;
    if (m_bmpFilename.empty())
        return;
    m_texture.LoadFromFile(m_bmpFilename);
    m_texture.TransparentIndex = m_transparentIndex;
    if (Title.empty())
        Title = name;
    Changed();
}

void TBitmapObject::SetGlobeUnitsPerPixel(int index, int32_t value)
{
    if (index != 2)
        m_guPerXPixel = value;
    if (index != 1)
        m_guPerYPixel = value;
    State.exclude(osValidMER);
    Changed();
}

TColor TBitmapObject::TransparentColor() const
{
    return m_texture.PaletteColor(m_transparentIndex);
}

void TBitmapObject::SetTransparentColor(TColor color)
{
    m_transparentIndex = m_texture.PaletteIndexOf(color);
    m_texture.TransparentIndex = m_transparentIndex;
}

TMER TBitmapObject::GetMER()
{
    if (Has(osValidMER))
        return m_mer;
    State.include(osValidMER);
    if (!m_texture.HasImage())
        return m_mer;
    const TGeoPoint cen = GetCentroid();
    const int64_t width = int64_t { m_texture.RowWidth() } * m_guPerXPixel;
    const int64_t height = int64_t { m_texture.ImageHeight() } * m_guPerYPixel;
    // Sizes beyond the 32-bit range wrap as the rest of the geometry does.
    const auto w = static_cast<int32_t>(width);
    const auto h = static_cast<int32_t>(height);
    const auto bottom = static_cast<int32_t>(cen.Lat - height);
    m_mer = { cen.Long, bottom, w, h };
    m_texture.SetCorner(cen.Long, cen.Lat, 0, 0);
    m_texture.SetCorner(static_cast<int32_t>(cen.Long + width), bottom, 1, 1);
    return m_mer;
}

void TBitmapObject::Render(TCustomGlobe4& globe, TGlobeObjectStateSet)
{
    GetMER();
    globe.RenderTexture(m_texture);
}

bool TBitmapObject::HitTest(const TGeoPoint& point, int32_t tolerance)
{
    return MERHitTest(point, tolerance) > 0;
}

void TBitmapObject::Assign(const TGlobeRoot& source)
{
    TGlobeObject::Assign(source);
    const auto* from = dynamic_cast<const TBitmapObject*>(&source);
    if (!from)
        return;
    m_guPerXPixel = from->m_guPerXPixel;
    m_guPerYPixel = from->m_guPerYPixel;
    SetBMPFilename(from->m_bmpFilename);
    SetTransparentColor(from->TransparentColor());
}

void TBitmapObject::SaveToStream(TGlobeStreamWriter& writer)
{
    TGlobeObject::SaveToStream(writer);
    const TGeoPoint corner = GetCentroid();
    writer.WriteInteger(corner.Long);
    writer.WriteInteger(corner.Lat);
    writer.WriteInteger(m_guPerXPixel);
    writer.WriteInteger(m_guPerYPixel);
    writer.WriteInteger(m_transparentIndex);
    writer.WriteShortString(m_bmpFilename);
}

void TBitmapObject::LoadFromStream(TGlobeStreamReader& reader)
{
    TGlobeObject::LoadFromStream(reader);
    const int32_t longitude = reader.ReadInteger();
    const int32_t lat = reader.ReadInteger();
    SetCentroid(MakeGeoPoint(longitude, lat));
    m_guPerXPixel = reader.ReadInteger();
    m_guPerYPixel = reader.ReadInteger();
    m_transparentIndex = reader.ReadInteger();
    State.exclude(osValidMER);
    SetBMPFilename(reader.ReadShortString());
}
