#include "app/RouteTool.h"

TRouteTool::TRouteTool(TFormBrumex& form)
    : m_form(form)
{
}

// No command starts the mode before the route commands join.
void TRouteTool::RouteEditClick() { }
