// Charts on the main window: opening chart files into layer "Cartas", the
// chart list, the chart editor and its two-click move and stretch on the
// globe, and saving a chart file, driven through the window's own controls.
#include "AppFixture.h"
#include "common/AnswerTimer.h"

#include "app/ChartFile.h"
#include "app/ChartTool.h"
#include "app/FormDirSelect.h"
#include "app/GlobeSetup.h"
#include "app/LayerTools.h"
#include "app/PanelBasicosBMP.h"
#include "app/StringGrid.h"
#include "app/UpDown.h"
#include "app/Vars.h"
#include "common/QtPrinters.h"
#include "geo/BitmapObject.h"
#include "geo/GeoDataObject.h"
#include "geo/GlobeProjection.h"
#include "platform/Cp1252.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobeUtils.h"
#include "view/TestBitmap.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

namespace {

constexpr int ChartSize = 40;
// The marker block of the test chart: texels 24..27 in both axes.
constexpr int MarkerFrom = 24, MarkerTo = 27;

class ChartToolsTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        Vars.AnimarGlobo = false;
        form = &CreateWindows();
        form->FormActivate();
        charts = form->ChartTool.get();
        panel = form->PanelBasicosBMP;
        folder = DataHome() + "/cartas";
        QDir().mkpath(folder);
        Vars.DirCartasBMP = folder;
        // A marker block of index 1 on index 2.
        WriteBitmap("marca.bmp", TestBitmapBytes(ChartSize, ChartSize, [](int x, int y) {
            return x >= MarkerFrom && x <= MarkerTo && y >= MarkerFrom && y <= MarkerTo ? 1 : 2;
        }));
    }
    void TearDown() override
    {
        charts = nullptr;
        AppFixture::TearDown();
    }

    void WriteBitmap(const QString& name, const std::vector<uint8_t>& bytes)
    {
        QFile file(folder + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
    QString WriteChart(const QString& name, const TChartFile& chart)
    {
        const QString file = folder + "/" + name;
        WriteChartFile(toCp1252(file), chart);
        return file;
    }
    // The test chart: its north-west corner at 0, 0, a tenth of a degree a pixel.
    QString MarkerChart(const QString& name = "Marca.Carta")
    {
        return WriteChart(name, { "marca.bmp", 0, 0, GU_DEGREE / 10, GU_DEGREE / 10 });
    }
    TGlobeLayer& Charts() { return *form->Globo->LayerStore()->LayerByName("Cartas"); }
    int ChartCount() { return Charts().ObjectSource().Count(); }
    TBitmapObject& Chart(int index)
    {
        return dynamic_cast<TBitmapObject&>(Charts().ObjectSource().GetObject(index));
    }

    // Runs the step on the next modal window as soon as it is open.
    static void OnModal(std::function<void(QWidget*)> step)
    {
        QTimer* timer = NewAnswerTimer(10);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, step, tries = 0]() mutable {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal && ++tries < 500)
                return;
            timer->deleteLater();
            timer->stop();
            if (modal)
                step(modal);
        });
    }
    // Presses the button of the next message box and keeps its caption and text.
    void Answer(QMessageBox::StandardButton button)
    {
        OnModal([this, button](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box)
                return;
            asked.append(box->windowTitle() + "|" + box->text());
            box->button(button)->click();
        });
    }
    void ShowWindow()
    {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
    }
    QImage GlobePicture() { return form->Globo->viewport()->grab().toImage(); }
    QPoint ScreenOf(const TGeoPoint& point)
    {
        const TProjectedPoint p = form->Globo->Projection().GeoToXY(point);
        EXPECT_TRUE(p.visible);
        return { p.point.X, p.point.Y };
    }
    TGeoPoint GeoOf(QPoint pixel)
    {
        const TScreenGeoPoint p = form->Globo->Projection().XYToGeo(pixel.x(), pixel.y());
        EXPECT_TRUE(p.onMap);
        return p.point;
    }

    TFormBrumex* form = nullptr;
    TChartTool* charts = nullptr;
    TPanelBasicosBMP* panel = nullptr;
    QString folder;
    QStringList asked;
};

} // namespace

