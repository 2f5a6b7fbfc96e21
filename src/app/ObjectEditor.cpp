#include "app/ObjectEditor.h"

#include "app/AppWindows.h"
#include "app/ChartTool.h"
#include "app/ClickDispatcher.h"
#include "app/EditMask.h"
#include "app/FormBrumex.h"
#include "app/FormEdPonto.h"
#include "app/Formatting.h"
#include "app/GlobeSetup.h"
#include "app/LayerTools.h"
#include "app/PanelEdObjetos.h"
#include "app/StringGrid.h"
#include "app/UpDown.h"
#include "app/Vars.h"
#include "geo/BitmapObject.h"
#include "geo/GeoDataObject.h"
#include "geo/GeoMath.h"
#include "geo/GlobeProjection.h"
#include "platform/Cp1252.h"
#include "view/Globe4.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobePresenter.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <cmath>
#include <utility>

namespace {

const QString HINT_PICK = QStringLiteral("Indique com o cursor a nova posição desejada. Shift+Click = Cancela");
const QString CAPTION_DELETE = QStringLiteral("Exclusão inválida");
const QString ONE_CHAIN = QStringLiteral("Objeto tem apenas uma cadeia");
// The up-down controls' own position restarts from 0 beyond this.
constexpr int NUDGE_POSITION_LIMIT = 1000;
// Ctrl+Z reaches at least this many changes back.
constexpr std::size_t UNDO_DEPTH = 100;

bool OnTheGlobe(const TGeoPoint& point)
{
    return point.Lat > -GU_180_DEGREE && point.Lat < GU_180_DEGREE;
}

int32_t Midpoint(int32_t a, int32_t b)
{
    // Ties to even, as the default rounding does.
    return static_cast<int32_t>(std::nearbyint((static_cast<long double>(a) + b) / 2));
}

} // namespace

bool NormaliseTypedPoint(int64_t longitude, int64_t latitude, TGeoPoint& point)
{
    if (latitude < -GU_90_DEGREE || latitude > GU_90_DEGREE)
        return false;
    point = TGeoPoint { NormalizeLong(longitude), static_cast<int32_t>(latitude), 0 };
    return true;
}

// The edited object before one change, and where the grids stood.
struct TObjectEditor::TUndoStep {
    TGlobeObject* Object = nullptr;
    TGeoPoint Centroid;
    std::unique_ptr<TChainStore> Chains;
    int ChainRow = 0;
    int PointRow = 0;
};

TObjectEditor::TObjectEditor(TFormBrumex& form)
    : m_form(form)
{
    ShowMessage = [this](const QString& caption, const QString& text) {
        QMessageBox::information(&m_form, caption, text, QMessageBox::Ok);
    };
    Vars.OnForgetObject = [this](const TGlobeObject* object) { ObjectFreed(object); };
}

TObjectEditor::~TObjectEditor()
{
    Vars.OnForgetObject = nullptr;
}

TPanelEdObjetos& TObjectEditor::Panel() const
{
    return *m_form.PanelEdObjetos;
}

