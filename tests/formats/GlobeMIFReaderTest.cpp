#include "formats/GlobeMIFReader.h"
#include "FileReaderFixture.h"
#include "FormatTestFiles.h"
#include "geo/GXml.h"
#include "geo/GeoDataObject.h"
#include "view/GlobeLayer.h"
#include "view/GlobePresenterStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using ::testing::HasSubstr;
using enum TGlobeObjectState;

namespace {

const char* const HEADER = "Version 300\nCharset \"WindowsLatin1\"\nDelimiter \",\"\n"
                           "CoordSys Earth Projection 1, 104\nColumns 1\n  name Char(20)\nData\n\n";

class MIFReaderTest : public FileReaderFixture<TGlobeMIFReader> {
protected:
    // Writes name.mif and, unless mid is null, name.mid; answers the MIF's path.
    std::string Write(const std::string& name, const std::string& mif, const char* mid = nullptr)
    {
        std::ofstream(Path(name + ".mif"), std::ios::binary) << mif;
        if (mid)
            std::ofstream(Path(name + ".mid"), std::ios::binary) << mid;
        return Path(name + ".mif");
    }
};

} // namespace

TEST_F(MIFReaderTest, RealCountriesWithMIDLinesAsTitles)
{
    for (const char* extension : { ".mif", ".mid" })
        QFile::copy(QString::fromStdString(TestFile(std::string("ne_50m_countries") + extension)),
            QString::fromStdString(Path(std::string("ne_50m_countries") + extension)));
    TGlobeMIFReader& reader = Open(Path("ne_50m_countries.mif"));
    ASSERT_TRUE(reader.Active());
    EXPECT_EQ(reader.Name, "ne_50m_countries.mif");
    EXPECT_EQ(reader.MIFVersion(), 300);
    EXPECT_EQ(reader.MIDDelimiter, ",");
    EXPECT_EQ(reader.MIFCoordSys, "CoordSys Earth Projection 1, 104");
    EXPECT_EQ(reader.MIDColumnNames, (std::vector<std::string> { "id=Char(254)", "name=Char(254)" }));
    ASSERT_EQ(reader.Count(), 241);
    int chains = 0;
    for (int i = 0; i < reader.Count(); ++i) {
        chains += Object(reader, i).Chains.Count();
        EXPECT_TRUE(reader.GetObject(i).Closed());
    }
    EXPECT_EQ(chains, 1629);
    EXPECT_EQ(reader.GetObject(0).Title, "\"716\",\"Zimbabwe\"");
    // GDAL writes the same Pen and Brush after every region: one presenter.
    ASSERT_EQ(reader.Presenters().Count(), 1);
    const auto& presenter = dynamic_cast<const TPolygonPresenter&>(reader.Presenters().Presenters(0));
    EXPECT_EQ(presenter.PolyBrush.BrushStyle(), TGlobeBrushStyle::bsClear);
    EXPECT_EQ(reader.GetObject(240).PresenterID(), presenter.PresenterID);
}

TEST_F(MIFReaderTest, CoordSysMustBeLongitudeLatitude)
{
    std::string header = HEADER;
    EXPECT_TRUE(Open(Write("lonlat", header + "Point 1 2\n")).Active());
    header.replace(header.find("CoordSys"), std::string("CoordSys Earth Projection 1, 104").size(),
        "CoordSys NonEarth Units \"m\"");
    EXPECT_EQ(
        OpenFailure(Write("nonearth", header + "Point 1 2\n")), "MIF Import only supports Lat/Long tables.");
}

TEST_F(MIFReaderTest, SemicolonDelimiter)
{
    std::string header = HEADER;
    header.replace(header.find("Delimiter \",\""), 13, "Delimiter \";\"");
    EXPECT_EQ(Open(Write("semicolon", header + "Point 1 2\n", "\"a\";1\n")).MIDDelimiter, ";");
}

