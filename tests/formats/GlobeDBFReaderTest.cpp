#include "formats/GlobeDBFReader.h"

#include "FormatTestFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

using ::testing::HasSubstr;

namespace {

// A two-field table: id C(3), name C(8), records "001 Alpha", "   Beta".
std::vector<std::uint8_t> SmallTable()
{
    std::vector<std::uint8_t> bytes(32, 0);
    bytes[0] = 0x03;
    PutLE32(bytes, 4, 2); //  records
    PutLE16(bytes, 8, 97); // header size: 32 + 2 descriptors + terminator
    PutLE16(bytes, 10, 12); // record size: flag + 3 + 8
    for (auto [name, length] : { std::pair { "id", 3 }, std::pair { "name", 8 } }) {
        std::vector<std::uint8_t> descriptor(32, 0);
        std::copy_n(name, std::strlen(name), descriptor.begin());
        descriptor[11] = 'C';
        descriptor[16] = static_cast<std::uint8_t>(length);
        bytes.insert(bytes.end(), descriptor.begin(), descriptor.end());
    }
    bytes.push_back(0x0D);
    for (const char* record : { " 001Alpha   ", "*   Beta\0xyz" })
        bytes.insert(bytes.end(), record, record + 12);
    bytes.push_back(0x1A);
    return bytes;
}

} // namespace

TEST(GlobeDBFReader, ReadsTheRealCountryTable)
{
    TGlobeDBFReader table(TestFile("ne_110m_countries.dbf"));
    EXPECT_EQ(table.RecordCount(), 177);
    EXPECT_EQ(table.HeaderSize(), 97);
    EXPECT_EQ(table.RecordSize(), 28);
    ASSERT_EQ(table.FieldCount(), 2);
    EXPECT_EQ(table.Fields()[0].Name, "id");
    EXPECT_EQ(table.Fields()[1].Length, 24);
    EXPECT_EQ(table.FieldIndex("NAME"), 1);
    EXPECT_EQ(table.FieldIndex("pop"), -1);

    struct Row {
        int record;
        const char* id;
        const char* name;
    };
    const Row rows[] = {
        { 1, "242", "Fiji" },
        { 61, "384", "C\xF4te d'Ivoire" },
        { 96, "408", "North Korea" },
        { 161, "", "N. Cyprus" },
        { 168, "", "Somaliland" },
        { 175, "", "Kosovo" },
        { 177, "728", "S. Sudan" },
    };
    for (const Row& row : rows) {
        table.ReadRecord(row.record);
        EXPECT_EQ(table.CurrentRecord(), row.record - 1);
        EXPECT_EQ(table.FieldValue(0), row.id) << row.record;
        EXPECT_EQ(table.FieldValue(1), row.name) << row.record;
    }
    EXPECT_EQ(table.FieldValue(2), "");
    EXPECT_EQ(table.FieldValue(-1), "");
}

TEST(GlobeDBFReader, NumbersComeBackAsTheirText)
{
    TGlobeDBFReader table(TestFile("ne_50m_land.dbf"));
    ASSERT_EQ(table.RecordCount(), 1419);
    const int npoints = table.FieldIndex("npoints");
    ASSERT_EQ(table.Fields()[npoints].Type, 'N');
    long total = 0;
    for (int n = 1; n <= table.RecordCount(); ++n) {
        table.ReadRecord(n);
        EXPECT_EQ(table.FieldValue(0), std::to_string(n));
        total += std::stol(table.FieldValue(npoints));
    }
    EXPECT_EQ(total, 60629);
}

TEST(GlobeDBFReader, RecordsOfASmallTable)
{
    const auto bytes = SmallTable();
    TGlobeDBFReader table(bytes, "small.dbf");
    EXPECT_EQ(table.FieldValue(0), "") << "no record read yet";
    EXPECT_EQ(table.CurrentRecord(), -1);
    table.ReadRecord(0);
    EXPECT_EQ(table.CurrentRecord(), -1) << "n <= 0 does nothing";
    table.ReadRecord(1);
    EXPECT_EQ(table.FieldValue(0), "001");
    EXPECT_EQ(table.FieldValue(1), "Alpha");
    EXPECT_FALSE(table.RecordDeleted());
    table.ReadRecord(2);
    EXPECT_EQ(table.FieldValue(0), "");
    EXPECT_EQ(table.FieldValue(1), "Beta") << "a zero byte ends the value";
    EXPECT_TRUE(table.RecordDeleted());
}

TEST(GlobeDBFReader, CorruptTablesRaiseClearErrors)
{
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        const char* message;
    };
    const Case cases[] = {
        { "dBASE IV", [](auto& b) { b[0] = 0x04; }, "Unsupported DBase III version in Stream" },
        { "truncated header", [](auto& b) { b.resize(20); },
            "small.dbf, dBASE header (offset 12): truncated: the reserved bytes needs 20 bytes, only 8 "
            "left" },
        { "header size beyond the file", [](auto& b) { PutLE16(b, 8, 4000); },
            "header size 4000 lies beyond the end of the file (122 bytes)" },
        { "header size below 32", [](auto& b) { PutLE16(b, 8, 12); }, "header size 12 is smaller than 32" },
        { "negative record count", [](auto& b) { PutLE32(b, 4, -5); }, "record count -5 is negative" },
        { "no room for the deletion flag", [](auto& b) { PutLE16(b, 10, 0); }, "record size 0" },
        { "fields beyond the record", [](auto& b) { PutLE16(b, 10, 10); },
            "small.dbf, dBASE header (offset 64): field name ends at byte 12, beyond the record size 10" },
    };
    for (const Case& c : cases) {
        auto bytes = SmallTable();
        c.damage(bytes);
        try {
            TGlobeDBFReader table(bytes, "small.dbf");
            ADD_FAILURE() << c.what << ": no exception";
        } catch (const EDBFException& e) {
            EXPECT_THAT(e.what(), HasSubstr(c.message)) << c.what;
        }
    }
}

TEST(GlobeDBFReader, RecordsBeyondTheCountOrTheFileRaise)
{
    auto bytes = SmallTable();
    TGlobeDBFReader table(bytes, "small.dbf");
    EXPECT_THROW(table.ReadRecord(3), EDBFException);

    PutLE32(bytes, 4, 5); // claims more records than the file holds
    TGlobeDBFReader truncated(bytes, "small.dbf");
    truncated.ReadRecord(2);
    try {
        truncated.ReadRecord(3);
        ADD_FAILURE() << "no exception";
    } catch (const EDBFException& e) {
        EXPECT_STREQ(e.what(), "small.dbf: record 3 lies beyond the end of the file (122 bytes)");
    }
    EXPECT_EQ(truncated.FieldValue(1), "Beta") << "the current record is kept";
}

TEST(GlobeDBFReader, MissingFileRaises)
{
    EXPECT_THROW(TGlobeDBFReader(TestFile("no-such-table.dbf")), EGlobeException);
}
