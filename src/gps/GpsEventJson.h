// Every event of a receiver as one JSON object per line: the event's name
// under "event", then its parameters by name in their order. Lets a decode
// run be compared with other decoders and with earlier runs.
#pragma once

#include <functional>
#include <string>

class TGPS;

// Sets every event handler of gps; each event hands its line (without line
// end) to sink. Strings of the sentences (Windows-1252) are written as UTF-8.
void writeEventsAsJson(TGPS& gps, std::function<void(const std::string& line)> sink);
