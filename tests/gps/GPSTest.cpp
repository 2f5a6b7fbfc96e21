#include "NmeaTestSupport.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

constexpr double kSecond = 1.0 / 86400;

double offset()
{
    return currentUtcOffsetDays();
}

double clock(int h, int m, double s)
{
    return (h * 3600 + m * 60 + s) * kSecond;
}

struct GeoPosition {
    bool valid;
    TDateTime time;
    double latitude, longitude;
};

class GPSDecoding : public ::testing::Test {
protected:
    TGPS gps;
};

} // namespace

TEST_F(GPSDecoding, GllExampleGivesWestPositiveDegreesAndLocalTime)
{
    std::vector<GeoPosition> positions;
    gps.OnGeoPosition = [&](TGPS* sender, bool valid, TDateTime time, double lat, double lon) {
        EXPECT_EQ(sender, &gps);
        positions.push_back({ valid, time, lat, lon });
    };
    gps.ProcessBytes("$GPGLL,4916.45,N,12311.12,W,225444,A,*1D\r\n");
    ASSERT_EQ(positions.size(), 1u);
    EXPECT_TRUE(positions[0].valid);
    EXPECT_NEAR(positions[0].latitude, 49.2741666666, 1e-9);
    EXPECT_NEAR(positions[0].longitude, 123.1853333333, 1e-9);
    EXPECT_NEAR(positions[0].time, clock(22, 54, 44) + offset(), 1e-9);

    gps.ProcessBytes("$GPGLL,4916.45,N,12311.12,W,225444,A,*1d\r\n");
    EXPECT_EQ(positions.size(), 1u) << "lower-case checksum digits must not match";
    gps.ProcessBytes("$GPGLL,4916.45,S,12311.12,E,225444,V,\r\n");
    ASSERT_EQ(positions.size(), 2u) << "a sentence without checksum is decoded";
    EXPECT_FALSE(positions[1].valid);
    EXPECT_NEAR(positions[1].latitude, -49.2741666666, 1e-9);
    EXPECT_NEAR(positions[1].longitude, -123.1853333333, 1e-9);
}

TEST_F(GPSDecoding, TimesKeepTheirDecimalSeconds)
{
    // Most receivers write hhmmss.ss; reading those as midnight would stamp
    // every fix 00:00:00.
    std::vector<GeoPosition> positions;
    gps.OnGeoPosition = [&](TGPS*, bool valid, TDateTime time, double lat, double lon) {
        positions.push_back({ valid, time, lat, lon });
    };
    gps.ProcessBytes(withChecksum("GPGLL,4916.45,N,12311.12,W,225444.50,A,"));
    gps.ProcessBytes(withChecksum("GPGLL,4916.45,N,12311.12,W,2254,A,"));
    ASSERT_EQ(positions.size(), 2u);
    EXPECT_NEAR(positions[0].time, clock(22, 54, 44.5) + offset(), 1e-9);
    EXPECT_NEAR(positions[1].time, offset(), 1e-9);
}

