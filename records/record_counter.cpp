// The reference facts of the counting and the reading of one performance.
#include "records/record_counter.h"

#include <algorithm>

#include "refdb/equivalence.h"
#include "refdb/index_set.h"
#include "refdb/method.h"

namespace tv {

CRecordFacts::CRecordFacts(const CEquivalences& equivalences) {
  for (const auto& [from, to] : equivalences.CountedAs()) {
    if (from <= 0) continue;
    const int32_t counted = equivalences.EquivalentOf(from);
    if (counted <= 0) continue;
    const auto key = static_cast<uint32_t>(from);
    if (key >= m_countedAs.size()) m_countedAs.resize(key + 1, 0);
    m_countedAs[key] = static_cast<uint32_t>(counted);
  }
}

const CRecordFacts::MethodFacts& CRecordFacts::Method(uint32_t key) {
  const auto found = m_methods.find(key);
  if (found != m_methods.end()) return found->second;
  MethodFacts facts;
  if (const CMethod* method = key ? MethodIndex().Method(static_cast<int32_t>(key)) : nullptr) {
    facts = {.stage = method->stage,
             .methodClass = static_cast<uint8_t>(method->methodClass),
             .known = true};
  }
  return m_methods.emplace(key, facts).first->second;
}

void CPerformanceView::Read(const CPeal& peal, CRecordFacts& facts) {
  persons.clear();
  for (const uint32_t ringer : peal.ringers) {
    if (ringer == 0) continue;
    const uint32_t person = facts.PersonCounted(ringer);
    // One person on two entries of a peal (before and after an equivalence) counts once.
    if (std::find(persons.begin(), persons.end(), person) == persons.end()) persons.push_back(person);
  }
  conductor = peal.conductor ? facts.PersonCounted(peal.conductor) : 0;
}

void CPerformanceView::ReadMethod(const CPeal& peal, CRecordFacts& facts) {
  method = peal.method ? facts.Method(peal.method) : CRecordFacts::MethodFacts{};
}

bool CPerformanceView::Rang(uint32_t person) const {
  return std::find(persons.begin(), persons.end(), person) != persons.end();
}

}  // namespace tv
