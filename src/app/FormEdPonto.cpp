#include "app/FormEdPonto.h"

#include <QEvent>

TFormEdPonto::TFormEdPonto(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormEdPonto"));
    setWindowTitle(QStringLiteral("Ponto"));
}

void TFormEdPonto::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        PointEditActive = true;
    QDialog::changeEvent(event);
}

void TFormEdPonto::hideEvent(QHideEvent* event)
{
    PointEditActive = false;
    QDialog::hideEvent(event);
}
