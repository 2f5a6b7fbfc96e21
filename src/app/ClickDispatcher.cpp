#include "app/ClickDispatcher.h"

#include "app/ChartTool.h"
#include "app/FormBrumex.h"
#include "app/ObjectEditor.h"
#include "app/RouteTool.h"
#include "app/Vars.h"
#include "app/WaypointTool.h"
#include "view/Globe4.h"
#include "view/GlobeLayerStore.h"

#include <QLabel>
#include <QToolButton>
#include <functional>

namespace {

enum class THintRule { ClearedOnShift, ClearedFirst };

// One row of the dispatch table: a mode and the step of its tool.
struct TClickRow {
    bool TVars::*Mode;
    THintRule Hint;
    std::function<void(bool ctrl)> Step;
};

} // namespace

TClickDispatcher::TClickDispatcher(TFormBrumex& form)
    : m_form(form)
{
}

void TClickDispatcher::GloboClick(Qt::KeyboardModifiers modifiers, QPoint at)
{
    Vars.HoverObject = m_form.Globo->LayerStore()->ObjectAtXY(at.x(), at.y());
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (m_form.BtMedindo->isChecked() && shift) {
        Vars.MeasureOrigin = { Vars.MousePosition.Long, Vars.MousePosition.Lat, 0 };
        return;
    }
    TFormBrumex& f = m_form;
    const TClickRow rows[] = {
        { &TVars::ChartMoveMode, THintRule::ClearedOnShift, [&f](bool) { f.ChartTool->ChartMoveClick(); } },
        { &TVars::ChartStretchMode, THintRule::ClearedOnShift,
            [&f](bool) { f.ChartTool->ChartStretchClick(); } },
        { &TVars::ObjectCentroidMode, THintRule::ClearedFirst,
            [&f](bool) { f.ObjectEditor->CentroidClick(); } },
        { &TVars::PointPlotMode, THintRule::ClearedFirst,
            [&f](bool c) { f.ObjectEditor->PointPlotClick(c); } },
        { &TVars::WaypointCreateMode, THintRule::ClearedFirst,
            [&f](bool) { f.WaypointTool->CreateWaypointClick(); } },
        { &TVars::RouteEditMode, THintRule::ClearedFirst, [&f](bool) { f.RouteTool->RouteEditClick(); } },
    };
    for (const TClickRow& row : rows) {
        bool& mode = Vars.*row.Mode;
        if (!mode)
            continue;
        if (row.Hint == THintRule::ClearedFirst || (row.Hint == THintRule::ClearedOnShift && shift))
            ClearHint();
        if (shift)
            EndMode(mode);
        else
            row.Step(ctrl);
        return;
    }
    f.ObjectEditor->GloboSelectClick();
}

Qt::CursorShape TClickDispatcher::Cursor() const
{
    return m_form.Globo->cursor().shape();
}

void TClickDispatcher::SetCursor(Qt::CursorShape shape)
{
    m_form.Globo->setCursor(shape);
}

void TClickDispatcher::EndMode(bool& mode)
{
    m_form.Globo->unsetCursor();
    mode = false;
}

void TClickDispatcher::ShowHint(const QString& text)
{
    SetHintText(text);
    m_form.PanelAvisoOper->adjustSize();
    m_form.PanelAvisoOper->show();
    m_form.PanelAvisoOper->raise();
}

void TClickDispatcher::SetHintText(const QString& text)
{
    m_form.LabelAvisoOper->setText(text);
}

void TClickDispatcher::ClearHint()
{
    m_form.LabelAvisoOper->clear();
    m_form.PanelAvisoOper->hide();
}
