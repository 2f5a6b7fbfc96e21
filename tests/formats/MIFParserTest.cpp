#include "formats/MIFParser.h"
#include "platform/GlobeException.h"

#include "FormatTestFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::HasSubstr;

namespace {

const std::string LatLongHeader = "Version 300\n"
                                  "Delimiter \",\"\n"
                                  "CoordSys Earth Projection 1, 104\n"
                                  "Columns 1\n"
                                  "  name Char(20)\n"
                                  "Data\n\n";

// A MIF/MID pair held in memory; the parser reads views of the two texts.
struct TMIFPair {
    std::string mif;
    std::string mid;
    std::unique_ptr<TMIFParser> parser;

    TMIFPair(std::string mifText, std::optional<std::string> midText = std::nullopt)
        : mif(std::move(mifText))
        , mid(midText.value_or(""))
    {
        auto midReader = midText ? std::make_unique<TGlobeTextReader>(BytesOf(mid), "t.mid") : nullptr;
        parser = std::make_unique<TMIFParser>(
            std::make_unique<TGlobeTextReader>(BytesOf(mif), "t.mif"), std::move(midReader));
    }

    // Reads the header, indexes every object and loads each once with its
    // style, the way the object source maps a file.
    std::vector<TMIFObject> Objects()
    {
        parser->ReadHeader();
        std::vector<TMIFObject> objects;
        TMIFIndexEntry entry;
        while (parser->IndexNextObject(entry))
            objects.push_back(parser->LoadObject(entry, true));
        return objects;
    }
};

std::string FailureOf(TMIFPair& pair)
{
    try {
        pair.Objects();
    } catch (const EGlobeException& e) {
        return e.what();
    }
    return "no exception";
}

} // namespace

TEST(MIFParser, ReadsTheRealCountries)
{
    TMIFParser parser(TestFile("ne_50m_countries.mif"));
    ASSERT_TRUE(parser.HasMID());
    const TMIFHeader header = parser.ReadHeader();
    EXPECT_EQ(header.Version, 300);
    EXPECT_EQ(header.Charset, "WindowsLatin1");
    EXPECT_EQ(header.Delimiter, ",");
    EXPECT_EQ(header.CoordSys, "CoordSys Earth Projection 1, 104");
    EXPECT_EQ(header.ColumnNames, (std::vector<std::string> { "id=Char(254)", "name=Char(254)" }));

    std::vector<TMIFIndexEntry> index;
    std::size_t rings = 0, points = 0;
    std::vector<std::string> records;
    TMIFIndexEntry entry;
    while (parser.IndexNextObject(entry)) {
        index.push_back(entry);
        const TMIFObject object = parser.LoadObject(entry, true);
        ASSERT_EQ(object.Kind, TMIFObjectKind::Region);
        ASSERT_TRUE(object.Style.Pen && object.Style.Brush);
        EXPECT_EQ(object.Style.Pen->Pattern, 2);
        EXPECT_EQ(object.Style.Brush->BackColor, 16777215);
        rings += object.Chains.size();
        for (const auto& chain : object.Chains)
            points += chain.size();
        records.push_back(object.MIDRecord.value_or("-"));
    }
    EXPECT_EQ(index.size(), 241u);
    EXPECT_EQ(rings, 1629u);
    EXPECT_EQ(points, 99539u);
    EXPECT_EQ(records.front(), "\"716\",\"Zimbabwe\"");
    EXPECT_EQ(std::count(records.begin(), records.end(), "\"384\",\"C\xF4te d'Ivoire\""), 1);
    EXPECT_EQ(std::count_if(records.begin(), records.end(),
                  [](const std::string& r) { return r.starts_with("\"\","); }),
        5);

    // Objects reread on demand come back the same, with or without style.
    const TMIFObject zimbabwe = parser.LoadObject(index.front(), false);
    EXPECT_EQ(zimbabwe.Chains[0].size(), 169u);
    EXPECT_EQ(zimbabwe.Chains[0][0].Long, 31.2861128611286L);
    EXPECT_EQ(zimbabwe.Chains[0][0].Lat, -22.4024975165377L);
    EXPECT_FALSE(zimbabwe.Style.Pen);
    EXPECT_EQ(parser.LoadObject(index[60], false).MIDRecord, records[60]);
}

