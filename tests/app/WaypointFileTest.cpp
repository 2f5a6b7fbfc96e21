#include "app/WaypointFile.h"
#include "platform/IniFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

std::string ReadAll(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll().toStdString();
}

void WriteAll(const std::string& path, std::string_view bytes)
{
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

class WaypointFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string path = dir.filePath("pontos.Wpt").toStdString();
};

} // namespace

TEST(TitleScrambling, StoresEachByteShiftedByItsPositionAndMasked)
{
    EXPECT_EQ(ScrambleTitle("Novo"), "\xCC\xEC\xF2\xEA");
    EXPECT_EQ(ScrambleTitle("Rota"), "\xD0\xEC\xF0\xDC");
    EXPECT_EQ(ScrambleTitle(""), "");
    // The same letter at two positions gives two bytes.
    const std::string twice = ScrambleTitle("aa");
    EXPECT_NE(twice[0], twice[1]);
}

TEST(TitleScrambling, EveryTitleComesBack)
{
    std::string all;
    for (int i = 0; i < 600; ++i) // longer than 256: positions wrap
        all.push_back(static_cast<char>(i * 7));
    for (const std::string& title : {std::string("Ilha do Mel"), std::string("Pra\xE7\x61 \xB0 1"), all})
        EXPECT_EQ(UnscrambleTitle(ScrambleTitle(title)), title);
}

TEST_F(WaypointFile, WritesSectionsWithTheFourKeysInOrder)
{
    WriteWaypointFile(path, {{-246240000, -146340000, "Novo", 0}, {1, -2, "Rota", 33}});
    EXPECT_EQ(ReadAll(path), "[Q0]\r\nT=-146340000\r\nS=\xCC\xEC\xF2\xEA\r\nP=1957\r\nG=-246240000\r\n"
                             "[Q1]\r\nT=-2\r\nS=\xD0\xEC\xF0\xDC\r\nP=1990\r\nG=1\r\n");
}

TEST_F(WaypointFile, ReadsFilesOfThePlainScheme)
{
    WriteAll(path, "[Q0]\r\nT=100\r\nS=\xCC\xEC\xF2\xEA\r\nP=1960\r\nG=200\r\n"
                   "[Y0]\r\nM=5\r\nN=6\r\n"       // a route section: not a waypoint
                   "[q9]\r\nT=1\r\n"              // lower case: not a waypoint either
                   "[Q7]\r\n"                     // every key missing
                   "[Q1]\r\ng=977400000\r\nt=-5\r\n"); // longitude beyond 180 degrees
    const std::vector<TWaypointRecord> expected = {
        {200, 100, "Novo", 3},
        {0, 0, UnscrambleTitle("Novo"), -WAYPOINT_ICON_BASE},
        {977400000 - 1944000000, -5, UnscrambleTitle("Novo"), -WAYPOINT_ICON_BASE},
    };
    EXPECT_EQ(ReadWaypointFile(path), expected);
}

TEST_F(WaypointFile, TitlesALineCannotHoldComeBackIntact)
{
    // Titles whose scrambled form holds a line break, a zero byte, or blanks at an end.
    const std::string scrambledForms[] = {
        "\nabc", "ab\rc", std::string("ab\0c", 4), " lead", "trail\t", "a\r\n b ", " ",
    };
    std::vector<TWaypointRecord> waypoints;
    for (const std::string& s : scrambledForms)
        waypoints.push_back({10, 20, UnscrambleTitle(s), 1});
    WriteWaypointFile(path, waypoints);
    EXPECT_EQ(ReadWaypointFile(path), waypoints);
    // The file still has one line per key, and "S" keeps what a line can hold.
    const TIniFile ini(path);
    EXPECT_EQ(ini.ReadSections().size(), waypoints.size());
    EXPECT_EQ(ini.ReadString("Q3", "S", "?"), "lead");
    EXPECT_EQ(ini.ReadString("Q3", "X", "?"), "206C656164");
    EXPECT_FALSE(ini.ValueExists("Q0", "S") && ini.ReadString("Q0", "S", "").find('\n') != std::string::npos);
}

TEST_F(WaypointFile, ABadEscapeFallsBackToTheTitle)
{
    WriteAll(path, "[Q0]\r\nT=1\r\nS=\xCC\xEC\xF2\xEA\r\nP=1957\r\nG=2\r\nX=4G\r\n");
    EXPECT_EQ(ReadWaypointFile(path).at(0).Title, "Novo");
}

TEST_F(WaypointFile, ASaveHoldsExactlyTheSavedSet)
{
    std::vector<TWaypointRecord> many;
    for (int i = 0; i < 5; ++i)
        many.push_back({i, -i, "W" + std::to_string(i), i});
    WriteWaypointFile(path, many);
    const std::vector<TWaypointRecord> few(many.begin(), many.begin() + 2);
    WriteWaypointFile(path, few);
    EXPECT_EQ(ReadWaypointFile(path), few);
    WriteWaypointFile(path, {});
    EXPECT_TRUE(ReadWaypointFile(path).empty());
}

TEST_F(WaypointFile, RoundTripKeepsExtremes)
{
    const std::vector<TWaypointRecord> waypoints = {
        {972000000, 486000000, "", 0},
        {-972000000, -486000000, "Fim do mundo \xE0 vista", 33},
        {0, 0, "=[Q0]=", 40}, // key and section characters inside a title
    };
    WriteWaypointFile(path, waypoints);
    EXPECT_EQ(ReadWaypointFile(path), waypoints);
}
