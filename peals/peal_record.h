// One peal (CPeal): when, where, what and by whom it was rung, with its tagged free-text extras.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/archive.h"
#include "core/dates.h"
#include "refdb/ind_obj.h"

namespace tv {

// The nine extra lists, by their position in "sofvzbpex".
enum ExtraList : int {
  kSource = 0,      // s, ordered
  kCorrection = 1,  // o, ordered
  kFootnote = 2,    // f, ordered
  kValidity = 3,    // v, ordered
  kBellsList = 4,   // z, always empty: the masks are kept in CPeal::bells
  kBellString = 5,  // b, by ringer position
  kPrefix = 6,      // p, by ringer position
  kSuffix = 7,      // e, by ringer position
  kExtra = 8,       // x, ordered
};
inline constexpr int kExtraCount = 9;
inline constexpr char kExtraLetters[] = "sofvzbpex";
inline constexpr const char* kExtraCaptions[kExtraCount] = {
    "Source", "Correction", "Footnote", "Validity", "Bell(s)",
    "Bell String", "Prefix", "Suffix", "Extra"};
// True for the lists whose entry i belongs to the ringer in position i.
constexpr bool IsPositionedList(int list) { return list >= kBellString && list <= kSuffix; }

// Ringer positions the entry dialogs reach, and the most a stored record can hold.
inline constexpr int kMaxEntryRingers = 18;
inline constexpr int kMaxStoredRingers = 255;

// The name fields that a key chosen in an index chooser can go to while a peal is entered, in
// the order in which they are resolved.
enum class PealNameField {
  Association, Tower, Method, Composer, Arranger, GeneratedBy, Composition, Conductor, Ringer
};

// The entry dialog's side of a choice: it knows which name field is waiting for a key.
class CPealEntryState {
 public:
  virtual ~CPealEntryState() = default;
  // The first name field whose typed text differs from the text last shown, which it then takes
  // as shown; `position` gets the 0-based ringer position. False when no field differs.
  virtual bool TakeChangedField(PealNameField& field, int& position) = 0;
  // Called after the chosen key was stored in the peal, to follow up (the tower's tenor, the
  // next name to resolve).
  virtual void AfterChoice(PealNameField field, int position, int32_t key) = 0;
};

class CPeal : public CSelTgt {
 public:
  // The empty form: every number, key and flag 0 (a tower peal with no date), no ringers, no
  // bells and no extras. Records are read into this form.
  CPeal() = default;
  // The form for entry: number `number`, dated today, otherwise empty.
  static std::unique_ptr<CPeal> ForEntry(uint32_t number);

  // --- ordering ---
  // Ledger order: by date, then sequence, then peal number. Negative when this peal comes first.
  int CompareOrder(const CPeal& other) const;
  // A wanted date and sequence against this peal, for searching a ledger. With a wanted
  // sequence of 0 a peal of the same date answers -1, so a search runs on towards the first
  // peal of that date.
  int CompareDate(Date wantedDate, uint8_t wantedSequence) const;
  // True when the dates and the towers are equal; `sameDate` says whether the dates are.
  bool SameDateAndTower(const CPeal& other, bool& sameDate) const;

  // --- texts and numbers shown ---
  // The Ringing World reference as YYpppp (the publication year's last two digits before the
  // page); a stored page below 2000 is given as it is unless `full`.
  int32_t RwPageNumber(bool full) const;
  // Stores a typed reference: below 10000 as it is, otherwise YYpppp with the year kept as an
  // offset from the peal's year.
  void SetRwPage(int32_t value);
  // True when SetRwPage keeps `value` whole at the peal's date: a page of 12 bits, and for
  // YYpppp a year from the peal's year to 15 years after it. Other values would be stored as
  // another page.
  bool RwPageFits(int64_t value) const;
  // A handbell peal's tenor size, or a tower's weight as cwt-qr-lb.
  std::string TenorText() const;
  // The bell number(s) rung from a 0-based position: "4" in a tower, "7-8" in hand.
  std::string BellText(int position) const;

  // --- references ---
  // Marks used, in the person index, every person the peal names (composer, arranger, generator,
  // conductor, the composition's composer, every ringer). The index set must be open.
  void MarkPersonsUsed() const;
  // Stores a key chosen for one of the name fields. A key of 0 for a ringer vacates the
  // position and trims vacant positions from the end.
  void StoreChosen(PealNameField field, int position, int32_t key);
  // The ringer of a 0-based position: 0 vacates it (cutting the array back to end on a ringer),
  // a key past the end extends the array with vacant positions.
  void SetRinger(int position, uint32_t key);
  // A chooser's answer while the peal is entered: goes to the field `entry` names; nothing when
  // the peal is not being entered or no name field changed.
  void OnChosen(int32_t key) override;

  // --- extras ---
  // Stores a text at a position of a positioned list, growing it with empty entries as needed.
  void SetPositioned(int list, size_t position, std::string text);

  // --- storage ---
  // Reads the peal from (a loading archive) or writes it to (a storing archive) a peal ledger.
  // `oldForm` selects the older record start (a raw 16-bit peal number). Reading raises
  // FileError when the file ends inside the record.
  void SerializeRecord(Archive& archive, bool oldForm);
  // Reads the peal, as SerializeRecord does, from the record at the start of `bytes` (the rest
  // of a ledger file read whole) and gives the number of bytes the record took. Raises
  // FileError(EndOfFile) when the bytes end inside the record.
  size_t ParseRecord(std::string_view bytes, bool oldForm);
  // True when some ringer key needs more than 16 bits, so the ringers are written as 32-bit
  // values.
  bool NeedsWideRingerKeys() const;

  uint32_t pealNumber = 0;
  uint16_t rwPage = 0;
  uint8_t association = 0;
  uint32_t generatedBy = 0;
  uint32_t tower = 0;
  uint16_t tenor = 0;  // 15 bits used
  Date date = 0;
  uint8_t sequence = 0;
  uint16_t time = 0;
  int32_t changes = 0;
  uint32_t method = 0;
  uint32_t composer = 0;
  uint32_t arranger = 0;
  uint32_t composition = 0;
  uint32_t conductor = 0;
  bool handbell = false;
  std::vector<uint32_t> ringers;         // person key by 0-based position; 0 = vacant
  std::map<int, uint32_t> bells;         // ringer position -> mask of bells rung; never 0
  std::array<std::vector<std::string>, kExtraCount> extras;

  // The entry dialog's state while this peal is being entered; not owned, null otherwise.
  CPealEntryState* entry = nullptr;

 private:
  void Store(Archive& out, bool oldForm) const;
  void Load(Archive& in, bool oldForm);
  // Stores one field of a record as both readers read it: its type, letter, number (0 for a
  // text or an array not of one value), text, and for an array of 16- or 32-bit values its
  // values; `position` is the record's current ringer position.
  void TakeField(int type, char letter, uint32_t value, std::string_view text,
                 std::span<const uint32_t> keys, size_t& position);
};

}  // namespace tv