TEST(MIFParser, IndexWithoutLoadingFindsTheSameObjects)
{
    TMIFParser parser(TestFile("ne_50m_countries.mif"));
    parser.ReadHeader();
    std::size_t count = 0;
    TMIFIndexEntry entry, last;
    while (parser.IndexNextObject(entry)) {
        ++count;
        last = entry;
    }
    EXPECT_EQ(count, 241u);
    EXPECT_EQ(parser.LoadObject(last, false).MIDRecord, "\"534\",\"Sint Maarten\"");
}

TEST(MIFParser, CoordSysMustBeLongitudeLatitude)
{
    struct Case {
        const char* coordSys;
        bool opens;
    };
    const Case cases[] = {
        { "CoordSys Earth Projection 1, 104", true },
        { "coordsys earth projection 1,0", true },
        { "CoordSys Earth Projection 1, 33 Bounds (-180, -90) (180, 90)", true },
        { "CoordSys NonEarth Units \"m\" Bounds (0, 0) (100, 100)", false },
        { "CoordSys Earth Projection 10, 104, \"m\", 0", false },
        { "CoordSys Earth Projection 8, 104, \"m\", -45, 0, 0.9996, 500000, 10000000", false },
    };
    for (const Case& c : cases) {
        TMIFPair pair(std::string("Version 300\n") + c.coordSys + "\nData\nPoint 1 2\n");
        if (c.opens) {
            EXPECT_EQ(pair.Objects().size(), 1u) << c.coordSys;
        } else {
            EXPECT_EQ(FailureOf(pair), "MIF Import only supports Lat/Long tables.") << c.coordSys;
        }
    }
    // The format takes a table without a CoordSys line as longitude/latitude.
    TMIFPair bare("Version 300\nData\nPoint 1 2\n");
    EXPECT_EQ(bare.Objects().size(), 1u);
}

TEST(MIFParser, HeaderValues)
{
    TMIFPair pair("VERSION 450\nCharset \"Neutral\"\nDelimiter \";\"\nColumns 2\n  id Integer\n  "
                  "name Char(10)\nDATA\n");
    const TMIFHeader header = pair.parser->ReadHeader();
    EXPECT_EQ(header.Version, 450);
    EXPECT_EQ(header.Charset, "Neutral");
    EXPECT_EQ(header.Delimiter, ";");
    EXPECT_EQ(header.CoordSys, "");
    EXPECT_EQ(header.ColumnNames, (std::vector<std::string> { "id=Integer", "name=Char(10)" }));
    TMIFIndexEntry entry;
    EXPECT_FALSE(pair.parser->IndexNextObject(entry));

    TMIFPair tabbed("Version 1\nData\n");
    EXPECT_EQ(tabbed.parser->ReadHeader().Delimiter, "\t");
}

