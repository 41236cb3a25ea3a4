// Analyses by ringer and composer, and the Equivalence command.
#include "analysis/person_list.h"

#include <algorithm>
#include <vector>

#include "analysis/bell_rule.h"
#include "analysis/key_names.h"
#include "core/two_halves.h"
#include "core/services.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"

namespace tv {
namespace {

constexpr int kFantasyMaxStage = 12;
constexpr size_t kFantasyBells = 12;

std::unique_ptr<CIndObj> StandByPerson(const std::string& name) {
  auto person = std::make_unique<CPerson>();
  person->surname = name;
  return person;
}

}  // namespace

CEquivDialog::CEquivDialog() : DialogModel("Set Equivalence") {
  AddText("from", "From", "", kMaxText);
  AddText("to", "To", "", kMaxText);
}

uint32_t FantasyPoints(const CPeal& peal) {
  if (peal.handbell) return 0;
  const CMethod* method = peal.method ? MethodIndex().Method(static_cast<int32_t>(peal.method)) : nullptr;
  const int stage = method ? method->stage : 0;
  if (stage > kFantasyMaxStage) return 0;
  return static_cast<uint32_t>(stage) + (static_cast<uint32_t>(peal.tenor) + 1176) / 1120;
}

int32_t CPersonList::ParentFor(int32_t key) const {
  return PersonIndex().equivalences.EquivalentOf(key);
}

bool CPersonList::IsListed(const CAnalItem& item) const {
  return item.parentKey == 0 && item.HasCounts();
}

int CPersonList::CompareItems(const CAnalItem& a, const CAnalItem& b) {
  if (m_sortByCounts) {
    if (const int byCounts = CompareCounts(a, b); byCounts != 0) return byCounts;
  }
  return CompareKeyObjects(PersonIndex(), a.key, b.key);
}

std::string CPersonList::ItemLine(const CAnalItem& item) {
  std::string name = NameOrStandBy(PersonIndex(), item.key, StandByPerson);
  if (name == "?") name = StandByName(item.key);
  return CountColumns(item) + name;
}

void CPersonList::AddPeal(const CPeal& peal) {
  const bool fantasy = Options().fantasy;
  const uint32_t amount = fantasy ? FantasyPoints(peal) : 1;
  if (amount == 0) return;
  for (const uint32_t ringer : peal.ringers) {
    if (ringer != 0) {
      AddToItem(static_cast<int32_t>(ringer), peal.date, peal.changes, peal.time, peal.handbell,
                false, amount);
    }
  }
  AddToItem(static_cast<int32_t>(peal.conductor), peal.date, 0, 0, peal.handbell, true, amount);
  // Composers and arrangers get rows (for Save As) but no counts.
  AddToItem(static_cast<int32_t>(peal.composer), 0, 0, 0, peal.handbell, false, 0);
  AddToItem(static_cast<int32_t>(peal.arranger), 0, 0, 0, peal.handbell, false, 0);
  if (fantasy) {
    for (size_t p = 0; p < kFantasyBells && p < peal.ringers.size(); ++p) {
      AddBell(static_cast<int32_t>(peal.ringers[p]), static_cast<int>(p),
              static_cast<int>(kFantasyBells), amount);
    }
  } else if (Selection().kind == kSelectedByTower &&
             static_cast<int32_t>(peal.tower) == Selection().key) {
    ForEachBell(peal, [&](int position, int bell, int bells) {
      AddBell(static_cast<int32_t>(peal.ringers[static_cast<size_t>(position)]), bell, bells, 1);
    });
  }
}

namespace {

// One person's counts while a buffer is gathered from the columns, by person key; index 0 of
// the pairs is tower peals, 1 handbell peals.
struct Gathered {
  uint32_t rung[2] = {0, 0};
  uint32_t conducted[2] = {0, 0};
  int64_t changes = 0;
  int64_t minutes = 0;
  Date firstDate = 0;
  bool named = false;  // named by some peal, if only as composer or arranger
};

// Person keys up to this many are gathered in an array by key; a larger one (a damaged
// ledger's) is counted into its row afterwards, peal by peal.
constexpr uint32_t kGatheredKeys = 1u << 22;

// What one pass over some of a buffer's peals gathers.
struct Gathering {
  std::vector<Gathered> byKey;
  std::vector<uint32_t> farPeals;  // peals naming a key beyond kGatheredKeys
  bool tower = false;
  bool hand = false;
  bool any = false;

