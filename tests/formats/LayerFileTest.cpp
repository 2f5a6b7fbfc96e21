#include "LayerTestGlobe.h"
#include "formats/GlobeLYRReader.h"
#include "formats/GlobeLYRWriter.h"
#include "geo/BitmapObject.h"
#include "geo/GXml.h"
#include "geo/GeoDataObject.h"
#include "geo/GeoMath.h"
#include "geo/GlobeStream.h"
#include "platform/GlobeException.h"
#include "platform/SaveFile.h"
#include "view/GlobeLayer.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobePresenterStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>

namespace {

using Bytes = std::vector<uint8_t>;
using enum TGlobeObjectState;

Bytes ReadFile(const std::string& name)
{
    QFile file(QString::fromStdString(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    const QByteArray data = file.readAll();
    return Bytes(data.begin(), data.end());
}

class LayerFileTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterLayerFileClasses(); }

    std::string Path(const std::string& name) const { return folder.path().toStdString() + "/" + name; }

    TGlobeLayer& NewLayer(LayerTestGlobe& g) { return g.store->CreateLayer("TGlobeLayer"); }

    TGeoDataObject& AddPolyline(TGlobeLayer& layer, int k, int32_t presenterID = 0)
    {
        auto* object = new TGeoDataObject(&layer.ObjectSource());
        object->Title = "line " + std::to_string(k);
        object->ID = k;
        for (int p = 0; p < 4; ++p)
            object->Chains.Chain(0).Add({ (k + p) * GU_MINUTE + k, p * 1000, 0 });
        object->SetPresenterID(presenterID);
        return *object;
    }

    // A layer-file source for the file in a layer of the globe.
    TGlobeLYRReader& OpenReader(LayerTestGlobe& g, const std::string& name)
    {
        auto* reader = new TGlobeLYRReader(g);
        NewLayer(g).SetObjectSource(reader);
        reader->SetFileName(name);
        reader->SetActive(true);
        return *reader;
    }

    QTemporaryDir folder;
    LayerTestGlobe globe;
};

void SetFileTime(const std::string& name, std::chrono::seconds shift)
{
    const auto now = std::filesystem::file_time_type::clock::now();
    std::filesystem::last_write_time(name, now + shift);
}

} // namespace

TEST_F(LayerFileTest, EmptyLayerIsTwentyTwoBytesAndOpensEmpty)
{
    const std::string name = Path("empty.lyr");
    TGlobeLayer& layer = NewLayer(globe);
    EXPECT_TRUE(SaveLayerAsLYR(layer, name));
    const Bytes expected { 0x05, 0x04, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0 };
    EXPECT_EQ(ReadFile(name), expected);
    auto* reader = dynamic_cast<TGlobeLYRReader*>(layer.AttachedSource());
    ASSERT_NE(reader, nullptr);
    EXPECT_TRUE(reader->Active());
    EXPECT_EQ(reader->Count(), 0);
    EXPECT_EQ(reader->Presenters().Count(), 0);
    EXPECT_EQ(reader->Name, "empty.lyr");
}

TEST_F(LayerFileTest, OnlyUsedPresentersAreWrittenOnce)
{
    TGlobeLayer& layer = NewLayer(globe);
    AddPolyline(layer, 1);
    const std::string plain = Path("plain.lyr");
    TGlobeLYRWriter(layer).WriteToFile(plain);
    const Bytes bytes = ReadFile(plain);
    // Version, extent, then straight the object group.
    EXPECT_EQ(Bytes(bytes.begin() + 18, bytes.begin() + 23), (Bytes { 1, 0, 0, 0, 14 }));

    layer.Presenters().Add(std::make_unique<TPolylinePresenter>(&globe, 5));
    layer.Presenters().Add(std::make_unique<TPointPresenter>(&globe, 6));
    AddPolyline(layer, 2, 5).SetPresenterID(5);
    layer.ObjectSource().GetObject(0).SetPresenterID(5);
    const std::string shared = Path("shared.lyr");
    TGlobeLYRWriter(layer).WriteToFile(shared);
    const Bytes sharedBytes = ReadFile(shared);
    EXPECT_EQ(Bytes(sharedBytes.begin() + 18, sharedBytes.begin() + 23), (Bytes { 1, 0, 0, 0, 18 }));

    LayerTestGlobe other;
    TGlobeLYRReader& reader = OpenReader(other, shared);
    ASSERT_EQ(reader.Presenters().Count(), 1);
    EXPECT_EQ(reader.Presenters().Presenters(0).PresenterID, 5);
    EXPECT_EQ(reader.Presenters().Presenters(0).ClassName(), "TPolylinePresenter");
}

