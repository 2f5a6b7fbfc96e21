// The Telnet command bytes that both ends of our NMEA feed speak.
#pragma once

namespace TelnetCodes {

constexpr unsigned char kIac = 255;
constexpr unsigned char kDont = 254;
constexpr unsigned char kDo = 253;
constexpr unsigned char kWont = 252;
constexpr unsigned char kWill = 251;
constexpr unsigned char kSb = 250;
constexpr unsigned char kSe = 240;

} // namespace TelnetCodes
