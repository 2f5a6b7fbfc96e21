// What the layer-file fuzz targets share: an offscreen application and one
// globe per process with a tiny object cache, so that loading, trimming and
// reloading objects all run on every input. (A globe built per input held
// the targets to tens of inputs a second.)
#pragma once

#include "LayerTestGlobe.h"
#include "formats/GlobeLYRReader.h"
#include "formats/GlobeLYRWriter.h"
#include "geo/GeoDataObject.h"
#include "geo/GlobeStream.h"
#include "view/GlobeLayer.h"
#include "view/GlobeObjectSource.h"

#include <QGuiApplication>

#include <cstdlib>
#include <memory>
#include <string>

inline void StartFuzzApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = { name, nullptr };
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication application(argc, argv);
    RegisterLayerFileClasses();
}

inline LayerTestGlobe& FuzzGlobe()
{
    static LayerTestGlobe globe(64, 32);
    return globe;
}

// A new layer of the process's globe for one input, deleted with it; what an
// earlier input left (layers, notifications, progress) is forgotten first.
class TFuzzLayer {
public:
    TFuzzLayer()
        : globe(FuzzGlobe())
    {
        Forget();
        globe.ObjectCache().CacheCapacity = 1;
        layer = &globe.store->CreateLayer("TGlobeLayer");
    }
    ~TFuzzLayer() { Forget(); }
    TFuzzLayer(const TFuzzLayer&) = delete;
    TFuzzLayer& operator=(const TFuzzLayer&) = delete;

    LayerTestGlobe& globe;
    TGlobeLayer* layer = nullptr;

private:
    void Forget()
    {
        globe.store->Clear();
        globe.notifications.clear();
        globe.progress.clear();
    }
};

// Reads every object of an open source, saves each again and draws the layer.
inline void ExerciseSource(LayerTestGlobe& globe, TGlobeLayer& layer)
{
    TGlobeObjectSource& source = layer.ObjectSource();
    if (!source.Active())
        return;
    (void)source.GetSourceMER();
    for (int i = 0; i < source.Count(); ++i) {
        TGlobeStreamWriter writer;
        source.GetObject(i).SaveToStream(writer);
    }
    globe.BeginDraw();
    layer.Render();
    (void)globe.Picture();
    (void)layer.ObjectAtLocation({ 0, 0, 0 });
}

// A small layer file: two polylines, a point and a polygon with a presenter.
inline void WriteFourObjectLayer(const std::string& fileName)
{
    LayerTestGlobe globe;
    TGlobeLayer& layer = globe.store->CreateLayer("TGlobeLayer");
    TGlobeObjectSource& source = layer.ObjectSource();
    for (int k = 0; k < 4; ++k) {
        auto* object = new TGeoDataObject(&source);
        object->Title = "object " + std::to_string(k);
        object->SetPresenterID(k == 3 ? -2 : 0);
        if (k == 2)
            continue;
        for (int p = 0; p < 5; ++p)
            object->Chains.Chain(0).Add({ (k * 7 + p) * 90000, (p * p - k) * 90000, 0 });
        object->SetClosed(k == 3);
    }
    TGlobeLYRWriter(layer).WriteToFile(fileName);
}
