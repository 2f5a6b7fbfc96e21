#include "formats/SHPFile.h"

#include "geo/GeoMath.h"
#include "geo/GlobeUnits.h"
#include "platform/BoundedReader.h"
#include "platform/GlobeException.h"

#include <bit>
#include <cmath>
#include <optional>

namespace {

double DoubleLE(const std::uint8_t* bytes)
{
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = bits << 8 | bytes[i];
    return std::bit_cast<double>(bits);
}

constexpr std::int32_t FileCode = 9994;
constexpr std::int32_t FileVersion = 1000;
constexpr std::size_t RecordHeaderSize = 8;
constexpr std::size_t PointSize = 16;
constexpr std::size_t BoxSize = 32;
constexpr std::size_t RangeSize = 16;

struct TShapeTypeInfo {
    TSHPShapeKind Kind;
    bool HasZ;
};

std::optional<TShapeTypeInfo> ShapeTypeInfo(std::int32_t type)
{
    using K = TSHPShapeKind;
    switch (type) {
    case 0:
        return TShapeTypeInfo { K::Null, false };
    case 1:
        return TShapeTypeInfo { K::Point, false };
    case 3:
        return TShapeTypeInfo { K::PolyLine, false };
    case 5:
        return TShapeTypeInfo { K::Polygon, false };
    case 8:
        return TShapeTypeInfo { K::MultiPoint, false };
    case 11:
        return TShapeTypeInfo { K::Point, true };
    case 13:
        return TShapeTypeInfo { K::PolyLine, true };
    case 15:
        return TShapeTypeInfo { K::Polygon, true };
    case 18:
        return TShapeTypeInfo { K::MultiPoint, true };
    case 21:
        return TShapeTypeInfo { K::Point, false };
    case 23:
        return TShapeTypeInfo { K::PolyLine, false };
    case 25:
        return TShapeTypeInfo { K::Polygon, false };
    case 28:
        return TShapeTypeInfo { K::MultiPoint, false };
    case 31:
        return TShapeTypeInfo { K::MultiPatch, true };
    default:
        return std::nullopt;
    }
}

TSHPHeader ReadHeader(TBoundedReader& reader)
{
    reader.SetContext("file header");
    if (reader.ReadInt32BE("the file code") != FileCode)
        throw EGlobeException("Invalid SHP file ");
    reader.Skip(5 * 4, "the unused header words");
    TSHPHeader header;
    header.FileLength = std::int64_t { reader.ReadInt32BE("the file length") } * 2;
    if (reader.ReadInt32LE("the version") != FileVersion)
        throw EGlobeException("Invalid SHP file version ");
    header.ShapeType = reader.ReadInt32LE("the shape type");
    header.XMin = reader.ReadDoubleLE("the bounding box");
    header.YMin = reader.ReadDoubleLE("the bounding box");
    header.XMax = reader.ReadDoubleLE("the bounding box");
    header.YMax = reader.ReadDoubleLE("the bounding box");
    reader.Skip(2 * RangeSize, "the Z and M ranges");
    return header;
}

void ReadPoints(TBoundedReader& content, std::size_t count, TSHPShape& shape)
{
    content.RequireElements(static_cast<std::int64_t>(count), PointSize, "the points");
    // One bounds check for the whole block: records hold millions of points.
    const std::size_t start = content.Position();
    const std::span<const std::uint8_t> bytes = content.ReadBytes(count * PointSize, "the points");
    shape.Points.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        TSHPPoint& point = shape.Points[i];
        point.X = DoubleLE(bytes.data() + i * PointSize);
        point.Y = DoubleLE(bytes.data() + i * PointSize + sizeof(double));
        if (!std::isfinite(point.X) || !std::isfinite(point.Y)) {
            content.Seek(start + (i + 1) * PointSize);
            content.Fail("point " + std::to_string(i) + " has a coordinate that is not a finite number");
        }
    }
}

// The Z block of the Z variants (range, then one value per point). Writers
// that leave it out lose nothing two-dimensional, so a short block is skipped.
void ReadHeights(TBoundedReader& content, TSHPShape& shape)
{
    const std::size_t count = shape.Points.size();
    if (content.Remaining() < RangeSize + count * sizeof(double))
        return;
    content.Skip(RangeSize, "the Z range");
    shape.Z.resize(count);
    for (double& z : shape.Z)
        z = content.ReadDoubleLE("a height");
}

void ReadPartStarts(TBoundedReader& content, std::size_t partCount, std::int32_t pointCount, TSHPShape& shape)
{
    shape.PartStarts.resize(partCount);
    for (std::size_t k = 0; k < partCount; ++k) {
        const std::int32_t start = content.ReadInt32LE("a part index");
        if (start < 0 || start > pointCount)
            content.Fail("part " + std::to_string(k) + " starts at point " + std::to_string(start)
                + ", beyond the point count " + std::to_string(pointCount));
        if (k > 0 && start < shape.PartStarts[k - 1])
            content.Fail("part " + std::to_string(k) + " starts at point " + std::to_string(start)
                + ", before part " + std::to_string(k - 1) + " (at " + std::to_string(shape.PartStarts[k - 1])
                + ")");
        shape.PartStarts[k] = start;
    }
}

void ReadMultiPartShape(TBoundedReader& content, TSHPShape& shape)
{
    content.Skip(BoxSize, "the bounding box");
    const std::int32_t partCount = content.ReadInt32LE("the part count");
    const std::int32_t pointCount = content.ReadInt32LE("the point count");
    const std::size_t partTypesSize = shape.Kind == TSHPShapeKind::MultiPatch ? 4 : 0;
    content.RequireElements(partCount, 4 + partTypesSize, "the part count");
    content.RequireElements(pointCount, PointSize, "the point count");
    ReadPartStarts(content, static_cast<std::size_t>(partCount), pointCount, shape);
    content.Skip(partTypesSize * static_cast<std::size_t>(partCount), "the part types");
    ReadPoints(content, static_cast<std::size_t>(pointCount), shape);
}

