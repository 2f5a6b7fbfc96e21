#include "app/GlobeSetup.h"

#include "app/WaypointIcons.h"

#include "formats/GlobeLYRReader.h"
#include "formats/GlobeMIFReader.h"
#include "formats/GlobeSHPReader.h"
#include "geo/GeoDataObject.h"
#include "geo/GlobeProjection.h"
#include "view/Colors.h"
#include "view/Globe4.h"
#include "view/GlobeCanvas.h"
#include "view/GlobeLayer.h"
#include "view/GlobeLayerStore.h"
#include "view/GlobeObjectSource.h"
#include "view/GlobePresenter.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

constexpr long double TARGET_Y_ROTATION = -46.636L;
constexpr long double TARGET_X_ROTATION = -23.547L;
constexpr int32_t TARGET_ALTITUDE = 12550;
constexpr int MAX_APPROACH_STEPS = 20000;

void ShowStep(TGlobe4& globe)
{
    globe.Redraw();
    QCoreApplication::processEvents();
}

void Spin(TGlobeProjection& p, TGlobe4& globe)
{
    p.SetAltitude(3100000);
    p.SetXRotation(90.0L);
    p.SetYRotation(0.0L);
    int step = 0;
    while (p.XRotation() > -90.0L) {
        ++step;
        p.SetAltitude(p.Altitude() - 2800);
        p.SetYRotation(p.YRotation() - 2.0L);
        p.SetXRotation(p.XRotation() - 0.3L);
        if (step % 7 == 0)
            ShowStep(globe);
    }
}

// One approach step; answers whether the target is reached.
bool ApproachStep(TGlobeProjection& p, long double& d)
{
    const long double dy = TARGET_Y_ROTATION - p.YRotation();
    p.SetYRotation(std::fabs(dy) < 0.001L ? TARGET_Y_ROTATION : p.YRotation() - std::fabs(dy) / d);
    const long double dx = TARGET_X_ROTATION - p.XRotation();
    p.SetXRotation(std::fabs(dx) < 0.001L ? TARGET_X_ROTATION : p.XRotation() + dx / d);
    const long double da = TARGET_ALTITUDE - p.Altitude();
    if (std::fabs(da) < 1000)
        p.SetAltitude(TARGET_ALTITUDE);
    else {
        p.SetAltitude(static_cast<int32_t>(std::trunc(da / d / 2 + p.Altitude())));
        if (p.Altitude() < 100000)
            d = std::trunc(p.Altitude() * 25.0L / 100000) + 5;
    }
    return p.YRotation() == TARGET_Y_ROTATION && p.XRotation() == TARGET_X_ROTATION
        && p.Altitude() == TARGET_ALTITUDE;
}

// The pencil: a yellow body with a dark tip on white, the colour of the
// bottom-left pixel, which becomes transparent.
QImage PencilPicture()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(16, 16);
    painter.rotate(45);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor(0xF2, 0xC2, 0x2E));
    painter.drawRect(QRectF(-3, -14, 6, 20));
    painter.setBrush(QColor(0xE8, 0xB0, 0x90));
    QPainterPath tip;
    tip.moveTo(-3, 6);
    tip.lineTo(3, 6);
    tip.lineTo(0, 14);
    tip.closeSubpath();
    painter.drawPath(tip);
    painter.end();
    return TransparentPicture(image);
}

TGlobeLayer& SpecialLayer(TGlobe4& globe, const std::string& name)
{
    TGlobeLayer* layer = globe.LayerStore()->LayerByName(name);
    if (!layer)
        throw EGlobeException("Layer " + name + " not found");
    return *layer;
}

int32_t AddPolylinePresenter(
    TGlobe4& globe, TGlobeLayer& layer, const std::string& name, TPenStyle style, TColor color, int32_t width)
{
    auto presenter = std::make_unique<TPolylinePresenter>(&globe, 0);
    presenter->Name = name;
    presenter->PolyPen.SetPenAttributes(color, style, width, TGlobeUnitTypes::Pixel);
    return layer.Presenters().Add(std::move(presenter));
}

} // namespace

bool IsSpecialLayer(const TGlobeLayer& layer)
{
    const std::string name = layer.Name();
    return std::find(SPECIAL_LAYERS.begin(), SPECIAL_LAYERS.end(), name) != SPECIAL_LAYERS.end();
}

void RegisterFileReaders()
{
    RegisterLayerFileClasses();
    RegisterSHPReader();
    RegisterMIFReader();
}

