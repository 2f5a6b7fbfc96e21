// Brumex: the nine windows are created in order, the main window is shown, and
// from then on everything happens in event handlers until it closes.
#include "app/AppPaths.h"
#include "app/AppWindows.h"
#include "app/BrumexApplication.h"
#include "app/FormBrumex.h"

int main(int argc, char** argv)
{
    TBrumexApplication app(argc, argv);
    TAppPaths::DataDir(); // created at the first start
    std::unique_ptr<TFormBrumex> mainWindow = CreateAppWindows();
    mainWindow->show();
    mainWindow->activateWindow();
    return app.exec();
}
