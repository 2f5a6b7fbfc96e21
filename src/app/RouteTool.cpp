#include "app/RouteTool.h"

#include "app/AppPaths.h"
#include "app/ClickDispatcher.h"
#include "app/FileDialogs.h"
#include "app/FormBrumex.h"
#include "app/FormConfig.h"
#include "app/FormRotas.h"
#include "app/Formatting.h"
#include "app/RouteFile.h"
#include "app/RouteGuidance.h"
#include "app/Vars.h"
#include "geo/GeoDataObject.h"
#include "geo/GlobeUnits.h"
#include "platform/Cp1252.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "widgets/Compass.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableWidget>

namespace {

const char* const WAYPOINT_LAYER = "LayWaypt";

TFileQuestion FileQuestion()
{
    return {QStringLiteral("Rotas (*.Rot)"), QStringLiteral("Rot"), TAppPaths::Resolve(Vars.DirRotas)};
}

} // namespace

TRouteTool::TRouteTool(TFormBrumex& form)
    : m_form(form)
{
}

TGlobeLayer* TRouteTool::WaypointLayer() const
{
    return m_form.Globo->LayerStore()->LayerByName(WAYPOINT_LAYER);
}

TFormRotas& TRouteTool::Window() const { return *m_form.Windows().FormRotas; }

TGeoDataObject* TRouteTool::EnsureRouteLine()
{
    if (Vars.RouteObject)
        return Vars.RouteObject;
    TGlobeLayer* layer = WaypointLayer();
    if (!layer)
        return nullptr;
    TGlobeObjectSource& source = layer->ObjectSource();
    source.Name = layer->Name();
    auto* route = new TGeoDataObject(&source);
    route->Title = "Rota";
    route->ID = 2;
    route->SetPresenterID(Vars.PrRotaID);
    route->Chains.AddChain(std::make_unique<TPointStore>());
    Vars.RouteObject = route;
    return route;
}

std::vector<TGeoPoint> TRouteTool::RoutePoints() const { return RoutePointsOf(Vars.RouteObject); }

void TRouteTool::SetRoutePoints(const std::vector<TGeoPoint>& points)
{
    TGeoDataObject* route = EnsureRouteLine();
    if (!route)
        return;
    TPointStore& chain = route->Chains.Chain(0);
    chain.SetCount(0);
    for (const TGeoPoint& p : points)
        chain.Add(p);
    route->Changed();
    m_form.Globo->Redraw();
}

void TRouteTool::AppendRoutePoint(const TGeoPoint& point)
{
    TGeoDataObject* route = EnsureRouteLine();
    if (!route)
        return;
    route->Chains.Chain(0).Add({point.Long, point.Lat, 0});
    route->Changed();
    m_form.Globo->Redraw();
}

void TRouteTool::SizeRouteGrid()
{
    Window().SetRowCount(static_cast<int>(RoutePoints().size()) + 1);
    Window().GridWayPtsRota->viewport()->update();
}

void TRouteTool::RouteLineFreed()
{
    Vars.RouteObject = nullptr;
    Vars.RouteActive = false;
    Vars.RouteLegs.clear();
    SizeRouteGrid();
}

// --- The menu ------------------------------------------------------------------------

void TRouteTool::Nova2Click()
{
    if (!EnsureRouteLine())
        return;
    SetRoutePoints({});
    Window().SetRowCount(1);
    m_form.ClickDispatcher->ShowHint(QStringLiteral("Indique com o cursor os novos pontos. Shift+Click = Termina"));
    m_form.ClickDispatcher->SetCursor(Qt::UpArrowCursor);
    Vars.RouteEditMode = true;
}

void TRouteTool::RouteEditClick()
{
    const Qt::CursorShape cursor = m_form.ClickDispatcher->Cursor();
    if (cursor == Qt::UpArrowCursor)
        AppendRoutePoint(Vars.MousePosition);
    else if (cursor == Qt::PointingHandCursor && Vars.HoverObject)
        AppendRoutePoint(Vars.HoverObject->GetCentroid());
    else
        return;
    if (TGlobeLayer* layer = WaypointLayer())
        layer->SetModified(true);
    SizeRouteGrid();
}

void TRouteTool::Carregar2Click()
{
    if (!WaypointLayer())
        return;
    EnsureRouteLine();
    const QString file = AskFile(*m_form.ODBrumex, QFileDialog::AcceptOpen, FileQuestion());
    if (!file.isEmpty())
        LoadRoute(file);
    WaypointLayer()->SetModified(false);
}

void TRouteTool::Salvar3Click()
{
    if (!WaypointLayer())
        return;
    const QString file = AskFile(*m_form.SDBrumex, QFileDialog::AcceptSave, FileQuestion());
    if (!file.isEmpty() && SaveRoute(file))
        WaypointLayer()->SetModified(false);
}

