#include "app/Settings.h"

#include "app/AppPaths.h"
#include "app/FormBrumex.h"
#include "app/FormConfig.h"
#include "app/MapTool.h"
#include "app/Vars.h"
#include "survey/SurveyState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <cmath>
#include <optional>

namespace {

// Returns the stored value, writing `whenMissing` first when there is none.
QVariant Stored(QSettings& s, const QString& name, const QVariant& whenMissing)
{
    if (!s.contains(name))
        s.setValue(name, whenMissing);
    return s.value(name);
}

// Lists in the settings file (a hand-edited comma) are not single values.
bool IsSingle(const QVariant& v)
{
    return v.typeId() != QMetaType::QStringList && v.canConvert<QString>();
}

std::optional<int> ToInt(const QVariant& v)
{
    bool ok = false;
    const int value = IsSingle(v) ? v.toString().trimmed().toInt(&ok) : 0;
    return ok ? std::optional(value) : std::nullopt;
}

std::optional<bool> ToBool(const QVariant& v)
{
    if (!IsSingle(v))
        return std::nullopt;
    const QString text = v.toString().trimmed().toLower();
    if (text == QLatin1String("true"))
        return true;
    if (text == QLatin1String("false"))
        return false;
    if (const std::optional<int> number = ToInt(v))
        return *number != 0;
    return std::nullopt;
}

std::optional<double> ToDouble(const QVariant& v)
{
    bool ok = false;
    const double value = IsSingle(v) ? QLocale::c().toDouble(v.toString().trimmed(), &ok) : 0;
    return ok && std::isfinite(value) ? std::optional(value) : std::nullopt;
}

int ReadInt(QSettings& s, const QString& name, int whenMissing, int whenUnreadable)
{
    return ToInt(Stored(s, name, whenMissing)).value_or(whenUnreadable);
}

// An item index or track bar position; one outside [min, max] is unreadable.
int ReadInRange(QSettings& s, const QString& name, int whenMissing, int whenUnreadable, int min, int max)
{
    const int value = ReadInt(s, name, whenMissing, whenUnreadable);
    return value >= min && value <= max ? value : whenUnreadable;
}

bool ReadBool(QSettings& s, const QString& name, bool whenMissing, bool whenUnreadable)
{
    return ToBool(Stored(s, name, whenMissing)).value_or(whenUnreadable);
}

// Text values; an empty text counts as unreadable.
QString ReadText(QSettings& s, const QString& name, const QString& whenMissing, const QString& whenUnreadable)
{
    const QVariant v = Stored(s, name, whenMissing);
    const QString text = IsSingle(v) ? v.toString() : QString();
    return text.isEmpty() ? whenUnreadable : text;
}

[[noreturn]] void Unreadable(const QSettings& s, const QString& name)
{
    throw ESettingsError(QStringLiteral("O valor \"%1\" das configurações em %2 não pôde ser lido: \"%3\".")
                             .arg(name, s.fileName(), s.value(name).toString())
                             .toStdString());
}

// Odometer values have no fallback: a reading the user relies on is not
// replaced by a guess.
double StrictDouble(QSettings& s, const QString& name)
{
    if (const std::optional<double> value = ToDouble(Stored(s, name, 0.0)))
        return *value;
    Unreadable(s, name);
}

bool StrictBool(QSettings& s, const QString& name)
{
    if (const std::optional<bool> value = ToBool(Stored(s, name, false)))
        return *value;
    Unreadable(s, name);
}

QString DeviceName(int comIndex)
{
    return QStringLiteral("Disp") + TFormConfig::PortName(comIndex);
}

void LoadConnection(QSettings& s, TFormConfig& config)
{
    const bool serial = ReadBool(s, QStringLiteral("GPSSerial"), true, true);
    (serial ? config.RBSerial : config.RBEthernet)->setChecked(true);
    config.ShowConnectionGroup(config.RBSerial->isChecked());
    config.EdIPGPS->setText(
        ReadText(s, QStringLiteral("IPGPS"), QLatin1String(DefaultIPGPS), QLatin1String(DefaultIPGPS)));
    config.EdPortGPS->setText(QString::number(ReadInRange(s, QStringLiteral("PtGPS"), 23, 23, 0, 65535)));
}

void LoadSerialPort(QSettings& s, TFormConfig& config)
{
    for (int i = 0; i < TFormConfig::PortCount; ++i) {
        const QString device = TFormConfig::DefaultDevice(i);
        config.SetDevice(i, ReadText(s, DeviceName(i), device, device));
    }
    const QString port
        = ReadText(s, QStringLiteral("PortGPS"), QStringLiteral("COM1"), QStringLiteral("COM1"));
    config.CBPortGPS->setCurrentIndex(std::max(0, TFormConfig::ComIndex(port)));
}

void LoadGraticule(QSettings& s, TFormBrumex& brumex)
{
    // The step handlers run once each, whether or not the text changed.
    {
        const QSignalBlocker blockLon(brumex.EditLon);
        brumex.EditLon->setText(QString::number(ReadInt(s, QStringLiteral("EspLon"), 15, 15)));
    }
    brumex.MapTool->EditLonChange();
    {
        const QSignalBlocker blockLat(brumex.EditLat);
        brumex.EditLat->setText(QString::number(ReadInt(s, QStringLiteral("EspLat"), 15, 15)));
    }
    brumex.MapTool->EditLatChange();
    brumex.CheckBoxSobreporLinhas->setChecked(ReadBool(s, QStringLiteral("Sobrepor"), false, false));
    brumex.MapTool->CheckBoxSobreporLinhasClick();
    const bool shadow = ReadBool(s, QStringLiteral("SombraNoite"), false, false);
    (shadow ? brumex.SpeedButtonComSombra : brumex.SpeedButtonSemSombra)->setChecked(true);
    if (brumex.SpeedButtonComSombra->isChecked())
        brumex.MapTool->SpeedButtonComSombraClick();
    else
        brumex.MapTool->SpeedButtonSemSombraClick();
}

void LoadFiles(QSettings& s)
{
    const auto folder = [&s](const char* name, const char* byDefault) {
        return ReadText(s, QLatin1String(name), QLatin1String(byDefault), QLatin1String(byDefault));
    };
    Vars.DirCartasBMP = folder("DirCartasBMP", DefaultDirCartasBMP);
    Vars.DirLayers = folder("DirLayers", DefaultDirLayers);
    Vars.DirWayPoints = folder("DirWayPoints", DefaultDirWayPoints);
    Vars.DirRotas = folder("DirRotas", DefaultDirRotas);
    Vars.ArqEnv = ReadText(s, QStringLiteral("ArqEnv"), DefaultArqEnv(), DefaultArqEnv());
    Vars.AnimarGlobo = ReadBool(s, QStringLiteral("AnimarGlobo"), true, true);
}

void LoadOdometers(QSettings& s)
{
    Survey.O1 = StrictDouble(s, QStringLiteral("O1"));
    Survey.O2 = StrictDouble(s, QStringLiteral("O2"));
    Survey.O3 = StrictDouble(s, QStringLiteral("O3"));
    Survey.R1 = StrictBool(s, QStringLiteral("R1"));
    Survey.R2 = StrictBool(s, QStringLiteral("R2"));
    Survey.R3 = StrictBool(s, QStringLiteral("R3"));
    Survey.L1 = StrictBool(s, QStringLiteral("L1"));
    Survey.L2 = StrictBool(s, QStringLiteral("L2"));
    Survey.L3 = StrictBool(s, QStringLiteral("L3"));
}

std::optional<int> FieldInt(const QLineEdit* edit)
{
    return ToInt(edit->text());
}

} // namespace

