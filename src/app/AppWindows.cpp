#include "app/AppWindows.h"

#include "app/FormBrumex.h"
#include "app/FormConfig.h"
#include "app/FormDirSelect.h"
#include "app/FormEdPointPres.h"
#include "app/FormEdPoliPres.h"
#include "app/FormEdPonto.h"
#include "app/FormPresenters.h"
#include "app/FormRotas.h"
#include "app/Formatting.h"
#include "app/GpsNavigation.h"
#include "app/SurveyLink.h"
#include "survey/FormRastr.h"

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
    windows.FormRastr = new TFormRastr(std::make_unique<TSurveyLink>(*main), main.get());
    windows.FormRotas = new TFormRotas(main.get());
    windows.FormPresenters->SetEditors(windows.FormEdPointPres, windows.FormEdPoliPres);
    main->SetWindows(windows);
    // While the survey window is open and on the screen it takes the
    // position reports.
    TFormRastr* survey = windows.FormRastr;
    main->Navigation->SurveyVisible = [survey] { return survey->IsOpen() && survey->isVisible(); };
    main->Navigation->OnSurveyReport = [survey](bool warning, TDateTime time, double lat, double lon, double speed,
                                           double course, double mag) {
        survey->GPSMinGPSData(warning, time, lat, lon, speed, course, mag);
    };
    return main;
}
