#include "formats/SHPFile.h"
#include "formats/GlobeDBFReader.h"
#include "formats/MemoryMapStream.h"
#include "geo/GeoMath.h"
#include "geo/GlobeUnits.h"

#include "FormatTestFiles.h"
#include "ShapeFileBuilder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>
#include <fstream>
#include <functional>
#include <limits>

using ::testing::HasSubstr;

namespace {

std::string FailureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EGlobeException& e) {
        return e.what();
    }
    return "no exception";
}

struct TFileTotals {
    std::size_t records = 0, parts = 0, points = 0;
};

TFileTotals Totals(const TSHPFile& file)
{
    TFileTotals totals;
    for (std::size_t position : file.RecordPositions()) {
        const TSHPShape shape = file.ReadShape(position);
        ++totals.records;
        totals.parts += shape.PartCount();
        totals.points += shape.Points.size();
    }
    return totals;
}

} // namespace

TEST(SHPFile, ReadsTheRealCountriesWithTheirIndex)
{
    TMemoryMapStream shp(TestFile("ne_110m_countries.shp"));
    TSHPFile file(shp.Bytes(), shp.FileName());
    EXPECT_EQ(file.Header().ShapeType, 5);
    EXPECT_EQ(file.Header().FileLength, 179840);
    EXPECT_DOUBLE_EQ(file.Header().XMin, -180.0);
    EXPECT_NEAR(file.Header().YMin, -85.609, 0.001);
    EXPECT_NEAR(file.Header().YMax, 83.645, 0.001);

    const TFileTotals totals = Totals(file);
    EXPECT_EQ(totals.records, 177u);
    EXPECT_EQ(totals.parts, 286u);
    EXPECT_EQ(totals.points, 10587u);

    // The .shx points at the same records, and reading a record ends where
    // the next one starts.
    TMemoryMapStream shx(TestFile("ne_110m_countries.shx"));
    const auto index = ReadSHXIndex(shx.Bytes(), shx.FileName());
    const auto positions = file.RecordPositions();
    ASSERT_EQ(index.size(), positions.size());
    for (std::size_t i = 0; i < index.size(); ++i) {
        EXPECT_EQ(index[i].Offset, positions[i]);
        std::size_t next = 0;
        const TSHPShape shape = file.ReadShape(positions[i], &next);
        EXPECT_EQ(shape.RecordNumber, static_cast<std::int32_t>(i + 1));
        EXPECT_EQ(shape.Kind, TSHPShapeKind::Polygon);
        EXPECT_EQ(next, positions[i] + 8 + index[i].ContentLength);
    }

    // North Korea (record 95, 0-based) starts with a zero-area ring of four
    // identical points; every ring repeats its first point at the end.
    const TSHPShape korea = file.ReadShape(positions[95]);
    const auto ring = korea.Part(0);
    ASSERT_EQ(ring.size(), 4u);
    for (const TSHPPoint& p : ring) {
        EXPECT_EQ(p.X, ring[0].X);
        EXPECT_EQ(p.Y, ring[0].Y);
    }
    // Fiji (record 0) is cut at the antimeridian.
    const TSHPShape fiji = file.ReadShape(positions[0]);
    bool touches180 = false;
    for (const TSHPPoint& p : fiji.Points)
        touches180 = touches180 || std::abs(p.X) == 180.0;
    EXPECT_TRUE(touches180);
}

