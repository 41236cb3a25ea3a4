// The milestones reached in a selection, counted in one pass up to its last performance.
#include "records/selection_milestones.h"

#include <algorithm>
#include <array>
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

// The distinct subjects of one category met in the performances counted, numbered from 1, so
// that their counts can sit in an array. Keys of 2^20 and over (damage) are left unnumbered.
class CSubjectNumbers {
 public:
  void Meet(uint32_t key) {
    if (key == 0 || key >= kLimit) return;
    if (key >= m_numberOf.size()) m_numberOf.resize(key + 1, 0);
    if (m_numberOf[key] == 0) m_numberOf[key] = ++m_count;
  }
  uint32_t Number(uint32_t key) const { return key < m_numberOf.size() ? m_numberOf[key] : 0; }
  uint32_t Count() const { return m_count; }

 private:
  static constexpr uint32_t kLimit = 1u << 20;
  std::vector<uint32_t> m_numberOf;  // by key; 0 = not met
  uint32_t m_count = 0;
};

// The counts of the persons counted, by their place (from 1). A selection's milestones count
// every performance before it, some ten counts per ringer of each; the counts whose subjects
// are few (the whole, tower, handbell and conducted, a stage, an association, and a ringer who
// is counted too, a tower or a method while there are not too many of them) sit in arrays by
// place, and only the rest go through the hashed table. The arrays are used only while they
// stay small.
class CPlaceCounts {
 public:
  CPlaceCounts(uint32_t places, const CSubjectNumbers& towers, const CSubjectNumbers& methods)
      : m_places(places),
        m_bytes(places <= kByteSubjectPlaces ? places + 1 : 0),
        m_pairs(places <= kPairPlaces ? size_t{places + 1} * (places + 1) : 0, 0),
        m_towers(places, towers),
        m_methods(places, methods) {
    m_scalars.assign(size_t{places + 1} * kScalars, 0);
  }

  // Adds one to the count of (place, category, subject) and gives the new count.
  // `otherPlace` is the place of the subject when it is a ringer who is counted, else 0.
  uint32_t Add(uint32_t place, RecordCategory category, uint32_t subject, uint32_t otherPlace) {
    switch (category) {
      case RecordCategory::All: return ++m_scalars[size_t{place} * kScalars + 0];
      case RecordCategory::Tower: return ++m_scalars[size_t{place} * kScalars + 1];
      case RecordCategory::Handbell: return ++m_scalars[size_t{place} * kScalars + 2];
      case RecordCategory::Conductor: return ++m_scalars[size_t{place} * kScalars + 3];
      case RecordCategory::Stage:
      case RecordCategory::Association:
        if (!m_bytes.empty() && subject < 256) {
          auto& row = category == RecordCategory::Stage ? m_bytes[place].stage : m_bytes[place].association;
          return ++row[subject];
        }
        break;
      case RecordCategory::AtTower:
        if (uint32_t* count = m_towers.Cell(place, subject)) return ++*count;
        break;
      case RecordCategory::Method:
        if (uint32_t* count = m_methods.Cell(place, subject)) return ++*count;
        break;
      case RecordCategory::WithRinger:
        if (otherPlace != 0 && !m_pairs.empty()) {
          uint16_t& pair = m_pairs[size_t{place} * (m_places + 1) + otherPlace];
          if (pair < kPairSpilled - 1) return ++pair;
          // A count that outgrows 16 bits goes on in the hashed table.
          if (pair == kPairSpilled - 1) pair = kPairSpilled;
          return m_hashed.Add(CountKey(place, category, subject), kPairSpilled - 1);
        }
        break;
      default: break;
    }
    return m_hashed.Add(CountKey(place, category, subject));
  }

 private:
  static constexpr size_t kScalars = 4;
  static constexpr uint32_t kByteSubjectPlaces = 1u << 13;  // 8,192 places: 16 MB of counts
  static constexpr uint32_t kPairPlaces = 1u << 11;        // 2,048 places: 8 MB of counts
  static constexpr size_t kNumberedCells = size_t{1} << 22;    // 16 MB of counts
  // The counts of numbered subjects, [place][number], when they fit in kNumberedCells.
  class Numbered {
   public:
    Numbered(uint32_t places, const CSubjectNumbers& numbers) : m_numbers(numbers) {
      const size_t cells = size_t{places + 1} * (numbers.Count() + 1);
      if (cells <= kNumberedCells) m_counts.assign(cells, 0);
      m_width = numbers.Count() + 1;
    }
    uint32_t* Cell(uint32_t place, uint32_t key) {
      const uint32_t number = m_numbers.Number(key);
      return number != 0 && !m_counts.empty() ? &m_counts[place * m_width + number] : nullptr;
    }

   private:
    const CSubjectNumbers& m_numbers;
    std::vector<uint32_t> m_counts;
    size_t m_width = 0;
  };
  struct ByteSubjects {
    std::array<uint32_t, 256> stage{};
    std::array<uint32_t, 256> association{};
  };

  uint32_t m_places;
  std::vector<uint32_t> m_scalars;
  std::vector<ByteSubjects> m_bytes;
  // [place][other place], in 16 bits so that the most used counts stay in the nearest cache;
  // kPairSpilled marks a count carried on in the hashed table.
  static constexpr uint16_t kPairSpilled = 0xFFFF;
  std::vector<uint16_t> m_pairs;
  Numbered m_towers;
  Numbered m_methods;
  CCountTable m_hashed;
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

  CSubjectNumbers towers;
  CSubjectNumbers methods;
  for (size_t i = 0; i < end; ++i) {
    const CPeal& peal = *performances[i].peal;
    if (!peal.handbell) towers.Meet(peal.tower);
    methods.Meet(peal.method);
  }
  CPlaceCounts counts(static_cast<uint32_t>(wantedList.size()), towers, methods);
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
        const uint32_t otherPlace = category == RecordCategory::WithRinger ? place(subject) : 0;
        const uint32_t n = counts.Add(at, category, subject, otherPlace);
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
