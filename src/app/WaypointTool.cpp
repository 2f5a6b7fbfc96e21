#include "app/WaypointTool.h"

TWaypointTool::TWaypointTool(TFormBrumex& form)
    : m_form(form)
{
}

// No command starts the mode before the waypoint commands join.
void TWaypointTool::CreateWaypointClick() { }
