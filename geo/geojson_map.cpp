// The GeoJSON map of towers.
#include "geo/geojson_map.h"

#include <algorithm>
#include <cmath>
#include <map>

#include <nlohmann/json.hpp>

#include "core/code_page.h"
#include "geo/tower_position.h"
#include "peals/peal_record.h"
#include "refdb/index_set.h"
#include "refdb/tower.h"

namespace tv {
namespace {

using Json = nlohmann::ordered_json;

// Six decimals keep a position to about 0.1 m and the text the same from run to run.
double Rounded(double degrees) { return std::round(degrees * 1e6) / 1e6; }

std::string TowerName(int32_t key) {
  const CIndObj* tower = TowerIndex().Lookup(key);
  return tower ? tower->GetName(0) : "#" + std::to_string(key);
}

Json DateValue(Date date) { return date != 0 ? Json(IsoDateText(date)) : Json(nullptr); }

}  // namespace

std::vector<CMapTower> MapTowersOfPeals(std::span<const CPeal* const> peals) {
  std::map<int32_t, CMapTower> byTower;
  for (const CPeal* peal : peals) {
    if (!peal || peal->handbell || peal->tower == 0) continue;
    const auto key = static_cast<int32_t>(peal->tower);
    CMapTower& tower = byTower[key];
    tower.tower = key;
    if (tower.performances == 0 || peal->date < tower.first) tower.first = peal->date;
    if (tower.performances == 0 || peal->date > tower.last) tower.last = peal->date;
    ++tower.performances;
  }
  std::vector<CMapTower> towers;
  towers.reserve(byTower.size());
  for (const auto& [key, tower] : byTower) towers.push_back(tower);
  std::stable_sort(towers.begin(), towers.end(), [](const CMapTower& a, const CMapTower& b) {
    return a.first < b.first;
  });
  return towers;
}

CGeoJsonMap WriteGeoJsonMap(const std::vector<CMapTower>& towers, CGridConverter& converter) {
  CGeoJsonMap map;
  Json features = Json::array();
  Json skipped = Json::array();
  for (const CMapTower& tower : towers) {
    const std::string name = TowerName(tower.tower);
    std::string why;
    const auto position = TowerPosition(tower.tower, converter, &why);
    if (!position) {
      map.skipped.push_back({.tower = tower.tower, .name = name, .reason = why});
      skipped.push_back(Json{{"tower", tower.tower},
                             {"name", Win1252ToUtf8(name)},
                             {"reason", why}});
      continue;
    }
    Json properties = {{"tower", tower.tower}, {"name", Win1252ToUtf8(name)}};
    if (!tower.kind.empty()) properties["kind"] = tower.kind;
    properties["performances"] = tower.performances;
    properties["first"] = DateValue(tower.first);
    properties["last"] = DateValue(tower.last);
    properties["circled"] = tower.circled ? Json(*tower.circled) : Json(nullptr);
    properties["position"] = std::string(PositionSourceName(position->source));
    features.push_back(Json{
        {"type", "Feature"},
        {"geometry",
         {{"type", "Point"},
          {"coordinates",
           Json::array({Rounded(position->at.longitude), Rounded(position->at.latitude)})}}},
        {"properties", std::move(properties)}});
  }
  const Json document = {{"type", "FeatureCollection"},
                         {"features", std::move(features)},
                         {"skipped", std::move(skipped)}};
  // Texts that are not UTF-8 (none should be, after the conversion) are replaced, not thrown.
  map.json = document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
  return map;
}

std::string SkippedTowerText(const CMapSkip& skip) {
  return "tower " + std::to_string(skip.tower) + " " + skip.name + " has no position (" +
         skip.reason + "); it is left off the map";
}

}  // namespace tv