TEST_F(GPSDecoding, GgaWithAnEmptyStrictFieldGivesAllZero)
{
    struct Position {
        TDateTime time;
        double lat, lon;
        TGPSQuality quality;
        int sats;
        double hdop, altitude, geoid;
    };
    std::vector<Position> positions;
    gps.OnPosition = [&](TGPS*, TDateTime t, double lat, double lon, TGPSQuality q, int n, double h, double a,
                         double g) {
        positions.push_back({ t, lat, lon, q, n, h, a, g });
    };
    gps.ProcessBytes("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n");
    gps.ProcessBytes(withChecksum("GPGGA,123519,4807.038,N,01131.000,E,2,08,0.9,,M,46.9,M,,"));
    gps.ProcessBytes(withChecksum("GPGGA,123519,4807.038,N,01131.000,E,2,08,0.9,545.4,M,46.9,M"));
    gps.ProcessBytes("$GPGGA,105458.408,5050.4126,N,00420.8228,E,1,05,1.75,102.0,M,,M,,0000*71\r\n");
    ASSERT_EQ(positions.size(), 3u) << "GGA needs 13 fields";
    // Receivers that never send the geoid height still give their position.
    EXPECT_NEAR(positions[2].lat, 50.84021, 1e-9);
    EXPECT_EQ(positions[2].sats, 5);
    EXPECT_DOUBLE_EQ(positions[2].altitude, 102.0);
    EXPECT_EQ(positions[2].geoid, 0);
    const Position& fix = positions[0];
    EXPECT_NEAR(fix.time, clock(12, 35, 19) + offset(), 1e-9);
    EXPECT_NEAR(fix.lat, 48.1173, 1e-9);
    EXPECT_NEAR(fix.lon, -11.5166666666, 1e-9);
    EXPECT_EQ(fix.quality, TGPSQuality::gpsqNormal);
    EXPECT_EQ(fix.sats, 8);
    EXPECT_DOUBLE_EQ(fix.hdop, 0.9);
    EXPECT_DOUBLE_EQ(fix.altitude, 545.4);
    EXPECT_DOUBLE_EQ(fix.geoid, 46.9);
    const Position& zero = positions[1];
    EXPECT_EQ(zero.time, 0);
    EXPECT_EQ(zero.lat, 0);
    EXPECT_EQ(zero.lon, 0);
    EXPECT_EQ(zero.quality, TGPSQuality::gpsqNone);
    EXPECT_EQ(zero.sats, 0);
    EXPECT_EQ(zero.hdop + zero.altitude + zero.geoid, 0);
}

TEST_F(GPSDecoding, RmcConvertsSpeedDateAndVariation)
{
    struct Fix {
        bool warning;
        TDateTime time;
        double lat, lon, speed, course, variation;
    };
    std::vector<Fix> fixes;
    gps.OnMinGPSData = [&](TGPS*, bool w, TDateTime t, double lat, double lon, double s, double c, double v) {
        fixes.push_back({ w, t, lat, lon, s, c, v });
    };
    gps.ProcessBytes("$GPRMC,225446,A,4916.45,N,12311.12,W,000.5,054.7,191194,020.3,E*68\r\n");
    gps.ProcessBytes(withChecksum("GPRMC,225446,V,,,,,10,054.7,191194,020.3,W"));
    gps.ProcessBytes(withChecksum("GPRMC,225446,A,4916.45,N,12311.12,W,x,,311394,020.3,"));
    ASSERT_EQ(fixes.size(), 3u);
    EXPECT_FALSE(fixes[0].warning);
    EXPECT_NEAR(fixes[0].time, dayCount(QDate(1994, 11, 19)) + clock(22, 54, 46) + offset(), 1e-9);
    EXPECT_EQ(toQDateTime(fixes[0].time - offset()),
        QDateTime(QDate(1994, 11, 19), QTime(22, 54, 46), Qt::LocalTime));
    EXPECT_NEAR(fixes[0].lat, 49.2741666666, 1e-9);
    EXPECT_NEAR(fixes[0].speed, 0.5 * 1.851852, 1e-12);
    EXPECT_DOUBLE_EQ(fixes[0].course, 54.7);
    EXPECT_DOUBLE_EQ(fixes[0].variation, -20.3);
    // Empty position, yet speed and course are converted.
    EXPECT_TRUE(fixes[1].warning);
    EXPECT_EQ(fixes[1].lat, 0);
    EXPECT_EQ(fixes[1].lon, 0);
    EXPECT_NEAR(fixes[1].speed, 18.51852, 1e-12);
    EXPECT_DOUBLE_EQ(fixes[1].variation, 20.3);
    // Bad speed, empty course, impossible date, no variation side.
    EXPECT_EQ(fixes[2].speed, 0);
    EXPECT_EQ(fixes[2].course, 0);
    EXPECT_NEAR(fixes[2].time, clock(22, 54, 46) + offset(), 1e-9);
    EXPECT_EQ(fixes[2].variation, 0);
}

