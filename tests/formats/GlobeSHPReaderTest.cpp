#include "formats/GlobeSHPReader.h"
#include "FileReaderFixture.h"
#include "ShapeFileBuilder.h"
#include "formats/GlobeDBFReader.h"
#include "formats/MemoryMapStream.h"
#include "geo/GXml.h"
#include "geo/GeoDataObject.h"
#include "geo/GlobeUnits.h"
#include "platform/Cp1252.h"
#include "view/GlobeLayer.h"
#include "view/GlobeObjectCache.h"

#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>

using ::testing::HasSubstr;
using enum TGlobeObjectState;

namespace {

void WriteBytes(const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

Content PointRecord(double x, double y)
{
    return Content().I32(1).D(x).D(y);
}

Content NullRecord()
{
    return Content().I32(0);
}

// A PolygonZ record: the polygon, then the Z range and one Z per point.
Content PolygonZ(std::initializer_list<TSHPPoint> points)
{
    Content c;
    c.I32(15).Box().I32(1).I32(static_cast<std::int32_t>(points.size())).I32(0).Points(points);
    c.D(0).D(100);
    for (std::size_t i = 0; i < points.size(); ++i)
        c.D(50);
    return c;
}

// Pixels that are not white within 3 pixels of (x, y).
int InkAround(const QImage& picture, int x, int y)
{
    int ink = 0;
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx)
            ink += picture.pixel(x + dx, y + dy) != QColor(Qt::white).rgb() ? 1 : 0;
    return ink;
}

class SHPReaderTest : public FileReaderFixture<TGlobeSHPReader> {
protected:
    // Copies the test shapefile (and, when asked, its table) into the folder.
    std::string Copy(const std::string& stem, bool withTable = true)
    {
        for (const char* extension : { ".shp", ".dbf" }) {
            if (std::string(extension) == ".dbf" && !withTable)
                continue;
            QFile::copy(QString::fromStdString(TestFile(stem + extension)),
                QString::fromStdString(Path(stem + extension)));
        }
        return Path(stem + ".shp");
    }

    std::string Write(const std::string& name, const std::vector<Content>& records, std::int32_t type = 5)
    {
        WriteBytes(Path(name), ShapeFile(records, type));
        return Path(name);
    }
};

} // namespace

TEST_F(SHPReaderTest, RealCountriesWithTitlesFromTheNameColumn)
{
    TGlobeSHPReader& reader
        = Open(Copy("ne_110m_countries"), [](TGlobeSHPReader& r) { r.SetTitleColumn(1); });
    ASSERT_TRUE(reader.Active());
    EXPECT_EQ(reader.Name, "ne_110m_countries.shp");
    ASSERT_EQ(reader.Count(), 177);
    int chains = 0, points = 0;
    for (int i = 0; i < reader.Count(); ++i) {
        TGeoDataObject& object = Object(reader, i);
        EXPECT_TRUE(object.Closed());
        EXPECT_EQ(object.ID, i + 1);
        chains += object.Chains.Count();
        for (int k = 0; k < object.Chains.Count(); ++k)
            points += object.Chains.Chain(k).Count();
    }
    EXPECT_EQ(chains, 286);
    EXPECT_EQ(points, 10587);
    // Fiji: two rings, one of them cut at 180 degrees.
    TGeoDataObject& fiji = Object(reader, 0);
    EXPECT_EQ(fiji.Title, "Fiji");
    EXPECT_EQ(fiji.Chains.Count(), 2);
    EXPECT_EQ(fiji.Chains.Chain(0).Count() + fiji.Chains.Chain(1).Count(), 20);
    EXPECT_EQ(fiji.Chains.Chain(1).Point(0).Long, -GU_180_DEGREE);
    // The table's own 8-bit text.
    bool ivoryCoast = false;
    for (int i = 0; i < reader.Count(); ++i)
        ivoryCoast = ivoryCoast || reader.GetObject(i).Title == "C\xF4te d'Ivoire";
    EXPECT_TRUE(ivoryCoast);
}

