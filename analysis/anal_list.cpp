// The analysis framework: counting contributions into rows, the recency score, bell columns,
// merging rows, and laying the rows out as report lines.
#include "analysis/anal_list.h"

#include <algorithm>
#include <cmath>

#include "refdb/index_set.h"
#include "refdb/person.h"
#include "refdb/tower.h"

namespace tv {
namespace {

constexpr double kDaysPerYear = 365.24;
// Parent chains are one step long (a person counted as another); this bounds a damaged one.
constexpr int kMaxParentSteps = 16;

int Order(int64_t a, int64_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

}  // namespace

std::string PadCount(int64_t value, int width, bool showZero) {
  if (value == 0 && !showZero) return std::string(static_cast<size_t>(width), ' ');
  std::string text = std::to_string(value);
  if (text.size() < static_cast<size_t>(width)) text.insert(0, width - text.size(), ' ');
  return text;
}

double CombineScore(double s, double d) {
  const double a = std::max(s, d);
  const double b = std::min(s, d);
  return a + kDaysPerYear * std::log2(1.0 + std::exp2((b - a) / kDaysPerYear));
}

Date EarlierDate(Date a, Date b) {
  if (a == 0) return b;
  if (b == 0) return a;
  return std::min(a, b);
}

void AddItemInto(CAnalItem& into, const CAnalItem& from) {
  // A row with no rung peals has no score of its own yet: it takes the other's, just as a row
  // counting its first peal takes that peal's day. Combining with the empty row's 0 would count
  // it as a peal rung today.
  if (into.Rung() == 0) {
    into.score = from.score;
  } else if (from.Rung() != 0) {
    into.score = CombineScore(into.score, from.score);
  }
  into.rungTower += from.rungTower;
  into.conductedTower += from.conductedTower;
  into.rungHand += from.rungHand;
  into.conductedHand += from.conductedHand;
  into.changes += from.changes;
  into.minutes += from.minutes;
  into.firstDate = EarlierDate(into.firstDate, from.firstDate);
  if (into.bellCounts.size() < from.bellCounts.size()) into.bellCounts.resize(from.bellCounts.size());
  for (size_t i = 0; i < from.bellCounts.size(); ++i) into.bellCounts[i] += from.bellCounts[i];
}

CAnalList::CAnalList(const CAnalOptions& options, const CAnalSelection& selection, Date today)
    : m_options(options), m_selection(selection), m_today(today) {
  if (selection.kind == kSelectedByTower) {
    const auto* tower = static_cast<const CTower*>(TowerIndex().Lookup(selection.key));
    bellSlots = tower ? tower->bellCount : 0;
  }
}

const CAnalItem* CAnalList::Find(int32_t key) const {
  const auto it = m_items.find(key);
  return it == m_items.end() ? nullptr : it->second.get();
}

CAnalItem& CAnalList::ItemFor(int32_t key) {
  auto& slot = m_items[key];
  if (!slot) {
    slot = std::make_unique<CAnalItem>();
    slot->key = key;
    slot->parentKey = ParentFor(key);
    if (slot->parentKey == key) slot->parentKey = 0;
  }
  return *slot;
}

int CAnalList::CompareItems(const CAnalItem& a, const CAnalItem& b) { return Order(a.key, b.key); }

void CAnalList::AddToItem(int32_t key, Date date, int64_t changes, int64_t minutes, bool hand,
                          bool conducted, uint32_t amount) {
  for (int step = 0; step < kMaxParentSteps; ++step) {
    m_sawHand = m_sawHand || hand;
    m_sawTower = m_sawTower || !hand;
    m_sawConducted = m_sawConducted || conducted;
    if (key == 0 && !m_countsKeyZero) return;
    CAnalItem& item = ItemFor(key);
    AddOnce(item, date, changes, minutes, hand, conducted, amount);
    if (item.parentKey == 0) return;
    key = item.parentKey;
  }
}

void CAnalList::AddGathered(int32_t key, const CAnalItem& counts) {
  for (int step = 0; step < kMaxParentSteps; ++step) {
    if (key == 0 && !m_countsKeyZero) return;
    CAnalItem& item = ItemFor(key);
    item.rungTower += counts.rungTower;
    item.rungHand += counts.rungHand;
    item.conductedTower += counts.conductedTower;
    item.conductedHand += counts.conductedHand;
    item.changes += counts.changes;
    item.minutes += counts.minutes;
    if (m_options.showFirst) item.firstDate = EarlierDate(item.firstDate, counts.firstDate);
    if (item.parentKey == 0) return;
    key = item.parentKey;
  }
}

void CAnalList::AddOnce(CAnalItem& item, Date date, int64_t changes, int64_t minutes, bool hand,
                        bool conducted, uint32_t amount) {
  if (m_options.showScore && date != 0) {
    const double days = static_cast<double>(date) - static_cast<double>(m_today);
    if (item.Rung() == 0) {
      item.score = days;
    } else if (!conducted) {
      item.score = CombineScore(item.score, days);
    }
  }
  if (m_options.showFirst) item.firstDate = EarlierDate(item.firstDate, date);
  if (hand) {
    (conducted ? item.conductedHand : item.rungHand) += amount;
  } else {
    (conducted ? item.conductedTower : item.rungTower) += amount;
  }
  item.changes += changes;
  item.minutes += minutes;
}

void CAnalList::AddBell(int32_t key, int bell, int bells, uint32_t amount) {
  // Like AddToItem, no row is made for key 0.
  for (int step = 0; step < kMaxParentSteps && key != 0; ++step) {
    CAnalItem& item = ItemFor(key);
    AddBellOnce(item, bell, bells, amount);
    key = item.parentKey;
  }
}

void CAnalList::AddBellOnce(CAnalItem& item, int bell, int bells, uint32_t amount) {
  std::vector<uint32_t>& counts = item.bellCounts;
  const int slots = bellSlots;
  if (slots == 0) {
    // A bell numbered beyond the peal's bells (possible once bell numbers wrap at 256) gets a
    // column of its own rather than landing outside the counters.
    const size_t wanted = static_cast<size_t>(std::max(bells, bell + 1));
    if (counts.size() < wanted) counts.resize(wanted);
  } else {
    if (counts.size() < static_cast<size_t>(slots)) counts.resize(static_cast<size_t>(slots));
    if (bells < slots) bell += slots - bells;
    // The tenor is always in the last column; a bell beyond it is counted there too.
    bell = std::min(bell, static_cast<int>(counts.size()) - 1);
  }
  if (bell < 0) return;
  counts[static_cast<size_t>(bell)] += amount;
}

void CAnalList::MergeItem(int32_t key, const CAnalItem& item) {
  AddItemInto(ItemFor(key), item);
  m_sawTower = m_sawTower || item.rungTower != 0;
  m_sawHand = m_sawHand || item.rungHand != 0;
  m_sawConducted = m_sawConducted || item.Conducted() != 0;
}

void CAnalList::CountPeal(const CPeal& peal, int32_t key) {
  AddToItem(key, peal.date, peal.changes, peal.time, peal.handbell, false, 1);
}

void CAnalList::CountConductorRule(const CPeal& peal, int32_t key) {
  if (m_selection.kind == kSelectedByRinger && peal.conductor != 0 &&
      static_cast<int32_t>(peal.conductor) == m_selection.key) {
    AddToItem(key, 0, 0, 0, peal.handbell, true, 1);
  }
}

int CAnalList::CompareCounts(const CAnalItem& a, const CAnalItem& b) const {
  if (m_options.showFirst && a.firstDate != b.firstDate) return Order(b.firstDate, a.firstDate);
  if (m_options.showScore && a.score != b.score) return a.score > b.score ? -1 : 1;
  if (m_options.showChanges && a.changes != b.changes) return Order(b.changes, a.changes);
  if (m_options.showTime && a.minutes != b.minutes) return Order(b.minutes, a.minutes);
  if (a.Rung() != b.Rung()) return Order(b.Rung(), a.Rung());
  if (a.Conducted() != b.Conducted()) return Order(b.Conducted(), a.Conducted());
  if (a.rungHand != b.rungHand) return Order(b.rungHand, a.rungHand);
  if (a.conductedHand != b.conductedHand) return Order(b.conductedHand, a.conductedHand);
  return Order(static_cast<int64_t>(b.bellCounts.size()), static_cast<int64_t>(a.bellCounts.size()));
}

std::string CAnalList::CountColumns(const CAnalItem& item) const {
  const bool both = m_sawTower && m_sawHand;
  std::string line = PadCount(item.Rung(), 5, true);
  if (m_sawConducted) line += PadCount(item.Conducted(), 5, false);
  if (both) {
    line += PadCount(item.rungHand, 5, false);
    if (m_sawConducted) line += PadCount(item.conductedHand, 5, false);
  }
  // A row with no dated peal has no first date to show.
  if (m_options.showFirst) line += item.firstDate != 0 ? DateText(item.firstDate, 11) : std::string(11, ' ');
  if (m_options.showScore) line += PadCount(static_cast<int64_t>(item.score), 8, true);
  if (m_options.showChanges) line += PadCount(item.changes, 9, true);
  if (m_options.showTime) line += PadCount(item.minutes / 60, 6, true);
  for (const uint32_t count : item.bellCounts) line += " " + PadCount(count, 3, true);
  line += ' ';
  return line;
}

std::string CAnalList::ItemLine(const CAnalItem& item) { return CountColumns(item); }

std::string CAnalList::Heading() const {
  const bool both = m_sawTower && m_sawHand;
  std::string heading;
  if (m_sawConducted) {
    heading = both ? " Rung Cond Rung Cond" : " Rung Cond";
  } else {
    heading = both ? "Total Hand" : "Total";
  }
  if (m_options.showFirst) heading += "      First";
  if (m_options.showScore) heading += "   Score";
  if (m_options.showChanges) heading += "   Changes";
  if (m_options.showTime) heading += "  Time";
  if (!m_listed.empty() && !m_listed.front()->bellCounts.empty()) heading += "  Bells";
  return heading;
}

std::vector<std::string> CAnalList::BuildReport() {
  std::vector<std::string> lines;
  m_listed.clear();
  if (m_items.empty()) return lines;
  for (const auto& entry : m_items) {
    if (IsListed(*entry.second)) m_listed.push_back(entry.second.get());
  }
  BeginLookups();
  // Rows that compare equal stay in key order.
  std::stable_sort(m_listed.begin(), m_listed.end(), [this](const CAnalItem* a, const CAnalItem* b) {
    return CompareItems(*a, *b) < 0;
  });
  EndLookups();
  // The rows are laid out from the last to the first: the association-and-stage analysis
  // gathers its society groups from them in that order.
  lines.resize(m_listed.size());
  for (size_t i = m_listed.size(); i-- > 0;) lines[i] = ItemLine(*m_listed[i]);
  std::vector<std::string> head{"\\+" + std::to_string(m_listed.size()) + " Items", ""};
  if (m_sawTower && m_sawHand && m_sawConducted) head.emplace_back("   Total     Hand");
  head.push_back(Heading());
  lines.insert(lines.begin(), head.begin(), head.end());
  return lines;
}

bool CAnalList::HasRungTowerPeals(int32_t person) const {
  if (const int32_t counted = PersonIndex().equivalences.EquivalentOf(person); counted != 0) {
    person = counted;
  }
  const CAnalItem* item = Find(person);
  return item && item->rungTower != 0;
}

}  // namespace tv
