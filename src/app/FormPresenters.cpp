#include "app/FormPresenters.h"

TFormPresenters::TFormPresenters(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormPresenters"));
    setWindowTitle(QStringLiteral("Traçadores do Layer"));
}