void TObjectEditor::Connect()
{
    TPanelEdObjetos& p = Panel();
    connect(p.EdNomeObj, &QLineEdit::textEdited, this, &TObjectEditor::EdNomeObjChange);
    connect(p.BtCentrObjOK, &QPushButton::clicked, this, &TObjectEditor::BtCentrObjOKClick);
    connect(p.BtCentrObj, &QToolButton::clicked, this, &TObjectEditor::BtCentrObjClick);
    connect(p.ObjCentrSobDes, &TUpDown::Click, this, &TObjectEditor::ObjCentrSobDesClick);
    connect(p.ObjCentrDirEsq, &TUpDown::Click, this, &TObjectEditor::ObjCentrDirEsqClick);
    const std::pair<QAction*, void (TObjectEditor::*)()> commands[] = {
        { p.Nova1, &TObjectEditor::Nova1Click },
        { p.Excluir1, &TObjectEditor::Excluir1Click },
        { p.Copiar1, &TObjectEditor::Copiar1Click },
        { p.Cortar1, &TObjectEditor::Cortar1Click },
        { p.Posicionar1, &TObjectEditor::Posicionar1Click },
        { p.IncluirPonto1, &TObjectEditor::IncluirPonto1Click },
        { p.IncluirePlotar1, &TObjectEditor::IncluirePlotar1Click },
        { p.IncluirPlotar1, &TObjectEditor::IncluirePlotar1Click },
        { p.Plotar1, &TObjectEditor::Plotar1Click },
        { p.ExcluirPonto1, &TObjectEditor::ExcluirPonto1Click },
        { p.InverterOrdem1, &TObjectEditor::InverterOrdem1Click },
        { p.Girarshift1, &TObjectEditor::Girarshift1Click },
        { p.IncluirCadeia1, &TObjectEditor::IncluirCadeia1Click },
    };
    for (const auto& [action, handler] : commands)
        connect(action, &QAction::triggered, this, handler);
    connect(p.PopupGridPontos, &QMenu::aboutToShow, this,
        [&p] { p.IncluirCadeia1->setEnabled(Vars.ChainClipboard && Vars.ChainClipboard->Count() > 0); });
    for (auto [grid, menu] : { std::pair { p.GridChains, p.PopupGridChains }, { p.GridPontos, p.PopupGridPontos } }) {
        connect(grid, &QWidget::customContextMenuRequested, menu, [grid, menu](const QPoint& at) {
            menu->popup(grid->viewport()->mapToGlobal(at));
        });
        grid->installEventFilter(this);
    }
    p.GridChains->OnClick = [this] { GridChainsClick(); };
    p.GridPontos->OnClick = [this] { GridPontosClick(); };
    p.GridChains->OnDrawCell
        = [this](QPainter& painter, int col, int row, const QRect& rect, bool) { DrawChainCell(painter, col, row, rect); };
    p.GridPontos->OnDrawCell
        = [this](QPainter& painter, int col, int row, const QRect& rect, bool) { DrawPointCell(painter, col, row, rect); };
    p.GridPontos->OnGetEditText = [this](int col, int row) { return col == 0 ? QString() : PointCellText(col, row); };
    p.GridPontos->OnGetEditMask
        = [this](int col, int row) { return col == 0 ? QString() : CoordEditMask(PointCellText(col, row)); };
    p.GridPontos->OnSetEditText = [this](int col, int row, const QString& text) { SetPointCell(col, row, text); };
    connect(m_form.NovoObjeto2, &QAction::triggered, this, &TObjectEditor::NovoObjeto2Click);
    connect(m_form.Novopolgono1, &QAction::triggered, this, &TObjectEditor::Novopolgono1Click);
    auto* undo = new QAction(QStringLiteral("Desfazer"), &m_form);
    undo->setObjectName(QStringLiteral("DesfazerEdicao"));
    undo->setShortcut(QKeySequence::Undo);
    m_form.addAction(undo);
    connect(undo, &QAction::triggered, this, &TObjectEditor::Undo);
    ShowEditedObject();
}

bool TObjectEditor::eventFilter(QObject* watched, QEvent* event)
{
    // The pencil shows the point being worked on while a grid has the focus.
    if (event->type() == QEvent::FocusIn)
        ShowLapisLayer(true);
    else if (event->type() == QEvent::FocusOut) {
        // A cell's editor is part of the grid.
        const QWidget* now = QApplication::focusWidget();
        const bool intoCell = now && static_cast<QWidget*>(watched)->isAncestorOf(now);
        const TFormEdPonto* pointEditor = m_form.Windows().FormEdPonto;
        if (!intoCell && (!pointEditor || !pointEditor->isVisible()))
            ShowLapisLayer(false);
    }
    return QObject::eventFilter(watched, event);
}

// --- The edited object ----------------------------------------------------------------

TGeoDataObject* TObjectEditor::Edited() const
{
    return dynamic_cast<TGeoDataObject*>(Vars.EditedObject);
}

bool TObjectEditor::IsPointObject() const
{
    return dynamic_cast<const TPointPresenter*>(Vars.EditedPresenter) != nullptr;
}

TPointStore* TObjectEditor::CurrentChain() const
{
    TGeoDataObject* object = Edited();
    const int row = Panel().GridChains->Row();
    if (!object || IsPointObject() || row < 0 || row >= object->Chains.Count())
        return nullptr;
    return &object->Chains.Chain(row);
}

bool TObjectEditor::HasCurrentPoint() const
{
    const TPointStore* chain = CurrentChain();
    const int row = Panel().GridPontos->Row();
    return chain && row >= 0 && row < chain->Count();
}

