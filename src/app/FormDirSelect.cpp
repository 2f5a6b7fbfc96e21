#include "app/FormDirSelect.h"

TFormDirSelect::TFormDirSelect(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormDirSelect"));
    setWindowTitle(QStringLiteral("Seleção de Pasta"));
}
