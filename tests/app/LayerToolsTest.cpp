// The "Layers" tab driven as a user drives it: the layer and object grids,
// the commands of the layer pop-up menu, dragging object rows onto layers and
// onto the waste bin, and the grids following a selection on the globe.
#include "AppFixture.h"

#include "app/AppPaths.h"
#include "app/GlobeSetup.h"
#include "app/LayerBackup.h"
#include "app/LayerTools.h"
#include "app/StringGrid.h"
#include "app/Vars.h"
#include "formats/GlobeLYRReader.h"
#include "geo/GeoDataObject.h"
#include "geo/GlobeProjection.h"
#include "platform/Cp1252.h"
#include "view/Colors.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobePresenter.h"
#include "view/GlobePresenterStore.h"
#include "view/GlobeUtils.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QTest>

namespace {

class LayerToolsTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        RegisterFileReaders();
        form = &CreateWindows();
        form->FormActivate();
        tools().Beep = [this] { ++beeps; };
        // The dialog is set up by the command; the user's choice comes from here.
        tools().RunFileDialog = [this](QFileDialog& dialog) {
            dialogs << dialog.windowTitle() + "|" + dialog.nameFilters().join(";") + "|"
                    + QDir(dialog.directory()).absolutePath() + "|" + dialog.selectedFiles().value(0);
            return std::exchange(nextFile, QString());
        };
        folder = DataHome() + "/mapas";
        QDir().mkpath(folder);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    }
    TLayerTools& tools() { return form->LayerTools(); }
    TGlobe4& Globe() { return *form->Globo; }
    TGlobeLayerStore& Store() { return *Globe().LayerStore(); }
    QStringList Names()
    {
        QStringList names;
        for (int i = 0; i < Store().Count(); ++i)
            names << fromCp1252(Store().Layers(i).Name());
        return names;
    }
    TGlobeLayer& Open(const QString& file)
    {
        ChooseFile(file);
        form->AbrirLayer->trigger();
        TGlobeLayer* layer = Store().LayerByName(toCp1252(QFileInfo(file).fileName()));
        EXPECT_NE(layer, nullptr) << file.toStdString();
        return *layer;
    }
    void ChooseLayer(const TGlobeLayer& layer)
    {
        QTest::mouseClick(form->GridLayers->viewport(), Qt::LeftButton, {}, LayerRowPoint(layer));
    }
    // Drags object row `row` of the current layer to a point of another widget.
    void DragObjectRow(int row, QWidget* target, QPoint at)
    {
        QWidget* grid = form->GridObjetos->viewport();
        form->GridObjetos->scrollTo(form->GridObjetos->model()->index(row, 0));
        const QPoint start = form->GridObjetos->CellRect(0, row).center();
        QTest::mousePress(grid, Qt::LeftButton, {}, start);
        QTest::mouseMove(grid, start + QPoint(2, 2));
        QTest::mouseMove(grid, start + QPoint(12, 0));
        const QPoint end = grid->mapFromGlobal(target->mapToGlobal(at));
        QTest::mouseMove(grid, end);
        QTest::mouseRelease(grid, Qt::LeftButton, {}, end);
    }
    QPoint LayerRowPoint(const TGlobeLayer& layer)
    {
        form->GridLayers->scrollTo(form->GridLayers->model()->index(layer.Index(), 1));
        return form->GridLayers->CellRect(1, layer.Index()).center();
    }
    QImage GridPicture(TStringGrid* grid)
    {
        grid->viewport()->repaint();
        return grid->viewport()->grab().toImage();
    }
    // The colours of the pixels of a cell.
    static QSet<QRgb> Colours(const QImage& image, const QRect& cell)
    {
        QSet<QRgb> colours;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                colours.insert(image.pixel(x, y) & 0xFFFFFF);
        return colours;
    }
    bool BinShows(const QLabel* picture) const
    {
        return form->ImageLataLixoV->pixmap().toImage() == picture->pixmap().toImage();
    }

    void ChooseFile(const QString& file) { nextFile = file; }

    TFormBrumex* form = nullptr;
    QString folder;
    int beeps = 0;
    QString nextFile;
    QStringList dialogs;
};