TEST_F(ChartToolsTest, OpeningAChartPlacesItsBitmapInLayerCartas)
{
    const QString file = WriteChart("Baia.Guanabara.Carta", { "marca.bmp", -233280000, -123930000, 1350, 1500 });
    TBitmapObject* chart = charts->MostraCarta(file);
    ASSERT_NE(chart, nullptr);
    ASSERT_EQ(ChartCount(), 1);
    EXPECT_EQ(&Chart(0), chart);
    EXPECT_EQ(chart->Title, "Baia");
    EXPECT_EQ(chart->GetCentroid().Long, -233280000);
    EXPECT_EQ(chart->GetCentroid().Lat, -123930000);
    EXPECT_EQ(chart->GlobeUnitsPerXPixel(), 1350);
    EXPECT_EQ(chart->GlobeUnitsPerYPixel(), 1500);
    EXPECT_EQ(fromCp1252(chart->BMPFilename()), folder + "/marca.bmp");
    EXPECT_TRUE(chart->TextureData().HasImage());
    EXPECT_EQ(Charts().ObjectSource().Name, "Cartas");
    // The list shows it at once.
    ASSERT_EQ(form->GridCartas->rowCount(), 1);
    EXPECT_EQ(form->GridCartas->item(0, 0)->text(), "Baia");
    // The view fits the chart: its corners are on the picture.
    const TMER mer = chart->GetMER();
    for (const TGeoPoint corner : { TGeoPoint { mer.Left, mer.Bottom + mer.Height, 0 },
             TGeoPoint { mer.Left + mer.Width, mer.Bottom, 0 } })
        EXPECT_TRUE(form->Globo->Projection().GeoToXY(corner).visible);
}

TEST_F(ChartToolsTest, TheSameChartOpenedTwiceIsOneChart)
{
    const QString file = MarkerChart();
    TBitmapObject* first = charts->MostraCarta(file);
    // The title counts, in any letter case, wherever the file lies.
    QDir().mkpath(folder + "/outra");
    const QString copy = folder + "/outra/MARCA.carta";
    ASSERT_TRUE(QFile::copy(file, copy));
    EXPECT_EQ(charts->MostraCarta(file), first);
    EXPECT_EQ(charts->MostraCarta(copy), first);
    EXPECT_EQ(ChartCount(), 1);
}

TEST_F(ChartToolsTest, ACountryOfTheSameNameIsNoOpenChart)
{
    TGlobeLayer& world = form->Globo->LayerStore()->CreateLayer("TGlobeLayer");
    world.SetName("Mundo");
    (new TGeoDataObject(&world.ObjectSource()))->Title = "Marca";
    ASSERT_NE(charts->MostraCarta(MarkerChart()), nullptr);
    EXPECT_EQ(ChartCount(), 1);
}

TEST_F(ChartToolsTest, RealChartSitsOnItsCoastAndWhiteIsTransparent)
{
    for (const char* name : { "Sudeste.Carta", "Sudeste.bmp" })
        ASSERT_TRUE(QFile::copy(QString(BRUMEX_SOURCE_DIR "/data/Cartas/") + name, folder + "/" + name));
    TBitmapObject* chart = charts->MostraCarta(folder + "/Sudeste.Carta");
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->TextureData().RowWidth(), 480);
    EXPECT_EQ(chart->TextureData().ImageHeight(), 400);
    EXPECT_EQ(chart->TransparentIndex(), 0);
    EXPECT_EQ(chart->TransparentColor(), 0xFFFFFF);
    // 50 W .. 38 W, 28 S .. 18 S.
    const TMER mer = chart->GetMER();
    EXPECT_EQ(mer.Left, -50 * GU_DEGREE);
    EXPECT_EQ(mer.Width, 12 * GU_DEGREE);
    EXPECT_EQ(mer.Bottom, -28 * GU_DEGREE);
    EXPECT_EQ(mer.Height, 10 * GU_DEGREE);
}

