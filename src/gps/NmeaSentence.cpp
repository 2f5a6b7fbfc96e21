#include "gps/NmeaSentence.h"

#include "gps/GpsDateTime.h"

#include <charconv>
#include <cmath>

namespace nmea {

namespace {

// Bytes left queued by a consumer that stopped taking sentences (a handler
// threw) are kept up to this much; beyond it the oldest go: the newest data
// matters most to a navigator.
constexpr std::size_t kMaxLeftover = 64 * 1024;

constexpr std::size_t kAddressLength = 5;

std::string_view trimSpaces(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// from_chars takes no leading '+', which NMEA writers use now and then.
std::string_view numberText(std::string_view field)
{
    field = trimSpaces(field);
    if (field.size() > 1 && field.front() == '+' && field[1] != '-')
        field.remove_prefix(1);
    return field;
}

char hexDigit(unsigned value)
{
    return "0123456789ABCDEF"[value & 0xF];
}

std::vector<std::string> splitFields(std::string_view body)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (fields.size() < kMaxFields) {
        const std::size_t comma = body.find(',', start);
        fields.emplace_back(body.substr(start, comma == std::string_view::npos ? body.npos : comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return fields;
}

double degreesFromNmea(std::string_view field)
{
    const double value = toDoubleOr0(field) / 100.0;
    const double whole = std::trunc(value);
    return whole + (value - whole) / 0.6;
}

bool twoDigits(std::string_view text, int& value)
{
    if (text.size() != 2 || text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9')
        return false;
    value = (text[0] - '0') * 10 + (text[1] - '0');
    return true;
}

} // namespace

void TLineAssembler::Append(std::string_view bytes)
{
    queued_.erase(0, scanned_);
    scanned_ = 0;
    // A new block is always scanned whole, however long: only leftovers are
    // capped. The cut lands anywhere, so scanning restarts at the next '$'.
    if (queued_.size() > kMaxLeftover) {
        queued_.erase(0, queued_.size() - kMaxLeftover);
        line_.clear();
        inSentence_ = false;
    }
    queued_.append(bytes);
}

bool TLineAssembler::Next(std::string& sentence)
{
    while (scanned_ < queued_.size()) {
        const char byte = queued_[scanned_++];
        if (byte == '$') {
            line_.clear();
            inSentence_ = true;
        } else if (!inSentence_) {
            continue;
        } else if (byte == '\n' && !line_.empty() && line_.back() == '\r') {
            line_.pop_back();
            sentence.swap(line_);
            line_.clear();
            inSentence_ = false;
            return true;
        } else if (line_.size() >= kMaxSentenceLength) {
            line_.clear();
            inSentence_ = false;
        } else {
            line_.push_back(byte);
        }
    }
    queued_.clear();
    scanned_ = 0;
    return false;
}

void TLineAssembler::Clear()
{
    queued_.clear();
    scanned_ = 0;
    line_.clear();
    inSentence_ = false;
}

unsigned char checksum(std::string_view text)
{
    unsigned char sum = 0;
    for (const char c : text)
        sum ^= static_cast<unsigned char>(c);
    return sum;
}

bool parseSentence(std::string_view text, TSentence& sentence)
{
    if (text.size() < kAddressLength + 2 || text.find(',') != kAddressLength)
        return false;
    const std::size_t star = text.find('*');
    const std::string_view covered = text.substr(0, star);
    if (star != std::string_view::npos) {
        const unsigned char sum = checksum(covered);
        if (text.size() < star + 3 || text[star + 1] != hexDigit(sum >> 4) || text[star + 2] != hexDigit(sum))
            return false;
    }
    sentence.talker = std::string(text.substr(0, 2));
    sentence.type = std::string(text.substr(2, 3));
    sentence.fields = splitFields(covered.substr(kAddressLength + 1));
    return true;
}

std::optional<double> toDouble(std::string_view field)
{
    const std::string_view text = numberText(field);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> toInt(std::string_view field)
{
    const std::string_view text = numberText(field);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

double toDoubleOr0(std::string_view field)
{
    return toDouble(field).value_or(0.0);
}

TLatLon toLatLon(std::string_view lat, std::string_view ns, std::string_view lon, std::string_view ew)
{
    if (lat.empty() || ns.empty() || lon.empty() || ew.empty())
        return {};
    TLatLon result { degreesFromNmea(lat), degreesFromNmea(lon) };
    if (ns.front() == 'S')
        result.latitude = -result.latitude;
    if (ew.front() == 'E')
        result.longitude = -result.longitude;
    return result;
}

std::optional<TTimeOfDay> toTimeOfDay(std::string_view field)
{
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (field.size() < 6 || !twoDigits(field.substr(0, 2), hour) || !twoDigits(field.substr(2, 2), minute)
        || !twoDigits(field.substr(4, 2), second) || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    double fraction = 0;
    if (field.size() > 6) {
        // Decimal seconds: "." and digits only.
        const std::string_view decimals = field.substr(6);
        const auto parsed = decimals.size() > 1 && decimals.front() == '.'
                && decimals.find_first_not_of("0123456789", 1) == std::string_view::npos
            ? toDouble(decimals)
            : std::nullopt;
        if (!parsed)
            return std::nullopt;
        fraction = *parsed;
    }
    const double seconds = hour * 3600.0 + minute * 60.0 + second + fraction;
    return TTimeOfDay { seconds / 86400.0, hour };
}

double toDate(std::string_view field)
{
    int day = 0;
    int month = 0;
    int year = 0;
    if (field.size() != 6 || !twoDigits(field.substr(0, 2), day) || !twoDigits(field.substr(2, 2), month)
        || !twoDigits(field.substr(4, 2), year))
        return 0;
    const QDate date(year < 80 ? 2000 + year : 1900 + year, month, day);
    return date.isValid() ? dayCount(date) : 0;
}

} // namespace nmea
