// Waypoints driven as a user drives them: "Criar Waypoint" and the click,
// the icon grid, the icon size, the save and load commands through their
// file dialogs and the save question of the close.
#include "MainWindowFixture.h"
#include "ToolDialogs.h"

#include "app/ClickDispatcher.h"
#include "app/FormRotas.h"
#include "app/StringGrid.h"
#include "app/RouteTool.h"
#include "app/Vars.h"
#include "app/WaypointFile.h"
#include "app/WaypointIcons.h"
#include "app/WaypointTool.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobePresenter.h"
#include "view/GlobePresenterStore.h"

#include <QAction>
#include <QLabel>
#include <QSlider>
#include <QTableWidget>

namespace {

class WaypointToolTest : public MainWindowFixture {
protected:
    TGlobeLayer& Layer() { return *Globe().LayerStore()->LayerByName("LayWaypt"); }
    TGlobeObjectSource& Source() { return Layer().ObjectSource(); }
    QAction* Action(const char* name) { return form->findChild<QAction*>(name); }
    QString File(const QString& name) { return QDir(DataHome()).filePath(name); }
    // Point presenters of the layer: one per waypoint made, never removed.
    std::vector<TPointPresenter*> PointPresenters()
    {
        std::vector<TPointPresenter*> points;
        for (int i = 0; i < Layer().Presenters().Count(); ++i)
            if (auto* p = dynamic_cast<TPointPresenter*>(&Layer().Presenters().Presenters(i)))
                points.push_back(p);
        return points;
    }
    TPointPresenter& PresenterOf(TGlobeObject& object)
    {
        return *dynamic_cast<TPointPresenter*>(Layer().Presenters().ByID(object.PresenterID(), false));
    }
    // Some waypoints around the view's centre, loaded from a file.
    void LoadSample()
    {
        const TGeoPoint c = GeoAt(Centre());
        const int32_t step = 12 * GU_DEGREE;
        WriteWaypointFile(S(File("amostra.Wpt")),
                          {{c.Long - step, c.Lat + step, "Farol", 22}, {c.Long + step, c.Lat + step, "Posto", 3},
                           {c.Long - step, c.Lat - step, "Ponte", 4}, {c.Long + step, c.Lat - step, "Perigo", 5},
                           {c.Long, c.Lat, "Sem figura", 90}});
        ASSERT_TRUE(form->WaypointTool->LoadWaypoints(File("amostra.Wpt")));
    }
    static std::string S(const QString& s) { return s.toStdString(); }
};

} // namespace

