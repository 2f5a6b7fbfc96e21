// Helpers shared by the receiver tests.
#pragma once

#include "gps/GPS.h"
#include "gps/GpsEventJson.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <cstdio>
#include <string>
#include <vector>

// "$" + body + "*" + its checksum + CR LF.
inline std::string withChecksum(const std::string& body)
{
    char sum[4];
    std::snprintf(sum, sizeof sum, "%02X", nmea::checksum(body));
    return "$" + body + "*" + sum + "\r\n";
}

inline std::string readTestFile(const std::string& relativePath)
{
    QFile file(QStringLiteral(BRUMEX_TEST_DATA "/") + QString::fromStdString(relativePath));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Every event of a receiver, as the JSON lines of writeEventsAsJson.
struct TEventLog {
    explicit TEventLog(TGPS& gps)
    {
        writeEventsAsJson(gps, [this](const std::string& line) { lines.push_back(line); });
    }
    std::vector<std::string> lines;
};

// Runs the event loop until done() holds or the time is up.
template <typename Predicate> bool waitFor(Predicate done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}