TGeoPoint TObjectEditor::CurrentPoint() const
{
    return HasCurrentPoint() ? CurrentChain()->Point(Panel().GridPontos->Row()) : TGeoPoint {};
}

void TObjectEditor::SetCurrentPoint(const TGeoPoint& point)
{
    if (!HasCurrentPoint())
        return;
    Remember();
    CurrentChain()->SetPoint(Panel().GridPontos->Row(), point);
    Redraw(*Vars.EditedObject);
    QCoreApplication::processEvents();
    MoveLapisToCurrentPoint();
    ShowEditedObject();
}

void TObjectEditor::MarkLayerModified()
{
    if (Vars.EditedObject)
        if (TGlobeLayer* layer = LayerOfObject(*m_form.Globo, *Vars.EditedObject))
            layer->SetModified(true);
    m_form.GridLayers->Repaint();
}

void TObjectEditor::Redraw(TGlobeObject& object)
{
    object.Changed();
    m_form.Globo->Redraw();
}

// --- Object selection -----------------------------------------------------------------

void TObjectEditor::GridObjetosClick()
{
    SelectObject(!m_form.LabelPosic->text().isEmpty());
}

void TObjectEditor::GloboSelectClick()
{
    SelectObject(true);
    // The globe's own selection of the object under the mouse, also for a
    // Shift-click, which the globe leaves alone.
    m_form.Globo->LayerStore()->SelectObject(Vars.HoverObject);
}

void TObjectEditor::SelectObject(bool overGlobe)
{
    Vars.EditedObject = nullptr;
    ClearObjectEditor();
    m_form.GridLayers->SetCol(1);
    // The object under the mouse counts only while the mouse is there: the
    // last one it passed over is no choice of a click on a row.
    TGlobeObject* hover = overGlobe ? Vars.HoverObject : nullptr;
    if (m_form.ChartTool->SelectChart(dynamic_cast<TBitmapObject*>(hover)))
        return;
    TGlobeObject* row = nullptr;
    TGlobeLayer* layer = m_form.LayerTools().CurrentLayer();
    if (layer && m_form.GridObjetos->Row() >= 0 && m_form.GridObjetos->Row() < layer->ObjectSource().Count())
        row = &layer->ObjectSource().GetObject(m_form.GridObjetos->Row());
    if (overGlobe && m_form.ChartTool->SelectChart(dynamic_cast<TBitmapObject*>(row)))
        return;
    TGlobeObject* candidate = nullptr;
    if (overGlobe)
        candidate = dynamic_cast<TGeoDataObject*>(hover);
    else if (row && dynamic_cast<TGeoDataObject*>(row) && row->Title != "Lapis")
        candidate = row;
    if (!candidate)
        return;
    Vars.EditedObject = candidate;
    ShowEditedObject();
    QTabWidget& pages = *m_form.PageControlGPS;
    pages.setTabEnabled(pages.indexOf(m_form.TabSheetEdObjetos), true);
    pages.setTabEnabled(pages.indexOf(m_form.TabSheetEdBitMap), false);
    FillGrids();
}

void TObjectEditor::ClearObjectEditor()
{
    ShowEditedObject();
    Panel().GridChains->SetRowCount(0);
    Panel().GridPontos->SetRowCount(0);
}

void TObjectEditor::FillGrids()
{
    TGeoDataObject* object = Edited();
    TStringGrid& chains = *Panel().GridChains;
    chains.SetRowCount(object && !IsPointObject() ? object->Chains.Count() : 0);
    const TPointStore* chain = CurrentChain();
    Panel().GridPontos->SetRowCount(chain ? chain->Count() : 0);
    chains.Repaint();
}

