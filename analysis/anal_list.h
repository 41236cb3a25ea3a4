// The analysis framework: one row of a league table (CAnalItem) and the list base class
// (CAnalList) that counts peals into rows, lays them out as report lines and sorts them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/dates.h"
#include "peals/peal_columns.h"
#include "peals/peal_record.h"
#include "peals/selection_state.h"
#include "refdb/ind_obj.h"

namespace tv {

class File;

// The selection criteria an analysis reacts to (the criterion that made the current buffer).
inline constexpr int kSelectedByTower = 1;
inline constexpr int kSelectedByRinger = 7;
// Per-bell columns kept when the buffer was not selected by a tower.
inline constexpr uint8_t kDefaultBellSlots = 12;

// One row. The counters are 32-bit so that the totals of a large ledger never wrap; the
// report's columns keep their widths and only grow for numbers that need more.
struct CAnalItem {
  int32_t key = 0;
  uint32_t rungTower = 0;
  uint32_t conductedTower = 0;
  uint32_t rungHand = 0;
  uint32_t conductedHand = 0;
  int32_t parentKey = 0;  // the row that every contribution is also counted into; 0 = none
  int64_t changes = 0;
  int64_t minutes = 0;
  Date firstDate = 0;  // the earliest dated peal counted; 0 while none has a date
  double score = 0;  // recency, in days relative to today
  std::vector<uint32_t> bellCounts;

  uint32_t Rung() const { return rungTower + rungHand; }
  uint32_t Conducted() const { return conductedTower + conductedHand; }
  bool HasCounts() const { return rungTower || conductedTower || rungHand || conductedHand; }
};

// Adds `from` into `into`: counters, changes and minutes summed, the earlier first date, the
// combined score, bell counters position by position (`into` grows to the longer length).
void AddItemInto(CAnalItem& into, const CAnalItem& from);
// The earlier of two first dates, 0 standing for none.
Date EarlierDate(Date a, Date b);

// The recency score of a score `s` combined with one more peal (or score) `d`: each peal weighs
// 2^(days relative to today / 365.24), and the score is the day at which one peal would weigh
// as much as all of them.
double CombineScore(double s, double d);

// The options a list takes, as the "Analyse by" dialog's boxes leave them.
struct CAnalOptions {
  bool showChanges = false;
  bool showTime = false;
  bool showFirst = false;  // "Date"
  bool showScore = false;  // "Recent"
  bool fantasy = false;
};

// The selection that made the analysed buffer: the criterion and the key chosen for it.
struct CAnalSelection {
  int kind = -1;
  int32_t key = 0;
};

class CAnalList : public CSelTgt, public CAnalysisQuery {
 public:
  // `today` is the day the first dates start from and the score counts back to.
  CAnalList(const CAnalOptions& options, const CAnalSelection& selection, Date today);
  ~CAnalList() override = default;
  CAnalList(const CAnalList&) = delete;
  CAnalList& operator=(const CAnalList&) = delete;

  // --- the operations each analysis may replace, in the order the framework declares them ---
  // Negative when `a` is listed before `b`; the base orders by key.
  virtual int CompareItems(const CAnalItem& a, const CAnalItem& b);
  // The report line of a row; the base gives the count columns.
  virtual std::string ItemLine(const CAnalItem& item);
  // Counts one contribution to the row of `key` (and to its parent row): see anal_list.cpp.
  virtual void AddToItem(int32_t key, Date date, int64_t changes, int64_t minutes, bool hand,
                         bool conducted, uint32_t amount);
  virtual void AddPeal(const CPeal& peal) = 0;
  // Counts the peals numbered `peals` (a buffer's, in ledger order) from the ledger's columns,
  // leaving out those with a Validity entry, exactly as AddPeal of each would; false, having
  // counted nothing, when this analysis with these options needs the whole records.
  virtual bool AddPealsFromColumns(const CPealColumns& columns, std::span<const uint32_t> peals) {
    (void)columns;
    (void)peals;
    return false;
  }
  // True when AddPeal reads no more of a peal than the ledger's columns hold (CPealColumns::
  // Fill), so that it can be given the peal as the columns make it rather than its record.
  virtual bool AddsFromColumnFields() const { return false; }
  virtual std::string KeyTitle() const = 0;
  // Writes the rows' entries as a new index into the two files; the base writes nothing.
  virtual void SaveIndex(File& data, File& index) { (void)data; (void)index; }
  // Fills `lines` with the alternative presentation; false when the analysis has none.
  virtual bool BuildAlternative(std::vector<std::string>& lines) { (void)lines; return false; }
  virtual bool HasAlternative() const { return false; }
  virtual bool HasEquivalence() const { return false; }
  virtual bool HasThreshold() const { return false; }
  virtual void EditEquivalence() {}
  // True when the thresholds changed (the dialog closed with OK).
  virtual bool EditThreshold() { return false; }
  virtual void BeginLookups() {}
  virtual void EndLookups() {}
  virtual bool IsListed(const CAnalItem& item) const { return item.parentKey == 0; }