std::unique_ptr<QSettings> OpenSettings()
{
    auto settings = std::make_unique<QSettings>(
        QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Morvenko"), QStringLiteral("Brumex"));
    settings->beginGroup(QStringLiteral("Conf"));
    return settings;
}

QString DefaultArqEnv()
{
    return TAppPaths::DataFile(QStringLiteral("GlEnv"));
}

bool LoadSettings(TFormConfig& config, TFormBrumex& brumex)
{
    std::unique_ptr<QSettings> settings = OpenSettings();
    QSettings& s = *settings;
    if (s.status() != QSettings::NoError)
        return false;

    config.CbUnMed->setCurrentIndex(
        ReadInRange(s, QStringLiteral("UnMed"), 0, 0, 0, config.CbUnMed->count() - 1));
    LoadConnection(s, config);
    config.EdDistCheg->setText(QString::number(ReadInt(s, QStringLiteral("DistCheg"), 20, 20)));
    config.CBFormCoord->setCurrentIndex(
        ReadInRange(s, QStringLiteral("FormCoord"), 0, 1, 0, config.CBFormCoord->count() - 1));
    brumex.TBEscWaypt->setValue(ReadInRange(
        s, QStringLiteral("EscWaypt"), 35, 35, brumex.TBEscWaypt->minimum(), brumex.TBEscWaypt->maximum()));
    LoadSerialPort(s, config);
    LoadGraticule(s, brumex);
    LoadFiles(s);
    LoadOdometers(s);
    return true;
}

QStringList SaveSettings(const TFormConfig& config, const TFormBrumex& brumex)
{
    std::unique_ptr<QSettings> settings = OpenSettings();
    QSettings& s = *settings;
    const QString notSaved
        = QStringLiteral("Não foi possível gravar as configurações em %1.").arg(s.fileName());
    if (s.status() != QSettings::NoError || !s.isWritable())
        return { notSaved };

    QStringList problems;
    s.setValue(QStringLiteral("UnMed"), config.CbUnMed->currentIndex());
    s.setValue(QStringLiteral("GPSSerial"), config.RBSerial->isChecked());
    s.setValue(QStringLiteral("IPGPS"), config.EdIPGPS->text());
    if (const std::optional<int> port = FieldInt(config.EdPortGPS))
        s.setValue(QStringLiteral("PtGPS"), *port);
    else
        problems << QStringLiteral(
            "A porta do GPS \"%1\" não é um número; a porta gravada antes foi mantida.")
                        .arg(config.EdPortGPS->text());
    s.setValue(QStringLiteral("FormCoord"), config.CBFormCoord->currentIndex());
    s.setValue(QStringLiteral("DistCheg"), FieldInt(config.EdDistCheg).value_or(20));
    s.setValue(QStringLiteral("EscWaypt"), brumex.TBEscWaypt->value());
    s.setValue(QStringLiteral("PortGPS"), config.CBPortGPS->currentText());
    for (int i = 0; i < TFormConfig::PortCount; ++i)
        s.setValue(DeviceName(i), config.Device(i));
    s.setValue(QStringLiteral("EspLon"), FieldInt(brumex.EditLon).value_or(0));
    s.setValue(QStringLiteral("EspLat"), FieldInt(brumex.EditLat).value_or(0));
    s.setValue(QStringLiteral("Sobrepor"), brumex.CheckBoxSobreporLinhas->isChecked());
    s.setValue(QStringLiteral("SombraNoite"), brumex.SpeedButtonComSombra->isChecked());
    s.setValue(QStringLiteral("DirCartasBMP"), Vars.DirCartasBMP);
    s.setValue(QStringLiteral("DirLayers"), Vars.DirLayers);
    s.setValue(QStringLiteral("DirWayPoints"), Vars.DirWayPoints);
    s.setValue(QStringLiteral("DirRotas"), Vars.DirRotas);
    s.setValue(QStringLiteral("ArqEnv"), Vars.ArqEnv);
    s.setValue(QStringLiteral("AnimarGlobo"), Vars.AnimarGlobo);
    s.setValue(QStringLiteral("O1"), Survey.O1);
    s.setValue(QStringLiteral("O2"), Survey.O2);
    s.setValue(QStringLiteral("O3"), Survey.O3);
    s.setValue(QStringLiteral("R1"), Survey.R1);
    s.setValue(QStringLiteral("R2"), Survey.R2);
    s.setValue(QStringLiteral("R3"), Survey.R3);
    s.setValue(QStringLiteral("L1"), Survey.L1);
    s.setValue(QStringLiteral("L2"), Survey.L2);
    s.setValue(QStringLiteral("L3"), Survey.L3);
    s.sync();
    if (s.status() != QSettings::NoError)
        problems << notSaved;
    return problems;
}
