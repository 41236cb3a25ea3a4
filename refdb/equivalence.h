// Ringer equivalences: one person entry counted as another (a ringer who changed name), held by
// the person index and stored beside each peal ledger.
//
// The equivalence file of a ledger is PathTitle(ledger) + ".eq3" in the current directory: one
// 8-byte record per equivalence, the person key and the key it is counted as, each a 32-bit
// little-endian value; no header, no count. The older ".eqv" form (read only) has 4-byte records
// of two 16-bit values. A trailing part shorter than a record is ignored.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

class CIndex;

inline constexpr const char* kEquivalenceExtension = ".eq3";
inline constexpr const char* kOldEquivalenceExtension = ".eqv";

class CEquivalences {
 public:
  // The person that `key` is now known as (counted as); 0 when none. Same as EquivalentOf.
  int32_t NowKnownAs(int32_t key) const { return EquivalentOf(key); }
  // The persons counted as `key`, in the order of its group thread; `key` itself is not listed.
  // Empty for a person that nobody is counted as.
  std::vector<int32_t> EquivalentKeys(int32_t key) const;

  // Makes `from` (and everyone counted as `from`) counted as `to`. A key of 0, or `from` equal
  // to `to`, adds nothing.
  void AddEquivalence(int32_t from, int32_t to);
  // The key that `key` is counted as, or 0 when it is counted as itself.
  int32_t EquivalentOf(int32_t key) const;
  // The next member of the group thread after `key` (for a person counted as nobody: the first
  // member counted as it), or 0 at the end.
  int32_t NextInGroup(int32_t key) const;
  void Clear();
  bool Empty() const { return m_countedAs.empty(); }
  // Every equivalence: person key -> key it is counted as, in ascending order of person key.
  const std::map<int32_t, int32_t>& CountedAs() const { return m_countedAs; }

  // The file of a ledger: PathTitle(ledgerPath) + extension, in the index directory (the
  // current directory when no index set is open).
  static std::string FileFor(std::string_view ledgerPath, std::string_view extension);
  // Empties both maps, then replays the ledger's ".eq3" file or, only when there is none, its
  // ".eqv" file. A missing or unreadable file means no equivalences; nothing is reported.
  void LoadEquivalences(std::string_view ledgerPath);
  // Writes the ledger's ".eq3" file (safely, through a temporary); an empty map gives an empty
  // file. False when it could not be written; the caller decides whether to say so.
  bool SaveEquivalences(std::string_view ledgerPath) const;
  // Appends one line per equivalence: from,to,"name of from","name of to" and a line feed.
  void WriteEquivalenceLines(std::string& out,
                             const std::function<std::string(int32_t)>& fullNameOf) const;
  // Marks used in `persons` every person that somebody is counted as.
  void MarkEquivalentsUsed(CIndex& persons) const;

 private:
  void CutFromThread(int32_t x, int32_t start);
  void UnlinkFromThread(int32_t x, int32_t start);
  void ReadRecords(std::string_view bytes, size_t width);

  std::map<int32_t, int32_t> m_countedAs;  // member -> the person it is counted as
  std::map<int32_t, int32_t> m_groupNext;  // target -> first member; member -> next member
};

}  // namespace tv
