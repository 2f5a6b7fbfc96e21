#include "app/Settings.h"
#include "AppFixture.h"
#include "app/FormConfig.h"
#include "app/Vars.h"
#include "survey/SurveyState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QToolButton>
#include <functional>

namespace {

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class SettingsTest : public AppFixture {
protected:
    TFormConfig& Config() { return *Windows().FormConfig; }

    // A program start: the windows are created and the main window activated.
    TFormBrumex& Start()
    {
        TFormBrumex& brumex = CreateWindows();
        brumex.FormActivate();
        return brumex;
    }

    void Store(const QString& name, const QVariant& value) { AppFixture::Store()->setValue(name, value); }
    QString Stored(const QString& name) { return AppFixture::Store()->value(name).toString(); }
};

TEST_F(SettingsTest, FirstStartWritesEveryDefault)
{
    Start();
    const QString arqEnv = DataHome() + "/Morvenko/Brumex/GlEnv";
    const std::pair<QString, QString> expected[] = {
        { "UnMed", "0" },
        { "GPSSerial", "true" },
        { "IPGPS", "192.168.0.10" },
        { "PtGPS", "23" },
        { "DistCheg", "20" },
        { "FormCoord", "0" },
        { "EscWaypt", "35" },
        { "PortGPS", "COM1" },
        { "EspLon", "15" },
        { "EspLat", "15" },
        { "Sobrepor", "false" },
        { "SombraNoite", "false" },
        { "DirCartasBMP", "Cartas/" },
        { "DirLayers", "Layers/" },
        { "DirWayPoints", "WayPoints/" },
        { "DirRotas", "Rotas/" },
        { "ArqEnv", arqEnv },
        { "AnimarGlobo", "true" },
        { "O1", "0" },
        { "O2", "0" },
        { "O3", "0" },
        { "R1", "false" },
        { "R2", "false" },
        { "R3", "false" },
        { "L1", "false" },
        { "L2", "false" },
        { "L3", "false" },
        { "DispCOM1", "/dev/ttyUSB0" },
        { "DispCOM2", "/dev/ttyACM0" },
        { "DispCOM3", "/dev/ttyS0" },
        { "DispCOM4", "/dev/ttyS1" },
    };
    EXPECT_EQ(AppFixture::Store()->childKeys().size(), std::size(expected));
    for (const auto& [name, value] : expected)
        EXPECT_EQ(Stored(name), value) << name.toStdString();

    EXPECT_EQ(Config().CbUnMed->currentText(), "Métricas (m , km/h)");
    EXPECT_EQ(Config().CBFormCoord->currentText(), "ddd°mm.mmm’;");
    EXPECT_EQ(Config().CBPortGPS->currentText(), "COM1");
    EXPECT_EQ(Config().EdDispGPS->text(), "/dev/ttyUSB0");
    EXPECT_EQ(Config().EdIPGPS->text(), "192.168.0.10");
    EXPECT_EQ(Config().EdPortGPS->text(), "23");
    EXPECT_EQ(Config().EdDistCheg->text(), "20");
    EXPECT_TRUE(Config().RBSerial->isChecked());
    EXPECT_EQ(Vars.DirLayers, "Layers/");
    EXPECT_EQ(Vars.ArqEnv, arqEnv);
    EXPECT_TRUE(Vars.AnimarGlobo);
}

TEST_F(SettingsTest, ChangedValuesSurviveARestart)
{
    TFormBrumex& first = Start();
    Config().CbUnMed->setCurrentIndex(2);
    Config().RBEthernet->setChecked(true);
    Config().EdIPGPS->setText("10.1.2.3");
    Config().EdPortGPS->setText("4001");
    Config().EdDistCheg->setText("75");
    Config().CBFormCoord->setCurrentIndex(2);
    Config().CBPortGPS->setCurrentIndex(2);
    Config().SetDevice(2, "/dev/serial/by-id/usb-gps");
    first.TBEscWaypt->setValue(60);
    first.EditLon->setText("30");
    first.EditLat->setText("10");
    first.CheckBoxSobreporLinhas->setChecked(true);
    first.SpeedButtonComSombra->click();
    Vars.DirLayers = "/srv/layers/";
    Vars.AnimarGlobo = false;
    Survey.O1 = 12.75;
    Survey.O3 = -3.5;
    Survey.R2 = true;
    Survey.L3 = true;
    ASSERT_TRUE(first.FormClose());
    DestroyWindows();
    Vars = TVars {};
    Survey = TSurveyState {};

    TFormBrumex& second = Start();
    EXPECT_EQ(Config().CbUnMed->currentIndex(), 2);
    EXPECT_TRUE(Config().RBEthernet->isChecked());
    EXPECT_FALSE(Config().GBEther->isHidden());
    EXPECT_TRUE(Config().GBSerial->isHidden());
    EXPECT_EQ(Config().EdIPGPS->text(), "10.1.2.3");
    EXPECT_EQ(Config().EdPortGPS->text(), "4001");
    EXPECT_EQ(Config().EdDistCheg->text(), "75");
    EXPECT_EQ(Config().CBFormCoord->currentIndex(), 2);
    EXPECT_EQ(Config().CBPortGPS->currentText(), "COM3");
    EXPECT_EQ(Config().EdDispGPS->text(), "/dev/serial/by-id/usb-gps");
    EXPECT_EQ(Config().Device(0), "/dev/ttyUSB0");
    EXPECT_EQ(second.TBEscWaypt->value(), 60);
    EXPECT_EQ(second.EditLon->text(), "30");
    EXPECT_EQ(second.EditLat->text(), "10");
    EXPECT_TRUE(second.CheckBoxSobreporLinhas->isChecked());
    EXPECT_TRUE(second.SpeedButtonComSombra->isChecked());
    EXPECT_FALSE(second.SpeedButtonSemSombra->isChecked());
    EXPECT_TRUE(Vars.SombraNoite);
    EXPECT_EQ(Vars.DirLayers, "/srv/layers/");
    EXPECT_FALSE(Vars.AnimarGlobo);
    EXPECT_EQ(Survey.O1, 12.75);
    EXPECT_EQ(Survey.O3, -3.5);
    EXPECT_TRUE(Survey.R2);
    EXPECT_FALSE(Survey.R1);
    EXPECT_TRUE(Survey.L3);
}

TEST_F(SettingsTest, UnreadableValuesTakeTheirFallback)
{
    const struct {
        const char* name;
        QVariant stored;
        std::function<void(const TFormConfig&, const TFormBrumex&)> check;
    } cases[] = {
        { "FormCoord", "dois", [](auto& c, auto&) { EXPECT_EQ(c.CBFormCoord->currentIndex(), 1); } },
        { "FormCoord", 7, [](auto& c, auto&) { EXPECT_EQ(c.CBFormCoord->currentIndex(), 1); } },
        { "UnMed", 3, [](auto& c, auto&) { EXPECT_EQ(c.CbUnMed->currentIndex(), 0); } },
        { "GPSSerial", "talvez", [](auto& c, auto&) { EXPECT_TRUE(c.RBSerial->isChecked()); } },
        { "IPGPS", "", [](auto& c, auto&) { EXPECT_EQ(c.EdIPGPS->text(), "192.168.0.10"); } },
        { "PtGPS", "telnet", [](auto& c, auto&) { EXPECT_EQ(c.EdPortGPS->text(), "23"); } },
        { "PtGPS", 70000, [](auto& c, auto&) { EXPECT_EQ(c.EdPortGPS->text(), "23"); } },
        { "EscWaypt", 500, [](auto&, auto& b) { EXPECT_EQ(b.TBEscWaypt->value(), 35); } },
        { "PortGPS", "COM9", [](auto& c, auto&) { EXPECT_EQ(c.CBPortGPS->currentText(), "COM1"); } },
        { "DispCOM2", "", [](auto& c, auto&) { EXPECT_EQ(c.Device(1), "/dev/ttyACM0"); } },
        { "EspLon", "x", [](auto&, auto& b) { EXPECT_EQ(b.EditLon->text(), "15"); } },
        { "Sobrepor", "sim", [](auto&, auto& b) { EXPECT_FALSE(b.CheckBoxSobreporLinhas->isChecked()); } },
        { "SombraNoite", "1", [](auto&, auto& b) { EXPECT_TRUE(b.SpeedButtonComSombra->isChecked()); } },
        { "DirLayers", "", [](auto&, auto&) { EXPECT_EQ(Vars.DirLayers, "Layers/"); } },
        { "DirWayPoints", QStringList { "a", "b" },
            [](auto&, auto&) { EXPECT_EQ(Vars.DirWayPoints, "WayPoints/"); } },
        { "ArqEnv", "", [](auto&, auto&) { EXPECT_TRUE(Vars.ArqEnv.endsWith("/Morvenko/Brumex/GlEnv")); } },
        { "AnimarGlobo", "0", [](auto&, auto&) { EXPECT_FALSE(Vars.AnimarGlobo); } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(StoreFile());
        Vars = TVars {};
        Survey = TSurveyState {};
        Store(c.name, c.stored);
        TFormBrumex& brumex = Start();
        c.check(Config(), brumex);
        DestroyWindows();
    }
}

TEST_F(SettingsTest, UnreadableArrivalDistanceLeavesThePortAlone)
{
    Store("DistCheg", "perto");
    Store("PtGPS", 4001);
    Start();
    EXPECT_EQ(Config().EdDistCheg->text(), "20");
    EXPECT_EQ(Config().EdPortGPS->text(), "4001");
}

TEST_F(SettingsTest, UnreadableOdometerEndsWithoutTouchingTheStore)
{
    Store("UnMed", 2);
    Store("O2", "doze");
    CloseNextModal();
    TFormBrumex& brumex = Start();
    ASSERT_EQ(ModalTexts().size(), 1);
    EXPECT_TRUE(ModalTexts()[0].contains("\"O2\"")) << ModalTexts()[0].toStdString();
    EXPECT_TRUE(ModalTexts()[0].contains("doze"));
    EXPECT_TRUE(Vars.FirstActivation);

    const QByteArray before = FileBytes(StoreFile());
    EXPECT_TRUE(brumex.FormClose());
    EXPECT_EQ(FileBytes(StoreFile()), before);
    EXPECT_EQ(Stored("O2"), "doze");
    EXPECT_EQ(Stored("UnMed"), "2");
}

TEST_F(SettingsTest, UnreadableSurveySwitchEndsToo)
{
    Store("L2", "ligado");
    CloseNextModal();
    Start();
    ASSERT_EQ(ModalTexts().size(), 1);
    EXPECT_TRUE(ModalTexts()[0].contains("\"L2\""));
    EXPECT_EQ(Stored("L2"), "ligado");
}

TEST_F(SettingsTest, PortThatIsNotANumberKeepsTheStoredPortAndSavesTheRest)
{
    Store("PtGPS", 4001);
    TFormBrumex& brumex = Start();
    Config().EdPortGPS->clear();
    Config().CbUnMed->setCurrentIndex(1);
    Config().EdDistCheg->clear();
    brumex.EditLon->setText("");
    Survey.O1 = 7.25;
    CloseNextModal();
    EXPECT_TRUE(brumex.FormClose());
    ASSERT_EQ(ModalTexts().size(), 1);
    EXPECT_TRUE(ModalTexts()[0].contains("porta"));
    EXPECT_EQ(Stored("PtGPS"), "4001");
    EXPECT_EQ(Stored("UnMed"), "1");
    EXPECT_EQ(Stored("DistCheg"), "20");
    EXPECT_EQ(Stored("EspLon"), "0");
    EXPECT_EQ(Stored("O1"), "7.25");
}

TEST_F(SettingsTest, StoreThatCannotBeOpenedLoadsAndSavesNothing)
{
    // A folder where the settings file should be cannot be read or written.
    ASSERT_TRUE(QDir().mkpath(StoreFile()));
    TFormBrumex& brumex = Start();
    EXPECT_EQ(Config().EdIPGPS->text(), "");
    EXPECT_EQ(Config().EdPortGPS->text(), "23");
    EXPECT_EQ(brumex.TBEscWaypt->value(), 35);
    EXPECT_EQ(Vars.DirLayers, "");
    EXPECT_FALSE(Vars.FirstActivation);

    CloseNextModal();
    EXPECT_TRUE(brumex.FormClose());
    ASSERT_EQ(ModalTexts().size(), 1);
    EXPECT_TRUE(ModalTexts()[0].contains(StoreFile()));
    EXPECT_TRUE(QFileInfo(StoreFile()).isDir());
}

TEST_F(SettingsTest, SecondActivationLoadsNothing)
{
    TFormBrumex& brumex = Start();
    Store("UnMed", 2);
    Store("EscWaypt", 80);
    brumex.FormActivate();
    EXPECT_EQ(Config().CbUnMed->currentIndex(), 0);
    EXPECT_EQ(brumex.TBEscWaypt->value(), 35);
}

TEST_F(SettingsTest, CloseBeforeTheFirstActivationWritesNothing)
{
    TFormBrumex& brumex = CreateWindows();
    EXPECT_TRUE(brumex.FormClose());
    EXPECT_FALSE(QFile::exists(StoreFile()));
}
