// Counting a ringer's record in one pass over the performances.
#include "records/ringer_record.h"

#include <algorithm>
#include <unordered_map>

#include "analysis/bell_rule.h"
#include "records/count_table.h"
#include "refdb/index_set.h"
#include "refdb/tower.h"

namespace tv {
namespace {

constexpr uint64_t CountKey(RecordCategory category, uint32_t subject) {
  return (static_cast<uint64_t>(category) << 32) | subject;
}
constexpr RecordCategory CategoryOf(uint64_t key) { return static_cast<RecordCategory>(key >> 32); }
constexpr uint32_t SubjectOf(uint64_t key) { return static_cast<uint32_t>(key & 0xFFFFFFFFu); }

bool KeepsFirst(RecordCategory category) {
  switch (category) {
    case RecordCategory::All:
    case RecordCategory::Handbell:
    case RecordCategory::Conductor:
    case RecordCategory::AtTower:
    case RecordCategory::Stage:
    case RecordCategory::Class:
      return true;
    default:
      return false;
  }
}

// True when `a` (changes, minutes) rang more changes a minute than `b`.
bool Faster(const CPeal& a, const CPeal& b) {
  return static_cast<int64_t>(a.changes) * b.time > static_cast<int64_t>(b.changes) * a.time;
}

}  // namespace

bool CTowerRung::Circled() const {
  if (ringSize == 0) return false;
  for (int bell = 1; bell <= ringSize; ++bell) {
    if (!bells.test(static_cast<size_t>(bell))) return false;
  }
  return true;
}

std::vector<int> CTowerRung::BellsNeeded() const {
  std::vector<int> needed;
  for (int bell = 1; bell <= ringSize; ++bell) {
    if (!bells.test(static_cast<size_t>(bell))) needed.push_back(bell);
  }
  return needed;
}

std::vector<int> BellsRungAt(const CPeal& peal, int position) {
  std::vector<int> bells;
  const auto& strings = peal.extras[kBellString];
  if (position >= 0 && static_cast<size_t>(position) < strings.size() &&
      !strings[static_cast<size_t>(position)].empty()) {
    // "5", "5-6", "5,7": every run of digits names a bell.
    int number = -1;
    for (const char c : strings[static_cast<size_t>(position)] + ' ') {
      if (c >= '0' && c <= '9') {
        number = (number < 0 ? 0 : number * 10) + (c - '0');
        if (number > 255) number = 255;
      } else if (number >= 0) {
        if (number > 0) bells.push_back(number);
        number = -1;
      }
    }
    if (!bells.empty()) return bells;
  }
  ForEachBell(peal, [&](int p, int bell, int) {
    if (p == position) bells.push_back(bell + 1);
  });
  return bells;
}

CRingerRecord ComputeRingerRecord(const std::vector<CPerformance>& performances,
                                  CRecordFacts& facts, uint32_t person) {
  CRingerRecord record;
  const uint32_t who = facts.PersonCounted(person);
  record.person = who;
  CCountTable counts;
  std::unordered_map<uint32_t, size_t> towerPlace;  // tower key -> index in record.towers
  CPerformanceView view;
  for (size_t i = 0; i < performances.size(); ++i) {
    if (!performances[i].selected) continue;
    const CPeal& peal = *performances[i].peal;
    view.Read(peal, facts);
    if (!view.Involves(who)) continue;
    view.ReadMethod(peal, facts);
    const auto index = static_cast<uint32_t>(i);

    ++record.performances;
    ++(peal.handbell ? record.handbell : record.tower);
    if (view.conductor == who) ++record.conducted;
    if (peal.changes > 0) record.changes += peal.changes;
    record.minutes += peal.time;
    ForEachCount(peal, view, who, [&](RecordCategory category, uint32_t subject) {
      const uint32_t n = counts.Add(CountKey(category, subject));
      if (n == 1 && KeepsFirst(category)) record.firsts.push_back({category, subject, index});
      if (MakesMilestones(category) && IsMilestone(n)) {
        record.milestones.push_back({category, subject, n, index});
      }
    });

    if (!peal.handbell && peal.tower != 0) {
      auto [place, added] = towerPlace.try_emplace(peal.tower, record.towers.size());
      if (added) record.towers.push_back({.tower = peal.tower, .first = peal.date});
      CTowerRung& tower = record.towers[place->second];
      ++tower.performances;
      tower.last = peal.date;
      for (size_t p = 0; p < peal.ringers.size(); ++p) {
        if (peal.ringers[p] == 0 || facts.PersonCounted(peal.ringers[p]) != who) continue;
        for (const int bell : BellsRungAt(peal, static_cast<int>(p))) {
          if (bell > 0 && bell < 256) tower.bells.set(static_cast<size_t>(bell));
        }
      }
    }

    // The earliest wins a tie.
    if (peal.changes > 0 &&
        (record.longest < 0 || peal.changes > performances[record.longest].peal->changes)) {
      record.longest = index;
    }
    if (peal.changes > 0 && peal.time > 0 &&
        (record.fastest < 0 || Faster(peal, *performances[record.fastest].peal))) {
      record.fastest = index;
    }
  }

  for (CTowerRung& tower : record.towers) {
    if (const auto* object = static_cast<const CTower*>(
            TowerIndex().Lookup(static_cast<int32_t>(tower.tower)))) {
      tower.ringSize = object->BellsAt(0);
    }
  }
  counts.ForEach([&record](uint64_t key, uint32_t count) {
    const RecordCategory category = CategoryOf(key);
    if (category == RecordCategory::WithRinger) record.rungWith.push_back({SubjectOf(key), count});
    if (MakesMilestones(category)) {
      record.upcoming.push_back({category, SubjectOf(key), count, NextMilestone(count)});
    }
  });
  std::sort(record.rungWith.begin(), record.rungWith.end(), [](const CRungWith& a, const CRungWith& b) {
    return a.performances != b.performances ? a.performances > b.performances : a.person < b.person;
  });
  std::sort(record.upcoming.begin(), record.upcoming.end(),
            [](const CUpcomingMilestone& a, const CUpcomingMilestone& b) {
              if (a.Needed() != b.Needed()) return a.Needed() < b.Needed();
              if (a.category != b.category) return a.category < b.category;
              return a.subject < b.subject;
            });
  return record;
}

}  // namespace tv
