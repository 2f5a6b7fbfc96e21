#include "app/FormConfig.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QStringList Items(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

} // namespace

class FormConfigTest : public ::testing::Test {
protected:
    TFormConfig form;
    bool serialActive = false;
    bool networkConnected = false;

    void SetUp() override
    {
        form.SetInputStateQueries([this] { return serialActive; }, [this] { return networkConnected; });
    }
};

TEST_F(FormConfigTest, ShowsItsTabsAndChoices)
{
    EXPECT_EQ(form.windowTitle(), "Brumex - Configuração");
    EXPECT_EQ(form.size(), QSize(389, 317));
    ASSERT_EQ(form.PageControlConfig->count(), 2);
    EXPECT_EQ(form.PageControlConfig->tabText(0), "Globo");
    EXPECT_EQ(form.PageControlConfig->tabText(1), "GPS");
    EXPECT_EQ(Items(form.CbUnMed),
        QStringList({ "Métricas (m , km/h)", "Terrestres (mi , mi/h)", "Náuticas(nm , kt)" }));
    EXPECT_EQ(Items(form.CBFormCoord), QStringList({ "ddd°mm.mmm’;", "ddd°mm’ss.s\";", "ddd°mm’ss\"tt;" }));
    EXPECT_EQ(Items(form.CBPortGPS), QStringList({ "COM1", "COM2", "COM3", "COM4" }));
    EXPECT_EQ(Items(form.ComboBox1), QStringList({ "2400", "4800", "9600", "19200" }));
    EXPECT_EQ(form.ComboBox1->currentText(), "4800");
    EXPECT_TRUE(form.RBSerial->isChecked());
    EXPECT_EQ(form.RBSerial->text(), "Serial");
    EXPECT_EQ(form.RBEthernet->text(), "Ethernet");
}

TEST_F(FormConfigTest, OnlyTheChosenConnectionGroupIsShown)
{
    const auto shown = [this](bool serial) {
        EXPECT_EQ(!form.GBSerial->isHidden(), serial);
        EXPECT_EQ(!form.BevelSerial->isHidden(), serial);
        EXPECT_EQ(!form.GBEther->isHidden(), !serial);
        EXPECT_EQ(!form.BevelEther->isHidden(), !serial);
    };
    shown(true);
    form.RBEthernet->click();
    shown(false);
    form.RBSerial->click();
    shown(true);
}

TEST_F(FormConfigTest, PortChoiceReachesAClosedReceiverOnly)
{
    QSignalSpy chosen(&form, &TFormConfig::SerialPortChosen);
    form.CBPortGPS->setCurrentIndex(1);
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen[0][0].toInt(), 1);
    EXPECT_EQ(chosen[0][1].toString(), "/dev/ttyACM0");
    EXPECT_EQ(form.EdDispGPS->text(), "/dev/ttyACM0");

    serialActive = true;
    form.show();
    EXPECT_FALSE(form.CBPortGPS->isEnabled());
    EXPECT_FALSE(form.EdDispGPS->isEnabled());
    form.CBPortGPS->setCurrentIndex(3);
    form.ComboBox1->setCurrentIndex(0);
    EXPECT_EQ(chosen.size(), 1);
    form.hide();

    serialActive = false;
    form.show();
    EXPECT_TRUE(form.CBPortGPS->isEnabled());
    form.ComboBox1->setCurrentIndex(2); // the baud choice runs the same handler
    ASSERT_EQ(chosen.size(), 2);
    EXPECT_EQ(chosen[1][0].toInt(), 3);
}

TEST_F(FormConfigTest, PortNamesOutsideTheListLeaveThePortUnchanged)
{
    EXPECT_EQ(TFormConfig::ComIndex("COM4"), 3);
    EXPECT_EQ(TFormConfig::ComIndex("COM5"), -1);
    EXPECT_EQ(TFormConfig::ComIndex("com1"), -1);
    EXPECT_EQ(TFormConfig::ComIndex(""), -1);
}

TEST_F(FormConfigTest, EachPortKeepsItsOwnDevice)
{
    QSignalSpy chosen(&form, &TFormConfig::SerialPortChosen);
    form.CBPortGPS->setCurrentIndex(2);
    form.EdDispGPS->selectAll();
    QTest::keyClicks(form.EdDispGPS, "/dev/ttyUSB3");
    EXPECT_EQ(form.Device(2), "/dev/ttyUSB3");
    EXPECT_EQ(chosen.last()[1].toString(), "/dev/ttyUSB3");
    form.CBPortGPS->setCurrentIndex(0);
    EXPECT_EQ(form.EdDispGPS->text(), "/dev/ttyUSB0");
    form.CBPortGPS->setCurrentIndex(2);
    EXPECT_EQ(form.EdDispGPS->text(), "/dev/ttyUSB3");
}

TEST_F(FormConfigTest, AddressChangesReachADisconnectedClientOnly)
{
    QSignalSpy chosen(&form, &TFormConfig::NetworkAddressChosen);
    form.EdPortGPS->setText("2323");
    form.EdIPGPS->setText("10.0.0.5");
    ASSERT_EQ(chosen.size(), 2);
    EXPECT_EQ(chosen[1][0].toString(), "10.0.0.5");
    EXPECT_EQ(chosen[1][1].toInt(), 2323);

    form.EdPortGPS->clear(); // no port number, nothing to hand over
    EXPECT_EQ(chosen.size(), 2);

    networkConnected = true;
    form.show();
    EXPECT_FALSE(form.EdIPGPS->isEnabled());
    EXPECT_FALSE(form.EdPortGPS->isEnabled());
    form.EdPortGPS->setText("23");
    EXPECT_EQ(chosen.size(), 2);
}

TEST_F(FormConfigTest, PortFieldTakesOnlyPortNumbers)
{
    form.EdPortGPS->clear();
    QTest::keyClicks(form.EdPortGPS, "8x0-");
    EXPECT_EQ(form.EdPortGPS->text(), "80");
}