TEST_F(SHPReaderTest, TitlesByTitleColumnAndTable)
{
    struct Case {
        const char* what;
        bool withTable;
        int32_t column;
        const char* title; // of object 0
        int32_t id;
    };
    const Case cases[] = {
        { "no title column", true, -1, "New Object", 1 },
        { "id column", true, 0, "242", 1 },
        { "beyond the last column", true, 2, "", 1 },
        { "no table", false, 1, "", 0 },
    };
    for (const Case& c : cases) {
        QTemporaryDir own;
        const std::string name = own.path().toStdString() + "/ne_110m_countries.shp";
        QFile::copy(QString::fromStdString(TestFile("ne_110m_countries.shp")), QString::fromStdString(name));
        if (c.withTable)
            QFile::copy(QString::fromStdString(TestFile("ne_110m_countries.dbf")),
                QString::fromStdString(own.path().toStdString() + "/ne_110m_countries.dbf"));
        TGlobeSHPReader& reader = Open(name, [&](TGlobeSHPReader& r) { r.SetTitleColumn(c.column); });
        EXPECT_EQ(reader.GetObject(0).Title, c.title) << c.what;
        EXPECT_EQ(reader.GetObject(0).ID, c.id) << c.what;
        EXPECT_EQ(reader.Table() != nullptr, c.withTable) << c.what;
        globe.store->RemoveLayer(*layer);
    }
}

TEST_F(SHPReaderTest, ChangingTheTitleColumnReadsTitlesAgain)
{
    TGlobeSHPReader& reader
        = Open(Copy("ne_110m_countries"), [](TGlobeSHPReader& r) { r.SetTitleColumn(1); });
    EXPECT_EQ(reader.GetObject(0).Title, "Fiji");
    reader.SetTitleColumn(0);
    EXPECT_EQ(reader.GetObject(0).Title, "242");
}

TEST_F(SHPReaderTest, CoordinateCorrectionMapsX18000ToZeroDegrees)
{
    const std::string name = Write("corrected.shp", { PointRecord(18000, 4500) }, 1);
    TGlobeSHPReader& reader = Open(name, [](TGlobeSHPReader& r) {
        r.Correction.LongXDivisor = 100;
        r.Correction.LongXShift = -180;
        r.Correction.LatYDivisor = 100;
    });
    const TGeoPoint p = reader.GetObject(0).GetCentroid();
    EXPECT_EQ(p.Long, 0);
    EXPECT_EQ(p.Lat, 45 * GU_DEGREE);
}

TEST_F(SHPReaderTest, ShapesOfEveryKind)
{
    const std::string name = Write("kinds.shp",
        { Polygon({ 0, 4 },
              { { 0, 0 }, { 10, 0 }, { 10, 10 }, { 0, 0 }, { 2, 2 }, { 3, 2 }, { 3, 3 }, { 2, 2 } }),
            PointRecord(-43.2, -22.9),
            Content().I32(3).Box().I32(1).I32(3).I32(0).Points({ { 0, 0 }, { 1, 1 }, { 2, 0 } }),
            Content().I32(8).Box().I32(3).Points({ { 5, 5 }, { 6, 6 }, { 7, 7 } }),
            PolygonZ({ { 20, 20 }, { 21, 20 }, { 21, 21 }, { 20, 20 } }) });
    TGlobeSHPReader& reader = Open(name);
    ASSERT_EQ(reader.Count(), 5);

    TGeoDataObject& polygon = Object(reader, 0);
    EXPECT_TRUE(polygon.Closed());
    ASSERT_EQ(polygon.Chains.Count(), 2);
    EXPECT_EQ(polygon.Chains.Chain(1).Point(0).Long, 2 * GU_DEGREE);

    TGeoDataObject& point = Object(reader, 1);
    EXPECT_EQ(point.Chains.Count(), 0);
    EXPECT_EQ(point.GetCentroid().Long, DegreesToGeoPoint(-43.2L, -22.9L).Long);
    EXPECT_EQ(point.GetCentroid().Lat, DegreesToGeoPoint(-43.2L, -22.9L).Lat);

    TGeoDataObject& line = Object(reader, 2);
    EXPECT_FALSE(line.Closed());
    ASSERT_EQ(line.Chains.Count(), 1);
    EXPECT_EQ(line.Chains.Chain(0).Count(), 3);

    TGeoDataObject& multiPoint = Object(reader, 3);
    EXPECT_FALSE(multiPoint.Closed());
    ASSERT_EQ(multiPoint.Chains.Count(), 1);
    EXPECT_EQ(multiPoint.Chains.Chain(0).Count(), 3);

    TGeoDataObject& polygonZ = Object(reader, 4);
    EXPECT_TRUE(polygonZ.Closed());
    ASSERT_EQ(polygonZ.Chains.Count(), 1);
    EXPECT_EQ(polygonZ.Chains.Chain(0).Point(1).Long, 21 * GU_DEGREE);
}