void TObjectEditor::ShowEditedObject()
{
    if (Vars.PointPlotMode && m_form.ClickDispatcher->Cursor() == Qt::CrossCursor)
        return;
    const TCoordPatterns patterns = EditPatterns();
    TPanelEdObjetos& p = Panel();
    TGlobeObject* object = Vars.EditedObject;
    if (object) {
        p.EdNomeObj->setText(fromCp1252(object->Title));
        const TGeoPoint centroid = object->GetCentroid();
        ShowCoordEditText(*p.EdCentrLon, CoordEditText(centroid.Long, patterns.Lon, 3));
        ShowCoordEditText(*p.EdCentrLat, CoordEditText(centroid.Lat, patterns.Lat, 2));
        Vars.EditedLayer = LayerOfObject(*m_form.Globo, *object);
        p.LabelObjLayName->setText(
            QStringLiteral("Layer= ") + (Vars.EditedLayer ? fromCp1252(Vars.EditedLayer->Name()) : QString()));
        Vars.EditedPresenter = Vars.EditedLayer ? Vars.EditedLayer->FindPresenter(object->PresenterID()) : nullptr;
    } else {
        p.EdNomeObj->setText(QStringLiteral("-X-"));
        for (QLineEdit* edit : { p.EdCentrLon, p.EdCentrLat }) {
            edit->setInputMask(QString());
            edit->clear();
        }
        p.LabelObjLayName->clear();
        Vars.EditedLayer = nullptr;
        Vars.EditedPresenter = nullptr;
    }
    for (QWidget* control : p.EditingControls())
        control->setEnabled(object);
    p.GridChains->Repaint();
    p.GridPontos->Repaint();
}

void TObjectEditor::ObjectFreed(const TGlobeObject* object)
{
    std::erase_if(m_undo, [object](const TUndoStep& step) { return !object || step.Object == object; });
    // The panel follows once the freeing is over (once for a whole layer);
    // a plotting mode whose point went with the object ends.
    if (std::exchange(m_followFreed, true))
        return;
    QMetaObject::invokeMethod(this, [this] {
        m_followFreed = false;
        if (Vars.PointPlotMode && !Vars.PlotTarget.Object) {
            m_form.ClickDispatcher->EndMode(Vars.PointPlotMode);
            m_form.ClickDispatcher->ClearHint();
        }
        if (!Vars.EditedObject)
            ClearObjectEditor();
    }, Qt::QueuedConnection);
}

// --- Title and centroid ---------------------------------------------------------------

void TObjectEditor::EdNomeObjChange()
{
    TGlobeObject* object = Vars.EditedObject;
    const std::string title = toCp1252(Panel().EdNomeObj->text());
    if (!object || title == object->Title)
        return;
    object->Title = title;
    Redraw(*object);
    MarkLayerModified();
    m_form.GridObjetos->Repaint();
}

bool TObjectEditor::ReadTypedPoint(const QString& lonText, const QString& latText, TGeoPoint& point)
{
    if (NormaliseTypedPoint(ReadCoord(lonText, Vars.LonPattern), ReadCoord(latText, Vars.LatPattern), point))
        return true;
    ShowMessage(QStringLiteral("Coordenada inválida"), QStringLiteral("A latitude deve estar entre 90° S e 90° N."));
    return false;
}

void TObjectEditor::MoveCentroid(TGeoDataObject& object, const TGeoPoint& centroid)
{
    Remember();
    object.SetCentroid(centroid);
    Redraw(object);
}

void TObjectEditor::BtCentrObjOKClick()
{
    TGeoDataObject* object = Edited();
    TGeoPoint centroid;
    if (!object || !ReadTypedPoint(Panel().EdCentrLon->text(), Panel().EdCentrLat->text(), centroid))
        return;
    MoveCentroid(*object, centroid);
    MarkLayerModified();
    ShowEditedObject();
}

void TObjectEditor::StartClickMode(bool& mode)
{
    Vars.ClearClickModes();
    m_form.ClickDispatcher->SetCursor(Qt::CrossCursor);
    m_form.Globo->MouseSelectButton = TGlobeMouseButton::mzbNone;
    mode = true;
}

void TObjectEditor::BtCentrObjClick()
{
    if (!Edited())
        return;
    StartClickMode(Vars.ObjectCentroidMode);
    MarkLayerModified();
    m_form.ClickDispatcher->ShowHint(HINT_PICK);
}

void TObjectEditor::CentroidClick()
{
    TClickDispatcher& dispatcher = *m_form.ClickDispatcher;
    if (dispatcher.Cursor() != Qt::CrossCursor)
        return;
    TGeoDataObject* object = Edited();
    if (!object) {
        dispatcher.EndMode(Vars.ObjectCentroidMode);
        return;
    }
    if (!OnTheGlobe(Vars.MousePosition))
        return;
    MoveCentroid(*object, Vars.MousePosition);
    dispatcher.EndMode(Vars.ObjectCentroidMode);
    ShowEditedObject();
}

