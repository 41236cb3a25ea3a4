// The public tower database's CSV (UTF-8, one row per ring, a header row naming the columns)
// read into the external tower indexes: one record per ring under its old four-digit tower
// number, with its texts in the six string indexes.
//
// Columns used: TowerBase (the record's key), TowerID (kept in the record), RingType (carillons
// are left out), Place and Place2 (the location, "Place, Place2" when the second is given),
// County, Dedicn (saint), AltName (the "In" text: the wider place the tower stands in),
// Affiliations (association), Practice (practice night), Lat and Long (the map text, and the
// record's position), Bells, Wt (tenor in pounds), NG (grid reference). Other columns are read past.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/code_page.h"
#include "core/status.h"

namespace tv {

// What an import of the tower CSV did; every data row is counted once, as imported or under
// the reason it was skipped.
struct TowerCsvSummary {
  uint32_t rows = 0;          // data rows read (the header not counted)
  uint32_t imported = 0;      // records written
  uint32_t replaced = 0;      // of those, records that took the place of one with the same key
  uint32_t carillons = 0;     // skipped: no change ringing
  uint32_t noNumber = 0;      // skipped: TowerBase empty, 0 or not a number
  uint32_t outOfRange = 0;    // skipped: TowerBase above the keys a collation visits
  uint32_t duplicates = 0;    // skipped: TowerBase already used by an earlier row of the file
  uint32_t damaged = 0;       // skipped: a row whose quoting or number of fields is wrong
  uint32_t stringsAdded = 0;  // new texts in the six string indexes
  TextConversion text;        // characters the code page lacks
  std::vector<std::string> problems;  // "line N: ..." for damaged rows and doubtful values

  uint32_t Skipped() const { return carillons + noNumber + outOfRange + duplicates + damaged; }
  // The summary as lines ended by LF: counts first, then the problems noted.
  std::string Text() const;
};

// Reads the CSV at `path` into the external tower record index and its six string indexes
// (the index set must be open) and saves them. A record replaces the entry with its key; a text
// already in a string index keeps its key there. Progress is reported as rows are read.
// NotFound: the file cannot be opened. BadData: the file has no header with the TowerBase and
// Place columns, and nothing changed. PartialRead: some rows were damaged and skipped (the
// message names the first); the others were imported.
Status ImportTowerCsv(const std::string& path, TowerCsvSummary& summary);

// The Steeplex menu's "Import Tower CSV": asks for the file, imports it, and shows the summary.
void ImportTowerCsvCommand();

// The external record keys by the public tower database's id, for records that carry one.
std::unordered_map<uint32_t, int32_t> SteeplexKeysByTowerId();

}  // namespace tv