TEST_F(ChartToolsTest, TheSampleChartOverTheWorldIsChosenByAClickAndFillsTheEditor)
{
    RegisterFileReaders();
    const int world = OpenLayerFile(*form->Globo, BRUMEX_SOURCE_DIR "/data/TGWorld.lyr");
    ASSERT_GE(world, 0);
    // Where the program's start puts it: under the special layers.
    form->Globo->LayerStore()->Layers(world).SetIndex(0);
    for (const char* name : { "Sudeste.Carta", "Sudeste.bmp" })
        ASSERT_TRUE(QFile::copy(QString(BRUMEX_SOURCE_DIR "/data/Cartas/") + name, folder + "/" + name));
    ShowWindow();
    TBitmapObject* chart = charts->MostraCarta(folder + "/Sudeste.Carta");
    ASSERT_NE(chart, nullptr);
    // Opening zoomed the view to the chart; a step back shows its coast around it.
    TGlobeProjection& projection = form->Globo->Projection();
    projection.SetScaleFactor(projection.ScaleFactor() * 0.6);
    form->Globo->Redraw();
    QWidget* globe = form->Globo->viewport();
    const QPoint inland = ScreenOf({ -45 * GU_DEGREE, -21 * GU_DEGREE, 0 });
    QTest::mouseMove(globe, inland + QPoint(1, 0));
    QTest::mouseMove(globe, inland);
    QTest::mouseClick(globe, Qt::LeftButton, {}, inland);
    EXPECT_EQ(Vars.EditedChart, chart);
    EXPECT_EQ(form->PageControlGPS->currentWidget(), form->TabSheetEdBitMap);
    EXPECT_EQ(panel->EdNomeBMP->text(), "Sudeste");
    EXPECT_EQ(panel->EdBtCentrLon->text(), "050°00.000’W");
    EXPECT_EQ(panel->EdBtCentrLat->text(), "18°00.000’S");
    EXPECT_EQ(panel->EdDistBMPLon->text(), "135000");
    EXPECT_EQ(panel->EdDistBMPLat->text(), "135000");
    // Beyond the chart's east edge the world layer draws as before; on it,
    // the chart's own colours.
    const QImage picture = GlobePicture();
    picture.save(QDir::tempPath() + "/brumex-chart-over-world.png");
    form->PanelAbreFecha->grab().save(QDir::tempPath() + "/brumex-chart-editor.png");
    EXPECT_NE(picture.pixel(ScreenOf({ -45 * GU_DEGREE, -21 * GU_DEGREE, 0 })),
        picture.pixel(ScreenOf({ -36 * GU_DEGREE, -21 * GU_DEGREE, 0 })));
}

TEST_F(ChartToolsTest, BitmapProblemsAreReportedAndTheChartDrawsNothing)
{
    std::vector<uint8_t> rgb = TestBitmapBytes(8, 8);
    rgb[28] = 24; // bits per pixel
    std::vector<uint8_t> truncated = TestBitmapBytes(8, 8);
    truncated.resize(truncated.size() - 20);
    WriteBitmap("rgb.bmp", rgb);
    WriteBitmap("curta.bmp", truncated);
    WriteBitmap("enorme.bmp", TestBitmapBytes(8, 8));
    ASSERT_TRUE(QFile(folder + "/enorme.bmp").resize(qint64 { 300 } << 20));
    QDir().mkpath(folder + "/pasta.bmp");
    const QString notLoaded = "A imagem da carta não pôde ser carregada:\n" + folder;
    const QString texture = "\nGlobe texture must be a 256 color RGB encoded bitmap";
    const struct {
        const char* bitmap;
        QString message;
    } cases[] = {
        { "", "A carta não indica a sua imagem." },
        { "nada.bmp", "A imagem da carta não foi encontrada:\n" + folder + "/nada.bmp" },
        { "pasta.bmp", "A imagem da carta não foi encontrada:\n" + folder + "/pasta.bmp" },
        { "rgb.bmp", notLoaded + "/rgb.bmp" + texture },
        { "curta.bmp", notLoaded + "/curta.bmp" + texture },
        { "enorme.bmp", notLoaded + "/enorme.bmp\nBitmap file too large: " + folder + "/enorme.bmp" },
    };
    ShowWindow();
    int opened = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bitmap);
        asked.clear();
        const TGlobeViewState view = form->Globo->GetViewState();
        Answer(QMessageBox::Ok);
        TBitmapObject* chart
            = charts->MostraCarta(WriteChart(QString("C%1.Carta").arg(opened), { c.bitmap, GU_DEGREE, GU_DEGREE, 100, 100 }));
        ASSERT_NE(chart, nullptr);
        EXPECT_EQ(++opened, ChartCount());
        EXPECT_EQ(asked, QStringList { "Erro!|" + c.message });
        EXPECT_FALSE(chart->TextureData().HasImage());
        // Nothing to look at: the view stays.
        EXPECT_EQ(form->Globo->GetViewState().ScaleFactor, view.ScaleFactor);
        form->Globo->repaint();
    }
}

TEST_F(ChartToolsTest, AMissingOrUnreadableChartFileOpensNothing)
{
    Answer(QMessageBox::Ok);
    EXPECT_EQ(charts->MostraCarta(folder + "/Nada.Carta"), nullptr);
    EXPECT_EQ(ChartCount(), 0);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].startsWith("Erro!|A carta não pôde ser lida:\n" + folder + "/Nada.Carta")) << asked[0].toStdString();
}

