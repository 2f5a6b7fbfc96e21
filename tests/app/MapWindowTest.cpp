// The map window's tools driven as a user drives them: the "Mapa" tab, the
// readouts that follow the mouse, the ruler and night shadow of every render,
// the measuring tool, the click dispatcher and the compass of the
// "Navegação" tab.
#include "AppFixture.h"

#include "app/Vars.h"
#include "widgets/Compass.h"

#include <QDir>
#include <QTabWidget>

namespace {

class MapWindowTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        form = &CreateWindows();
    }
    // Writes a picture of the widget where the tests keep theirs.
    static QImage Picture(QWidget& widget, const QString& name)
    {
        const QImage image = widget.grab().toImage();
        QDir().mkpath(QDir::tempPath() + "/brumex-app");
        image.save(QDir::tempPath() + "/brumex-app/" + name + ".png");
        return image;
    }

    TFormBrumex* form = nullptr;
};

} // namespace

TEST_F(MapWindowTest, TheCompassStandsOnTheNavigationTab)
{
    TCompass* compass = form->Bussola;
    ASSERT_NE(compass, nullptr);
    EXPECT_EQ(compass->parentWidget(), form->TabSheetGPS);
    EXPECT_EQ(compass->SmallStp(), 5);
    EXPECT_EQ(compass->LargeStp(), 15);
    EXPECT_EQ(compass->GreatStp(), 30);
    EXPECT_EQ(compass->MkColor(), QColor(Qt::cyan));
    EXPECT_FALSE(compass->Steer());
    EXPECT_EQ(compass->BEColor(), QColor(0, 128, 0));
    EXPECT_EQ(compass->BBColor(), QColor(Qt::red));
    EXPECT_EQ(compass->CardColor(), QColor(Qt::red));
    EXPECT_EQ(compass->font().family(), "Arial");
    EXPECT_EQ(QFontInfo(compass->font()).pixelSize(), 15);
    EXPECT_EQ(compass->palette().color(QPalette::Window), QColor(0, 64, 128));

    form->show();
    form->PageControlGPS->setCurrentWidget(form->TabSheetGPS);
    compass->SetHeading(60);
    EXPECT_TRUE(compass->isVisible());
    const QImage window = Picture(*form, "main-window-navigation-tab");
    const QPoint centre = compass->mapTo(form, compass->rect().center());
    EXPECT_EQ(window.pixelColor(centre + QPoint(30, 30)), QColor(0, 64, 128));
}
