#include "app/FormRastr.h"

TFormRastr::TFormRastr(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormRastr"));
    setWindowTitle(QStringLiteral("Rastreador"));
}
