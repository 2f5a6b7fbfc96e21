// The road survey window: odometers, kilometre post and the survey table.
#pragma once

#include <QDialog>

class TFormRastr : public QDialog {
    Q_OBJECT
public:
    explicit TFormRastr(QWidget* parent = nullptr);
};