TEST_F(SHPReaderTest, PointIsDrawnAtItsPoint)
{
    const std::string name = Write("point.shp", { PointRecord(90, 45) }, 1);
    Open(name);
    globe.BeginDraw();
    layer->Render();
    globe.SavePicture("shp-point");
    const QImage picture = globe.Picture();
    // The test globe shows the world over 360 x 180 pixels.
    EXPECT_GT(InkAround(picture, 270, 45), 0);
    EXPECT_EQ(InkAround(picture, 90, 135), 0);
}

TEST_F(SHPReaderTest, NullShapeIsNeverDrawnNorHitNorWidensTheExtent)
{
    std::vector<std::uint8_t> bytes = ShapeFile({ NullRecord(), PointRecord(10, 10), NullRecord() }, 1);
    for (std::size_t at : { 36, 44, 52, 60 })
        PutDoubleLE(bytes, at, 10.0);
    WriteBytes(Path("nulls.shp"), bytes);
    for (int opening = 0; opening < 2; ++opening) {
        TGlobeSHPReader& reader = Open(Path("nulls.shp"));
        ASSERT_EQ(reader.Count(), 3);
        EXPECT_EQ(reader.RecordsRead(), opening == 0 ? 3 : 0) << "the second opening uses the metadata file";
        EXPECT_TRUE(reader.GetObjectState(0).contains(osHidden));
        EXPECT_FALSE(reader.GetObjectState(1).contains(osHidden));
        const TMER extent = reader.GetSourceMER();
        EXPECT_GE(extent.Left, 10 * GU_DEGREE - 1);
        EXPECT_GE(extent.Bottom, 10 * GU_DEGREE - 1);
        globe.BeginDraw();
        layer->Render();
        const QImage picture = globe.Picture();
        int drawn = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                drawn += picture.pixel(x, y) != QColor(Qt::white).rgb() ? 1 : 0;
        EXPECT_GT(drawn, 0);
        EXPECT_LT(drawn, 40) << "only the point";
        TGeoDataObject& null = Object(reader, 2);
        EXPECT_TRUE(null.Hidden());
        EXPECT_EQ(null.Chains.Count(), 0);
        EXPECT_FALSE(null.HitTest(null.GetCentroid(), GU_DEGREE));
        EXPECT_EQ(layer->ObjectAtLocation(DegreesToGeoPoint(10, 10)), &reader.GetObject(1));
        globe.store->RemoveLayer(*layer);
    }
}

TEST_F(SHPReaderTest, MetaDataFileSparesTheScan)
{
    const std::string name = Copy("ne_110m_countries");
    TGlobeSHPReader& first = Open(name, [](TGlobeSHPReader& r) { r.SetTitleColumn(1); });
    const TMER extent = first.GetSourceMER();
    EXPECT_EQ(first.RecordsRead(), 177);
    EXPECT_TRUE(std::filesystem::exists(name + ".md"));
    globe.store->RemoveLayer(*layer);

    // The stored column and correction replace what the new source has.
    TGlobeSHPReader& second = Open(name, [](TGlobeSHPReader& r) { r.Correction.LongXDivisor = 2; });
    EXPECT_EQ(second.RecordsRead(), 0);
    ASSERT_EQ(second.Count(), 177);
    EXPECT_EQ(second.Correction.LongXDivisor, 1.0);
    EXPECT_EQ(second.TitleColumn(), 1);
    EXPECT_EQ(second.GetSourceMER().Left, extent.Left);
    EXPECT_TRUE(second.GetObjectState(0).contains(osClosed));
    EXPECT_EQ(second.GetObject(176).Title, "S. Sudan");
    EXPECT_EQ(second.GetObject(0).Title, "Fiji");
    globe.store->RemoveLayer(*layer);

    // A newer shapefile makes the metadata stale: scanned and replaced.
    const auto now = std::filesystem::file_time_type::clock::now();
    std::filesystem::last_write_time(name, now + std::chrono::seconds(5));
    const auto staleTime = std::filesystem::last_write_time(name + ".md");
    TGlobeSHPReader& third = Open(name);
    EXPECT_EQ(third.RecordsRead(), 177);
    EXPECT_NE(std::filesystem::last_write_time(name + ".md"), staleTime);
    globe.store->RemoveLayer(*layer);

    // A damaged one is deleted and the shapefile scanned.
    WriteBytes(name + ".md", { 3, 1, 0xFF });
    std::filesystem::last_write_time(name + ".md", now + std::chrono::seconds(10));
    TGlobeSHPReader& fourth = Open(name);
    EXPECT_EQ(fourth.RecordsRead(), 177);
    EXPECT_EQ(fourth.Count(), 177);
}

