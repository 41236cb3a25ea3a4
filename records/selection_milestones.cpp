// The milestones reached in a selection, counted in one pass up to its last performance.
#include "records/selection_milestones.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "analysis/key_names.h"
#include "records/count_table.h"
#include "refdb/index_set.h"
#include "refdb/person.h"

namespace tv {
namespace {

// The count key of a person's category and subject: the person's place among those counted
// (below 2^27), the category (4 bits) and the subject (32 bits).
uint64_t CountKey(uint32_t slot, RecordCategory category, uint32_t subject) {
  return (static_cast<uint64_t>(slot) << 36) | (static_cast<uint64_t>(category) << 32) | subject;
}

}  // namespace

std::vector<CPersonMilestones> ComputeSelectionMilestones(
    const std::vector<CPerformance>& performances, CRecordFacts& facts) {
  // Who is to be counted, and how far.
  std::unordered_set<uint32_t> wanted;
  size_t end = 0;
  CPerformanceView view;
  for (size_t i = 0; i < performances.size(); ++i) {
    if (!performances[i].selected) continue;
    view.Read(*performances[i].peal, facts);
    wanted.insert(view.persons.begin(), view.persons.end());
    if (view.conductor != 0) wanted.insert(view.conductor);
    end = i + 1;
  }

  // Each wanted person's place, looked up by key in a flat table while the keys allow.
  std::vector<uint32_t> wantedList(wanted.begin(), wanted.end());
  std::sort(wantedList.begin(), wantedList.end());
  constexpr uint32_t kDenseLimit = 1u << 24;
  std::vector<uint32_t> placeOf;  // key -> place + 1; 0 = not wanted
  if (!wantedList.empty() && wantedList.back() < kDenseLimit) placeOf.resize(wantedList.back() + 1, 0);
  for (size_t p = 0; p < wantedList.size() && !placeOf.empty(); ++p) {
    placeOf[wantedList[p]] = static_cast<uint32_t>(p + 1);
  }
  auto place = [&](uint32_t person) -> uint32_t {
    if (!placeOf.empty()) return person < placeOf.size() ? placeOf[person] : 0;
    const auto found = std::lower_bound(wantedList.begin(), wantedList.end(), person);
    return found != wantedList.end() && *found == person
               ? static_cast<uint32_t>(found - wantedList.begin() + 1)
               : 0;
  };

  CCountTable counts;
  std::unordered_map<uint32_t, std::vector<CMilestone>> reached;
  std::vector<std::pair<uint32_t, uint32_t>> counted;  // the wanted persons of one performance, with their places
  for (size_t i = 0; i < end; ++i) {
    const CPeal& peal = *performances[i].peal;
    view.Read(peal, facts);
    counted.clear();
    for (const uint32_t person : view.persons) {
      if (const uint32_t p = place(person)) counted.emplace_back(person, p);
    }
    if (view.conductor != 0 && !view.Rang(view.conductor)) {
      if (const uint32_t p = place(view.conductor)) counted.emplace_back(view.conductor, p);
    }
    if (counted.empty()) continue;
    view.ReadMethod(peal, facts);
    const bool selected = performances[i].selected;
    for (const auto& [person, slot] : counted) {
      ForEachCount(peal, view, person, [&, who = person, at = slot](RecordCategory category, uint32_t subject) {
        if (!MakesMilestones(category)) return;
        const uint32_t n = counts.Add(CountKey(at, category, subject));
        if (selected && IsMilestone(n)) {
          reached[who].push_back({category, subject, n, static_cast<uint32_t>(i)});
        }
      });
    }
  }

  std::vector<CPersonMilestones> result;
  result.reserve(reached.size());
  for (auto& [person, milestones] : reached) result.push_back({person, std::move(milestones)});
  std::sort(result.begin(), result.end(), [](const CPersonMilestones& a, const CPersonMilestones& b) {
    const int order = CompareKeyObjects(PersonIndex(), static_cast<int32_t>(a.person),
                                        static_cast<int32_t>(b.person));
    return order != 0 ? order < 0 : a.person < b.person;
  });
  return result;
}

}  // namespace tv
