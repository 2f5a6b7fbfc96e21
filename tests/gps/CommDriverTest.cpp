#include "gps/CommDriver.h"
#include "gps/PseudoTerminal.h"

#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

class CommDriverOnPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.Open()) << pty.ErrorText().toStdString();
        driver.SetPort(TCommName::cnCOM2);
        driver.Devices().SetDevice(TCommName::cnCOM2, pty.SlavePath());
    }

    // The line settings as the device holds them.
    termios deviceSettings() const
    {
        termios settings {};
        EXPECT_EQ(tcgetattr(pty.MasterHandle(), &settings), 0);
        return settings;
    }

    TPseudoTerminal pty;
    TCommDriver driver;
};

} // namespace

TEST(CommDriver, PortNamesMapToDevices)
{
    TCommDeviceMap map;
    EXPECT_EQ(map.Device(TCommName::cnCOM1), "/dev/ttyUSB0");
    EXPECT_EQ(map.Device(TCommName::cnCOM2), "/dev/ttyACM0");
    EXPECT_EQ(map.Device(TCommName::cnCOM3), "/dev/ttyS0");
    EXPECT_EQ(map.Device(TCommName::cnCOM4), "/dev/ttyS1");
    map.SetDevice(TCommName::cnCOM3, "/dev/serial/by-id/usb-gps");
    EXPECT_EQ(map.Device(TCommName::cnCOM3), "/dev/serial/by-id/usb-gps");
    EXPECT_EQ(commPortName(TCommName::cnCOM4), "COM4");
}

TEST(CommDriver, SettersKeepOnlyValidValues)
{
    TCommDriver driver;
    EXPECT_EQ(driver.Baud(), 9600);
    EXPECT_EQ(driver.DataBits(), 8);
    EXPECT_EQ(driver.StopBits(), 1);
    EXPECT_EQ(driver.Parity(), TCommParity::cpNone);
    EXPECT_EQ(driver.Port(), TCommName::cnCOM1);
    driver.SetDataBits(9);
    EXPECT_EQ(driver.DataBits(), 8);
    driver.SetDataBits(7);
    EXPECT_EQ(driver.DataBits(), 7);
    driver.SetDataBits(3);
    EXPECT_EQ(driver.DataBits(), 7);
    driver.SetStopBits(3);
    EXPECT_EQ(driver.StopBits(), 1);
    driver.SetStopBits(2);
    EXPECT_EQ(driver.StopBits(), 2);
    // Modem lines of a closed port: nothing happens.
    driver.SetDTR(true);
    driver.SetRTS(false);
    EXPECT_FALSE(driver.IsOpen());
    std::string out = "unchanged";
    EXPECT_EQ(driver.Read(out), 0);
    EXPECT_EQ(out, "unchanged");
}

TEST(CommDriver, AbsentDeviceFailsAndSaysSo)
{
    TCommDriver driver;
    driver.SetPort(TCommName::cnCOM3);
    driver.Devices().SetDevice(TCommName::cnCOM3, "/dev/brumex-no-such-port");
    EXPECT_FALSE(driver.Open());
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_TRUE(driver.ErrorText().contains("/dev/brumex-no-such-port (COM3)"))
        << driver.ErrorText().toStdString();
    EXPECT_TRUE(driver.ErrorText().contains(QString::fromUtf8("não existe")));

    driver.Devices().SetDevice(TCommName::cnCOM3, "/dev/null");
    EXPECT_FALSE(driver.Open());
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_TRUE(driver.ErrorText().contains(QString::fromUtf8("não é uma porta serial")));
}

