#include "platform/BoundedReader.h"
#include "platform/GlobeException.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

using ::testing::HasSubstr;

namespace {

// Runs `action` and answers the message of the EGlobeException it raises.
std::string FailureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EGlobeException& e) {
        return e.what();
    }
    ADD_FAILURE() << "no EGlobeException raised";
    return {};
}

const std::vector<std::uint8_t> Sample = {
    0x00, 0x00, 0x27, 0x0A, // 9994 big-endian
    0xE8, 0x03, 0x00, 0x00, // 1000 little-endian
    0xFE, 0xFF, //             -2 as int16, 65534 as uint16
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x66, 0x40, // 176.0
    0x03, 'a', 'b', 'c', //    short string "abc"
};

} // namespace

TEST(BoundedReader, ReadsIntegersDoublesAndTextInTheirByteOrders)
{
    TBoundedReader reader(Sample, "sample.bin");
    EXPECT_EQ(reader.ReadInt32BE("file code"), 9994);
    EXPECT_EQ(reader.ReadInt32LE("version"), 1000);
    EXPECT_EQ(reader.ReadInt16LE("small"), -2);
    reader.Seek(8);
    EXPECT_EQ(reader.ReadUInt16LE("small"), 65534);
    EXPECT_EQ(reader.ReadDoubleLE("x"), 176.0);
    EXPECT_EQ(reader.ReadShortString("name"), "abc");
    EXPECT_TRUE(reader.AtEnd());
    reader.Seek(4);
    EXPECT_EQ(reader.ReadUInt32LE("version"), 1000u);
    EXPECT_EQ(reader.ReadUInt8("byte"), 0xFE);
    EXPECT_EQ(reader.ReadString(1, "byte"), "\xFF");
    EXPECT_EQ(reader.Remaining(), 12u);
}

TEST(BoundedReader, TruncatedReadNamesFileContextOffsetAndValue)
{
    TBoundedReader reader(Sample, "sample.bin");
    reader.SetContext("record 3");
    reader.Seek(20);
    EXPECT_EQ(FailureOf([&] { reader.ReadInt32LE("the part count"); }),
        "sample.bin, record 3 (offset 20): truncated: the part count needs 4 bytes, only 2 left");
    // A failed read leaves the position where it was.
    EXPECT_EQ(reader.Position(), 20u);
    EXPECT_THAT(FailureOf([&] { reader.Seek(23); }), HasSubstr("position 23 lies beyond the end (22)"));
    EXPECT_THAT(FailureOf([&] { reader.Skip(3, "the box"); }), HasSubstr("the box needs 3 bytes"));
    reader.Seek(21); // 'c' read as a length byte: 99
    EXPECT_THAT(FailureOf([&] { reader.ReadShortString("the name"); }),
        HasSubstr("the name needs 99 bytes, only 0 left"));
}

TEST(BoundedReader, CountsAreCheckedBeforeAnyoneAllocates)
{
    struct Case {
        std::int32_t count;
        const char* message;
    };
    const Case cases[] = {
        { -1, "the point count is negative (-1)" },
        { 0x7FFFFFFF, "the point count 2147483647 needs 34359738352 bytes, only 0 left" },
        { 1, "the point count 1 needs 16 bytes, only 0 left" },
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes(4);
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(c.count) >> (8 * i));
        TBoundedReader reader(bytes, "f.shp");
        EXPECT_THAT(FailureOf([&] { reader.ReadCountLE(16, "the point count"); }), HasSubstr(c.message))
            << c.count;
    }
    const std::vector<std::uint8_t> two = { 2, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8 };
    TBoundedReader reader(two, "f.shp");
    EXPECT_EQ(reader.ReadCountLE(4, "the part count"), 2u);
}

TEST(BoundedReader, SliceIsBoundedToItsLengthAndReportsFileOffsets)
{
    TBoundedReader file(Sample, "sample.bin");
    file.Skip(4, "header");
    TBoundedReader record = file.Slice(6, "record 1");
    EXPECT_EQ(file.Position(), 10u);
    EXPECT_EQ(record.ReadInt32LE("shape type"), 1000);
    EXPECT_EQ(FailureOf([&] { record.ReadInt32LE("the point count"); }),
        "sample.bin, record 1 (offset 8): truncated: the point count needs 4 bytes, only 2 left");
    EXPECT_THAT(FailureOf([&] { file.Slice(13, "record 2"); }),
        HasSubstr("record 2 of 13 bytes runs past the end, only 12 left"));
    EXPECT_THAT(FailureOf([&] { record.Fail("part index 9 is beyond the point count 4"); }),
        HasSubstr("sample.bin, record 1 (offset 8): part index 9"));
}

TEST(BoundedReader, EmptyBlockReadsNothing)
{
    TBoundedReader reader({}, "empty.dbf");
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_THAT(FailureOf([&] { reader.ReadUInt8("the version"); }),
        HasSubstr("empty.dbf (offset 0): truncated: the version needs 1 bytes, only 0 left"));
}
