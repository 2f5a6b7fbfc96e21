// The main window as the road survey window sees it: the receiver, the
// navigation state, the coordinate texts and the marker and track of the
// navigation display.
#pragma once

#include "survey/SurveyHost.h"

class TFormBrumex;

class TSurveyLink : public TSurveyHost {
public:
    explicit TSurveyLink(TFormBrumex& form)
        : m_form(form)
    {
    }

    TGPS& Receiver() override;
    TNavigationState& Navigation() override;
    QString CoordText(QStringView axis, double degrees) override;
    QString DefaultTablePath() override;
    void ProvideMovingMarker() override;
    void PlaceMarker(double course) override;
    TGeoDataObject* ProvideTrackObject() override;
    void RedrawGlobe() override;

private:
    TFormBrumex& m_form;
};