TEST_F(WaypointToolTest, CriarWaypointThenAClickCreatesOneWithoutMarkingTheLayer)
{
    Start();
    // The user chooses "LayWaypt" in the layer grid: its icon panel shows.
    form->GridLayers->scrollTo(form->GridLayers->model()->index(Layer().Index(), 1));
    QTest::mouseClick(form->GridLayers->viewport(), Qt::LeftButton, {},
        form->GridLayers->CellRect(1, Layer().Index()).center());
    EXPECT_FALSE(form->PanelEdWaypt->isHidden());
    EXPECT_EQ(form->GridObjetos->RowCount(), 0);
    Action("Novo2")->trigger();
    EXPECT_TRUE(Vars.WaypointCreateMode);
    EXPECT_EQ(form->LabelAvisoOper->text(), "Indique com o cursor a posição desejada. Shift+Click = Cancela");
    EXPECT_TRUE(form->PanelAvisoOper->isVisible());
    EXPECT_EQ(Globe().cursor().shape(), Qt::CrossCursor);

    const QPoint at = Centre() + QPoint(40, -30);
    MoveTo(at);
    Click(at);
    ASSERT_EQ(Source().Count(), 1);
    TGlobeObject& w = Source().GetObject(0);
    EXPECT_EQ(w.Title, "Novo");
    EXPECT_EQ(w.Value, 0);
    EXPECT_EQ(w.GetCentroid(), GeoAt(at));
    EXPECT_EQ(Source().Name, "LayWaypt");
    EXPECT_EQ(form->GridObjetos->RowCount(), 1);
    EXPECT_EQ(form->LabQtObj->text(), "1 Objetos");
    form->GridObjetos->viewport()->repaint();
    Picture(*form->TabSheetLayers, "layers-new-waypoint");
    EXPECT_FALSE(Vars.WaypointCreateMode);
    EXPECT_NE(Globe().cursor().shape(), Qt::CrossCursor);
    EXPECT_FALSE(form->PanelAvisoOper->isVisible());
    EXPECT_FALSE(Layer().Modified());
    // The new presenter: icon 0, the size of the track bar, default title font.
    TPointPresenter& p = PresenterOf(w);
    EXPECT_EQ(p.PointType, TPointPresenterType::ppImage);
    EXPECT_EQ(p.PointSize(), 35);
    EXPECT_EQ(p.TitleOffset, 19);
    EXPECT_EQ(p.TitleAlignment, TTitleAlignment::taBottom);
    EXPECT_FALSE(p.Image().isNull());

    // Closing asks nothing: only the creation changed the layer.
    bool asked = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&asked] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            asked = true;
            modal->close();
        }
    });
    watch.start(10);
    form->close();
    QTest::qWait(50);
    EXPECT_FALSE(asked);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(WaypointToolTest, IconSizeScalesEveryWaypoint)
{
    Start();
    LoadSample();
    const QImage small = GlobePicture("waypoints-35");
    form->TBEscWaypt->setValue(60);
    for (TPointPresenter* p : PointPresenters()) {
        EXPECT_EQ(p->PointSize(), 60);
        EXPECT_EQ(p->TitleFont.FontSize(), 20);
        EXPECT_EQ(p->TitleOffset, 32);
    }
    // The route line's presenter keeps no point size but follows the titles.
    TGlobePresenter* route = Layer().Presenters().ByID(Vars.PrRotaID, false);
    ASSERT_NE(route, nullptr);
    EXPECT_EQ(route->TitleFont.FontSize(), 20);
    const QImage large = GlobePicture("waypoints-60");
    // The red of the pictures covers about (60 / 35)^2 times the pixels.
    const auto red = [](const QImage& image) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                n += c.red() > 150 && c.green() < 90 && c.blue() < 90;
            }
        return n;
    };
    EXPECT_GT(red(large), red(small) * 2);
}

TEST_F(WaypointToolTest, AnIconOutsideThePicturesDrawsOnlyTheTitle)
{
    Start();
    LoadSample();
    ASSERT_EQ(Source().Count(), 5);
    TGlobeObject& plain = Source().GetObject(4);
    EXPECT_EQ(plain.Title, "Sem figura");
    EXPECT_EQ(plain.Value, 90);
    EXPECT_TRUE(PresenterOf(plain).Image().isNull());
    EXPECT_EQ(PresenterOf(Source().GetObject(0)).TitleFont.FontSize(), 11); // loaded: trunc(35 / 3)
}

