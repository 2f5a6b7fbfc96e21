#include "app/AppPaths.h"
#include "AppFixture.h"

#include <QDir>
#include <QFileInfo>

using AppPathsTest = AppFixture;

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