TEST_F(LayerFileTest, ClassesAreGroupedAndReadInFileOrder)
{
    TGlobeLayer& layer = NewLayer(globe);
    AddPolyline(layer, 1);
    auto* bitmap = new TBitmapObject(&layer.ObjectSource());
    bitmap->Title = "chart";
    bitmap->SetCentroid({ 100, 200, 0 });
    AddPolyline(layer, 3);
    const std::string name = Path("mixed.lyr");
    TGlobeLYRWriter(layer).WriteToFile(name);

    LayerTestGlobe other;
    TGlobeLYRReader& reader = OpenReader(other, name);
    ASSERT_EQ(reader.Count(), 3);
    EXPECT_EQ(reader.GetObject(0).Title, "line 1");
    EXPECT_EQ(reader.GetObject(1).Title, "line 3");
    EXPECT_EQ(reader.GetObject(2).ClassName(), "TBitmapObject");
    EXPECT_EQ(reader.GetObject(2).GetCentroid(), (TGeoPoint { 100, 200, 0 }));
}

TEST_F(LayerFileTest, RandomLayersRoundTrip)
{
    std::mt19937 random(11);
    for (int round = 0; round < 5; ++round) {
        LayerTestGlobe g;
        TGlobeLayer& layer = NewLayer(g);
        for (int32_t id = 1; id <= 3; ++id)
            layer.Presenters().Add(std::make_unique<TPolygonPresenter>(&g, id));
        std::uniform_int_distribution<int32_t> coordinate(-900000000, 900000000);
        const int count = 20 + round * 7;
        for (int k = 0; k < count; ++k) {
            if (random() % 5 == 0) {
                auto* bitmap = new TBitmapObject(&layer.ObjectSource());
                bitmap->SetCentroid(MakeGeoPoint(coordinate(random), coordinate(random) / 2));
                bitmap->ID = k;
                continue;
            }
            auto* object = new TGeoDataObject(&layer.ObjectSource());
            object->ID = k;
            object->Title = std::string(static_cast<size_t>(random() % 30), 'a' + static_cast<char>(k % 26));
            object->SetPresenterID(static_cast<int32_t>(random() % 4));
            object->SetClosed(random() % 2 == 0);
            for (int c = 0; c < 1 + static_cast<int>(random() % 3); ++c)
                for (int p = 0; p < 2 + static_cast<int>(random() % 40); ++p)
                    object->Chains.Chain(c).Add({ coordinate(random), coordinate(random) / 2, 0 });
        }
        const std::string name = Path("random" + std::to_string(round) + ".lyr");
        TGlobeLYRWriter(layer).WriteToFile(name);

        LayerTestGlobe other;
        TGlobeLYRReader& reader = OpenReader(other, name);
        TGlobeObjectSource& written = layer.ObjectSource();
        ASSERT_EQ(reader.Count(), written.Count());
        // File order: grouped by class, classes in order of first appearance.
        const std::string firstClass = written.GetObject(0).ClassName();
        std::vector<int> order;
        for (const bool first : { true, false })
            for (int k = 0; k < written.Count(); ++k)
                if ((written.GetObject(k).ClassName() == firstClass) == first)
                    order.push_back(k);
        for (int i = 0; i < reader.Count(); ++i) {
            TGlobeObject& back = reader.GetObject(i);
            TGlobeObject& original = written.GetObject(order[static_cast<size_t>(i)]);
            EXPECT_EQ(back.ID, original.ID);
            EXPECT_EQ(back.Title, original.Title);
            EXPECT_EQ(back.PresenterID(), original.PresenterID());
            EXPECT_EQ(back.Closed(), original.Closed());
            EXPECT_EQ(back.GetMER(), original.GetMER()) << i;
        }
        for (int k = 0; k < reader.Presenters().Count(); ++k)
            EXPECT_NE(layer.Presenters().ByID(reader.Presenters().Presenters(k).PresenterID, false), nullptr);
    }
}

