// The chart tools of the main window: the chart list and editor, and the
// two click modes that move and stretch the edited chart on the globe.
#pragma once

class TFormBrumex;

class TChartTool {
public:
    explicit TChartTool(TFormBrumex& form);

    // Click steps of ChartMoveMode and ChartStretchMode, run by the click
    // dispatcher for a click without Shift: with the cursor crSizeAll the
    // click sets ClickAnchor, with crCross it moves (or stretches) the
    // chart and ends the mode.
    void ChartMoveClick();
    void ChartStretchClick();

private:
    TFormBrumex& m_form;
};
