// The object editor of the "Ed. Objetos" tab and the point editor, driven
// through the main window's own controls: selecting an object, its title and
// centroid, the chain and point commands with their messages, plotting
// points with clicks on the globe, new objects and polygons, undo, and a
// whole editing session that is saved and read back after a restart.
#include "MainWindowFixture.h"

#include "app/FormEdPonto.h"
#include "app/Formatting.h"
#include "app/GlobeSetup.h"
#include "app/LayerTools.h"
#include "app/ObjectEditor.h"
#include "app/PanelEdObjetos.h"
#include "app/StringGrid.h"
#include "app/UpDown.h"
#include "app/Vars.h"
#include "common/QtPrinters.h"
#include "platform/Cp1252.h"
#include "view/GlobePresenter.h"
#include "view/GlobeUtils.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <vector>

namespace {

using TPoints = std::vector<TGeoPoint>;

TGeoPoint P(int32_t longitude, int32_t lat)
{
    return TGeoPoint { longitude, lat, 0 };
}

TPoints PointsOf(const TPointStore& chain)
{
    TPoints points;
    for (int i = 0; i < chain.Count(); ++i)
        points.push_back(chain.Point(i));
    return points;
}

class ObjectEditorTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        RegisterFileReaders();
        Start();
        editor().ShowMessage = [this](const QString& caption, const QString& text) {
            messages << caption + "|" + text;
        };
    }
    TObjectEditor& editor() { return *form->ObjectEditor; }
    TPanelEdObjetos& panel() { return *form->PanelEdObjetos; }
    TFormEdPonto& pointEditor() { return *Windows().FormEdPonto; }
    TGlobeLayer& Layer(const std::string& name = "Ilhas") { return *Globe().LayerStore()->LayerByName(name); }

    // An object of the given chains on layer "Ilhas", chosen in the layer grids.
    TGeoDataObject& Edit(const std::vector<TPoints>& chains, int32_t presenter = 0)
    {
        TGeoDataObject& object = AddSquare("Obj", 1, P(0, 0), GU_DEGREE);
        object.Chains.SetCount(0);
        for (const TPoints& points : chains) {
            auto chain = std::make_unique<TPointStore>();
            for (const TGeoPoint& p : points)
                chain->Add(p);
            object.Chains.AddChain(std::move(chain));
        }
        object.SetPresenterID(presenter);
        object.Changed();
        Choose(object);
        return object;
    }
    void Choose(TGlobeObject& object)
    {
        TGlobeLayer* layer = LayerOfObject(Globe(), object);
        form->GridLayers->SetRow(layer->Index());
        form->LayerTools().GridLayersClick();
        form->LabelPosic->clear();
        form->GridObjetos->SetRow(object.ObjectIndex);
        QTest::mouseClick(form->GridObjetos->viewport(), Qt::LeftButton, {},
            form->GridObjetos->CellRect(0, object.ObjectIndex).center());
    }
    void ChoosePoint(int chain, int point)
    {
        panel().GridChains->SetRow(chain);
        editor().GridChainsClick();
        panel().GridPontos->SetRow(point);
        editor().GridPontosClick();
    }
    // The mouse over the point of the globe, then a click there.
    void ClickAt(QPoint at, Qt::KeyboardModifiers modifiers = {})
    {
        MoveTo(at);
        Click(at, modifiers);
    }
    QStringList messages;
};

// --- Point and chain commands ---------------------------------------------------------------