TEST_F(LayerFileTest, VersionSevenSixtyEightUsesTheOldPresenterLayout)
{
    TGlobeStreamWriter w;
    w.WriteWord(0x0300);
    w.WriteMER({});
    w.WriteInteger(1);
    w.WriteShortString("TPolyPresenter");
    const Bytes presenter { 9, 0, 0, 0, 1, 'A', 2, 0xFF, 0, 0, 0, 16, 9, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0, 0, 2,
        0, 0xFF, 0, 0, 0 };
    w.Write(presenter.data(), static_cast<int>(presenter.size()));
    w.WriteInteger(1);
    w.WriteShortString("TGeoDataObject");
    const Bytes object { 0x18, 0x00, 0x09, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3C, 0x00, 0x00, 0x3C };
    w.Write(object.data(), static_cast<int>(object.size()));
    w.WriteInteger(0);
    const std::string name = Path("old.lyr");
    SaveFileAtomically(name, w.Bytes());

    TGlobeLYRReader& reader = OpenReader(globe, name);
    ASSERT_EQ(reader.Presenters().Count(), 1);
    auto& poly = dynamic_cast<TPolyPresenter&>(reader.Presenters().Presenters(0));
    EXPECT_EQ(poly.PresenterID, 9);
    EXPECT_EQ(poly.PolyPen.PenWidth(), 2);
    ASSERT_EQ(reader.Count(), 1);
    EXPECT_EQ(reader.GetObject(0).PresenterID(), 9);
}

TEST_F(LayerFileTest, MetaDataSparesTheScanUntilTheFileChanges)
{
    TGlobeLayer& layer = NewLayer(globe);
    layer.Presenters().Add(std::make_unique<TPolygonPresenter>(&globe, 4));
    for (int k = 0; k < 10; ++k)
        AddPolyline(layer, k, 4).SetClosed(k % 2 == 0);
    const std::string name = Path("meta.lyr");
    TGlobeLYRWriter(layer).WriteToFile(name);
    SetFileTime(name, std::chrono::seconds(-20));

    LayerTestGlobe first;
    EXPECT_EQ(OpenReader(first, name).RecordsRead(), 10);
    ASSERT_TRUE(std::filesystem::exists(name + ".md"));

    LayerTestGlobe second;
    TGlobeLYRReader& again = OpenReader(second, name);
    EXPECT_EQ(again.RecordsRead(), 0);
    ASSERT_EQ(again.Count(), 10);
    EXPECT_EQ(again.Presenters().Count(), 1);
    EXPECT_TRUE(again.GetObjectState(2).contains(osClosed));
    EXPECT_FALSE(again.GetObjectState(3).contains(osClosed));
    EXPECT_EQ(again.GetObjectPresenterID(3), 4);
    const TMER summary = again.GetObjectMER(3);
    EXPECT_EQ(again.RecordsRead(), 0);
    // The summary's rectangle stays when the object is read.
    EXPECT_EQ(again.GetObject(3).GetMER(), summary);
    EXPECT_TRUE(again.GetObject(3).Has(osValidMER));
    EXPECT_EQ(again.GetObject(3).Title, "line 3");
    EXPECT_EQ(again.RecordsRead(), 1);

    SetFileTime(name, std::chrono::seconds(10));
    LayerTestGlobe third;
    EXPECT_EQ(OpenReader(third, name).RecordsRead(), 10);
}

TEST_F(LayerFileTest, DiscardedMetaDataIsNeitherWrittenNorRead)
{
    TGlobeLayer& layer = NewLayer(globe);
    AddPolyline(layer, 1);
    const std::string name = Path("discard.lyr");
    TGlobeLYRWriter(layer).WriteToFile(name);
    LayerTestGlobe g;
    g.metaDataLocation = TSaveMetaDataLocation::smdDiscard;
    OpenReader(g, name);
    EXPECT_FALSE(std::filesystem::exists(name + ".md"));

    g.metaDataLocation = TSaveMetaDataLocation::smdInDataDirectory;
    g.dataDirectory = Path("");
    LayerTestGlobe h;
    h.metaDataLocation = TSaveMetaDataLocation::smdInDataDirectory;
    h.dataDirectory = Path("cache");
    std::filesystem::create_directories(h.dataDirectory);
    OpenReader(h, name);
    EXPECT_TRUE(std::filesystem::exists(Path("cache/discard.lyr.md")));
}

