// Editor of a polyline or polygon presenter: pen and brush of lines and areas.
#pragma once

#include <QDialog>

class TFormEdPoliPres : public QDialog {
    Q_OBJECT
public:
    explicit TFormEdPoliPres(QWidget* parent = nullptr);
};
