// The text layer of NMEA 0183: cutting a byte stream into sentences, checking
// and splitting one sentence, and reading its fields. Receivers send garbage
// as a matter of course, so every function here accepts any bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nmea {

// Longer runs without a sentence end are garbage and are thrown away.
inline constexpr std::size_t kMaxSentenceLength = 1024;
// Fields past this count are ignored.
inline constexpr std::size_t kMaxFields = 64;

// Cuts a byte stream into sentences: from a '$' to the CR of the CR LF that
// ends it, both excluded. A '$' inside an unfinished sentence starts a new
// one, because receivers splice cut-off sentences into the next.
class TLineAssembler {
public:
    // Queues received bytes of any amount; Next() hands out, in order, every
    // sentence they complete. Only garbage is dropped: text outside a
    // sentence and runs longer than kMaxSentenceLength.
    void Append(std::string_view bytes);
    // The next completed sentence, or false when the queued bytes hold no more.
    // Bytes not yet scanned stay queued, so an exception thrown while a
    // sentence is handled loses nothing and repeats nothing.
    bool Next(std::string& sentence);
    void Clear();

private:
    std::string queued_;
    std::size_t scanned_ = 0;
    std::string line_;
    bool inSentence_ = false;
};

struct TSentence {
    std::string talker; // characters 1-2, e.g. "GP"
    std::string type; // characters 3-5, e.g. "GGA"
    std::vector<std::string> fields; // after the address, checksum cut off
};

// Checks the shape (a five-character address, then a comma) and the checksum
// ("*" and two upper-case hexadecimal digits; a sentence without "*" passes
// unchecked) and splits the fields. False for a sentence to drop.
bool parseSentence(std::string_view text, TSentence& sentence);

// The XOR of every character, as a sentence's checksum covers it.
unsigned char checksum(std::string_view text);

// Numbers as NMEA writes them: '.' decimal separator whatever the locale,
// optional sign, surrounding spaces allowed; nothing else in the field.
std::optional<double> toDouble(std::string_view field);
std::optional<int> toInt(std::string_view field);
// 0 for an empty or non-numeric field.
double toDoubleOr0(std::string_view field);

struct TLatLon {
    double latitude = 0; // north positive
    double longitude = 0; // west positive
};

// ddmm.mmmm / dddmm.mmmm with their hemisphere letters; both 0 when any of
// the four fields is empty.
TLatLon toLatLon(std::string_view lat, std::string_view ns, std::string_view lon, std::string_view ew);

struct TTimeOfDay {
    double dayFraction = 0;
    int hour = 0;
};

// hhmmss with optional decimal seconds; nothing for a malformed field.
std::optional<TTimeOfDay> toTimeOfDay(std::string_view field);

// ddmmyy as a day count (days since 1899-12-30); 0 for a malformed date.
// Two-digit years below 80 are 20yy, the rest 19yy.
double toDate(std::string_view field);

} // namespace nmea
