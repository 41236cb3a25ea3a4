// Where a tower stands on the map: from the public tower database's position of its external
// record, else from a grid reference converted to WGS84.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "geo/grid_conversion.h"

namespace tv {

enum class PositionSource : uint8_t {
  TowerDatabase,  // the external record's latitude and longitude (the public tower CSV)
  MapText,        // the external record's map text, read as "latitude, longitude"
  TowerGrid,      // the tower's own grid reference
  RecordGrid,     // the external record's grid reference
  MapGrid,        // the external record's map text, read as a grid reference
};
// "tower database", "map text", "tower grid reference", ...
std::string_view PositionSourceName(PositionSource source);

struct CTowerPosition {
  CLatLong at;
  PositionSource source = PositionSource::TowerDatabase;
};

// Reads "52.79858, -0.92747" (latitude, then longitude, in decimal degrees, a comma between);
// nullopt for anything else, and for values off the globe.
std::optional<CLatLong> ParseLatLongText(std::string_view text);

// The position of tower `towerKey` (the index set must be open), trying in order: its external
// record's position, that record's map text as a position, the tower's grid reference, the
// record's grid reference, the map text as a grid reference. Nullopt when none gives one; `why`
// then says what was missing or could not be converted.
std::optional<CTowerPosition> TowerPosition(int32_t towerKey, CGridConverter& converter,
                                            std::string* why = nullptr);

}  // namespace tv
