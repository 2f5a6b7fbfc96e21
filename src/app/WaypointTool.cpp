#include "app/WaypointTool.h"

#include "app/AppPaths.h"
#include "app/ClickDispatcher.h"
#include "app/FileDialogs.h"
#include "app/FormBrumex.h"
#include "app/LayerTools.h"
#include "app/RouteTool.h"
#include "app/Vars.h"
#include "app/WaypointFile.h"
#include "app/WaypointIcons.h"
#include "geo/GeoDataObject.h"
#include "platform/Cp1252.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobePresenter.h"
#include "view/GlobePresenterStore.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPainter>
#include <QSlider>
#include <QTableWidget>

#include <cmath>

namespace {

const char* const WAYPOINT_LAYER = "LayWaypt";

TFileQuestion FileQuestion()
{
    return {QStringLiteral("WayPoints (*.Wpt)"), QStringLiteral("Wpt"), TAppPaths::Resolve(Vars.DirWayPoints)};
}

} // namespace

TWaypointTool::TWaypointTool(TFormBrumex& form)
    : m_form(form)
{
    for (int i = 0; i < WAYPOINT_ICON_COUNT; ++i)
        m_images.push_back(WaypointIcon(i));
}

TGlobeLayer* TWaypointTool::WaypointLayer() const
{
    return m_form.Globo->LayerStore()->LayerByName(WAYPOINT_LAYER);
}

int32_t TWaypointTool::IconSize() const { return m_form.TBEscWaypt->value(); }

int32_t TWaypointTool::AddWaypointPresenter(TGlobeLayer& layer, int icon, bool titleFromSize)
{
    const int32_t size = IconSize();
    auto presenter = std::make_unique<TPointPresenter>(m_form.Globo, 0);
    presenter->PointType = TPointPresenterType::ppImage;
    presenter->SetPointSize(size);
    presenter->SetPointUnit(TGlobeUnitTypes::Pixel);
    // An index outside the pictures gives no picture: only the title is drawn.
    const bool known = icon >= 0 && icon < static_cast<int>(m_images.size());
    presenter->SetImage(known ? TransparentPicture(m_images[static_cast<std::size_t>(icon)]) : QImage());
    presenter->TitleAlignment = TTitleAlignment::taBottom;
    presenter->TitleOffset = size / 2 + 2;
    if (titleFromSize)
        presenter->TitleFont.SetFontSize(size / 3);
    return layer.Presenters().Add(std::move(presenter));
}

TGeoDataObject& TWaypointTool::NewWaypoint(TGlobeLayer& layer, const TGeoPoint& position, const std::string& title,
                                           int icon, int32_t presenterID)
{
    TGlobeObjectSource& source = layer.ObjectSource();
    source.Name = layer.Name();
    auto* waypoint = new TGeoDataObject(&source);
    waypoint->Title = title;
    waypoint->Value = icon;
    waypoint->SetPresenterID(presenterID);
    waypoint->SetCentroid({position.Long, position.Lat, 0});
    return *waypoint;
}

void TWaypointTool::Novo2Click()
{
    Vars.WaypointCreateMode = true;
    m_form.ClickDispatcher->ShowHint(QStringLiteral("Indique com o cursor a posição desejada. Shift+Click = Cancela"));
    m_form.ClickDispatcher->SetCursor(Qt::CrossCursor);
}

void TWaypointTool::CreateWaypointClick()
{
    if (m_form.ClickDispatcher->Cursor() == Qt::CrossCursor) {
        CreateWaypoint(Vars.MousePosition);
        m_form.ClickDispatcher->EndMode(Vars.WaypointCreateMode);
    }
    // The object grid shows the new waypoint when "LayWaypt" is its layer.
    m_form.LayerTools().ObjectsChanged();
}

TGeoDataObject* TWaypointTool::CreateWaypoint(const TGeoPoint& position)
{
    TGlobeLayer* layer = WaypointLayer();
    if (!layer)
        return nullptr;
    const int32_t id = AddWaypointPresenter(*layer, 0, false);
    TGeoDataObject& waypoint = NewWaypoint(*layer, position, "Novo", 0, id);
    const bool modified = layer->Modified();
    layer->SetVisible(true);
    // Showing the layer is no change the user has to save.
    if (!modified)
        layer->SetModified(false);
    m_form.Globo->Redraw();
    return &waypoint;
}

