// The windows of the program. They are created once, in a fixed order, and
// live until the program ends; the main window comes first and owns the rest,
// so closing it ends the program.
#pragma once

#include <QWidget>
#include <memory>
#include <vector>

class TFormBrumex;
class TFormConfig;
class TFormEdPointPres;
class TFormEdPoliPres;
class TFormEdPonto;
class TFormPresenters;
class TFormDirSelect;
class TFormRastr;
class TFormRotas;

struct TAppWindows {
    TFormBrumex* FormBrumex = nullptr;
    TFormConfig* FormConfig = nullptr;
    TFormEdPointPres* FormEdPointPres = nullptr;
    TFormEdPoliPres* FormEdPoliPres = nullptr;
    TFormEdPonto* FormEdPonto = nullptr;
    TFormPresenters* FormPresenters = nullptr;
    TFormDirSelect* FormDirSelect = nullptr;
    TFormRastr* FormRastr = nullptr;
    TFormRotas* FormRotas = nullptr;

    std::vector<QWidget*> InCreationOrder() const;
};

// Creates the nine windows, all hidden, and tells the main window about the
// others. The caller owns the main window.
std::unique_ptr<TFormBrumex> CreateAppWindows();
