// The binary primitives of the library's files: little-endian integers,
// "T"/"F" Booleans, length-prefixed 8-bit strings, geographic points (plain or
// on the one-minute grid) and rectangles.
//
// The reader walks a TBoundedReader, so a record that ends too early raises
// EGlobeException naming the file instead of yielding garbage. The writer
// collects the bytes in memory; its owner writes them out (atomically).
#pragma once

#include "geo/GlobeRoot.h"
#include "geo/GlobeTypes.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class TBoundedReader;

// The file format version that presenter, pen and brush records are read
// with. Layer-file reading sets it from the file; 1029 is what is written.
inline constexpr uint16_t GLOBE_FILE_VERSION = 1029;
uint16_t GlobeFileVersion();
void SetGlobeFileVersion(uint16_t version);

class TGlobeStreamReader : public TGlobeRoot {
public:
    // The reader is not owned and must outlive this object.
    explicit TGlobeStreamReader(TBoundedReader& reader);
    std::string ClassName() const override { return "TGlobeStreamReader"; }
    TBoundedReader& Reader() const { return m_reader; }

    // Copies up to count bytes; answers how many there were.
    virtual int Read(void* buffer, int count);
    // Exactly count bytes, or EGlobeException.
    virtual void ReadBuffer(void* buffer, int count);
    // "T" is true, any other byte false.
    virtual bool ReadBoolean();
    virtual double ReadDouble();
    virtual uint16_t ReadWord();
    virtual int8_t ReadShortInt();
    virtual int16_t ReadSmallInt();
    virtual int32_t ReadInteger();
    virtual std::string ReadShortString();
    // Compressed points are SmallInts in minutes; the longitude is normalised.
    virtual TGeoPoint ReadGeoPoint(bool height, bool compressed);
    virtual TRect ReadRect();
    virtual TMER ReadMER();

private:
    TBoundedReader& m_reader;
};

class TGlobeStreamWriter : public TGlobeRoot {
public:
    TGlobeStreamWriter() = default;
    std::string ClassName() const override { return "TGlobeStreamWriter"; }

    // Everything written so far.
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

    virtual void Write(const void* buffer, int count);
    virtual void WriteBuffer(const void* buffer, int count);
    virtual void WriteBoolean(bool value);
    virtual void WriteDouble(double value);
    virtual void WriteWord(uint16_t value);
    virtual void WriteShortInt(int8_t value);
    virtual void WriteSmallInt(int16_t value);
    virtual void WriteInteger(int32_t value);
    // Text beyond 255 bytes is cut off.
    virtual void WriteShortString(const std::string& text);
    virtual void WriteRect(const TRect& rect);
    // Compressed: each value divided by 90,000 (toward zero) as a SmallInt.
    virtual void WriteGeoPoint(const TGeoPoint& point, bool height, bool compressed);
    virtual void WriteMER(const TMER& mer);

private:
    template <typename T> void WriteLE(T value);
    std::vector<uint8_t> m_bytes;
};
