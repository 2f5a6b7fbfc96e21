// Feeds arbitrary bytes as the metadata file of a small valid layer file: a
// bad metadata file is dropped and the layer scanned, a corrupt index entry
// raises EGlobeException when its object is read; nothing else may happen.
#include "LayerFuzzGlobe.h"
#include "formats/GlobeLYRWriter.h"
#include "geo/GeoDataObject.h"
#include "platform/GlobeException.h"
#include "platform/SaveFile.h"
#include "view/GlobeLayer.h"
#include "view/GlobeObjectSource.h"

#include <QDir>

#include <filesystem>
#include <string>

namespace {

std::string g_layerFile;

// Two polylines, a point and a polygon with a presenter.
void WriteSeedLayer()
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
    TGlobeLYRWriter(layer).WriteToFile(g_layerFile);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFuzzApplication();
    const std::string folder = QDir::tempPath().toStdString() + "/brumex-md-fuzz-" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    g_layerFile = folder + "/seed.lyr";
    WriteSeedLayer();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string metaName = g_layerFile + ".md";
    SaveFileAtomically(metaName, { data, size });
    LayerTestGlobe globe(64, 32);
    globe.ObjectCache().CacheCapacity = 1;
    TGlobeLayer& layer = globe.store->CreateLayer("TGlobeLayer");
    auto* reader = new TGlobeLYRReader(globe);
    layer.SetObjectSource(reader);
    reader->SetFileName(g_layerFile);
    try {
        reader->SetActive(true);
        ExerciseSource(globe, layer);
    } catch (const EGlobeException&) {
    }
    return 0;
}
