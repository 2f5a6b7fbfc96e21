#include "platform/IniFile.h"
#include "platform/GlobeException.h"
#include "../common/KilledWrite.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using ::testing::ElementsAre;

namespace {

std::string ReadAll(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll().toStdString();
}

void WriteAll(const QString& path, std::string_view bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// A file as the classic writers leave it, with the irregularities hand
// editing adds.
const char* const Sample = "; waypoints\r\n"
                           "[Q0]\r\n"
                           "T=-123\r\n"
                           "S=  a b  \r\n"
                           "[ q1 ]\n"
                           "t = 7\n"
                           "no equals sign here\n"
                           "T=8\n"
                           "\n"
                           "[Z]\r"
                           "k=v=w\r"
                           "=orphan\r"
                           "[Q0]\n"
                           "P=1957";

} // namespace

TEST(IniFile, ReadsSectionsAndKeysWhateverTheirCaseAndBlanks)
{
    const TIniFile ini = TIniFile::FromText(Sample);
    EXPECT_THAT(ini.ReadSections(), ElementsAre("Q0", "q1", "Z"));
    EXPECT_EQ(ini.ReadString("q0", "t", "x"), "-123");
    EXPECT_EQ(ini.ReadString("Q0", "S", "x"), "a b");     // blanks around a value go
    EXPECT_EQ(ini.ReadString("Q1", "T", "x"), "7");       // first line of a repeated key
    EXPECT_EQ(ini.ReadString("Z", "K", "x"), "v=w");      // only the first "=" splits
    EXPECT_EQ(ini.ReadString("Q0", "P", "x"), "1957");    // a repeated section continues the first
    EXPECT_EQ(ini.ReadString("Q2", "T", "default"), "default");
    EXPECT_EQ(ini.ReadString("Q0", "G", "default"), "default");
    EXPECT_THAT(ini.ReadSection("q1"), ElementsAre("t"));
    EXPECT_TRUE(ini.SectionExists(" z "));
    EXPECT_TRUE(ini.ValueExists("Q0", "s"));
    EXPECT_FALSE(ini.ValueExists("Z", ""));
}

TEST(IniFile, ReadsIntegersOrTheDefault)
{
    struct Case {
        const char* value;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"0", 0},
        {"-972000000", -972000000},
        {"+15", 15},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", -1},   // overflow
        {"$1F", 31},
        {"0x1f", 31},
        {"$FFFFFFFF", -1},
        {"$100000000", -1},  // more than 32 bits
        {"12a", -1},
        {"1.5", -1},
        {"", -1},
        {"-", -1},
        {"$", -1},
    };
    for (const Case& c : cases) {
        const TIniFile ini = TIniFile::FromText(std::string("[A]\nN=") + c.value + "\n");
        EXPECT_EQ(ini.ReadInteger("A", "N", -1), c.expected) << c.value;
    }
    EXPECT_EQ(TIniFile::FromText("").ReadInteger("A", "N", 42), 42);
}

TEST(IniFile, EveryByteOfAValueSurvivesExceptLineBreaksAndZero)
{
    std::string value;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n')
            value.push_back(static_cast<char>(b));
    value = "x" + value + "x"; // blanks inside, not at the ends
    TIniFile ini = TIniFile::FromText("");
    ini.WriteString("S", "K", value);
    EXPECT_EQ(TIniFile::FromText(ini.Text()).ReadString("S", "K", ""), value);
}

TEST(IniFile, WritesNewSectionsAtTheEndAndReplacesInPlace)
{
    TIniFile ini = TIniFile::FromText("; kept\r\n[Y0]\r\nM=1\r\n\r\n[Y1]\r\nM=2\r\n");
    ini.WriteInteger("y0", "n", -5);    // new key: after the section's last key
    ini.WriteString("Y1", "m", "20");   // existing key: same line, its spelling kept
    ini.WriteString("Y2", "M", "3");
    EXPECT_EQ(ini.Text(), "; kept\r\n[Y0]\r\nM=1\r\nn=-5\r\n\r\n[Y1]\r\nM=20\r\n[Y2]\r\nM=3\r\n");
}