TEST_F(LayerToolsTest, TabAndMenuAsDesigned)
{
    EXPECT_EQ(form->GridLayers->columnCount(), 2);
    EXPECT_EQ(form->GridLayers->columnWidth(0), 22);
    EXPECT_EQ(form->GridLayers->columnWidth(1), 170);
    EXPECT_EQ(form->GridObjetos->columnWidth(0), 100);
    EXPECT_EQ(form->GridObjetos->columnWidth(1), 100);
    EXPECT_EQ(form->CbTitVis->text(), "Títulos visíveis");
    EXPECT_TRUE(form->ImageLataLixoA->isHidden());
    EXPECT_TRUE(form->ImageLataLixoF->isHidden());
    EXPECT_TRUE(BinShows(form->ImageLataLixoV));
    EXPECT_FALSE(form->ImageLataLixoV->pixmap().toImage() == form->ImageLataLixoA->pixmap().toImage());
    EXPECT_FALSE(form->ImageLataLixoF->pixmap().toImage() == form->ImageLataLixoA->pixmap().toImage());

    QStringList items;
    for (const QAction* action : form->PopupLayers->actions())
        items << action->text();
    EXPECT_EQ(items,
        QStringList({ "Abrir", "Novo", "Salvar", "Fechar", "Visível", "Zoom", "Presenters", "Mover" }));
    EXPECT_EQ(form->PopupLayers->actions().constFirst(), form->AbrirLayer);
    QStringList novo;
    for (const QAction* action : form->Novo1->actions())
        novo << action->text();
    EXPECT_EQ(novo, QStringList({ "Novo Layer", "Novo Objeto", "Novo Polígono" }));
    EXPECT_EQ(form->ParaFrente1->text(), "Para Frente");
    EXPECT_EQ(form->ParaTrs1->text(), "Para Trás");
    EXPECT_EQ(form->AbrirLayer->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));

    // After the first activation the grid lists the five special layers.
    EXPECT_EQ(form->GridLayers->RowCount(), 5);
}

TEST_F(LayerToolsTest, OpenedLayerGoesBelowTheSpecialLayersAndIsZoomedTo)
{
    const QString rios = WriteSquaresLayer(folder + "/Rios.Lyr", 3);
    const long double scaleBefore = Globe().Projection().ScaleFactor();
    TGlobeLayer& layer = Open(rios);
    EXPECT_EQ(Names(), QStringList({ "Rios.Lyr", "Cartas", "Trilha", "Temp", "LayLapis", "LayWaypt" }));
    EXPECT_EQ(form->GridLayers->RowCount(), 6);
    EXPECT_NE(Globe().Projection().ScaleFactor(), scaleBefore);
    EXPECT_EQ(layer.ObjectSource().Count(), 3);

    // On top of an ordinary layer it stays on top.
    Store().LayerByName("LayWaypt")->SetIndex(0);
    for (const char* name : { "Cartas", "Trilha", "Temp", "LayLapis" })
        Store().LayerByName(name)->SetIndex(0);
    const QString lagos = WriteSquaresLayer(folder + "/Lagos.lyr", 1);
    Open(lagos);
    EXPECT_EQ(Names().constLast(), "Lagos.lyr");

    // A file of the same name from another folder is not opened again.
    QDir().mkpath(folder + "/outra");
    WriteSquaresLayer(folder + "/outra/Rios.Lyr", 5);
    const int count = Store().Count();
    ChooseFile(folder + "/outra/Rios.Lyr");
    form->AbrirLayer->trigger();
    EXPECT_EQ(Store().Count(), count);
    EXPECT_EQ(Store().LayerByName("Rios.Lyr")->ObjectSource().Count(), 3);
    EXPECT_TRUE(Asked().isEmpty());
}

TEST_F(LayerToolsTest, OpenDialogOffersLayersShapefilesAndMifFiles)
{
    Vars.DirLayers = folder;
    form->AbrirLayer->trigger();
    ASSERT_EQ(dialogs.size(), 1);
    EXPECT_EQ(dialogs[0],
        "Selecione o layer desejado|Layers (*.Lyr);Shapefiles (*.shp);MapInfo (*.mif);"
        "Todos os mapas (*.Lyr *.shp *.mif)|"
            + QDir(folder).absolutePath() + "|");
    EXPECT_EQ(Store().Count(), 5);

    for (const char* suffix : { ".shp", ".shx", ".dbf" })
        ASSERT_TRUE(QFile::copy(QStringLiteral(BRUMEX_TEST_DATA "/naturalearth/ne_110m_countries") + suffix,
            folder + "/paises" + suffix));
    EXPECT_GT(Open(folder + "/paises.shp").ObjectSource().Count(), 100);
}

