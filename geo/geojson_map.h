// The map of towers rung at: a GeoJSON FeatureCollection (RFC 7946) of one Point per tower,
// written with nlohmann-json in a fixed order so that the same towers give the same bytes.
//
// Layout: {"type": "FeatureCollection", "features": [...], "skipped": [...]}, indented by two
// blanks, lines ended by LF, UTF-8. Each feature: "type": "Feature", "geometry": {"type":
// "Point", "coordinates": [longitude, latitude]} rounded to 6 decimals (about 0.1 m), then
// "properties": tower (key), name, kind (only when given), performances, first and last (ISO
// dates), circled (true, false, or null when not known), position (where it came from).
// "skipped" lists the towers without a position as {tower, name, reason}, in the same order.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/dates.h"
#include "geo/grid_conversion.h"

namespace tv {

class CPeal;

// One tower of the map and what was rung there.
struct CMapTower {
  int32_t tower = 0;
  uint32_t performances = 0;
  Date first = 0;
  Date last = 0;
  std::optional<bool> circled;  // nullopt: the map is of no one ringer
  std::string kind;             // "peal", "quarter peal"; empty to leave it out
};

// The towers of the tower performances among `peals` (handbell peals and peals without a tower
// are not on the map): one each, with its number of peals and first and last dates, ordered by
// the first date, then the tower key; circled unknown.
std::vector<CMapTower> MapTowersOfPeals(std::span<const CPeal* const> peals);

struct CMapSkip {
  int32_t tower = 0;
  std::string name;    // Windows-1252, as the tower index names it
  std::string reason;
};

struct CGeoJsonMap {
  std::string json;              // the whole document
  std::vector<CMapSkip> skipped; // the towers left off, as the document lists them
};

// The map of `towers` in the order given. The index set must be open.
CGeoJsonMap WriteGeoJsonMap(const std::vector<CMapTower>& towers, CGridConverter& converter);

// "tower 12 LEEDS, W Yorks, St Peter has no position (no position and no grid reference); it is
// left off the map": one line for each tower skipped, without a line end.
std::string SkippedTowerText(const CMapSkip& skip);

}  // namespace tv
