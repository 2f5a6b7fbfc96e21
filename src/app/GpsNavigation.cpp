#include "app/GpsNavigation.h"

#include "app/FormBrumex.h"
#include "app/FormConfig.h"
#include "app/Formatting.h"
#include "app/Vars.h"
#include "geo/GeoDataObject.h"
#include "geo/GlobeProjection.h"
#include "geo/GlobeUnits.h"
#include "survey/SurveyState.h"
#include "view/Geodesy.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobePresenter.h"
#include "widgets/Compass.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <cmath>

namespace {

constexpr TGlobeUnitTypes SPEED_UNITS[] = { TGlobeUnitTypes::Kilometer, TGlobeUnitTypes::Mile,
    TGlobeUnitTypes::NauticalMile };

double InSpeedUnits(double globeUnitsPerHour)
{
    const double rounded = std::nearbyint(std::clamp(globeUnitsPerHour, -2.0e9, 2.0e9));
    const int system = std::clamp(CurrentUnitSystem(), 0, 2);
    return static_cast<double>(GUToUnits(static_cast<int32_t>(rounded), SPEED_UNITS[system]));
}

TGlobeLayer* TrackLayer(TFormBrumex& form)
{
    return form.Globo->LayerStore()->LayerByName("Trilha");
}

TGeoDataObject* NewTrackLayerObject(TFormBrumex& form, const char* title, int32_t id, int32_t presenter)
{
    TGlobeLayer* layer = TrackLayer(form);
    if (!layer)
        return nullptr;
    TGlobeObjectSource& source = layer->ObjectSource();
    source.Name = layer->Name();
    auto* object = new TGeoDataObject(&source);
    object->Title = title;
    object->ID = id;
    object->SetPresenterID(presenter);
    return object;
}

} // namespace

TGpsNavigation::TGpsNavigation(TFormBrumex& form)
    : Feed(&form)
    , m_form(form)
{
    Feed.OnReport = [this](QObject* sender, bool warning, TDateTime time, double lat, double lon, double speed,
                        double course, double mag) {
        GPSMinGPSData(sender, warning, time, lat, lon, speed, course, mag);
    };
    Feed.GPSTelnet.OnError = [this](const QString& message) { ConnectFailed(message); };
    Feed.GPSTelnet.OnLost = [this](const QString& reason) { ConnectionLost(reason); };
    connect(&m_stateTimer, &QTimer::timeout, this, &TGpsNavigation::ShowState);
    m_stateTimer.start(1000);
}

bool TGpsNavigation::SourceOpen() const
{
    return m_form.GPS.Active() || Feed.GPSTelnet.Connected();
}

void TGpsNavigation::ConnectFailed(const QString& message)
{
    // The box stays checked: unchecking and checking it again retries.
    const TTelnetClient& client = Feed.GPSTelnet;
    QMessageBox::warning(&m_form, QStringLiteral("Erro!"),
        QStringLiteral("Conexão com o GPS em %1:%2: %3").arg(client.Host).arg(client.Port).arg(message));
    ShowState();
}

void TGpsNavigation::ConnectionLost(const QString& reason)
{
    // No message box: the operator may be driving; the readouts keep the
    // last position and the state line tells it is no longer live.
    m_form.SwGPS->setChecked(false);
    m_state = TFeedState::Lost;
    m_lostText = QStringLiteral("Conexão com o GPS perdida: %1").arg(reason);
    ShowState();
}

void TGpsNavigation::SwGPSClick()
{
    m_form.LastDataSource.clear();
    m_form.AtivarRota->setEnabled(false);
    const bool on = m_form.SwGPS->isChecked();
    if (m_form.Windows().FormConfig->RBSerial->isChecked()) {
        m_form.GPS.SetActive(on);
        if (on && !m_form.GPS.Active())
            QMessageBox::warning(&m_form, QStringLiteral("Erro!"),
                QStringLiteral("Porta do GPS: ") + m_form.GPS.OpenErrorText());
    } else if (on) {
        Feed.GPSTelnet.Connect();
    } else {
        Feed.GPSTelnet.Disconnect();
    }
    m_form.LabelValidos->clear();
    m_state = TFeedState::NoData;
    m_lastReport = std::chrono::steady_clock::now();
    ShowState();
    if (!m_form.Globo->LayerStore()->FindObjectByTitle("Movel", nullptr))
        CreateMovingMarker();
}

void TGpsNavigation::CreateMovingMarker()
{
    Vars.MovingMarker = NewTrackLayerObject(m_form, "Movel", 1, Vars.PrMovelID);
    m_form.Globo->Redraw();
}