TEST_F(ObjectEditorTest, PointCommandsRebuildTheCurrentChain)
{
    const TGeoPoint a = P(0, 0), b = P(10, 0), c = P(21, 3), d = P(30, -7), e = P(40, 40);
    const TGeoPoint pp = P(-1, -1), q = P(-2, -2), r = P(-3, -3);
    const struct {
        const char* name;
        TPoints before;
        int row;
        std::function<void()> command;
        TPoints after;
        int rowAfter;
    } cases[] = {
        // The midpoint rounds half to even: (10 + 21) / 2 = 15.5 -> 16, (0 + 3) / 2 = 1.5 -> 2.
        { "insert at the third of five", { a, b, c, d, e }, 2, [this] { panel().IncluirPonto1->trigger(); },
            { a, b, P(16, 2), c, d, e }, 2 },
        { "insert at the first row", { a, b, c }, 0, [this] { panel().IncluirPonto1->trigger(); },
            { a, a, b, c }, 0 },
        { "insert into one point", { c }, 0, [this] { panel().IncluirPonto1->trigger(); }, { c, c }, 0 },
        { "insert into an empty chain", {}, -1, [this] { panel().IncluirPonto1->trigger(); }, { P(0, 0) },
            0 },
        { "rotate", { a, b, c, d }, 1, [this] { panel().Girarshift1->trigger(); }, { b, c, d, a }, 1 },
        { "reverse", { a, b, c, d }, 1, [this] { panel().InverterOrdem1->trigger(); }, { d, c, b, a }, 1 },
        { "delete", { a, b, c, d }, 3, [this] { panel().ExcluirPonto1->trigger(); }, { a, b, c }, 2 },
        { "paste the clipboard", { a, b, c, d }, 2,
            [&] {
                Vars.ChainClipboard->SetCount(0);
                for (const TGeoPoint& p : { pp, q, r })
                    Vars.ChainClipboard->Add(p);
                panel().IncluirCadeia1->trigger();
            },
            { a, b, r, q, pp, c, d }, 2 },
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        TGeoDataObject& object = Edit({ { P(5, 5) }, k.before });
        ChoosePoint(1, k.row);
        Layer().SetModified(false);
        k.command();
        EXPECT_EQ(PointsOf(object.Chains.Chain(1)), k.after);
        EXPECT_EQ(PointsOf(object.Chains.Chain(0)), TPoints { P(5, 5) });
        EXPECT_EQ(panel().GridPontos->RowCount(), static_cast<int>(k.after.size()));
        EXPECT_EQ(panel().GridPontos->Row(), k.rowAfter);
        EXPECT_TRUE(Layer().Modified());
        EXPECT_EQ(Vars.LapisObject->GetCentroid(), object.Chains.Chain(1).Point(k.rowAfter));
        EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
    }
}

