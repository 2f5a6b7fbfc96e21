#include "survey/SurveyState.h"

#include "geo/GlobeUnits.h"

#include <gtest/gtest.h>

namespace {

const TGeoPoint Start { -233280000, -122580000, 0 }; // 43.2 W, 22.7 S

// A point `km` north of Start along its meridian.
TGeoPoint North(double km)
{
    return { Start.Long, Start.Lat + static_cast<int32_t>(UnitsToGU(TGlobeUnitTypes::Kilometer, km)), 0 };
}

struct PKCase {
    const char* name;
    bool inverso;
    TGeoPoint previous;
    double pkAfter; // starting from 100
    double runningAfter; // running odometers, starting from 10
};

class CalculaPKTest : public ::testing::TestWithParam<PKCase> { };

TEST_P(CalculaPKTest, PostFollowsInversoWhileRunningOdometersGrow)
{
    const PKCase& c = GetParam();
    TSurveyState s;
    s.CurrentPK = 100;
    s.O1 = s.O2 = s.O3 = 10;
    s.L1 = s.L3 = true; // the second one is stopped
    s.CalculaPK(North(1.25), c.previous, c.inverso);
    // Positions are whole GlobeUnits, about 2 cm apart.
    EXPECT_NEAR(s.CurrentPK, c.pkAfter, 1e-5);
    EXPECT_NEAR(s.O1, c.runningAfter, 1e-5);
    EXPECT_NEAR(s.O3, c.runningAfter, 1e-5);
    EXPECT_EQ(s.O2, 10);
}

INSTANTIATE_TEST_SUITE_P(Steps, CalculaPKTest,
    ::testing::Values(PKCase { "forwards", false, Start, 101.25, 11.25 },
        PKCase { "inverso", true, Start, 98.75, 11.25 },
        // No previous position yet: the first report after opening.
        PKCase { "first report", false, TGeoPoint {}, 100, 10 },
        PKCase { "first report inverso", true, TGeoPoint {}, 100, 10 }),
    [](const auto& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST(SurveyStateTest, StandingStillChangesNothing)
{
    TSurveyState s;
    s.CurrentPK = 5;
    s.L1 = true;
    s.CalculaPK(Start, Start, true);
    EXPECT_EQ(s.CurrentPK, 5);
    EXPECT_EQ(s.PKStep, 0);
    EXPECT_EQ(s.O1, 0);
}

TEST(SurveyStateTest, SelectedOdometerIsTheFirstSelectedOne)
{
    TSurveyState s;
    s.O1 = 1;
    s.O2 = 2;
    s.O3 = 3;
    double value = -1;
    EXPECT_FALSE(s.SelectedOdometer(value));
    s.R2 = true;
    ASSERT_TRUE(s.SelectedOdometer(value));
    EXPECT_EQ(value, 2);
}

TEST(SurveyStateTest, TenthsRoundTiesToEven)
{
    struct Case {
        double km, tenth;
    };
    for (const Case c : { Case { 12.34, 12.3 }, Case { 12.36, 12.4 }, Case { 0.25, 0.2 }, Case { 0.35, 0.4 },
             Case { -1.25, -1.2 }, Case { 99.96, 100.0 } })
        EXPECT_DOUBLE_EQ(RoundToTenth(c.km), c.tenth) << c.km;
}

} // namespace

TEST(SurveyStateTest, TrackPointDueTakesTheFirstTestThatHolds)
{
    struct Case {
        const char* what;
        bool force;
        int points;
        double speed, course, previousCourse, post;
        bool due;
    };
    const Case cases[] = {
        { "fast, straight, between posts", false, 5, 80, 10, 10, 1.25, false },
        { "forced", true, 5, 80, 10, 10, 1.25, true },
        { "empty track", false, 0, 80, 10, 10, 1.25, true },
        { "slow", false, 5, 49.9, 10, 10, 1.25, true },
        { "at the threshold is fast", false, 5, 50, 10, 10, 1.25, false },
        { "turn over 2 degrees", false, 5, 80, 12.5, 10, 1.25, true },
        { "turn of 2 degrees", false, 5, 80, 12, 10, 1.25, false },
        { "turn the other way", false, 5, 80, 7.5, 10, 1.25, true },
        { "whole kilometre", false, 5, 80, 10, 10, 3.04, true },
        { "just past it", false, 5, 80, 10, 10, 3.06, false },
        { "post 0 (no survey)", false, 5, 80, 10, 10, 0, true },
        { "negative whole post", false, 5, 80, 10, 10, -3, true },
        { "a post too large for an integer", false, 5, 80, 10, 10, 1e300, true },
    };
    for (const Case& c : cases) {
        TNavigationState nav;
        nav.ForceTrackPoint = c.force;
        nav.SpeedShown = c.speed;
        nav.CourseDeg = c.course;
        nav.PreviousCourseDeg = c.previousCourse;
        EXPECT_EQ(TrackPointDue(nav, c.points, c.post), c.due) << c.what;
    }
}