TEST(SHPFile, EveryVertexOfTheRealFilesConvertsAsInExtendedArithmetic)
{
    // GlobeUnits and 3-D points are computed in double where that gives the
    // same integers; here for every vertex the user's files hold.
    for (const char* name : { "ne_110m_countries.shp", "ne_50m_land.shp" }) {
        SCOPED_TRACE(name);
        TMemoryMapStream stream(TestFile(name));
        const TSHPFile file(stream.Bytes(), name);
        std::size_t vertices = 0, differences = 0;
        for (std::size_t position : file.RecordPositions())
            for (const TSHPPoint& p : file.ReadShape(position).Points) {
                const int32_t x = DegToGU(p.X), y = DegToGU(p.Y);
                differences += x != DegToGUExtended(p.X) || y != DegToGUExtended(p.Y);
                differences += GeoTo3D(x, y, 0) != GeoTo3DExtended(x, y, 0);
                differences += TSHPCoordinateCorrection {}.GeoPoint(p)
                    != MakeGeoPoint(DegToGUExtended(p.X), DegToGUExtended(p.Y));
                ++vertices;
            }
        EXPECT_GT(vertices, 10000u);
        EXPECT_EQ(differences, 0u);
    }
}

TEST(SHPFile, LandRecordsMatchTheirVertexCountColumn)
{
    TMemoryMapStream shp(TestFile("ne_50m_land.shp"));
    TSHPFile file(shp.Bytes(), shp.FileName());
    TGlobeDBFReader table(TestFile("ne_50m_land.dbf"));
    const auto positions = file.RecordPositions();
    ASSERT_EQ(positions.size(), 1419u);
    std::size_t rings = 0;
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const TSHPShape shape = file.ReadShape(positions[i]);
        table.ReadRecord(static_cast<std::int32_t>(i + 1));
        ASSERT_EQ(std::to_string(shape.Points.size()), table.FieldValue(1)) << "record " << i;
        rings += shape.PartCount();
    }
    EXPECT_EQ(rings, 1421u);
    // Record 658: four points on one latitude, zero area.
    const TSHPShape flat = file.ReadShape(positions[658]);
    ASSERT_EQ(flat.Points.size(), 4u);
    for (const TSHPPoint& p : flat.Points)
        EXPECT_EQ(p.Y, flat.Points[0].Y);
}

TEST(SHPFile, EveryShapeTypeIsReadAsItsTwoDimensionalShape)
{
    Content null;
    null.I32(0);
    Content point;
    point.I32(1).D(-43.2).D(-22.9);
    Content pointZ;
    pointZ.I32(11).D(1).D(2).D(850).D(0); // x, y, z, m
    Content pointM;
    pointM.I32(21).D(3).D(4).D(99);
    Content lineZM; // two parts, Z block and M block
    lineZM.I32(13).Box().I32(2).I32(3).I32(0).I32(2).Points({ { 0, 0 }, { 1, 1 }, { 2, 2 } });
    lineZM.D(10).D(30).D(10).D(20).D(30).D(0).D(0).D(7).D(8).D(9);
    Content polygonM;
    polygonM.I32(25)
        .Box()
        .I32(1)
        .I32(3)
        .I32(0)
        .Points({ { 0, 0 }, { 1, 0 }, { 0, 0 } })
        .D(0)
        .D(0)
        .D(1)
        .D(2)
        .D(3);
    Content multiPoint;
    multiPoint.I32(8).Box().I32(2).Points({ { 5, 6 }, { 7, 8 } });
    Content multiPointZWithoutZ; // a writer that left the Z block out
    multiPointZWithoutZ.I32(18).Box().I32(1).Points({ { 9, 9 } });
    Content patch;
    patch.I32(31).Box().I32(1).I32(3).I32(0).I32(5).Points({ { 0, 0 }, { 1, 0 }, { 0, 1 } });
    patch.D(0).D(0).D(1).D(2).D(3);

    const auto bytes = ShapeFile(
        { null, point, pointZ, pointM, lineZM, polygonM, multiPoint, multiPointZWithoutZ, patch });
    TSHPFile file(bytes, "types.shp");
    const auto positions = file.RecordPositions();
    ASSERT_EQ(positions.size(), 9u);
    std::vector<TSHPShape> shapes;
    for (std::size_t position : positions)
        shapes.push_back(file.ReadShape(position));

    using K = TSHPShapeKind;
    const K kinds[] = { K::Null, K::Point, K::Point, K::Point, K::PolyLine, K::Polygon, K::MultiPoint,
        K::MultiPoint, K::MultiPatch };
    for (std::size_t i = 0; i < shapes.size(); ++i)
        EXPECT_EQ(shapes[i].Kind, kinds[i]) << i;

    EXPECT_TRUE(shapes[0].Points.empty());
    EXPECT_EQ(shapes[1].Points[0].X, -43.2);
    EXPECT_EQ(shapes[2].Z, std::vector<double> { 850 });
    EXPECT_EQ(shapes[3].Points[0].Y, 4);
    EXPECT_TRUE(shapes[3].Z.empty());
    ASSERT_EQ(shapes[4].PartCount(), 2u);
    EXPECT_EQ(shapes[4].Part(0).size(), 2u);
    EXPECT_EQ(shapes[4].Part(1).size(), 1u);
    EXPECT_EQ(shapes[4].Part(1)[0].X, 2);
    EXPECT_EQ(shapes[4].Z, (std::vector<double> { 10, 20, 30 }));
    EXPECT_EQ(shapes[5].Part(0).size(), 3u);
    EXPECT_EQ(shapes[6].Points.size(), 2u);
    EXPECT_TRUE(shapes[6].PartStarts.empty());
    EXPECT_TRUE(shapes[7].Z.empty());
    EXPECT_EQ(shapes[8].Part(0).size(), 3u);
    EXPECT_EQ(shapes[8].Z, (std::vector<double> { 1, 2, 3 }));
}

