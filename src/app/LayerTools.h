// The "Layers" tab of the main window: the open layers of the globe and the
// objects of the chosen one, and the layer commands (open, create, save,
// close, show or hide, titles, reorder), moving an object to another layer by
// dragging its row and deleting it by dragging it onto the waste bin.
//
// Saving is deferred: "Salvar" writes a backup that replaces the layer's file
// only when the program closes.
#pragma once

#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <functional>

class QFileDialog;
class QPainter;
class QRect;
class TFormBrumex;
class TGlobe4;
class TGlobeLayer;
class TGlobeObject;

class TLayerTools : public QObject {
    Q_OBJECT
public:
    explicit TLayerTools(TFormBrumex& form);

    // The layer at the current row of GridLayers; null when there is none.
    TGlobeLayer* CurrentLayer() const;

    // The commands of PopupLayers and the action AbrirLayer.
    void AbrirLayerExecute();
    void NovoLayer1Click();
    void Salvar1Click();
    void Fechar1Click();
    void Visvel1Click();
    void GridLayersDblClick();
    void CbTitVisClick();
    void ParaFrente1Click();
    void ParaTrs1Click();
    void Presenters1Click();
    void Zoom1Click();
    void PopupLayersPopup();

    // A layer was chosen; also run on every activation of the main window.
    void GridLayersClick();
    // Objects were added elsewhere: the object grid and the counts follow.
    void ObjectsChanged();
    void GridLayersDrawCell(QPainter& painter, int col, int row, const QRect& rect);
    void GridObjetosDrawCell(QPainter& painter, int col, int row, const QRect& rect);

    // Dragging an object row: accepted only from the grid "GridObjetos"; at
    // is a point of the target's viewport.
    bool GridLayersDragOver(const QObject* source, const QPoint& at) const;
    void GridLayersDragDrop(const QObject* source, const QPoint& at);
    bool ImageLataLixoVDragOver(const QObject* source);
    void ImageLataLixoVDragDrop(const QObject* source);

    // Events of the globe.
    void GloboLayerCreate(TGlobeLayer* layer);
    void GloboObjectSelectChange(TGlobeObject* object);

    // Reordering beyond either end; the platform's beep unless replaced.
    std::function<void()> Beep;
    // Shows a file dialog set up by a command; the chosen file, or empty
    // when the user cancelled.
    std::function<QString(QFileDialog&)> RunFileDialog;

    // One row per object of the current layer; repaints.
    void ShowObjects();
    // The object and selection counts of the layer.
    void ShowLayerData(TGlobeLayer& layer);

protected:
    // Mouse press, move and release on GridObjetos drive the row drag.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TGlobe4& Globe() const;
    // One row per layer; repaints.
    void ShowLayers();
    void ShowWaypointPanel(const TGlobeLayer* layer);
    // Lowers the layer's index while the layer below it is a special layer.
    void MoveBelowSpecialLayers(TGlobeLayer& layer);
    void SelectLayerRow(int row);
    // Writes the layer's backup and clears its mark; false (after telling
    // the user) when it could not be written.
    bool SaveLayer(TGlobeLayer& layer);
    void MoveLayer(int step);
    // The object at the current row of GridObjetos; null when there is none.
    TGlobeObject* CurrentObject() const;

    void GridObjetosMouseDown(const QPoint& at);
    void DragMove(const QPoint& globalAt);
    void DragEnd(const QPoint& globalAt);
    void ShowBin(bool over);

    TFormBrumex& m_form;
    const QPixmap m_closedBin;
    QPoint m_pressAt;
    bool m_pressed = false;
    bool m_dragging = false;
    bool m_binFull = false;
};
