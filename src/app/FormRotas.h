// The route window: the points of the route and the guidance read-outs.
#pragma once

#include <QDialog>

class TFormRotas : public QDialog {
    Q_OBJECT
public:
    explicit TFormRotas(QWidget* parent = nullptr);
};