TEST(SHPFile, CorruptFilesRaiseClearErrors)
{
    const Content good = Polygon({ 0, 2 }, { { 0, 0 }, { 1, 0 }, { 0, 1 }, { 0, 0 } });
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        const char* message;
    };
    // The record header is at 100, the shape type at 108, the part and point
    // counts at 144 and 148, the part starts at 152, the points from 160.
    const Case cases[] = {
        { "not a shapefile", [](auto& b) { PutBE32(b, 0, 1234); }, "Invalid SHP file " },
        { "wrong version", [](auto& b) { PutLE32(b, 28, 999); }, "Invalid SHP file version " },
        { "header cut short", [](auto& b) { b.resize(60); }, "file header (offset 60): truncated" },
        { "record beyond the file", [](auto& b) { PutBE32(b, 104, 500); },
            "shp, record header (offset 108): record 1 of 1000 bytes runs past the end, only 116 left" },
        { "negative content length", [](auto& b) { PutBE32(b, 104, -4); }, "content length -4 is negative" },
        { "record header cut short", [](auto& b) { b.resize(b.size() + 4, 0); },
            "truncated: the content length" },
        { "part index beyond the point count", [](auto& b) { PutLE32(b, 156, 9); },
            "record 1 (offset 160): part 1 starts at point 9, beyond the point count 4" },
        { "parts out of order", [](auto& b) { PutLE32(b, 152, 3); },
            "part 1 starts at point 2, before part 0 (at 3)" },
        { "point count beyond the record", [](auto& b) { PutLE32(b, 148, 40); },
            "record 1 (offset 152): the point count 40 needs 640 bytes, only 72 left" },
        { "negative part count", [](auto& b) { PutLE32(b, 144, -1); }, "the part count is negative (-1)" },
        { "unknown shape type", [](auto& b) { PutLE32(b, 108, 77); }, "unknown shape type 77" },
        { "coordinate not a number", [](auto& b) { PutDoubleLE(b, 160, std::nan("")); },
            "point 0 has a coordinate that is not a finite number" },
    };
    for (const Case& c : cases) {
        auto bytes = ShapeFile({ good });
        c.damage(bytes);
        EXPECT_THAT(FailureOf([&] {
            TSHPFile file(bytes, "bad.shp");
            for (std::size_t position : file.RecordPositions())
                file.ReadShape(position);
        }),
            HasSubstr(c.message))
            << c.what;
    }
}

