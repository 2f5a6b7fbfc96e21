#include "app/FormRotas.h"

TFormRotas::TFormRotas(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormRotas"));
    setWindowTitle(QStringLiteral("Rotas"));
}