  Gathered& At(uint32_t key) {
    if (key >= byKey.size()) byKey.resize(std::max<size_t>(key + 1, byKey.size() * 3 / 2));
    return byKey[key];
  }

  // Adds another gathering of other peals of the same buffer.
  void Merge(const Gathering& other) {
    if (byKey.size() < other.byKey.size()) byKey.resize(other.byKey.size());
    for (size_t key = 0; key < other.byKey.size(); ++key) {
      const Gathered& from = other.byKey[key];
      if (!from.named) continue;
      Gathered& into = byKey[key];
      for (int kind = 0; kind < 2; ++kind) {
        into.rung[kind] += from.rung[kind];
        into.conducted[kind] += from.conducted[kind];
      }
      into.changes += from.changes;
      into.minutes += from.minutes;
      into.firstDate = EarlierDate(into.firstDate, from.firstDate);
      into.named = true;
    }
    farPeals.insert(farPeals.end(), other.farPeals.begin(), other.farPeals.end());
    tower = tower || other.tower;
    hand = hand || other.hand;
    any = any || other.any;
  }
};

bool NamesFarKey(const CPealColumns& c, uint32_t p) {
  if (c.conductor[p] >= kGatheredKeys || c.composer[p] >= kGatheredKeys ||
      c.arranger[p] >= kGatheredKeys) {
    return true;
  }
  const std::span<const uint32_t> ringers = c.Ringers(p);
  return std::any_of(ringers.begin(), ringers.end(), [](uint32_t key) { return key >= kGatheredKeys; });
}

// Gathers the peals without a Validity entry: every ringer rings, the conductor conducts, and
// composers and arrangers are named (rows for Save As, but no counts). With `kAnyFarKey` a peal
// naming a key beyond kGatheredKeys is left to farPeals; without it none can, and `into.byKey`
// already reaches every key.
template <bool kFirstDates, bool kAnyFarKey>
void Gather(const CPealColumns& c, std::span<const uint32_t> peals, Gathering& into) {
  const uint32_t* keys = c.ringerKeys.data();
  Gathered* byKey = into.byKey.data();
  for (const uint32_t p : peals) {
    const uint8_t flags = c.flags[p];
    if (!(flags & CPealColumns::kStored) || (flags & CPealColumns::kHasValidity)) continue;
    if constexpr (kAnyFarKey) {
      if (NamesFarKey(c, p)) {
        into.farPeals.push_back(p);
        continue;
      }
    }
    const int kind = (flags & CPealColumns::kHandbell) ? 1 : 0;
    (kind ? into.hand : into.tower) = true;
    into.any = true;
    const Date date = c.date[p];
    const int64_t changes = c.changes[p];
    const int64_t minutes = c.time[p];
    const uint32_t* ringer = keys + c.ringerStart[p];
    const uint32_t* end = ringer + c.ringerCount[p];
    for (; ringer != end; ++ringer) {
      Gathered& g = kAnyFarKey ? into.At(*ringer) : byKey[*ringer];
      ++g.rung[kind];
      g.changes += changes;
      g.minutes += minutes;
      if constexpr (kFirstDates) g.firstDate = EarlierDate(g.firstDate, date);
      g.named = true;
    }
    Gathered& conductor = kAnyFarKey ? into.At(c.conductor[p]) : byKey[c.conductor[p]];
    ++conductor.conducted[kind];
    if constexpr (kFirstDates) conductor.firstDate = EarlierDate(conductor.firstDate, date);
    conductor.named = true;
    (kAnyFarKey ? into.At(c.composer[p]) : byKey[c.composer[p]]).named = true;
    (kAnyFarKey ? into.At(c.arranger[p]) : byKey[c.arranger[p]]).named = true;
  }
}

void GatherAll(const CPealColumns& c, std::span<const uint32_t> peals, bool firstDates,
               Gathering& into) {
  // Vacant positions count under key 0, whose row is never made.
  const bool anyFar = c.PersonKeyBound() > kGatheredKeys;
  Gathering halves[2];
  const int pieces = InTwoHalves(peals.size(), [&](size_t from, size_t to, int half) {
    Gathering& result = halves[half];
    result.byKey.resize(anyFar ? 0 : c.PersonKeyBound());
    const std::span<const uint32_t> part = peals.subspan(from, to - from);
    if (anyFar) {
      firstDates ? Gather<true, true>(c, part, result) : Gather<false, true>(c, part, result);
    } else {
      firstDates ? Gather<true, false>(c, part, result) : Gather<false, false>(c, part, result);
    }
  });
  into = std::move(halves[0]);
  if (pieces == 2) into.Merge(halves[1]);
}

}  // namespace

bool CPersonList::AddPealsFromColumns(const CPealColumns& c, std::span<const uint32_t> peals) {
  if (Options().fantasy || Options().showScore || Selection().kind == kSelectedByTower) return false;
  Gathering gathered;
  GatherAll(c, peals, Options().showFirst, gathered);
  // Every peal counted names a conductor's place, if only an empty one.
  NoteSeen(gathered.tower, gathered.hand, gathered.any);
  for (size_t key = 1; key < gathered.byKey.size(); ++key) {
    const Gathered& g = gathered.byKey[key];
    if (!g.named) continue;
    CAnalItem counts;
    counts.rungTower = g.rung[0];
    counts.rungHand = g.rung[1];
    counts.conductedTower = g.conducted[0];
    counts.conductedHand = g.conducted[1];
    counts.changes = g.changes;
    counts.minutes = g.minutes;
    counts.firstDate = g.firstDate;
    AddGathered(static_cast<int32_t>(key), counts);
  }
  // A peal naming a key too large for the array is counted from its record, as AddPeal does.
  for (const uint32_t p : gathered.farPeals) {
    CPeal peal;
    peal.date = c.date[p];
    peal.changes = c.changes[p];
    peal.time = c.time[p];
    peal.handbell = c.Handbell(p);
    peal.conductor = c.conductor[p];
    peal.composer = c.composer[p];
    peal.arranger = c.arranger[p];
    const std::span<const uint32_t> ringers = c.Ringers(p);
    peal.ringers.assign(ringers.begin(), ringers.end());
    AddPeal(peal);
  }
  return true;
}

void CPersonList::SaveIndex(File& data, File& index) {
  std::vector<int32_t> keys;
  std::string equivalences;
  const CEquivalences& map = PersonIndex().equivalences;
  for (const auto& entry : Items()) {
    const int32_t key = entry.first;
    keys.push_back(key);
    if (const int32_t counted = map.EquivalentOf(key); counted != 0) {
      for (const int32_t value : {key, counted}) {
        const auto v = static_cast<uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8) equivalences += static_cast<char>((v >> shift) & 0xFF);
      }
    }
  }
  WriteIndexOfKeys(PersonIndex(), [] { return std::make_unique<CPerson>(); }, keys, data, index);
  Files().WriteAllSafely(Files().CurrentDirectory() + kNewEquivalenceFile, equivalences);
}

