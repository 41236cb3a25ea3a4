// Grid reference texts read into grid metres, stored references, and their conversion to WGS84
// landing near the published positions of real towers.
#include "geo/grid_reference.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geo/grid_conversion.h"

namespace tv {
namespace {

TEST(GridReferenceTest, GoodReferencesGiveTheCentreOfTheirSquare) {
  const struct {
    const char* text;
    GridSystem system;
    double easting, northing;
    uint32_t precision;
  } cases[] = {
      {"SK724228", GridSystem::British, 472450, 322850, 100},
      {"SK 724 228", GridSystem::British, 472450, 322850, 100},
      {"sk 72422 22855", GridSystem::British, 472422.5, 322855.5, 1},
      {" S K7 2 ", GridSystem::British, 475000, 325000, 10000},
      {"SK", GridSystem::British, 450000, 350000, 100000},
      {"SV 0000000000", GridSystem::British, 0.5, 0.5, 1},
      {"HP 6 1", GridSystem::British, 465000, 1215000, 10000},  // Shetland
      {"TQ 3000 8000", GridSystem::British, 530005, 180005, 10},
      {"NJ9360", GridSystem::British, 393500, 860500, 1000},
      {"J329672", GridSystem::Irish, 332950, 367250, 100},
      {"o 1500 3400", GridSystem::Irish, 315005, 234005, 10},
      {"V00", GridSystem::Irish, 5000, 5000, 10000},
      {"E 9 9", GridSystem::Irish, 495000, 495000, 10000},
  };
  for (const auto& c : cases) {
    std::string why;
    const auto point = ParseGridReference(c.text, &why);
    ASSERT_TRUE(point) << c.text << ": " << why;
    EXPECT_EQ(point->system, c.system) << c.text;
    EXPECT_DOUBLE_EQ(point->easting, c.easting) << c.text;
    EXPECT_DOUBLE_EQ(point->northing, c.northing) << c.text;
    EXPECT_EQ(point->precision, c.precision) << c.text;
  }
}

TEST(GridReferenceTest, ImpossibleReferencesAreRefusedWithAReason) {
  const struct {
    const char* text;
    const char* reason;
  } cases[] = {
      {"", "no grid letters"},
      {"724228", "no grid letters"},
      {"SI724228", "'I' names no grid square"},
      {"I 123 456", "'I' names no grid square"},
      {"AB123456", "'A' names no square of the National Grid"},
      {"VV123456", "'V' names no square of the National Grid"},
      {"SKX123456", "more than two grid letters"},
      {"SK12345", "an odd number of digits"},
      {"SK 1234 567", "the easting and northing have different numbers of digits"},
      {"SK 12 34 56", "the digits are in more than two groups"},
      {"SK123456789012", "more than ten digits"},
      {"SK12-345", "'-' is not a digit"},
      {"SK1234A6", "'A' is not a digit"},
  };
  for (const auto& c : cases) {
    std::string why;
    EXPECT_FALSE(ParseGridReference(c.text, &why)) << c.text;
    EXPECT_EQ(why, c.reason) << c.text;
  }
}

TEST(GridReferenceTest, StoredReferenceIsTheCentreOfItsHundredMetreSquare) {
  // SK724228 as towers store it: 100 m units from 1000 km west, 500 km south of the origin.
  const auto point = StoredGridPoint(14724, 8228);
  ASSERT_TRUE(point);
  EXPECT_DOUBLE_EQ(point->easting, 472450);
  EXPECT_DOUBLE_EQ(point->northing, 322850);
  EXPECT_EQ(point->precision, 100u);
  EXPECT_FALSE(StoredGridPoint(0, 0));       // no reference
  EXPECT_FALSE(StoredGridPoint(0, 8228));    // easting 0 means none, whatever the northing
  EXPECT_FALSE(StoredGridPoint(30000, 100));  // beyond the lettered squares
  EXPECT_FALSE(StoredGridPoint(100, 100));    // square VV: off the National Grid
  EXPECT_TRUE(StoredGridPoint(14999, 17999));  // HP999999, Shetland
}

// Metres between two positions (small distances; an equirectangular estimate is ample).
double Metres(const CLatLong& a, double latitude, double longitude) {
  constexpr double kPi = 3.14159265358979323846;
  const double north = (a.latitude - latitude) * 111320.0;
  const double east = (a.longitude - longitude) * 111320.0 * std::cos(latitude * kPi / 180);
  return std::hypot(north, east);
}

// The grid references and positions that the public tower database publishes for these
// towers (its sample CSV). A 100 m reference is at most 71 m from the point it stands for, so
// these were chosen among those well inside 50 m; a wrong letter or datum is kilometres out.
TEST(GridConversionTest, TowersLandWithinFiftyMetresOfTheirPublishedPositions) {
  const struct {
    const char* name;
    const char* grid;
    double latitude, longitude;
  } towers[] = {
      {"Aberdeen, RC Cathedral of St Mary of the Assumption", "NJ 936 060", 57.14540, -2.10681},
      {"Leeds Minster", "SE306333", 53.79532, -1.53601},
      {"Birmingham, St Martin", "SP073865", 52.47693, -1.89353},
      {"Ballylesson, Holy Trinity (Irish Grid)", "J329672", 54.53632, -5.94721},
  };
  CGridConverter converter;
  for (const auto& tower : towers) {
    const auto point = ParseGridReference(tower.grid);
    ASSERT_TRUE(point) << tower.name;
    std::string why;
    const auto at = converter.ToWgs84(*point, &why);
    ASSERT_TRUE(at) << tower.name << ": " << why;
    EXPECT_LT(Metres(*at, tower.latitude, tower.longitude), 50.0) << tower.name;
  }
}

TEST(GridConversionTest, GridsAreToldApart) {
  // The same letters and digits on the two grids are hundreds of kilometres apart: "J" alone
  // is near Belfast, but as the start of a National Grid reference it names no square.
  CGridConverter converter;
  const auto irish = converter.ToWgs84(*ParseGridReference("J 329 672"));
  ASSERT_TRUE(irish);
  EXPECT_NEAR(irish->latitude, 54.5, 0.1);
  EXPECT_NEAR(irish->longitude, -5.9, 0.1);
  const auto british = converter.ToWgs84(*ParseGridReference("JJ 329 672"));
  ASSERT_TRUE(british);
  EXPECT_GT(british->latitude, 60.0);  // north of Shetland
}

}  // namespace
}  // namespace tv