TEST_F(ChartToolsTest, CtrlBOpensTheChosenFileAndKeepsCartasUnderImoLayers)
{
    TGlobeLayerStore& store = *form->Globo->LayerStore();
    // "Cartas" on top, then layers with "IMO" in any case below it.
    Charts().SetIndex(store.Count() - 1);
    for (const char* name : { "Fundo", "limites imo", "Balizamento-IMO" }) {
        TGlobeLayer& layer = store.CreateLayer("TGlobeLayer");
        layer.SetName(name);
        layer.SetIndex(1);
    }
    const int lowestImo = store.LayerByName("Balizamento-IMO")->Index();
    const QString file = MarkerChart();
    QString title, filter, directory;
    OnModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        filter = dialog->nameFilters().join(";");
        directory = dialog->directory().absolutePath();
        dialog->selectFile(file);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    ShowWindow();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    QTest::keyClick(form, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(title, "Selecione a Carta (BitMap) desejada");
    EXPECT_EQ(filter, "Cartas em Formato BitMap (*.Carta)");
    EXPECT_EQ(directory, folder);
    EXPECT_EQ(ChartCount(), 1);
    for (const char* name : { "limites imo", "Balizamento-IMO" })
        EXPECT_LE(Charts().Index(), store.LayerByName(name)->Index()) << name;
    EXPECT_EQ(Charts().Index(), lowestImo);

    // Cancelling the dialog still orders the layers.
    Charts().SetIndex(store.Count() - 1);
    OnModal([](QWidget* modal) { modal->close(); });
    form->AbrirCartaBMP->trigger();
    EXPECT_EQ(ChartCount(), 1);
    for (const char* name : { "limites imo", "Balizamento-IMO" })
        EXPECT_LE(Charts().Index(), store.LayerByName(name)->Index()) << name;
}

TEST_F(ChartToolsTest, ListShowsTitlesAndADoubleClickClosesTheEditedChart)
{
    QTableWidget& grid = *form->GridCartas;
    EXPECT_EQ(grid.columnCount(), 1);
    EXPECT_EQ(grid.columnWidth(0), 169);
    charts->MostraCarta(MarkerChart("Um.Carta"));
    charts->MostraCarta(MarkerChart("Dois.Carta"));
    ASSERT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.rowHeight(0), 16);
    EXPECT_EQ(grid.item(1, 0)->text(), "Dois");
    charts->SelectChart(&Chart(1));
    ASSERT_EQ(Vars.EditedChart, &Chart(1));

    ShowWindow();
    form->PageControlBrumex->setCurrentWidget(form->TabSheetCartas);
    form->PanelEdWaypt->show();
    const QPoint dois = grid.visualItemRect(grid.item(1, 0)).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, dois);
    EXPECT_FALSE(form->PanelEdWaypt->isVisible());
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, dois);
    ASSERT_EQ(ChartCount(), 1);
    EXPECT_EQ(Chart(0).Title, "Um");
    ASSERT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.item(0, 0)->text(), "Um");
    // The editor lets go of the freed chart.
    EXPECT_EQ(Vars.EditedChart, nullptr);
    EXPECT_TRUE(panel->EdNomeBMP->text().isEmpty());
    EXPECT_FALSE(panel->EdNomeBMP->isEnabled());
    // A click mode started on it ends at the next click instead of touching it.
    charts->SelectChart(&Chart(0));
    panel->BtInserBMP->click();
    EXPECT_TRUE(Vars.ChartMoveMode);
    const QPoint um = grid.visualItemRect(grid.item(0, 0)).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, um);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, um);
    EXPECT_EQ(ChartCount(), 0);
    QTest::mouseClick(form->Globo->viewport(), Qt::LeftButton, {}, form->Globo->viewport()->rect().center());
    EXPECT_FALSE(Vars.ChartMoveMode);
}

TEST_F(ChartToolsTest, AChartFreedByAnyCommandEmptiesTheEditorAndTheList)
{
    const struct {
        const char* name;
        std::function<void()> free; // frees chart 1, the edited one
        int left;
    } cases[] = {
        { "waste bin",
            [this] {
                form->GridObjetos->SetRow(1);
                form->LayerTools().ImageLataLixoVDragDrop(form->GridObjetos);
            },
            1 },
        { "globe cleared", [this] { form->Globo->ClearGlobe(); }, 0 },
    };
    for (const auto& c : cases) {
        charts->MostraCarta(MarkerChart("Um.Carta"));
        charts->MostraCarta(MarkerChart("Dois.Carta"));
        form->GridLayers->SetRow(Charts().Index());
        form->LayerTools().GridLayersClick();
        ASSERT_TRUE(charts->SelectChart(&Chart(1))) << c.name;
        ASSERT_EQ(panel->EdNomeBMP->text(), "Dois") << c.name;
        c.free();
        EXPECT_EQ(Vars.EditedChart, nullptr) << c.name;
        EXPECT_TRUE(panel->EdNomeBMP->text().isEmpty()) << c.name;
        EXPECT_FALSE(panel->EdNomeBMP->isEnabled()) << c.name;
        EXPECT_FALSE(panel->BtSalvaBMP->isEnabled()) << c.name;
        QApplication::processEvents();
        ASSERT_EQ(form->GridCartas->rowCount(), c.left) << c.name;
        if (c.left) {
            EXPECT_EQ(form->GridCartas->item(0, 0)->text(), "Um") << c.name;
        }
        // The editor's commands find nothing to act on.
        panel->CarCentrDirEsq->Click(true);
        panel->EdNomeBMP->setText("Tres");
        charts->EdNomeBMPExit();
        charts->BtSalvaBMPClick();
    }
}

