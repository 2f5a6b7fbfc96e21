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

#include <sys/resource.h>

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
    int Run(const QStringList& args, const QString& command = "render", rlim_t memoryLimit = 0)
    {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CACHE_HOME", cache.path());
        tool.setProcessEnvironment(environment);
        if (memoryLimit)
            tool.setChildProcessModifier([memoryLimit] {
                const rlimit limit { memoryLimit, memoryLimit };
                setrlimit(RLIMIT_AS, &limit);
            });
        tool.start(QStringLiteral(BRUMEX_TOOL), QStringList { command } + args);
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

// Values far outside their range settle or are refused with a clear
// message; none crashes the tool.
TEST_F(RenderCommandTest, ImpossibleValues)
{
    const QString png = dir.path() + "/impossible.png";
    const struct {
        QStringList options;
        int exitCode;
        QString message;
    } rows[] = {
        { { "--rotation", "0,3e7,0" }, 0, "" },
        { { "--rotation", "0,-2147483648,1e15" }, 0, "" },
        { { "--rotation", "1e15,1e15,-1e15", "--projection", "TCartesianPrj" }, 0, "" },
        { { "--rotation", "0,1e7,0", "--projection", "TMercatorPrj" }, 0, "" },
        { { "--scale", "1e308" }, 0, "" },
        { { "--scale", "4e-320" }, 0, "" },
        { { "--rotation", "0,nan,0" }, 1, "brumex-tool render: --rotation: 'nan' is not a number\n" },
        { { "--scale", "inf" }, 1, "brumex-tool render: --scale: 'inf' is not a number\n" },
        { { "--size", "20000x20000" }, 1,
            "brumex-tool render: --size 20000x20000 is a picture of 400000000 pixels; at most 67108864 fit "
            "(such as 8192x8192)\n" },
        { { "--size", "1e10x1" }, 1, "brumex-tool render: --size must lie between 1x1 and 20000x20000\n" },
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.options.join(' ').toStdString());
        QFile::remove(png);
        EXPECT_EQ(Run(QStringList { world, png, "--size", "64x48" } + r.options), r.exitCode);
        EXPECT_EQ(QFile::exists(png), r.exitCode == 0);
        EXPECT_TRUE(errors.endsWith(r.message)) << errors.toStdString();
    }
}

// A picture that does not fit in memory is reported as such, never written
// blank.
TEST_F(RenderCommandTest, PictureThatDoesNotFitInMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
#endif
    const QString png = dir.path() + "/big.png";
    for (const rlim_t megabytes : { 500, 600, 700 }) {
        SCOPED_TRACE(megabytes);
        EXPECT_EQ(Run({ world, png, "--size", "8192x8192" }, "render", megabytes << 20), 1);
        EXPECT_TRUE(errors.endsWith("brumex-tool render: Not enough memory for a picture of 8192x8192 pixels\n"))
            << errors.toStdString();
        EXPECT_FALSE(QFile::exists(png));
    }
}

// The convert command takes the colour names of the environment document,
// with or without their "cl".
TEST_F(RenderCommandTest, ConvertTakesColourNames)
{
    const QString layer = dir.path() + "/coloured.lyr";
    for (const char* colour : { "navy", "clNavy", "NAVY", "#000080", "$00800000" }) {
        SCOPED_TRACE(colour);
        ASSERT_EQ(Run({ world, layer, "--outline", colour, "--fill", "silver" }, "convert"), 0)
            << errors.toStdString();
        QProcess info;
        info.start(QStringLiteral(BRUMEX_TOOL), { "info", layer });
        info.waitForFinished(60000);
        EXPECT_TRUE(info.readAllStandardOutput().contains("pen clNavy style 0 width 1, brush clSilver"));
    }
    EXPECT_EQ(Run({ world, layer, "--outline", "marine" }, "convert"), 1);
    EXPECT_TRUE(errors.endsWith("brumex-tool convert: --outline: 'marine' is not a colour (#RRGGBB, a name such "
                                "as navy or clNavy, or $00BBGGRR)\n"))
        << errors.toStdString();
}

} // namespace
