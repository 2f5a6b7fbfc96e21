// The waypoints of the main window: named points with a picture on layer
// "LayWaypt", created with a click, given an icon from IconsGrid, scaled by
// TBEscWaypt, saved to and loaded from waypoint files (".Wpt").
#pragma once

#include "geo/GlobeTypes.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <vector>

class QPainter;
class QRect;
class TFormBrumex;
class TGeoDataObject;
class TGlobeLayer;

class TWaypointTool {
public:
    explicit TWaypointTool(TFormBrumex& form);

    // ImageListWaypt: the pictures, in the order waypoint files rely on.
    const std::vector<QImage>& ImageListWaypt() const { return m_images; }

    // "Criar Waypoint": the next click on the globe creates a waypoint.
    void Novo2Click();
    // Click step of WaypointCreateMode, run by the click dispatcher without
    // Shift: with the cursor crCross a waypoint is created at MousePosition
    // and the mode ends.
    void CreateWaypointClick();
    // A waypoint "Novo" with icon 0 at the position; the layer's Modified
    // flag stays as it was. Null without layer "LayWaypt".
    TGeoDataObject* CreateWaypoint(const TGeoPoint& position);

    void IconsGridDrawCell(QPainter& painter, int row, int column, const QRect& cell) const;
    // The icon of the selected row for the edited waypoint.
    void IconsGridDblClick();
    // Every waypoint icon, title font and offset follow the track bar.
    void TBEscWayptChange();

    // "Salvar" and "Carregar" of the Waypoints menu: a file dialog, then
    // SaveWaypoints / LoadWaypoints. A cancelled dialog changes nothing.
    void Salvar2Click();
    void Carregar1Click();
    // Every object of "LayWaypt" into the file (exactly those), then the
    // layer is unmodified. Failures are shown in a message box; false then.
    bool SaveWaypoints(const QString& fileName);
    // Frees every object of "LayWaypt" (the route line too) and creates the
    // file's waypoints.
    bool LoadWaypoints(const QString& fileName);

private:
    TGlobeLayer* WaypointLayer() const;
    int32_t IconSize() const;
    // A waypoint presenter with the icon added to the store of "LayWaypt";
    // answers its ID. `titleFromSize` gives the title font trunc(size / 3).
    int32_t AddWaypointPresenter(TGlobeLayer& layer, int icon, bool titleFromSize);
    TGeoDataObject& NewWaypoint(TGlobeLayer& layer, const TGeoPoint& position, const std::string& title, int icon,
                                int32_t presenterID);
    void ShowError(const QString& text) const;

    TFormBrumex& m_form;
    std::vector<QImage> m_images;
};
