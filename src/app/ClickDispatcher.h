// What a click on the globe does. The measuring tool and the click modes of
// the other tools (charts, object editor, waypoints, routes) share the left
// click; one dispatcher decides, in a fixed order, which of them gets it.
//
// The seam with the tools: a mode is started by a command of its tool, which
// sets the mode flag in Vars, the globe cursor of its first step (SetCursor)
// and the hint (ShowHint). The dispatcher then
//   - ends the mode on a Shift-click itself (default cursor, flag cleared,
//     and the hint cleared where the table below says so), and
//   - calls the tool's step function for a click without Shift. The step
//     reads Cursor() to know which step is due, and ends the mode itself
//     (EndMode) when its last step is done.
//
//   # | mode                 | hint cleared first | step without Shift
//   1 | BtMedindo down+Shift | -                  | MeasureOrigin := mouse
//   2 | ChartMoveMode        | on Shift only      | TChartTool::ChartMoveClick
//   3 | ChartStretchMode     | on Shift only      | TChartTool::ChartStretchClick
//   4 | ObjectCentroidMode   | yes                | TObjectEditor::CentroidClick
//   5 | PointPlotMode        | yes                | TObjectEditor::PointPlotClick(ctrl)
//   6 | WaypointCreateMode   | yes                | TWaypointTool::CreateWaypointClick
//   7 | RouteEditMode        | yes                | TRouteTool::RouteEditClick
//   8 | none                 | -                  | TObjectEditor::GloboSelectClick
//
// The first row whose condition holds decides; a measuring click without
// Shift goes on to rows 2 to 8.
#pragma once

#include <QPoint>
#include <QString>
#include <Qt>

class TFormBrumex;

class TClickDispatcher {
public:
    explicit TClickDispatcher(TFormBrumex& form);

    // A left click on the globe at (x, y) with the keys held at that moment.
    // The object under the mouse is looked up again there, so that an object
    // freed since the last mouse move is never used.
    void GloboClick(Qt::KeyboardModifiers modifiers, QPoint at);

    // The globe cursor, which the modes use as their step marker.
    Qt::CursorShape Cursor() const;
    void SetCursor(Qt::CursorShape shape);
    // Default cursor and the mode flag cleared.
    void EndMode(bool& mode);

    // The operator hint over the globe.
    void ShowHint(const QString& text);
    void SetHintText(const QString& text);
    void ClearHint();

private:
    TFormBrumex& m_form;
};