TEST_F(ChartToolsTest, SelectingAChartFillsTheEditorAndAnythingElseEmptiesIt)
{
    TBitmapObject* chart = charts->MostraCarta(
        WriteChart("Marca.Carta", { "marca.bmp", -50 * GU_DEGREE, -18 * GU_DEGREE, 1350, 1500 }));
    QTabWidget& pages = *form->PageControlGPS;
    EXPECT_FALSE(panel->EdNomeBMP->isEnabled());
    EXPECT_EQ(panel->EdDistBMPLon->text(), "0");

    EXPECT_TRUE(charts->SelectChart(chart));
    EXPECT_TRUE(pages.isTabEnabled(pages.indexOf(form->TabSheetEdBitMap)));
    EXPECT_FALSE(pages.isTabEnabled(pages.indexOf(form->TabSheetEdObjetos)));
    EXPECT_EQ(pages.currentWidget(), form->TabSheetEdBitMap);
    EXPECT_EQ(panel->EdBtCentrLon->text(), "050°00.000’W");
    EXPECT_EQ(panel->EdBtCentrLat->text(), "18°00.000’S");
    EXPECT_FALSE(panel->EdBtCentrLon->inputMask().isEmpty());
    EXPECT_EQ(panel->EdNomeBMP->text(), "Marca");
    EXPECT_EQ(panel->EdArqBMP->text(), folder + "/marca.bmp");
    EXPECT_EQ(panel->EdDistBMPLon->text(), "1350");
    EXPECT_EQ(panel->EdDistBMPLat->text(), "1500");
    for (QLineEdit* edit : panel->ChartFields())
        EXPECT_TRUE(edit->isEnabled()) << edit->objectName().toStdString();

    TGeoDataObject other(nullptr);
    EXPECT_FALSE(charts->SelectChart(&other));
    EXPECT_EQ(Vars.EditedChart, nullptr);
    for (QLineEdit* edit : panel->ChartFields()) {
        EXPECT_FALSE(edit->isEnabled()) << edit->objectName().toStdString();
        const bool scale = edit == panel->EdDistBMPLon || edit == panel->EdDistBMPLat;
        EXPECT_EQ(edit->text(), scale ? "0" : "") << edit->objectName().toStdString();
    }
    EXPECT_FALSE(panel->BtSalvaBMP->isEnabled());
}

TEST_F(ChartToolsTest, TitleChangesOnLeavingTheField)
{
    TBitmapObject* chart = charts->MostraCarta(MarkerChart());
    charts->SelectChart(chart);
    Charts().SetModified(false);
    ShowWindow();
    panel->EdNomeBMP->setFocus();
    panel->EdNomeBMP->selectAll();
    QTest::keyClicks(panel->EdNomeBMP, "Ilha Grande");
    EXPECT_EQ(chart->Title, "Marca");
    panel->EdDistBMPLon->setFocus();
    EXPECT_EQ(chart->Title, "Ilha Grande");
    EXPECT_TRUE(Charts().Modified());
    EXPECT_EQ(form->GridCartas->item(0, 0)->text(), "Ilha Grande");
}

TEST_F(ChartToolsTest, TypedInsertionPointAndScales)
{
    TBitmapObject* chart = charts->MostraCarta(MarkerChart());
    charts->SelectChart(chart);
    panel->EdBtCentrLon->setText("043°10.500’W");
    panel->EdBtCentrLat->setText("22°54.000’S");
    panel->BtCentrBMPOK->click();
    EXPECT_EQ(chart->GetCentroid().Long, -(43 * GU_DEGREE + 10 * GU_MINUTE + 500 * 90));
    EXPECT_EQ(chart->GetCentroid().Lat, -(22 * GU_DEGREE + 54 * GU_MINUTE));
    EXPECT_EQ(chart->GetMER().Left, chart->GetCentroid().Long);

    panel->EdDistBMPLon->setText("2000");
    panel->EdDistBMPLat->setText(" 3000 ");
    panel->BtDistBMPOK->click();
    EXPECT_EQ(chart->GlobeUnitsPerXPixel(), 2000);
    EXPECT_EQ(chart->GlobeUnitsPerYPixel(), 3000);
    EXPECT_EQ(chart->GetMER().Width, 2000 * ChartSize);

    for (const char* bad : { "abc", "1.5", "0", "-20", "", "99999999999" }) {
        SCOPED_TRACE(bad);
        asked.clear();
        panel->EdDistBMPLon->setText("1000");
        panel->EdDistBMPLat->setText(bad);
        Answer(QMessageBox::Ok);
        panel->BtDistBMPOK->click();
        ASSERT_EQ(asked.size(), 1);
        EXPECT_EQ(asked[0],
            QString("Erro!|\"%1\" não é uma proporção válida: use um número inteiro maior que zero.").arg(bad));
        EXPECT_EQ(chart->GlobeUnitsPerXPixel(), 2000);
        EXPECT_EQ(chart->GlobeUnitsPerYPixel(), 3000);
    }
}