TEST_F(LayerToolsTest, UnreadableFileLeavesNoLayerAndSaysWhy)
{
    QFile broken(folder + "/quebrado.lyr");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a layer file at all");
    broken.close();
    ChooseFile(broken.fileName());
    Answer(QMessageBox::Ok);
    form->AbrirLayer->trigger();
    EXPECT_EQ(Store().Count(), 5);
    EXPECT_EQ(form->GridLayers->RowCount(), 5);
    ASSERT_EQ(Asked().size(), 1);
    EXPECT_TRUE(Asked()[0].startsWith("Erro!|Não foi possível abrir")) << Asked()[0].toStdString();
}

TEST_F(LayerToolsTest, NewLayerGetsTheLayerExtensionAndIsWrittenAtOnce)
{
    const struct {
        QString typed;
        QString file;
    } cases[] = {
        { "Mapa", "Mapa.Lyr" },
        { "mapa2.LYR", "mapa2.LYR" },
        { "estradas.v2", "estradas.v2.Lyr" },
    };
    for (const auto& c : cases) {
        ChooseFile(folder + "/" + c.typed);
        form->NovoLayer1->trigger();
        TGlobeLayer* layer = Store().LayerByName(toCp1252(c.file));
        ASSERT_NE(layer, nullptr) << c.file.toStdString();
        EXPECT_EQ(fromCp1252(layer->Name()), c.file);
        EXPECT_TRUE(QFile::exists(folder + "/" + c.file)) << c.file.toStdString();
        EXPECT_NE(dynamic_cast<TGlobeLYRReader*>(layer->AttachedSource()), nullptr);
        EXPECT_EQ(layer->ObjectSource().Name, layer->Name());
        EXPECT_FALSE(layer->Modified());
        // Just below the special layers, and chosen in the grid.
        EXPECT_EQ(layer->Index(), Store().Count() - 6);
        EXPECT_EQ(form->GridLayers->Row(), layer->Index());
        EXPECT_EQ(form->GridLayers->Col(), 1);
        EXPECT_EQ(form->LabQtObj->text(), "0 Objetos");
    }
    EXPECT_TRUE(dialogs.constFirst().startsWith("Nome do Layer|Layers (*.Lyr)|")) << dialogs[0].toStdString();
    EXPECT_TRUE(dialogs.constFirst().endsWith("/NovoLayer.Lyr")) << dialogs[0].toStdString();
    // Cancel creates nothing.
    const int count = Store().Count();
    ChooseFile({});
    form->NovoLayer1->trigger();
    EXPECT_EQ(Store().Count(), count);
}

TEST_F(LayerToolsTest, NewLayerNeverOverwritesAFileTheUserWasNotAskedAbout)
{
    WriteSquaresLayer(folder + "/Mapa.Lyr", 4);
    ChooseFile(folder + "/Mapa");
    Answer(QMessageBox::No);
    form->NovoLayer1->trigger();
    ASSERT_EQ(Asked().size(), 1);
    EXPECT_TRUE(Asked()[0].startsWith("Arquivo já existente|")) << Asked()[0].toStdString();
    EXPECT_EQ(Store().Count(), 5);
    TGlobe4 scratch;
    EXPECT_EQ(scratch.LayerStore()->Layers(OpenLayerFile(scratch, toCp1252(folder + "/Mapa.Lyr"))).ObjectSource().Count(), 4);
}

TEST_F(LayerToolsTest, ShowingOrHidingKeepsTheModifiedMark)
{
    TGlobeLayer& layer = Open(WriteSquaresLayer(folder + "/rios.lyr", 2));
    ChooseLayer(layer);
    for (const bool modified : { true, false }) {
        layer.SetModified(modified);
        const bool visible = layer.Visible();
        form->PopupLayers->aboutToShow();
        EXPECT_EQ(form->Visvel1->isChecked(), visible);
        form->Visvel1->trigger();
        EXPECT_EQ(layer.Visible(), !visible);
        EXPECT_EQ(layer.Modified(), modified);
        EXPECT_EQ(form->Visvel1->isChecked(), layer.Visible());
    }
    // A double click on the grid does the same.
    const bool visible = layer.Visible();
    QTest::mouseDClick(form->GridLayers->viewport(), Qt::LeftButton, {}, LayerRowPoint(layer));
    EXPECT_EQ(layer.Visible(), !visible);
}

