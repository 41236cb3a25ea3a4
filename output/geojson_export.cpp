// The GeoJSON map export.
#include "output/geojson_export.h"

#include "geo/geojson_map.h"

namespace tv {
namespace {

class CGeoJsonFormat : public CExportFormat {
 public:
  CGeoJsonFormat() : CExportFormat(-1, "geojson", "Map", "GeoJSON", "geojson") {}

  Status Write(std::span<const CPeal* const> peals, CExportOptions&,
               std::string& out) const override {
    CGridConverter converter;
    const CGeoJsonMap map = WriteGeoJsonMap(MapTowersOfPeals(peals), converter);
    out += map.json;
    std::string message;
    for (const CMapSkip& skip : map.skipped) {
      message += (message.empty() ? "" : "\n") + SkippedTowerText(skip);
    }
    return {StatusCode::Ok, message};
  }
};

}  // namespace

std::unique_ptr<CExportFormat> MakeGeoJsonFormat() { return std::make_unique<CGeoJsonFormat>(); }

}  // namespace tv