TEST_F(GPSDecoding, SpeedAndDistanceUnits)
{
    struct Case {
        TSpeedUnit speedUnit;
        TDistanceUnit distanceUnit;
        double factor;
    };
    const Case cases[] = {
        { TSpeedUnit::suKm, TDistanceUnit::duKm, 1.851852 },
        { TSpeedUnit::suKnots, TDistanceUnit::duNm, 1 },
        { TSpeedUnit::suMiles, TDistanceUnit::duMiles, 1.1481 },
    };
    for (const Case& c : cases) {
        gps.SetSpeedUnit(c.speedUnit);
        gps.SetDistanceUnit(c.distanceUnit);
        double speed = -1, cte = -1, range = -1, velocity = -1;
        gps.OnMinGPSData
            = [&](TGPS*, bool, TDateTime, double, double, double s, double, double) { speed = s; };
        gps.OnNavigationInfo = [&](TGPS*, bool, bool, double x, const std::string&, const std::string&,
                                   double, double, double r, double, double v) {
            cte = x;
            range = r;
            velocity = v;
        };
        gps.ProcessBytes(withChecksum("GPRMC,225446,A,4916.45,N,12311.12,W,10,054.7,191194,,"));
        gps.ProcessBytes(withChecksum("GPRMB,A,2,L,003,004,4917.24,N,12309.57,W,10,052.5,20,V"));
        EXPECT_NEAR(speed, 10 * c.factor, 1e-12);
        EXPECT_NEAR(cte, -2 * c.factor, 1e-12);
        EXPECT_NEAR(range, 10 * c.factor, 1e-12);
        EXPECT_NEAR(velocity, 20 * c.factor, 1e-12);
        if (c.speedUnit == TSpeedUnit::suMiles) {
            EXPECT_NEAR(speed, 11.481, 1e-12);
        }
    }
}

TEST_F(GPSDecoding, RmbGivesTheLegToTheDestination)
{
    TEventLog log(gps);
    gps.ProcessBytes(withChecksum("GPRMB,A,0.66,R,003,004,4917.24,N,12309.57,W,001.3,052.5,000.5,A"));
    gps.SetDistanceUnit(TDistanceUnit::duNm);
    gps.SetSpeedUnit(TSpeedUnit::suKnots);
    gps.ProcessBytes("$GPRMB,V,,,,,,,,,,,,A,S*0E\r\n");
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0],
        "{\"event\":\"OnNavigationInfo\",\"Warning\":false,\"Arrived\":true,"
        "\"CTE\":1.2222223200000002,\"OriginWaypoint\":\"003\",\"DestWaypoint\":\"004\","
        "\"DestLat\":49.28733333333333,\"DestLon\":123.1595,"
        "\"RangeDest\":2.4074076,\"BearingDest\":52.5,\"Velocity\":0.925926}");
    EXPECT_EQ(log.lines[1],
        "{\"event\":\"OnNavigationInfo\",\"Warning\":true,\"Arrived\":true,\"CTE\":0,"
        "\"OriginWaypoint\":\"\",\"DestWaypoint\":\"\",\"DestLat\":0,\"DestLon\":0,"
        "\"RangeDest\":0,\"BearingDest\":0,\"Velocity\":0}");
}

TEST_F(GPSDecoding, BwcGivesBearingAndDistanceInNauticalMiles)
{
    TEventLog log(gps);
    gps.ProcessBytes("$GPBWC,225444,4917.24,N,12309.57,W,051.9,T,031.6,M,001.3,N,004*29\r\n");
    gps.ProcessBytes(withChecksum("GPBWR,225444,4917.24,N,12309.57,W,051.9,T,031.6,M,001.3,N,004"));
    ASSERT_EQ(log.lines.size(), 2u);
    for (const std::string& line : log.lines) {
        EXPECT_NE(line.find("\"Waypoint\":\"004\",\"Latitude\":49.28733333333333,"
                            "\"Longitude\":123.1595,\"BearingTrue\":51.9,\"BearingMag\":31.6,"
                            "\"Distance\":1.3}"),
            std::string::npos)
            << line;
    }
}

