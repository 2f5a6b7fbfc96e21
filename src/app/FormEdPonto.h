// The point editor "Ponto": the current point of the object editor, moved by
// typed coordinates, nudges or a click on the globe; OK keeps the edit,
// Cancel puts the point back as it was when the edit began, and the window's
// close box counts as OK.
#pragma once

#include "geo/GlobeTypes.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QSlider;
class QToolButton;
class TObjectEditor;
class TUpDown;

class TFormEdPonto : public QDialog {
    Q_OBJECT
public:
    explicit TFormEdPonto(QWidget* parent = nullptr);

    // The editor whose current point this window edits.
    void SetEditor(TObjectEditor* editor) { m_editor = editor; }

    // True from the window's activation until it closes; the main window
    // refuses to close while a point is being edited.
    bool PointEditActive = false;
    bool PointEditCancelled = false;
    TGeoPoint PointBeforeEdit;

    QLineEdit* EdLonPto;
    QLineEdit* EdLatPto;
    QPushButton* BtPtoObjOK;
    TUpDown* ObjPontoSobDes;
    TUpDown* ObjPontoDirEsq;
    QSlider* TBMovSpeed2;
    QToolButton* BtPtorObj;
    QPushButton* BtOK;
    QPushButton* BtCancelar;

    void FormActivate();
    void BtPtoObjOKClick();
    void ObjPontoSobDesClick(bool next);
    void ObjPontoDirEsqClick(bool next);
    void BtPtorObjClick();
    void BtOKClick();
    void BtCancelarClick();
    // Escape cancels the edit.
    void reject() override;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormClose();
    void Nudge(TUpDown& nudge, bool next, bool latitude);

    TObjectEditor* m_editor = nullptr;
};
