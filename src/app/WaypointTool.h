// The waypoints of the main window: loading, saving and creating them on
// layer "LayWaypt".
#pragma once

class TFormBrumex;

class TWaypointTool {
public:
    explicit TWaypointTool(TFormBrumex& form);

    // Click step of WaypointCreateMode, run by the click dispatcher
    // without Shift: with the cursor crCross a waypoint is created at
    // MousePosition and the mode ends; then GridObjetos gets the object
    // count of layer "LayWaypt".
    void CreateWaypointClick();

private:
    TFormBrumex& m_form;
};
