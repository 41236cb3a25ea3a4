// The method analysis, with its alternative table by stage: methods rung often enough at their
// stage are named, the rest gathered into categories of method kind. How often is often enough
// is a threshold per stage, computed from the totals and changed through "Analysis Threshold".
#pragma once

#include <array>

#include "analysis/anal_list.h"
#include "core/dialog_model.h"
#include "refdb/method.h"

namespace tv {

class CMethodList;

// Thresholds by stage 0 to 25; 4 to 25 are used (13 and up share the values of 13 and 14).
using CThresholds = std::array<uint32_t, kStageCount>;

// The "Analysis Threshold" dialog over a copy of the eleven thresholds of Minimus to Maximus,
// "Sextuples+" and "Fourteen+". The "Threshold" box edits the chosen stage's value; "All" sets
// every one. None is chosen at first and the box shows 1.
class CThreshDialog : public DialogModel {
 public:
  static constexpr int kChoices = 11;  // "All" is choice 11
  static constexpr int kAll = kChoices;
  explicit CThreshDialog(const std::array<uint32_t, kChoices>& thresholds);

  static std::string ChoiceId(int choice);
  // Presses a choice's button, as the user does.
  void Choose(int choice);
  // A choice was pressed: the box's value goes to the choice that was current, and the box
  // shows the new choice's value (1 for "All").
  void OnChanged(std::string_view id) override;
  // After OK: stores the box's value for the current choice and gives the eleven values.
  std::array<uint32_t, kChoices> Result();

 private:
  void StoreBox();

  std::array<uint32_t, kChoices> m_values;
  int m_current = -1;
};

// The stage totals of the method analysis's alternative: keyed by stage byte, in stage order
// (single stages from the highest down, then two-stage bytes from the highest down).
class CStageList : public CAnalList {
 public:
  CStageList(CMethodList& methods, const CAnalSelection& selection, Date today);
  int CompareItems(const CAnalItem& a, const CAnalItem& b) override;
  // While the method analysis has no thresholds yet, each single stage's row stores its total
  // there as it is laid out.
  std::string ItemLine(const CAnalItem& item) override;
  void AddPeal(const CPeal& peal) override { (void)peal; }
  std::string KeyTitle() const override { return "Stage"; }

 private:
  CMethodList& m_methods;
};

// Stage order: negative when stage byte `a` comes first.
int CompareStages(int a, int b);

class CMethodList : public CAnalList {
 public:
  bool AddsFromColumnFields() const override { return true; }
  using CAnalList::CAnalList;
  int CompareItems(const CAnalItem& a, const CAnalItem& b) override;
  std::string ItemLine(const CAnalItem& item) override;
  void AddPeal(const CPeal& peal) override;
  std::string KeyTitle() const override { return "Method"; }
  // Writes every method row's entry as a new method index.
  void SaveIndex(File& data, File& index) override;
  bool BuildAlternative(std::vector<std::string>& lines) override;
  bool HasAlternative() const override { return true; }
  bool HasThreshold() const override { return true; }
  bool EditThreshold() override;
  void BeginLookups() override;
  void EndLookups() override;

  // Thresholds of stages 4 to 25, once the alternative has computed their defaults.
  const CThresholds& Thresholds() const { return m_thresholds; }
  bool ThresholdsSet() const { return m_thresholdsSet; }
  // Takes the eleven values of Minimus to Fourteen+ and spreads 13 and 14 over the higher
  // stages.
  void SetThresholds(const std::array<uint32_t, CThreshDialog::kChoices>& values);

 private:
  friend class CStageList;
  void ComputeDefaultThresholds();
  void SpreadHighStages();

  CThresholds m_thresholds{};
  bool m_thresholdsSet = false;
};

}  // namespace tv
