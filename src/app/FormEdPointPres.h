// Editor of a point presenter: how the points of a layer are drawn (symbol,
// picture or font letter, their size, pen and brush) and their titles.
#pragma once

#include "app/PresenterEditor.h"

class TPointPresenter;

class TFormEdPointPres : public TPresenterEditor {
    Q_OBJECT
public:
    explicit TFormEdPointPres(QWidget* parent = nullptr);

    void FormActivate() override;
    // A picture, or a letter of a font: only the fields of one are open.
    void CBPointPresenterTypeChange();
    void BtOKClick();

    QComboBox* CBPointPresenterType;
    QLineEdit* EdPointSize;
    QComboBox* CBPointUnits;
    QLineEdit* EdMaxPointSize;
    QLineEdit* EdImagem;
    QComboBox* CBPointFont;
    QLineEdit* EdSymbolIndex;
    QLineEdit* EdTamFonte;
    TUpDown* UpDown2;
    QComboBox* CBFontUnits;
    TColorField* CBFontColor;
    TUpDown* UpDown3;

private:
    TPointPresenter* Edited() const;
    void Write(TPointPresenter& presenter) const;
    // A changed picture name must name a readable picture.
    void WriteImageName(TPointPresenter& presenter) const;
};
