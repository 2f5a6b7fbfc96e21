// Editor of a point presenter: how the points of a layer are drawn.
#pragma once

#include <QDialog>

class TFormEdPointPres : public QDialog {
    Q_OBJECT
public:
    explicit TFormEdPointPres(QWidget* parent = nullptr);
};