TEST_F(LayerFileTest, DamagedMetaDataIsDeletedAndTheFileScanned)
{
    TGlobeLayer& layer = NewLayer(globe);
    for (int k = 0; k < 3; ++k)
        AddPolyline(layer, k);
    const std::string name = Path("damaged.lyr");
    TGlobeLYRWriter(layer).WriteToFile(name);
    SetFileTime(name, std::chrono::seconds(-20));
    LayerTestGlobe first;
    OpenReader(first, name);
    const Bytes meta = ReadFile(name + ".md");

    struct Case {
        const char* name;
        Bytes bytes;
    };
    Bytes badMagic = meta;
    badMagic[0] = 0x04;
    Bytes badPosition = meta;
    badPosition[badPosition.size() - 2] = 0x7F;
    const Case cases[] = {
        { "bad magic", badMagic },
        { "truncated", Bytes(meta.begin(), meta.end() - 3) },
        { "position outside the file", badPosition },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SaveFileAtomically(name + ".md", c.bytes);
        LayerTestGlobe g;
        TGlobeLYRReader& reader = OpenReader(g, name);
        EXPECT_EQ(reader.RecordsRead(), 3);
        EXPECT_EQ(reader.Count(), 3);
        EXPECT_EQ(ReadFile(name + ".md"), meta);
    }
}

TEST_F(LayerFileTest, TruncatedOrCorruptFilesDoNotOpen)
{
    TGlobeLayer& layer = NewLayer(globe);
    layer.Presenters().Add(std::make_unique<TPolygonPresenter>(&globe, 2));
    AddPolyline(layer, 1, 2);
    AddPolyline(layer, 2);
    const std::string good = Path("good.lyr");
    TGlobeLYRWriter(layer).WriteToFile(good);
    const Bytes bytes = ReadFile(good);
    const std::string name = Path("bad.lyr");
    for (size_t n = 0; n + 1 < bytes.size(); ++n) {
        SaveFileAtomically(name, Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n)));
        LayerTestGlobe g;
        g.metaDataLocation = TSaveMetaDataLocation::smdDiscard;
        auto* reader = new TGlobeLYRReader(g);
        NewLayer(g).SetObjectSource(reader);
        reader->SetFileName(name);
        try {
            reader->SetActive(true);
            ADD_FAILURE() << "opened at " << n << " bytes";
        } catch (const EGlobeException& e) {
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
        }
        EXPECT_FALSE(reader->Active());
        EXPECT_EQ(reader->Count(), 0);
    }
    Bytes version = bytes;
    version[1] = 0x02;
    SaveFileAtomically(name, version);
    LayerTestGlobe g;
    EXPECT_THROW(
        {
            try {
                OpenReader(g, name);
            } catch (const EGlobeException& e) {
                EXPECT_EQ(std::string(e.what()), "Invalid File Version 205 in " + name);
                throw;
            }
        },
        EGlobeException);
    LayerTestGlobe h;
    EXPECT_FALSE(OpenReader(h, Path("missing.lyr")).Active());
}

TEST_F(LayerFileTest, EnvironmentStopsAtTheFirstLayerThatDoesNotOpen)
{
    TGlobeLayer& layer = NewLayer(globe);
    AddPolyline(layer, 1);
    const std::string name = Path("env.lyr");
    SaveLayerAsLYR(layer, name);
    globe.store->CreateLayer("TGlobeLayer").SetObjectSource(new TGlobeLYRReader(globe));
    for (int k = 0; k < 2; ++k) {
        auto* reader = new TGlobeLYRReader(globe);
        reader->SetFileName(name);
        globe.store->CreateLayer("TGlobeLayer").SetObjectSource(reader);
    }
    globe.store->Layers(1).SetName("missing");
    const auto element = globe.store->SaveEnvironment();

    LayerTestGlobe other;
    other.store->LoadEnvironment(element.get());
    ASSERT_EQ(other.store->Count(), 1);
    EXPECT_EQ(other.store->Layers(0).Name(), "env.lyr");
    EXPECT_EQ(other.store->Layers(0).ObjectSource().Count(), 1);
}

TEST_F(LayerFileTest, TheCacheKeepsTheNewestObjectsWithinItsBudget)
{
    TGlobeLayer& layer = NewLayer(globe);
    for (int k = 0; k < 40; ++k)
        AddPolyline(layer, k);
    const std::string name = Path("cache.lyr");
    TGlobeLYRWriter(layer).WriteToFile(name);

    LayerTestGlobe g;
    g.ObjectCache().CacheCapacity = 1;
    int reductions = 0;
    g.ObjectCache().OnReduceCacheMemory = [&] { ++reductions; };
    TGlobeLYRReader& reader = OpenReader(g, name);
    EXPECT_GT(reductions, 0);
    EXPECT_LE(g.ObjectCache().Total(), 1024);
    EXPECT_EQ(g.ObjectCache().Total(), reader.CacheMemorySize());
    // The objects read last are still loaded, the first ones are records again.
    EXPECT_EQ(dynamic_cast<TGlobeObject*>(&reader.GetObjectData(0)), nullptr);
    EXPECT_NE(dynamic_cast<TGlobeObject*>(&reader.GetObjectData(39)), nullptr);
    reductions = 0;
    for (int k = 0; k < 40; ++k)
        EXPECT_EQ(reader.GetObject(k).Title, "line " + std::to_string(k));
    EXPECT_LE(g.ObjectCache().Total(), 1024);
    EXPECT_GT(reductions, 0);
}

