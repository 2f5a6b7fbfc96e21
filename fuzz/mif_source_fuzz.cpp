// Feeds arbitrary text to the MIF source: after the metadata file, the input
// up to its first byte 0x01 is the .mif, the rest the .mid. It may refuse
// them with EGlobeException, nothing else; whatever it opens can be read,
// saved and drawn.
#include "LayerFuzzGlobe.h"
#include "SourceFuzzFiles.h"
#include "formats/GlobeMIFReader.h"

#include <algorithm>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFuzzApplication();
    RegisterMIFReader();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::span<const std::uint8_t> metaData;
    const auto text = SplitMetaData({ data, size }, "fuzz.mif", metaData);
    const auto split = std::find(text.begin(), text.end(), 0x01);
    const auto mif = text.first(static_cast<std::size_t>(split - text.begin()));
    WriteFuzzFile("fuzz.mif", mif);
    if (split == text.end())
        QFile::remove(QString::fromStdString(FuzzPath("fuzz.mid")));
    else
        WriteFuzzFile("fuzz.mid", text.subspan(mif.size() + 1));
    if (!metaData.empty())
        WriteFuzzFile("fuzz.mif.md", metaData);
    TFuzzLayer fuzz;
    LayerTestGlobe& globe = fuzz.globe;
    TGlobeLayer& layer = *fuzz.layer;
    auto* reader = new TGlobeMIFReader(globe);
    layer.SetObjectSource(reader);
    reader->SetFileName(FuzzPath("fuzz.mif"));
    try {
        reader->SetActive(true);
        ExerciseSource(globe, layer);
    } catch (const EGlobeException&) {
    }
    return 0;
}
