// Grid reference texts of the British National Grid and the Irish Grid, read into metres on
// their grids, and the 100 m grid references that towers and external tower records store.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tv {

enum class GridSystem : uint8_t {
  British,  // Ordnance Survey National Grid (EPSG:27700): two letters
  Irish,    // Irish Grid (EPSG:29903): one letter
};

// A point on a grid: the centre of the square a reference names, so that a reference of any
// precision is placed as near as it can be to where it means.
struct CGridPoint {
  GridSystem system = GridSystem::British;
  double easting = 0;   // metres from the grid's false origin
  double northing = 0;
  uint32_t precision = 0;  // the side of the square named, in metres (1 to 100000)
};

// Reads a grid reference: one letter (Irish Grid) or two (National Grid), then the same number
// of digits (0 to 5) for easting and northing, either run together ("SK724228") or as two groups
// ("SK 724 228"); blanks anywhere and lower case are allowed. Refused (nullopt, with the reason
// in `why` when given): a letter that names no square ("I", or a National Grid square off the
// grid), an odd number of digits, more than ten, two groups of unequal length, anything else.
std::optional<CGridPoint> ParseGridReference(std::string_view text, std::string* why = nullptr);

// The point of a stored grid reference (100 m units from 1000 km west and 500 km south of the
// National Grid's false origin, as towers hold it): the centre of its 100 m square. Nullopt for
// easting 0 (no reference) and for a square beyond the National Grid's lettered squares.
std::optional<CGridPoint> StoredGridPoint(uint16_t easting, uint16_t northing);

}  // namespace tv
