// Builds small shapefiles byte by byte for the shapefile tests.
#pragma once

#include "FormatTestFiles.h"
#include "formats/SHPFile.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

// Little-endian record content, written value by value.
struct Content {
    std::vector<std::uint8_t> bytes;

    Content& I32(std::int32_t value)
    {
        bytes.resize(bytes.size() + 4);
        PutLE32(bytes, bytes.size() - 4, value);
        return *this;
    }
    Content& D(double value)
    {
        bytes.resize(bytes.size() + 8);
        PutDoubleLE(bytes, bytes.size() - 8, value);
        return *this;
    }
    Content& Box() { return D(0).D(0).D(0).D(0); }
    Content& Points(std::initializer_list<TSHPPoint> points)
    {
        for (const TSHPPoint& p : points)
            D(p.X).D(p.Y);
        return *this;
    }
};

// A whole shapefile: the 100-byte header followed by the given records.
inline std::vector<std::uint8_t> ShapeFile(const std::vector<Content>& records, std::int32_t shapeType = 5)
{
    std::vector<std::uint8_t> bytes(100, 0);
    PutBE32(bytes, 0, 9994);
    PutLE32(bytes, 28, 1000);
    PutLE32(bytes, 32, shapeType);
    int number = 1;
    for (const Content& record : records) {
        const std::size_t at = bytes.size();
        bytes.resize(at + 8);
        PutBE32(bytes, at, number++);
        PutBE32(bytes, at + 4, static_cast<std::int32_t>(record.bytes.size() / 2));
        bytes.insert(bytes.end(), record.bytes.begin(), record.bytes.end());
    }
    PutBE32(bytes, 24, static_cast<std::int32_t>(bytes.size() / 2));
    return bytes;
}

// A polygon record with the given part starts and points.
inline Content Polygon(std::initializer_list<std::int32_t> parts, std::initializer_list<TSHPPoint> points)
{
    Content c;
    c.I32(5).Box().I32(static_cast<std::int32_t>(parts.size())).I32(static_cast<std::int32_t>(points.size()));
    for (std::int32_t start : parts)
        c.I32(start);
    return c.Points(points);
}