TEST_F(SHPReaderTest, WithoutADataFolderMetaDataGoesToTheUserCacheNeverBesideTheData)
{
    QTemporaryDir cache;
    const QByteArray previous = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    globe.metaDataLocation = TSaveMetaDataLocation::smdInDataDirectory;
    // Two shapefiles of one name in different folders.
    std::filesystem::create_directories(Path("a"));
    std::filesystem::create_directories(Path("b"));
    const std::string small = Path("a/world.shp"), large = Path("b/world.shp");
    std::filesystem::copy_file(TestFile("ne_110m_countries.shp"), small);
    std::filesystem::copy_file(TestFile("ne_50m_land.shp"), large);
    for (int round = 0; round < 2; ++round) {
        TGlobeSHPReader& a = Open(small);
        EXPECT_EQ(a.Count(), 177);
        EXPECT_EQ(a.RecordsRead(), round == 0 ? 177 : 0);
        const std::string metaName = a.MetaDataFileName(a.FileName());
        EXPECT_TRUE(metaName.starts_with(cache.path().toStdString() + "/")) << metaName;
        EXPECT_TRUE(std::filesystem::exists(metaName));
        globe.store->RemoveLayer(*layer);
        TGlobeSHPReader& b = Open(large);
        EXPECT_EQ(b.Count(), 1419);
        EXPECT_EQ(b.RecordsRead(), round == 0 ? 1419 : 0);
        EXPECT_NE(b.MetaDataFileName(b.FileName()), metaName);
        globe.store->RemoveLayer(*layer);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("a")), {}), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("b")), {}), 1);
    qputenv("XDG_CACHE_HOME", previous);
}

TEST_F(SHPReaderTest, AFrameLargerThanTheCacheReadsEachObjectOnce)
{
    // 64 KB hold a small part of what a frame draws; each frame has two
    // passes, as the transparent globe draws them.
    TGlobeObjectCache& cache = globe.ObjectCache();
    cache.CacheCapacity = 64;
    TGlobeSHPReader& reader = Open(Copy("ne_50m_land"));
    EXPECT_LE(cache.Total(), 64 * 1024);
    std::map<int, int64_t> drawn;
    globe.onObjectRender = [&](TGlobeObject& object, TGlobeObjectStateSet) {
        drawn[object.ObjectIndex] = object.MemorySize();
    };
    // Draws a frame; answers the records it read.
    const auto frame = [&] {
        drawn.clear();
        const int64_t before = reader.RecordsRead();
        {
            const TGlobeObjectCache::TFrame drawing(cache);
            layer->Render();
            layer->Render();
        }
        return reader.RecordsRead() - before;
    };
    const auto bytesDrawn = [&] {
        int64_t bytes = 0;
        for (const auto& [index, size] : drawn)
            bytes += size;
        return bytes;
    };
    // Only what the last frame drew may stay loaded over the budget.
    const auto expectWithinTheBudgetBesidesTheFrame = [&] {
        int64_t others = 0;
        for (int i = 0; i < reader.Count(); ++i) {
            const auto* object = dynamic_cast<const TGlobeObject*>(&reader.GetObjectData(i));
            if (object && !drawn.contains(i))
                others += object->MemorySize();
            if (object) {
                EXPECT_EQ(cache.UsedByLastFrame(*object), drawn.contains(i)) << i;
            }
        }
        EXPECT_LE(others, 64 * 1024);
        EXPECT_LE(cache.Total(), 64 * 1024 + bytesDrawn());
    };

    const int64_t firstRead = frame();
    EXPECT_GT(bytesDrawn(), 4 * 64 * 1024);
    EXPECT_GT(firstRead, 0);
    EXPECT_LE(firstRead, static_cast<int64_t>(drawn.size()));
    expectWithinTheBudgetBesidesTheFrame();
    // A still view reads nothing again, also when the animated layers (none
    // here) are drawn over the picture in between.
    for (int again = 0; again < 2; ++again) {
        { const TGlobeObjectCache::TFrame animated(cache, true); }
        EXPECT_EQ(frame(), 0);
        expectWithinTheBudgetBesidesTheFrame();
    }
    const int64_t wholeWorld = cache.Total();

    // Zoomed in and panned across, the objects out of view are let go.
    globe.Projection().SetScaleFactor(globe.Projection().ScaleFactor() * 4);
    for (const long double longitude : { 0.0L, 120.0L, -60.0L }) {
        SCOPED_TRACE(static_cast<double>(longitude));
        globe.Projection().SetCenterLongitude(longitude);
        const int64_t read = frame();
        EXPECT_LE(read, static_cast<int64_t>(drawn.size()));
        EXPECT_LT(drawn.size(), 1419u);
        expectWithinTheBudgetBesidesTheFrame();
        EXPECT_LT(cache.Total(), wholeWorld);
        EXPECT_EQ(frame(), 0);
    }

    // Loads outside a frame (a search) stay within the budget besides the
    // last frame's objects.
    for (int i = 0; i < reader.Count(); ++i)
        reader.GetObject(i);
    EXPECT_LE(cache.Total(), 64 * 1024 + bytesDrawn());
}

