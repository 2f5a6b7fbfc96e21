#include "gps/CommDriver.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

struct BaudCode {
    std::int32_t baud;
    speed_t code;
};

constexpr BaudCode kBaudCodes[] = {
    { 50, B50 },
    { 75, B75 },
    { 110, B110 },
    { 134, B134 },
    { 150, B150 },
    { 200, B200 },
    { 300, B300 },
    { 600, B600 },
    { 1200, B1200 },
    { 1800, B1800 },
    { 2400, B2400 },
    { 4800, B4800 },
    { 9600, B9600 },
    { 19200, B19200 },
    { 38400, B38400 },
    { 57600, B57600 },
    { 115200, B115200 },
    { 230400, B230400 },
    { 460800, B460800 },
    { 500000, B500000 },
    { 576000, B576000 },
    { 921600, B921600 },
    { 1000000, B1000000 },
    { 1152000, B1152000 },
    { 1500000, B1500000 },
    { 2000000, B2000000 },
};

bool baudCode(std::int32_t baud, speed_t& code)
{
    for (const BaudCode& entry : kBaudCodes)
        if (entry.baud == baud) {
            code = entry.code;
            return true;
        }
    return false;
}

bool characterSize(std::int32_t dataBits, tcflag_t& size)
{
    switch (dataBits) {
    case 5:
        size = CS5;
        return true;
    case 6:
        size = CS6;
        return true;
    case 7:
        size = CS7;
        return true;
    case 8:
        size = CS8;
        return true;
    default:
        return false;
    }
}

tcflag_t parityFlags(TCommParity parity)
{
    switch (parity) {
    case TCommParity::cpNone:
        return 0;
    case TCommParity::cpOdd:
        return PARENB | PARODD;
    case TCommParity::cpEven:
        return PARENB;
    case TCommParity::cpMark:
        return PARENB | CMSPAR | PARODD;
    case TCommParity::cpSpace:
        return PARENB | CMSPAR;
    }
    return 0;
}

QString portLabel(const QString& device, TCommName port)
{
    return QStringLiteral("%1 (%2)").arg(device, commPortName(port));
}

QString openFailureText(int error, const QString& device, TCommName port)
{
    const QString label = portLabel(device, port);
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("Sem permissão para abrir a porta %1. No Linux, o usuário precisa pertencer "
                              "ao grupo dialout: execute \"sudo usermod -aG dialout $USER\" e entre de "
                              "novo na sessão.")
            .arg(label);
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return QStringLiteral("A porta %1 não existe. Verifique se o receptor GPS está conectado e qual "
                              "dispositivo as configurações associam a %2.")
            .arg(label, commPortName(port));
    case EBUSY:
        return QStringLiteral("A porta %1 está em uso por outro programa.").arg(label);
    default:
        return QStringLiteral("Não foi possível abrir a porta %1: %2.")
            .arg(label, QString::fromLocal8Bit(std::strerror(error)));
    }
}

} // namespace

QString commPortName(TCommName port)
{
    return QStringLiteral("COM%1").arg(static_cast<int>(port) + 1);
}

QString defaultCommDevice(TCommName port)
{
    static const char* const kDevices[kCommPortCount]
        = { "/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS1" };
    return QString::fromLatin1(kDevices[static_cast<int>(port)]);
}

TCommDeviceMap::TCommDeviceMap()
{
    for (int i = 0; i < kCommPortCount; ++i)
        devices_[i] = defaultCommDevice(static_cast<TCommName>(i));
}

QString TCommDeviceMap::Device(TCommName port) const
{
    return devices_[static_cast<int>(port)];
}

void TCommDeviceMap::SetDevice(TCommName port, const QString& devicePath)
{
    devices_[static_cast<int>(port)] = devicePath;
}

TCommDriver::~TCommDriver()
{
    Close();
}

bool TCommDriver::Open()
{
    Close();
    return Reopen();
}

