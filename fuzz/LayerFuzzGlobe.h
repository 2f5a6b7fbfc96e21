// What the layer-file fuzz targets share: an offscreen application and a
// globe with a tiny object cache, so that loading, trimming and reloading
// objects all run on every input.
#pragma once

#include "LayerTestGlobe.h"
#include "formats/GlobeLYRReader.h"
#include "geo/GlobeStream.h"
#include "view/GlobeLayer.h"
#include "view/GlobeObjectSource.h"

#include <QGuiApplication>

#include <cstdlib>
#include <memory>

inline void StartFuzzApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = { name, nullptr };
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication application(argc, argv);
    RegisterLayerFileClasses();
}

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