TEST_F(ChartToolsTest, NudgesStepAHundredAndTwentiethOfAnInch)
{
    TBitmapObject* chart = charts->MostraCarta(MarkerChart());
    charts->SelectChart(chart);
    // One screen inch covers one degree.
    form->Globo->Projection().SetScaleFactor(96.0L / GU_DEGREE);
    ASSERT_EQ(form->Globo->Projection().GlobeUnitsPerInch(), GU_DEGREE);
    const struct {
        TUpDown* nudge;
        bool next;
        int32_t east, north;
    } cases[] = {
        { panel->CarCentrDirEsq, true, 45000, 0 },
        { panel->CarCentrDirEsq, false, -45000, 0 },
        { panel->CarCentrSobDes, true, 0, 45000 },
        { panel->CarCentrSobDes, false, 0, -45000 },
    };
    for (const auto& c : cases) {
        const TGeoPoint before = chart->GetCentroid();
        (c.next ? c.nudge->NextButton() : c.nudge->PrevButton())->click();
        EXPECT_EQ(chart->GetCentroid().Long - before.Long, c.east);
        EXPECT_EQ(chart->GetCentroid().Lat - before.Lat, c.north);
        // Less than a pixel, and still the image moves with it.
        EXPECT_EQ(chart->GetMER().Left, chart->GetCentroid().Long);
        EXPECT_EQ(chart->GetMER().Bottom + chart->GetMER().Height, chart->GetCentroid().Lat);
    }
    // The fields keep what they showed.
    EXPECT_EQ(panel->EdBtCentrLon->text(), "000°00.000’E");
    // The nudge's own position restarts from 0 past 1000.
    panel->CarCentrDirEsq->SetPosition(1001);
    panel->CarCentrDirEsq->NextButton()->click();
    EXPECT_EQ(panel->CarCentrDirEsq->Position(), 0);
}

TEST_F(ChartToolsTest, SavingWritesTheChartFileAndAsksBeforeReplacing)
{
    TBitmapObject* chart = charts->MostraCarta(MarkerChart("Original.Carta"));
    charts->SelectChart(chart);
    chart->Title = "Nova";
    chart->SetCentroid({ -1000, -2000, 0 });
    chart->SetGlobeUnitsPerPixel(1, 33);
    chart->SetGlobeUnitsPerPixel(2, 44);
    const QString file = folder + "/Nova.Carta";
    panel->BtSalvaBMP->click();
    const auto bytes = [&] {
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    };
    EXPECT_EQ(bytes(), "[Geral]\r\nBitMap=marca.bmp\r\nLon=-1000\r\nLat=-2000\r\nPropX=33\r\nPropY=44\r\n");
    EXPECT_TRUE(asked.isEmpty());

    // An existing file: No and Cancel leave it as it is, Yes replaces the keys.
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Geral]\r\nBitMap=marca.bmp\r\nNota=DHN 1511\r\nLon=5\r\n[Outra]\r\nX=1\r\n");
    }
    const QByteArray before = bytes();
    for (const auto button : { QMessageBox::No, QMessageBox::Cancel }) {
        asked.clear();
        Answer(button);
        panel->BtSalvaBMP->click();
        EXPECT_EQ(asked, QStringList { "Arquivo já existente|Deseja substituir o arquivo existente?" });
        EXPECT_EQ(bytes(), before);
    }
    Answer(QMessageBox::Yes);
    panel->BtSalvaBMP->click();
    EXPECT_EQ(bytes(),
        "[Geral]\r\nBitMap=marca.bmp\r\nNota=DHN 1511\r\nLon=-1000\r\nLat=-2000\r\nPropX=33\r\nPropY=44\r\n"
        "[Outra]\r\nX=1\r\n");
}

