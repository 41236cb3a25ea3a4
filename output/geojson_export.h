// The registry's "geojson" format: the towers of the exported peals as a GeoJSON map.
#pragma once

#include <memory>

#include "output/export_formats.h"

namespace tv {

// Command line only. The map has one point per tower of the tower peals exported; circled is
// null, as a ledger names no one ringer. Towers without a position are listed in the map's
// "skipped" member and named in the Ok status's message.
std::unique_ptr<CExportFormat> MakeGeoJsonFormat();

}  // namespace tv
