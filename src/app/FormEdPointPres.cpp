#include "app/FormEdPointPres.h"

TFormEdPointPres::TFormEdPointPres(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormEdPointPres"));
    setWindowTitle(QStringLiteral("Point Presenter"));
}
