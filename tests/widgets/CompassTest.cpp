#include "widgets/Compass.h"

#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <cmath>
#include <gtest/gtest.h>

namespace {

QImage Picture(TCompass& compass, const QString& name = {})
{
    const QImage image = compass.grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (!name.isEmpty()) {
        QDir().mkpath(QDir::tempPath() + "/brumex-widgets");
        image.save(QDir::tempPath() + "/brumex-widgets/" + name + ".png");
    }
    return image;
}

struct ColourCount {
    int total = 0;
    int left = 0; // x below the centre column
    int above = 0; // y above the centre row
};

ColourCount Count(const QImage& image, const QColor& colour)
{
    ColourCount count;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour) {
                ++count.total;
                count.left += x < image.width() / 2;
                count.above += y < image.height() / 2;
            }
    return count;
}

const TCompassLabel* FindLabel(const std::vector<TCompassLabel>& labels, const QString& text)
{
    for (const TCompassLabel& label : labels)
        if (label.Text == text)
            return &label;
    return nullptr;
}

} // namespace

TEST(Compass, PropertiesAfterConstruction)
{
    TCompass compass;
    EXPECT_EQ(compass.Heading(), 0);
    EXPECT_EQ(compass.ToSteer(), 0);
    EXPECT_EQ(compass.SmallStp(), 5);
    EXPECT_EQ(compass.LargeStp(), 15);
    EXPECT_EQ(compass.GreatStp(), 30);
    EXPECT_EQ(compass.MkColor(), QColor(Qt::black));
    EXPECT_TRUE(compass.Steer());
    EXPECT_EQ(compass.BEColor(), QColor(0, 128, 0));
    EXPECT_EQ(compass.BBColor(), QColor(255, 0, 0));
    EXPECT_EQ(compass.CardColor(), QColor(255, 0, 0));
    EXPECT_EQ(compass.font().family(), "Arial");
    EXPECT_EQ(compass.size(), QSize(100, 100));
}

TEST(Compass, HeadingAndBearingToSteerAreClampedToTheCircle)
{
    const struct {
        double set;
        double stored;
    } cases[] = { { 370, 360 }, { -5, 0 }, { 360, 360 }, { 0, 0 }, { 123.25, 123.25 }, { std::nan(""), 0 } };
    for (const auto& c : cases) {
        TCompass compass;
        compass.SetHeading(c.set);
        compass.SetToSteer(c.set);
        EXPECT_EQ(compass.Heading(), c.stored) << c.set;
        EXPECT_EQ(compass.ToSteer(), c.stored) << c.set;
    }
}

TEST(Compass, TickLengthsAndRadiusFollowTheSmallerSide)
{
    const struct {
        QSize size;
        TCompassGeometry expected;
    } cases[] = {
        // round(2.5) = 2: ties go to the even neighbour.
        { { 100, 100 }, { 50, 50, 37, 2, 5, 10 } },
        { { 200, 150 }, { 100, 75, 55, 4, 8, 15 } },
        { { 181, 260 }, { 90, 130, 66, 5, 9, 18 } },
    };
    for (const auto& c : cases) {
        TCompass compass;
        compass.resize(c.size);
        const TCompassGeometry g = compass.Geometry();
        EXPECT_EQ(g.CenterX, c.expected.CenterX);
        EXPECT_EQ(g.CenterY, c.expected.CenterY);
        EXPECT_EQ(g.Radius, c.expected.Radius) << c.size.width() << "x" << c.size.height();
        EXPECT_EQ(g.Small, c.expected.Small);
        EXPECT_EQ(g.Large, c.expected.Large);
        EXPECT_EQ(g.Great, c.expected.Great);
    }
}

TEST(Compass, LabelsEveryGreatStepWithTheCardinalsLargerAndBold)
{
    TCompass compass; // Arial 8 points at 96 dpi
    const std::vector<TCompassLabel> labels = compass.Labels();
    ASSERT_EQ(labels.size(), 12u);
    QStringList texts;
    for (const TCompassLabel& label : labels) {
        texts << label.Text;
        EXPECT_EQ(label.Cardinal, label.Bearing % 90 == 0);
        EXPECT_EQ(label.PointSize, label.Cardinal ? 11 : 8);
    }
    EXPECT_EQ(texts.join('|'), "E |120|150|S |210|240|W |300|330|N |30|60");

    // Top-left corners on a 100 x 100 card (R = 37) with the heading 0.
    const struct {
        const char* text;
        QPoint topLeft;
    } cases[] = { { "N ", { 50, -5 } }, { "E ", { 87, 50 } }, { "S ", { 50, 87 } }, { "W ", { -6, 50 } },
        { "120", { 84, 72 } } };
    for (const auto& c : cases) {
        const TCompassLabel* label = FindLabel(labels, c.text);
        ASSERT_NE(label, nullptr) << c.text;
        EXPECT_EQ(label->TopLeft, c.topLeft) << c.text;
    }
}

