// Charts: georeferenced 256-colour bitmaps in layer "Cartas", each described
// by a chart file. Opening charts, the chart list of the "Cartas" tab, and the
// chart editor of the "Ed. Cartas" tab, which places and scales the edited
// chart by typing, nudging or two clicks on the globe and saves it back.
#pragma once

#include "geo/GlobeTypes.h"

#include <QString>

class TBitmapObject;
class TClickDispatcher;
class TFormBrumex;
class TGlobeLayer;
class TGlobeObject;
class TUpDown;

class TChartTool {
public:
    // The form's chart widgets get their behaviour from the form's wiring.
    explicit TChartTool(TFormBrumex& form);

    // Ctrl+B: asks for a chart file and opens it, then keeps layer "Cartas"
    // under every layer whose name holds "IMO".
    void AbrirCartaBMPExecute();
    // Opens one chart file. The chart with the file's title when it is open
    // already; null when it cannot be opened (the user was told why).
    TBitmapObject* MostraCarta(const QString& fileName);

    // The chart list shows the titles of layer "Cartas" in object order.
    void GridCartasDrawCell();
    // Closes the chart of the row, without a question.
    void GridCartasDblClick(int row);
    void GridCartasClick();

    // The object selection passes the object the user chose (or none): a
    // chart becomes the edited chart and takes the side panel; anything else
    // empties the chart editor. Answers whether a chart was chosen.
    bool SelectChart(TGlobeObject* object);
    void FillChartEditor();

    void EdNomeBMPExit();
    void BtArqBMPClick();
    void BtCentrBMPOKClick();
    void BtInserBMPClick();
    void CarCentrDirEsqClick(bool next);
    void CarCentrSobDesClick(bool next);
    void BtDistBMPOKClick();
    void BtDistBMPClick();
    void BtSalvaBMPClick();

    // Click steps of ChartMoveMode and ChartStretchMode, run by the click
    // dispatcher for a click without Shift at MousePosition: with the cursor
    // crSizeAll the click sets ClickAnchor, with crCross it moves (or
    // stretches) the chart and ends the mode.
    void ChartMoveClick();
    void ChartStretchClick();

    // An object is being freed, by whichever command: the editor lets go of
    // it when it is the edited chart, and the list is read again afterwards.
    void ObjectFreed(const TGlobeObject& object);

private:
    TGlobeLayer* ChartLayer() const;
    QString ChartFolder() const;
    TBitmapObject* CreateChart(const QString& fileName, const std::string& title);
    void LoadChartBitmap(TBitmapObject& chart, const QString& bitmap);
    void KeepChartsUnderImoLayers();
    void RedrawChart();
    void MoveChart(int64_t longitude, int64_t lat);
    void Nudge(TUpDown& nudge, bool next, bool eastWest);
    void StartClickMode(bool& mode, const QString& hint);
    // Refuses (with a hint) a stretch point that gives no usable scale.
    // False when a move or stretch click has no chart or falls off the globe.
    bool ClickApplies(bool& mode, const TGeoPoint& mouse);
    bool StretchAnchorUsable(const TGeoPoint& anchor);
    bool Stretch(const TGeoPoint& mouse);
    TClickDispatcher& Dispatcher() const;

    TFormBrumex& m_form;
    bool m_listRefreshPending = false;
};
