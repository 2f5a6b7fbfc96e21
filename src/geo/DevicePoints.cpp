#include "geo/DevicePoints.h"

#include <algorithm>
#include <limits>

TDevicePointBuffer::TDevicePointBuffer()
    : m_points(DEVICE_POINTS_CAPACITY)
{
}

void TDevicePointBuffer::Reserve(int64_t count)
{
    if (count <= Capacity())
        return;
    // Doubling keeps growth amortised; the size stays within what an int counts.
    const int64_t doubled = std::min<int64_t>(int64_t { Capacity() } * 2, std::numeric_limits<int>::max());
    m_points.resize(static_cast<size_t>(std::max(count, doubled)));
}

TDevicePointBuffer& DevicePoints()
{
    static TDevicePointBuffer buffer;
    return buffer;
}

TDevicePointBuffer& ScratchPoints()
{
    static TDevicePointBuffer buffer;
    return buffer;
}
