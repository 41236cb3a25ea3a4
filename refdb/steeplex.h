// External tower records (Steeplex), their index, their strings, and the cross-reference that
// ties each record to one of our towers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "refdb/index.h"
#include "refdb/ind_obj.h"

namespace tv {

// One external tower record. The numbers name entries of the six string indexes.
class CSteeplex : public CSelTgt {
 public:
  std::string location;
  uint16_t county = 0;       // "sxc"
  uint8_t bellCount = 0;
  uint16_t tenorWeight = 0;  // pounds
  uint16_t gridEasting = 0;  // as for towers
  uint16_t gridNorthing = 0;
  uint16_t saint = 0;        // "sxs"
  uint16_t map = 0;          // "sxm"
  uint16_t association = 0;  // "sxa"
  uint16_t practice = 0;     // "sxn"
  uint16_t building = 0;     // "sxi"
};

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

// The name of entry `key` of string index `n`; empty when there is none.
std::string StringText(int n, int32_t key);

// The external record with that key, or null.
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

}  // namespace tv
