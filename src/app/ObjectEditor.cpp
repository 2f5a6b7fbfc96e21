#include "app/ObjectEditor.h"

#include "app/ChartTool.h"
#include "app/FormBrumex.h"
#include "app/Vars.h"
#include "view/Globe4.h"
#include "view/GlobeLayerStore.h"

TObjectEditor::TObjectEditor(TFormBrumex& form)
    : m_form(form)
{
}

void TObjectEditor::GridObjetosClick()
{
    // A chart under the mouse goes to the chart editor; anything else
    // empties it.
    m_form.ChartTool->SelectChart(Vars.HoverObject);
    // The globe's own selection of the object under the mouse, also for a
    // Shift-click, which the globe leaves alone.
    m_form.Globo->LayerStore()->SelectObject(Vars.HoverObject);
}

// No command starts these modes before the object editor joins.
void TObjectEditor::CentroidClick() { }

void TObjectEditor::PointPlotClick(bool) { }