TEST_F(LayerToolsTest, GridPaintsSwatchesSpecialModifiedAndPlainNames)
{
    TGlobeLayer& plain = Open(WriteSquaresLayer(folder + "/rios.lyr", 1));
    TGlobeLayer& changed = Open(WriteSquaresLayer(folder + "/lagos.lyr", 1));
    plain.SetVisible(false);
    plain.SetModified(false);
    changed.SetModified(true);
    const QImage picture = GridPicture(form->GridLayers);
    picture.save(QDir::tempPath() + "/brumex-layers-grid.png");
    const auto swatch = [&](const TGlobeLayer& layer) {
        return Colours(picture, form->GridLayers->CellRect(0, layer.Index()).adjusted(2, 2, -2, -2));
    };
    EXPECT_EQ(swatch(plain), QSet<QRgb>({ qRgb(128, 128, 128) & 0xFFFFFF }));
    EXPECT_EQ(swatch(changed), QSet<QRgb>({ qRgb(255, 255, 0) & 0xFFFFFF }));
    const auto text = [&](const TGlobeLayer& layer) {
        return Colours(picture, form->GridLayers->CellRect(1, layer.Index()));
    };
    EXPECT_TRUE(text(changed).contains(qRgb(255, 0, 0) & 0xFFFFFF));
    EXPECT_TRUE(text(*Store().LayerByName("Cartas")).contains(qRgb(0, 128, 0) & 0xFFFFFF));
    EXPECT_FALSE(text(*Store().LayerByName("Cartas")).contains(qRgb(255, 0, 0) & 0xFFFFFF));
    EXPECT_TRUE(text(plain).contains(0));
    EXPECT_FALSE(text(plain).contains(qRgb(255, 0, 0) & 0xFFFFFF));
}

TEST_F(LayerToolsTest, ChoosingALayerShowsItsDataObjectsAndWaypointPanel)
{
    TGlobeLayer& layer = Open(WriteSquaresLayer(folder + "/rios.lyr", 3));
    layer.ObjectSource().GetObject(1).SetSelected(true);
    layer.SetShowTitles(false);
    ChooseLayer(layer);
    EXPECT_EQ(form->LabQtObj->text(), "3 Objetos");
    EXPECT_EQ(form->LabSelec->text(), "1 Selecionados");
    EXPECT_FALSE(form->CbTitVis->isChecked());
    EXPECT_EQ(form->GridObjetos->RowCount(), 3);
    EXPECT_TRUE(form->PanelEdWaypt->isHidden());
    QTest::mouseClick(form->CbTitVis, Qt::LeftButton);
    EXPECT_TRUE(layer.ShowTitles());

    ChooseLayer(*Store().LayerByName("LayWaypt"));
    EXPECT_FALSE(form->PanelEdWaypt->isHidden());
    EXPECT_TRUE(form->CbTitVis->isChecked());
    EXPECT_EQ(form->GridObjetos->RowCount(), 0);

    // Object rows: the title and the presenter's name, "-X-" without one.
    ChooseLayer(layer);
    auto presenter = std::make_unique<TPolygonPresenter>(&Globe(), 0);
    presenter->Name = "Azul";
    const int32_t id = layer.ObjectSource().Presenters().Add(std::move(presenter));
    layer.ObjectSource().GetObject(0).SetPresenterID(id);
    layer.ObjectSource().GetObject(2).SetPresenterID(77);
    GridPicture(form->GridObjetos).save(QDir::tempPath() + "/brumex-objects-grid.png");
    // What the handler paints is the text the grid's rule places.
    const auto painted = [&](int col, int row) {
        QImage cell(100, 16, QImage::Format_RGB32);
        cell.fill(Qt::white);
        QPainter p(&cell);
        tools().GridObjetosDrawCell(p, col, row, cell.rect());
        return cell;
    };
    const auto drawn = [](const QString& text) {
        QImage cell(100, 16, QImage::Format_RGB32);
        cell.fill(Qt::white);
        QPainter p(&cell);
        TStringGrid::DrawCellText(p, cell.rect(), text);
        return cell;
    };
    EXPECT_EQ(painted(0, 1), drawn("Q1"));
    EXPECT_EQ(painted(1, 0), drawn("Azul"));
    EXPECT_EQ(painted(1, 1), drawn("-X-"));
    EXPECT_EQ(painted(1, 2), drawn("-X-"));
    EXPECT_NE(painted(1, 0), drawn("-X-"));
}

