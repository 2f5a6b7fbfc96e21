#include "app/FormEdPoliPres.h"

TFormEdPoliPres::TFormEdPoliPres(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormEdPoliPres"));
    setWindowTitle(QStringLiteral("Poli Presenter"));
}
