// The association-and-stage analysis: rows by association, by stage and by association and
// stage, and the society table of every association against every stage, grouped into
// affiliated, non-affiliated and other societies.
#pragma once

#include <array>
#include <list>

#include "analysis/anal_list.h"
#include "refdb/assoc.h"

namespace tv {

// The association key under which peals without an association are counted.
inline constexpr int32_t kNonAttributed = kNonAttributedAssocKey;
inline constexpr const char* kNonAttributedName = "Non-Attributed";

class CPacList : public CAnalList {
 public:
  CPacList(const CAnalOptions& options, const CAnalSelection& selection, Date today);
  bool AddsFromColumnFields() const override { return true; }
  // By association (a key without an association entry first), then by stage byte.
  int CompareItems(const CAnalItem& a, const CAnalItem& b) override;
  // Rung and hand counts, then the stage or the association; totals red. Laying out the total
  // rows gathers the stages seen and the association groups for the society table.
  std::string ItemLine(const CAnalItem& item) override;
  // Each peal counts in its association-and-stage row, its stage row, its association row and
  // the grand total (key 0).
  void AddPeal(const CPeal& peal) override;
  std::string KeyTitle() const override { return "Association and Stage"; }
  bool BuildAlternative(std::vector<std::string>& lines) override;
  bool HasAlternative() const override { return true; }
  void BeginLookups() override;
  void EndLookups() override;

  static int32_t Key(int32_t association, int stage) { return association + 256 * stage; }

 private:
  // The stage columns' widths, tower columns first.
  std::vector<int> ColumnWidths() const;
  // The columns of one row of the society table: each stage's count, then the totals.
  std::string TableColumns(const std::vector<int64_t>& stageCounts, int64_t tower, int64_t hand) const;
  std::string NameColumn(const std::string& name) const;
  uint32_t Count(int32_t key, bool hand) const;

  std::vector<int> m_towerStages;  // stage bytes with tower peals, in stage order
  std::vector<int> m_handStages;
  std::array<std::list<int32_t>, 3> m_groups;  // affiliated, non-affiliated, the rest
  size_t m_nameWidth = 24;
};

}  // namespace tv
