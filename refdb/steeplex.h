// External tower records (Steeplex), their index, their strings, and the cross-reference that
// ties each record to one of our towers.
//
// Record layout (tagged fields, data file of "steeplex"): key, 'l' location, 'b' bells (byte),
// 't' tenor, 'e' easting, 'n' northing (16 bits each), then the array 'd' of type 5 (tag 0xA4,
// count 6) holding map, association, practice, building, county and saint, always written,
// zeros included; then, for a record made from the public tower database, 'g' that database's
// own tower id (a number, left out when 0, so every other record keeps its bytes; readers that
// do not know it skip it); then, only for a record that has a position, 'w': an array of type 6
// (tag 0xD7, count 2) holding the latitude and the longitude in WGS84 as signed 32-bit
// millionths of a degree (readers that do not know it skip it); end byte. Reading also takes the single fields 'c', 's', 'm', 'a',
// 'p', 'i'.
//
// "steeplex.xrf" in the index directory: the element count as a 16-bit little-endian number
// (or 0xFFFF and then the count as 32 bits when it is 65535 or more), then one 16-bit tower key
// per external record key.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "refdb/ind_obj.h"
#include "refdb/index.h"

namespace tv {

// The keys a collation visits: 0 to 16383, in bit-reversed order.
inline constexpr int32_t kCollateKeys = 16384;
// Records from this key on are shown in violet, those below in blue.
inline constexpr int32_t kFirstHighSteeplexKey = 8000;
inline constexpr const char* kSteeplexXrefName = "steeplex.xrf";

// One external tower record. The numbers name entries of the six string indexes.
class CSteeplex : public CSelTgt {
 public:
  int32_t ReadRecord(Archive& in) override;
  void WriteRecord(Archive& out) const override;
  // By location (case ignored), then the county, saint and building strings; a record without
  // one of those strings sorts after.
  int Compare(const CIndObj* other) const override;
  int CompareText(std::string_view text) const override;
  // "12: Ashby,Leicestershire,St Mary": the key, the location, then the county and saint
  // texts when set.
  std::string GetName(int variant) const override;
  // The answer to a collation's question about this record: a tower key ties them and the
  // collation goes on; 0 ends it.
  void OnChosen(int32_t chosen) override;

  std::string location;
  uint16_t county = 0;  // "sxc"
  uint8_t bellCount = 0;
  uint16_t tenorWeight = 0;  // pounds
  uint16_t gridEasting = 0;  // as for towers
  uint16_t gridNorthing = 0;
  uint16_t saint = 0;        // "sxs"
  uint16_t map = 0;          // "sxm"
  uint16_t association = 0;  // "sxa"
  uint16_t practice = 0;     // "sxn"
  uint16_t building = 0;     // "sxi"
  uint32_t towerId = 0;      // the public tower database's id (TowerID); 0 for none
  // The position the public tower database gives, in millionths of a degree (WGS84).
  bool hasPosition = false;
  int32_t latitude = 0;   // north positive, -90e6 to 90e6
  int32_t longitude = 0;  // east positive, -180e6 to 180e6
};

inline constexpr int32_t kMicrodegrees = 1000000;
// Reads a position in decimal degrees ("52.79858", "-0.92747", blanks around allowed) as
// millionths of a degree, rounded; false for anything else and for a value beyond `limit`
// degrees either way.
bool ParseDegrees(std::string_view text, int limit, int32_t& microdegrees);

class CSteeplexIndex : public CIndex {
 public:
  using CIndex::CIndex;
  std::unique_ptr<CIndObj> NewObject() override;
};

// The string indexes in their set order, named by the letters "sicanm".
enum SteeplexString : int {
  kSxSaint = 0,
  kSxBuilding = 1,
  kSxCounty = 2,
  kSxAssociation = 3,
  kSxPractice = 4,
  kSxMap = 5,
};
inline constexpr char kSteeplexStringLetters[] = "sicanm";

// The name of entry `key` of string index `n`; empty when there is none.
std::string StringText(int n, int32_t key);

// The external record with that key, or null (also for a key whose entry was removed).
CSteeplex* SteeplexRecord(int32_t sxKey);

// The tower tied to each external record: element k is the tower key of record k, 0 for none.
// Element 0 is always present.
class CSteeplexXref {
 public:
  // The tower tied to `sxKey`; 0 when none or beyond the array.
  int32_t TowerOf(int32_t sxKey) const;
  // Ties `sxKey` to `towerKey` (0 unties), growing the array. Keys outside 0..65535 are ignored:
  // a record key never exceeds 16 bits.
  void Set(int32_t sxKey, int32_t towerKey);
  bool Changed() const { return m_changed; }
  void Clear();
  size_t Size() const { return m_towers.size(); }

  // Replaces the array with the file's; a missing file leaves it empty, a file cut short keeps
  // the elements before the cut. Either way the array is unchanged afterwards.
  void Read(const std::string& path);
  // Writes the array through a temporary and clears the changed flag; false (flag kept) when
  // the file cannot be written.
  bool Write(const std::string& path);
  // The file's bytes.
  std::string Bytes() const;

 private:
  std::vector<uint16_t> m_towers = std::vector<uint16_t>(1, 0);
  bool m_changed = false;
};

CSteeplexXref& SteeplexXref();
int32_t TowerOf(int32_t sxKey);
// Ties record `sxKey` to tower `towerKey`: the tower that held the record lets it go, the new
// tower takes the record's bells, tenor and grid reference (CTower::SetSteeplex), and the
// cross-reference records the tie.
void LinkSteeplex(int32_t sxKey, int32_t towerKey);

// The cross-reference of the index directory, read when the index set opens and written when
// the indexes are saved, if it changed.
void LoadSteeplexXref(const std::string& directory);
void SaveSteeplexXref(const std::string& directory);

// --- the Steeplex menu ---
// "Import Steeplex Data": asks for the main file, then imports it.
void ImportSteeplexCommand();
struct SteeplexImportCounts {
  int strings[6] = {0, 0, 0, 0, 0, 0};  // fields read from each string file
  int records = 0;                      // records read from the main file
};
// Reads the six string files "sx?.sxd" beside `mainPath` and then the main file into their
// indexes, each entry under its position or its own key, replacing what had that key; saves
// each index. Files that cannot be opened are skipped. Progress is reported every 101 records.
SteeplexImportCounts ImportSteeplexFiles(const std::string& mainPath);

// "Collate Steeplex and Towers Data": visits the records in bit-reversed key order and, for each
// record not tied to a tower, asks through the second chooser which tower it is. Stale ties
// are cleared on the way. A cancel ends the collation.
void CollateSteeplex();
// The key that collate position `position` (1 to 16384) visits: its 14 low bits reversed.
int32_t CollateKey(int32_t position);
// The records a collation would ask about, in its order, without asking; stale ties are
// reported as untied and left alone.
std::vector<int32_t> UntiedSteeplexRecords();

}  // namespace tv
