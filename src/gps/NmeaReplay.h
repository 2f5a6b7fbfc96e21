// Plays an NMEA log as a live receiver would send it: one burst of sentences
// per fix, the bursts as far apart as the log's time stamps say (or closer,
// at a chosen speed), the bytes of a burst no faster than the line's rate.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct TReplayPace {
    double speed = 1; // 2 plays twice as fast; 0 or less leaves no pause between fixes
    std::int32_t baud = 4800; // line rate, ten bits a character; 0 for no limit
};

struct TReplayBurst {
    double start = 0; // seconds after the replay began
    std::string bytes;
};

// Cuts a log into bursts: a burst begins at each sentence whose time of day
// differs from the current burst's. Breaks in the log (time going backwards
// or jumping more than ten seconds) become one-second pauses.
std::vector<TReplayBurst> replaySchedule(std::string_view log, const TReplayPace& pace);

class TNmeaReplay : public QObject {
public:
    using TSink = std::function<void(std::string_view bytes)>;

    TNmeaReplay(std::vector<TReplayBurst> schedule, std::int32_t baud, TSink sink, QObject* parent = nullptr);

    // Begins (again) from the first burst.
    void Start();
    void Stop();
    bool IsRunning() const { return timer_.isActive(); }
    // Starts over after the last burst instead of finishing.
    void SetLoop(bool loop) { loop_ = loop; }

    std::function<void()> OnFinished;

private:
    void tick();
    std::size_t dueBytes(const TReplayBurst& burst, double now) const;

    std::vector<TReplayBurst> schedule_;
    double bytesPerSecond_;
    TSink sink_;
    bool loop_ = false;
    std::size_t burst_ = 0;
    std::size_t sent_ = 0;
    QElapsedTimer clock_;
    QTimer timer_;
};