int32_t TObjectEditor::NudgeStep(int speed, bool next) const
{
    const long double perInch = m_form.Globo->Projection().GlobeUnitsPerInch();
    return static_cast<int32_t>(std::trunc(perInch / (501 - std::clamp(speed, 1, 500)))) * (next ? 1 : -1);
}

void TObjectEditor::Nudge(bool next, bool latitude)
{
    TUpDown& nudge = latitude ? *Panel().ObjCentrSobDes : *Panel().ObjCentrDirEsq;
    if (std::abs(nudge.Position()) > NUDGE_POSITION_LIMIT)
        nudge.SetPosition(0);
    TGeoDataObject* object = Edited();
    if (!object)
        return;
    const int32_t step = NudgeStep(Panel().TBMovSpeed->value(), next);
    const int32_t dLong = latitude ? 0 : step, dLat = latitude ? step : 0;
    if (IsPointObject()) {
        const TGeoPoint c = object->GetCentroid();
        MoveCentroid(*object, TGeoPoint { c.Long + dLong, c.Lat + dLat, c.Height });
    } else if (TPointStore* chain = CurrentChain()) {
        Remember();
        chain->Translate(dLong, dLat, 0);
        Redraw(*object);
    } else
        return;
    MarkLayerModified();
    ShowEditedObject();
}

void TObjectEditor::ObjCentrSobDesClick(bool next)
{
    Nudge(next, true);
}

void TObjectEditor::ObjCentrDirEsqClick(bool next)
{
    Nudge(next, false);
}

// --- The grids --------------------------------------------------------------------------

void TObjectEditor::DrawChainCell(QPainter& painter, int col, int row, const QRect& rect)
{
    TGeoDataObject* object = Edited();
    if (!object || row >= object->Chains.Count())
        return;
    if (col == 0)
        TStringGrid::DrawCellText(painter, rect, QString::number(row));
    else
        painter.drawText(rect, Qt::AlignCenter, QString::number(object->Chains.Chain(row).Count()));
}

QString TObjectEditor::PointCellText(int col, int row) const
{
    const TPointStore* chain = CurrentChain();
    if (!chain || row < 0 || row >= chain->Count())
        return {};
    const TGeoPoint point = chain->Point(row);
    if (col == 0)
        return QString::number(row + 1);
    return col == 1 ? CoordEditText(point.Long, Vars.LonPattern, 3) : CoordEditText(point.Lat, Vars.LatPattern, 2);
}

void TObjectEditor::DrawPointCell(QPainter& painter, int col, int row, const QRect& rect)
{
    TStringGrid::DrawCellText(painter, rect, PointCellText(col, row));
}

void TObjectEditor::SetPointCell(int col, int row, const QString& text)
{
    TPointStore* chain = CurrentChain();
    if (col == 0 || !chain || row < 0 || row >= chain->Count())
        return;
    TGeoPoint point = chain->Point(row);
    if (col == 1)
        point.Long = NormalizeLong(ReadCoord(text, Vars.LonPattern));
    else
        // Typing passes through impossible latitudes; none is stored.
        point.Lat = std::clamp(ReadCoord(text, Vars.LatPattern), -GU_90_DEGREE, GU_90_DEGREE);
    // One undo step for all the keys typed into one cell.
    if (m_cellEdit != QPoint(col, row)) {
        Remember();
        m_cellEdit = QPoint(col, row);
    }
    chain->SetPoint(row, point);
    Redraw(*Vars.EditedObject);
}

void TObjectEditor::GridChainsClick()
{
    const TPointStore* chain = CurrentChain();
    Panel().GridPontos->SetRowCount(chain ? chain->Count() : 0);
    Panel().GridPontos->Repaint();
}

void TObjectEditor::GridPontosClick()
{
    MoveLapisToCurrentPoint();
}

void TObjectEditor::MoveLapisTo(const TGeoPoint& point)
{
    TGeoDataObject* lapis = Vars.LapisObject;
    if (!lapis)
        return;
    lapis->SetCentroid(point);
    lapis->Changed();
    if (TGlobeLayer* layer = m_form.Globo->LayerStore()->LayerByName("LayLapis"); layer && layer->Visible())
        m_form.Globo->Redraw();
}

void TObjectEditor::MoveLapisToCurrentPoint()
{
    if (HasCurrentPoint())
        MoveLapisTo(CurrentPoint());
}

void TObjectEditor::ShowLapisLayer(bool visible)
{
    if (TGlobeLayer* layer = m_form.Globo->LayerStore()->LayerByName("LayLapis"))
        layer->SetVisible(visible);
}

