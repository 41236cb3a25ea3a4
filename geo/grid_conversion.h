// Grid points converted to latitude and longitude in WGS84 with PROJ.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "geo/grid_reference.h"

namespace tv {

struct CLatLong {
  double latitude = 0;   // degrees, north positive
  double longitude = 0;  // degrees, east positive
};

// Converts points of the National Grid (EPSG:27700) and the Irish Grid (EPSG:29903) to WGS84
// (EPSG:4326) with the best transformation PROJ has on this machine, never over the network.
// One converter sets up each grid's transformation once, when first asked; not thread-safe.
class CGridConverter {
 public:
  CGridConverter();
  ~CGridConverter();
  CGridConverter(const CGridConverter&) = delete;
  CGridConverter& operator=(const CGridConverter&) = delete;

  // Nullopt when PROJ cannot convert the point (no transformation available, or a point it
  // refuses); `why` then says what PROJ said.
  std::optional<CLatLong> ToWgs84(const CGridPoint& point, std::string* why = nullptr);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace tv