TEST(MIFParser, RegionsKeepEveryRingAndTheirStyleLines)
{
    TMIFPair pair(LatLongHeader
            + "Region 2\n  3\n0 0\n1 0\n0 1\n  4\n5 5\n6 5\n6 6\n5 5\n"
              "    Pen (1,2,0)\n    Brush (2,16711680)\n    Center 0.5 0.5\n"
              "Region 1\n  3\n0 0\n-1 0\n0 -1\n"
              "Region 1\n  3\n1 1\n2 1\n1 2\n    Pen (1,2,0)\n    Brush (2,16711680)\n",
        "\"first\"\n\"second\"\n\"third\"\n");
    const auto objects = pair.Objects();
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(objects[0].Chains.size(), 2u);
    EXPECT_EQ(objects[0].Chains[1].size(), 4u);
    EXPECT_EQ(objects[0].Chains[1][1].Long, 6.0L);
    EXPECT_EQ(objects[0].MIDRecord, "\"first\"");
    ASSERT_TRUE(objects[0].Style.Pen && objects[0].Style.Brush);
    EXPECT_EQ(objects[0].Style.Pen->Width, 1);
    EXPECT_EQ(objects[0].Style.Pen->Pattern, 2);
    EXPECT_EQ(objects[0].Style.Pen->Color, 0);
    EXPECT_EQ(objects[0].Style.Brush->Pattern, 2);
    EXPECT_EQ(MIFColor(objects[0].Style.Brush->ForeColor), 0x0000FFu) << "red as $00BBGGRR";
    EXPECT_FALSE(objects[0].Style.Brush->BackColor);
    // No Pen line: the source keeps using the previous object's pen.
    EXPECT_FALSE(objects[1].Style.Pen);
    EXPECT_EQ(objects[1].MIDRecord, "\"second\"");
    EXPECT_EQ(objects[2].Style.Brush->ForeColor, objects[0].Style.Brush->ForeColor);
}

TEST(MIFParser, PolylinesOfEveryVersion)
{
    struct Case {
        const char* version;
        const char* pline;
        std::vector<std::size_t> chainSizes;
    };
    const Case cases[] = {
        { "1", "Pline 3\n0 0\n1 1\n2 2\n", { 3 } },
        { "300", "Pline\n  2\n0 0\n1 1\n", { 2 } },
        { "300", "Pline 2\n0 0\n1 1\n", { 2 } },
        { "300", "Pline Multiple 2\n  2\n0 0\n1 1\n  3\n5 5\n6 6\n7 7\n", { 2, 3 } },
        { "450", "Pline 4\n0 0\n1 1\n2 2\n3 3\n", { 4 } },
        { "650", "PLINE MULTIPLE 3\n 1\n0 0\n 1\n1 1\n 2\n2 2\n3 3\n", { 1, 1, 2 } },
    };
    for (const Case& c : cases) {
        TMIFPair pair(
            std::string("Version ") + c.version + "\nData\n" + c.pline + "    Pen (2,3,255)\n    Smooth\n");
        const auto objects = pair.Objects();
        ASSERT_EQ(objects.size(), 1u) << c.pline;
        EXPECT_EQ(objects[0].Kind, TMIFObjectKind::Pline);
        std::vector<std::size_t> sizes;
        for (const auto& chain : objects[0].Chains)
            sizes.push_back(chain.size());
        EXPECT_EQ(sizes, c.chainSizes) << c.pline;
        ASSERT_TRUE(objects[0].Style.Pen);
        EXPECT_EQ(objects[0].Style.Pen->Width, 2);
        EXPECT_EQ(PenStyleOfPattern(objects[0].Style.Pen->Pattern), 1) << "psDash";
        EXPECT_TRUE(objects[0].Style.Smooth);
    }
}

