// The read-only serial port driver the NMEA receiver polls. It opens one of
// four named ports, applies the stored line settings and hands back whatever
// bytes have already arrived, never blocking its caller.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <string>

enum class TCommParity : std::uint8_t { cpNone, cpOdd, cpEven, cpMark, cpSpace };
enum class TCommName : std::uint8_t { cnCOM1, cnCOM2, cnCOM3, cnCOM4 };

inline constexpr int kCommPortCount = 4;

// "COM1".."COM4".
QString commPortName(TCommName port);

// The device each port name opens unless the settings say otherwise.
QString defaultCommDevice(TCommName port);

// Which device file each of the four port names opens. The application fills
// it from its settings; the defaults suit a USB receiver on COM1.
class TCommDeviceMap {
public:
    TCommDeviceMap();
    QString Device(TCommName port) const;
    void SetDevice(TCommName port, const QString& devicePath);

private:
    std::array<QString, kCommPortCount> devices_;
};

class TCommDriver {
public:
    static constexpr int kReadChunk = 64;

    TCommDriver() = default;
    ~TCommDriver();
    TCommDriver(const TCommDriver&) = delete;
    TCommDriver& operator=(const TCommDriver&) = delete;

    // Opens and configures the port; an open port is closed first so the
    // current settings take effect. On failure the driver stays closed and
    // ErrorText() says why in words a user can act on.
    bool Open();
    void Close();
    bool IsOpen() const { return handle_ >= 0; }

    // True once a read found the device gone (a USB receiver unplugged). The
    // port stays open, and silent, until Reopen finds the device again.
    bool DeviceLost() const { return deviceLost_; }
    // Opens the device anew and, only when that works, replaces the handle.
    bool Reopen();

    // At most kReadChunk bytes that have already arrived. Returns their count;
    // out is replaced only when the count is positive.
    int Read(std::string& out);

    void SetDTR(bool raised);
    void SetRTS(bool raised);

    void SetBaud(std::int32_t baud) { baud_ = baud; }
    void SetDataBits(std::int32_t bits);
    void SetStopBits(std::int32_t bits);
    void SetParity(TCommParity parity) { parity_ = parity; }
    void SetPort(TCommName port) { port_ = port; }

    std::int32_t Baud() const { return baud_; }
    std::int32_t DataBits() const { return dataBits_; }
    std::int32_t StopBits() const { return stopBits_; }
    TCommParity Parity() const { return parity_; }
    TCommName Port() const { return port_; }

    TCommDeviceMap& Devices() { return devices_; }
    const TCommDeviceMap& Devices() const { return devices_; }

    // The reason the last Open failed (empty after a successful one).
    const QString& ErrorText() const { return errorText_; }

private:
    // A handle to the configured device, or -1 with ErrorText() set.
    int openConfigured();
    bool configure(int fd, const QString& device);
    void setModemLine(int line, bool raised);

    std::int32_t baud_ = 9600;
    std::int32_t dataBits_ = 8;
    std::int32_t stopBits_ = 1;
    TCommParity parity_ = TCommParity::cpNone;
    int handle_ = -1;
    bool deviceLost_ = false;
    TCommName port_ = TCommName::cnCOM1;
    TCommDeviceMap devices_;
    QString errorText_;
};