// --- Chain commands ---------------------------------------------------------------------

void TObjectEditor::Nova1Click()
{
    TGeoDataObject* object = Edited();
    if (!object || IsPointObject())
        return;
    Remember();
    auto chain = std::make_unique<TPointStore>();
    chain->Add(object->GetCentroid());
    object->Chains.AddChain(std::move(chain));
    Panel().GridChains->SetRowCount(object->Chains.Count());
    Panel().GridChains->SetRow(object->Chains.Count() - 1);
    Panel().GridPontos->SetRowCount(1);
    Redraw(*object);
    MarkLayerModified();
}

void TObjectEditor::DeleteCurrentChain()
{
    TGeoDataObject& object = *Edited();
    Remember();
    object.Chains.DeleteChain(Panel().GridChains->Row());
    Panel().GridChains->SetRowCount(object.Chains.Count());
    Panel().GridChains->SetRow(0);
    GridChainsClick();
    Panel().GridPontos->SetRow(0);
    Redraw(object);
    MarkLayerModified();
}

void TObjectEditor::Excluir1Click()
{
    TGeoDataObject* object = Edited();
    if (!CurrentChain())
        return;
    if (object->Chains.Count() < 2) {
        ShowMessage(CAPTION_DELETE, ONE_CHAIN);
        return;
    }
    DeleteCurrentChain();
}

void TObjectEditor::Copiar1Click()
{
    const TPointStore* chain = CurrentChain();
    if (!chain || !Vars.ChainClipboard)
        return;
    Vars.ChainClipboard->SetCount(0);
    for (int i = 0; i < chain->Count(); ++i)
        Vars.ChainClipboard->Add(chain->Point(i));
}

void TObjectEditor::Cortar1Click()
{
    if (!CurrentChain())
        return;
    if (Edited()->Chains.Count() < 2) {
        ShowMessage(CAPTION_DELETE, ONE_CHAIN);
        return;
    }
    Copiar1Click();
    DeleteCurrentChain();
}

// --- Point commands ---------------------------------------------------------------------

void TObjectEditor::Posicionar1Click()
{
    if (TFormEdPonto* pointEditor = m_form.Windows().FormEdPonto; pointEditor && HasCurrentPoint()) {
        pointEditor->show();
        pointEditor->raise();
        pointEditor->activateWindow();
        // The edit begins with the window, whenever the platform activates it.
        pointEditor->FormActivate();
    }
}

void TObjectEditor::InsertPoint(TPointStore& chain, int at, const TGeoPoint& point)
{
    if (chain.Count() == 0)
        chain.Add(point);
    else
        chain.Insert(at, point);
    Panel().GridPontos->SetRowCount(chain.Count());
    Panel().GridPontos->SetRow(std::max(at, 0));
    Redraw(*Vars.EditedObject);
    MoveLapisToCurrentPoint();
}

void TObjectEditor::IncluirPonto1Click()
{
    TPointStore* chain = CurrentChain();
    if (!chain)
        return;
    const int n = chain->Count();
    const int r = std::clamp(Panel().GridPontos->Row(), 0, std::max(n - 1, 0));
    TGeoPoint point {};
    if (n > 0 && r == 0)
        point = chain->Point(0);
    else if (n > 1) {
        const TGeoPoint a = chain->Point(r - 1), b = chain->Point(r);
        point = TGeoPoint { Midpoint(a.Long, b.Long), Midpoint(a.Lat, b.Lat), 0 };
    }
    Remember();
    InsertPoint(*chain, r, point);
    MarkLayerModified();
}

void TObjectEditor::IncluirePlotar1Click()
{
    if (!CurrentChain())
        return;
    IncluirPonto1Click();
    StartPointPlot(false);
    m_form.ClickDispatcher->ShowHint(HINT_PICK);
}

void TObjectEditor::StartPointPlot(bool selectWithRightButton)
{
    if (!HasCurrentPoint())
        return;
    Vars.PlotTarget = { Vars.EditedObject, Panel().GridChains->Row(), Panel().GridPontos->Row() };
    StartClickMode(Vars.PointPlotMode);
    if (selectWithRightButton)
        m_form.Globo->MouseSelectButton = TGlobeMouseButton::mzbRight;
}

