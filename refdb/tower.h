// Towers with their earlier identities, the tower index, the tenor weight and grid reference
// texts, and the resolution of imported tower texts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/dates.h"
#include "refdb/index.h"
#include "refdb/ind_obj.h"

namespace tv {

class File;

// A tower. When it changed over the years (recast, augmented, renamed), `earlier` holds what it
// was up to `untilDate`, and so on back: the chain runs from the newest identity to the oldest.
// Earlier identities have key 0 and are owned by the identity that followed them.
class CTower : public CSelTgt {
 public:
  int32_t ReadRecord(Archive& in) override;
  void WriteRecord(Archive& out) const override;
  void WriteCsvLine(std::string& out) const override;
  // By place, then county, then dedication; a null other sorts after.
  int Compare(const CIndObj* other) const override;
  int CompareText(std::string_view text) const override;
  // PLACE, county, dedication; in lists (variant != 0) red when replaced by another tower,
  // violet or blue when tied to an external record (keys from 8000, below 8000).
  std::string GetName(int variant) const override;
  std::string GetDetails() const override;
  // The Tower Details dialog; 1 on OK. A changed county or dedication, and a newly ticked
  // external-data box, are then settled one at a time through the index chooser.
  int Edit() override;
  void OnChosen(int32_t chosen) override;

  // --- the identity valid on a date (0 = now) ---
  const CTower& IdentityAt(Date date) const;
  std::string PlaceAt(Date date) const { return IdentityAt(date).place; }
  // The place (in capitals when `upper`), and ", " and the county's short form unless hidden.
  std::string PlaceWithCountyAt(bool upper, Date date) const;
  std::string CountyNameAt(Date date) const;
  std::string DedicationNameAt(int variant, Date date) const;
  uint8_t BellsAt(Date date) const { return IdentityAt(date).bellCount; }
  uint16_t WeightAt(Date date) const { return IdentityAt(date).tenorWeight; }

  // The tower as the SGML output tags it for a peal of `date`: the place, county and dedication
  // of the identity in force then (0: today's), and the external key. Texts are escaped.
  std::string TagTextAt(Date date) const;
  std::string TagText() const { return TagTextAt(0); }
  // "@" and the external key, with the external record's location, county and dedication.
  std::string SteeplexText() const;
  // Ties the tower to external record `sxKey` (0 unties): it takes the record's non-zero bells,
  // tenor and grid reference and is re-sorted. Called by LinkSteeplex, which keeps the
  // cross-reference.
  void SetSteeplex(int32_t sxKey);

  // The identity fields of `other` (not key, link, used flag, until date or chain).
  void CopyIdentity(const CTower& other);
  // A copy of this identity and its whole earlier chain, with key 0.
  std::unique_ptr<CTower> CloneChain() const;
  int EarlierCount() const;

  std::string place;
  uint8_t hideCounty = 0;
  uint8_t county = 0;
  uint8_t bellCount = 0;
  uint16_t tenorWeight = 0;   // pounds
  uint16_t gridEasting = 0;   // 100 m units from 1000 km west of the grid's false origin
  uint16_t gridNorthing = 0;  // 100 m units from 500 km south of it
  int32_t dedication = 0;
  int32_t steeplexKey = 0;
  Date untilDate = 0;  // earlier identities only: the last day they apply
  std::unique_ptr<CTower> earlier;

 private:
  // What an accepted Tower Details dialog leaves to be chosen, settled one at a time.
  struct PendingChoices {
    enum class Step { None, County, Dedication, Steeplex };
    Step asking = Step::None;
    int depth = 0;  // the identity given the county and dedication: 0 this one, 1 its earlier...
    bool county = false;
    std::string countyText;
    bool dedication = false;
    std::string dedicationText;
    bool tieSteeplex = false;
    bool untieSteeplex = false;
    bool resort = false;  // a county or dedication was chosen
  };
  CTower& IdentityAtDepth(int depth);
  void ContinueChoices();

  std::unique_ptr<PendingChoices> m_pending;
};

class CTowerIndex : public CIndex {
 public:
  using CIndex::CIndex;
  std::unique_ptr<CIndObj> NewObject() override;
  std::string CsvHeader() const override;
};

// --- tenor weights, in pounds (1 cwt = 112 lb, 1 qr = 28 lb) ---
// cwt-qr-lb: 2751 gives 24-2-7.
std::string WeightText(uint16_t weight);
// To the nearest cwt (2751 gives 25); below 84 lb, the pounds (56lb).
std::string WeightRounded(uint16_t weight);
// To the nearest quarter: 2751 gives 24 1/2 cwt.
std::string WeightQuarters(uint16_t weight);
// Reads cwt, cwt-qr or cwt-qr-lb, separated by "-", "/" or ":", in pounds; kept to 16 bits.
uint16_t ParseWeight(std::string_view text);
// The same weight without the cut to 16 bits, for callers that refuse or clamp a weight too
// large for its field.
int64_t ParseWeightWide(std::string_view text);

// --- Ordnance Survey grid references ---
// Two letters and three digits each of easting and northing: 14123, 6456 give SU123456. A
// value beyond the lettered grid shows "?" for its letters.
std::string GridRefText(uint16_t easting, uint16_t northing);
struct GridRef {
  uint16_t easting = 0;
  uint16_t northing = 0;
};
// The reverse of GridRefText (lower-case letters accepted). A text shorter than eight
// characters, or whose letters are not grid letters, gives no grid reference (0, 0).
GridRef ParseGridRef(std::string_view text);

// --- towers named by imports ---
// The tower an import names by place, county and dedication texts, found or added. A tower
// tied to `sxKey` in the cross-reference wins; a new tower is tied to it. Unless
// `noWeightMatch`, a close candidate (same county, tenor within 112 lb) may be taken, and the
// found tower's weight replaces `weight` when within 112 lb of it. The county text is matched
// by short form, then by full name, and a county is added for a text that names none; a county
// text given never lets a tower of another county be taken. Towers are judged by the identity
// in force on `date` (0: today's), so a peal rung before a change of identity, written with the
// earlier place, county or dedication, finds the same tower.
int32_t FindOrAddTower(int32_t sxKey, std::string_view place, std::string_view countyText,
                       std::string_view dedicationText, bool noWeightMatch, uint16_t& weight,
                       Date date = 0);
// As FindOrAddTower for one text "place, county, dedication". A county text that names no
// county is taken as the start of the dedication. " ->", the new tower's name and a blank are
// written to `log` (when given) for a tower added. Towers are judged at `date` as above.
int32_t FindOrAddTowerText(std::string_view text, bool noWeightMatch, uint16_t& weight,
                           int32_t sxKey, File* log, Date date = 0);

}  // namespace tv
