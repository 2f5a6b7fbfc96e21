// Application state shared between the handlers of the main window and the
// other windows. The windows read and write these values at the moment of use,
// so they live in one place rather than in any single window.
#pragma once

#include "geo/GlobeTypes.h"
#include "geo/PointStore.h"

#include <cstdint>

#include <QString>
#include <QStringList>
#include <memory>
#include <string>

class TBitmapObject;
class TGeoDataObject;
class TGlobeObject;

struct TVars {
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

    // What the next click on the globe does; at most one is meant to be set,
    // and the click dispatcher honours them in this order.
    bool ChartMoveMode = false;
    bool ChartStretchMode = false;
    bool ObjectCentroidMode = false;
    bool PointPlotMode = false;
    bool WaypointCreateMode = false;
    bool RouteEditMode = false;

    // The chart the chart editor works on, or none.
    TBitmapObject* EditedChart = nullptr;

    void ClearClickModes();
};

extern TVars Vars;