TEST_F(GPSDecoding, GsvSequenceRaisesOnceAfterItsLastMessage)
{
    std::vector<int> counts;
    TSatteliteTable table {};
    gps.OnSatteliteData = [&](TGPS*, int count, const TSatteliteTable& satellites) {
        counts.push_back(count);
        table = satellites;
    };
    gps.OnDOP = [](TGPS*, bool, bool, double, double, double) {};
    gps.ProcessBytes(withChecksum("GPGSA,A,3,17,28,06,,,,,,,,,,1.8,1.1,1.5"));
    gps.ProcessBytes("$GPGSV,3,2,11,30,23,011,29,20,17,069,20,26,09,293,23,13,07,304,10*7C\r\n"); // not yet
    gps.ProcessBytes("$GPGSV,3,1,12,17,72,207,32,28,59,095,31,06,35,347,25,01,29,132,23*7B\r\n"
                     "$GPGSV,3,2,12,30,23,011,29,20,17,069,20,26,09,293,23,13,07,304,10*7C\r\n"
                     "$GPGSV,3,3,12,11,12,132,04,08,38,008,,02,35,348,,03,14,091,*73\r\n");
    ASSERT_EQ(counts, std::vector<int> { 9 }) << "the last message has one whole satellite";
    EXPECT_EQ(table[0].PRN, 17);
    EXPECT_EQ(table[0].Elevation, 72);
    EXPECT_EQ(table[0].Azimuth, 207);
    EXPECT_EQ(table[0].SNR, 32);
    EXPECT_TRUE(table[0].Used);
    EXPECT_FALSE(table[3].Used);
    EXPECT_EQ(table[8].PRN, 11);
    // The satellite without SNR keeps the fields read before it.
    EXPECT_EQ(table[9].PRN, 8);
    EXPECT_EQ(table[9].Azimuth, 8);
    EXPECT_EQ(table[9].SNR, 0);

    counts.clear();
    gps.ProcessBytes(withChecksum("GPGSV,3,1,11,01,01,001,01,02,02,002,02,03,03,003,03,04,04,004,04"));
    gps.ProcessBytes(withChecksum("GPGSV,3,2,11,05,05,005,05,06,06,006,06,07,07,007,07,08,08,008,08"));
    gps.ProcessBytes(withChecksum("GPGSV,3,3,11,09,09,009,09,10,10,010,10,11,11,011,11"));
    EXPECT_EQ(counts, std::vector<int> { 11 });
}

TEST_F(GPSDecoding, GsvBeyondThirtyTwoSatellitesAndGarbledCountsAreHarmless)
{
    std::vector<int> counts;
    gps.OnSatteliteData = [&](TGPS*, int count, const TSatteliteTable&) { counts.push_back(count); };
    for (int message = 1; message <= 10; ++message)
        gps.ProcessBytes(withChecksum("GPGSV,10," + std::to_string(message)
            + ",40,01,01,001,01,02,02,002,02,03,03,003,03,04,04,004,04"));
    EXPECT_EQ(counts, std::vector<int> { 32 });
    // Message 0 before any sequence (a fuzzer's find): no record before the table.
    TGPS fresh;
    fresh.OnSatteliteData = [&](TGPS*, int count, const TSatteliteTable&) { counts.push_back(count); };
    fresh.ProcessBytes(withChecksum("GPGSV,0,0,40,01,01,001,01"));
    EXPECT_EQ(counts.size(), 1u);
    EXPECT_NO_THROW(gps.ProcessBytes(withChecksum("GPGSV,x,1,40,01,01,001,01")));
    EXPECT_NO_THROW(gps.ProcessBytes(withChecksum("GPGSV,1,1.5,40,01,01,001,01")));
    EXPECT_EQ(counts.size(), 1u);
    // A message second in a sequence that never had its first is ignored.
    gps.ProcessBytes(withChecksum("GPGSV,2,2,8,05,05,005,05,,,,,,,,,,,,"));
    EXPECT_EQ(counts.size(), 1u);
}

