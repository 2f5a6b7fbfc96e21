#include "formats/GpxFile.h"
#include "platform/GlobeException.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::HasSubstr;

namespace {

std::string FailureOf(const char* text)
{
    try {
        ReadGpx(QByteArray(text), "in.gpx");
    } catch (const EGlobeException& e) {
        return e.what();
    }
    ADD_FAILURE() << "no EGlobeException for " << text;
    return {};
}

} // namespace

TEST(GpxFile, ReadsVersionOneZeroAndOneOne)
{
    const char* const documents[] = {
        R"(<?xml version="1.0"?><gpx version="1.0" creator="x" xmlns="http://www.topografix.com/GPX/1/0">
           <time>2020-01-01T00:00:00Z</time>
           <wpt lat="-27.5" lon="-48.25"><ele>3</ele><name> Ilha </name><sym>Anchor</sym><type>1</type></wpt>
           <rte><name>R</name><rtept lat="1" lon="2"/><rtept lat="3" lon="4"><name>b</name></rtept></rte>
           <rte><rtept lat="9" lon="9"/></rte></gpx>)",
        R"(<gpx version="1.1" creator="y" xmlns="http://www.topografix.com/GPX/1/1">
           <metadata><name>ignored</name></metadata>
           <wpt lat="-27.5" lon="-48.25"><name>Ilha</name><sym>Anchor</sym><type>1</type><extensions><x/></extensions></wpt>
           <trk><trkseg><trkpt lat="5" lon="5"/></trkseg></trk>
           <rte><name>R</name><rtept lat="1" lon="2"></rtept><rtept lat="3" lon="4"><name>b</name></rtept></rte>
           <rte><rtept lat="9" lon="9"/></rte></gpx>)",
    };
    for (const char* text : documents) {
        const TGpxData data = ReadGpx(QByteArray(text), "in.gpx");
        ASSERT_EQ(data.Waypoints.size(), 1u);
        EXPECT_EQ(data.Waypoints[0].Lat, -27.5);
        EXPECT_EQ(data.Waypoints[0].Lon, -48.25);
        EXPECT_EQ(data.Waypoints[0].Name, "Ilha");
        EXPECT_EQ(data.Waypoints[0].Symbol, "Anchor");
        EXPECT_EQ(data.Waypoints[0].Type, "1");
        ASSERT_EQ(data.Routes.size(), 2u);
        EXPECT_EQ(data.Routes[0].Name, "R");
        ASSERT_EQ(data.Routes[0].Points.size(), 2u);
        EXPECT_EQ(data.Routes[0].Points[1].Lon, 4);
        EXPECT_EQ(data.Routes[0].Points[1].Name, "b");
    }
}

TEST(GpxFile, WritesWhatItReads)
{
    TGpxData data;
    data.Waypoints.push_back({-27.123456789, 179.999999999, QString::fromUtf8("Açude <&> \"x\""), "Flag", "0"});
    data.Routes.push_back({"Rota", {{1, 2, "Ponto 0", {}, {}}, {-90, -180, "Ponto 1", {}, {}}}});
    const QByteArray bytes = WriteGpx(data);
    EXPECT_THAT(bytes.toStdString(), HasSubstr(R"(<gpx xmlns="http://www.topografix.com/GPX/1/1" version="1.1" creator="Brumex">)"));
    EXPECT_THAT(bytes.toStdString(), HasSubstr(R"(<wpt lat="-27.123456789" lon="179.999999999">)"));
    const TGpxData back = ReadGpx(bytes, "out.gpx");
    ASSERT_EQ(back.Waypoints.size(), 1u);
    EXPECT_EQ(back.Waypoints[0].Name, data.Waypoints[0].Name);
    EXPECT_EQ(back.Waypoints[0].Lat, -27.123456789);
    ASSERT_EQ(back.Routes.size(), 1u);
    EXPECT_EQ(back.Routes[0].Points.size(), 2u);
    EXPECT_EQ(back.Routes[0].Points[1].Lon, -180);
}

TEST(GpxFile, BadInputIsReportedWithFileAndLine)
{
    EXPECT_EQ(FailureOf("<kml/>"), "in.gpx, line 1: not a GPX document");
    EXPECT_EQ(FailureOf(""), "in.gpx, line 1: not a GPX document");
    EXPECT_THAT(FailureOf("<gpx>\n<wpt lat=\"1\" lon=\"2\">"), HasSubstr("in.gpx, line 2: "));
    EXPECT_EQ(FailureOf("<gpx>\n<wpt lat=\"91\" lon=\"0\"/></gpx>"), "in.gpx, line 2: a point without a valid lat");
    EXPECT_EQ(FailureOf("<gpx><wpt lat=\"1\"/></gpx>"), "in.gpx, line 1: a point without a valid lon");
    EXPECT_EQ(FailureOf("<gpx><rte><rtept lat=\"nan\" lon=\"1\"/></rte></gpx>"),
              "in.gpx, line 1: a point without a valid lat");
}
