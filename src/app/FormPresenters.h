// The presenters (drawing styles) of one layer.
#pragma once

#include <QDialog>

class TFormPresenters : public QDialog {
    Q_OBJECT
public:
    explicit TFormPresenters(QWidget* parent = nullptr);
};
