#include "formats/GlobeTextReader.h"

#include "FormatTestFiles.h"

#include <gtest/gtest.h>

TEST(GlobeTextReader, EveryLineEndIsSteppedOver)
{
    const std::string text = std::string("unix\ndos\r\nmac\rnul") + '\0' + "\n\nlast";
    TGlobeTextReader reader(BytesOf(text), "t.mif");
    struct Expected {
        const char* line;
        std::size_t start;
    };
    const Expected lines[] = { { "unix", 0 }, { "dos", 5 }, { "mac", 10 }, { "nul", 14 }, { "", 18 },
        { "", 19 }, { "last", 20 } };
    for (const Expected& e : lines) {
        ASSERT_FALSE(reader.EndOfData()) << e.line;
        EXPECT_EQ(reader.ReadLine(), e.line);
        EXPECT_EQ(reader.LineStart(), e.start) << e.line;
    }
    EXPECT_TRUE(reader.EndOfData());
    EXPECT_EQ(reader.ReadLine(), "");
}

TEST(GlobeTextReader, SeekToRereadsFromAnyPosition)
{
    const std::string text = "Version 300\nData\nPoint 1 2\n";
    TGlobeTextReader reader(BytesOf(text), "t.mif");
    reader.SeekTo(17);
    EXPECT_EQ(reader.ReadLine(), "Point 1 2");
    EXPECT_EQ(reader.LineNumberAt(reader.LineStart()), 3u);
    EXPECT_TRUE(reader.EndOfData());
    reader.SeekTo(8);
    EXPECT_EQ(reader.ReadLine(), "300");
    reader.SeekTo(1000);
    EXPECT_TRUE(reader.EndOfData());
    EXPECT_EQ(reader.Position(), text.size());
}

TEST(GlobeTextReader, MapsARealFile)
{
    TGlobeTextReader reader(TestFile("ne_50m_countries.mid"));
    EXPECT_EQ(reader.Size(), 4301u);
    EXPECT_EQ(reader.ReadLine(), "\"716\",\"Zimbabwe\"");
}
