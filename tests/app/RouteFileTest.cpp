#include "app/RouteFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class RouteFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string path = dir.filePath("rota.Rot").toStdString();

    void Write(std::string_view bytes)
    {
        QFile f(QString::fromStdString(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    std::string Text()
    {
        QFile f(QString::fromStdString(path));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll().toStdString();
    }
};

} // namespace

TEST_F(RouteFile, WritesOneSectionPerPoint)
{
    WriteRouteFile(path, {{-246240000, -146340000, 0}, {5, -6, 0}});
    EXPECT_EQ(Text(), "[Y0]\r\nM=-246240000\r\nN=-146340000\r\n[Y1]\r\nM=5\r\nN=-6\r\n");
}

TEST_F(RouteFile, FiveSectionsGiveFivePointsInOrder)
{
    Write("[Y0]\nM=0\nN=10\n[Y1]\nM=1\nN=11\n[Y2]\nM=2\nN=12\n[Y3]\nM=3\nN=13\n[Y4]\nM=4\nN=14\n");
    const std::vector<TGeoPoint> expected = {{0, 10, 0}, {1, 11, 0}, {2, 12, 0}, {3, 13, 0}, {4, 14, 0}};
    EXPECT_EQ(ReadRouteFile(path), expected);
}

TEST_F(RouteFile, PositionsInTheListNameTheSectionsRead)
{
    // Listed out of order, with a foreign section and one without keys: the
    // k-th listed section reads "Y<k>".
    Write("[Y1]\nM=1\nN=11\n[Y0]\nM=0\nN=10\n[Q0]\nT=5\n[Y3]\nM=3\nN=13\n[Yx]\n");
    const std::vector<TGeoPoint> expected = {{0, 10, 0}, {1, 11, 0}, {3, 13, 0}, {0, 0, 0}};
    EXPECT_EQ(ReadRouteFile(path), expected);
}

TEST_F(RouteFile, LongitudesAreNormalisedAndMissingKeysAreZero)
{
    Write("[Y0]\nM=-977400000\n[Y1]\nN=garbage\n");
    const std::vector<TGeoPoint> expected = {{-977400000 + 1944000000, 0, 0}, {0, 0, 0}};
    EXPECT_EQ(ReadRouteFile(path), expected);
}

TEST_F(RouteFile, ASaveHoldsExactlyTheSavedRoute)
{
    WriteRouteFile(path, {{1, 1, 0}, {2, 2, 0}, {3, 3, 0}, {4, 4, 0}});
    WriteRouteFile(path, {{9, 9, 0}});
    EXPECT_EQ(ReadRouteFile(path), std::vector<TGeoPoint>({{9, 9, 0}}));
}
