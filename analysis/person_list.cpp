// Analyses by ringer and composer, and the Equivalence command.
#include "analysis/person_list.h"

#include <algorithm>
#include <vector>

#include "analysis/bell_rule.h"
#include "analysis/key_names.h"
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

// One person's counts while a buffer is gathered from the columns, by person key.
struct Gathered {
  uint32_t rungTower = 0;
  uint32_t rungHand = 0;
  uint32_t conductedTower = 0;
  uint32_t conductedHand = 0;
  int64_t changes = 0;
  int64_t minutes = 0;
  Date firstDate = 0;
  bool named = false;  // named by some peal, if only as composer or arranger
};

// Person keys up to this many are gathered in an array by key; a larger one (a damaged
// ledger's) is counted into its row directly.
constexpr uint32_t kGatheredKeys = 1u << 22;

}  // namespace

bool CPersonList::AddPealsFromColumns(const CPealColumns& c, std::span<const uint32_t> peals) {
  if (Options().fantasy || Options().showScore || Selection().kind == kSelectedByTower) return false;
  const bool first = Options().showFirst;
  std::vector<Gathered> byKey;
  const auto slot = [&byKey](uint32_t key) -> Gathered* {
    if (key >= kGatheredKeys) return nullptr;
    if (key >= byKey.size()) byKey.resize(std::max<size_t>(key + 1, byKey.size() * 3 / 2));
    return &byKey[key];
  };
  bool tower = false;
  bool hand = false;
  bool any = false;
  for (const uint32_t p : peals) {
    if (!c.Stored(p) || c.HasValidity(p)) continue;
    any = true;
    const bool handbell = c.Handbell(p);
    (handbell ? hand : tower) = true;
    const Date date = c.date[p];
    for (const uint32_t ringer : c.Ringers(p)) {
      if (ringer == 0) continue;
      Gathered* g = slot(ringer);
      if (!g) {
        AddToItem(static_cast<int32_t>(ringer), date, c.changes[p], c.time[p], handbell, false, 1);
        continue;
      }
      ++(handbell ? g->rungHand : g->rungTower);
      g->changes += c.changes[p];
      g->minutes += c.time[p];
      if (first) g->firstDate = EarlierDate(g->firstDate, date);
      g->named = true;
    }
    if (Gathered* g = slot(c.conductor[p])) {
      ++(handbell ? g->conductedHand : g->conductedTower);
      if (first) g->firstDate = EarlierDate(g->firstDate, date);
      g->named = true;
    } else {
      AddToItem(static_cast<int32_t>(c.conductor[p]), date, 0, 0, handbell, true, 1);
    }
    // Composers and arrangers get rows (for Save As) but no counts.
    for (const uint32_t named : {c.composer[p], c.arranger[p]}) {
      if (Gathered* g = slot(named)) {
        g->named = true;
      } else {
        AddToItem(static_cast<int32_t>(named), 0, 0, 0, handbell, false, 0);
      }
    }
  }
  // Every peal counted names a conductor's place, if only an empty one.
  NoteSeen(tower, hand, any);
  for (size_t key = 1; key < byKey.size(); ++key) {
    const Gathered& g = byKey[key];
    if (!g.named) continue;
    CAnalItem counts;
    counts.rungTower = g.rungTower;
    counts.rungHand = g.rungHand;
    counts.conductedTower = g.conductedTower;
    counts.conductedHand = g.conductedHand;
    counts.changes = g.changes;
    counts.minutes = g.minutes;
    counts.firstDate = g.firstDate;
    AddGathered(static_cast<int32_t>(key), counts);
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
