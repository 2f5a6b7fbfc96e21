#include "app/WaypointIcons.h"

#include <QDir>
#include <QPainter>

#include <gtest/gtest.h>

#include <set>

TEST(WaypointIcons, ThirtyFourDistinctPicturesOnTheTransparentColour)
{
    // A sheet of the pictures at twice their size, nine to a row, for a look.
    QImage sheet(9 * 68, 4 * 68, QImage::Format_RGB32);
    sheet.fill(Qt::lightGray);
    QPainter painter(&sheet);
    std::set<QByteArray> seen;
    for (int i = 0; i < WAYPOINT_ICON_COUNT; ++i) {
        const QImage icon = WaypointIcon(i);
        ASSERT_EQ(icon.size(), QSize(32, 32)) << i;
        EXPECT_EQ(icon.pixel(0, 31), qRgb(255, 255, 255)) << i;
        int drawn = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                drawn += icon.pixel(x, y) != qRgb(255, 255, 255);
        EXPECT_GT(drawn, 60) << "picture " << i << " is nearly empty";
        seen.insert(QByteArray(reinterpret_cast<const char*>(icon.constBits()), icon.sizeInBytes()));
        painter.drawImage(QRect(i % 9 * 68 + 2, i / 9 * 68 + 2, 64, 64), icon);
    }
    painter.end();
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(WAYPOINT_ICON_COUNT));
    EXPECT_TRUE(WaypointIcon(-1).isNull());
    EXPECT_TRUE(WaypointIcon(WAYPOINT_ICON_COUNT).isNull());
    QDir().mkpath(QDir::tempPath() + "/brumex-waypoints");
    sheet.save(QDir::tempPath() + "/brumex-waypoints/icons.png");
}

TEST(WaypointIcons, NamesFindTheirPictures)
{
    EXPECT_EQ(WaypointIconByName("anchor"), 1);
    EXPECT_EQ(WaypointIconByName("Buoy, White"), 23);
    EXPECT_EQ(WaypointIconByName("Waypoint"), 33);
    EXPECT_EQ(WaypointIconByName("Unknown"), -1);
    EXPECT_EQ(WaypointIconByName(""), -1);
}
