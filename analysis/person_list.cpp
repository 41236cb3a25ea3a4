// Analyses by ringer and composer, and the Equivalence command.
#include "analysis/person_list.h"

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