TEST_F(ObjectEditorTest, InvalidCommandsSayWhyAndChangeNothing)
{
    const TGeoPoint a = P(1, 1), b = P(2, 2);
    const struct {
        TPoints points;
        QAction* TPanelEdObjetos::*command;
        QString message;
    } cases[] = {
        { {}, &TPanelEdObjetos::ExcluirPonto1, "Exclusão inválida|Não há pontos a excluir" },
        { { a }, &TPanelEdObjetos::ExcluirPonto1, "Exclusão inválida|Objeto tem apenas um ponto. Exclua a cadeia!" },
        { {}, &TPanelEdObjetos::InverterOrdem1, "Inversão inválida|Não há pontos a Inverter" },
        { { a }, &TPanelEdObjetos::InverterOrdem1, "Inversão inválida|Objeto tem apenas um ponto!" },
        { {}, &TPanelEdObjetos::Girarshift1, "Giro inválido|Não há pontos a Girar" },
        { { a }, &TPanelEdObjetos::Girarshift1, "Giro inválido|Objeto tem menos de 3 pontos!" },
        { { a, b }, &TPanelEdObjetos::Excluir1, "Exclusão inválida|Objeto tem apenas uma cadeia" },
        { { a, b }, &TPanelEdObjetos::Cortar1, "Exclusão inválida|Objeto tem apenas uma cadeia" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        TGeoDataObject& object = Edit({ c.points });
        ChoosePoint(0, c.points.empty() ? -1 : 0);
        Vars.ChainClipboard->SetCount(0);
        Vars.ChainClipboard->Add(P(9, 9));
        Layer().SetModified(false);
        messages.clear();
        (panel().*c.command)->trigger();
        EXPECT_EQ(messages, QStringList { c.message });
        EXPECT_EQ(object.Chains.Count(), 1);
        EXPECT_EQ(PointsOf(object.Chains.Chain(0)), c.points);
        EXPECT_EQ(PointsOf(*Vars.ChainClipboard), TPoints { P(9, 9) });
        EXPECT_FALSE(Layer().Modified());
    }
}

TEST_F(ObjectEditorTest, ChainCommands)
{
    const TPoints first { P(0, 0), P(4, 0), P(4, 4) }, second { P(8, 8), P(9, 9) };
    TGeoDataObject& object = Edit({ first, second });
    EXPECT_EQ(panel().GridChains->RowCount(), 2);
    ChoosePoint(1, 0);
    panel().Copiar1->trigger();
    EXPECT_EQ(PointsOf(*Vars.ChainClipboard), second);

    // "Nova" holds the centroid, and becomes the current chain.
    const TGeoPoint centroid = object.GetCentroid();
    panel().Nova1->trigger();
    ASSERT_EQ(object.Chains.Count(), 3);
    EXPECT_EQ(PointsOf(object.Chains.Chain(2)), TPoints { centroid });
    EXPECT_EQ(panel().GridChains->Row(), 2);
    EXPECT_EQ(panel().GridPontos->RowCount(), 1);

    // "Cortar" copies and deletes; both grids go to row 0.
    ChoosePoint(0, 2);
    panel().Cortar1->trigger();
    EXPECT_EQ(PointsOf(*Vars.ChainClipboard), first);
    ASSERT_EQ(object.Chains.Count(), 2);
    EXPECT_EQ(PointsOf(object.Chains.Chain(0)), second);
    EXPECT_EQ(panel().GridChains->RowCount(), 2);
    EXPECT_EQ(panel().GridChains->Row(), 0);
    EXPECT_EQ(panel().GridPontos->RowCount(), 2);
    EXPECT_EQ(panel().GridPontos->Row(), 0);
    panel().Excluir1->trigger();
    EXPECT_EQ(object.Chains.Count(), 1);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ObjectEditorTest, PointObjectsHaveNoChainEditing)
{
    TGeoDataObject& object = Edit({ { P(GU_DEGREE, GU_DEGREE) } }, -1);
    ASSERT_NE(dynamic_cast<TPointPresenter*>(Vars.EditedPresenter), nullptr);
    EXPECT_EQ(panel().GridChains->RowCount(), 0);
    EXPECT_EQ(panel().GridPontos->RowCount(), 0);
    for (QAction* command : { panel().IncluirPonto1, panel().ExcluirPonto1, panel().Girarshift1, panel().Nova1,
             panel().Excluir1, panel().Cortar1, panel().Plotar1 })
        command->trigger();
    EXPECT_EQ(PointsOf(object.Chains.Chain(0)), TPoints { P(GU_DEGREE, GU_DEGREE) });
    EXPECT_FALSE(Vars.PointPlotMode);
    // The nudges move the centroid.
    panel().TBMovSpeed->setValue(500);
    panel().ObjCentrSobDes->NextButton()->click();
    EXPECT_EQ(object.GetCentroid(), P(GU_DEGREE, GU_DEGREE + Projection().GlobeUnitsPerInch()));
    EXPECT_TRUE(messages.isEmpty());
}

// --- Selection and the panel ----------------------------------------------------------------

TEST_F(ObjectEditorTest, ChoosingAnObjectFillsThePanel)
{
    TGeoDataObject& object = AddSquare("Ilha Grande", 3, P(10 * GU_DEGREE, -20 * GU_DEGREE), GU_DEGREE);
    EXPECT_EQ(panel().EdNomeObj->text(), "-X-");
    EXPECT_FALSE(panel().GridPontos->isEnabled());
    Choose(object);
    EXPECT_EQ(Vars.EditedObject, &object);
    EXPECT_EQ(Vars.EditedLayer, &Layer());
    EXPECT_EQ(panel().EdNomeObj->text(), "Ilha Grande");
    EXPECT_EQ(panel().LabelObjLayName->text(), "Layer= Ilhas");
    const TCoordPatterns patterns = EditPatterns();
    EXPECT_EQ(panel().EdCentrLon->text(), CoordEditText(object.GetCentroid().Long, patterns.Lon, 3));
    EXPECT_EQ(panel().EdCentrLat->text(), CoordEditText(object.GetCentroid().Lat, patterns.Lat, 2));
    EXPECT_EQ(panel().GridChains->RowCount(), 1);
    EXPECT_EQ(panel().GridPontos->RowCount(), 4);
    for (QWidget* control : panel().EditingControls())
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    const QTabWidget& pages = *form->PageControlGPS;
    EXPECT_TRUE(pages.isTabEnabled(pages.indexOf(form->TabSheetEdObjetos)));
    EXPECT_FALSE(pages.isTabEnabled(pages.indexOf(form->TabSheetEdBitMap)));

    // The title typed becomes the object's.
    Layer().SetModified(false);
    panel().EdNomeObj->selectAll();
    QTest::keyClicks(panel().EdNomeObj, "Ilha Bela");
    EXPECT_EQ(object.Title, "Ilha Bela");
    EXPECT_TRUE(Layer().Modified());

    // A click on the globe away from every object leaves nothing edited.
    ClickAt(QPoint(3, 3));
    EXPECT_EQ(Vars.EditedObject, nullptr);
    EXPECT_EQ(panel().EdNomeObj->text(), "-X-");
    EXPECT_FALSE(panel().BtCentrObjOK->isEnabled());
    // A click on the object edits it.
    const TPoint xy = Projection().LongLatToXY(object.GetCentroid().Long, object.GetCentroid().Lat).point;
    const QPoint at(xy.X, xy.Y);
    ClickAt(at);
    EXPECT_EQ(Vars.EditedObject, &object);
    EXPECT_TRUE(object.Selected());
    // The pencil marker is never chosen from its row.
    Choose(*Vars.LapisObject);
    EXPECT_EQ(Vars.EditedObject, nullptr);
}

TEST_F(ObjectEditorTest, AnObjectFreedElsewhereLeavesNothingBehind)
{
    const struct {
        const char* how;
        std::function<void(TGeoDataObject&)> free;
    } cases[] = {
        { "deleted", [](TGeoDataObject& object) { delete &object; } },
        { "its layer closed", [this](TGeoDataObject&) { Globe().LayerStore()->DeleteLayer(Layer()); } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        TGeoDataObject& object = Edit({ { P(0, 0), P(9, 0), P(9, 9) } }, -2);
        ChoosePoint(0, 1);
        panel().Plotar1->trigger();
        ASSERT_TRUE(Vars.PointPlotMode);
        ASSERT_NE(Vars.EditedPresenter, nullptr);
        c.free(object);
        EXPECT_EQ(Vars.EditedObject, nullptr);
        EXPECT_EQ(Vars.EditedLayer, nullptr);
        EXPECT_EQ(Vars.EditedPresenter, nullptr);
        EXPECT_EQ(Vars.PlotTarget.Object, nullptr);
        // Nothing reads the freed object: not the commands, not the grids,
        // not the click.
        for (QAction* command : { panel().IncluirPonto1, panel().ExcluirPonto1, panel().Girarshift1,
                 panel().Nova1, panel().Copiar1 })
            command->trigger();
        panel().GridPontos->grab();
        ClickAt(Centre());
        EXPECT_FALSE(Vars.PointPlotMode);
        editor().Undo();
        QApplication::processEvents();
        EXPECT_EQ(panel().EdNomeObj->text(), "-X-");
        EXPECT_EQ(panel().GridPontos->RowCount(), 0);
    }
}

// --- Centroid -------------------------------------------------------------------------------

TEST_F(ObjectEditorTest, TypedCentroidMovesTheObjectOrIsRefused)
{
    const TCoordPatterns patterns = EditPatterns();
    const struct {
        int64_t lon, lat;
        bool stored;
        TGeoPoint expected;
    } cases[] = {
        { 12 * GU_DEGREE, -5 * GU_DEGREE, true, P(12 * GU_DEGREE, -5 * GU_DEGREE) },
        // 190 E is 170 W.
        { 190 * int64_t { GU_DEGREE }, 0, true, P(-170 * GU_DEGREE, 0) },
        { 0, 95 * int64_t { GU_DEGREE }, false, {} },
    };
    for (const auto& c : cases) {
        TGeoDataObject& object = Edit({ { P(0, 0), P(GU_DEGREE, 0), P(GU_DEGREE, GU_DEGREE) } });
        const TGeoPoint before = object.GetCentroid();
        messages.clear();
        // The fields take any digits their masks allow.
        panel().EdCentrLon->setText(CoordEditText(static_cast<int32_t>(c.lon), patterns.Lon, 3));
        panel().EdCentrLat->setText(CoordEditText(static_cast<int32_t>(c.lat), patterns.Lat, 2));
        QTest::mouseClick(panel().BtCentrObjOK, Qt::LeftButton);
        if (c.stored) {
            EXPECT_EQ(object.GetCentroid(), c.expected);
            EXPECT_TRUE(messages.isEmpty());
        } else {
            EXPECT_EQ(object.GetCentroid(), before);
            EXPECT_EQ(messages.size(), 1);
        }
    }
}

TEST_F(ObjectEditorTest, CentroidClickModeAndNudges)
{
    TGeoDataObject& object = Edit({ { P(0, 0), P(GU_DEGREE, 0), P(GU_DEGREE, GU_DEGREE), P(0, GU_DEGREE) } });
    Layer().SetModified(false);
    QTest::mouseClick(panel().BtCentrObj, Qt::LeftButton);
    EXPECT_TRUE(Vars.ObjectCentroidMode);
    EXPECT_TRUE(Layer().Modified());
    EXPECT_EQ(Globe().cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(form->LabelAvisoOper->text(), "Indique com o cursor a nova posição desejada. Shift+Click = Cancela");
    EXPECT_TRUE(form->PanelAvisoOper->isVisible());
    // Shift cancels.
    const TGeoPoint before = object.GetCentroid();
    ClickAt(Centre() + QPoint(40, 30), Qt::ShiftModifier);
    EXPECT_FALSE(Vars.ObjectCentroidMode);
    EXPECT_EQ(object.GetCentroid(), before);
    EXPECT_FALSE(form->PanelAvisoOper->isVisible());
    QTest::mouseClick(panel().BtCentrObj, Qt::LeftButton);
    const QPoint at = Centre() + QPoint(40, 30);
    ClickAt(at);
    EXPECT_FALSE(Vars.ObjectCentroidMode);
    EXPECT_EQ(object.GetCentroid(), GeoAt(at));
    EXPECT_EQ(Globe().cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(Vars.EditedObject, &object);

    // A nudge is an inch of screen at speed 500, a 500th of it at 1; the
    // chain moves, not its centroid.
    const int32_t inch = Projection().GlobeUnitsPerInch();
    const struct {
        int speed;
        TUpDown* TPanelEdObjetos::*nudge;
        bool next;
        int32_t dLong, dLat;
    } cases[] = {
        { 500, &TPanelEdObjetos::ObjCentrSobDes, true, 0, inch },
        { 500, &TPanelEdObjetos::ObjCentrDirEsq, false, -inch, 0 },
        { 1, &TPanelEdObjetos::ObjCentrDirEsq, true, inch / 500, 0 },
        { 1, &TPanelEdObjetos::ObjCentrSobDes, false, 0, -(inch / 500) },
    };
    for (const auto& c : cases) {
        const TPoints points = PointsOf(object.Chains.Chain(0));
        panel().TBMovSpeed->setValue(c.speed);
        TUpDown& nudge = *(panel().*c.nudge);
        (c.next ? nudge.NextButton() : nudge.PrevButton())->click();
        const TPoints moved = PointsOf(object.Chains.Chain(0));
        for (std::size_t i = 0; i < points.size(); ++i)
            EXPECT_EQ(moved[i], P(points[i].Long + c.dLong, points[i].Lat + c.dLat));
    }
    // Far past its range the up-down's own position restarts from 0.
    panel().ObjCentrSobDes->SetPosition(1500);
    panel().ObjCentrSobDes->NextButton()->click();
    EXPECT_LE(std::abs(panel().ObjCentrSobDes->Position()), 1);
}

// --- Plotting --------------------------------------------------------------------------------

TEST_F(ObjectEditorTest, CtrlClickPlotsThisPointAndArmsTheNext)
{
    TGeoDataObject& object = Edit({ { P(0, 0), P(1, 1), P(2, 2), P(3, 3) } });
    ChoosePoint(0, 1);
    Layer().SetModified(false);
    panel().Plotar1->trigger();
    EXPECT_TRUE(Vars.PointPlotMode);
    const QPoint first = Centre() + QPoint(-50, 20), second = Centre() + QPoint(60, -40);
    ClickAt(first, Qt::ControlModifier);
    EXPECT_EQ(object.Chains.Chain(0).Point(1), GeoAt(first));
    EXPECT_TRUE(Vars.PointPlotMode);
    EXPECT_EQ(Vars.PlotTarget.Point, 2);
    EXPECT_EQ(panel().GridPontos->Row(), 2);
    EXPECT_EQ(Globe().cursor().shape(), Qt::CrossCursor);
    ClickAt(second);
    EXPECT_EQ(object.Chains.Chain(0).Point(2), GeoAt(second));
    EXPECT_FALSE(Vars.PointPlotMode);
    EXPECT_EQ(object.Chains.Chain(0).Point(3), P(3, 3));
    EXPECT_TRUE(Layer().Modified());
    EXPECT_EQ(Vars.LapisObject->GetCentroid(), GeoAt(second));

    // "Incluir e Plotar" inserts and plots the new point.
    ChoosePoint(0, 1);
    panel().IncluirePlotar1->trigger();
    EXPECT_EQ(object.Chains.Chain(0).Count(), 5);
    EXPECT_EQ(form->LabelAvisoOper->text(), "Indique com o cursor a nova posição desejada. Shift+Click = Cancela");
    ClickAt(Centre());
    EXPECT_EQ(object.Chains.Chain(0).Point(1), GeoAt(Centre()));
    EXPECT_EQ(object.Chains.Chain(0).Point(2), GeoAt(first));
}

TEST_F(ObjectEditorTest, ShortcutsOfThePointsGrid)
{
    TGeoDataObject& object = Edit({ { P(0, 0), P(10, 10), P(20, 20) } });
    ChoosePoint(0, 1);
    form->PageControlGPS->setCurrentWidget(form->TabSheetEdObjetos);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    panel().GridPontos->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(Layer("LayLapis").Visible());
    QTest::keyClick(panel().GridPontos, Qt::Key_Insert);
    EXPECT_EQ(PointsOf(object.Chains.Chain(0)), (TPoints { P(0, 0), P(5, 5), P(10, 10), P(20, 20) }));
    QTest::keyClick(panel().GridPontos, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(PointsOf(object.Chains.Chain(0)), (TPoints { P(0, 0), P(10, 10), P(20, 20) }));
    QTest::keyClick(panel().GridPontos, Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(Vars.PointPlotMode);
    Vars.PointPlotMode = false;
    QTest::keyClick(panel().GridPontos, Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(Vars.PointPlotMode);
    EXPECT_EQ(object.Chains.Chain(0).Count(), 4);
    Vars.PointPlotMode = false;
    Globe().unsetCursor();
    QTest::keyClick(panel().GridPontos, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(object.Chains.Chain(0).Count(), 5);
    Vars.PointPlotMode = false;
    Globe().unsetCursor();
    // Ctrl+Z takes the last change back.
    QTest::keyClick(panel().GridPontos, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(object.Chains.Chain(0).Count(), 4);
    // The pencil goes with the focus.
    panel().EdNomeObj->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(Layer("LayLapis").Visible());
    panel().GridPontos->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(Layer("LayLapis").Visible());
    // It stays while the point editor shows.
    QTest::keyClick(panel().GridPontos, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(pointEditor().isVisible());
    EXPECT_TRUE(pointEditor().PointEditActive);
    QApplication::processEvents();
    EXPECT_TRUE(Layer("LayLapis").Visible());
    pointEditor().BtOK->click();
}

TEST_F(ObjectEditorTest, TypingIntoACoordinateCell)
{
    TGeoDataObject& object = Edit({ { P(0, 0), P(GU_DEGREE, GU_DEGREE) } });
    ChoosePoint(0, 1);
    Layer().SetModified(false);
    panel().GridPontos->SetCol(2);
    form->PageControlGPS->setCurrentWidget(form->TabSheetEdObjetos);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    panel().GridPontos->setFocus();
    QTest::keyClick(panel().GridPontos, Qt::Key_F2);
    auto* cell = panel().GridPontos->findChild<QLineEdit*>();
    ASSERT_NE(cell, nullptr);
    // The pencil stays on while the cell is edited.
    EXPECT_TRUE(Layer("LayLapis").Visible());
    const TCoordPatterns patterns = EditPatterns();
    EXPECT_EQ(cell->text(), CoordEditText(GU_DEGREE, patterns.Lat, 2));
    // 12 degrees north, typed over the cell from its start: the mask
    // steps over the degree sign and the other literals.
    QString typed = CoordEditText(12 * GU_DEGREE, patterns.Lat, 2);
    typed.remove(QRegularExpression("[^0-9A-Z]"));
    cell->setCursorPosition(0);
    QTest::keyClicks(cell, typed);
    EXPECT_EQ(object.Chains.Chain(0).Point(1), P(GU_DEGREE, 12 * GU_DEGREE));
    EXPECT_FALSE(Layer().Modified());
    // 99 degrees is no latitude.
    cell->setCursorPosition(0);
    QTest::keyClicks(cell, "99");
    EXPECT_EQ(object.Chains.Chain(0).Point(1).Lat, GU_90_DEGREE);
}

// --- New objects -----------------------------------------------------------------------------

TEST_F(ObjectEditorTest, NewObjectsArePlacedWithAClick)
{
    AddSquare("Q", 1, P(0, 0), GU_DEGREE);
    form->GridLayers->SetRow(Layer().Index());
    form->LayerTools().GridLayersClick();
    const int32_t u = Projection().GlobeUnitsPerInch();
    const struct {
        QAction* TFormBrumex::*command;
        QString title;
        int32_t presenter;
        TPoints points;
    } cases[] = {
        { &TFormBrumex::Novopolgono1, "Novo Polígono", -2, { P(0, 0), P(u, 0), P(u, u), P(0, u), P(0, 0) } },
        { &TFormBrumex::NovoObjeto2, "Novo Objeto", -1, { P(0, 0) } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        messages.clear();
        const int before = Layer().ObjectSource().Count();
        Layer().SetModified(false);
        (form->*c.command)->trigger();
        ASSERT_EQ(Layer().ObjectSource().Count(), before + 1);
        auto& object = dynamic_cast<TGeoDataObject&>(Layer().ObjectSource().GetObject(before));
        EXPECT_EQ(fromCp1252(object.Title), c.title);
        EXPECT_EQ(object.PresenterID(), c.presenter);
        EXPECT_EQ(PointsOf(object.Chains.Chain(0)), c.points);
        EXPECT_EQ(messages, QStringList { "Novo Objeto|Use o Mouse para posicionar o centro do Objeto" });
        EXPECT_EQ(Vars.EditedObject, &object);
        EXPECT_EQ(form->GridObjetos->RowCount(), before + 1);
        EXPECT_EQ(form->LabQtObj->text(), QString::number(before + 1) + " Objetos");
        EXPECT_TRUE(Layer().Modified());
        EXPECT_TRUE(Vars.ObjectCentroidMode);
        EXPECT_FALSE(form->PanelAvisoOper->isVisible());
        const QPoint at = Centre() + QPoint(30, -20);
        ClickAt(at);
        EXPECT_EQ(object.GetCentroid(), GeoAt(at));
        EXPECT_FALSE(Vars.ObjectCentroidMode);
    }
}

// --- Undo ------------------------------------------------------------------------------------

TEST_F(ObjectEditorTest, UndoStepsBackThroughFiftyChanges)
{
    TGeoDataObject& object = Edit({ { P(0, 0), P(1000, 1000) } });
    std::vector<TPoints> history;
    ChoosePoint(0, 1);
    for (int i = 0; i < 60; ++i) {
        history.push_back(PointsOf(object.Chains.Chain(0)));
        if (i % 3 == 2)
            panel().ExcluirPonto1->trigger();
        else
            panel().IncluirPonto1->trigger();
    }
    for (int i = 59; i >= 0; --i) {
        editor().Undo();
        ASSERT_EQ(PointsOf(object.Chains.Chain(0)), history[static_cast<std::size_t>(i)]) << i;
    }
    EXPECT_EQ(panel().GridPontos->RowCount(), 2);
    // A centroid move, undone, puts back chains and centroid alike.
    const TGeoPoint centroid = object.GetCentroid();
    const TPoints points = PointsOf(object.Chains.Chain(0));
    QTest::mouseClick(panel().BtCentrObj, Qt::LeftButton);
    ClickAt(Centre() + QPoint(10, 10));
    ASSERT_NE(object.GetCentroid(), centroid);
    editor().Undo();
    EXPECT_EQ(object.GetCentroid(), centroid);
    EXPECT_EQ(PointsOf(object.Chains.Chain(0)), points);
    // Nothing left to undo: nothing happens.
    editor().Undo();
    EXPECT_EQ(PointsOf(object.Chains.Chain(0)), points);
}

// --- The point editor ------------------------------------------------------------------------

TEST_F(ObjectEditorTest, PointEditorCancelOkAndApply)
{
    TGeoDataObject& object = Edit({ { P(0, 0), P(GU_DEGREE, 2 * GU_DEGREE), P(5, 5) } });
    const TGeoPoint original = P(GU_DEGREE, 2 * GU_DEGREE);
    const int32_t inch = Projection().GlobeUnitsPerInch();
    const auto open = [&] {
        ChoosePoint(0, 1);
        panel().Posicionar1->trigger();
        ASSERT_TRUE(pointEditor().isVisible());
        ASSERT_TRUE(pointEditor().PointEditActive);
        (void)QTest::qWaitForWindowActive(&pointEditor(), 500);
    };

    // Two nudges, then Cancel: the point is back.
    open();
    EXPECT_TRUE(Layer("LayLapis").Visible());
    EXPECT_EQ(pointEditor().EdLonPto->text(), CoordEditText(original.Long, Vars.LonPattern, 3));
    pointEditor().TBMovSpeed2->setValue(500);
    pointEditor().ObjPontoSobDes->NextButton()->click();
    pointEditor().ObjPontoDirEsq->NextButton()->click();
    EXPECT_EQ(object.Chains.Chain(0).Point(1), P(original.Long + inch, original.Lat + inch));
    EXPECT_EQ(Vars.LapisObject->GetCentroid(), P(original.Long + inch, original.Lat + inch));
    Picture(pointEditor(), "point-editor");
    pointEditor().BtCancelar->click();
    EXPECT_FALSE(pointEditor().isVisible());
    EXPECT_FALSE(pointEditor().PointEditActive);
    EXPECT_EQ(object.Chains.Chain(0).Point(1), original);

    // Moved by a click, then OK: the point stays and the layer is modified.
    open();
    Layer().SetModified(false);
    pointEditor().BtPtorObj->click();
    EXPECT_TRUE(Vars.PointPlotMode);
    EXPECT_EQ(Globe().MouseSelectButton, TGlobeMouseButton::mzbRight);
    const QPoint at = Centre() + QPoint(25, 25);
    const TGeoPoint clicked = GeoAt(at);
    ClickAt(at);
    EXPECT_EQ(object.Chains.Chain(0).Point(1), clicked);
    EXPECT_TRUE(pointEditor().isVisible());
    EXPECT_TRUE(pointEditor().PointEditActive);
    EXPECT_FALSE(Layer().Modified());
    // Closing the main window now only brings the editor to the front.
    form->close();
    EXPECT_TRUE(form->isVisible());
    pointEditor().FormActivate();
    pointEditor().BtOK->click();
    EXPECT_EQ(object.Chains.Chain(0).Point(1), clicked);
    EXPECT_TRUE(Layer().Modified());

    // "Aplicar" puts back the coordinates the fields show; the close box is OK.
    open();
    const TGeoPoint shown = P(ReadCoord(pointEditor().EdLonPto->text(), Vars.LonPattern),
        ReadCoord(pointEditor().EdLatPto->text(), Vars.LatPattern));
    // The fields show thousandths of a minute.
    EXPECT_LE(std::abs(shown.Long - clicked.Long), GU_DEGREE / 60000);
    EXPECT_LE(std::abs(shown.Lat - clicked.Lat), GU_DEGREE / 60000);
    pointEditor().ObjPontoSobDes->NextButton()->click();
    pointEditor().BtPtoObjOK->click();
    EXPECT_EQ(object.Chains.Chain(0).Point(1), shown);
    pointEditor().ObjPontoSobDes->NextButton()->click();
    pointEditor().close();
    EXPECT_FALSE(pointEditor().PointEditActive);
    EXPECT_EQ(object.Chains.Chain(0).Point(1), P(shown.Long, shown.Lat + inch));
}

// --- A whole session -------------------------------------------------------------------------

TEST_F(ObjectEditorTest, AWholeEditingSessionIsSavedAndReadBack)
{
    const QString folder = DataHome() + "/mapas";
    QDir().mkpath(folder);
    form->LayerTools().RunFileDialog = [folder](QFileDialog&) { return folder + "/Baia.Lyr"; };
    form->NovoLayer1->trigger();
    ASSERT_NE(Globe().LayerStore()->LayerByName("Baia.Lyr"), nullptr);
    TGlobeLayer& layer = Layer("Baia.Lyr");

    form->Novopolgono1->trigger();
    const QPoint centre = Centre();
    ClickAt(centre);
    auto& polygon = dynamic_cast<TGeoDataObject&>(*Vars.EditedObject);
    ASSERT_EQ(LayerOfObject(Globe(), polygon), &layer);
    // A point inserted before the third and plotted, then the next two plotted.
    const QPoint clicks[] = { centre + QPoint(60, 0), centre + QPoint(60, 60), centre + QPoint(0, 60) };
    std::vector<TPoints> history { PointsOf(polygon.Chains.Chain(0)) };
    const auto plot = [&] {
        ChoosePoint(0, 2);
        panel().IncluirePlotar1->trigger();
        history.push_back(PointsOf(polygon.Chains.Chain(0)));
        for (const QPoint& at : clicks) {
            ClickAt(at, at == clicks[2] ? Qt::NoModifier : Qt::ControlModifier);
            history.push_back(PointsOf(polygon.Chains.Chain(0)));
        }
    };
    plot();
    const TPoints edited = PointsOf(polygon.Chains.Chain(0));
    ASSERT_EQ(edited.size(), 6u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(edited[static_cast<std::size_t>(i + 2)], GeoAt(clicks[i]));
    EXPECT_FALSE(Vars.PointPlotMode);
    EXPECT_TRUE(layer.Modified());

    // Undo steps back through the same session, to the placed square; the
    // same clicks again give the same polygon.
    for (int i = static_cast<int>(history.size()) - 2; i >= 0; --i) {
        editor().Undo();
        EXPECT_EQ(PointsOf(polygon.Chains.Chain(0)), history[static_cast<std::size_t>(i)]) << i;
    }
    history.resize(1);
    plot();
    ASSERT_EQ(PointsOf(polygon.Chains.Chain(0)), edited);

    ChoosePoint(0, 4);
    panel().GridPontos->setFocus();
    QApplication::processEvents();
    form->PageControlGPS->setCurrentWidget(form->TabSheetEdObjetos);
    Picture(*form, "object-editor-session");
    Picture(*form->PanelEdObjetos, "object-editor-panel");
    GlobePicture("object-editor-pencil");

    form->GridLayers->SetRow(layer.Index());
    form->LayerTools().GridLayersClick();
    form->Salvar1->trigger();
    EXPECT_FALSE(layer.Modified());
    // Saved: the close asks nothing.
    form->close();
    ASSERT_TRUE(form->isHidden());
    DestroyWindows();

    form = &CreateWindows();
    Start();
    ASSERT_GE(OpenLayerFile(*form->Globo, toCp1252(folder + "/Baia.Lyr")), 0);
    TGlobeLayer& reread = *form->Globo->LayerStore()->LayerByName("Baia.Lyr");
    ASSERT_EQ(reread.ObjectSource().Count(), 1);
    auto& back = dynamic_cast<TGeoDataObject&>(reread.ObjectSource().GetObject(0));
    EXPECT_EQ(fromCp1252(back.Title), "Novo Polígono");
    ASSERT_EQ(back.Chains.Count(), 1);
    EXPECT_EQ(PointsOf(back.Chains.Chain(0)), edited);
}

} // namespace