TEST(CommDriver, PermissionFailureNamesTheDialoutGroup)
{
    QTemporaryDir dir;
    const QString device = dir.filePath("ttyUSB0");
    const int fd = ::open(device.toLocal8Bit().constData(), O_CREAT | O_WRONLY, 0000);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ::chmod(dir.path().toLocal8Bit().constData(), 0755);
    // Root may open anything, so the check runs as an ordinary user in a child.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        TCommDriver driver;
        driver.Devices().SetDevice(TCommName::cnCOM1, device);
        const bool opened = driver.Open();
        _exit(opened ? 1 : driver.ErrorText().contains("grupo dialout") ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(CommDriverOnPty, OpensReadsAtMost64BytesAndNeverBlocks)
{
    ASSERT_TRUE(driver.Open()) << driver.ErrorText().toStdString();
    EXPECT_TRUE(driver.IsOpen());
    EXPECT_TRUE(driver.ErrorText().isEmpty());
    std::string out = "unchanged";
    EXPECT_EQ(driver.Read(out), 0);
    EXPECT_EQ(out, "unchanged");

    std::string sent(100, 'x');
    sent[0] = '$';
    sent[99] = '\n';
    ASSERT_EQ(pty.Write(sent), sent.size());
    std::string received;
    for (int attempt = 0; attempt < 200 && received.size() < sent.size(); ++attempt) {
        const int count = driver.Read(out);
        EXPECT_LE(count, TCommDriver::kReadChunk);
        if (count > 0)
            received += out;
        else
            usleep(1000);
    }
    EXPECT_EQ(received, sent) << "bytes arrive unchanged (no CR/LF translation)";
    driver.SetDTR(false);
    driver.SetRTS(true);
    EXPECT_TRUE(driver.IsOpen()) << "a pseudo-terminal without modem lines still works";
    driver.Close();
    EXPECT_FALSE(driver.IsOpen());
    driver.Close();
}

TEST_F(CommDriverOnPty, AppliesTheStoredLineSettingsAtOpen)
{
    struct Case {
        std::int32_t baud, dataBits, stopBits;
        TCommParity parity;
        speed_t speed;
        tcflag_t parityFlags;
    };
    const Case cases[] = {
        { 4800, 8, 1, TCommParity::cpNone, B4800, 0 },
        { 9600, 7, 2, TCommParity::cpEven, B9600, PARENB },
        { 115200, 8, 1, TCommParity::cpOdd, B115200, PARENB | PARODD },
        { 38400, 6, 1, TCommParity::cpMark, B38400, PARENB | PARODD | CMSPAR },
        { 57600, 5, 2, TCommParity::cpSpace, B57600, PARENB | CMSPAR },
    };
    for (const Case& c : cases) {
        driver.SetBaud(c.baud);
        driver.SetDataBits(c.dataBits);
        driver.SetStopBits(c.stopBits);
        driver.SetParity(c.parity);
        ASSERT_TRUE(driver.Open()) << driver.ErrorText().toStdString();
        const termios settings = deviceSettings();
        EXPECT_EQ(cfgetispeed(&settings), c.speed) << c.baud;
        // A pseudo-terminal forces CS8 and clears PARENB whatever is asked;
        // the parity kind still shows in PARODD and CMSPAR.
        EXPECT_EQ(settings.c_cflag & (PARODD | CMSPAR), c.parityFlags & (PARODD | CMSPAR)) << c.baud;
        EXPECT_EQ((settings.c_cflag & CSTOPB) != 0, c.stopBits == 2) << c.baud;
        EXPECT_EQ(settings.c_cflag & CRTSCTS, 0u);
        EXPECT_EQ(settings.c_iflag & (IXON | IXOFF | INPCK | ICRNL), 0u);
        EXPECT_EQ(settings.c_lflag & (ICANON | ECHO), 0u);
        driver.Close();
    }
}

TEST_F(CommDriverOnPty, NewSettingsWaitForTheNextOpen)
{
    ASSERT_TRUE(driver.Open());
    driver.SetBaud(19200);
    EXPECT_EQ(cfgetispeed(&static_cast<const termios&>(deviceSettings())), B9600);
    ASSERT_TRUE(driver.Open()) << "opening again applies the new rate";
    EXPECT_EQ(cfgetispeed(&static_cast<const termios&>(deviceSettings())), B19200);
}

TEST_F(CommDriverOnPty, SettingsThePortCannotCarryFailTheOpen)
{
    driver.SetBaud(12345);
    EXPECT_FALSE(driver.Open());
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_TRUE(driver.ErrorText().contains("12345 baud"));
    driver.SetBaud(4800);
    driver.SetDataBits(4);
    EXPECT_FALSE(driver.Open());
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_TRUE(driver.ErrorText().contains("4 bits de dados"));
}

TEST_F(CommDriverOnPty, APortInUseCannotBeOpenedTwice)
{
    ASSERT_TRUE(driver.Open());
    TCommDriver other;
    other.Devices().SetDevice(TCommName::cnCOM1, pty.SlavePath());
    EXPECT_FALSE(other.Open());
    EXPECT_FALSE(other.IsOpen());
    EXPECT_TRUE(other.ErrorText().contains(QString::fromUtf8("em uso"))) << other.ErrorText().toStdString();
    driver.Close();
    EXPECT_TRUE(other.Open());
}

TEST_F(CommDriverOnPty, NoticesADeviceThatWentAwayAndReopens)
{
    ASSERT_TRUE(driver.Open());
    std::string out;
    EXPECT_EQ(driver.Read(out), 0);
    EXPECT_FALSE(driver.DeviceLost()) << "silence is not a loss";
    pty.Close();
    EXPECT_EQ(driver.Read(out), 0);
    EXPECT_TRUE(driver.DeviceLost());
    EXPECT_FALSE(driver.Reopen()) << "the device is gone";
    EXPECT_TRUE(driver.IsOpen()) << "a failed reopen keeps the port";

    TPseudoTerminal replugged;
    ASSERT_TRUE(replugged.Open());
    driver.Devices().SetDevice(TCommName::cnCOM2, replugged.SlavePath());
    ASSERT_TRUE(driver.Reopen());
    EXPECT_FALSE(driver.DeviceLost());
    replugged.Write("$");
    for (int attempt = 0; attempt < 100 && driver.Read(out) == 0; ++attempt)
        usleep(1000);
    EXPECT_EQ(out, "$");
}
