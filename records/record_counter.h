// The counting of one performance for a person: the reference facts it needs, looked up once per
// entry, and every count the performance adds to each person who rang or conducted it.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "peals/peal_record.h"
#include "records/record_rules.h"

namespace tv {

class CEquivalences;

// What counting needs of the reference database, kept in tables so that a long ledger is
// counted without a lookup per peal: the person each person key is counted as (the ringer
// equivalences, as the ringer analysis resolves them) and the stage and class of each method.
class CRecordFacts {
 public:
  // Reads the equivalences once; the method facts fill in as methods are met. The index set
  // must be open while methods are met.
  explicit CRecordFacts(const CEquivalences& equivalences);

  // The person a key is counted as: the one it is equivalent to, else the key itself.
  uint32_t PersonCounted(uint32_t key) const {
    return key < m_countedAs.size() && m_countedAs[key] != 0 ? m_countedAs[key] : key;
  }

  struct MethodFacts {
    uint8_t stage = 0;  // 0 when the method or its stage is not known
    uint8_t methodClass = 0;
    bool known = false;
  };
  const MethodFacts& Method(uint32_t key);

 private:
  std::vector<uint32_t> m_countedAs;  // by person key; 0 = counted as itself
  std::unordered_map<uint32_t, MethodFacts> m_methods;
};

// One performance as the counting sees it. Made once and reused, so that reading a peal
// allocates nothing once the buffers have grown.
struct CPerformanceView {
  std::vector<uint32_t> persons;  // the persons counted who rang, each once, in position order
  uint32_t conductor = 0;         // the person counted who conducted; 0 = none
  CRecordFacts::MethodFacts method;

  // Reads the persons and the conductor; the method is left as it was.
  void Read(const CPeal& peal, CRecordFacts& facts);
  // Reads the method's facts, only for performances that are counted.
  void ReadMethod(const CPeal& peal, CRecordFacts& facts);
  bool Rang(uint32_t person) const;
  // True when `person` rang or conducted the performance.
  bool Involves(uint32_t person) const { return person != 0 && (conductor == person || Rang(person)); }
};

// Calls count(category, subject) for every count that a performance which `person` rang or
// conducted adds to that person's record. Handbell performances are counted at no tower.
template <typename Count>
void ForEachCount(const CPeal& peal, const CPerformanceView& view, uint32_t person, Count&& count) {
  count(RecordCategory::All, 0u);
  if (peal.handbell) {
    count(RecordCategory::Handbell, 0u);
  } else {
    count(RecordCategory::Tower, 0u);
    if (peal.tower != 0) count(RecordCategory::AtTower, peal.tower);
  }
  if (peal.association != 0) count(RecordCategory::Association, uint32_t{peal.association});
  if (peal.method != 0) count(RecordCategory::Method, peal.method);
  if (view.method.stage != 0) count(RecordCategory::Stage, uint32_t{view.method.stage});
  if (view.method.known) count(RecordCategory::Class, uint32_t{view.method.methodClass});
  if (view.conductor == person) count(RecordCategory::Conductor, 0u);
  for (const uint32_t other : view.persons) {
    if (other != person) count(RecordCategory::WithRinger, other);
  }
}

}  // namespace tv