TEST_F(SHPReaderTest, NoMetaDataFileWhenDiscarded)
{
    globe.metaDataLocation = TSaveMetaDataLocation::smdDiscard;
    const std::string name = Copy("ne_110m_countries");
    EXPECT_EQ(Open(name).Count(), 177);
    EXPECT_FALSE(std::filesystem::exists(name + ".md"));
}

TEST_F(SHPReaderTest, BadFilesAreRefusedWithClearErrors)
{
    EXPECT_FALSE(Open(Path("missing.shp")).Active());

    std::vector<std::uint8_t> notShape = ShapeFile({});
    PutBE32(notShape, 0, 1234);
    WriteBytes(Path("code.shp"), notShape);
    EXPECT_EQ(OpenFailure(Path("code.shp")), "Invalid SHP file ");

    std::vector<std::uint8_t> version = ShapeFile({});
    PutLE32(version, 28, 999);
    WriteBytes(Path("version.shp"), version);
    EXPECT_EQ(OpenFailure(Path("version.shp")), "Invalid SHP file version ");

    std::vector<std::uint8_t> cut = ShapeFile({ Polygon({ 0 }, { { 0, 0 }, { 1, 0 }, { 1, 1 }, { 0, 0 } }) });
    cut.resize(cut.size() - 10);
    WriteBytes(Path("cut.shp"), cut);
    EXPECT_THAT(OpenFailure(Path("cut.shp")), HasSubstr(Path("cut.shp")));

    WriteBytes(Path("parts.shp"), ShapeFile({ Polygon({ 0, 9 }, { { 0, 0 }, { 1, 0 }, { 1, 1 } }) }));
    EXPECT_THAT(OpenFailure(Path("parts.shp")), HasSubstr("beyond the point count"));

    Write("table.shp", { PointRecord(1, 1) }, 1);
    WriteBytes(Path("table.dbf"), { 0x04, 0, 0, 0 });
    try {
        Open(Path("table.shp"));
        ADD_FAILURE() << "a dBASE IV table opened";
    } catch (const EDBFException& e) {
        EXPECT_STREQ(e.what(), "Unsupported DBase III version in Stream");
    }
}

TEST_F(SHPReaderTest, EnvironmentKeepsCorrectionAndTitleColumn)
{
    TGlobeSHPReader& reader = Open(Copy("ne_110m_countries"), [](TGlobeSHPReader& r) {
        r.Correction = { 100, 50, -180, -90 };
        r.SetTitleColumn(1);
    });
    const auto element = reader.SaveEnvironment();
    EXPECT_EQ(element->StringAttr("Class"), "TGlobeSHPReader");
    EXPECT_EQ(element->StringAttr("LongXDivisor"), "100");
    EXPECT_EQ(element->StringAttr("LongXShift"), "-180");
    EXPECT_EQ(element->StringAttr("TitleColumn"), "1");

    auto* loaded = new TGlobeSHPReader(globe);
    globe.store->CreateLayer("TGlobeLayer").SetObjectSource(loaded);
    loaded->LoadEnvironment(element.get());
    EXPECT_EQ(loaded->Correction.LongXDivisor, 100);
    EXPECT_EQ(loaded->Correction.LatYDivisor, 50);
    EXPECT_EQ(loaded->Correction.LongXShift, -180);
    EXPECT_EQ(loaded->Correction.LatYShift, -90);
    EXPECT_EQ(loaded->TitleColumn(), 1);
    EXPECT_EQ(loaded->FileName(), reader.FileName());
}

TEST_F(SHPReaderTest, FileNamesAreWindows1252)
{
    // "São Paulo.shp" and its table, named as the library names files.
    const std::string name = Path("S\xE3o Paulo.shp");
    QFile::copy(QString::fromStdString(TestFile("ne_110m_countries.shp")), fromCp1252(name));
    QFile::copy(
        QString::fromStdString(TestFile("ne_110m_countries.dbf")), fromCp1252(Path("S\xE3o Paulo.dbf")));
    EXPECT_EQ(TMemoryMapStream(name).Size(), 179840u);
    EXPECT_EQ(CompanionFile(name, ".dbf"), Path("S\xE3o Paulo.dbf"));
}
