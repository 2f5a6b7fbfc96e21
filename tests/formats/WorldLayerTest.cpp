// The shipped world layer and the real test layers, drawn: the pictures go
// to the test picture folder for a look.
#include "FormatTestFiles.h"
#include "LayerTestGlobe.h"
#include "formats/GlobeLYRReader.h"
#include "formats/GlobeMIFReader.h"
#include "formats/GlobeSHPReader.h"
#include "geo/GlobeUnits.h"
#include "view/Colors.h"
#include "view/GlobeLayer.h"

#include <gtest/gtest.h>

namespace {

const std::string WorldLayer = std::string(BRUMEX_TEST_DATA) + "/../../data/TGWorld.lyr";

class DrawnLayerTest : public ::testing::Test {
protected:
    DrawnLayerTest()
        : globe(1080, 540)
    {
        globe.metaDataLocation = TSaveMetaDataLocation::smdDiscard;
    }

    TGlobeObjectSource& Open(TGlobeFileReader* reader, const std::string& name)
    {
        layer = &globe.store->CreateLayer("TGlobeLayer");
        layer->SetObjectSource(reader);
        layer->SetShowTitles(true);
        reader->SetFileName(name);
        reader->SetActive(true);
        return *reader;
    }

    // Gives every object one polygon presenter with titles in the middle.
    void PresentAsLand()
    {
        auto presenter = std::make_unique<TPolygonPresenter>(&globe, 0);
        presenter->PolyBrush.SetBrushAttributes(0xC4E0E6, TGlobeBrushStyle::bsSolid);
        presenter->PolyPen.SetPenAttributes(0x6E7A7A, TPenStyle::psSolid, 1, TGlobeUnitTypes::Pixel);
        presenter->TitleFont.SetFontAttributes("Arial", clBlack, 0, 0, TGlobeUnitTypes::Pixel, 9);
        presenter->TitleAlignment = TTitleAlignment::taCenter;
        const int32_t id = layer->Presenters().Add(std::move(presenter));
        for (int i = 0; i < layer->ObjectSource().Count(); ++i)
            layer->ObjectSource().GetObject(i).SetPresenterID(id);
    }

    QImage Draw(const std::string& pictureName)
    {
        globe.BeginDraw();
        layer->Render();
        globe.SavePicture(pictureName);
        return globe.Picture();
    }

    // The pixel of a place on the 1080 x 540 cartesian world.
    static QRgb At(const QImage& picture, double longitude, double latitude)
    {
        return picture.pixel(static_cast<int>((longitude + 180) * 3), static_cast<int>((90 - latitude) * 3));
    }

    LayerTestGlobe globe;
    TGlobeLayer* layer = nullptr;
};

} // namespace

TEST_F(DrawnLayerTest, ShippedWorldLayer)
{
    TGlobeObjectSource& source = Open(new TGlobeLYRReader(globe), WorldLayer);
    ASSERT_EQ(source.Count(), 241);
    ASSERT_EQ(source.Presenters().Count(), 1);
    int brazil = 0;
    for (int i = 0; i < source.Count(); ++i) {
        EXPECT_EQ(source.GetObject(i).PresenterID(), 1);
        brazil += source.GetObject(i).Title == "Brazil" ? 1 : 0;
    }
    EXPECT_EQ(brazil, 1);
    const QImage picture = Draw("world-layer");
    EXPECT_EQ(At(picture, -45, -20), qRgb(0xE6, 0xE0, 0xC4)) << "inland Brazil";
    EXPECT_EQ(At(picture, -30, 0), qRgb(0xFF, 0xFF, 0xFF)) << "the Atlantic";
}

TEST_F(DrawnLayerTest, ShapefileCountriesWithTitles)
{
    auto* reader = new TGlobeSHPReader(globe);
    reader->SetTitleColumn(1);
    Open(reader, TestFile("ne_110m_countries.shp"));
    PresentAsLand();
    const QImage picture = Draw("shp-countries");
    EXPECT_EQ(At(picture, -45, -20), qRgb(0xE6, 0xE0, 0xC4));
    EXPECT_EQ(At(picture, -30, 0), qRgb(0xFF, 0xFF, 0xFF));
}

TEST_F(DrawnLayerTest, MIFCountriesWithTheirOwnPresenter)
{
    Open(new TGlobeMIFReader(globe), TestFile("ne_50m_countries.mif"));
    const QImage picture = Draw("mif-countries");
    // GDAL's regions: black outline, clear brush.
    EXPECT_EQ(At(picture, -50, -10), qRgb(0xFF, 0xFF, 0xFF));
    int ink = 0;
    for (int x = 0; x < picture.width(); ++x)
        ink += picture.pixel(x, 270) != qRgb(0xFF, 0xFF, 0xFF) ? 1 : 0;
    EXPECT_GT(ink, 20) << "coastlines across the equator";
}