TEST_F(GPSDecoding, BodIsRaisedOnlyWhenTheBearingChanges)
{
    TEventLog log(gps);
    const std::string bod = withChecksum("GPBOD,099.3,T,105.6,M,POINTB,POINTA");
    gps.ProcessBytes(bod);
    gps.ProcessBytes(bod);
    gps.ProcessBytes("$GPBOD,,T,,M,,*47\r\n");
    gps.ProcessBytes("$GPBOD,,T,,M,,*47\r\n");
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0],
        "{\"event\":\"OnBearing\",\"BearingTrue\":99.3,\"BearingMag\":105.6,"
        "\"NameOrigin\":\"POINTA\",\"NameDest\":\"POINTB\",\"Valid\":true}");
    EXPECT_EQ(log.lines[1],
        "{\"event\":\"OnBearing\",\"BearingTrue\":1000,\"BearingMag\":1000,"
        "\"NameOrigin\":\"\",\"NameDest\":\"\",\"Valid\":false}");
}

TEST_F(GPSDecoding, RouteInTwoPartsIsRaisedOnceWhole)
{
    std::vector<std::vector<std::string>> routes;
    std::vector<int> routeNumbers;
    gps.OnActiveRoute = [&](TGPS*, int routeNo, const TWaypointList& list) {
        routeNumbers.push_back(routeNo);
        std::vector<std::string> names;
        for (const TWaypointData& waypoint : list.Items())
            names.push_back(waypoint.Name);
        routes.push_back(names);
    };
    gps.ProcessBytes(withChecksum("GPRTE,2,1,c,7,WP1,WP2"));
    EXPECT_TRUE(routes.empty());
    gps.ProcessBytes(withChecksum("GPRTE,2,2,c,7,WP3"));
    ASSERT_EQ(routes.size(), 1u);
    EXPECT_EQ(routes[0], (std::vector<std::string> { "WP1", "WP2", "WP3" }));
    EXPECT_EQ(routeNumbers[0], 7);
    EXPECT_EQ(gps.Waypoints().RouteNo, 7);

    // A second part without its first is ignored; a one-part route with no
    // route number is raised with 0.
    gps.ProcessBytes(withChecksum("GPRTE,2,2,c,7,WP9"));
    gps.ProcessBytes("$GPRTE,1,1,c,*37\r\n");
    ASSERT_EQ(routes.size(), 2u);
    EXPECT_TRUE(routes[1].empty());
    EXPECT_EQ(routeNumbers[1], 0);
    gps.ProcessBytes(withChecksum("GPRTE,x,1,c,7,WP1"));
    EXPECT_EQ(routes.size(), 2u);
}