void TGpsNavigation::GPSMinGPSData(QObject*, bool Warning, TDateTime FixDateTime, double Latitude,
    double Longitude, double Speed, double Course, double MagVariation)
{
    if (SurveyVisible && SurveyVisible()) {
        if (OnSurveyReport)
            OnSurveyReport(Warning, FixDateTime, Latitude, Longitude, Speed, Course, MagVariation);
        return;
    }
    if (Latitude == 0 && Longitude == 0)
        return;
    m_state = Warning ? TFeedState::NoFix : TFeedState::Valid;
    m_lastReport = std::chrono::steady_clock::now();
    if (m_form.LastDataSource == QLatin1String("GPSMinData"))
        m_form.AtivarRota->setEnabled(true);
    m_form.LastDataSource = QStringLiteral("GPSMinData");
    m_form.EdLat->setText(GpsCoordText(u"Lat", Latitude));
    m_form.EdLon->setText(GpsCoordText(u"Lon", -Longitude));

    Vars.CurrentFix = { DegToGU(-Longitude), DegToGU(Latitude), 0 };
    // The first report of a run has no previous fix to measure from.
    Vars.StepDistance = Vars.HasPreviousFix ? static_cast<int32_t>(EllipsoidDistance(
                            Vars.PreviousFix, Vars.CurrentFix, m_form.Globo->Projection().Spheroid()))
                                            : 0;
    Vars.FixTime = FixDateTime;
    const double elapsed = Vars.FixTime - Vars.PreviousFixTime;
    if (Vars.StepDistance <= 0)
        Vars.SpeedGU = 0;
    else if (elapsed > 0)
        Vars.SpeedGU = Vars.StepDistance / elapsed / 24;
    // else: two reports in one second or a time going back keep the speed.
    Vars.SpeedShown = InSpeedUnits(Vars.SpeedGU);
    m_form.EdVeloc->setText(SpeedText(Vars.SpeedGU));

    double heading = m_form.Bussola->Heading();
    if (Vars.StepDistance > 0) {
        Vars.CourseGU = InitialBearing(Vars.PreviousFix, Vars.CurrentFix);
        heading = CompassDegrees(Vars.CourseGU);
        m_form.Bussola->SetHeading(heading);
        m_form.PanelHeading->setText(HeadingText(heading));
    }
    m_form.EdHoraGPS->setText(toQDateTime(Vars.FixTime).toString(QStringLiteral("dd/MM/yy hh:mm:ss")));
    PlaceMarker(heading, Vars.StepDistance > 0);
    if (Vars.StepDistance > 0 && m_form.CbTrilha->isChecked())
        TrataTrilha();

    Vars.EarlierFix = Vars.PreviousFix;
    Vars.PreviousFix = Vars.CurrentFix;
    Vars.HasPreviousFix = true;
    Vars.PreviousCourseDeg = Vars.CourseDeg;
    Vars.PreviousSpeedShown = Vars.SpeedShown;
    m_form.Bussola->SetSteer(Vars.RouteActive);
    if (Vars.RouteActive && OnRouteStep)
        OnRouteStep();
    Vars.PreviousFixTime = Vars.FixTime;
    ShowState();
}

void TGpsNavigation::PlaceMarker(double heading, bool turn)
{
    TGeoDataObject* marker = Vars.MovingMarker;
    if (!marker)
        return;
    marker->SetCentroid(Vars.CurrentFix);
    if (turn) {
        TGlobeLayer* layer = TrackLayer(m_form);
        if (auto* presenter = layer ? dynamic_cast<TPointPresenter*>(layer->FindPresenter(Vars.PrMovelID)) : nullptr)
            presenter->PointFont.SetFontAngle(
                static_cast<int32_t>(std::nearbyint((360 - (heading - 90)) * 10)));
    }
    m_form.Globo->CenterOnObject(marker);
    m_form.Globo->Redraw();
}

TGeoDataObject* TGpsNavigation::ProvideTrackObject()
{
    if (!Vars.TrackObject) {
        Vars.TrackObject = NewTrackLayerObject(m_form, "Trilha", 2, Vars.PrTrilhaID);
        if (Vars.TrackObject)
            Vars.TrackObject->Chains.AddChain(std::make_unique<TPointStore>());
    }
    return Vars.TrackObject;
}

void TGpsNavigation::TrataTrilha()
{
    if (!ProvideTrackObject())
        return;
    TPointStore& track = Vars.TrackObject->Chains.Chain(0);
    const bool append = TrackPointDue(Vars, track.Count(), Survey.CurrentPK);
    if (append)
        track.Add({ Vars.CurrentFix.Long, Vars.CurrentFix.Lat, 0 });
    Vars.ForceTrackPoint = false;
    if (append) {
        Vars.TrackObject->Changed();
        m_form.Globo->Redraw();
    }
}

void TGpsNavigation::ShowState()
{
    if (m_state == TFeedState::Lost) {
        m_form.LabelValidos->setText(m_lostText);
        return;
    }
    if (!SourceOpen() || m_state == TFeedState::None) {
        m_form.LabelValidos->clear();
        return;
    }
    const auto quiet = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::steady_clock::now() - m_lastReport)
                           .count();
    QString text;
    if (m_state == TFeedState::NoData)
        text = QStringLiteral("Sem dados do GPS");
    else if (quiet > kStaleSeconds)
        text = QStringLiteral("Posição desatualizada (há %1 s)").arg(quiet);
    else if (m_state == TFeedState::NoFix)
        text = QStringLiteral("Recebendo, sem posição válida");
    else
        text = QStringLiteral("Posição válida");
    m_form.LabelValidos->setText(text);
}
