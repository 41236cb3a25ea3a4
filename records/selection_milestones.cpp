// The milestones reached in a selection, counted in one pass up to its last performance.
#include "records/selection_milestones.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "analysis/key_names.h"
#include "refdb/index_set.h"
#include "refdb/person.h"

namespace tv {
namespace {

struct CountKey {
  uint32_t person;
  uint32_t subject;
  RecordCategory category;
  bool operator==(const CountKey&) const = default;
};

struct CountKeyHash {
  size_t operator()(const CountKey& key) const {
    uint64_t h = (static_cast<uint64_t>(key.person) << 32) ^ key.subject;
    h ^= static_cast<uint64_t>(key.category) << 59;
    h *= 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(h ^ (h >> 29));
  }
};

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

  std::unordered_map<CountKey, uint32_t, CountKeyHash> counts;
  std::unordered_map<uint32_t, std::vector<CMilestone>> reached;
  std::vector<uint32_t> counted;  // the wanted persons of one performance
  for (size_t i = 0; i < end; ++i) {
    const CPeal& peal = *performances[i].peal;
    view.Read(peal, facts);
    counted.clear();
    for (const uint32_t person : view.persons) {
      if (wanted.count(person)) counted.push_back(person);
    }
    if (view.conductor != 0 && !view.Rang(view.conductor) && wanted.count(view.conductor)) {
      counted.push_back(view.conductor);
    }
    if (counted.empty()) continue;
    view.ReadMethod(peal, facts);
    const bool selected = performances[i].selected;
    for (const uint32_t person : counted) {
      ForEachCount(peal, view, person, [&](RecordCategory category, uint32_t subject) {
        if (!MakesMilestones(category)) return;
        const uint32_t n = ++counts[{person, subject, category}];
        if (selected && IsMilestone(n)) {
          reached[person].push_back({category, subject, n, static_cast<uint32_t>(i)});
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
