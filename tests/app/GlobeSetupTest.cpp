// The globe side of the main window: what the first activation sets up on
// the globe, the layer steps of the close with their save prompts, the
// environment file of the last run, and the deferred replacement of saved
// layer files from their backups.
#include "AppFixture.h"

#include "app/AppPaths.h"
#include "app/GlobeSetup.h"
#include "app/LayerBackup.h"
#include "app/Vars.h"
#include "formats/GlobeLYRReader.h"
#include "formats/GlobeLYRWriter.h"
#include "geo/GeoDataObject.h"
#include "geo/GeoMath.h"
#include "geo/GlobeProjection.h"
#include "platform/Cp1252.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobePresenter.h"
#include "view/GlobeUtils.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <QToolButton>

namespace {

class GlobeSetupTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        RegisterLayerFileClasses();
        Vars.AnimarGlobo = false;
        form = &CreateWindows();
        layers = DataHome() + "/mapas";
        QDir().mkpath(layers);
    }
    TGlobe4& Globe() { return *form->Globo; }
    TGlobeLayerStore& Store() { return *Globe().LayerStore(); }

    QString WriteLayerFile(const QString& name, int squares)
    {
        return WriteSquaresLayer(layers + "/" + name, squares);
    }
    TGlobeLayer& Open(const QString& file)
    {
        const int index = OpenLayerFile(Globe(), toCp1252(file));
        EXPECT_GE(index, 0);
        return Store().Layers(index);
    }
    int ObjectCount(const QString& file)
    {
        TGlobe4 scratch;
        const int index = OpenLayerFile(scratch, toCp1252(file));
        return index < 0 ? -1 : scratch.LayerStore()->Layers(index).ObjectSource().Count();
    }
    TFormBrumex* form = nullptr;
    QString layers;
};

TEST_F(GlobeSetupTest, FirstActivationMakesTheSpecialLayersAndMarkers)
{
    form->FormActivate();
    ASSERT_EQ(Store().Count(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Store().Layers(i).Name(), SPECIAL_LAYERS[static_cast<size_t>(i)]);
        EXPECT_TRUE(IsSpecialLayer(Store().Layers(i)));
        // Hiding the pencil's layer marks it; the close never asks for it.
        EXPECT_EQ(Store().Layers(i).Modified(), i == 3) << i;
    }
    EXPECT_FALSE(Store().LayerByName("LayLapis")->Visible());
    EXPECT_TRUE(Store().LayerByName("Trilha")->Visible());
    EXPECT_TRUE(Store().LayerByName("LayWaypt")->ShowTitles());
    ASSERT_NE(Vars.LapisObject, nullptr);
    EXPECT_EQ(Vars.LapisObject->Title, "Lapis");
    TGlobeLayer& lapis = *Store().LayerByName("LayLapis");
    EXPECT_EQ(Vars.LapisObject->ObjectSource(), lapis.AttachedSource());
    auto* pencil = dynamic_cast<TPointPresenter*>(lapis.FindPresenter(Vars.LapisObject->PresenterID()));
    ASSERT_NE(pencil, nullptr);
    EXPECT_EQ(pencil->PointType, TPointPresenterType::ppImage);
    EXPECT_EQ(pencil->PointSize(), 35);
    EXPECT_EQ(qAlpha(pencil->Image().pixel(0, pencil->Image().height() - 1)), 0);
    TGlobeLayer& track = *Store().LayerByName("Trilha");
    auto* moving = dynamic_cast<TPointPresenter*>(track.FindPresenter(Vars.PrMovelID));
    ASSERT_NE(moving, nullptr);
    EXPECT_EQ(moving->Name, "PrMovel");
    EXPECT_EQ(moving->SymbolIndex, 81);
    auto* trail = dynamic_cast<TPolylinePresenter*>(track.FindPresenter(Vars.PrTrilhaID));
    ASSERT_NE(trail, nullptr);
    EXPECT_EQ(trail->PolyPen.PenStyle(), TPenStyle::psDot);
    EXPECT_EQ(trail->PolyPen.PenColor(), 0xFF0000);
    auto* route
        = dynamic_cast<TPolylinePresenter*>(Store().LayerByName("LayWaypt")->FindPresenter(Vars.PrRotaID));
    ASSERT_NE(route, nullptr);
    EXPECT_EQ(route->PolyPen.PenWidth(), 3);
    EXPECT_TRUE(form->SpeedButtonEsferica->isChecked());
}

