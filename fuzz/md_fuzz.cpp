// Feeds arbitrary bytes as the metadata file of a small valid layer file: a
// bad metadata file is dropped and the layer scanned, a corrupt index entry
// raises EGlobeException when its object is read; nothing else may happen.
#include "LayerFuzzGlobe.h"
#include "SourceFuzzFiles.h"
#include "platform/GlobeException.h"
#include "view/GlobeLayer.h"
#include "view/GlobeObjectSource.h"

#include <string>

namespace {

std::string g_layerFile;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFuzzApplication();
    // The folder goes with the process.
    g_layerFile = FuzzPath("seed.lyr");
    WriteFourObjectLayer(g_layerFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A plain write: the reader's own atomic save of the metadata is what is tested.
    WriteFuzzFile("seed.lyr.md", { data, size });
    TFuzzLayer fuzz;
    LayerTestGlobe& globe = fuzz.globe;
    TGlobeLayer& layer = *fuzz.layer;
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