TEST(SHPFile, InvalidFileMessagesAreExact)
{
    auto bytes = ShapeFile({});
    PutBE32(bytes, 0, 9993);
    EXPECT_EQ(FailureOf([&] { TSHPFile(bytes, "x.shp"); }), "Invalid SHP file ");
    bytes = ShapeFile({});
    PutLE32(bytes, 28, 1001);
    EXPECT_EQ(FailureOf([&] { TSHPFile(bytes, "x.shp"); }), "Invalid SHP file version ");
}

TEST(SHPFile, AFileWithoutRecordsHasNone)
{
    const auto bytes = ShapeFile({});
    TSHPFile file(bytes, "empty.shp");
    EXPECT_FALSE(file.HasRecordAt(TSHPFile::HeaderSize));
    EXPECT_TRUE(file.RecordPositions().empty());
}

TEST(SHPFile, IndexFileErrors)
{
    auto bytes = ShapeFile({});
    bytes.resize(bytes.size() + 12, 0);
    EXPECT_THAT(FailureOf([&] { ReadSHXIndex(bytes, "bad.shx"); }),
        HasSubstr("bad.shx, index (offset 100): the index ends with a partial entry of 4 bytes"));
    bytes.resize(108);
    PutBE32(bytes, 100, -1);
    EXPECT_THAT(FailureOf([&] { ReadSHXIndex(bytes, "bad.shx"); }), HasSubstr("negative record offset"));
}

TEST(SHPFile, CoordinateCorrection)
{
    struct Case {
        TSHPCoordinateCorrection correction;
        TSHPPoint point;
        long double longitude, latitude;
    };
    const Case cases[] = {
        { {}, { -43.25, -22.5 }, -43.25L, -22.5L },
        { { 100, 1, -180, 0 }, { 18000, 5 }, 0.0L, 5.0L },
        { { 100, 1, -180, 0 }, { 0, 0 }, -180.0L, 0.0L },
        { { 1, 3600, 0, -90 }, { 0, 324000 }, 0.0L, 0.0L },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.correction.Longitude(c.point), c.longitude);
        EXPECT_EQ(c.correction.Latitude(c.point), c.latitude);
    }
    const TSHPCoordinateCorrection centred { 100, 1, -180, 0 };
    EXPECT_EQ(centred.GeoPoint({ 18000, -22.5 }), (TGeoPoint { 0, -121500000, 0 }));
    EXPECT_EQ(TSHPCoordinateCorrection {}.GeoPoint({ -43.5, 1.0 }), (TGeoPoint { -234900000, 5400000, 0 }));
    const TSHPCoordinateCorrection broken { 0, 1, 0, 0 };
    EXPECT_THROW(broken.GeoPoint({ 0, 0 }), EGlobeException) << "0 / 0";
    EXPECT_THROW(broken.GeoPoint({ 1, 0 }), EGlobeException) << "1 / 0";
}

TEST(CompanionFile, FindsTheTableBesideTheDataFileInEitherCase)
{
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString() + "/";
    for (const char* name :
        { "roads.shp", "roads.dbf", "RIVERS.SHP", "RIVERS.DBF", "Lakes.MIF", "Lakes.mid" })
        std::ofstream(base + name) << "x";
    EXPECT_EQ(CompanionFile(base + "roads.shp", ".dbf"), base + "roads.dbf");
    EXPECT_EQ(CompanionFile(base + "RIVERS.SHP", ".dbf"), base + "RIVERS.DBF");
    EXPECT_EQ(CompanionFile(base + "Lakes.MIF", ".mid"), base + "Lakes.mid");
    EXPECT_EQ(CompanionFile(base + "roads.shp", ".mid"), "");
    EXPECT_EQ(CompanionFile(base + "no-extension", ".dbf"), "");
}