TEST(IniFile, EraseDeleteAndClear)
{
    TIniFile ini = TIniFile::FromText("[A]\nx=1\ny=2\n[B]\nz=3\n");
    ini.DeleteKey("a", "X");
    ini.EraseSection("b");
    EXPECT_EQ(ini.Text(), "[A]\r\ny=2\r\n");
    ini.Clear();
    EXPECT_EQ(ini.Text(), "");
}

TEST(IniFile, RefusesWhatWouldBreakTheLines)
{
    TIniFile ini = TIniFile::FromText("");
    const std::pair<const char*, const char*> names[] = {
        {"", "K"}, {"A]", "K"}, {"A\nB", "K"}, {"A", ""}, {"A", "K=1"}, {"A", "[K"}, {"A", "K\r"},
    };
    for (const auto& [section, key] : names)
        EXPECT_THROW(ini.WriteString(section, key, "v"), EGlobeException) << section << " / " << key;
    for (const std::string& value : {std::string("a\nb"), std::string("a\rb"), std::string("a\0b", 3)})
        EXPECT_THROW(ini.WriteString("A", "K", value), EGlobeException);
    EXPECT_EQ(ini.Text(), "");
}

TEST(IniFile, SkipsAByteOrderMark)
{
    EXPECT_THAT(TIniFile::FromText("\xEF\xBB\xBF[Q0]\nT=1\n").ReadSections(), ElementsAre("Q0"));
}

TEST(IniFile, FileRoundTripAndMissingFile)
{
    QTemporaryDir dir;
    const std::string name = dir.filePath("rota.Rot").toStdString();
    TIniFile fresh(name);
    EXPECT_TRUE(fresh.ReadSections().empty());
    fresh.WriteInteger("Y0", "M", 100);
    fresh.WriteInteger("Y0", "N", -200);
    fresh.UpdateFile();
    EXPECT_EQ(ReadAll(QString::fromStdString(name)), "[Y0]\r\nM=100\r\nN=-200\r\n");
    EXPECT_EQ(TIniFile(name).ReadInteger("Y0", "N", 0), -200);
}

TEST(IniFile, UnreadableFileIsAnError)
{
    QTemporaryDir dir;
    // A folder exists but cannot be read as a file.
    EXPECT_THROW(TIniFile(dir.path().toStdString()), EGlobeException);
}

TEST(IniFile, FailedSaveIsReported)
{
    QTemporaryDir dir;
    TIniFile ini = TIniFile::Create(dir.filePath("missing/w.Wpt").toStdString());
    ini.WriteInteger("Q0", "T", 2);
    try {
        ini.UpdateFile();
        ADD_FAILURE() << "no error";
    } catch (const EGlobeException& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write " + ini.FileName() + ": No such file or directory");
    }
}

TEST(IniFile, SaveKilledDuringTheWriteLeavesThePreviousFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("w.Wpt");
    const std::string previous = "[Q0]\r\nT=1\r\n";
    WriteAll(path, previous);

    // The file size limit kills the process in the middle of writing the
    // new contents.
    EXPECT_TRUE(KilledByFileSizeLimit(4096, [&] {
        std::string text;
        for (int i = 0; i < 2000; ++i)
            text += "[Q" + std::to_string(i) + "]\r\nS=" + std::string(100, 'x') + "\r\n";
        TIniFile ini = TIniFile::FromText(text);
        TIniFile target(path.toStdString());
        target.Clear();
        for (const std::string& section : ini.ReadSections())
            target.WriteString(section, "S", ini.ReadString(section, "S", ""));
        target.UpdateFile();
    }));
    EXPECT_EQ(ReadAll(path), previous);
}
