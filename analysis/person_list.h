// Analyses by ringer and by composer, the "Set Equivalence" dialog, and the Equivalence command
// that makes one person entry counted as another.
#pragma once

#include "analysis/anal_list.h"
#include "core/dialog_model.h"

namespace tv {

// The "Set Equivalence" dialog: the typed From and To texts, at most 12 characters each.
class CEquivDialog : public DialogModel {
 public:
  CEquivDialog();
  static constexpr size_t kMaxText = 12;
};

// Fantasy points of a peal: 0 for a handbell peal or one above twelve bells; otherwise the
// stage plus a point for each 1120 lb of tenor (rounded as (tenor + 1176) / 1120).
uint32_t FantasyPoints(const CPeal& peal);

// The ringer analysis. A person counted as another (a ringer equivalence) is counted in that
// person's row and has no row of its own in the report.
class CPersonList : public CAnalList {
 public:
  using CAnalList::CAnalList;
  int CompareItems(const CAnalItem& a, const CAnalItem& b) override;
  std::string ItemLine(const CAnalItem& item) override;
  void AddPeal(const CPeal& peal) override;
  // Without Fantasy, Recent or a selection by tower (which count by bells and by order).
  bool AddPealsFromColumns(const CPealColumns& columns, std::span<const uint32_t> peals) override;
  // Under a tower's selection the bells rung are counted: from the records.
  bool AddsFromColumnFields() const override { return Selection().kind != kSelectedByTower; }
  std::string KeyTitle() const override { return "Ringer"; }
  // Every person row's entry as a new person index, and "new.eqv" in the current directory
  // with the rows' equivalences.
  void SaveIndex(File& data, File& index) override;
  // The same rows in name order.
  bool BuildAlternative(std::vector<std::string>& lines) override;
  bool HasAlternative() const override { return true; }
  bool HasEquivalence() const override { return true; }
  // Runs "Set Equivalence", then asks the chooser for the From person and the To person.
  void EditEquivalence() override;
  void BeginLookups() override;
  void EndLookups() override;
  bool IsListed(const CAnalItem& item) const override;
  // The chooser's answer while an equivalence is made: the first key is the From person, each
  // later one the person it is counted as. 0 does nothing.
  void OnChosen(int32_t key) override;

  int32_t PendingPerson() const { return m_pending; }
  CEquivDialog& EquivalenceDialog() { return m_equivDialog; }

 protected:
  int32_t ParentFor(int32_t key) const override;

 private:
  bool m_sortByCounts = true;
  int32_t m_pending = 0;
  CEquivDialog m_equivDialog;
};

// The composer analysis: compositions in the first column, arrangements in the second.
class CCompList : public CPersonList {
 public:
  using CPersonList::CPersonList;
  void AddPeal(const CPeal& peal) override;
  // Composers are counted from the records: the ringers' column pass does not apply.
  bool AddPealsFromColumns(const CPealColumns&, std::span<const uint32_t>) override { return false; }
  bool AddsFromColumnFields() const override { return true; }
  std::string KeyTitle() const override { return "Composer"; }
};

inline constexpr const char* kNewEquivalenceFile = "new.eqv";

}  // namespace tv