TEST_F(MIFReaderTest, RegionsWithTheSameStyleShareOnePresenter)
{
    TGlobeMIFReader& reader = Open(Write("styles",
        std::string(HEADER)
            + "Region 1\n 3\n0 0\n1 0\n1 1\n    Pen (1,2,0)\n    Brush (2,16711680)\n"
              "Region 2\n 3\n2 2\n3 2\n3 3\n 3\n4 4\n5 4\n5 5\n    Pen (1,2,0)\n    Brush (2,16711680)\n"
              "Region 1\n 3\n6 6\n7 6\n7 7\n    Brush (2,255)\n"
              "Pline 2\n0 0\n1 1\n    Pen (1,2,0)\n"));
    ASSERT_EQ(reader.Count(), 4);
    EXPECT_EQ(Object(reader, 1).Chains.Count(), 2);
    const int32_t shared = reader.GetObject(0).PresenterID();
    EXPECT_EQ(reader.GetObject(1).PresenterID(), shared);
    const auto* presenter = dynamic_cast<const TPolygonPresenter*>(reader.Presenters().ByID(shared, false));
    ASSERT_NE(presenter, nullptr);
    EXPECT_EQ(presenter->PolyPen.PenColor(), 0);
    EXPECT_EQ(presenter->PolyPen.PenStyle(), TPenStyle::psSolid);
    EXPECT_EQ(presenter->PolyPen.PenWidth(), 1);
    EXPECT_EQ(presenter->PolyPen.PenUnit(), TGlobeUnitTypes::Pixel);
    EXPECT_EQ(presenter->PolyBrush.BrushStyle(), TGlobeBrushStyle::bsSolid);
    EXPECT_EQ(presenter->PolyBrush.BrushColor(), 0x0000FF);

    // Without a Pen line the previous pen carries over; the new brush is blue.
    const auto* third = dynamic_cast<const TPolygonPresenter*>(
        reader.Presenters().ByID(reader.GetObject(2).PresenterID(), false));
    ASSERT_NE(third, nullptr);
    EXPECT_NE(third->PresenterID, shared);
    EXPECT_TRUE(third->PolyPen.Equals(presenter->PolyPen));
    EXPECT_EQ(third->PolyBrush.BrushColor(), 0xFF0000);

    // A polyline never gets a polygon presenter, which would close it.
    EXPECT_NE(dynamic_cast<const TPolylinePresenter*>(
                  reader.Presenters().ByID(reader.GetObject(3).PresenterID(), false)),
        nullptr);
}

TEST_F(MIFReaderTest, PolylinesPointsLinesAndTexts)
{
    TGlobeMIFReader& reader = Open(Write("objects",
        std::string(HEADER)
            + "Pline Multiple 2\n 2\n0 0\n1 1\n 3\n2 2\n3 3\n4 4\n    Pen (2,2,255)\n    Smooth\n"
              "Point -43.2 -22.9\n    Symbol (35,0,12)\n"
              "Line 0 0 10 10\n    Pen (1,2,0)\n"
              "Text\n    \"Rio de\\nJaneiro\"\n    -43.3 -23 -43 -22.9\n    Font (\"Arial\",0,0,255)\n"
              "    Angle 45\n",
        "\"a\"\n\"b\"\n\"c\"\n\"d\"\n"));
    ASSERT_EQ(reader.Count(), 4);
    TGeoDataObject& pline = Object(reader, 0);
    EXPECT_FALSE(pline.Closed());
    ASSERT_EQ(pline.Chains.Count(), 2);
    EXPECT_EQ(pline.Chains.Chain(1).Count(), 3);
    EXPECT_EQ(pline.Title, "\"a\"");

    TGeoDataObject& point = Object(reader, 1);
    EXPECT_EQ(point.Chains.Count(), 0);
    EXPECT_EQ(point.GetCentroid().Long, DegreesToGeoPoint(-43.2L, -22.9L).Long);
    EXPECT_NE(
        dynamic_cast<const TPointPresenter*>(reader.Presenters().ByID(point.PresenterID(), false)), nullptr);

    TGeoDataObject& line = Object(reader, 2);
    ASSERT_EQ(line.Chains.Count(), 1);
    EXPECT_EQ(line.Chains.Chain(0).Point(1).Lat, 10 * GU_DEGREE);

    TGeoDataObject& text = Object(reader, 3);
    EXPECT_EQ(text.Title, "Rio de Janeiro");
    EXPECT_EQ(text.GetCentroid().Lat, DegreesToGeoPoint(-43.3L, -23.0L).Lat);
    const auto* presenter
        = dynamic_cast<const TPointPresenter*>(reader.Presenters().ByID(text.PresenterID(), false));
    ASSERT_NE(presenter, nullptr);
    EXPECT_EQ(presenter->TitleFont.FontColor(), 0xFF0000);
    EXPECT_EQ(presenter->TitleFont.FontAngle(), 450);
    EXPECT_EQ(presenter->TitleFont.FontUnit(), TGlobeUnitTypes::Meter);
    EXPECT_NEAR(presenter->TitleFont.FontSize(), 11100, 200) << "a tenth of a degree of latitude";
}

