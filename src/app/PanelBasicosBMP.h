// The chart editor's panel on the "Ed. Cartas" tab: title, image file,
// insertion point, nudges, pixel scales and the save button. It only builds
// the controls; the chart tools give them their behaviour.
#pragma once

#include <QFrame>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TUpDown;

class TPanelBasicosBMP : public QFrame {
    Q_OBJECT
public:
    explicit TPanelBasicosBMP(QWidget* parent = nullptr);

    QLineEdit* EdNomeBMP;
    QLineEdit* EdArqBMP;
    QToolButton* BtArqBMP;
    QLineEdit* EdBtCentrLon;
    QLineEdit* EdBtCentrLat;
    QPushButton* BtCentrBMPOK;
    QToolButton* BtInserBMP;
    TUpDown* CarCentrDirEsq;
    TUpDown* CarCentrSobDes;
    QLineEdit* EdDistBMPLon;
    QLineEdit* EdDistBMPLat;
    QPushButton* BtDistBMPOK;
    QToolButton* BtDistBMP;
    QPushButton* BtSalvaBMP;

    // The six fields that an edited chart fills.
    QList<QLineEdit*> ChartFields() const;
};
