// The map controls of the main window: the "Mapa" tab (projection, zoom,
// graticule, night shadow, rotation), the zoom actions with their keypad keys
// and the mouse wheel, the readouts that follow the mouse over the globe, the
// scale ruler and night shadow of every render, and the measuring tool.
#pragma once

#include <QString>
#include <cstdint>
#include <string>

class TFormBrumex;

class TMapTool {
public:
    explicit TMapTool(TFormBrumex& form);

    // Factors of the zoom actions; six small steps make one large one.
    static constexpr long double LargeZoomStep = 1.771561L;
    static constexpr long double SmallZoomStep = 1.1L;

    // A press on a projection button: another projection, or the whole
    // world when the globe already shows that one.
    void ProjectionButtonClick(const std::string& projectionClass);
    void SpeedButtonEsfericaClick() { ProjectionButtonClick("TSphericalPrj"); }
    void SpeedButtonMercatorClick() { ProjectionButtonClick("TMercatorPrj"); }
    void SpeedButtonCartesianaClick() { ProjectionButtonClick("TCartesianPrj"); }

    void ZoomMaisExecute();
    void ZoomMenosExecute();
    void ZoomMaisPExecute();
    void ZoomMenosPExecute();
    // A turn of the mouse wheel over the globe (angle in eighths of a
    // degree): every notch of 15 degrees away from the user zooms in one
    // small step, towards the user out; fine wheels add up to notches.
    void GloboWheel(int angleDelta);

    // Graticule spacing: the field's integer value, 0 for any other text.
    void EditLonChange();
    void EditLatChange();
    void CheckBoxSobreporLinhasClick();
    void SpeedButtonComSombraClick();
    void SpeedButtonSemSombraClick();

    // Rotation up-downs; next is the up or right arrow.
    void GiraNSClick(bool next);
    void GiraEWClick(bool next);
    void GiraZClick(bool next);

    // Globe events.
    void GloboMouseMove(int x, int y);
    void GloboMouseLeave();
    void GloboMouseUp();
    // After every paint: the measuring line over the picture.
    void GloboPaint();
    // At every render: the ruler, then the night shadow when it is on.
    void GloboRender();
    void MostraRegua();
    // The ruler's length text for one inch of the screen: whole kilometres
    // ("123 KM"), metres below 10 km, centimetres below 10 m.
    static QString RulerText(int32_t globeUnitsPerInch);

    // The measuring toggle of the tool bar.
    void BtMedindoClick();

private:
    void Zoom(long double factor);
    void Rotate(class TUpDown& upDown, bool next);
    void ShowMovingMarkerReadouts();
    void ShowMeasure(int x, int y);
    void DrawMeasureLine();

    TFormBrumex& m_form;
    int m_wheelAngle = 0;
};
