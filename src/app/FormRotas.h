// The route window "Rotas": the points of the route with, during guidance,
// the distance, bearing and expected arrival of each, and the next point's
// read-outs below. It stays on top of the other windows.
#pragma once

#include <QDialog>

#include <functional>

class QFrame;
class QLabel;
class QPainter;
class QStatusBar;
class QTableWidget;
class TUpDown;

class TFormRotas : public QDialog {
    Q_OBJECT
public:
    explicit TFormRotas(QWidget* parent = nullptr);

    QTableWidget* GridWayPtsRota;
    QFrame* PanelContrPontos;
    QLabel* LabelProx;
    QLabel* LabelDistProx;
    QLabel* LabelTempo;
    QLabel* LabelVMG;
    TUpDown* UpDownPontosRota;
    QFrame* Splitter1;
    QStatusBar* StatusBar1;

    // The grid's rows counting the fixed header row.
    int RowCount() const;
    void SetRowCount(int rows);

    // What the main window's route tool does on activation and close.
    std::function<void()> OnActivate;
    std::function<void()> OnClose;

    void FormActivate();
    void FormClose();
    // Row 0 is the header; row r >= 1 shows route point r - 1.
    void GridWayPtsRotaDrawCell(QPainter& painter, int row, int column, const QRect& cell) const;
    void UpDownPontosRotaClick(bool next);

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Closing and Escape both end here.
    void done(int result) override;
};
