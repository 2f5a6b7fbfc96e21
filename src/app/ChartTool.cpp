#include "app/ChartTool.h"

TChartTool::TChartTool(TFormBrumex& form)
    : m_form(form)
{
}

// No command starts the chart modes before the chart editor joins.
void TChartTool::ChartMoveClick() { }

void TChartTool::ChartStretchClick() { }