TEST_F(LayerToolsTest, SaveWritesTheBackupAndClearsTheMark)
{
    const QString file = WriteSquaresLayer(folder + "/rios.lyr", 2);
    TGlobeLayer& layer = Open(file);
    new TGeoDataObject(&layer.ObjectSource());
    layer.SetModified(true);
    ChooseLayer(layer);
    form->Salvar1->trigger();
    EXPECT_FALSE(layer.Modified());
    EXPECT_TRUE(QFile::exists(BackupFileName(file)));
    EXPECT_EQ(Vars.SavedLayerFiles, QStringList { QFileInfo(file).absoluteFilePath() });

    // A layer without a file of its own says so and keeps its mark.
    TGlobeLayer& temp = *Store().LayerByName("Temp");
    temp.SetModified(true);
    ChooseLayer(temp);
    Answer(QMessageBox::Ok);
    form->Salvar1->trigger();
    EXPECT_TRUE(temp.Modified());
    ASSERT_EQ(Asked().size(), 1);
    EXPECT_TRUE(Asked()[0].startsWith("Erro!|")) << Asked()[0].toStdString();
}

TEST_F(LayerToolsTest, CloseAsksAboutAModifiedLayer)
{
    const struct {
        QMessageBox::StandardButton answer;
        bool closed;
        bool saved;
    } cases[] = {
        { QMessageBox::Cancel, false, false },
        { QMessageBox::No, true, false },
        { QMessageBox::Yes, true, true },
    };
    for (const auto& c : cases) {
        const QString file = WriteSquaresLayer(folder + "/rios.lyr", 2);
        QFile::remove(BackupFileName(file));
        Vars.SavedLayerFiles.clear();
        TGlobeLayer& layer = Open(file);
        layer.SetModified(true);
        ChooseLayer(layer);
        Answer(c.answer);
        form->Fechar1->trigger();
        EXPECT_EQ(Asked().constLast(), "Layer não salvo!|Deseja salvar o Layer rios.lyr antes de fecha-lo ?");
        EXPECT_EQ(Store().LayerByName("rios.lyr") == nullptr, c.closed) << c.answer;
        EXPECT_EQ(QFile::exists(BackupFileName(file)), c.saved) << c.answer;
        EXPECT_EQ(Vars.SavedLayerFiles.size(), c.saved ? 1 : 0);
        EXPECT_EQ(form->GridLayers->RowCount(), Store().Count());
        if (TGlobeLayer* left = Store().LayerByName("rios.lyr"))
            Store().DeleteLayer(*left);
    }
    // An unmodified layer closes without a question.
    const int asked = static_cast<int>(Asked().size());
    ChooseLayer(Open(WriteSquaresLayer(folder + "/lagos.lyr", 1)));
    form->Fechar1->trigger();
    EXPECT_EQ(Store().LayerByName("lagos.lyr"), nullptr);
    EXPECT_EQ(Asked().size(), asked);
}

TEST_F(LayerToolsTest, ReorderMovesTheLayerAndTheRowAndBeepsAtTheEnds)
{
    TGlobeLayer& layer = Open(WriteSquaresLayer(folder + "/rios.lyr", 1));
    ChooseLayer(layer);
    ASSERT_EQ(layer.Index(), 0);
    form->ParaTrs1->trigger();
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(layer.Index(), 0);
    form->ParaFrente1->trigger();
    EXPECT_EQ(layer.Index(), 1);
    EXPECT_EQ(form->GridLayers->Row(), 1);
    EXPECT_EQ(Names()[0], "Cartas");
    for (int i = 0; i < 4; ++i)
        form->ParaFrente1->trigger();
    EXPECT_EQ(layer.Index(), 5);
    EXPECT_EQ(beeps, 1);
    form->ParaFrente1->trigger();
    EXPECT_EQ(beeps, 2);
    form->ParaTrs1->trigger();
    EXPECT_EQ(layer.Index(), 4);
    EXPECT_EQ(form->GridLayers->Row(), 4);
}