TEST_F(GlobeSetupTest, AnimationWithoutAWorldLayerIsSkipped)
{
    Vars.AnimarGlobo = true;
    form->FormActivate();
    EXPECT_EQ(Store().LayerByName("TGWorld.lyr"), nullptr);
    EXPECT_EQ(Store().Count(), 5);
}

TEST_F(GlobeSetupTest, AnimationRunsOverTheWorldLayerAndEndsOnTheTarget)
{
    QDir().mkpath(TAppPaths::Resolve(QStringLiteral("Layers/")));
    WriteLayerFile("TGWorld.lyr", 3);
    QFile::copy(layers + "/TGWorld.lyr", TAppPaths::Resolve(QStringLiteral("Layers/")) + "/TGWorld.lyr");
    TGlobe4& globe = Globe();
    Vars.DirLayers = QStringLiteral("Layers/");
    globe.LayerStore()->Clear();
    int32_t lowest = 0;
    globe.OnZoomed = [&](TGlobe4*, TGlobeRoot*) { lowest = std::max(lowest, globe.Projection().Altitude()); };
    StartupAnimation(globe);
    EXPECT_EQ(globe.Projection().Altitude(), 12550);
    EXPECT_NEAR(globe.Projection().XRotation(), -23.547, 1e-9);
    EXPECT_NEAR(globe.Projection().YRotation(), -46.636, 1e-9);
}

TEST_F(GlobeSetupTest, CloseWithoutMemorizingDeletesTheEnvironment)
{
    form->FormActivate();
    QFile(Vars.ArqEnv).open(QIODevice::WriteOnly);
    form->MemorizarLayers->setChecked(false);
    EXPECT_TRUE(form->FormClose());
    EXPECT_FALSE(QFile::exists(Vars.ArqEnv));
    EXPECT_EQ(Store().Count(), 0);
}

TEST_F(GlobeSetupTest, EnvironmentKeepsTheUsersLayersButNotTheSpecialOnes)
{
    const QString a = WriteLayerFile("rios.lyr", 2), b = WriteLayerFile("estradas.lyr", 3);
    form->FormActivate();
    Open(a);
    Open(b);
    Globe().Projection().SetXRotation(-10);
    form->MemorizarLayers->setChecked(true);
    EXPECT_TRUE(form->FormClose());
    ASSERT_TRUE(QFile::exists(Vars.ArqEnv));

    DestroyWindows();
    Vars = TVars {};
    Vars.AnimarGlobo = false;
    form = &CreateWindows();
    form->FormActivate();
    ASSERT_EQ(Store().Count(), 7);
    EXPECT_EQ(Store().Layers(0).Name(), "rios.lyr");
    EXPECT_EQ(Store().Layers(1).ObjectSource().Count(), 3);
    EXPECT_EQ(Store().Layers(2).Name(), "Cartas");
    EXPECT_NEAR(Globe().Projection().XRotation(), -10, 1e-9);
}

TEST_F(GlobeSetupTest, SavedLayerReplacesItsFileOnlyAtTheEnd)
{
    const QString file = WriteLayerFile("rios.lyr", 2);
    form->FormActivate();
    TGlobeLayer& layer = Open(file);
    new TGeoDataObject(&layer.ObjectSource());
    layer.SetModified(true);
    Answer(QMessageBox::Yes);
    // The close runs in steps here so that the file can be looked at between them.
    form->MemorizarLayers->setChecked(false);
    ASSERT_TRUE(form->FormClose());
    EXPECT_EQ(Asked(), QStringList { "Layer não salvo!|Deseja salvar o Layer rios.lyr antes de fecha-lo ?" });
    EXPECT_FALSE(QFile::exists(BackupFileName(file)));
    EXPECT_EQ(ObjectCount(file), 3);
    EXPECT_EQ(Vars.SavedLayerFiles, QStringList { QFileInfo(file).absoluteFilePath() });
}