TEST(MIFParser, PointsLinesAndTexts)
{
    TMIFPair pair(LatLongHeader
            + "Point -43.2 -22.9\n    Symbol (35,16711680,12)\n"
              "Line 0 0 10 10\n    Pen (x,2,65280)\n"
              "Text\n    \"Rio de\\nJaneiro\"\n    -43.5 -23.1 -43.0 -22.8\n"
              "    Font (\"Arial, Narrow\",1,12,255,16777215)\n    Angle 30.5\n    Justify Center\n"
              "Text \"Niter\xF3i\"\n    -43.1 -22.9 -43.0 -22.85\n",
        "\"p\"\n\"l\"\n\"t\"\n");
    const auto objects = pair.Objects();
    ASSERT_EQ(objects.size(), 4u);
    EXPECT_EQ(objects[0].Kind, TMIFObjectKind::Point);
    EXPECT_EQ(objects[0].Position.Long, -43.2L);
    EXPECT_EQ(objects[0].Position.Lat, -22.9L);
    EXPECT_EQ(objects[0].Style.Symbol->Values, (std::vector<std::string> { "35", "16711680", "12" }));

    EXPECT_EQ(objects[1].Kind, TMIFObjectKind::Line);
    ASSERT_EQ(objects[1].Chains.size(), 1u);
    EXPECT_EQ(objects[1].Chains[0][1].Lat, 10.0L);
    EXPECT_EQ(objects[1].Style.Pen->Width, 1) << "an unreadable width counts as 1";

    EXPECT_EQ(objects[2].Kind, TMIFObjectKind::Text);
    EXPECT_EQ(objects[2].Text, "Rio de Janeiro");
    EXPECT_EQ(objects[2].Position.Long, -43.5L);
    EXPECT_EQ(objects[2].Corner2.Lat, -22.8L);
    EXPECT_EQ(objects[2].MIDRecord, "\"t\"");
    ASSERT_TRUE(objects[2].Style.Font);
    EXPECT_EQ(objects[2].Style.Font->Name, "Arial, Narrow");
    EXPECT_EQ(objects[2].Style.Font->Size, 12);
    EXPECT_EQ(objects[2].Style.Font->ForeColor, 255);
    EXPECT_EQ(objects[2].Style.Font->BackColor, 16777215);
    EXPECT_EQ(objects[2].Style.Angle, 30.5);

    EXPECT_EQ(objects[3].Text, "Niter\xF3i") << "text on the keyword's line";
    EXPECT_FALSE(objects[3].MIDRecord) << "the MID file has only three records";
}

TEST(MIFParser, ObjectsNotReadAreSkippedWithTheirMIDRecords)
{
    TMIFPair pair(LatLongHeader
            + "Arc 0 0 1 1\n  0 90\n    Pen (1,2,0)\n"
              "Rect 0 0 1 1\n    Pen (1,2,0)\n    Brush (2,255)\n"
              "Ellipse 0 0 1 1\n"
              "Point 5 5\n"
              "Multipoint 2\n1 1\n2 2\n"
              "Collection 2\n  Region 1\n    3\n0 0\n1 0\n0 1\n  Pline 2\n0 0\n1 1\n"
              "None\n"
              "Region 1\n  3\n0 0\n1 0\n0 1\n",
        "\"arc\"\n\"rect\"\n\"ellipse\"\n\"point\"\n\"multi\"\n\"collection\"\n\"none\"\n\"region\"\n");
    const auto objects = pair.Objects();
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0].MIDRecord, "\"point\"");
    EXPECT_EQ(objects[1].Kind, TMIFObjectKind::Region);
    EXPECT_EQ(objects[1].MIDRecord, "\"region\"");
}

TEST(MIFParser, WithoutMIDObjectsHaveNoRecord)
{
    TMIFPair pair(LatLongHeader + "Region 1\n  3\n0 0\n1 0\n0 1\n");
    const auto objects = pair.Objects();
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_FALSE(objects[0].MIDRecord);
    EXPECT_FALSE(pair.parser->HasMID());
}

TEST(MIFParser, LastObjectWithoutLineEndIsRead)
{
    TMIFPair pair("Version 300\r\nData\r\n\r\nPoint 1 2\r\nPoint 3 4");
    const auto objects = pair.Objects();
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[1].Position.Lat, 4.0L);
}

TEST(MIFParser, IndexingGoesOnAfterObjectsLoadedWithoutStyle)
{
    TMIFPair pair(LatLongHeader + "Point 1 2\nLine 0 0 1 1\nPoint 3 4\n    Symbol (35,0,12)\n");
    pair.parser->ReadHeader();
    std::vector<TMIFObjectKind> kinds;
    TMIFIndexEntry entry;
    while (pair.parser->IndexNextObject(entry) && kinds.size() < 10)
        kinds.push_back(pair.parser->LoadObject(entry, false).Kind);
    EXPECT_EQ(kinds, (std::vector { TMIFObjectKind::Point, TMIFObjectKind::Line, TMIFObjectKind::Point }));
}