void TObjectEditor::Plotar1Click()
{
    if (!HasCurrentPoint())
        return;
    StartPointPlot(false);
    m_form.ClickDispatcher->ShowHint(HINT_PICK);
}

void TObjectEditor::ExcluirPonto1Click()
{
    TPointStore* chain = CurrentChain();
    if (!chain)
        return;
    const int n = chain->Count();
    if (n < 2) {
        ShowMessage(CAPTION_DELETE,
            n == 0 ? QStringLiteral("Não há pontos a excluir")
                   : QStringLiteral("Objeto tem apenas um ponto. Exclua a cadeia!"));
        return;
    }
    Remember();
    chain->Delete(std::clamp(Panel().GridPontos->Row(), 0, n - 1));
    Panel().GridPontos->SetRowCount(chain->Count());
    Redraw(*Vars.EditedObject);
    MoveLapisToCurrentPoint();
    MarkLayerModified();
}

void TObjectEditor::RebuildChain(TPointStore& chain, const std::function<int(int, int)>& source)
{
    Remember();
    const std::unique_ptr<TPointStore> copy = chain.Clone();
    const int n = copy->Count();
    chain.SetCount(0);
    for (int i = 0; i < n; ++i)
        chain.Add(copy->Point(source(i, n)));
    Redraw(*Vars.EditedObject);
    MarkLayerModified();
    Panel().GridPontos->Repaint();
    MoveLapisToCurrentPoint();
}

void TObjectEditor::RebuildCurrentChain(
    const QString& caption, const QString& noPoints, const QString& onePoint, const std::function<int(int, int)>& source)
{
    TPointStore* chain = CurrentChain();
    if (!chain)
        return;
    if (chain->Count() < 2) {
        ShowMessage(caption, chain->Count() == 0 ? noPoints : onePoint);
        return;
    }
    RebuildChain(*chain, source);
}

void TObjectEditor::InverterOrdem1Click()
{
    RebuildCurrentChain(QStringLiteral("Inversão inválida"), QStringLiteral("Não há pontos a Inverter"),
        QStringLiteral("Objeto tem apenas um ponto!"), [](int i, int n) { return n - 1 - i; });
}

void TObjectEditor::Girarshift1Click()
{
    RebuildCurrentChain(QStringLiteral("Giro inválido"), QStringLiteral("Não há pontos a Girar"),
        QStringLiteral("Objeto tem menos de 3 pontos!"), [](int i, int n) { return (i + 1) % n; });
}

void TObjectEditor::IncluirCadeia1Click()
{
    TGeoDataObject* object = Edited();
    if (!CurrentChain() || !Vars.ChainClipboard || Vars.ChainClipboard->Count() == 0)
        return;
    Remember();
    const std::unique_ptr<TPointStore> clipboard = Vars.ChainClipboard->Clone();
    for (int i = 0; i < clipboard->Count(); ++i) {
        // The events run between the insertions may take the object away.
        TPointStore* chain = Vars.EditedObject == object ? CurrentChain() : nullptr;
        if (!chain)
            return;
        InsertPoint(*chain, std::clamp(Panel().GridPontos->Row(), 0, chain->Count()), clipboard->Point(i));
        QCoreApplication::processEvents();
    }
    if (Vars.EditedObject == object)
        MarkLayerModified();
}

// --- New objects ------------------------------------------------------------------------

void TObjectEditor::CreateObject(bool polygon)
{
    TGlobeLayer* layer = m_form.LayerTools().CurrentLayer();
    if (!layer)
        return;
    TGlobeObjectSource& source = layer->ObjectSource();
    source.Name = layer->Name();
    auto* object = new TGeoDataObject(&source);
    object->Title = toCp1252(polygon ? QStringLiteral("Novo Polígono") : QStringLiteral("Novo Objeto"));
    TPointStore& chain = object->Chains.Chain(0);
    if (polygon) {
        const int32_t u = m_form.Globo->Projection().GlobeUnitsPerInch();
        for (const auto& [x, y] : { std::pair { 0, 0 }, { u, 0 }, { u, u }, { 0, u }, { 0, 0 } })
            chain.Add(TGeoPoint { x, y, 0 });
        object->SetPresenterID(-2);
        object->State.include(TGlobeObjectState::osClosed);
    } else {
        chain.Add(TGeoPoint {});
        object->SetPresenterID(-1);
    }
    object->Changed();
    layer->SetModified(true);
    Vars.EditedObject = object;
    ShowEditedObject();
    FillGrids();
    m_form.LayerTools().ShowObjects();
    m_form.LayerTools().ShowLayerData(*layer);
    m_form.GridLayers->Repaint();
    m_form.Globo->Redraw();
    QCoreApplication::processEvents();
    ShowMessage(QStringLiteral("Novo Objeto"), QStringLiteral("Use o Mouse para posicionar o centro do Objeto"));
    if (Vars.EditedObject == object)
        StartClickMode(Vars.ObjectCentroidMode);
}

