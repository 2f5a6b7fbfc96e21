// Editor of a polyline or polygon presenter: pen and brush of lines and
// areas, and their titles.
#pragma once

#include "app/PresenterEditor.h"

class QCheckBox;
class TPolyPresenter;

class TFormEdPoliPres : public TPresenterEditor {
    Q_OBJECT
public:
    explicit TFormEdPoliPres(QWidget* parent = nullptr);

    void FormActivate() override;
    void BtOKClick();

    TUpDown* UpDown2;
    // Shows whether the presenter fills its areas; not editable.
    QCheckBox* CBPreenchido;

private:
    TPolyPresenter* Edited() const;
    void Write(TPolyPresenter& presenter) const;
};