void TWaypointTool::IconsGridDrawCell(QPainter& painter, int row, int column, const QRect& cell) const
{
    if (row < 1 || column < 1 || row > static_cast<int>(m_images.size()))
        return;
    painter.drawImage(cell.topLeft(), m_images[static_cast<std::size_t>(row - 1)]);
}

void TWaypointTool::IconsGridDblClick()
{
    auto* object = dynamic_cast<TGeoDataObject*>(Vars.EditedObject);
    TGlobeLayer* layer = WaypointLayer();
    const int row = m_form.IconsGrid->currentRow();
    if (!object || !layer || object->ObjectSource() != &layer->ObjectSource() || row < 1)
        return;
    const int icon = row - 1;
    object->SetPresenterID(AddWaypointPresenter(*layer, icon, true));
    object->Value = icon;
    layer->SetModified(true);
    object->Changed();
}

void TWaypointTool::TBEscWayptChange()
{
    TGlobeLayer* layer = WaypointLayer();
    if (!layer)
        return;
    const int32_t size = IconSize();
    TGlobePresenterStore& store = layer->Presenters();
    for (int i = 0; i < store.Count(); ++i) {
        TGlobePresenter& presenter = store.Presenters(i);
        presenter.TitleFont.SetFontSize(size / 3);
        presenter.TitleOffset = size / 2 + 2;
        if (auto* point = dynamic_cast<TPointPresenter*>(&presenter))
            point->SetPointSize(size);
    }
    m_form.Globo->Redraw();
}

void TWaypointTool::Salvar2Click()
{
    if (!WaypointLayer())
        return;
    const QString file = AskFile(*m_form.SDBrumex, QFileDialog::AcceptSave, FileQuestion());
    if (!file.isEmpty())
        SaveWaypoints(file);
}

void TWaypointTool::Carregar1Click()
{
    if (!WaypointLayer())
        return;
    const QString file = AskFile(*m_form.ODBrumex, QFileDialog::AcceptOpen, FileQuestion());
    if (!file.isEmpty())
        LoadWaypoints(file);
}

bool TWaypointTool::SaveWaypoints(const QString& fileName)
{
    TGlobeLayer* layer = WaypointLayer();
    if (!layer)
        return false;
    TGlobeObjectSource& source = layer->ObjectSource();
    std::vector<TWaypointRecord> waypoints;
    for (int i = 0; i < source.Count(); ++i) {
        TGlobeObject& object = source.GetObject(i);
        const TGeoPoint at = object.GetCentroid();
        waypoints.push_back({at.Long, at.Lat, object.Title, static_cast<int>(std::trunc(object.Value))});
    }
    try {
        WriteWaypointFile(toCp1252(fileName), waypoints);
    } catch (const std::exception& e) {
        ShowError(fromCp1252(e.what()));
        return false;
    }
    layer->SetModified(false);
    return true;
}

bool TWaypointTool::LoadWaypoints(const QString& fileName)
{
    TGlobeLayer* layer = WaypointLayer();
    if (!layer)
        return false;
    std::vector<TWaypointRecord> waypoints;
    try {
        waypoints = ReadWaypointFile(toCp1252(fileName));
    } catch (const std::exception& e) {
        // An unreadable file leaves the waypoints on the globe as they are.
        ShowError(fromCp1252(e.what()));
        return false;
    }
    TGlobeObjectSource& source = layer->ObjectSource();
    while (source.Count() > 0)
        delete &source.GetObject(0);
    m_form.RouteTool->RouteLineFreed();
    for (const TWaypointRecord& w : waypoints)
        NewWaypoint(*layer, {w.Long, w.Lat, 0}, w.Title, w.Icon, AddWaypointPresenter(*layer, w.Icon, true));
    layer->SetModified(false);
    m_form.Globo->Redraw();
    return true;
}

void TWaypointTool::ShowError(const QString& text) const
{
    QMessageBox::warning(&m_form, QStringLiteral("Erro!"), text);
}
