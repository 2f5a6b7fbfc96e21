#include "view/GlobeUtils.h"

#include "geo/BitmapObject.h"
#include "geo/GlobeProjection.h"
#include "view/Globe4.h"

void ZoomToMER(TGlobe4& globe, const TMER& mer)
{
    globe.Projection().SetOrigin({ globe.CanvasWidth() / 2, globe.CanvasHeight() / 2 });
    if (mer.Width != 0 && mer.Height != 0)
        globe.ZoomToRect(0, 0, mer.Width, mer.Height);
    globe.CenterOn(mer.Left + mer.Width / 2, mer.Bottom + mer.Height / 2);
}

void ZoomToBitmap(TGlobe4& globe, TBitmapObject& bitmap)
{
    ZoomToMER(globe, bitmap.GetMER());
}

bool SameDevicePoint(const TGlobeProjection& projection, const TGeoPoint& a, const TGeoPoint& b)
{
    return projection.GeoToXY(a).point == projection.GeoToXY(b).point;
}