void ReadMultiPoint(TBoundedReader& content, TSHPShape& shape)
{
    content.Skip(BoxSize, "the bounding box");
    ReadPoints(content, content.ReadCountLE(PointSize, "the point count"), shape);
}

void ReadPoint(TBoundedReader& content, TSHPShape& shape, bool hasZ)
{
    ReadPoints(content, 1, shape);
    if (hasZ && content.Remaining() >= sizeof(double))
        shape.Z.push_back(content.ReadDoubleLE("the height"));
}

// Reads the record header at the reader's position and answers a reader over
// the record's content.
TBoundedReader RecordContent(TBoundedReader& file, std::int32_t& recordNumber)
{
    file.SetContext("record header");
    recordNumber = file.ReadInt32BE("the record number");
    const std::int64_t contentWords = file.ReadInt32BE("the content length");
    if (contentWords < 0)
        file.Fail("content length " + std::to_string(contentWords) + " is negative");
    return file.Slice(static_cast<std::size_t>(contentWords) * 2, "record " + std::to_string(recordNumber));
}

} // namespace

std::span<const TSHPPoint> TSHPShape::Part(std::size_t k) const
{
    const std::size_t begin = PartStarts[k];
    const std::size_t end = k + 1 < PartStarts.size() ? PartStarts[k + 1] : Points.size();
    return std::span<const TSHPPoint>(Points).subspan(begin, end - begin);
}

long double TSHPCoordinateCorrection::Longitude(const TSHPPoint& point) const
{
    return static_cast<long double>(point.X) / LongXDivisor + LongXShift;
}

long double TSHPCoordinateCorrection::Latitude(const TSHPPoint& point) const
{
    return static_cast<long double>(point.Y) / LatYDivisor + LatYShift;
}

TGeoPoint TSHPCoordinateCorrection::GeoPoint(const TSHPPoint& point) const
{
    // Most files need no correction: their coordinates are the degrees.
    const bool none = LongXDivisor == 1 && LatYDivisor == 1 && LongXShift == 0 && LatYShift == 0;
    if (none && std::isfinite(point.X) && std::isfinite(point.Y))
        return { NormalizeLong(DegToGUOfDouble(point.X)), DegToGUOfDouble(point.Y), 0 };
    const long double longitude = Longitude(point);
    const long double latitude = Latitude(point);
    if (!std::isfinite(longitude) || !std::isfinite(latitude))
        throw EGlobeException("LongXDivisor " + std::to_string(LongXDivisor) + " and LatYDivisor "
            + std::to_string(LatYDivisor) + " give no finite coordinate");
    return DegreesToGeoPoint(longitude, latitude);
}

TSHPFile::TSHPFile(std::span<const std::uint8_t> bytes, std::string fileName)
    : FBytes(bytes)
    , FFileName(std::move(fileName))
{
    TBoundedReader reader(FBytes, FFileName);
    FHeader = ReadHeader(reader);
}

TSHPShape TSHPFile::ReadShape(std::size_t position, std::size_t* nextPosition) const
{
    TBoundedReader file(FBytes, FFileName);
    file.Seek(position);
    TSHPShape shape;
    TBoundedReader content = RecordContent(file, shape.RecordNumber);
    shape.FileShapeType = content.ReadInt32LE("the shape type");
    const auto info = ShapeTypeInfo(shape.FileShapeType);
    if (!info)
        content.Fail("unknown shape type " + std::to_string(shape.FileShapeType));
    shape.Kind = info->Kind;
    switch (shape.Kind) {
    case TSHPShapeKind::Null:
        break;
    case TSHPShapeKind::Point:
        ReadPoint(content, shape, info->HasZ);
        break;
    case TSHPShapeKind::MultiPoint:
        ReadMultiPoint(content, shape);
        break;
    default:
        ReadMultiPartShape(content, shape);
        break;
    }
    if (info->HasZ && shape.Kind != TSHPShapeKind::Point)
        ReadHeights(content, shape);
    if (nextPosition)
        *nextPosition = file.Position();
    return shape;
}

std::size_t TSHPFile::NextRecordPosition(std::size_t position) const
{
    TBoundedReader file(FBytes, FFileName);
    file.Seek(position);
    std::int32_t recordNumber = 0;
    RecordContent(file, recordNumber);
    return file.Position();
}

std::vector<std::size_t> TSHPFile::RecordPositions() const
{
    std::vector<std::size_t> positions;
    for (std::size_t position = HeaderSize; HasRecordAt(position); position = NextRecordPosition(position))
        positions.push_back(position);
    return positions;
}

std::vector<TSHXEntry> ReadSHXIndex(std::span<const std::uint8_t> bytes, const std::string& fileName)
{
    TBoundedReader reader(bytes, fileName);
    ReadHeader(reader);
    reader.SetContext("index");
    if (reader.Remaining() % RecordHeaderSize != 0)
        reader.Fail("the index ends with a partial entry of "
            + std::to_string(reader.Remaining() % RecordHeaderSize) + " bytes");
    std::vector<TSHXEntry> entries(reader.Remaining() / RecordHeaderSize);
    for (TSHXEntry& entry : entries) {
        const std::int32_t offset = reader.ReadInt32BE("a record offset");
        const std::int32_t length = reader.ReadInt32BE("a content length");
        if (offset < 0 || length < 0)
            reader.Fail("negative record offset or content length");
        entry.Offset = static_cast<std::size_t>(offset) * 2;
        entry.ContentLength = static_cast<std::size_t>(length) * 2;
    }
    return entries;
}