bool TRouteTool::LoadRoute(const QString& fileName)
{
    std::vector<TGeoPoint> points;
    try {
        points = ReadRouteFile(toCp1252(fileName));
    } catch (const std::exception& e) {
        ShowError(fromCp1252(e.what()));
        return false;
    }
    SetRoutePoints(points);
    if (Window().isVisible())
        SizeRouteGrid();
    return true;
}

bool TRouteTool::SaveRoute(const QString& fileName)
{
    if (!Vars.RouteObject)
        return false;
    try {
        WriteRouteFile(toCp1252(fileName), RoutePoints());
    } catch (const std::exception& e) {
        ShowError(fromCp1252(e.what()));
        return false;
    }
    return true;
}

void TRouteTool::VerRotas1Click()
{
    if (!Window().isVisible())
        Window().show();
}

void TRouteTool::Ativar2Click()
{
    const std::vector<TGeoPoint> points = RoutePoints();
    if (Vars.RouteActive || points.empty() || m_form.LastDataSource != QLatin1String("GPSMinData"))
        return;
    Vars.NextWaypoint = FirstPointApproached(points, Vars.PreviousFix, Vars.EarlierFix);
    Vars.RouteActive = true;
    Window().show();
}

// --- The route window ---------------------------------------------------------------

void TRouteTool::RouteWindowActivate()
{
    EnsureRouteLine();
    SizeRouteGrid();
}

void TRouteTool::RouteWindowClose()
{
    Vars.RouteEditMode = false;
    m_form.Globo->unsetCursor();
    // The hint tells of clicks that no longer add points.
    m_form.ClickDispatcher->ClearHint();
}

// --- Guidance -----------------------------------------------------------------------

void TRouteTool::TrataRota()
{
    const std::vector<TGeoPoint> points = RoutePoints();
    // The route line may have been freed (a waypoint load frees it).
    if (points.empty()) {
        Vars.RouteActive = false;
        SizeRouteGrid();
        return;
    }
    const int n = static_cast<int>(points.size());
    const int next = std::clamp(Vars.NextWaypoint, 0, n - 1);
    const TGuidanceStep step
        = ComputeGuidance(points, next, {Vars.PreviousFix, Vars.EarlierFix, Vars.FixTime, Vars.PreviousFixTime});
    Vars.RouteLegs = step.Legs;
    Vars.Vmg = step.Vmg;
    Vars.StepDistance = step.Closing;
    Vars.NextWaypoint = next;
    const TRouteLeg& leg = Vars.RouteLegs[static_cast<std::size_t>(next)];
    m_form.Bussola->SetToSteer(CompassDegrees(leg.Bearing));

    // The arrival distance in metres; 0 when the field holds no number.
    const int arrival = m_form.Windows().FormConfig->EdDistCheg->text().toInt();
    if (GUToUnits(leg.Distance, TGlobeUnitTypes::Meter) <= arrival) {
        if (next < n - 1)
            Vars.NextWaypoint = next + 1;
        else
            Vars.RouteActive = false;
    }
    ShowGuidance(Vars.SpeedGU > 0);
}

QString TRouteTool::PointName(int index, const TGeoPoint& point) const
{
    QString name = QStringLiteral("Ponto %1").arg(index);
    TGlobeLayer* layer = WaypointLayer();
    if (!layer)
        return name;
    TGlobeObjectSource& source = layer->ObjectSource();
    for (int i = 0; i < source.Count(); ++i) {
        TGlobeObject& object = source.GetObject(i);
        if (&object == Vars.RouteObject)
            continue;
        const TGeoPoint at = object.GetCentroid();
        if (at.Long == point.Long && at.Lat == point.Lat)
            name = fromCp1252(object.Title);
    }
    return name;
}

void TRouteTool::ShowGuidance(bool speedKnown)
{
    const int next = Vars.NextWaypoint;
    const TRouteLeg& leg = Vars.RouteLegs[static_cast<std::size_t>(next)];
    TFormRotas& window = Window();
    window.LabelProx->setText(QStringLiteral("Próximo = ") + PointName(next, RoutePoints()[static_cast<std::size_t>(next)]));
    window.LabelDistProx->setText(QStringLiteral("Distância = ") + DistanceText(leg.Distance));
    window.LabelTempo->setText(QStringLiteral("Tempo = ") + LongTimeText(leg.Eta));
    QString vmg = QStringLiteral("VMG = ") + SpeedText(Vars.Vmg);
    // The share of the speed made good towards the point, after taking
    // 1500 GlobeUnits per hour off.
    if (Vars.Vmg > 0 && speedKnown)
        vmg += QLatin1Char(' ') + PercentText((Vars.Vmg - 1500) / Vars.SpeedGU * 100);
    window.LabelVMG->setText(vmg);
    window.GridWayPtsRota->viewport()->update();
}

void TRouteTool::ShowError(const QString& text) const
{
    QMessageBox::warning(&m_form, QStringLiteral("Erro!"), text);
}
