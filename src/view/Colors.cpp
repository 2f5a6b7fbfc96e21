#include "view/Colors.h"

#include "geo/GlobeUnits.h"
#include "platform/GlobeException.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace {

struct NamedColor {
    TColor value;
    const char* name;
};

constexpr TColor SYSTEM = static_cast<TColor>(0xFF000000);

constexpr std::array<NamedColor, 46> COLOR_NAMES { {
    { clBlack, "clBlack" },
    { 0x000080, "clMaroon" },
    { 0x008000, "clGreen" },
    { 0x008080, "clOlive" },
    { 0x800000, "clNavy" },
    { 0x800080, "clPurple" },
    { 0x808000, "clTeal" },
    { clGray, "clGray" },
    { clSilver, "clSilver" },
    { clRed, "clRed" },
    { 0x00FF00, "clLime" },
    { clYellow, "clYellow" },
    { 0xFF0000, "clBlue" },
    { 0xFF00FF, "clFuchsia" },
    { 0xFFFF00, "clAqua" },
    { clWhite, "clWhite" },
    { 0xC0DCC0, "clMoneyGreen" },
    { 0xF0CAA6, "clSkyBlue" },
    { 0xF0FBFF, "clCream" },
    { 0xA4A0A0, "clMedGray" },
    { SYSTEM | 0, "clScrollBar" },
    { SYSTEM | 1, "clBackground" },
    { SYSTEM | 2, "clActiveCaption" },
    { SYSTEM | 3, "clInactiveCaption" },
    { SYSTEM | 4, "clMenu" },
    { SYSTEM | 5, "clWindow" },
    { SYSTEM | 6, "clWindowFrame" },
    { SYSTEM | 7, "clMenuText" },
    { SYSTEM | 8, "clWindowText" },
    { SYSTEM | 9, "clCaptionText" },
    { SYSTEM | 10, "clActiveBorder" },
    { SYSTEM | 11, "clInactiveBorder" },
    { SYSTEM | 12, "clAppWorkSpace" },
    { SYSTEM | 13, "clHighlight" },
    { SYSTEM | 14, "clHighlightText" },
    { SYSTEM | 15, "clBtnFace" },
    { SYSTEM | 16, "clBtnShadow" },
    { SYSTEM | 17, "clGrayText" },
    { SYSTEM | 18, "clBtnText" },
    { SYSTEM | 19, "clInactiveCaptionText" },
    { SYSTEM | 20, "clBtnHighlight" },
    { SYSTEM | 21, "cl3DDkShadow" },
    { SYSTEM | 22, "cl3DLight" },
    { SYSTEM | 23, "clInfoText" },
    { SYSTEM | 24, "clInfoBk" },
    { 0x1FFFFFFF, "clNone" },
} };

// The classic desktop palette for the system colours 0 ... 24.
constexpr std::array<TColor, 25> SYSTEM_RGB { 0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF,
    0x646464, 0x000000, 0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xFF9933, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000, 0xE1FFFF };

} // namespace

TColor ColorToRGB(TColor color)
{
    if (color >= 0)
        return color;
    const auto index = static_cast<uint32_t>(color) & 0xFF;
    return index < SYSTEM_RGB.size() ? SYSTEM_RGB[index] : clBlack;
}

QColor ToQColor(TColor color)
{
    const auto rgb = static_cast<uint32_t>(ColorToRGB(color));
    return QColor(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
        static_cast<int>((rgb >> 16) & 0xFF));
}

TColor FromQColor(const QColor& color)
{
    return color.red() | color.green() << 8 | color.blue() << 16;
}

std::string ColorToString(TColor color)
{
    for (const NamedColor& c : COLOR_NAMES)
        if (c.value == color)
            return c.name;
    char text[16];
    std::snprintf(text, sizeof text, "$%08X", static_cast<uint32_t>(color));
    return text;
}

TColor StringToColor(std::string_view text)
{
    for (const NamedColor& c : COLOR_NAMES)
        if (SameText(c.name, text))
            return c.value;
    const bool hex = !text.empty() && text.front() == '$';
    std::string_view digits = hex ? text.substr(1) : text;
    int64_t value = 0;
    const auto [end, ec]
        = std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || value < INT32_MIN
        || value > UINT32_MAX)
        throw EGlobeException("'" + Excerpt(text) + "' is not a valid colour");
    return static_cast<TColor>(static_cast<uint32_t>(value));
}