// A text angle is taken modulo a turn, so that any number a damaged file
// holds fits the font's tenths of a degree.
TEST_F(MIFReaderTest, TextAnglesLoseTheirWholeTurns)
{
    const struct {
        const char* angle;
        int32_t tenths;
    } cases[] = { { "45", 450 }, { "370", 100 }, { "-725", -50 }, { "720", 0 },
        { "388888888888888888888888880", 1120 }, { "1e308", 2960 } };
    for (const auto& c : cases) {
        TGlobeMIFReader& reader = Open(Write(std::string("angle") + c.angle,
            std::string(HEADER) + "Text\n    \"T\"\n    0 0 1 1\n    Font (\"Arial\",0,0,0)\n    Angle " + c.angle
                + "\n",
            "\"a\"\n"));
        ASSERT_EQ(reader.Count(), 1) << c.angle;
        const auto* presenter = dynamic_cast<const TPointPresenter*>(
            reader.Presenters().ByID(reader.GetObject(0).PresenterID(), false));
        ASSERT_NE(presenter, nullptr) << c.angle;
        EXPECT_EQ(presenter->TitleFont.FontAngle(), c.tenths) << c.angle;
    }
}

TEST_F(MIFReaderTest, SkippedObjectsKeepTheirMIDRecordsAndTitlesDefault)
{
    TGlobeMIFReader& reader = Open(Write("skipped",
        std::string(HEADER)
            + "Arc 0 0 1 1 0 90\nRect 0 0 1 1\nEllipse 0 0 1 1\n"
              "Collection 1\nMultipoint 1\n5 5\nRegion 1\n 3\n0 0\n1 0\n1 1\n",
        "arc\nrect\nellipse\ncollection\nregion\n"));
    ASSERT_EQ(reader.Count(), 1);
    EXPECT_EQ(reader.GetObject(0).Title, "region");

    TGlobeMIFReader& untitled
        = Open(Write("untitled", std::string(HEADER) + "Region 1\n 3\n0 0\n1 0\n1 1\nPline 2\n0 0\n1 1\n"));
    EXPECT_EQ(untitled.GetObject(0).Title, "New Polygon");
    EXPECT_EQ(untitled.GetObject(1).Title, "New Polyline");
}

TEST_F(MIFReaderTest, BrokenObjectsNameFileAndLine)
{
    const std::string count = Write("count", std::string(HEADER) + "Region x\n");
    EXPECT_THAT(OpenFailure(count), HasSubstr(count + ", line 9"));
    const std::string shortRing
        = Write("short", std::string(HEADER) + "Region 1\n 4\n0 0\n1 0\n    Pen (1,2,0)\n");
    EXPECT_THAT(OpenFailure(shortRing), HasSubstr("announces 4 points, found 2"));
    EXPECT_THAT(OpenFailure(Write("number", std::string(HEADER) + "Point 1 x\n")),
        HasSubstr("StrToExtended: Conversion failed for x"));
    EXPECT_FALSE(Open(Path("missing.mif")).Active());
}

