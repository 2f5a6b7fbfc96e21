#include "app/Vars.h"

TVars Vars;

void TVars::ClearClickModes()
{
    ChartMoveMode = false;
    ChartStretchMode = false;
    ObjectCentroidMode = false;
    PointPlotMode = false;
    WaypointCreateMode = false;
    RouteEditMode = false;
}
