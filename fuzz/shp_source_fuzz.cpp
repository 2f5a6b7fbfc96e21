// Feeds arbitrary bytes to the shapefile source as a .shp with a metadata
// file: it may refuse them with EGlobeException, nothing else; whatever it
// opens can be read, saved and drawn. The dBASE table is the real one of the
// 110m countries, so titles are read too.
#include "LayerFuzzGlobe.h"
#include "SourceFuzzFiles.h"
#include "formats/GlobeSHPReader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFuzzApplication();
    RegisterSHPReader();
    QFile::copy(QStringLiteral(BRUMEX_TEST_DATA "/naturalearth/ne_110m_countries.dbf"),
        QString::fromStdString(FuzzPath("fuzz.dbf")));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::span<const std::uint8_t> metaData;
    const auto shape = SplitMetaData({ data, size }, "fuzz.shp", metaData);
    WriteFuzzFile("fuzz.shp", shape);
    if (!metaData.empty())
        WriteFuzzFile("fuzz.shp.md", metaData);
    TFuzzLayer fuzz;
    LayerTestGlobe& globe = fuzz.globe;
    TGlobeLayer& layer = *fuzz.layer;
    auto* reader = new TGlobeSHPReader(globe);
    layer.SetObjectSource(reader);
    reader->SetTitleColumn(static_cast<int32_t>(size % 4) - 1);
    reader->SetFileName(FuzzPath("fuzz.shp"));
    try {
        reader->SetActive(true);
        ExerciseSource(globe, layer);
    } catch (const EGlobeException&) {
    }
    return 0;
}
