#include "app/AppWindows.h"

#include "app/FormBrumex.h"
#include "app/FormConfig.h"
#include "app/FormDirSelect.h"
#include "app/FormEdPointPres.h"
#include "app/FormEdPoliPres.h"
#include "app/FormEdPonto.h"
#include "app/FormPresenters.h"
#include "app/FormRastr.h"
#include "app/FormRotas.h"
#include "app/Formatting.h"

std::vector<QWidget*> TAppWindows::InCreationOrder() const
{
    return { FormBrumex, FormConfig, FormEdPointPres, FormEdPoliPres, FormEdPonto, FormPresenters,
        FormDirSelect, FormRastr, FormRotas };
}

std::unique_ptr<TFormBrumex> CreateAppWindows()
{
    auto main = std::make_unique<TFormBrumex>();
    TAppWindows windows;
    windows.FormBrumex = main.get();
    windows.FormConfig = new TFormConfig(main.get());
    FollowFormatChoicesOf(windows.FormConfig);
    windows.FormEdPointPres = new TFormEdPointPres(main.get());
    windows.FormEdPoliPres = new TFormEdPoliPres(main.get());
    windows.FormEdPonto = new TFormEdPonto(main.get());
    windows.FormPresenters = new TFormPresenters(main.get());
    windows.FormDirSelect = new TFormDirSelect(main.get());
    windows.FormRastr = new TFormRastr(main.get());
    windows.FormRotas = new TFormRotas(main.get());
    main->SetWindows(windows);
    return main;
}
