// The settings store: the values of the "Conf" group of the user's settings
// (organisation "Morvenko", application "Brumex"), loaded into the settings
// dialog, some main window controls and the shared variables at the first
// activation, and written back when the program closes.
#pragma once

#include <QStringList>
#include <memory>
#include <stdexcept>

class QSettings;
class TFormBrumex;
class TFormConfig;

// A stored value that has no fallback cannot be read. The program ends
// without writing anything, so the user can mend the value.
class ESettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The settings, with the "Conf" group begun.
std::unique_ptr<QSettings> OpenSettings();

// Default folders, relative to the per-user data folder.
inline constexpr const char* DefaultDirCartasBMP = "Cartas/";
inline constexpr const char* DefaultDirLayers = "Layers/";
inline constexpr const char* DefaultDirWayPoints = "WayPoints/";
inline constexpr const char* DefaultDirRotas = "Rotas/";
inline constexpr const char* DefaultIPGPS = "192.168.0.10";
QString DefaultArqEnv();

// Writes the default of every missing value, then puts each value into its
// control or shared variable. Returns false when the store cannot be opened
// (nothing is loaded). Throws ESettingsError for an unreadable odometer value.
bool LoadSettings(TFormConfig& config, TFormBrumex& brumex);

// Writes every value. Returns what the user should be told: a value that could
// not be written (the stored one is kept) or a store that could not be written.
QStringList SaveSettings(const TFormConfig& config, const TFormBrumex& brumex);
