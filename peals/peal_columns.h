// The fields that selections and analyses read, kept in arrays by peal number beside the
// records (CPealColumns). A pass over a buffer then reads a few long runs of memory instead of
// one record, one ringer list and one tree node a peal. The ledger keeps them in step with its
// records: every peal stored, replaced, changed in place or discarded is written here too.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/dates.h"

namespace tv {

class CPeal;

class CPealColumns {
 public:
  // The flags of a peal number.
  static constexpr uint8_t kStored = 1;    // a peal is stored under the number
  static constexpr uint8_t kHandbell = 2;
  static constexpr uint8_t kHasValidity = 4;  // the peal has a Validity entry

  // No peals.
  void Clear();
  // Room for peals numbered up to `count` without growing again.
  void Reserve(uint32_t count);
  // Writes every column of the peal under its number (the arrays grow to reach it).
  void Set(uint32_t number, const CPeal& peal);
  // Reads the columns of peal `number` from the record at the start of `bytes`, as Set of the
  // peal that CPeal::ParseRecord reads there would write them, and gives the record's length.
  // Raises FileError(EndOfFile), with the columns of `number` unchanged but for its ringers,
  // when the bytes end inside the record.
  size_t ParseInto(uint32_t number, std::string_view bytes, bool oldForm);
  // Makes `peal` the peal numbered `number` as far as the columns hold it; every other field
  // is left empty.
  void Fill(uint32_t number, CPeal& peal) const;
  // No peal under the number any more.
  void Erase(uint32_t number);

  // The highest number the arrays reach; numbers beyond it hold no peal.
  uint32_t Size() const { return static_cast<uint32_t>(flags.size()) - 1; }
  bool Stored(uint32_t number) const { return number < flags.size() && (flags[number] & kStored); }
  bool Handbell(uint32_t number) const { return (flags[number] & kHandbell) != 0; }
  bool HasValidity(uint32_t number) const { return (flags[number] & kHasValidity) != 0; }
  // Above every person key (ringer, conductor, composer, arranger) any peal has held since the
  // columns were cleared: a bound for arrays by person key.
  uint32_t PersonKeyBound() const { return m_personKeyBound; }
  // The ringer keys of a peal by position, 0 for a vacant one, as the record holds them.
  std::span<const uint32_t> Ringers(uint32_t number) const {
    return {ringerKeys.data() + ringerStart[number], ringerCount[number]};
  }

  // An empty text when the columns of `number` say what `peal` (null: no peal) says; otherwise
  // the first field that differs. For tests and checks of the ledger's bookkeeping.
  std::string Disagreement(uint32_t number, const CPeal* peal) const;

  // By peal number; entry 0 holds no peal.
  std::vector<Date> date{0};
  std::vector<uint8_t> sequence{0};
  std::vector<uint8_t> flags{0};
  std::vector<uint8_t> association{0};
  std::vector<uint32_t> tower{0};
  std::vector<uint32_t> method{0};
  std::vector<int32_t> changes{0};
  std::vector<uint16_t> time{0};
  std::vector<uint16_t> tenor{0};
  std::vector<uint32_t> conductor{0};
  std::vector<uint32_t> composer{0};
  std::vector<uint32_t> arranger{0};
  // The ringers of peal n are ringerKeys[ringerStart[n] ...] for ringerCount[n] keys.
  std::vector<uint32_t> ringerStart{0};
  std::vector<uint32_t> ringerCount{0};
  std::vector<uint32_t> ringerKeys;

 private:
  void Grow(uint32_t number);
  // Drops the keys of replaced ringer lists when they make up most of ringerKeys.
  void CompactRingers();

  void NotePersonKey(uint32_t key) {
    if (key >= m_personKeyBound) m_personKeyBound = key == UINT32_MAX ? key : key + 1;
  }

  size_t m_unusedKeys = 0;  // keys of ringerKeys that no peal's list covers
  uint32_t m_personKeyBound = 1;
};

}  // namespace tv
