// The shapefile's own layer: the ".shp" main file and its ".shx" index parsed
// into plain records, every read bounds-checked. The shapefile object source
// turns these records into globe objects; nothing here knows about them.
//
// Every shape type of the format is read. The Z and M variants are read as
// their two-dimensional shapes (Z kept as a height per point, M dropped); a
// null shape is a record of kind Null without points.
#pragma once

#include "geo/GlobeTypes.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

enum class TSHPShapeKind {
    Null, //       type 0: no geometry
    Point, //      types 1, 11, 21: Points holds the one point
    PolyLine, //   types 3, 13, 23: open parts
    Polygon, //    types 5, 15, 25: closed rings, outer rings and holes alike
    MultiPoint, // types 8, 18, 28: Points, no parts in the file
    MultiPatch, // type 31: surface patches, their parts read as rings
};

struct TSHPPoint {
    double X = 0.0;
    double Y = 0.0;
};

struct TSHPShape {
    std::int32_t RecordNumber = 0; // as stored (1-based in well-formed files)
    std::int32_t FileShapeType = 0; // as stored: 0, 1, 3, 5, 8, 11, 13, ...
    TSHPShapeKind Kind = TSHPShapeKind::Null;
    std::vector<TSHPPoint> Points;
    // Index of each part's first point, ascending and within Points; empty
    // for Null, Point and MultiPoint shapes.
    std::vector<std::int32_t> PartStarts;
    // One height per point for the Z variants; empty otherwise.
    std::vector<double> Z;

    std::size_t PartCount() const { return PartStarts.size(); }
    // The points of part k: from its start up to the next part's start (the
    // last part up to the end of Points).
    std::span<const TSHPPoint> Part(std::size_t k) const;
};

// The 100-byte header of the .shp and .shx files.
struct TSHPHeader {
    std::int64_t FileLength = 0; // in bytes, as declared
    std::int32_t ShapeType = 0;
    double XMin = 0.0, YMin = 0.0, XMax = 0.0, YMax = 0.0;
};

// The linear correction per axis applied to shape coordinates before they are
// taken as decimal degrees: longitude = x / LongXDivisor + LongXShift, latitude
// = y / LatYDivisor + LatYShift.
struct TSHPCoordinateCorrection {
    double LongXDivisor = 1.0;
    double LatYDivisor = 1.0;
    double LongXShift = 0.0;
    double LatYShift = 0.0;

    long double Longitude(const TSHPPoint& point) const;
    long double Latitude(const TSHPPoint& point) const;
    // The corrected point in GlobeUnits; a divisor that leaves no finite
    // coordinate raises EGlobeException.
    TGeoPoint GeoPoint(const TSHPPoint& point) const;
};

class TSHPFile {
public:
    static constexpr std::size_t HeaderSize = 100;

    // Reads the header of the shapefile held in `bytes` (which must outlive
    // this object). A file code other than 9994 raises EGlobeException
    // "Invalid SHP file ", a version other than 1000 "Invalid SHP file version ".
    TSHPFile(std::span<const std::uint8_t> bytes, std::string fileName);

    const TSHPHeader& Header() const { return FHeader; }
    const std::string& FileName() const { return FFileName; }
    std::size_t Size() const { return FBytes.size(); }
    // The first record starts at HeaderSize; a position at or beyond Size()
    // means there is no further record.
    bool HasRecordAt(std::size_t position) const { return position < FBytes.size(); }

    // Reads the record at `position` and, when `nextPosition` is given, stores
    // where the following record starts. Raises EGlobeException naming the
    // file, record and offset for a record that is cut short or inconsistent.
    TSHPShape ReadShape(std::size_t position, std::size_t* nextPosition = nullptr) const;
    // Where the record after the one at `position` starts, reading only the
    // record header (checked against the end of the file).
    std::size_t NextRecordPosition(std::size_t position) const;
    // The positions of all records, in file order.
    std::vector<std::size_t> RecordPositions() const;

private:
    std::span<const std::uint8_t> FBytes;
    std::string FFileName;
    TSHPHeader FHeader;
};

// One entry of a ".shx" index: where a record lies in the .shp, in bytes.
struct TSHXEntry {
    std::size_t Offset = 0;
    std::size_t ContentLength = 0; // after the 8-byte record header
};

// Reads the ".shx" index held in `bytes`; its header is checked like the
// .shp's.
std::vector<TSHXEntry> ReadSHXIndex(std::span<const std::uint8_t> bytes, const std::string& fileName);
