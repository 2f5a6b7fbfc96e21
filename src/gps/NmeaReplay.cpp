#include "gps/NmeaReplay.h"

#include "gps/NmeaSentence.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr int kTickMs = 10;
constexpr double kSecondsPerDay = 86400;
constexpr double kBreakPause = 1;
constexpr double kLongestPause = 10;

// The time of day a line's sentence carries, in seconds.
std::optional<double> sentenceTime(std::string_view line)
{
    const std::size_t dollar = line.find('$');
    if (dollar == std::string_view::npos)
        return std::nullopt;
    line.remove_prefix(dollar + 1);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    nmea::TSentence sentence;
    if (!nmea::parseSentence(line, sentence))
        return std::nullopt;
    static const char* const kTimeFirst[] = { "GGA", "RMC", "ZDA", "BWC", "BWR", "GBS", "GST" };
    std::size_t index = 4; // GLL
    if (sentence.type != "GLL") {
        if (std::none_of(std::begin(kTimeFirst), std::end(kTimeFirst),
                [&](const char* type) { return sentence.type == type; }))
            return std::nullopt;
        index = 0;
    }
    if (index >= sentence.fields.size())
        return std::nullopt;
    const auto time = nmea::toTimeOfDay(sentence.fields[index]);
    if (!time)
        return std::nullopt;
    return time->dayFraction * kSecondsPerDay;
}

double pauseBetween(double earlier, double later)
{
    double pause = later - earlier;
    if (pause < -kSecondsPerDay / 2)
        pause += kSecondsPerDay; // past midnight
    return pause > 0 && pause <= kLongestPause ? pause : kBreakPause;
}

} // namespace

std::vector<TReplayBurst> replaySchedule(std::string_view log, const TReplayPace& pace)
{
    std::vector<TReplayBurst> bursts(1);
    std::optional<double> burstTime;
    const double bytesPerSecond = pace.baud > 0 ? pace.baud / 10.0 : 0;
    while (!log.empty()) {
        const std::size_t end = std::min(log.find('\n'), log.size() - 1) + 1;
        const std::string_view line = log.substr(0, end);
        log.remove_prefix(end);
        const std::optional<double> time = sentenceTime(line);
        if (time && burstTime && *time != *burstTime) {
            const TReplayBurst& previous = bursts.back();
            const double pause = pace.speed > 0 ? pauseBetween(*burstTime, *time) / pace.speed : 0;
            const double sending = bytesPerSecond > 0 ? previous.bytes.size() / bytesPerSecond : 0;
            bursts.push_back(TReplayBurst { previous.start + std::max(pause, sending), {} });
        }
        if (time)
            burstTime = time;
        bursts.back().bytes.append(line);
    }
    if (bursts.back().bytes.empty())
        bursts.pop_back();
    return bursts;
}

TNmeaReplay::TNmeaReplay(std::vector<TReplayBurst> schedule, std::int32_t baud, TSink sink, QObject* parent)
    : QObject(parent)
    , schedule_(std::move(schedule))
    , bytesPerSecond_(baud > 0 ? baud / 10.0 : 0)
    , sink_(std::move(sink))
{
    timer_.setInterval(kTickMs);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
}

void TNmeaReplay::Start()
{
    burst_ = 0;
    sent_ = 0;
    clock_.start();
    timer_.start();
}

void TNmeaReplay::Stop()
{
    timer_.stop();
}

std::size_t TNmeaReplay::dueBytes(const TReplayBurst& burst, double now) const
{
    if (now < burst.start)
        return 0;
    if (bytesPerSecond_ <= 0)
        return burst.bytes.size();
    const double due = std::floor((now - burst.start) * bytesPerSecond_);
    return due >= static_cast<double>(burst.bytes.size()) ? burst.bytes.size()
                                                          : static_cast<std::size_t>(due);
}

void TNmeaReplay::tick()
{
    const double now = clock_.nsecsElapsed() / 1e9;
    while (burst_ < schedule_.size()) {
        const TReplayBurst& burst = schedule_[burst_];
        const std::size_t due = dueBytes(burst, now);
        if (due > sent_) {
            sink_(std::string_view(burst.bytes).substr(sent_, due - sent_));
            sent_ = due;
        }
        if (sent_ < burst.bytes.size())
            return;
        ++burst_;
        sent_ = 0;
    }
    if (loop_ && !schedule_.empty()) {
        burst_ = 0;
        clock_.start();
        return;
    }
    timer_.stop();
    if (OnFinished)
        OnFinished();
}
