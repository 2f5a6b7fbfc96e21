// Routes of the main window: the route line on layer "LayWaypt", its
// points clicked on the globe, and the guidance along an active route.
#pragma once

class TFormBrumex;

class TRouteTool {
public:
    explicit TRouteTool(TFormBrumex& form);

    // Click step of RouteEditMode, run by the click dispatcher without
    // Shift: with the cursor crUpArrow MousePosition is appended to the
    // route line, with crHandPoint the centroid of HoverObject (the
    // waypoint under the mouse); the mode stays on.
    void RouteEditClick();

private:
    TFormBrumex& m_form;
};
