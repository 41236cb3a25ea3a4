// Analyses by association, by tower and (as the tower analysis's alternative) by county.
#pragma once

#include "analysis/anal_list.h"

namespace tv {

class CAssocList : public CAnalList {
 public:
  bool AddsFromColumnFields() const override { return true; }
  using CAnalList::CAnalList;
  int CompareItems(const CAnalItem& a, const CAnalItem& b) override;
  std::string ItemLine(const CAnalItem& item) override;
  void AddPeal(const CPeal& peal) override;
  std::string KeyTitle() const override { return "Association"; }
  void BeginLookups() override;
  void EndLookups() override;
};

// The tower analysis. Under a selection by ringer each tower's row also counts the peals that
// ringer (or anyone counted as that ringer) conducted there, and the bells rung there.
class CTowerList : public CAnalList {
 public:
  // Under a ringer's selection the bells that ringer rang are counted: from the records.
  bool AddsFromColumnFields() const override { return Selection().kind != kSelectedByRinger; }
  using CAnalList::CAnalList;
  int CompareItems(const CAnalItem& a, const CAnalItem& b) override;
  std::string ItemLine(const CAnalItem& item) override;
  void AddPeal(const CPeal& peal) override;
  std::string KeyTitle() const override { return "Tower"; }
  // The rows regrouped by the counties of their towers.
  bool BuildAlternative(std::vector<std::string>& lines) override;
  bool HasAlternative() const override { return true; }
  void BeginLookups() override;
  void EndLookups() override;
};

class CCountyList : public CAnalList {
 public:
  using CAnalList::CAnalList;
  int CompareItems(const CAnalItem& a, const CAnalItem& b) override;
  std::string ItemLine(const CAnalItem& item) override;
  // Counties are never counted from peals: rows are merged from the tower analysis.
  void AddPeal(const CPeal& peal) override { (void)peal; }
  std::string KeyTitle() const override { return "County"; }
  void BeginLookups() override;
  void EndLookups() override;
};

}  // namespace tv
