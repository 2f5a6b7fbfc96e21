// Feeds arbitrary bytes to the layer-file reader: it may refuse them with
// EGlobeException, nothing else; whatever it opens can be read, saved and
// drawn.
#include "LayerFuzzGlobe.h"
#include "geo/GlobeStream.h"
#include "platform/GlobeException.h"
#include "view/GlobeLayer.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFuzzApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TFuzzLayer fuzz;
    LayerTestGlobe& globe = fuzz.globe;
    TGlobeLayer& layer = *fuzz.layer;
    auto* reader = new TGlobeLYRStreamReader(globe);
    layer.SetObjectSource(reader);
    reader->SetStream({ data, size }, "fuzz.lyr");
    try {
        reader->SetActive(true);
        ExerciseSource(globe, layer);
    } catch (const EGlobeException&) {
    }
    return 0;
}