TEST(Compass, TheHeadingTurnsTheCardToTheTop)
{
    const struct {
        double heading;
        const char* top;
    } cases[] = { { 0, "N " }, { 90, "E " }, { 180, "S " }, { 270, "W " }, { 30, "30" } };
    for (const auto& c : cases) {
        TCompass compass;
        compass.resize(200, 200);
        compass.SetHeading(c.heading);
        const std::vector<TCompassLabel> labels = compass.Labels();
        const auto top = std::min_element(labels.begin(), labels.end(),
            [](const TCompassLabel& a, const TCompassLabel& b) { return a.TopLeft.y() < b.TopLeft.y(); });
        EXPECT_EQ(top->Text, c.top) << c.heading;
        EXPECT_NEAR(top->TopLeft.x(), 100, 1) << c.heading;
    }
}

TEST(Compass, TheNeedleIsDrawnOnlyWhenSteering)
{
    TCompass compass;
    compass.resize(200, 200);
    compass.SetHeading(40);
    compass.SetToSteer(40); // straight up
    const QImage steering = Picture(compass, "compass-needle-up");
    const ColourCount starboard = Count(steering, compass.BEColor());
    const ColourCount port = Count(steering, compass.BBColor());
    ASSERT_GT(starboard.total, 50);
    ASSERT_GT(port.total, 50);
    // Green on the right of the upward needle, red on its left.
    EXPECT_LT(starboard.left, starboard.total / 4);
    EXPECT_GT(port.left, port.total * 3 / 4);

    compass.SetToSteer(220); // straight down: starboard is on the left now
    const ColourCount down = Count(Picture(compass, "compass-needle-down"), compass.BEColor());
    EXPECT_GT(down.left, down.total * 3 / 4);

    compass.SetSteer(false);
    EXPECT_EQ(Count(Picture(compass, "compass-no-needle"), compass.BEColor()).total, 0);
}

TEST(Compass, StepsOfZeroOrBelowLeaveOutTheirTicks)
{
    TCompass compass;
    compass.resize(160, 160);
    compass.SetSmallStp(0);
    EXPECT_TRUE(compass.Labels().empty());
    Picture(compass); // paints without hanging
    compass.SetSmallStp(5);
    compass.SetGreatStp(0);
    EXPECT_TRUE(compass.Labels().empty());
    compass.SetGreatStp(-30);
    compass.SetLargeStp(0);
    Picture(compass);
    compass.SetGreatStp(45);
    EXPECT_EQ(compass.Labels().size(), 8u);
    compass.SetSmallStp(-5);
    EXPECT_TRUE(compass.Labels().empty());
    Picture(compass);
}

TEST(Compass, TheTwoWindowLooks)
{
    const struct {
        void (*look)(TCompass&);
        QColor marks;
        int pixels;
    } cases[] = { { UseMainWindowLook, Qt::cyan, 15 }, { UseSurveyWindowLook, Qt::white, 11 } };
    for (const auto& c : cases) {
        TCompass compass;
        c.look(compass);
        EXPECT_EQ(compass.SmallStp(), 5);
        EXPECT_EQ(compass.LargeStp(), 15);
        EXPECT_EQ(compass.GreatStp(), 30);
        EXPECT_EQ(compass.MkColor(), c.marks);
        EXPECT_FALSE(compass.Steer());
        EXPECT_EQ(compass.BEColor(), QColor(0, 128, 0));
        EXPECT_EQ(compass.BBColor(), QColor(Qt::red));
        EXPECT_EQ(compass.CardColor(), QColor(Qt::red));
        EXPECT_EQ(compass.font().family(), "Arial");
        EXPECT_EQ(QFontInfo(compass.font()).pixelSize(), c.pixels);
        EXPECT_EQ(compass.palette().color(QPalette::Window), QColor(0, 64, 128));
    }
    TCompass survey;
    UseSurveyWindowLook(survey);
    survey.resize(160, 160);
    Picture(survey, "compass-survey-window");
}

TEST(Compass, PicturesAtSeveralHeadings)
{
    for (const int heading : { 0, 45, 90, 200 }) {
        TCompass compass;
        compass.resize(220, 220);
        UseMainWindowLook(compass);
        compass.SetHeading(heading);
        const QImage image = Picture(compass, QString("compass-heading-%1").arg(heading));
        // The card's ticks in MkColor and the index marks in CardColor.
        EXPECT_GT(Count(image, Qt::cyan).total, 100);
        EXPECT_GT(Count(image, Qt::red).total, 20);
    }
}
