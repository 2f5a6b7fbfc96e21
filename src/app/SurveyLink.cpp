#include "app/SurveyLink.h"

#include "app/AppPaths.h"
#include "app/FormBrumex.h"
#include "app/Formatting.h"
#include "app/GpsNavigation.h"
#include "app/Vars.h"
#include "view/GlobeLayerStore.h"

TGPS& TSurveyLink::Receiver()
{
    return m_form.GPS;
}

TNavigationState& TSurveyLink::Navigation()
{
    return Vars;
}

QString TSurveyLink::CoordText(QStringView axis, double degrees)
{
    return GpsCoordText(axis, degrees);
}

QString TSurveyLink::DefaultTablePath()
{
    return TAppPaths::DataFile(QStringLiteral("TbDados.DB"));
}

void TSurveyLink::ProvideMovingMarker()
{
    if (!m_form.Globo->LayerStore()->FindObjectByTitle("Movel", nullptr))
        m_form.Navigation->CreateMovingMarker();
}

void TSurveyLink::PlaceMarker(double course)
{
    m_form.Navigation->PlaceMarker(course, true);
}

TGeoDataObject* TSurveyLink::ProvideTrackObject()
{
    return m_form.Navigation->ProvideTrackObject();
}

void TSurveyLink::RedrawGlobe()
{
    m_form.Globo->Redraw();
}
