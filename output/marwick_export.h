// The per-tower layout of the Marwick peal database: each peal is added to the file of its
// tower, named by the tower's Steeplex key.
//
// Tower with Steeplex key k: folder "f" + k / 1000 (integer division) and in it the file
// k".mp1" ('f0/987.mp1'). A tower without a Steeplex key has a file of its own named the same
// way by its tower key in folders "t" + key / 1000 ('t0/41.mp1'), which no Steeplex-keyed file
// can share. A tower file is CR LF lines: first, written when the file is made, the
// tower's SteeplexText ("@" key and the external record's location, county and dedication);
// then one line per peal: the date as dd/mm/yyyy, a blank, the method's full title ("m)" at the
// end written " Methods)"), and, when the peal has a footnote, a blank and the first footnote in
// double quotes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "peals/peal_record.h"

namespace tv {

class CTower;

inline constexpr const char* kMarwickExtension = ".mp1";

// The folder of a tower's file, relative to the export directory: "f0".
std::string MarwickFolder(int32_t steeplexKey);
// The tower file's path relative to the export directory: "f0/987.mp1".
std::string MarwickFilePath(int32_t steeplexKey);
// The folder and file of a tower without a Steeplex key, by its tower key: "t0", "t0/41.mp1".
std::string MarwickTowerFolder(int32_t towerKey);
std::string MarwickTowerFilePath(int32_t towerKey);
// The first line of a new tower file, without its line end.
std::string MarwickHeading(const CTower& tower);
// The peal's line, without its line end.
std::string MarwickLine(const CPeal& peal);

struct CMarwickResult {
  int pealsWritten = 0;
  int pealsWithoutTower = 0;             // peals with no tower, or one without an entry: nothing written
  int pealsSkipped = 0;                  // peals whose tower file could not be written
  std::vector<std::string> failedFiles;  // those files, in the order first met
};

// Adds every peal's line to its tower's file under `directory` (ending in a separator),
// making folders and files as needed and appending to files that exist. Each file is rewritten
// whole through a temporary, so a failure leaves it as it was; the other towers' files are
// still written and the failures are listed in the result.
CMarwickResult ExportMarwick(std::span<const CPeal* const> peals, const std::string& directory);

}  // namespace tv
