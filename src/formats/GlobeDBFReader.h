// Reader of dBASE III tables (".DBF"), the attribute tables beside shapefiles.
// Field types are not interpreted: every value is answered as its text, in the
// file's own 8-bit encoding.
#pragma once

#include "formats/MemoryMapStream.h"
#include "platform/GlobeException.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The dBASE reader's own failures; an EGlobeException for anyone catching those.
class EDBFException : public EGlobeException {
public:
    using EGlobeException::EGlobeException;
};

struct TDBFField {
    std::string Name; // up to 10 characters
    char Type = 'C'; //  'C', 'N', 'D', 'L', 'M', ... as in the file
    int Offset = 0; //   in the record, after the deletion flag
    int Length = 0;
    int Decimals = 0;
};

class TGlobeDBFReader {
public:
    // Maps the table `fileName`.
    explicit TGlobeDBFReader(const std::string& fileName);
    // Reads a table held in `bytes`, which must outlive the reader.
    TGlobeDBFReader(std::span<const std::uint8_t> bytes, std::string sourceName);
    ~TGlobeDBFReader();

    // Makes record n (1-based) the current record; n <= 0 does nothing. A
    // record beyond the record count or the end of the file raises.
    void ReadRecord(std::int32_t n);
    // The text of field `column` (0-based) of the current record without
    // surrounding spaces, cut at a zero byte; empty for any other column and
    // before the first ReadRecord.
    std::string FieldValue(int column) const;
    // Whether the current record carries the deletion mark '*'.
    bool RecordDeleted() const;

    std::int32_t CurrentRecord() const { return FCurrentRecord; } // 0-based; -1 before any read
    std::int32_t RecordCount() const { return FRecordCount; }
    int HeaderSize() const { return FHeaderSize; }
    int RecordSize() const { return FRecordSize; }
    int FieldCount() const { return static_cast<int>(FFields.size()); }
    const std::vector<TDBFField>& Fields() const { return FFields; }
    // The column whose name matches `name` regardless of letter case, or -1.
    int FieldIndex(std::string_view name) const;

private:
    void ReadHeader();
    void ReadFieldDescriptors(std::span<const std::uint8_t> descriptors);

    std::unique_ptr<TMemoryMapStream> FMapped;
    std::span<const std::uint8_t> FBytes;
    std::string FSourceName;
    std::int32_t FRecordCount = 0;
    int FHeaderSize = 0;
    int FRecordSize = 0;
    std::vector<TDBFField> FFields;
    std::int32_t FCurrentRecord = -1;
    std::span<const std::uint8_t> FRecord; // the current record, deletion flag first
};