TEST_F(LayerFileTest, AnObjectLargerThanTheCacheIsStillHandedOut)
{
    // Fuzzer find: the object just read was the first one trimmed away.
    TGlobeLayer& layer = NewLayer(globe);
    for (int k = 0; k < 2; ++k) {
        TGeoDataObject& big = AddPolyline(layer, k);
        for (int p = 0; p < 300; ++p)
            big.Chains.Chain(0).Add({ p * 1000 + 7, k * 1000, 0 });
    }
    const std::string name = Path("big.lyr");
    TGlobeLYRWriter(layer).WriteToFile(name);
    LayerTestGlobe g;
    g.ObjectCache().CacheCapacity = 1;
    TGlobeLYRReader& reader = OpenReader(g, name);
    EXPECT_EQ(reader.GetObject(0).Title, "line 0");
    EXPECT_NE(dynamic_cast<TGlobeObject*>(&reader.GetObjectData(0)), nullptr);
    EXPECT_EQ(dynamic_cast<TGlobeObject*>(&reader.GetObjectData(1)), nullptr);
}

TEST_F(LayerFileTest, ScanningReportsProgressAndDiscardedObjectsAreReadAgain)
{
    TGlobeLayer& layer = NewLayer(globe);
    for (int k = 0; k < 300; ++k)
        AddPolyline(layer, k);
    const std::string name = Path("progress.lyr");
    TGlobeLYRWriter(layer).WriteToFile(name);
    LayerTestGlobe g;
    TGlobeLYRReader& reader = OpenReader(g, name);
    ASSERT_EQ(g.progress.size(), 3u);
    EXPECT_EQ(g.progress[0], std::pair(TProgressMessage::pmStart, std::string("Mapping")));
    EXPECT_EQ(g.progress[1].first, TProgressMessage::pmPercent);
    EXPECT_EQ(g.progress[2], std::pair(TProgressMessage::pmEnd, std::string("Finished")));

    reader.GetObject(7).SetSelected(true);
    reader.DiscardObjects();
    EXPECT_EQ(reader.CacheMemorySize(), 0);
    EXPECT_EQ(g.ObjectCache().Total(), 0);
    EXPECT_FALSE(reader.GetObjectState(7).contains(osSelected));
    EXPECT_EQ(reader.GetObject(7).Title, "line 7");
    EXPECT_EQ(reader.GetObject(299).ID, 299);
}

TEST_F(LayerFileTest, MetaDataLayout)
{
    TGlobeLayer& layer = NewLayer(globe);
    AddPolyline(layer, 0).SetClosed(true);
    AddPolyline(layer, 1);
    const std::string name = Path("layout.lyr");
    TGlobeLYRWriter(layer).WriteToFile(name);
    LayerTestGlobe g;
    OpenReader(g, name);
    const Bytes meta = ReadFile(name + ".md");
    ASSERT_EQ(meta.size(), 2u + 4 + 4 + 2 * 21 + 4 + 15 + 4 + 2 * 5);
    EXPECT_EQ(Bytes(meta.begin(), meta.begin() + 10), (Bytes { 0x03, 0x01, 0, 0, 0, 0, 2, 0, 0, 0 }));
    EXPECT_EQ(meta[30], 'T');
    EXPECT_EQ(meta[51], 'F');
    EXPECT_EQ(Bytes(meta.begin() + 52, meta.begin() + 57), (Bytes { 1, 0, 0, 0, 14 }));
    const size_t index = 52 + 4 + 15;
    EXPECT_EQ(Bytes(meta.begin() + static_cast<std::ptrdiff_t>(index), meta.end() - 5),
        (Bytes { 2, 0, 0, 0, 0, 37, 0, 0, 0 }));
    EXPECT_EQ(meta[meta.size() - 5], 0);
    EXPECT_GT(meta[meta.size() - 4], 37);
}
