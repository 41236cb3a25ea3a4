// The association-and-stage analysis and its society table.
#include "analysis/pac_list.h"

#include <algorithm>

#include "analysis/key_names.h"
#include "analysis/method_list.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/method.h"

namespace tv {
namespace {

constexpr int kTotalWidth = 7;
constexpr int kLastGroup = 2;

std::unique_ptr<CIndObj> StandByAssoc(const std::string& name) {
  auto assoc = std::make_unique<CAssoc>();
  assoc->name = name;
  assoc->abbreviation = name;
  return assoc;
}

void InsertInStageOrder(std::vector<int>& stages, int stage) {
  if (std::find(stages.begin(), stages.end(), stage) != stages.end()) return;
  const auto at = std::find_if(stages.begin(), stages.end(),
                               [stage](int other) { return CompareStages(stage, other) < 0; });
  stages.insert(at, stage);
}

int Digits(uint32_t n) { return static_cast<int>(std::to_string(n).size()); }

std::string AssocName(int32_t association) {
  if (association == kNonAttributed) return kNonAttributedName;
  return NameOrStandBy(AssocIndex(), association, StandByAssoc);
}

}  // namespace

CPacList::CPacList(const CAnalOptions& options, const CAnalSelection& selection, Date today)
    : CAnalList(options, selection, today) {
  m_countsKeyZero = true;
}

void CPacList::AddPeal(const CPeal& peal) {
  const CMethod* method =
      peal.method ? MethodIndex().Method(static_cast<int32_t>(peal.method)) : nullptr;
  const int stage = method ? method->stage : 0;
  const int32_t association = peal.association != 0 ? peal.association : kNonAttributed;
  std::vector<int32_t> keys;
  if (stage != 0) keys = {Key(association, stage), Key(0, stage)};
  keys.push_back(association);
  keys.push_back(0);
  for (const int32_t key : keys) {
    AddToItem(key, peal.date, peal.changes, peal.time, peal.handbell, false, 1);
  }
}

int CPacList::CompareItems(const CAnalItem& a, const CAnalItem& b) {
  const int32_t first = a.key & 255;
  const int32_t second = b.key & 255;
  CIndex& index = AssocIndex();
  const CIndObj* one = first ? index.Lookup(first) : nullptr;
  const CIndObj* two = second ? index.Lookup(second) : nullptr;
  int order = 0;
  if (one && two) {
    order = one->Compare(two);
  } else if (one || two) {
    order = one ? 1 : -1;
  }
  // Two associations without entries stay apart, so that their rows do not interleave.
  if (order == 0) order = first < second ? -1 : (first > second ? 1 : 0);
  if (order != 0) return order;
  const int32_t s1 = a.key / 256;
  const int32_t s2 = b.key / 256;
  return s1 < s2 ? -1 : (s1 > s2 ? 1 : 0);
}

std::string CPacList::ItemLine(const CAnalItem& item) {
  const int stage = item.key / 256;
  const int32_t association = item.key & 255;
  std::string line = PadCount(item.Rung(), 5, true) + PadCount(item.rungHand, 5, true) + " ";
  if (stage != 0) {
    line += StageName(static_cast<unsigned>(stage));
    if (association == 0) {
      if (item.rungTower != 0) InsertInStageOrder(m_towerStages, stage);
      if (item.rungHand != 0) InsertInStageOrder(m_handStages, stage);
    }
  } else if (association != 0) {
    const std::string name = AssocName(association);
    line += name;
    m_nameWidth = std::max(m_nameWidth, name.size());
    int group = kLastGroup;
    if (association != kNonAttributed) {
      const auto* assoc = static_cast<const CAssoc*>(AssocIndex().Lookup(association));
      group = std::min<int>(assoc ? assoc->kind : 0, kLastGroup);
    }
    m_groups[static_cast<size_t>(group)].push_front(association);
  }
  if (stage == 0 || association == 0) line.insert(0, "\\+");
  return line;
}

void CPacList::BeginLookups() { AssocIndex().OpenForUpdate(); }
void CPacList::EndLookups() { AssocIndex().CloseAfterUpdate(); }

uint32_t CPacList::Count(int32_t key, bool hand) const {
  const CAnalItem* item = Find(key);
  if (!item) return 0;
  return hand ? item->rungHand : item->rungTower;
}

std::vector<int> CPacList::ColumnWidths() const {
  std::vector<int> widths;
  for (const int stage : m_towerStages) widths.push_back(std::max(3, 1 + Digits(Count(Key(0, stage), false))));
  for (const int stage : m_handStages) widths.push_back(std::max(3, 1 + Digits(Count(Key(0, stage), true))));
  return widths;
}

std::string CPacList::NameColumn(const std::string& name) const {
  std::string text = name;
  if (text.size() < m_nameWidth) text.append(m_nameWidth - text.size(), ' ');
  return text;
}

std::string CPacList::TableColumns(const std::vector<int64_t>& stageCounts, int64_t tower,
                                   int64_t hand) const {
  const std::vector<int> widths = ColumnWidths();
  std::string text;
  for (size_t i = 0; i < stageCounts.size(); ++i) text += PadCount(stageCounts[i], widths[i], false);
  if (SawTower() && SawHand()) text += PadCount(tower, kTotalWidth, false) + PadCount(hand, kTotalWidth, false);
  return text + PadCount(tower + hand, kTotalWidth, false);
}

bool CPacList::BuildAlternative(std::vector<std::string>& lines) {
  const bool both = SawTower() && SawHand();
  const std::vector<int> widths = ColumnWidths();
  int towerWidth = 0;
  for (size_t i = 0; i < m_towerStages.size(); ++i) towerWidth += widths[i];

  std::string first;
  if (SawTower()) first = std::string(m_nameWidth, ' ') + "TOWER";
  if (SawHand()) first += std::string(static_cast<size_t>(std::max(towerWidth - 5, 0)), ' ') + "  HAND";
  lines.push_back(first);

  std::string second(m_nameWidth, ' ');
  std::string third = "SOCIETY" + std::string(m_nameWidth > 7 ? m_nameWidth - 7 : 0, ' ');
  size_t column = 0;
  for (const auto* stages : {&m_towerStages, &m_handStages}) {
    for (const int stage : *stages) {
      const int width = widths[column++];
      const std::string lower = (stage & kTwoStages) ? std::to_string((stage & 127) - 1) : "";
      second += std::string(static_cast<size_t>(std::max(width - static_cast<int>(lower.size()), 0)), ' ') + lower;
      third += PadCount(stage & 127, width, true);
    }
  }
  if (both) {
    second += "  Total  Total";
    third += "  tower   hand";
  }
  third += "  Total";
  lines.push_back(second);
  lines.push_back(third);
  lines.emplace_back(" ");

  static const char* const kGroupLines[] = {"Affiliated Societies", "Non-Affiliated Societies"};
  for (size_t group = 0; group < m_groups.size(); ++group) {
    std::vector<int64_t> sums(widths.size(), 0);
    int64_t towerSum = 0;
    int64_t handSum = 0;
    for (const int32_t association : m_groups[group]) {
      std::vector<int64_t> counts;
      for (const int stage : m_towerStages) counts.push_back(Count(Key(association, stage), false));
      for (const int stage : m_handStages) counts.push_back(Count(Key(association, stage), true));
      const int64_t tower = Count(association, false);
      const int64_t hand = Count(association, true);
      for (size_t i = 0; i < counts.size(); ++i) sums[i] += counts[i];
      towerSum += tower;
      handSum += hand;
      lines.push_back(NameColumn(AssocName(association)) + TableColumns(counts, tower, hand));
    }
    if (group < 2) {
      lines.push_back("\\+" + NameColumn(kGroupLines[group]) + TableColumns(sums, towerSum, handSum));
    }
  }

  std::vector<int64_t> totals;
  for (const int stage : m_towerStages) totals.push_back(Count(Key(0, stage), false));
  for (const int stage : m_handStages) totals.push_back(Count(Key(0, stage), true));
  int64_t towerTotal = 0;
  int64_t handTotal = 0;
  for (const auto& group : m_groups) {
    for (const int32_t association : group) {
      towerTotal += Count(association, false);
      handTotal += Count(association, true);
    }
  }
  lines.push_back("\\+" + NameColumn("Totals") + TableColumns(totals, towerTotal, handTotal));
  return true;
}

}  // namespace tv