bool CPersonList::BuildAlternative(std::vector<std::string>& lines) {
  m_sortByCounts = false;
  lines = BuildReport();
  m_sortByCounts = true;
  return true;
}

void CPersonList::EditEquivalence() {
  if (!ThePlatform().RunDialog(m_equivDialog)) return;
  m_pending = 0;
  ThePlatform().StartChooser({.target = this, .index = &PersonIndex(),
                              .text = m_equivDialog.Text("from"), .title = "From"});
}

void CPersonList::OnChosen(int32_t key) {
  if (key == 0) return;
  if (m_pending == 0) {
    m_pending = key;
    ThePlatform().StartChooser({.target = this, .index = &PersonIndex(),
                                .text = m_equivDialog.Text("to"), .title = "To"});
    return;
  }
  PersonIndex().equivalences.AddEquivalence(m_pending, key);
}

void CPersonList::BeginLookups() { PersonIndex().OpenForUpdate(); }
void CPersonList::EndLookups() { PersonIndex().CloseAfterUpdate(); }

// --- composers ---

void CCompList::AddPeal(const CPeal& peal) {
  AddToItem(static_cast<int32_t>(peal.composer), peal.date, peal.changes, peal.time, peal.handbell,
            false, 1);
  AddToItem(static_cast<int32_t>(peal.arranger), 0, 0, 0, peal.handbell, true, 1);
}

}  // namespace tv
