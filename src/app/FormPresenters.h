// "Traçadores do Layer": the presenters (drawing styles) of the current
// layer's object source, new presenters of the three kinds, and the editor
// of the chosen one.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

class QPainter;
class QPushButton;
class TFormEdPointPres;
class TFormEdPoliPres;
class TGlobeLayer;
class TGlobePresenter;
class TGlobePresenterStore;
class TStringGrid;

class TFormPresenters : public QDialog {
    Q_OBJECT
public:
    explicit TFormPresenters(QWidget* parent = nullptr);

    // The layer chosen in the main window, asked at the moment of use.
    std::function<TGlobeLayer*()> CurrentLayer;
    void SetEditors(TFormEdPointPres* pointEditor, TFormEdPoliPres* polyEditor);
    // One row per presenter of the current layer.
    void ShowPresenters();

    void GridPresentersDrawCell(QPainter& painter, int col, int row, const QRect& rect);
    void GridPresentersDblClick();
    void BtOKClick();
    void BtNovoPointClick();
    void BtNovoPolyLineClick();
    void BtNovoPolygonClick();
    void BtProPriClick();

    TStringGrid* GridPresenters;
    QPushButton* BtOK;
    QPushButton* BtNovoPoint;
    QPushButton* BtNovoPolyLine;
    QPushButton* BtNovoPolygon;
    QPushButton* BtProPri;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TGlobeLayer* Layer() const;
    TGlobePresenterStore* Presenters() const;
    // Adds the presenter (the store gives it the next free ID).
    void AddPresenter(std::unique_ptr<TGlobePresenter> presenter);
    void EditPresenter();

    TFormEdPointPres* m_pointEditor = nullptr;
    TFormEdPoliPres* m_polyEditor = nullptr;
};
