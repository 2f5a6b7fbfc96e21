#include "app/MapTool.h"

#include "app/FormBrumex.h"
#include "app/Formatting.h"
#include "app/GlobeSetup.h"
#include "app/UpDown.h"
#include "app/Vars.h"
#include "geo/GlobeObject.h"
#include "geo/GlobeProjection.h"
#include "platform/Cp1252.h"
#include "view/Geodesy.h"
#include "view/Globe4.h"
#include "view/GlobeCanvas.h"
#include "view/GlobeLayerStore.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <array>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int WheelNotch = 120;
// The rotation up-downs count their own position, which nothing reads; it is
// put back to 0 before it reaches the ends of its range.
constexpr int UpDownResetLimit = 1000;

int IntegerOrZero(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : 0;
}

void ResetPastLimit(TUpDown& upDown)
{
    if (std::abs(upDown.Position()) > UpDownResetLimit)
        upDown.SetPosition(0);
}

bool MeasureOriginSet()
{
    return Vars.MeasureOrigin.Long != 0 || Vars.MeasureOrigin.Lat != 0;
}

} // namespace

TMapTool::TMapTool(TFormBrumex& form)
    : m_form(form)
{
}

void TMapTool::ProjectionButtonClick(const std::string& projectionClass)
{
    TGlobeProjection& projection = m_form.Globo->Projection();
    if (projection.ProjectionClass() != projectionClass)
        projection.SetProjectionClass(projectionClass);
    else
        m_form.Globo->ZoomToRect(0, 0, 0, 0);
}

void TMapTool::Zoom(long double factor)
{
    TGlobeProjection& projection = m_form.Globo->Projection();
    projection.SetScaleFactor(projection.ScaleFactor() * factor);
}

void TMapTool::ZoomMaisExecute()
{
    Zoom(LargeZoomStep);
}

void TMapTool::ZoomMenosExecute()
{
    Zoom(1 / LargeZoomStep);
}

void TMapTool::ZoomMaisPExecute()
{
    Zoom(SmallZoomStep);
}

void TMapTool::ZoomMenosPExecute()
{
    Zoom(1 / SmallZoomStep);
}

void TMapTool::GloboWheel(int angleDelta)
{
    m_wheelAngle += angleDelta;
    for (; m_wheelAngle >= WheelNotch; m_wheelAngle -= WheelNotch)
        ZoomMaisPExecute();
    for (; m_wheelAngle <= -WheelNotch; m_wheelAngle += WheelNotch)
        ZoomMenosPExecute();
}

void TMapTool::EditLonChange()
{
    m_form.Globo->SetGraticuleLongitudeStep(IntegerOrZero(m_form.EditLon->text()));
    m_form.Globo->Redraw();
}

void TMapTool::EditLatChange()
{
    m_form.Globo->SetGraticuleLatitudeStep(IntegerOrZero(m_form.EditLat->text()));
    m_form.Globo->Redraw();
}

void TMapTool::CheckBoxSobreporLinhasClick()
{
    m_form.Globo->SetGraticuleDrawMode(
        m_form.CheckBoxSobreporLinhas->isChecked() ? TGraticuleDraw::gdInFront : TGraticuleDraw::gdBehind);
}

void TMapTool::SpeedButtonComSombraClick()
{
    Vars.SombraNoite = true;
    m_form.Globo->Redraw();
}

void TMapTool::SpeedButtonSemSombraClick()
{
    Vars.SombraNoite = false;
    m_form.Globo->Redraw();
}

// One click turns by the GlobeUnits per inch over 180,000,000 degrees; the
// east-west and spin steps add a whole degree to that.
void TMapTool::GiraNSClick(bool next)
{
    ResetPastLimit(*m_form.GiraNS);
    TGlobeProjection& p = m_form.Globo->Projection();
    const long double s = next ? 1 : -1;
    p.SetXRotation(p.XRotation() + p.GlobeUnitsPerInch() / 180000000.0L * s);
}

void TMapTool::GiraEWClick(bool next)
{
    ResetPastLimit(*m_form.GiraEW);
    TGlobeProjection& p = m_form.Globo->Projection();
    const long double s = next ? 1 : -1;
    p.SetYRotation(p.YRotation() + p.GlobeUnitsPerInch() / 180000000.0L * s + s);
}

void TMapTool::GiraZClick(bool next)
{
    ResetPastLimit(*m_form.GiraZ);
    TGlobeProjection& p = m_form.Globo->Projection();
    const long double s = next ? -1 : 1;
    p.SetZRotation(p.ZRotation() + p.GlobeUnitsPerInch() / 180000000.0L * s + s);
}

void TMapTool::GloboMouseMove(int x, int y)
{
    TGlobe4& globe = *m_form.Globo;
    Vars.MousePosition = globe.Projection().XYToGeo(x, y).point;
    m_form.LabelPosic->setText(CoordText(Vars.MousePosition));

    Vars.HoverObject = globe.LayerStore()->ObjectAtXY(x, y);
    if (TGlobeObject* object = Vars.HoverObject) {
        QString text = fromCp1252(object->Title);
        if (object->ID != 0)
            text += QLatin1Char(' ') + QString::number(object->ID);
        m_form.LabelPosicInf->setText(text);
        if (Vars.RouteEditMode)
            globe.setCursor(LayerNameOf(*object) == "LayWaypt" ? Qt::PointingHandCursor : Qt::UpArrowCursor);
    } else {
        m_form.LabelPosicInf->clear();
        if (Vars.RouteEditMode)
            globe.setCursor(Qt::UpArrowCursor);
    }
    ShowMovingMarkerReadouts();
    if (m_form.BtMedindo->isChecked() && MeasureOriginSet())
        ShowMeasure(x, y);
}

