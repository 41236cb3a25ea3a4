// The GeoJSON map: where each tower's position comes from, the towers of a list of peals, the
// document read back as JSON, towers without a position, and the same bytes every time.
#include "geo/geojson_map.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/code_page.h"
#include "peals/peal_record.h"
#include "refdb/assoc.h"
#include "refdb/steeplex.h"
#include "refdb/tower.h"
#include "tests/refdb/reference_fixture.h"

namespace tv {
namespace {

using Json = nlohmann::json;

class GeoJsonMapTest : public ReferenceTest {
 protected:
  CTower& AddTower(const std::string& place) {
    uint16_t weight = 0;
    const int32_t key = FindOrAddTower(0, place, "", "", true, weight);
    return *dynamic_cast<CTower*>(TowerIndex().Lookup(key));
  }
  // An external record, tied to `tower`, with the map text given.
  CSteeplex& AddRecord(CTower& tower, int32_t sxKey, const std::string& mapText = "") {
    auto record = std::make_unique<CSteeplex>();
    record->key = sxKey;
    record->location = tower.place;
    if (!mapText.empty()) {
      auto text = std::make_unique<CSXdata>();
      text->name = mapText;
      text->abbreviation = "?";
      record->map = static_cast<uint16_t>(sxKey);
      SteeplexStrings(kSxMap).AddWithKey(std::move(text), sxKey);
    }
    SteeplexIndex().AddWithKey(std::move(record), sxKey);
    tower.steeplexKey = sxKey;
    return *SteeplexRecord(sxKey);
  }
  static void SetGrid(CTower& tower, const char* grid) {
    const GridRef ref = ParseGridRef(grid);
    tower.gridEasting = ref.easting;
    tower.gridNorthing = ref.northing;
  }
  static CMapTower On(const CTower& tower, uint32_t performances = 1) {
    return {.tower = tower.key, .performances = performances, .first = MakeDate(1, 2, 2020),
            .last = MakeDate(3, 4, 2024)};
  }
  CGeoJsonMap Write(const std::vector<CMapTower>& towers) {
    return WriteGeoJsonMap(towers, converter);
  }
  CGridConverter converter;
};

TEST_F(GeoJsonMapTest, DocumentHasTheFeatureCollectionShape) {
  CTower& leeds = AddTower("Leeds");
  SetGrid(leeds, "SE306333");
  CTower& ab = AddTower("Ab Kettleby");
  CSteeplex& record = AddRecord(ab, 6918);
  record.hasPosition = true;
  record.latitude = 52798580;
  record.longitude = -927470;
  CMapTower circled = On(ab, 3);
  circled.circled = true;
  circled.kind = "peal";

  const CGeoJsonMap map = Write({On(leeds, 12), circled});
  const Json doc = Json::parse(map.json);
  EXPECT_EQ(doc["type"], "FeatureCollection");
  ASSERT_TRUE(doc["features"].is_array());
  ASSERT_EQ(doc["features"].size(), 2u);
  EXPECT_TRUE(doc["skipped"].is_array() && doc["skipped"].empty());
  for (const Json& feature : doc["features"]) {
    EXPECT_EQ(feature["type"], "Feature");
    EXPECT_EQ(feature["geometry"]["type"], "Point");
    ASSERT_EQ(feature["geometry"]["coordinates"].size(), 2u);
    EXPECT_TRUE(feature["properties"].is_object());
  }
  // Longitude first, as GeoJSON orders a position.
  const Json& first = doc["features"][0];
  EXPECT_NEAR(first["geometry"]["coordinates"][0].get<double>(), -1.536, 0.001);
  EXPECT_NEAR(first["geometry"]["coordinates"][1].get<double>(), 53.795, 0.001);
  EXPECT_EQ(first["properties"]["tower"], leeds.key);
  EXPECT_EQ(first["properties"]["name"], leeds.GetName(0));
  EXPECT_EQ(first["properties"]["performances"], 12);
  EXPECT_EQ(first["properties"]["first"], "2020-02-01");
  EXPECT_EQ(first["properties"]["last"], "2024-04-03");
  EXPECT_TRUE(first["properties"]["circled"].is_null());
  EXPECT_FALSE(first["properties"].contains("kind"));
  EXPECT_EQ(first["properties"]["position"], "tower grid reference");
  const Json& second = doc["features"][1];
  EXPECT_EQ(second["geometry"]["coordinates"], Json::parse("[-0.92747, 52.79858]"));
  EXPECT_EQ(second["properties"]["circled"], true);
  EXPECT_EQ(second["properties"]["kind"], "peal");
  EXPECT_EQ(second["properties"]["position"], "tower database");
}

TEST_F(GeoJsonMapTest, PositionComesFromTheBestSourceThere) {
  // The record's own position wins over every grid reference.
  CTower& both = AddTower("Both");
  SetGrid(both, "SK724228");
  AddRecord(both, 1, "51.5, -0.1").hasPosition = true;
  SteeplexRecord(1)->latitude = 10 * kMicrodegrees;
  // A map text holding a position (what earlier imports of the tower CSV kept).
  CTower& mapped = AddTower("Mapped");
  SetGrid(mapped, "SK724228");
  AddRecord(mapped, 2, "51.5, -0.1");
  // The record's grid reference when the tower has none of its own.
  CTower& recordGrid = AddTower("Record Grid");
  CSteeplex& r3 = AddRecord(recordGrid, 3, "Sheet 129");
  r3.gridEasting = 14724;
  r3.gridNorthing = 8228;
  // A map text holding an Irish Grid reference.
  CTower& irish = AddTower("Irish");
  AddRecord(irish, 4, "J 329 672");

  const Json doc = Json::parse(Write({On(both), On(mapped), On(recordGrid), On(irish)}).json);
  ASSERT_EQ(doc["features"].size(), 4u);
  const auto source = [&](int i) { return doc["features"][i]["properties"]["position"]; };
  const auto latitude = [&](int i) {
    return doc["features"][i]["geometry"]["coordinates"][1].get<double>();
  };
  EXPECT_EQ(source(0), "tower database");
  EXPECT_DOUBLE_EQ(latitude(0), 10.0);
  EXPECT_EQ(source(1), "map text");
  EXPECT_DOUBLE_EQ(latitude(1), 51.5);
  EXPECT_EQ(source(2), "external record grid reference");
  EXPECT_NEAR(latitude(2), 52.798, 0.001);
  EXPECT_EQ(source(3), "map text grid reference");
  EXPECT_NEAR(latitude(3), 54.536, 0.001);
}

TEST_F(GeoJsonMapTest, TowersWithoutAPositionAreListedAsSkipped) {
  CTower& nowhere = AddTower("Nowhere");
  CTower& sheet = AddTower("Sheet Only");
  AddRecord(sheet, 7, "Sheet 129");
  CTower& placed = AddTower("Placed");
  SetGrid(placed, "TQ300800");
  CTower& offGrid = AddTower("Off Grid");
  offGrid.gridEasting = 100;  // square VV: no square of the National Grid
  offGrid.gridNorthing = 100;

  const CGeoJsonMap map = Write({On(nowhere), On(sheet), On(placed), On(offGrid)});
  const Json doc = Json::parse(map.json);
  EXPECT_EQ(doc["features"].size(), 1u);
  ASSERT_EQ(map.skipped.size(), 3u);
  ASSERT_EQ(doc["skipped"].size(), 3u);
  EXPECT_EQ(doc["skipped"][0]["tower"], nowhere.key);
  EXPECT_EQ(doc["skipped"][0]["name"], nowhere.GetName(0));
  EXPECT_EQ(doc["skipped"][0]["reason"], "no position and no grid reference");
  EXPECT_EQ(doc["skipped"][1]["tower"], sheet.key);
  EXPECT_EQ(doc["skipped"][2]["reason"], "its grid reference is off the National Grid");
  EXPECT_EQ(SkippedTowerText(map.skipped[0]),
            "tower " + std::to_string(nowhere.key) + " " + nowhere.GetName(0) +
                " has no position (no position and no grid reference); it is left off the map");
  // A tower key with no entry is named by its key and skipped, not dropped.
  const CGeoJsonMap missing = Write({{.tower = 999}});
  ASSERT_EQ(missing.skipped.size(), 1u);
  EXPECT_EQ(missing.skipped[0].name, "#999");
}

TEST_F(GeoJsonMapTest, BytesAreTheSameEveryTimeAndTextsAreUtf8) {
  CTower& tower = AddTower("Llanf\xF4r");  // o circumflex in Windows-1252
  SetGrid(tower, "SH945776");
  const std::string once = Write({On(tower)}).json;
  CGridConverter another;
  EXPECT_EQ(once, WriteGeoJsonMap({On(tower)}, another).json);
  // Coordinates carry at most six decimals; the name is UTF-8.
  const Json doc = Json::parse(once);
  const std::string name = doc["features"][0]["properties"]["name"];
  EXPECT_EQ(name, Win1252ToUtf8(tower.GetName(0)));
  EXPECT_NE(name.find("\xC3"), std::string::npos) << name;
  for (const Json& value : doc["features"][0]["geometry"]["coordinates"]) {
    const double d = value.get<double>();
    EXPECT_DOUBLE_EQ(d, std::round(d * 1e6) / 1e6);
  }
  EXPECT_EQ(once.back(), '\n');
  EXPECT_EQ(Write({}).json,
            "{\n  \"type\": \"FeatureCollection\",\n  \"features\": [],\n  \"skipped\": []\n}\n");
}

TEST_F(GeoJsonMapTest, TowersOfPealsCountTowerPealsOnlyInOrderOfTheFirst) {
  std::vector<CPeal> peals(6);
  const auto set = [&](int i, uint32_t tower, Date date, bool handbell = false) {
    peals[i].tower = tower;
    peals[i].date = date;
    peals[i].handbell = handbell;
  };
  set(0, 5, MakeDate(1, 1, 2021));
  set(1, 3, MakeDate(31, 12, 1999));
  set(2, 5, MakeDate(1, 1, 2020));
  set(3, 5, MakeDate(1, 1, 2022));
  set(4, 3, MakeDate(1, 1, 2000), true);  // handbells: at no tower on the map
  set(5, 0, MakeDate(1, 1, 1990));        // no tower
  std::vector<const CPeal*> list;
  for (const CPeal& peal : peals) list.push_back(&peal);
  const std::vector<CMapTower> towers = MapTowersOfPeals(list);
  ASSERT_EQ(towers.size(), 2u);
  EXPECT_EQ(towers[0].tower, 3);
  EXPECT_EQ(towers[0].performances, 1u);
  EXPECT_EQ(towers[0].first, MakeDate(31, 12, 1999));
  EXPECT_EQ(towers[0].last, MakeDate(31, 12, 1999));
  EXPECT_EQ(towers[1].tower, 5);
  EXPECT_EQ(towers[1].performances, 3u);
  EXPECT_EQ(towers[1].first, MakeDate(1, 1, 2020));
  EXPECT_EQ(towers[1].last, MakeDate(1, 1, 2022));
  EXPECT_FALSE(towers[1].circled);
}

}  // namespace
}  // namespace tv