TEST_F(LayerToolsTest, RightClickOpensTheMenuOnTheRowUnderTheMouse)
{
    TGlobeLayer& layer = Open(WriteSquaresLayer(folder + "/rios.lyr", 2));
    ChooseLayer(*Store().LayerByName("Temp"));
    const QPoint at = LayerRowPoint(layer);
    form->GridLayers->customContextMenuRequested(at);
    EXPECT_EQ(form->GridLayers->Row(), layer.Index());
    EXPECT_TRUE(form->PopupLayers->isVisible());
    EXPECT_TRUE(form->Visvel1->isChecked());
    EXPECT_EQ(form->LabQtObj->text(), "2 Objetos");
    form->PopupLayers->close();
}

TEST_F(LayerToolsTest, DraggingAnObjectRowMovesItIntoTheLayerDroppedOn)
{
    TGlobeLayer& rios = Open(WriteSquaresLayer(folder + "/rios.lyr", 3));
    TGlobeLayer& lagos = Open(WriteSquaresLayer(folder + "/lagos.lyr", 1));
    ChooseLayer(rios);
    TGlobeObject* moved = &rios.ObjectSource().GetObject(1);
    DragObjectRow(1, form->GridLayers->viewport(), LayerRowPoint(lagos));
    EXPECT_EQ(rios.ObjectSource().Count(), 2);
    ASSERT_EQ(lagos.ObjectSource().Count(), 2);
    EXPECT_EQ(&lagos.ObjectSource().GetObject(1), moved);
    EXPECT_EQ(moved->Title, "Q1");
    EXPECT_TRUE(moved->Closed());
    EXPECT_EQ(lagos.ObjectSource().Name, lagos.Name());
    EXPECT_EQ(LayerOfObject(Globe(), *moved), &lagos);
    EXPECT_TRUE(rios.Modified());
    EXPECT_TRUE(lagos.Modified());
    EXPECT_EQ(form->GridObjetos->RowCount(), 2);
    EXPECT_EQ(form->GridLayers->Row(), rios.Index());

    // Onto its own layer: it stays where it is, and the layer is marked.
    rios.SetModified(false);
    TGlobeObject* first = &rios.ObjectSource().GetObject(0);
    DragObjectRow(0, form->GridLayers->viewport(), LayerRowPoint(rios));
    EXPECT_EQ(&rios.ObjectSource().GetObject(0), first);
    EXPECT_EQ(rios.ObjectSource().Count(), 2);
    EXPECT_TRUE(rios.Modified());

    // Less than 5 pixels is a click, not a drag.
    QWidget* grid = form->GridObjetos->viewport();
    const QPoint start = form->GridObjetos->CellRect(0, 0).center();
    QTest::mousePress(grid, Qt::LeftButton, {}, start);
    QTest::mouseMove(grid, start + QPoint(4, 0));
    QTest::mouseRelease(grid, Qt::LeftButton, {}, start + QPoint(4, 0));
    EXPECT_EQ(rios.ObjectSource().Count(), 2);
}