void TMapTool::ShowMovingMarkerReadouts()
{
    TGlobeObject* marker = m_form.Globo->LayerStore()->FindObjectByTitle("Movel", nullptr);
    if (!marker) {
        m_form.LabelDist->clear();
        m_form.LabelDir->clear();
        return;
    }
    const TGeoPoint from = marker->GetCentroid();
    m_form.LabelDist->setText(DistanceText(GreatCircleDistance(from, Vars.MousePosition)));
    m_form.LabelDir->setText(HeadingText(CompassDegrees(InitialBearing(from, Vars.MousePosition))));
}

void TMapTool::ShowMeasure(int x, int y)
{
    TGlobe4& globe = *m_form.Globo;
    // The label floats beside the mouse, over the globe's panel.
    const QPoint at = globe.viewport()->mapTo(m_form.PanelMedida->parentWidget(), QPoint(x + 10, y + 10));
    const int64_t distance
        = EllipsoidDistance(Vars.MeasureOrigin, Vars.MousePosition, globe.Projection().Spheroid());
    m_form.LabMedida->setText(MeasureText(distance));
    m_form.PanelMedida->adjustSize();
    m_form.PanelMedida->move(at);
    m_form.PanelMedida->show();
    m_form.PanelMedida->raise();
    // The line is drawn over the picture by the paint that follows.
    globe.Invalidate();
}

void TMapTool::GloboMouseLeave()
{
    m_form.LabelPosic->clear();
    m_form.LabelPosicInf->clear();
    m_form.LabelDist->clear();
    m_form.LabelDir->clear();
}

void TMapTool::GloboMouseUp()
{
    m_form.Globo->MouseSelectButton = TGlobeMouseButton::mzbLeft;
}

void TMapTool::GloboPaint()
{
    if (m_form.PanelMedida->isVisible())
        DrawMeasureLine();
}

void TMapTool::DrawMeasureLine()
{
    TGlobe4& globe = *m_form.Globo;
    globe.Canvas().SelectPen(QPen(Qt::red, 2));
    globe.RenderGreatCircle(Vars.MeasureOrigin, Vars.MousePosition, 0);
}

void TMapTool::GloboRender()
{
    MostraRegua();
    if (!Vars.SombraNoite)
        return;
    // Days since 30 December 1899 at the current UTC time.
    static const QDateTime dayZero(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    const double now = dayZero.msecsTo(QDateTime::currentDateTimeUtc()) / 86400000.0;
    m_form.Globo->RenderDayNight(0x000000, 0xC0C0C0, 2, now);
}

// "0" and the length of one inch of the screen under a bracket of that
// length, in the lower right corner of the globe:
//
//        0        123 KM
//        |_____________|
void TMapTool::MostraRegua()
{
    TGlobe4& globe = *m_form.Globo;
    TGlobeCanvas& canvas = globe.Canvas();
    const int32_t p = canvas.ScreenPPI();
    const int32_t x0 = canvas.Width() - (p + 50);
    const int32_t y = canvas.Height() - 62;

    const bool wasTransparent = canvas.BkTransparent();
    canvas.SelectFont(m_form.font());
    canvas.SetBkTransparent(true);
    canvas.SetTextAlign(TA_CENTER | TA_TOP);
    canvas.SetTextColor(Qt::red);
    canvas.TextOut(x0, y, QStringLiteral("0"));

    canvas.TextOut(x0 + p, y, RulerText(globe.Projection().GlobeUnitsPerInch()));
    canvas.SetBkTransparent(wasTransparent);
    canvas.SetTextAlign(TA_LEFT | TA_TOP);

    canvas.SelectPen(QPen(Qt::red, 0));
    const std::array<TPoint, 4> bracket { { { x0, y + 16 }, { x0, y + 20 }, { x0 + p, y + 20 },
        { x0 + p, y + 15 } } };
    canvas.Polyline(bracket);
}

QString TMapTool::RulerText(int32_t g)
{
    TGlobeUnitTypes unit = TGlobeUnitTypes::Kilometer;
    if (GUToUnits(g, TGlobeUnitTypes::Kilometer) < 10)
        unit = GUToUnits(g, TGlobeUnitTypes::Meter) >= 10 ? TGlobeUnitTypes::Meter
                                                          : TGlobeUnitTypes::CentiMeter;
    const auto length = static_cast<qlonglong>(std::nearbyint(GUToUnits(g, unit)));
    return QStringLiteral("%1 %2").arg(length).arg(fromCp1252(UnitsToStr(unit)));
}

void TMapTool::BtMedindoClick()
{
    if (m_form.BtMedindo->isChecked()) {
        m_form.Globo->setCursor(Qt::SizeAllCursor);
        return;
    }
    Vars.MeasureOrigin = {};
    m_form.PanelMedida->hide();
    m_form.Globo->unsetCursor();
    m_form.Globo->Invalidate();
}
