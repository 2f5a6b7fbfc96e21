#include "app/FormConfig.h"

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QLineEdit* NumberEdit(const char* name, int max, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setValidator(new QIntValidator(0, max, edit));
    edit->setMaximumWidth(80);
    return edit;
}

QFrame* Bevel(const char* name, QWidget* parent)
{
    auto* bevel = new QFrame(parent);
    bevel->setObjectName(QLatin1String(name));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    return bevel;
}

} // namespace

TFormConfig::TFormConfig(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormConfig"));
    setWindowTitle(QStringLiteral("Brumex - Configuração"));
    setFixedSize(389, 317);
    for (int i = 0; i < PortCount; ++i)
        m_devices[i] = DefaultDevice(i);

    PageControlConfig = new QTabWidget(this);
    PageControlConfig->setObjectName(QStringLiteral("PageControlConfig"));
    // Tabs drawn as buttons.
    PageControlConfig->setDocumentMode(true);
    PageControlConfig->tabBar()->setDrawBase(false);
    PageControlConfig->setStyleSheet(QStringLiteral(
        "QTabBar::tab { border: 1px solid palette(mid); border-radius: 3px; padding: 3px 14px; margin: 3px; "
        "background: palette(button); }"
        "QTabBar::tab:selected { background: palette(midlight); border-color: palette(dark); }"));
    PageControlConfig->addTab(CreateGloboTab(), QStringLiteral("Globo"));
    PageControlConfig->addTab(CreateGpsTab(), QStringLiteral("GPS"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(PageControlConfig);

    ShowConnectionGroup(true);
}

QWidget* TFormConfig::CreateGloboTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("TabSheetGlobo"));

    CbUnMed = new QComboBox(tab);
    CbUnMed->setObjectName(QStringLiteral("CbUnMed"));
    CbUnMed->addItems({ QStringLiteral("Métricas (m , km/h)"), QStringLiteral("Terrestres (mi , mi/h)"),
        QStringLiteral("Náuticas(nm , kt)") });

    CBFormCoord = new QComboBox(tab);
    CBFormCoord->setObjectName(QStringLiteral("CBFormCoord"));
    CBFormCoord->addItems({ QStringLiteral("ddd°mm.mmm’;"), QStringLiteral("ddd°mm’ss.s\";"),
        QStringLiteral("ddd°mm’ss\"tt;") });

    EdDistCheg = NumberEdit("EdDistCheg", 99999999, tab);
    EdDistCheg->setText(QStringLiteral("20"));

    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(new QLabel(QStringLiteral("Unidades de medida:"), tab));
    layout->addWidget(CbUnMed);
    layout->addSpacing(8);
    layout->addWidget(new QLabel(QStringLiteral("Formato das coordenadas"), tab));
    layout->addWidget(CBFormCoord);
    layout->addSpacing(8);
    layout->addWidget(new QLabel(QStringLiteral("Distância (metros) para considerar que um"), tab));
    layout->addWidget(new QLabel(QStringLiteral("waypoint foi atingido"), tab));
    layout->addWidget(EdDistCheg);
    layout->addStretch();
    return tab;
}

QWidget* TFormConfig::CreateGpsTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("TabSheetGPS"));

    RBSerial = new QRadioButton(QStringLiteral("Serial"), tab);
    RBSerial->setObjectName(QStringLiteral("RBSerial"));
    RBSerial->setChecked(true);
    RBEthernet = new QRadioButton(QStringLiteral("Ethernet"), tab);
    RBEthernet->setObjectName(QStringLiteral("RBEthernet"));
    BevelSerial = Bevel("BevelSerial", tab);
    BevelEther = Bevel("BevelEther", tab);

    auto* choice = new QGridLayout;
    choice->addWidget(RBSerial, 0, 0);
    choice->addWidget(RBEthernet, 0, 1);
    choice->addWidget(BevelSerial, 1, 0);
    choice->addWidget(BevelEther, 1, 1);

    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(new QLabel(QStringLiteral("Tipo de comunicação"), tab));
    layout->addLayout(choice);
    layout->addWidget(CreateSerialGroup());
    layout->addWidget(CreateEtherGroup());
    layout->addStretch();

    connect(RBSerial, &QRadioButton::toggled, this, [this](bool checked) { ShowConnectionGroup(checked); });
    return tab;
}