TEST_F(LayerToolsTest, WasteBinDestroysTheObjectAndStaysFull)
{
    TGlobeLayer& rios = Open(WriteSquaresLayer(folder + "/rios.lyr", 3));
    ChooseLayer(rios);
    QLabel* bin = form->ImageLataLixoV;
    QWidget* grid = form->GridObjetos->viewport();
    const QPoint start = form->GridObjetos->CellRect(0, 2).center();
    QTest::mousePress(grid, Qt::LeftButton, {}, start);
    QTest::mouseMove(grid, start + QPoint(10, 0));
    const QPoint overBin = grid->mapFromGlobal(bin->mapToGlobal(bin->rect().center()));
    QTest::mouseMove(grid, overBin);
    EXPECT_TRUE(BinShows(form->ImageLataLixoA));
    bin->grab().save(QDir::tempPath() + "/brumex-bin-open.png");
    QTest::mouseMove(grid, start + QPoint(10, 0));
    EXPECT_TRUE(BinShows(form->ImageLataLixoV) || !BinShows(form->ImageLataLixoA));
    QTest::mouseMove(grid, overBin);
    QTest::mouseRelease(grid, Qt::LeftButton, {}, overBin);
    EXPECT_EQ(rios.ObjectSource().Count(), 2);
    EXPECT_EQ(rios.ObjectSource().GetObject(1).Title, "Q1");
    EXPECT_TRUE(rios.Modified());
    EXPECT_EQ(form->GridObjetos->RowCount(), 2);
    EXPECT_EQ(form->LabQtObj->text(), "2 Objetos");
    EXPECT_TRUE(BinShows(form->ImageLataLixoF));
    bin->grab().save(QDir::tempPath() + "/brumex-bin-full.png");

    // Another drag over it and away leaves it full.
    QTest::mousePress(grid, Qt::LeftButton, {}, start - QPoint(0, 16));
    QTest::mouseMove(grid, start + QPoint(10, -16));
    QTest::mouseMove(grid, overBin);
    QTest::mouseMove(grid, start + QPoint(10, -16));
    QTest::mouseRelease(grid, Qt::LeftButton, {}, start + QPoint(10, -16));
    EXPECT_TRUE(BinShows(form->ImageLataLixoF));
    EXPECT_EQ(rios.ObjectSource().Count(), 2);
}

// The references the tools keep to one object, each left pointing at the
// object destroyed on the waste bin.
TEST_F(LayerToolsTest, ObjectDestroyedOnTheBinLeavesNoReferenceBehind)
{
    TGlobeLayer& track = *Store().LayerByName("Trilha");
    TGlobeLayer& waypoints = *Store().LayerByName("LayWaypt");
    const struct {
        const char* name;
        TGlobeLayer* layer;
        std::function<void(TGeoDataObject*)> keep;
        std::function<bool()> cleared;
    } cases[] = {
        { "EditedObject", &waypoints, [](TGeoDataObject* o) { Vars.EditedObject = o; },
            [] { return Vars.EditedObject == nullptr; } },
        { "MovingMarker", &track, [](TGeoDataObject* o) { Vars.MovingMarker = o; },
            [] { return Vars.MovingMarker == nullptr; } },
        { "TrackObject", &track, [](TGeoDataObject* o) { Vars.TrackObject = o; },
            [] { return Vars.TrackObject == nullptr; } },
        { "RouteObject", &waypoints, [](TGeoDataObject* o) { Vars.RouteObject = o; },
            [] { return Vars.RouteObject == nullptr; } },
        { "HoverObject", &waypoints, [](TGeoDataObject* o) { Vars.HoverObject = o; },
            [] { return Vars.HoverObject == nullptr; } },
        { "PlotTarget", &waypoints, [](TGeoDataObject* o) { Vars.PlotTarget = { o, 0, 3 }; },
            [] { return Vars.PlotTarget.Object == nullptr && Vars.PlotTarget.Point == 0; } },
        { "selection", &waypoints, [this](TGeoDataObject* o) { Store().SelectObject(o); },
            [this] { return Store().SelectedObject() == nullptr; } },
    };
    for (const auto& c : cases) {
        auto* object = new TGeoDataObject(&c.layer->ObjectSource());
        object->Title = c.name;
        c.layer->ObjectSource().Name = c.layer->Name();
        c.keep(object);
        ChooseLayer(*c.layer);
        const int row = object->ObjectIndex;
        DragObjectRow(row, form->ImageLataLixoV, form->ImageLataLixoV->rect().center());
        EXPECT_TRUE(c.cleared()) << c.name;
        EXPECT_EQ(c.layer->FindObjectByTitle(c.name, nullptr), nullptr) << c.name;
    }
    // The globe draws on without the objects.
    Globe().Redraw();
    Globe().viewport()->repaint();
}

