// Windows-1252 text at the user-interface boundary. Files and the library keep
// 8-bit text in std::string byte for byte; widgets speak QString.
#pragma once

#include <QString>
#include <string>
#include <string_view>

// Every byte maps to a character; the five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value, so a
// round trip keeps every byte.
QString fromCp1252(std::string_view bytes);

// Characters Windows-1252 cannot hold become '?'.
std::string toCp1252(const QString& text);
