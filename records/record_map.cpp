// The towers of a record on the map.
#include "records/record_map.h"

#include <string>

namespace tv {

std::vector<CMapTower> MapTowersOfRecord(const CRingerRecord& record, std::string_view kind) {
  std::vector<CMapTower> towers;
  towers.reserve(record.towers.size());
  for (const CTowerRung& rung : record.towers) {
    towers.push_back({.tower = static_cast<int32_t>(rung.tower),
                      .performances = rung.performances,
                      .first = rung.first,
                      .last = rung.last,
                      .circled = rung.Circled(),
                      .kind = std::string(kind)});
  }
  return towers;
}

std::vector<CMapTower> MapTowersOfSelection(const std::vector<CPerformance>& performances,
                                            std::string_view kind) {
  std::vector<const CPeal*> selected;
  for (const CPerformance& p : performances) {
    if (p.selected) selected.push_back(p.peal);
  }
  std::vector<CMapTower> towers = MapTowersOfPeals(selected);
  for (CMapTower& tower : towers) tower.kind = std::string(kind);
  return towers;
}

}  // namespace tv
