// The object editor of the "Ed. Objetos" tab: the object selection, the
// edited object's title and centroid, its chains and the points of the
// current chain, the pencil marker on the point being worked on, new objects
// and polygons of the current layer, the click modes that move an object's
// centroid and plot chain points, and the undo of the last changes.
#pragma once

#include "geo/GlobeTypes.h"

#include <QObject>
#include <QPoint>
#include <QString>
#include <deque>
#include <functional>
#include <memory>

class QPainter;
class QRect;
class TChainStore;
class TFormBrumex;
class TGeoDataObject;
class TGlobeObject;
class TPanelEdObjetos;
class TPointStore;

class TObjectEditor : public QObject {
    Q_OBJECT
public:
    explicit TObjectEditor(TFormBrumex& form);
    ~TObjectEditor() override;

    // Gives the panel's controls their behaviour.
    void Connect();

    // The object selection after a click on a layer or an object row; the
    // mouse is over the globe when the position label shows a position.
    void GridObjetosClick();
    // The same for a click on the globe in no click mode: the object under
    // the mouse, also selected on the globe.
    void GloboSelectClick();
    // No object edited: the panel emptied.
    void ClearObjectEditor();
    // The panel shown from EditedObject.
    void ShowEditedObject();

    // Handlers of the panel's controls.
    void EdNomeObjChange();
    void BtCentrObjOKClick();
    void BtCentrObjClick();
    void ObjCentrSobDesClick(bool next);
    void ObjCentrDirEsqClick(bool next);
    void GridChainsClick();
    void GridPontosClick();
    // PopupGridChains.
    void Nova1Click();
    void Excluir1Click();
    void Copiar1Click();
    void Cortar1Click();
    // PopupGridPontos.
    void Posicionar1Click();
    void IncluirPonto1Click();
    void IncluirePlotar1Click();
    void Plotar1Click();
    void ExcluirPonto1Click();
    void InverterOrdem1Click();
    void Girarshift1Click();
    void IncluirCadeia1Click();
    // "Novo Objeto" and "Novo Polígono" of the layer menu.
    void NovoObjeto2Click();
    void Novopolgono1Click();
    // Ctrl+Z: the edited object as it was before its last change.
    void Undo();

    // Click steps run by the click dispatcher without Shift (cursor
    // crCross): ObjectCentroidMode moves the edited object's centroid to
    // MousePosition; PointPlotMode stores MousePosition in the PlotTarget
    // point, and with ctrl stays on for the next one.
    void CentroidClick();
    void PointPlotClick(bool ctrl);

    // Steps the point editor shares. The current point is the one at the
    // current rows of the two grids; HasCurrentPoint tells whether there is
    // one.
    bool HasCurrentPoint() const;
    TGeoPoint CurrentPoint() const;
    // Remembered for Ctrl+Z, stored, the object redrawn and the marker on it.
    void SetCurrentPoint(const TGeoPoint& point);
    // PlotTarget := the current point, the plotting cursor on; the given
    // mouse button keeps selecting on the globe.
    void StartPointPlot(bool selectWithRightButton);
    void MarkLayerModified();
    // The pencil marker moved to the current point, redrawn when its layer
    // shows.
    void MoveLapisToCurrentPoint();
    // Shows or hides layer "LayLapis".
    void ShowLapisLayer(bool visible);
    // GlobeUnits of a nudge at a speed of 1..500.
    int32_t NudgeStep(int speed, bool next) const;

    // Shows a message with an OK button; tests answer it themselves.
    std::function<void(const QString& caption, const QString& text)> ShowMessage;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TUndoStep;

    TPanelEdObjetos& Panel() const;
    TGeoDataObject* Edited() const;
    bool IsPointObject() const;
    // The current chain of a chain-edited object; null otherwise.
    TPointStore* CurrentChain() const;
    void SelectObject(bool overGlobe);
    void FillGrids();
    void DrawChainCell(QPainter& painter, int col, int row, const QRect& rect);
    void DrawPointCell(QPainter& painter, int col, int row, const QRect& rect);
    QString PointCellText(int col, int row) const;
    void SetPointCell(int col, int row, const QString& text);
    void Redraw(TGlobeObject& object);
    void MoveLapisTo(const TGeoPoint& point);
    void MoveCentroid(TGeoDataObject& object, const TGeoPoint& centroid);
    void Nudge(bool next, bool latitude);
    void StartClickMode(bool& mode);
    void DeleteCurrentChain();
    void InsertPoint(TPointStore& chain, int at, const TGeoPoint& point);
    // The chain made again from a copy: point i of the new chain is point
    // source(i, n) of the old one.
    void RebuildChain(TPointStore& chain, const std::function<int(int, int)>& source);
    // The same for the current chain; with fewer than 2 points the message
    // of its count instead.
    void RebuildCurrentChain(const QString& caption, const QString& noPoints, const QString& onePoint,
        const std::function<int(int, int)>& source);
    void CreateObject(bool polygon);
    bool ReadTypedPoint(const QString& lonText, const QString& latText, TGeoPoint& point);
    void Remember();
    void ObjectFreed(const TGlobeObject* object);

    TFormBrumex& m_form;
    std::deque<TUndoStep> m_undo;
    // The points grid cell being typed into (column, row).
    QPoint m_cellEdit { -1, -1 };
    // The panel is due to follow freed objects.
    bool m_followFreed = false;
};

// A typed coordinate that is no place on the globe: latitudes beyond 90
// degrees are refused (false), longitudes are brought into -180..180.
bool NormaliseTypedPoint(int64_t longitude, int64_t latitude, TGeoPoint& point);
