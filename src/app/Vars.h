// Application state shared between the handlers of the main window and the
// other windows. The windows read and write these values at the moment of use,
// so they live in one place rather than in any single window.
#pragma once

#include "geo/GlobeTypes.h"
#include "geo/PointStore.h"
#include "survey/NavigationState.h"

#include <cstdint>

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TBitmapObject;
class TGeoDataObject;
class TGlobe4;
class TGlobeLayer;
class TGlobeObject;
class TGlobePresenter;

// The point that the next click of the point plotting mode moves.
struct TPlotTarget {
    TGlobeObject* Object = nullptr;
    int Chain = 0;
    int Point = 0;
};

// The route seen from the vehicle, for one route point.
struct TRouteLeg {
    int32_t Distance = 0; // GlobeUnits along the route
    int32_t Bearing = 0; // GlobeUnits, library sense
    double Eta = 0; // days
};

struct TVars : TNavigationState {
    // Loaded from the settings at the first activation of the main window.
    QString DirCartasBMP; // folder of chart files
    QString DirLayers; // folder of layer files, where "TGWorld.lyr" is looked for
    QString DirWayPoints; // initial folder of the waypoint file dialogs
    QString DirRotas; // initial folder of the route file dialogs
    QString ArqEnv; // environment file restored at start and written at close
    bool AnimarGlobo = true; // run the start-up globe animation
    bool SombraNoite = false; // paint the night shadow

    // True from the creation of the main window until its first activation ran.
    bool FirstActivation = true;

    // The object editor's one-chain clipboard; made at the first activation.
    std::unique_ptr<TPointStore> ChainClipboard;

    // Source files of the layers saved to a backup during this run, each once,
    // in the order of their first save.
    QStringList SavedLayerFiles;

    // The pencil marker on layer "LayLapis" and the presenter IDs of the
    // moving marker, the track (layer "Trilha") and the route line (layer
    // "LayWaypt"); set at the first activation, the marker cleared at the close.
    TGeoDataObject* LapisObject = nullptr;
    int32_t PrMovelID = 0;
    int32_t PrTrilhaID = 0;
    int32_t PrRotaID = 0;

    // The navigation state of the position reports is in TNavigationState.
    bool RouteActive = false; // route guidance on

    // The route line "Rota" on layer "LayWaypt" (made on demand) and the
    // guidance along it: the next point, the velocity made good towards it
    // (GlobeUnits per hour) and one leg per route point, rewritten at every
    // guidance step (the table grows with the route).
    TGeoDataObject* RouteObject = nullptr;
    int NextWaypoint = 0;
    int32_t Vmg = 0;
    std::vector<TRouteLeg> RouteLegs;

    // The coordinate edit fields' patterns (Windows-1252), set by EditPatterns.
    std::string LonPattern;
    std::string LatPattern;

    // The map window's mouse: the geographic point under it at the last move
    // (180 degrees in both axes off the globe) and the object under it.
    TGeoPoint MousePosition;
    TGlobeObject* HoverObject = nullptr;
    // Origin of the measuring tool; (0, 0) means none is set.
    TGeoPoint MeasureOrigin;
    // First point of a two-click chart operation.
    TGeoPoint ClickAnchor;

    // References that the tools keep between events besides those above.
    // None owns what it points at; whatever frees an object or a layer
    // clears them through ForgetObject and ForgetLayer, which the globe's
    // OnObjectFree and OnLayerFree run (WatchFreedObjects).
    TGlobeObject* EditedObject = nullptr; // the object being edited
    TGlobeLayer* EditedLayer = nullptr; // the layer of the edited object
    TGlobePresenter* EditedPresenter = nullptr; // the presenter being edited
    TBitmapObject* EditedChart = nullptr; // the chart being edited
    TPlotTarget PlotTarget;

    // Every reference to the object let go; run while it is destroyed. The
    // edited object takes its layer and presenter references with it.
    void ForgetObject(const TGlobeObject& object);
    // Told of every object let go (null: all of them), for the references a
    // tool keeps of its own.
    std::function<void(const TGlobeObject*)> OnForgetObject;
    // Every reference to the layer and to its presenters let go.
    void ForgetLayer(const TGlobeLayer& layer);
    // Every reference above let go (the globe itself goes).
    void ForgetAll();

    // What the next click on the globe does; at most one is meant to be set,
    // and the click dispatcher honours them in this order.
    bool ChartMoveMode = false;
    bool ChartStretchMode = false;
    bool ObjectCentroidMode = false;
    bool PointPlotMode = false;
    bool WaypointCreateMode = false;
    bool RouteEditMode = false;

    void ClearClickModes();
};

extern TVars Vars;

// The globe tells Vars of every object and layer it frees.
void WatchFreedObjects(TGlobe4& globe);