TEST_F(ChartToolsTest, ATitleThatIsNoFileNameIsNotSaved)
{
    TBitmapObject* chart = charts->MostraCarta(MarkerChart());
    charts->SelectChart(chart);
    for (const char* title : { "", "../fora", "a/b", ".." }) {
        SCOPED_TRACE(title);
        chart->Title = title;
        asked.clear();
        Answer(QMessageBox::Ok);
        panel->BtSalvaBMP->click();
        EXPECT_EQ(asked, QStringList { QString("Erro!|O título \"%1\" não serve de nome de arquivo.").arg(title) });
    }
    EXPECT_FALSE(QFile::exists(DataHome() + "/fora.Carta"));
}

TEST_F(ChartToolsTest, FolderButtonPutsTheChosenFileIntoTheField)
{
    charts->SelectChart(charts->MostraCarta(MarkerChart()));
    QString started;
    OnModal([&](QWidget* modal) {
        auto* dirSelect = qobject_cast<TFormDirSelect*>(modal);
        ASSERT_NE(dirSelect, nullptr);
        started = dirSelect->SelectedPath();
        dirSelect->BtOK->click();
    });
    panel->EdArqBMP->setText(folder + "/marca.bmp");
    panel->BtArqBMP->click();
    EXPECT_EQ(started, folder + "/marca.bmp");
    EXPECT_EQ(panel->EdArqBMP->text(), folder + "/marca.bmp");
    // The field's content is not the chart's.
    EXPECT_EQ(fromCp1252(Vars.EditedChart->BMPFilename()), folder + "/marca.bmp");

    OnModal([](QWidget* modal) { modal->close(); });
    panel->BtArqBMP->click();
    EXPECT_EQ(panel->EdArqBMP->text(), folder + "/marca.bmp");
}

class ChartClicksTest : public ChartToolsTest {
protected:
    void SetUp() override
    {
        ChartToolsTest::SetUp();
        ShowWindow();
        chart = charts->MostraCarta(MarkerChart());
        ASSERT_NE(chart, nullptr);
        charts->SelectChart(chart);
        // A flat map, so that the chart is an upright rectangle on the screen.
        form->Globo->Projection().SetProjectionClass("TCartesianPrj");
        ZoomToBitmap(*form->Globo, *chart);
        form->Globo->repaint();
        marker = ScreenOf({ GU_DEGREE * 26 / 10, -GU_DEGREE * 26 / 10, 0 });
        ASSERT_EQ(GlobePicture().pixel(marker), MarkerColour()) << "the marker is not where it was put";
    }
    static QRgb Colour(int index)
    {
        const TColor c = TestPaletteColor(index);
        return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    }
    static QRgb MarkerColour() { return Colour(1); }
    // The mouse moves there (by way of a neighbour, so that the move is
    // seen) and clicks.
    void Click(QPoint at, bool shift = false)
    {
        QWidget* viewport = form->Globo->viewport();
        QTest::mouseMove(viewport, at + QPoint(1, 0));
        QTest::mouseMove(viewport, at);
        ASSERT_EQ(Vars.MousePosition, GeoOf(at));
        QTest::mouseClick(viewport, Qt::LeftButton, shift ? Qt::ShiftModifier : Qt::NoModifier, at);
        form->Globo->repaint();
    }
    QString Hint() const { return form->PanelAvisoOper->isVisible() ? form->LabelAvisoOper->text() : QString(); }
    Qt::CursorShape Cursor() const { return form->Globo->cursor().shape(); }

    TBitmapObject* chart = nullptr;
    QPoint marker;
};

TEST_F(ChartClicksTest, MoveByTwoClicksBringsTheChosenPointUnderTheMouse)
{
    panel->BtInserBMP->click();
    EXPECT_TRUE(Vars.ChartMoveMode);
    EXPECT_EQ(Cursor(), Qt::SizeAllCursor);
    EXPECT_EQ(form->Globo->MouseSelectButton, TGlobeMouseButton::mzbNone);
    EXPECT_EQ(Hint(), "Indique o ponto no bitmap a reposicionar. Shift+Click = Cancela");
    Click(marker);
    EXPECT_EQ(Cursor(), Qt::CrossCursor);
    EXPECT_EQ(Hint(), "Clique na nova posição. Shift+Click = Cancela");
    const QPoint target = marker + QPoint(-60, 35);
    const QString lonBefore = panel->EdBtCentrLon->text();
    Click(target);
    EXPECT_FALSE(Vars.ChartMoveMode);
    EXPECT_EQ(Cursor(), Qt::ArrowCursor);
    EXPECT_EQ(Hint(), "");
    const QImage picture = GlobePicture();
    picture.save(QDir::tempPath() + "/brumex-chart-moved.png");
    EXPECT_EQ(picture.pixel(target), MarkerColour());
    EXPECT_NE(picture.pixel(marker), MarkerColour());
    // The editor shows where the chart went.
    EXPECT_NE(panel->EdBtCentrLon->text(), lonBefore);
}