TEST_F(WaypointToolTest, DoubleClickInTheIconGridGivesTheEditedWaypointItsIcon)
{
    Start();
    LoadSample();
    form->PageControlGPS->setCurrentWidget(form->TabSheetEdObjetos);
    form->PanelEdWaypt->show();
    QApplication::processEvents();
    QTableWidget* grid = form->IconsGrid;
    EXPECT_EQ(grid->rowCount(), 35);
    EXPECT_EQ(grid->columnWidth(0), 20);
    EXPECT_EQ(grid->columnWidth(1), 34);
    EXPECT_EQ(grid->rowHeight(3), 32);
    Picture(*form->PanelEdWaypt, "icons-grid");

    const auto doubleClickRow = [grid](int row) {
        grid->scrollToItem(nullptr);
        grid->scrollTo(grid->model()->index(row, 1));
        const QRect cell = grid->visualRect(grid->model()->index(row, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    };
    TGlobeObject& w = Source().GetObject(1);
    const int presentersBefore = Layer().Presenters().Count();
    doubleClickRow(2); // nothing edited yet
    EXPECT_EQ(w.Value, 3);
    EXPECT_EQ(Layer().Presenters().Count(), presentersBefore);

    Vars.EditedObject = &w;
    doubleClickRow(0); // the empty first row
    EXPECT_EQ(w.Value, 3);
    doubleClickRow(8);
    EXPECT_EQ(w.Value, 7);
    EXPECT_EQ(Layer().Presenters().Count(), presentersBefore + 1);
    EXPECT_EQ(PresenterOf(w).Image().pixel(16, 16), TransparentPicture(form->WaypointTool->ImageListWaypt()[7]).pixel(16, 16));
    EXPECT_EQ(PresenterOf(w).TitleFont.FontSize(), 11);
    EXPECT_TRUE(Layer().Modified());
    Vars.EditedObject = nullptr;
}

TEST_F(WaypointToolTest, SaveAndLoadThroughTheMenuKeepEveryObjectOfTheLayer)
{
    Start();
    LoadSample();
    // A route line in the layer is saved as a waypoint too.
    form->RouteTool->AppendRoutePoint(GeoAt(Centre()));
    form->RouteTool->AppendRoutePoint(GeoAt(Centre() + QPoint(30, 0)));
    Layer().SetModified(true);
    AnswerFileDialog(*form->SDBrumex, File("salvo.Wpt"));
    Action("Salvar2")->trigger();
    EXPECT_FALSE(Layer().Modified());
    EXPECT_EQ(form->SDBrumex->defaultSuffix(), "Wpt");
    EXPECT_EQ(form->SDBrumex->nameFilters(), QStringList{"WayPoints (*.Wpt)"});
    const std::vector<TWaypointRecord> saved = ReadWaypointFile(S(File("salvo.Wpt")));
    ASSERT_EQ(saved.size(), 6u);
    EXPECT_EQ(saved[0].Title, "Farol");
    EXPECT_EQ(saved[0].Icon, 22);
    EXPECT_EQ(saved[5].Title, "Rota");
    EXPECT_EQ(saved[5].Icon, 0);
    const TGeoPoint routeCentre = Vars.RouteObject->GetCentroid();
    EXPECT_EQ(saved[5].Long, routeCentre.Long);

    // Loading frees everything, the route line included, which is forgotten.
    Vars.RouteActive = true;
    AnswerFileDialog(*form->ODBrumex, File("salvo.Wpt"));
    Action("Carregar1")->trigger();
    EXPECT_EQ(Source().Count(), 6);
    EXPECT_EQ(Source().GetObject(5).Title, "Rota");
    EXPECT_EQ(Source().GetObject(5).Value, 0);
    EXPECT_EQ(Vars.RouteObject, nullptr);
    EXPECT_FALSE(Vars.RouteActive);
    EXPECT_EQ(form->Windows().FormRotas->RowCount(), 1);
    // The next route command makes a new line.
    form->RouteTool->AppendRoutePoint(GeoAt(Centre()));
    ASSERT_NE(Vars.RouteObject, nullptr);
    EXPECT_EQ(Source().Count(), 7);
    GlobePicture("waypoints-loaded");
}

TEST_F(WaypointToolTest, CancelledDialogsChangeNothing)
{
    Start();
    LoadSample();
    Layer().SetModified(true);
    AnswerFileDialog(*form->SDBrumex, {});
    Action("Salvar2")->trigger();
    EXPECT_TRUE(Layer().Modified());
    AnswerFileDialog(*form->ODBrumex, {});
    Action("Carregar1")->trigger();
    EXPECT_EQ(Source().Count(), 5);
    EXPECT_TRUE(Layer().Modified());
}

TEST_F(WaypointToolTest, AnUnreadableFileKeepsTheWaypoints)
{
    Start();
    LoadSample();
    QDir().mkpath(File("pasta.Wpt"));
    CloseNextModal();
    EXPECT_FALSE(form->WaypointTool->LoadWaypoints(File("pasta.Wpt")));
    QTest::qWait(50);
    EXPECT_EQ(Source().Count(), 5);
    ASSERT_EQ(ModalTexts().size(), 1);
    EXPECT_TRUE(ModalTexts()[0].startsWith("Cannot read")) << S(ModalTexts()[0]);
}

TEST_F(WaypointToolTest, TheCloseQuestionSavesTheModifiedWaypoints)
{
    Start();
    LoadSample();
    Layer().SetModified(true);
    AnswerMessageBox(QMessageBox::Yes);
    AnswerFileDialog(*form->SDBrumex, File("ao-sair.Wpt"));
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(ReadWaypointFile(S(File("ao-sair.Wpt"))).size(), 5u);
}
