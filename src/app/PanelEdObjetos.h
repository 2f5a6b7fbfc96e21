// The object editor's panel on the "Ed. Objetos" tab: title, layer, the
// centroid (click, nudges, typed), the chains and the points of the current
// chain with their pop-up menus. It only builds the controls; the object
// editor gives them their behaviour.
#pragma once

#include <QFrame>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;
class QToolButton;
class TStringGrid;
class TUpDown;

class TPanelEdObjetos : public QFrame {
    Q_OBJECT
public:
    explicit TPanelEdObjetos(QWidget* parent = nullptr);

    QLineEdit* EdNomeObj;
    QLabel* LabelObjLayName;
    QToolButton* BtCentrObj;
    TUpDown* ObjCentrSobDes;
    TUpDown* ObjCentrDirEsq;
    QSlider* TBMovSpeed;
    QLineEdit* EdCentrLon;
    QLineEdit* EdCentrLat;
    QPushButton* BtCentrObjOK;
    TStringGrid* GridChains;
    TStringGrid* GridPontos;

    QMenu* PopupGridChains;
    QAction* Nova1;
    QAction* Excluir1;
    QAction* Copiar1;
    QAction* Cortar1;

    QMenu* PopupGridPontos;
    QAction* Posicionar1;
    QAction* IncluirPonto1;
    QAction* IncluirePlotar1;
    QAction* Plotar1;
    QAction* ExcluirPonto1;
    QAction* InverterOrdem1;
    QAction* Girarshift1;
    QAction* IncluirCadeia1;
    QAction* IncluirPlotar1;

    // The controls that an edited object enables.
    QList<QWidget*> EditingControls() const;

private:
    void CreatePopupGridChains();
    void CreatePopupGridPontos();
};
