#include "app/ChartFile.h"
#include "platform/GlobeException.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ChartFileTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    std::string file = QDir(tmp.path()).filePath("Baia.Carta").toStdString();

    void Put(const std::string& bytes)
    {
        QFile f(QString::fromStdString(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    std::string Bytes() const
    {
        QFile f(QString::fromStdString(file));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll().toStdString();
    }
};

const TChartFile Guanabara { "Guanabara.bmp", -233280000, -123930000, 1350, 1500 };

} // namespace

TEST_F(ChartFileTest, NewFileHoldsTheFiveKeysInOrder)
{
    WriteChartFile(file, Guanabara);
    EXPECT_EQ(Bytes(),
        "[Geral]\r\nBitMap=Guanabara.bmp\r\nLon=-233280000\r\nLat=-123930000\r\nPropX=1350\r\nPropY=1500\r\n");
    const TChartFile back = ReadChartFile(file);
    EXPECT_EQ(back.BitMap, Guanabara.BitMap);
    EXPECT_EQ(back.Lon, Guanabara.Lon);
    EXPECT_EQ(back.Lat, Guanabara.Lat);
    EXPECT_EQ(back.PropX, Guanabara.PropX);
    EXPECT_EQ(back.PropY, Guanabara.PropY);
}

TEST_F(ChartFileTest, MissingKeysReadAsZeroAndEmpty)
{
    Put("[geral]\r\nlon=12\r\nPropY=x\r\n");
    const TChartFile chart = ReadChartFile(file);
    EXPECT_EQ(chart.BitMap, "");
    EXPECT_EQ(chart.Lon, 12);
    EXPECT_EQ(chart.Lat, 0);
    EXPECT_EQ(chart.PropX, 0);
    EXPECT_EQ(chart.PropY, 0);
}

TEST_F(ChartFileTest, RewritingKeepsOtherKeysAndSections)
{
    Put("[Notas]\r\nAutor=DHN\r\n[Geral]\r\nBitMap=velho.bmp\r\nEscala=50000\r\nLon=1\r\n");
    WriteChartFile(file, Guanabara);
    EXPECT_EQ(Bytes(),
        "[Notas]\r\nAutor=DHN\r\n[Geral]\r\nBitMap=Guanabara.bmp\r\nEscala=50000\r\nLon=-233280000\r\n"
        "Lat=-123930000\r\nPropX=1350\r\nPropY=1500\r\n");
}

TEST_F(ChartFileTest, AChartWithoutBitmapKeepsTheFilesOwn)
{
    Put("[Geral]\r\nBitMap=velho.bmp\r\n");
    TChartFile chart = Guanabara;
    chart.BitMap.clear();
    WriteChartFile(file, chart);
    EXPECT_EQ(ReadChartFile(file).BitMap, "velho.bmp");

    QFile::remove(QString::fromStdString(file));
    WriteChartFile(file, chart);
    EXPECT_EQ(Bytes().substr(0, 18), "[Geral]\r\nBitMap=\r\n");
}

TEST_F(ChartFileTest, AnUnwritableFileRaises)
{
    file = QDir(tmp.path()).filePath("sem-pasta/Baia.Carta").toStdString();
    EXPECT_THROW(WriteChartFile(file, Guanabara), EGlobeException);
}
