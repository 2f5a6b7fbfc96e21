#include "view/GlobeUtils.h"

#include "geo/BitmapObject.h"
#include "geo/GlobeClassRegistry.h"
#include "geo/GlobeProjection.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"

#include <QFileInfo>
#include <QString>

std::string ReaderClassForFile(const std::string& fileName)
{
    const QString suffix = QFileInfo(QString::fromStdString(fileName)).suffix().toUpper();
    if (suffix == QLatin1String("LYR"))
        return "TGlobeLYRReader";
    if (suffix == QLatin1String("SHP"))
        return "TGlobeSHPReader";
    if (suffix == QLatin1String("MIF"))
        return "TGlobeMIFReader";
    return {};
}

int OpenLayerFile(TGlobe4& globe, const std::string& fileName)
{
    if (globe.FindDataFile(fileName).empty())
        return -1;
    TGlobeLayer& layer = globe.LayerStore()->CreateLayer("TGlobeLayer");
    const std::string readerClass = ReaderClassForFile(fileName);
    if (!readerClass.empty()) {
        std::unique_ptr<TGlobeObjectSource> source
            = CreateGlobeClass<TGlobeObjectSource, TLayeredGlobe&>(readerClass, globe);
        auto* reader = dynamic_cast<TGlobeFileReader*>(source.get());
        if (!reader)
            throw EGlobeException("Class " + Excerpt(readerClass) + " is not a file reader");
        reader->SetFileName(fileName);
        layer.SetObjectSource(source.release());
    }
    layer.ObjectSource().SetActive(true);
    return layer.Index();
}

void ZoomToMER(TGlobe4& globe, const TMER& mer)
{
    globe.Projection().SetOrigin({ globe.CanvasWidth() / 2, globe.CanvasHeight() / 2 });
    if (mer.Width != 0 && mer.Height != 0)
        globe.ZoomToRect(0, 0, mer.Width, mer.Height);
    globe.CenterOn(mer.Left + mer.Width / 2, mer.Bottom + mer.Height / 2);
}

void ZoomToLayer(TGlobeLayer& layer)
{
    auto* globe = dynamic_cast<TGlobe4*>(&layer.Globe());
    if (globe)
        ZoomToMER(*globe, layer.GetLayerMER());
}

void ZoomToBitmap(TGlobe4& globe, TBitmapObject& bitmap)
{
    ZoomToMER(globe, bitmap.GetMER());
}

bool SameDevicePoint(const TGlobeProjection& projection, const TGeoPoint& a, const TGeoPoint& b)
{
    return projection.GeoToXY(a).point == projection.GeoToXY(b).point;
}
