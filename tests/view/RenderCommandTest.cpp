// brumex-tool render, run as the user runs it: a world layer file or an
// environment document drawn into a PNG of a given size and view.
#include "WorldOutline.h"
#include "formats/GlobeLYRReader.h"
#include "formats/GlobeLYRWriter.h"
#include "geo/GeoDataObject.h"
#include "view/Colors.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class RenderCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        world = dir.path() + "/world.lyr";
        TGlobe4 globe;
        TGlobeLayer& layer = globe.LayerStore()->CreateLayer("TGlobeLayer");
        for (const auto& ring : WorldOutline()) {
            auto* object = new TGeoDataObject(&layer.ObjectSource());
            for (const TGeoPoint& p : ring)
                object->Chains.Chain(0).Add(p);
            object->State.include(TGlobeObjectState::osClosed);
            object->Changed();
        }
        TGlobeLYRWriter writer(layer);
        ASSERT_TRUE(writer.WriteToFile(world.toStdString()));
    }
    // Runs the tool; answers its exit code and keeps its error output.
    int Run(const QStringList& args)
    {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CACHE_HOME", cache.path());
        tool.setProcessEnvironment(environment);
        tool.start(QStringLiteral(BRUMEX_TOOL), QStringList { "render" } + args);
        tool.waitForFinished(120000);
        errors = QString::fromUtf8(tool.readAllStandardError());
        output = QString::fromUtf8(tool.readAllStandardOutput());
        return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    }
    static int CountColour(const QImage& image, QRgb rgb)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += (image.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF);
        return n;
    }

    // Where the pictures stay for a look.
    static QString PictureFolder()
    {
        const QString folder = QDir::tempPath() + "/brumex-globe";
        QDir().mkpath(folder);
        return folder;
    }

    QTemporaryDir dir;
    QTemporaryDir cache;
    QString world;
    QString errors;
    QString output;
};

TEST_F(RenderCommandTest, WorldLayerOnEachModel)
{
    for (const char* model : { "TSphericalPrj", "TCartesianPrj", "TMercatorPrj" }) {
        const QString png = PictureFolder() + "/render-" + model + ".png";
        ASSERT_EQ(Run({ world, png, "--size", "640x400", "--projection", model }), 0) << errors.toStdString();
        const QImage image(png);
        ASSERT_EQ(image.size(), QSize(640, 400)) << model;
        // Sea, land (the default presenter's white) and the graticule.
        EXPECT_GT(CountColour(image, qRgb(0, 255, 255)), 640 * 400 / 10) << model;
        EXPECT_GT(CountColour(image, qRgb(255, 255, 255)), 640 * 400 / 50) << model;
        EXPECT_GT(CountColour(image, qRgb(192, 192, 192)), 500) << model;
    }
    // The layer file's metadata is a cache of the user's, never beside the input.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList { "world.lyr" });
    int cached = 0;
    for (QDirIterator it(cache.path(), { "world.lyr.*.md" }, QDir::Files, QDirIterator::Subdirectories);
        it.hasNext(); it.next())
        ++cached;
    EXPECT_EQ(cached, 1);
}

TEST_F(RenderCommandTest, CentreAltitudeTransparentGlobeAndNoGraticule)
{
    const QString png = PictureFolder() + "/render-brasil.png";
    ASSERT_EQ(Run({ world, png, "--size", "300x300", "--center", "-50,-15", "--altitude", "2000",
                  "--graticule", "none", "--transparent" }),
        0)
        << errors.toStdString();
    const QImage image(png);
    EXPECT_EQ(CountColour(image, qRgb(0, 255, 255)), 0);
    EXPECT_EQ(CountColour(image, qRgb(192, 192, 192)) > 0, true);
    // Brazil fills the middle of the picture.
    EXPECT_EQ(image.pixel(150, 150) & 0xFFFFFF, qRgb(255, 255, 255) & 0xFFFFFF);
}

TEST_F(RenderCommandTest, RepeatPrintsTheMedianRedrawTime)
{
    const QString png = dir.path() + "/repeat.png";
    ASSERT_EQ(Run({ world, png, "--size", "200x150", "--repeat", "3" }), 0) << errors.toStdString();
    EXPECT_TRUE(QRegularExpression("^redraw ms: [0-9]+\\.[0-9]{2}\n$").match(output).hasMatch())
        << output.toStdString();
    EXPECT_EQ(QImage(png).size(), QSize(200, 150));
    for (const char* bad : { "0", "2.5", "many", "-1" }) {
        EXPECT_EQ(Run({ world, png, "--repeat", bad }), 1) << bad;
        EXPECT_TRUE(errors.contains("--repeat")) << errors.toStdString();
    }
}

TEST_F(RenderCommandTest, EnvironmentDocument)
{
    const QString environment = dir.path() + "/GlEnv";
    {
        RegisterLayerFileClasses();
        TGlobe4 globe;
        globe.LayerStore()->CreateLayer("TGlobeLayer");
        auto* reader = new TGlobeLYRReader(globe);
        reader->SetFileName(world.toStdString());
        globe.LayerStore()->Layers(0).SetObjectSource(reader);
        globe.SetSurfaceColor(0x804000);
        globe.SaveEnvironmentToFile(environment.toStdString());
    }
    const QString png = dir.path() + "/env.png";
    ASSERT_EQ(Run({ environment, png, "--size", "200x150" }), 0) << errors.toStdString();
    const QImage image(png);
    EXPECT_GT(CountColour(image, ToQColor(0x804000).rgb()), 1000);
    EXPECT_GT(CountColour(image, qRgb(255, 255, 255)), 100);
}

TEST_F(RenderCommandTest, ErrorsAreReportedAndWriteNothing)
{
    const QString png = dir.path() + "/none.png";
    EXPECT_EQ(Run({ dir.path() + "/missing.lyr", png }), 1);
    EXPECT_TRUE(errors.contains("missing.lyr")) << errors.toStdString();
    EXPECT_EQ(Run({ dir.path() + "/missing-env", png }), 1);
    EXPECT_EQ(Run({ world, png, "--size", "0x10" }), 1);
    EXPECT_EQ(Run({ world, png, "--center", "10" }), 1);
    EXPECT_EQ(Run({ world, png, "--graticule", "sideways" }), 1);
    EXPECT_EQ(Run({ world, png, "--projection", "TNoSuchPrj" }), 1);
    EXPECT_EQ(Run({ world }), 1);
    EXPECT_FALSE(QFile::exists(png));
}

} // namespace
