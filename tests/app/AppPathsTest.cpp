#include "app/AppPaths.h"
#include "AppFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using AppPathsTest = AppFixture;

namespace {

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST_F(AppPathsTest, DataFolderIsCreatedUnderTheUsersDataHome)
{
    const QString expected = DataHome() + "/Morvenko/Brumex";
    ASSERT_FALSE(QFileInfo::exists(expected));
    EXPECT_EQ(TAppPaths::DataDir(), expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());
    EXPECT_EQ(TAppPaths::DataFile("GlEnv"), expected + "/GlEnv");
}

TEST_F(AppPathsTest, SettingsFoldersResolveAgainstTheDataFolder)
{
    const QString data = DataHome() + "/Morvenko/Brumex";
    const struct {
        QString stored;
        QString resolved;
    } cases[] = {
        { "Layers/", data + "/Layers" },
        { "../Layers/", DataHome() + "/Morvenko/Layers" },
        { "..\\Cartas\\", DataHome() + "/Morvenko/Cartas" },
        { "/srv/mapas/", "/srv/mapas" },
        { "", data },
    };
    for (const auto& c : cases)
        EXPECT_EQ(TAppPaths::Resolve(c.stored), c.resolved) << c.stored.toStdString();
}

TEST_F(AppPathsTest, ShippedFileReachesTheLayerFolderOnceAndNeverReplacesTheUsers)
{
    const QString shippedDir = QCoreApplication::applicationDirPath() + "/data";
    QDir().mkpath(shippedDir);
    const QString shipped = shippedDir + "/ShippedTest.lyr";
    WriteFile(shipped, "shipped");
    const QString layers = TAppPaths::Resolve("Layers/");

    EXPECT_TRUE(TAppPaths::ProvideShippedFile("ShippedTest.lyr", layers));
    EXPECT_EQ(ReadFile(layers + "/ShippedTest.lyr"), "shipped");

    WriteFile(layers + "/ShippedTest.lyr", "user's own");
    EXPECT_TRUE(TAppPaths::ProvideShippedFile("ShippedTest.lyr", layers));
    EXPECT_EQ(ReadFile(layers + "/ShippedTest.lyr"), "user's own");

    QFile::remove(shipped);
    EXPECT_FALSE(TAppPaths::ProvideShippedFile("Missing.lyr", layers));
}