TEST(MIFParser, BrokenObjectsNameFileAndLine)
{
    struct Case {
        const char* data;
        const char* message;
    };
    const Case cases[] = {
        { "Region x\n", "t.mif, line 8: 'x' is not a valid integer value (the polygon count)" },
        { "Region 1\n  abc\n0 0\n", "t.mif, line 9: 'abc' is not a valid integer value (the point count)" },
        { "Region 1\n  5\n0 0\n1 1\n    Pen (1,2,0)\n",
            "t.mif, line 12: polygon 1 announces 5 points, found 2" },
        { "Region 1\n  5\n0 0\n1 1\n", "t.mif, line 11: polygon 1 announces 5 points, found 2" },
        { "Region 3\n  1\n0 0\nRegion 1\n", "t.mif, line 11: Region announces 3 polygons, found 1" },
        { "Region -2\n", "t.mif, line 8: the polygon count -2 is negative" },
        { "Region 1\n  2\n0 0\n1,5 1\n", "t.mif, line 11: StrToExtended: Conversion failed for 1,5" },
        { "Point 1\n", "t.mif, line 8: StrToExtended: Conversion failed for " },
        { "Point nan 1\n", "t.mif, line 8: StrToExtended: Conversion failed for nan" },
        { "Pline Multiple 2\n  1\n0 0\n", "t.mif, line 10: Pline announces 2 sections, found 1" },
        { "Pline\n", "t.mif, line 8: Pline without its point count" },
        { "Line 0 0 1 1\n    Pen (1)\n", "t.mif, line 9: Pen clause without the pen pattern" },
        { "Region 1\n 1\n0 0\n    Brush (2,red)\n", "t.mif, line 11: 'red' is not a valid integer value" },
        { "Text\n", "t.mif, line 8: Text without its text" },
        { "Text \"a\"\n", "t.mif, line 8: Text without its box" },
        { "Collection 1\n  Arc 0 0 1 1\n", "t.mif, line 9: 'Arc' is not a part of a collection" },
    };
    for (const Case& c : cases) {
        TMIFPair pair(LatLongHeader + c.data);
        EXPECT_THAT(FailureOf(pair), HasSubstr(c.message)) << c.data;
    }
}

TEST(MIFParser, StyleTables)
{
    EXPECT_EQ(MIFColor(0xFF0000), 0x0000FFu);
    EXPECT_EQ(MIFColor(0x123456), 0x563412u);
    EXPECT_EQ(MIFColor(0x7F123456), 0x563412u) << "only 24 bits are a colour";

    // psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame.
    const std::pair<int, int> pens[] = { { 1, 5 }, { 2, 0 }, { 3, 1 }, { 9, 1 }, { 10, 2 }, { 13, 2 },
        { 14, 3 }, { 16, 3 }, { 17, 0 }, { 19, 0 }, { 20, 4 }, { 25, 4 }, { 26, 0 }, { 70, 0 }, { 71, 6 },
        { 77, 6 }, { 78, 0 }, { 0, 0 }, { -3, 0 } };
    for (auto [pattern, style] : pens)
        EXPECT_EQ(PenStyleOfPattern(pattern), style) << pattern;

    const int brushes[] = { 0, 1, 0, 2, 3, 5, 4, 6, 7, 8, 39, 33, 36, 40, 8, 42, 2, 10, 11, 12, 13, 3, 15, 16,
        17, 18, 4, 20, 21, 22, 23, 5, 25, 26, 27, 28, 6, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42,
        43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 53, 52, 51, 57 };
    for (int pattern = 0; pattern < 69; ++pattern)
        EXPECT_EQ(BrushStyleOfPattern(pattern), brushes[pattern]) << pattern;
    EXPECT_EQ(BrushStyleOfPattern(69), 0);
    EXPECT_EQ(BrushStyleOfPattern(1000), 0);
}