void TObjectEditor::NovoObjeto2Click()
{
    CreateObject(false);
}

void TObjectEditor::Novopolgono1Click()
{
    CreateObject(true);
}

// --- The plotting click -----------------------------------------------------------------

void TObjectEditor::PointPlotClick(bool ctrl)
{
    TClickDispatcher& dispatcher = *m_form.ClickDispatcher;
    if (dispatcher.Cursor() != Qt::CrossCursor)
        return;
    auto* object = dynamic_cast<TGeoDataObject*>(Vars.PlotTarget.Object);
    const TPlotTarget target = Vars.PlotTarget;
    if (!object || target.Chain < 0 || target.Chain >= object->Chains.Count() || target.Point < 0
        || target.Point >= object->Chains.Chain(target.Chain).Count()) {
        dispatcher.EndMode(Vars.PointPlotMode);
        return;
    }
    if (!OnTheGlobe(Vars.MousePosition))
        return;
    TPanelEdObjetos& p = Panel();
    if (object != Vars.EditedObject) {
        Vars.EditedObject = object;
        ShowEditedObject();
        p.GridChains->SetRowCount(object->Chains.Count());
        p.GridChains->SetRow(target.Chain);
        p.GridPontos->SetRowCount(object->Chains.Chain(target.Chain).Count());
        p.GridPontos->SetRow(target.Point);
    }
    Remember();
    object->Chains.Chain(target.Chain).SetPoint(target.Point, Vars.MousePosition);
    Redraw(*object);
    QCoreApplication::processEvents();
    m_form.Globo->unsetCursor();
    ShowEditedObject();
    MoveLapisToCurrentPoint();
    if (TFormEdPonto* pointEditor = m_form.Windows().FormEdPonto; pointEditor && pointEditor->PointEditActive)
        Posicionar1Click();
    else
        MarkLayerModified();
    const int next = p.GridPontos->Row() + 1;
    if (ctrl && Vars.PointPlotMode && next < p.GridPontos->RowCount()) {
        p.GridPontos->SetRow(next);
        Vars.PlotTarget.Point = next;
        dispatcher.SetCursor(Qt::CrossCursor);
        m_form.Globo->MouseSelectButton = TGlobeMouseButton::mzbNone;
    } else
        dispatcher.EndMode(Vars.PointPlotMode);
}

// --- Undo -------------------------------------------------------------------------------

void TObjectEditor::Remember()
{
    m_cellEdit = QPoint(-1, -1);
    TGeoDataObject* object = Edited();
    if (!object)
        return;
    TUndoStep step;
    step.Object = object;
    step.Centroid = object->GetCentroid();
    step.Chains = std::make_unique<TChainStore>();
    step.Chains->Assign(object->Chains);
    step.ChainRow = Panel().GridChains->Row();
    step.PointRow = Panel().GridPontos->Row();
    m_undo.push_back(std::move(step));
    if (m_undo.size() > UNDO_DEPTH)
        m_undo.pop_front();
}

void TObjectEditor::Undo()
{
    TGeoDataObject* object = Edited();
    const auto found = std::find_if(
        m_undo.rbegin(), m_undo.rend(), [object](const TUndoStep& step) { return object && step.Object == object; });
    if (found == m_undo.rend())
        return;
    TUndoStep step = std::move(*found);
    m_undo.erase(std::next(found).base());
    object->Chains.Assign(*step.Chains);
    // The centroid as it was, without moving the chains again.
    object->TGlobeObject::SetCentroid(step.Centroid);
    Redraw(*object);
    MarkLayerModified();
    ShowEditedObject();
    FillGrids();
    Panel().GridChains->SetRow(step.ChainRow);
    GridChainsClick();
    Panel().GridPontos->SetRow(step.PointRow);
    MoveLapisToCurrentPoint();
}