TEST_F(GlobeSetupTest, BackupWaitsForTheEndOfTheRun)
{
    const QString file = WriteLayerFile("rios.lyr", 2);
    form->FormActivate();
    TGlobeLayer& layer = Open(file);
    new TGeoDataObject(&layer.ObjectSource());
    SaveLayerToBackup(layer);
    SaveLayerToBackup(layer);
    EXPECT_EQ(Vars.SavedLayerFiles.size(), 1);
    EXPECT_TRUE(QFile::exists(BackupFileName(file)));
    EXPECT_EQ(ObjectCount(file), 2);
    EXPECT_EQ(ReplaceLayerFromBackup(file), "");
    EXPECT_EQ(ObjectCount(file), 3);
    EXPECT_FALSE(QFile::exists(BackupFileName(file)));
    EXPECT_EQ(ReplaceLayerFromBackup(file), "Arquivo " + BackupFileName(file) + " não encontrado!");
    EXPECT_EQ(ObjectCount(file), 3);
}

TEST_F(GlobeSetupTest, CancelKeepsEverything)
{
    const QString file = WriteLayerFile("rios.lyr", 2);
    form->FormActivate();
    QFile(Vars.ArqEnv).open(QIODevice::WriteOnly);
    TGlobeLayer& layer = Open(file);
    layer.SetModified(true);
    Answer(QMessageBox::Cancel);
    EXPECT_FALSE(form->FormClose());
    EXPECT_EQ(Asked().size(), 1);
    EXPECT_EQ(Store().Count(), 6);
    EXPECT_TRUE(layer.Modified());
    EXPECT_TRUE(QFile::exists(Vars.ArqEnv));
    EXPECT_TRUE(Vars.SavedLayerFiles.isEmpty());
    Answer(QMessageBox::No);
    EXPECT_TRUE(form->FormClose());
    EXPECT_EQ(ObjectCount(file), 2);
}

TEST_F(GlobeSetupTest, LayersSharingTheirFirstNamePartKeepSeparateBackups)
{
    QDir().mkpath(layers + "/b");
    const QString one = WriteLayerFile("rios.lyr", 1);
    const QString other = WriteLayerFile("b/rios.v2.lyr", 4);
    EXPECT_NE(BackupFileName(one), BackupFileName(other));
    EXPECT_NE(BackupFileName(one), BackupFileName(layers + "/rios.lyr.old"));
    EXPECT_EQ(BackupFileName(one), BackupFileName(layers + "/../mapas/rios.lyr"));
}

TEST_F(GlobeSetupTest, AShapefileSourceIsSavedBesideItAndNeverOverwritten)
{
    const QString shp = layers + "/paises.shp";
    for (const char* suffix : { ".shp", ".shx", ".dbf" })
        ASSERT_TRUE(QFile::copy(QStringLiteral(BRUMEX_TEST_DATA "/naturalearth/ne_110m_countries") + suffix,
            layers + "/paises" + suffix));
    QFile original(shp);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray before = original.readAll();
    original.close();
    form->FormActivate();
    TGlobeLayer& layer = Open(shp);
    const int count = layer.ObjectSource().Count();
    const QString target = QFileInfo(layers + "/paises.lyr").absoluteFilePath();
    EXPECT_EQ(LayerSaveFile(layer), target);
    EXPECT_EQ(SaveLayerToBackup(layer), target);
    EXPECT_EQ(ReplaceLayerFromBackup(target), "");
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(original.readAll(), before);
    EXPECT_EQ(ObjectCount(target), count);
}

} // namespace