QGroupBox* TFormConfig::CreateSerialGroup()
{
    GBSerial = new QGroupBox;
    GBSerial->setObjectName(QStringLiteral("GBSerial"));

    CBPortGPS = new QComboBox(GBSerial);
    CBPortGPS->setObjectName(QStringLiteral("CBPortGPS"));
    for (int i = 0; i < PortCount; ++i)
        CBPortGPS->addItem(PortName(i));

    EdDispGPS = new QLineEdit(m_devices[0], GBSerial);
    EdDispGPS->setObjectName(QStringLiteral("EdDispGPS"));
    EdDispGPS->setToolTip(QStringLiteral("Dispositivo aberto pela porta escolhida"));

    ComboBox1 = new QComboBox(GBSerial);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems(
        { QStringLiteral("2400"), QStringLiteral("4800"), QStringLiteral("9600"), QStringLiteral("19200") });
    ComboBox1->setCurrentText(QStringLiteral("4800"));

    auto* form = new QFormLayout(GBSerial);
    form->addRow(QStringLiteral("Porta (COM) do GPS"), CBPortGPS);
    form->addRow(QStringLiteral("Dispositivo"), EdDispGPS);
    form->addRow(QStringLiteral("Velocidade (Baud) do GPS"), ComboBox1);

    connect(CBPortGPS, &QComboBox::currentIndexChanged, this, &TFormConfig::CBPortGPSChange);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TFormConfig::CBPortGPSChange);
    connect(EdDispGPS, &QLineEdit::textEdited, this, &TFormConfig::EdDispGPSChange);
    return GBSerial;
}

QGroupBox* TFormConfig::CreateEtherGroup()
{
    GBEther = new QGroupBox;
    GBEther->setObjectName(QStringLiteral("GBEther"));

    EdIPGPS = new QLineEdit(GBEther);
    EdIPGPS->setObjectName(QStringLiteral("EdIPGPS"));
    EdPortGPS = NumberEdit("EdPortGPS", 65535, GBEther);
    EdPortGPS->setText(QStringLiteral("23"));

    auto* form = new QFormLayout(GBEther);
    form->addRow(QStringLiteral("End IP do GPS"), EdIPGPS);
    form->addRow(QStringLiteral("Porta do GPS"), EdPortGPS);

    connect(EdIPGPS, &QLineEdit::textChanged, this, &TFormConfig::EdIPGPSChange);
    connect(EdPortGPS, &QLineEdit::textChanged, this, &TFormConfig::EdIPGPSChange);
    return GBEther;
}

QString TFormConfig::PortName(int comIndex)
{
    return QStringLiteral("COM%1").arg(comIndex + 1);
}

int TFormConfig::ComIndex(const QString& portName)
{
    for (int i = 0; i < PortCount; ++i) {
        if (portName == PortName(i))
            return i;
    }
    return -1;
}

QString TFormConfig::DefaultDevice(int comIndex)
{
    static const char* const devices[PortCount]
        = { "/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS1" };
    return QLatin1String(devices[comIndex]);
}

QString TFormConfig::Device(int comIndex) const
{
    return m_devices.at(comIndex);
}

void TFormConfig::SetDevice(int comIndex, const QString& device)
{
    m_devices.at(comIndex) = device;
    if (comIndex == CBPortGPS->currentIndex())
        EdDispGPS->setText(device);
}

void TFormConfig::SetInputStateQueries(
    std::function<bool()> serialActive, std::function<bool()> networkConnected)
{
    m_serialActive = std::move(serialActive);
    m_networkConnected = std::move(networkConnected);
}

void TFormConfig::ShowConnectionGroup(bool serial)
{
    BevelSerial->setVisible(serial);
    GBSerial->setVisible(serial);
    BevelEther->setVisible(!serial);
    GBEther->setVisible(!serial);
}

void TFormConfig::ApplySerialPort()
{
    const int comIndex = ComIndex(CBPortGPS->currentText());
    if (comIndex >= 0)
        emit SerialPortChosen(comIndex, m_devices[comIndex]);
}

void TFormConfig::ApplyNetworkAddress()
{
    bool ok = false;
    const int port = EdPortGPS->text().toInt(&ok);
    if (ok)
        emit NetworkAddressChosen(EdIPGPS->text(), port);
}

void TFormConfig::showEvent(QShowEvent* event)
{
    FormActivate();
    QDialog::showEvent(event);
}

void TFormConfig::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
    QDialog::changeEvent(event);
}

void TFormConfig::FormActivate()
{
    CBPortGPS->setEnabled(!SerialActive());
    EdDispGPS->setEnabled(!SerialActive());
    EdIPGPS->setEnabled(!NetworkConnected());
    EdPortGPS->setEnabled(!NetworkConnected());
}

void TFormConfig::CBPortGPSChange()
{
    const int comIndex = CBPortGPS->currentIndex();
    if (comIndex >= 0)
        EdDispGPS->setText(m_devices[comIndex]);
    if (!SerialActive())
        ApplySerialPort();
}

void TFormConfig::EdDispGPSChange()
{
    const int comIndex = CBPortGPS->currentIndex();
    if (comIndex < 0)
        return;
    m_devices[comIndex] = EdDispGPS->text();
    if (!SerialActive())
        ApplySerialPort();
}

void TFormConfig::EdIPGPSChange()
{
    if (!NetworkConnected())
        ApplyNetworkAddress();
}
