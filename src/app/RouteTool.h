// Routes of the main window: the route line on layer "LayWaypt", its
// points clicked on the globe or loaded from route files (".Rot"), the
// "Rotas" menu, and the guidance along an active route.
#pragma once

#include "geo/GlobeTypes.h"

#include <QString>

#include <vector>

class TFormBrumex;
class TFormRotas;
class TGeoDataObject;
class TGlobeLayer;

class TRouteTool {
public:
    explicit TRouteTool(TFormBrumex& form);

    // The menu "Rotas".
    void Carregar2Click();
    void Salvar3Click();
    void Nova2Click();
    void VerRotas1Click();
    void Ativar2Click();

    // Click step of RouteEditMode, run by the click dispatcher without
    // Shift: with the cursor crUpArrow MousePosition is appended to the
    // route line, with crHandPoint the centroid of HoverObject (the
    // waypoint under the mouse); the mode stays on.
    void RouteEditClick();

    // The points of the route file replace the route's; false (with a
    // message) when the file cannot be read.
    bool LoadRoute(const QString& fileName);
    // Exactly the route's points into the file; false (with a message) when
    // it cannot be written. Without a route line nothing is written.
    bool SaveRoute(const QString& fileName);

    // The route line, made empty when there is none. Null without layer
    // "LayWaypt".
    TGeoDataObject* EnsureRouteLine();
    // The route's points in order (none without a route line).
    std::vector<TGeoPoint> RoutePoints() const;
    void AppendRoutePoint(const TGeoPoint& point);

    // One guidance step, run on each position report while RouteActive.
    void TrataRota();

    // The route line went with the other objects of its layer: it is
    // forgotten, guidance stops and the route window shows no route.
    void RouteLineFreed();

    // The route window follows the route: one row per point and the header.
    void SizeRouteGrid();
    // The route window's activation and close.
    void RouteWindowActivate();
    void RouteWindowClose();

private:
    TGlobeLayer* WaypointLayer() const;
    TFormRotas& Window() const;
    void SetRoutePoints(const std::vector<TGeoPoint>& points);
    // The title of the last waypoint exactly on the point, or "Ponto <index>".
    QString PointName(int index, const TGeoPoint& point) const;
    void ShowGuidance(bool speedKnown);
    void ShowError(const QString& text) const;

    TFormBrumex& m_form;
};