std::string LayerNameOf(const TGlobeObject& object)
{
    const auto* source = dynamic_cast<const TGlobeObjectSource*>(object.ObjectSource());
    return source ? source->Name : std::string();
}

void ConfigureGlobe(TGlobe4& globe)
{
    RegisterFileReaders();
    globe.SetCacheCapacity(10240);
    globe.SetGlobeOptions({ TGlobeOption::goCache3DPoints, TGlobeOption::goDoubleBuffered });
    globe.SetMaxTextHeight(0);
    globe.SetSaveMetaDataLocation(TSaveMetaDataLocation::smdInDataDirectory);
    globe.SetSurfaceColor(0xFFFF00);
    globe.SelectedBrushValue = QBrush(ToQColor(clYellow));
    globe.SelectedPenValue = QPen(ToQColor(clRed), 0);
    globe.TransparentBrushValue = QBrush(ToQColor(clSilver));
    globe.TransparentPenValue = QPen(ToQColor(clGray), 0);
    globe.GraticulePen = QPen(ToQColor(clSilver), 0);
    // The view below belongs to the designed client area of 526 x 414 pixels;
    // the globe keeps its centre when the window gives it another size.
    globe.Canvas().SetImageSize(526, 414, globe.Canvas().ScreenPPI());
    TGlobeProjection& p = globe.Projection();
    p.SetProjectionClass("TSphericalPrj");
    p.SetUseMinMaxLimits(false);
    p.SetMinLatitude(-90);
    p.SetMaxLatitude(90);
    p.SetMinLongitude(-180);
    p.SetMaxLongitude(180);
    p.SetXAxisChanges(TXAxisChanges::xaYOrigin);
    p.SetYAxisChanges(TYAxisChanges::yaCentralMeridian);
    p.SetScaleFactor(7.6750310411e-07L);
    p.SetXRotation(23.5L);
    p.SetOrigin({ 263, 207 });
}

void StartupAnimation(TGlobe4& globe)
{
    TGlobeProjection& p = globe.Projection();
    Spin(p, globe);
    long double d = 25;
    for (int step = 0; step < MAX_APPROACH_STEPS; ++step) {
        const bool reached = ApproachStep(p, d);
        ShowStep(globe);
        if (reached)
            return;
    }
}

void CreateSpecialLayers(TGlobe4& globe)
{
    for (const std::string& name : SPECIAL_LAYERS) {
        TGlobeLayer& layer = globe.LayerStore()->CreateLayer("TGlobeLayer");
        layer.SetName(name);
        layer.SetModified(false);
        layer.SetVisible(true);
    }
}

TGlobeMarkers CreateMarkers(TGlobe4& globe)
{
    TGlobeMarkers markers;
    TGlobeLayer& lapisLayer = SpecialLayer(globe, "LayLapis");
    auto pencil = std::make_unique<TPointPresenter>(&globe, 0);
    pencil->PointType = TPointPresenterType::ppImage;
    pencil->SetPointSize(35);
    pencil->SetPointUnit(TGlobeUnitTypes::Pixel);
    pencil->SetImage(PencilPicture());
    const int32_t pencilID = lapisLayer.Presenters().Add(std::move(pencil));
    TGlobeObjectSource& lapisSource = lapisLayer.ObjectSource();
    lapisSource.Name = lapisLayer.Name();
    markers.Lapis = new TGeoDataObject(&lapisSource);
    markers.Lapis->Title = "Lapis";
    markers.Lapis->SetPresenterID(pencilID);
    lapisLayer.SetVisible(false);

    SpecialLayer(globe, "LayWaypt").SetShowTitles(true);

    TGlobeLayer& track = SpecialLayer(globe, "Trilha");
    auto moving = std::make_unique<TPointPresenter>(&globe, 0);
    moving->Name = "PrMovel";
    moving->PointType = TPointPresenterType::ppFontSymbol;
    moving->SymbolIndex = 81;
    moving->PointFont.SetFontAttributes("WingDings", 255, 0, 0, TGlobeUnitTypes::Pixel, 24);
    moving->SetPointUnit(TGlobeUnitTypes::Pixel);
    moving->SetPointSize(24);
    markers.PrMovelID = track.Presenters().Add(std::move(moving));
    markers.PrTrilhaID = AddPolylinePresenter(globe, track, "PrTrilha", TPenStyle::psDot, 0xFF0000, 1);
    markers.PrRotaID
        = AddPolylinePresenter(globe, SpecialLayer(globe, "LayWaypt"), "PrRota", TPenStyle::psSolid, 255, 3);
    return markers;
}
