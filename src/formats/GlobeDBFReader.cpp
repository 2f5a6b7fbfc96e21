#include "formats/GlobeDBFReader.h"

#include "platform/BoundedReader.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr int FileHeaderSize = 32;
constexpr int DescriptorSize = 32;
constexpr std::uint8_t DescriptorEnd = 0x0D;

bool IsBlank(unsigned char c)
{
    return c <= ' ';
}

std::string DescriptorName(std::span<const std::uint8_t> descriptor)
{
    const auto name = descriptor.first(11);
    const auto end = std::find(name.begin(), name.end(), 0);
    return std::string(name.begin(), end);
}

bool SameLetters(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
        [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

} // namespace

TGlobeDBFReader::TGlobeDBFReader(const std::string& fileName)
    : FMapped(std::make_unique<TMemoryMapStream>(fileName))
    , FBytes(FMapped->Bytes())
    , FSourceName(fileName)
{
    ReadHeader();
}

TGlobeDBFReader::TGlobeDBFReader(std::span<const std::uint8_t> bytes, std::string sourceName)
    : FBytes(bytes)
    , FSourceName(std::move(sourceName))
{
    ReadHeader();
}

TGlobeDBFReader::~TGlobeDBFReader() = default;

void TGlobeDBFReader::ReadHeader()
{
    TBoundedReader reader(FBytes, FSourceName);
    reader.SetContext("dBASE header");
    try {
        const std::uint8_t version = reader.ReadUInt8("the version byte");
        if (version != 0x03 && version != 0x83)
            throw EDBFException("Unsupported DBase III version in Stream");
        reader.Skip(3, "the date");
        FRecordCount = reader.ReadInt32LE("the record count");
        FHeaderSize = reader.ReadUInt16LE("the header size");
        FRecordSize = reader.ReadUInt16LE("the record size");
        reader.Skip(20, "the reserved bytes");
        if (FRecordCount < 0)
            reader.Fail("record count " + std::to_string(FRecordCount) + " is negative");
        if (FHeaderSize < FileHeaderSize)
            reader.Fail("header size " + std::to_string(FHeaderSize) + " is smaller than "
                + std::to_string(FileHeaderSize) + " bytes");
        if (static_cast<std::size_t>(FHeaderSize) > FBytes.size())
            reader.Fail("header size " + std::to_string(FHeaderSize) + " lies beyond the end of the file ("
                + std::to_string(FBytes.size()) + " bytes)");
        if (FRecordSize < 1)
            reader.Fail("record size 0 cannot hold the deletion flag");
        ReadFieldDescriptors(reader.ReadBytes(FHeaderSize - FileHeaderSize, "the field descriptors"));
    } catch (const EDBFException&) {
        throw;
    } catch (const EGlobeException& e) {
        throw EDBFException(e.what());
    }
}

void TGlobeDBFReader::ReadFieldDescriptors(std::span<const std::uint8_t> descriptors)
{
    int offset = 1;
    for (std::size_t at = 0; at + DescriptorSize <= descriptors.size(); at += DescriptorSize) {
        const auto descriptor = descriptors.subspan(at, DescriptorSize);
        if (descriptor[0] == DescriptorEnd || descriptor[0] == 0)
            break;
        TDBFField field;
        field.Name = DescriptorName(descriptor);
        field.Type = static_cast<char>(descriptor[11]);
        field.Offset = offset;
        field.Length = descriptor[16];
        field.Decimals = descriptor[17];
        offset += field.Length;
        if (offset > FRecordSize)
            throw EDBFException(FSourceName + ", dBASE header (offset " + std::to_string(FileHeaderSize + at)
                + "): field " + field.Name + " ends at byte " + std::to_string(offset)
                + ", beyond the record size " + std::to_string(FRecordSize));
        FFields.push_back(std::move(field));
    }
}

void TGlobeDBFReader::ReadRecord(std::int32_t n)
{
    if (n <= 0)
        return;
    const std::size_t start = FHeaderSize + static_cast<std::size_t>(n - 1) * FRecordSize;
    if (n > FRecordCount || start + FRecordSize > FBytes.size())
        throw EDBFException(FSourceName + ": record " + std::to_string(n) + " lies beyond "
            + (n > FRecordCount ? "the record count " + std::to_string(FRecordCount)
                                : "the end of the file (" + std::to_string(FBytes.size()) + " bytes)"));
    FRecord = FBytes.subspan(start, FRecordSize);
    FCurrentRecord = n - 1;
}

std::string TGlobeDBFReader::FieldValue(int column) const
{
    if (column < 0 || column >= FieldCount() || FRecord.empty())
        return {};
    const TDBFField& field = FFields[column];
    auto bytes = FRecord.subspan(field.Offset, field.Length);
    auto end = std::find(bytes.begin(), bytes.end(), 0);
    auto begin = std::find_if_not(bytes.begin(), end, IsBlank);
    while (end != begin && IsBlank(*(end - 1)))
        --end;
    return std::string(begin, end);
}

bool TGlobeDBFReader::RecordDeleted() const
{
    return !FRecord.empty() && FRecord[0] == '*';
}

int TGlobeDBFReader::FieldIndex(std::string_view name) const
{
    for (int i = 0; i < FieldCount(); ++i)
        if (SameLetters(FFields[i].Name, name))
            return i;
    return -1;
}