TEST_F(GPSDecoding, WaypointLocationsFillTheRoute)
{
    gps.OnActiveRoute = [](TGPS*, int, const TWaypointList&) {};
    gps.ProcessBytes(withChecksum("GPRTE,1,1,c,0,003,004"));
    const TWaypointList& list = gps.Waypoints();
    ASSERT_EQ(list.Count(), 2);
    const_cast<TWaypointList&>(list).Changed = false;
    gps.ProcessBytes("$GPWPL,4917.16,N,12310.64,W,003*65\r\n");
    EXPECT_TRUE(list.Changed);
    EXPECT_NEAR(list[0].Latitude, 49.286, 1e-9);
    EXPECT_NEAR(list[0].Longitude, 123.17733333333, 1e-9);
    EXPECT_EQ(list[1].Latitude, 0);

    // The same names again keep their records and coordinates.
    const_cast<TWaypointList&>(list).Changed = false;
    gps.ProcessBytes(withChecksum("GPRTE,1,1,c,0,003,004"));
    gps.ProcessBytes("$GPWPL,4917.16,N,12310.64,W,003*65\r\n");
    EXPECT_FALSE(list.Changed);
    EXPECT_NEAR(list[0].Latitude, 49.286, 1e-9);
    gps.ProcessBytes(withChecksum("GPRTE,1,1,c,0,004"));
    EXPECT_TRUE(list.Changed);
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(GPSDecoding, RouteNamesAreBounded)
{
    gps.OnActiveRoute = [](TGPS*, int, const TWaypointList&) {};
    std::string names;
    for (int i = 0; i < 50; ++i)
        names += ",WAYPOINT" + std::to_string(i);
    gps.ProcessBytes(withChecksum("GPRTE,999999,1,c,0" + names));
    for (int part = 2; part < 200; ++part)
        gps.ProcessBytes(withChecksum("GPRTE,999999," + std::to_string(part) + ",c,0" + names));
    gps.ProcessBytes(withChecksum("GPRTE,200,200,c,0" + names));
    EXPECT_EQ(gps.Waypoints().Count(), static_cast<int>(TWaypointList::kMaxNames));
}

TEST_F(GPSDecoding, OtherSentencesGoToOnUnhandled)
{
    TEventLog log(gps);
    gps.ProcessBytes("$PGRME,15.0,M,45.0,M,25.0,M*1C\r\n");
    std::string body = "GPXYZ";
    for (int i = 0; i < 80; ++i)
        body += ",f" + std::to_string(i);
    gps.ProcessBytes(withChecksum(body));
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0],
        "{\"event\":\"OnUnhandled\",\"Talker\":\"PG\",\"ID\":\"RME\","
        "\"Data\":[\"15.0\",\"M\",\"45.0\",\"M\",\"25.0\",\"M\"]}");
    EXPECT_NE(log.lines[1].find("\"f63\"]}"), std::string::npos) << "64 fields kept, the rest ignored";
}

TEST_F(GPSDecoding, DecodersWithoutHandlersRaiseNothing)
{
    bool dop = false;
    gps.OnDOP = [&](TGPS*, bool, bool, double, double, double) { dop = true; };
    for (const char* text : { "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n",
             "$GPBOD,,T,,M,,*47\r\n", "$GPRTE,1,1,c,*37\r\n", "$PGRME,15.0,M,45.0,M,25.0,M*1C\r\n" })
        EXPECT_NO_THROW(gps.ProcessBytes(text));
    EXPECT_FALSE(dop);
}

TEST_F(GPSDecoding, ChunkBoundariesNeverDecodeTwice)
{
    int count = 0;
    gps.OnGeoPosition = [&](TGPS*, bool, TDateTime, double, double) { ++count; };
    const std::string text = "$GPGLL,4916.45,N,12311.12,W,225444,A,*1D\r\n";
    for (std::size_t cut = 1; cut < text.size(); ++cut) {
        gps.ProcessBytes(text.substr(0, cut));
        gps.ProcessBytes(text.substr(cut));
        gps.ProcessBytes("");
    }
    EXPECT_EQ(count, static_cast<int>(text.size()) - 1);
}

TEST_F(GPSDecoding, HandlerFailuresPropagateWithoutLosingTheRest)
{
    int calls = 0;
    gps.OnGeoPosition = [&](TGPS*, bool, TDateTime, double, double) {
        if (++calls == 1)
            throw std::runtime_error("handler failed");
    };
    const std::string gll = "$GPGLL,4916.45,N,12311.12,W,225444,A,*1D\r\n";
    EXPECT_THROW(gps.ProcessBytes(gll + gll), std::runtime_error);
    gps.ProcessBytes("");
    EXPECT_EQ(calls, 2) << "the second sentence waits for the next bytes";
}