TEST_F(MIFReaderTest, MetaDataFileKeepsPresentersTitlesAndHeader)
{
    const std::string name = Write("meta",
        std::string(HEADER)
            + "Region 1\n 3\n0 0\n1 0\n1 1\n    Pen (1,2,0)\n    Brush (2,16711680)\n"
              "Pline 2\n0 0\n1 1\n    Pen (3,2,255)\n",
        "\"first\"\n\"second\"\n");
    TGlobeMIFReader& first = Open(name);
    EXPECT_EQ(first.RecordsRead(), 2);
    globe.store->RemoveLayer(*layer);
    ASSERT_TRUE(std::filesystem::exists(name + ".md"));

    TGlobeMIFReader& second = Open(name);
    EXPECT_EQ(second.RecordsRead(), 0);
    ASSERT_EQ(second.Count(), 2);
    EXPECT_EQ(second.Presenters().Count(), 2);
    EXPECT_EQ(second.MIFVersion(), 300);
    EXPECT_EQ(second.MIDDelimiter, ",");
    EXPECT_EQ(second.MIDColumnNames, (std::vector<std::string> { "name=Char(20)" }));
    EXPECT_TRUE(second.GetObjectState(0).contains(osClosed));
    EXPECT_EQ(second.GetObject(1).Title, "\"second\"");
    EXPECT_EQ(second.GetObject(0).Title, "\"first\"");
    const auto* pline = dynamic_cast<const TPolylinePresenter*>(
        second.Presenters().ByID(second.GetObject(1).PresenterID(), false));
    ASSERT_NE(pline, nullptr);
    EXPECT_EQ(pline->PolyPen.PenWidth(), 3);
}

TEST_F(MIFReaderTest, EnvironmentReopensTheFile)
{
    TGlobeMIFReader& reader = Open(Write("env", std::string(HEADER) + "Point 1 2\n"));
    reader.TitleColumn = 3;
    const auto element = reader.SaveEnvironment();
    EXPECT_EQ(element->StringAttr("MIDDelimiter"), ",");
    EXPECT_EQ(element->StringAttr("TitleColumn"), "3");
    EXPECT_EQ(element->StringAttr("MIFCoordSys"), "CoordSys Earth Projection 1, 104");

    auto* loaded = new TGlobeMIFReader(globe);
    globe.store->CreateLayer("TGlobeLayer").SetObjectSource(loaded);
    loaded->LoadEnvironment(element.get());
    EXPECT_TRUE(loaded->Active());
    EXPECT_EQ(loaded->Count(), 1);
    EXPECT_EQ(loaded->TitleColumn, 3);
}

TEST_F(MIFReaderTest, EmptyRegionsAndPolylinesAreNeverDrawnNorHit)
{
    const std::string name = Write("empty",
        std::string(HEADER)
            + "Region 0\n    Pen (1,2,0)\n    Brush (2,255)\n"
              "Pline Multiple 0\n    Pen (1,2,0)\n"
              "Region 1\n 4\n10 10\n11 10\n11 11\n10 10\n    Pen (1,2,0)\n    Brush (2,255)\n",
        "\"Vatican\"\n\"nothing\"\n\"square\"\n");
    for (int opening = 0; opening < 2; ++opening) {
        TGlobeMIFReader& reader = Open(name);
        ASSERT_EQ(reader.Count(), 3);
        EXPECT_EQ(reader.RecordsRead(), opening == 0 ? 3 : 0);
        EXPECT_TRUE(reader.GetObjectState(0).contains(osHidden));
        EXPECT_TRUE(reader.GetObjectState(1).contains(osHidden));
        EXPECT_FALSE(reader.GetObjectState(2).contains(osHidden));
        EXPECT_EQ(layer->ObjectAtLocation({ 0, 0, 0 }), nullptr);
        EXPECT_EQ(reader.GetObject(0).Title, "\"Vatican\"");
        EXPECT_TRUE(reader.GetObject(0).Hidden());
        globe.store->RemoveLayer(*layer);
    }
    for (const char* line : { "Region 0", "region  0", "Pline 0", "PLINE Multiple 0" })
        EXPECT_TRUE(IsEmptyMIFObject(line)) << line;
    for (const char* line : { "Region 1", "Pline", "Pline Multiple 2", "Point 0 0", "" })
        EXPECT_FALSE(IsEmptyMIFObject(line)) << line;
}
