// The position of a tower from its external record or a grid reference.
#include "geo/tower_position.h"

#include "refdb/index_set.h"
#include "refdb/steeplex.h"
#include "refdb/tower.h"

namespace tv {

std::string_view PositionSourceName(PositionSource source) {
  switch (source) {
    case PositionSource::TowerDatabase: return "tower database";
    case PositionSource::MapText: return "map text";
    case PositionSource::TowerGrid: return "tower grid reference";
    case PositionSource::RecordGrid: return "external record grid reference";
    case PositionSource::MapGrid: return "map text grid reference";
  }
  return "";
}

std::optional<CLatLong> ParseLatLongText(std::string_view text) {
  const size_t comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  int32_t latitude = 0;
  int32_t longitude = 0;
  if (!ParseDegrees(text.substr(0, comma), 90, latitude) ||
      !ParseDegrees(text.substr(comma + 1), 180, longitude)) {
    return std::nullopt;
  }
  return CLatLong{.latitude = latitude / double{kMicrodegrees},
                  .longitude = longitude / double{kMicrodegrees}};
}

std::optional<CTowerPosition> TowerPosition(int32_t towerKey, CGridConverter& converter,
                                            std::string* why) {
  const auto* tower = dynamic_cast<const CTower*>(TowerIndex().Lookup(towerKey));
  if (!tower) {
    if (why) *why = "no such tower in the index";
    return std::nullopt;
  }
  const CSteeplex* record = tower->steeplexKey != 0 ? SteeplexRecord(tower->steeplexKey) : nullptr;
  const std::string mapText = record ? StringText(kSxMap, record->map) : std::string();
  if (record && record->hasPosition) {
    return CTowerPosition{{record->latitude / double{kMicrodegrees},
                           record->longitude / double{kMicrodegrees}},
                          PositionSource::TowerDatabase};
  }
  if (const auto at = ParseLatLongText(mapText)) return CTowerPosition{*at, PositionSource::MapText};

  std::string failure;
  const auto convert = [&](const std::optional<CGridPoint>& point,
                           PositionSource source) -> std::optional<CTowerPosition> {
    if (!point) return std::nullopt;
    std::string error;
    if (const auto at = converter.ToWgs84(*point, &error)) return CTowerPosition{*at, source};
    if (failure.empty()) failure = error;
    return std::nullopt;
  };
  if (auto p = convert(StoredGridPoint(tower->gridEasting, tower->gridNorthing),
                       PositionSource::TowerGrid)) {
    return p;
  }
  if (record) {
    if (auto p = convert(StoredGridPoint(record->gridEasting, record->gridNorthing),
                         PositionSource::RecordGrid)) {
      return p;
    }
    if (auto p = convert(ParseGridReference(mapText), PositionSource::MapGrid)) return p;
  }
  if (why) {
    *why = !failure.empty() ? failure
           : tower->gridEasting != 0 ? "its grid reference is off the National Grid"
                                     : "no position and no grid reference";
  }
  return std::nullopt;
}

}  // namespace tv
