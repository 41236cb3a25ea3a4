// The towers of a record on the map: a ringer's towers with their circled state, or the towers
// of the selected performances for the recorder's view.
#pragma once

#include <string_view>
#include <vector>

#include "geo/geojson_map.h"
#include "records/record_rules.h"
#include "records/ringer_record.h"

namespace tv {

// The towers the ringer rang tower performances at, in the record's order, tagged with `kind`.
std::vector<CMapTower> MapTowersOfRecord(const CRingerRecord& record, std::string_view kind);

// The towers of the selected performances, circled by no one ringer, tagged with `kind`.
std::vector<CMapTower> MapTowersOfSelection(const std::vector<CPerformance>& performances,
                                            std::string_view kind);

}  // namespace tv
