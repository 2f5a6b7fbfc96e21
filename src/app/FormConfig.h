// The settings dialog. It has no OK or Cancel button: its controls are the
// live settings that the other windows read at the moment of use, and they are
// stored when the program closes.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

class QComboBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QTabWidget;

class TFormConfig : public QDialog {
    Q_OBJECT
public:
    explicit TFormConfig(QWidget* parent = nullptr);

    // Serial port names "COM1".."COM4" and the device each one opens.
    static constexpr int PortCount = 4;
    static QString PortName(int comIndex);
    static int ComIndex(const QString& portName); // -1 for any other text
    static QString DefaultDevice(int comIndex);
    QString Device(int comIndex) const;
    void SetDevice(int comIndex, const QString& device);

    // The dialog asks the main window's position inputs whether they are in
    // use; fields of an input in use are disabled and its changes held back.
    // Without queries both inputs count as closed.
    void SetInputStateQueries(std::function<bool()> serialActive, std::function<bool()> networkConnected);

    // Hand the chosen port or network address to the position inputs, whether
    // or not they are in use (the first activation of the main window).
    void ApplySerialPort();
    void ApplyNetworkAddress();

    // Show the group of the chosen connection, hide the other's.
    void ShowConnectionGroup(bool serial);

    QTabWidget* PageControlConfig;
    // Tab "Globo".
    QComboBox* CbUnMed;
    QComboBox* CBFormCoord;
    QLineEdit* EdDistCheg;
    // Tab "GPS".
    QRadioButton* RBSerial;
    QRadioButton* RBEthernet;
    QFrame* BevelSerial;
    QFrame* BevelEther;
    QGroupBox* GBSerial;
    QComboBox* CBPortGPS;
    QLineEdit* EdDispGPS;
    QComboBox* ComboBox1;
    QGroupBox* GBEther;
    QLineEdit* EdIPGPS;
    QLineEdit* EdPortGPS;

signals:
    // The serial receiver's port: comIndex 0..3 for "COM1".."COM4".
    void SerialPortChosen(int comIndex, const QString& device);
    // The network position feed's host and port.
    void NetworkAddressChosen(const QString& host, int port);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* CreateGloboTab();
    QWidget* CreateGpsTab();
    QGroupBox* CreateSerialGroup();
    QGroupBox* CreateEtherGroup();

    bool SerialActive() const { return m_serialActive && m_serialActive(); }
    bool NetworkConnected() const { return m_networkConnected && m_networkConnected(); }
    void FormActivate();
    void CBPortGPSChange();
    void EdDispGPSChange();
    void EdIPGPSChange();

    std::array<QString, PortCount> m_devices;
    std::function<bool()> m_serialActive;
    std::function<bool()> m_networkConnected;
};
