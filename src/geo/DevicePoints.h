// The two process-wide buffers of device points: the projection models write
// a chain's device points into DevicePoints() from index 0 up, and the canvas
// draws them from there, using ScratchPoints() as its second buffer while
// clipping.
//
// Both start with DEVICE_POINTS_CAPACITY points. A write past the end grows
// the buffer instead of running over it, so a chain of any length projects
// safely; pointers from Data() are valid until the next write that grows.
#pragma once

#include "geo/GlobeTypes.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

inline constexpr int DEVICE_POINTS_CAPACITY = 131073;

class TDevicePointBuffer {
public:
    TDevicePointBuffer();

    int Capacity() const { return static_cast<int>(m_points.size()); }
    // Makes room for count points (never shrinks).
    void Reserve(int64_t count);
    // Writes point index, growing the buffer when needed. A negative index is
    // a programming error (std::out_of_range).
    void Put(int index, TPoint p)
    {
        if (index < 0)
            throw std::out_of_range("negative device point index");
        if (index >= Capacity())
            Reserve(int64_t { index } + 1);
        m_points[static_cast<size_t>(index)] = p;
    }
    // Reads a point inside the buffer (std::out_of_range outside).
    const TPoint& Get(int index) const { return m_points.at(static_cast<size_t>(index)); }
    TPoint* Data() { return m_points.data(); }
    const TPoint* Data() const { return m_points.data(); }

private:
    std::vector<TPoint> m_points;
};

TDevicePointBuffer& DevicePoints();
TDevicePointBuffer& ScratchPoints();
