// Platform colours ($00BBGGRR; negative values are system colours) and their
// texts in the environment document: colour names or "$" with eight
// hexadecimal digits.
#pragma once

#include "geo/GlobeTypes.h"

#include <QColor>
#include <string>
#include <string_view>

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clWhite = 0xFFFFFF;

// A system colour becomes the RGB value it stands for; others are unchanged.
TColor ColorToRGB(TColor color);
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);
// The colour's name ("clBlack") or "$" and eight hexadecimal digits.
std::string ColorToString(TColor color);
// A name (any letter case) or a number, "$" marking hexadecimal. Anything
// else raises EGlobeException.
TColor StringToColor(std::string_view text);
