// The point editor: typed coordinates of one point of the edited chain.
#pragma once

#include <QDialog>

class TFormEdPonto : public QDialog {
    Q_OBJECT
public:
    explicit TFormEdPonto(QWidget* parent = nullptr);

    // True from the window's activation until it closes; the main window
    // refuses to close while a point is being edited.
    bool PointEditActive = false;

protected:
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
};