  // --- counting ---
  // Counts a peal in the bell column `bell` of the row of `key` (see anal_list.cpp).
  void AddBell(int32_t key, int bell, int bells, uint32_t amount);
  // Adds `item` into the row of `key`, made when missing; `item` is left as it was.
  void MergeItem(int32_t key, const CAnalItem& item);

  // --- the report ---
  // The report lines: the item count in red, an empty line, the column heading (with a
  // "Total Hand" line above it when tower, hand and conducted peals were all seen), then one
  // line per listed row in CompareItems order. No lines at all when there are no rows.
  std::vector<std::string> BuildReport();
  // The count columns of a row, ending in one blank.
  std::string CountColumns(const CAnalItem& item) const;
  // The order of rows by their counts under the options shown; 0 when they all agree.
  int CompareCounts(const CAnalItem& a, const CAnalItem& b) const;

  // The selection's analysis test: whether the person (as the person it is counted as) has a
  // row with tower peals rung.
  bool HasRungTowerPeals(int32_t person) const override;

  // --- state ---
  const std::map<int32_t, std::unique_ptr<CAnalItem>>& Items() const { return m_items; }
  const CAnalItem* Find(int32_t key) const;
  // The rows of the last report, in their order.
  const std::vector<CAnalItem*>& Listed() const { return m_listed; }
  const CAnalOptions& Options() const { return m_options; }
  const CAnalSelection& Selection() const { return m_selection; }
  Date TodayDate() const { return m_today; }
  bool SawTower() const { return m_sawTower; }
  bool SawHand() const { return m_sawHand; }
  bool SawConducted() const { return m_sawConducted; }

  uint8_t bellSlots = kDefaultBellSlots;

 protected:
  // The row of a key, made when missing with the parent that ParentFor gives.
  CAnalItem& ItemFor(int32_t key);
  // The parent row of a newly made row; the ringer and composer analyses use the person's
  // equivalence.
  virtual int32_t ParentFor(int32_t key) const { (void)key; return 0; }
  // Adds counts gathered for `key` to its row and on up its parent rows, as AddToItem of each
  // contribution would (the score is left alone); key 0 makes no row.
  void AddGathered(int32_t key, const CAnalItem& counts);
  // Notes peals seen, as AddToItem does for every contribution.
  void NoteSeen(bool tower, bool hand, bool conducted) {
    m_sawTower = m_sawTower || tower;
    m_sawHand = m_sawHand || hand;
    m_sawConducted = m_sawConducted || conducted;
  }
  // Counts one peal under the selection's conductor rule, when it applies.
  void CountConductorRule(const CPeal& peal, int32_t key);
  // Counts a whole peal (its date, changes, time and kind, not conducted, amount 1).
  void CountPeal(const CPeal& peal, int32_t key);

  // The association-and-stage analysis counts its grand total under key 0.
  bool m_countsKeyZero = false;

 private:
  void AddOnce(CAnalItem& item, Date date, int64_t changes, int64_t minutes, bool hand,
               bool conducted, uint32_t amount);
  void AddBellOnce(CAnalItem& item, int bell, int bells, uint32_t amount);
  std::string Heading() const;

  CAnalOptions m_options;
  CAnalSelection m_selection;
  Date m_today = 0;
  std::map<int32_t, std::unique_ptr<CAnalItem>> m_items;
  std::vector<CAnalItem*> m_listed;
  bool m_sawTower = false;
  bool m_sawHand = false;
  bool m_sawConducted = false;
};

// A count of `value` right-aligned in `width` columns (never cut); blanks for 0 unless
// `showZero`.
std::string PadCount(int64_t value, int width, bool showZero);

}  // namespace tv
