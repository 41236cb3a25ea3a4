// Writing a peal's fields into the columns, and comparing the columns with a record.
#include "peals/peal_columns.h"

#include <algorithm>

#include "core/large_pages.h"
#include "peals/peal_record.h"

namespace tv {

void CPealColumns::Clear() { *this = CPealColumns(); }

void CPealColumns::Reserve(uint32_t count) {
  const size_t n = static_cast<size_t>(count) + 1;
  date.reserve(n);
  sequence.reserve(n);
  flags.reserve(n);
  association.reserve(n);
  tower.reserve(n);
  method.reserve(n);
  changes.reserve(n);
  time.reserve(n);
  tenor.reserve(n);
  conductor.reserve(n);
  composer.reserve(n);
  arranger.reserve(n);
  ringerStart.reserve(n);
  ringerCount.reserve(n);
  PreferLargePages(date);
  PreferLargePages(sequence);
  PreferLargePages(flags);
  PreferLargePages(association);
  PreferLargePages(tower);
  PreferLargePages(method);
  PreferLargePages(changes);
  PreferLargePages(time);
  PreferLargePages(tenor);
  PreferLargePages(conductor);
  PreferLargePages(composer);
  PreferLargePages(arranger);
  PreferLargePages(ringerStart);
  PreferLargePages(ringerCount);
}

void CPealColumns::Grow(uint32_t number) {
  if (number < flags.size()) return;
  // Geometric growth: the numbers beyond the highest stored hold no peal.
  const size_t n = std::max(static_cast<size_t>(number) + 1, flags.size() * 3 / 2);
  date.resize(n);
  sequence.resize(n);
  flags.resize(n);
  association.resize(n);
  tower.resize(n);
  method.resize(n);
  changes.resize(n);
  time.resize(n);
  tenor.resize(n);
  conductor.resize(n);
  composer.resize(n);
  arranger.resize(n);
  ringerStart.resize(n, static_cast<uint32_t>(ringerKeys.size()));
  ringerCount.resize(n);
}

void CPealColumns::Set(uint32_t number, const CPeal& peal) {
  Grow(number);
  date[number] = peal.date;
  sequence[number] = peal.sequence;
  flags[number] = static_cast<uint8_t>(kStored | (peal.handbell ? kHandbell : 0) |
                                       (peal.extras[kValidity].empty() ? 0 : kHasValidity));
  association[number] = peal.association;
  tower[number] = peal.tower;
  method[number] = peal.method;
  changes[number] = peal.changes;
  time[number] = peal.time;
  tenor[number] = peal.tenor;
  conductor[number] = peal.conductor;
  composer[number] = peal.composer;
  arranger[number] = peal.arranger;

  // A list no longer than the one it replaces stays where it was; a longer one goes at the end.
  const auto count = static_cast<uint32_t>(peal.ringers.size());
  if (count > ringerCount[number]) {
    m_unusedKeys += ringerCount[number];
    ringerStart[number] = static_cast<uint32_t>(ringerKeys.size());
    ringerKeys.insert(ringerKeys.end(), peal.ringers.begin(), peal.ringers.end());
  } else {
    m_unusedKeys += ringerCount[number] - count;
    std::copy(peal.ringers.begin(), peal.ringers.end(), ringerKeys.begin() + ringerStart[number]);
  }
  ringerCount[number] = count;
  for (const uint32_t key : peal.ringers) NotePersonKey(key);
  NotePersonKey(peal.conductor);
  NotePersonKey(peal.composer);
  NotePersonKey(peal.arranger);
  CompactRingers();
}

void CPealColumns::Fill(uint32_t number, CPeal& peal) const {
  peal.pealNumber = number;
  peal.date = date[number];
  peal.sequence = sequence[number];
  peal.handbell = Handbell(number);
  peal.association = association[number];
  peal.tower = tower[number];
  peal.method = method[number];
  peal.changes = changes[number];
  peal.time = time[number];
  peal.tenor = tenor[number];
  peal.conductor = conductor[number];
  peal.composer = composer[number];
  peal.arranger = arranger[number];
  const std::span<const uint32_t> keys = Ringers(number);
  peal.ringers.assign(keys.begin(), keys.end());
}

void CPealColumns::Erase(uint32_t number) {
  if (number == 0 || number >= flags.size()) return;
  flags[number] = 0;
  date[number] = 0;
  sequence[number] = 0;
  association[number] = 0;
  tower[number] = method[number] = conductor[number] = composer[number] = arranger[number] = 0;
  changes[number] = 0;
  time[number] = tenor[number] = 0;
  m_unusedKeys += ringerCount[number];
  ringerCount[number] = 0;
  CompactRingers();
}

void CPealColumns::CompactRingers() {
  if (m_unusedKeys < 4096 || m_unusedKeys * 2 < ringerKeys.size()) return;
  std::vector<uint32_t> kept;
  kept.reserve(ringerKeys.size() - m_unusedKeys);
  for (size_t n = 0; n < ringerStart.size(); ++n) {
    const auto start = ringerKeys.begin() + ringerStart[n];
    ringerStart[n] = static_cast<uint32_t>(kept.size());
    kept.insert(kept.end(), start, start + ringerCount[n]);
  }
  ringerKeys = std::move(kept);
  m_unusedKeys = 0;
}

std::string CPealColumns::Disagreement(uint32_t number, const CPeal* peal) const {
  if (!peal) return Stored(number) ? "a peal is held under a number without one" : "";
  if (!Stored(number)) return "no peal is held under the peal's number";
  const auto differs = [](const char* field) { return std::string(field); };
  if (date[number] != peal->date) return differs("date");
  if (sequence[number] != peal->sequence) return differs("sequence");
  if (Handbell(number) != peal->handbell) return differs("handbell");
  if (HasValidity(number) == peal->extras[kValidity].empty()) return differs("validity");
  if (association[number] != peal->association) return differs("association");
  if (tower[number] != peal->tower) return differs("tower");
  if (method[number] != peal->method) return differs("method");
  if (changes[number] != peal->changes) return differs("changes");
  if (time[number] != peal->time) return differs("time");
  if (tenor[number] != peal->tenor) return differs("tenor");
  if (conductor[number] != peal->conductor) return differs("conductor");
  if (composer[number] != peal->composer) return differs("composer");
  if (arranger[number] != peal->arranger) return differs("arranger");
  const std::span<const uint32_t> ringers = Ringers(number);
  if (!std::equal(ringers.begin(), ringers.end(), peal->ringers.begin(), peal->ringers.end())) {
    return differs("ringers");
  }
  return "";
}

}  // namespace tv