bool TCommDriver::Reopen()
{
    const int fd = openConfigured();
    if (fd < 0)
        return false;
    Close();
    handle_ = fd;
    deviceLost_ = false;
    setModemLine(TIOCM_DTR, true);
    return true;
}

int TCommDriver::openConfigured()
{
    errorText_.clear();
    const QString device = devices_.Device(port_);
    if (device.isEmpty()) {
        errorText_ = QStringLiteral("Nenhum dispositivo está associado à porta %1 nas configurações.")
                         .arg(commPortName(port_));
        return -1;
    }
    const int fd
        = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        errorText_ = openFailureText(errno, device, port_);
        return -1;
    }
    // Another program reading the same receiver would steal half its bytes.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        errorText_ = openFailureText(EBUSY, device, port_);
        ::close(fd);
        return -1;
    }
    ::ioctl(fd, TIOCEXCL);
    if (!configure(fd, device)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool TCommDriver::configure(int fd, const QString& device)
{
    const QString label = portLabel(device, port_);
    termios settings {};
    if (::tcgetattr(fd, &settings) != 0) {
        errorText_ = QStringLiteral("O dispositivo %1 não é uma porta serial.").arg(label);
        return false;
    }
    speed_t speed = B0;
    if (!baudCode(baud_, speed)) {
        errorText_ = QStringLiteral("A porta %1 não aceita a velocidade de %2 baud.").arg(label).arg(baud_);
        return false;
    }
    tcflag_t size = CS8;
    if (!characterSize(dataBits_, size)) {
        errorText_ = QStringLiteral("A porta %1 não aceita %2 bits de dados.").arg(label).arg(dataBits_);
        return false;
    }
    // Binary input, no handshake, no flow control, no parity check: settings
    // not named here keep what the device reported.
    settings.c_iflag
        &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    settings.c_oflag &= ~OPOST;
    settings.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    settings.c_cflag |= CLOCAL | CREAD | size | parityFlags(parity_) | (stopBits_ == 2 ? CSTOPB : 0);
    settings.c_cc[VSTART] = 0x11;
    settings.c_cc[VSTOP] = 0x13;
    // With O_NONBLOCK a read takes what has arrived and fails with EAGAIN
    // when nothing has; a read of 0 then means the device hung up.
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    ::cfsetispeed(&settings, speed);
    ::cfsetospeed(&settings, speed);
    if (::tcsetattr(fd, TCSANOW, &settings) != 0) {
        errorText_ = QStringLiteral("A porta %1 recusou a configuração: %2.")
                         .arg(label, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

void TCommDriver::Close()
{
    if (handle_ < 0)
        return;
    ::close(std::exchange(handle_, -1));
}

int TCommDriver::Read(std::string& out)
{
    if (handle_ < 0)
        return 0;
    char buffer[kReadChunk];
    const ssize_t count = ::read(handle_, buffer, sizeof buffer);
    // End of file or an I/O error: the device hung up (unplugged, or the
    // other side of a pseudo-terminal closed). Silence is EAGAIN.
    if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR))
        deviceLost_ = true;
    if (count <= 0)
        return 0;
    out.assign(buffer, static_cast<std::size_t>(count));
    return static_cast<int>(count);
}

void TCommDriver::SetDataBits(std::int32_t bits)
{
    if (bits >= 4 && bits <= 8)
        dataBits_ = bits;
}

void TCommDriver::SetStopBits(std::int32_t bits)
{
    if (bits == 1 || bits == 2)
        stopBits_ = bits;
}

void TCommDriver::SetDTR(bool raised)
{
    setModemLine(TIOCM_DTR, raised);
}

void TCommDriver::SetRTS(bool raised)
{
    setModemLine(TIOCM_RTS, raised);
}

// Devices without modem lines (pseudo-terminals, some USB adapters) refuse
// this; the port works without them, so the refusal is ignored.
void TCommDriver::setModemLine(int line, bool raised)
{
    if (handle_ < 0)
        return;
    ::ioctl(handle_, raised ? TIOCMBIS : TIOCMBIC, &line);
}