TEST_F(LayerToolsTest, ClosingALayerLetsGoOfItsObjectsAndPresenters)
{
    TGlobeLayer& layer = Open(WriteSquaresLayer(folder + "/rios.lyr", 3));
    TGlobeObject& object = layer.ObjectSource().GetObject(1);
    Vars.EditedObject = &object;
    Vars.HoverObject = &layer.ObjectSource().GetObject(2);
    Vars.EditedLayer = &layer;
    auto presenter = std::make_unique<TPointPresenter>(&Globe(), 0);
    TGlobePresenter* kept = presenter.get();
    layer.ObjectSource().Presenters().Add(std::move(presenter));
    Vars.EditedPresenter = kept;
    Store().SelectObject(&object);
    ChooseLayer(layer);
    form->Fechar1->trigger();
    EXPECT_EQ(Store().LayerByName("rios.lyr"), nullptr);
    EXPECT_EQ(Vars.EditedObject, nullptr);
    EXPECT_EQ(Vars.HoverObject, nullptr);
    EXPECT_EQ(Vars.EditedLayer, nullptr);
    EXPECT_EQ(Vars.EditedPresenter, nullptr);
    EXPECT_EQ(Store().SelectedObject(), nullptr);
}

TEST_F(LayerToolsTest, ObjectsReleasedByTheCacheOrTheGlobeLeaveNoReference)
{
    TGlobeLayer& layer = Open(WriteSquaresLayer(folder + "/rios.lyr", 3));
    Vars.EditedObject = &layer.ObjectSource().GetObject(0);
    layer.ObjectSource().ReleaseObject(0);
    EXPECT_EQ(Vars.EditedObject, nullptr);
    Vars.HoverObject = &layer.ObjectSource().GetObject(1);
    Globe().ClearGlobe();
    EXPECT_EQ(Vars.HoverObject, nullptr);
    EXPECT_EQ(Vars.LapisObject, nullptr);
}

TEST_F(LayerToolsTest, SelectionOnTheGlobeMovesTheGridsAndSetsTheBrush)
{
    TGlobeLayer& rios = Open(WriteSquaresLayer(folder + "/rios.lyr", 3));
    TGlobeObject& object = rios.ObjectSource().GetObject(2);
    Store().SelectObject(&object);
    EXPECT_EQ(form->GridLayers->Row(), rios.Index());
    EXPECT_EQ(form->GridLayers->Col(), 1);
    EXPECT_EQ(form->GridObjetos->Row(), 2);
    EXPECT_EQ(Globe().SelectedBrushValue.color(), QColor(255, 255, 0));
    EXPECT_TRUE(form->PanelEdWaypt->isHidden());

    // A world layer selects in the object's own fill colour.
    TGlobeLayer& world = Open(WriteSquaresLayer(folder + "/MyWorld.lyr", 2));
    auto fill = std::make_unique<TPolygonPresenter>(&Globe(), 0);
    fill->PolyBrush.SetBrushColor(0x00FF8040);
    const int32_t id = world.ObjectSource().Presenters().Add(std::move(fill));
    world.ObjectSource().GetObject(1).SetPresenterID(id);
    Store().SelectObject(&world.ObjectSource().GetObject(1));
    EXPECT_EQ(Globe().SelectedBrushValue.color(), ToQColor(0x00FF8040));
    EXPECT_EQ(form->GridObjetos->Row(), 1);

    // A waypoint shows the icon panel; the pencil never stays selected.
    TGlobeLayer& waypoints = *Store().LayerByName("LayWaypt");
    auto* waypoint = new TGeoDataObject(&waypoints.ObjectSource());
    waypoints.ObjectSource().Name = "LayWaypt";
    Store().SelectObject(waypoint);
    EXPECT_FALSE(form->PanelEdWaypt->isHidden());
    ASSERT_NE(Vars.LapisObject, nullptr);
    Store().SelectObject(Vars.LapisObject);
    EXPECT_FALSE(Vars.LapisObject->Selected());
    EXPECT_EQ(Store().SelectedObject(), nullptr);
}

TEST_F(LayerToolsTest, LayersTabWithSeveralLayers)
{
    TGlobeLayer& world = Open(QStringLiteral(BRUMEX_SOURCE_DIR "/data/TGWorld.lyr"));
    TGlobeLayer& rios = Open(WriteSquaresLayer(folder + "/rios.lyr", 3));
    rios.SetModified(true);
    world.SetVisible(false);
    ChooseLayer(world);
    form->TabSheetLayers->grab().save(QDir::tempPath() + "/brumex-layers-tab.png");
    form->grab().save(QDir::tempPath() + "/brumex-layers-window.png");
    EXPECT_GT(form->GridObjetos->RowCount(), 100);
}

} // namespace