TEST_F(ChartClicksTest, StretchByTwoClicksKeepsTheInsertionPointAndMovesTheAnchor)
{
    const TGeoPoint insertion = chart->GetCentroid();
    panel->BtDistBMP->click();
    EXPECT_TRUE(Vars.ChartStretchMode);
    EXPECT_EQ(Cursor(), Qt::SizeAllCursor);
    EXPECT_EQ(Hint(), "Posicione o cursor no ponto do bitmap a reposicionar. Shift+Click = Cancela");
    Click(marker);
    EXPECT_EQ(Cursor(), Qt::CrossCursor);
    EXPECT_EQ(Hint(), "Posicione o cursor na nova posição desejada. Shift+Click = Cancela");
    const QPoint target = marker + QPoint(70, 40);
    Click(target);
    EXPECT_FALSE(Vars.ChartStretchMode);
    EXPECT_EQ(Cursor(), Qt::ArrowCursor);
    EXPECT_EQ(Hint(), "");
    EXPECT_EQ(chart->GetCentroid(), insertion);
    EXPECT_GT(chart->GlobeUnitsPerXPixel(), GU_DEGREE / 10);
    EXPECT_GT(chart->GlobeUnitsPerYPixel(), GU_DEGREE / 10);
    EXPECT_EQ(panel->EdDistBMPLon->text(), QString::number(chart->GlobeUnitsPerXPixel()));
    const QImage picture = GlobePicture();
    picture.save(QDir::tempPath() + "/brumex-chart-stretched.png");
    EXPECT_EQ(picture.pixel(target), MarkerColour());
    EXPECT_EQ(picture.pixel(ScreenOf(insertion) + QPoint(2, 2)), Colour(2));
}

TEST_F(ChartClicksTest, StretchRefusesPointsThatGiveNoScale)
{
    const TGeoPoint insertion = chart->GetCentroid();
    panel->BtDistBMP->click();
    // On the insertion point's meridian or parallel the ratio is undefined.
    for (const TGeoPoint onAxis : { TGeoPoint { insertion.Long, insertion.Lat - GU_DEGREE, 0 },
             TGeoPoint { insertion.Long + GU_DEGREE, insertion.Lat, 0 } }) {
        // Exactly on the line, which a pixel rarely hits.
        Vars.MousePosition = onAxis;
        charts->ChartStretchClick();
        EXPECT_TRUE(Vars.ChartStretchMode);
        EXPECT_EQ(Cursor(), Qt::SizeAllCursor);
        EXPECT_EQ(Hint(),
            "O ponto não pode estar no meridiano nem no paralelo do ponto de inserção. Shift+Click = Cancela");
    }
    // A target beyond the insertion point would turn the chart over.
    Click(marker);
    Vars.MousePosition = { insertion.Long - GU_DEGREE, insertion.Lat + GU_DEGREE, 0 };
    charts->ChartStretchClick();
    EXPECT_TRUE(Vars.ChartStretchMode);
    EXPECT_EQ(Cursor(), Qt::CrossCursor);
    EXPECT_EQ(Hint(), "A nova posição deve ficar do mesmo lado do ponto de inserção. Shift+Click = Cancela");
    EXPECT_EQ(chart->GlobeUnitsPerXPixel(), GU_DEGREE / 10);
    // Shift+Click cancels.
    Click(marker, true);
    EXPECT_FALSE(Vars.ChartStretchMode);
    EXPECT_EQ(Cursor(), Qt::ArrowCursor);
    EXPECT_EQ(Hint(), "");
    EXPECT_EQ(chart->GlobeUnitsPerXPixel(), GU_DEGREE / 10);
}

TEST_F(ChartClicksTest, ShiftClickOrAClickOffTheGlobeMovesNothing)
{
    const TGeoPoint insertion = chart->GetCentroid();
    panel->BtInserBMP->click();
    Click(marker);
    Vars.MousePosition = { GU_180_DEGREE, GU_180_DEGREE, 0 };
    charts->ChartMoveClick();
    EXPECT_TRUE(Vars.ChartMoveMode);
    EXPECT_EQ(chart->GetCentroid(), insertion);
    Click(marker + QPoint(10, 10), true);
    EXPECT_FALSE(Vars.ChartMoveMode);
    EXPECT_EQ(chart->GetCentroid(), insertion);
    EXPECT_EQ(Cursor(), Qt::ArrowCursor);
}
