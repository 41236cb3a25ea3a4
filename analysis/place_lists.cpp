// Analyses by association, tower and county.
#include "analysis/place_lists.h"

#include <set>

#include "analysis/bell_rule.h"
#include "analysis/key_names.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/person.h"
#include "refdb/tower.h"

namespace tv {
namespace {

template <typename T>
std::unique_ptr<CIndObj> NamedString(const std::string& name) {
  auto object = std::make_unique<T>();
  object->name = name;
  object->abbreviation = name;
  return object;
}

std::unique_ptr<CIndObj> StandByTower(const std::string& name) {
  auto tower = std::make_unique<CTower>();
  tower->place = name;
  return tower;
}

}  // namespace

// --- associations ---

int CAssocList::CompareItems(const CAnalItem& a, const CAnalItem& b) {
  if (const int byCounts = CompareCounts(a, b); byCounts != 0) return byCounts;
  return CompareKeyObjects(AssocIndex(), a.key, b.key);
}

std::string CAssocList::ItemLine(const CAnalItem& item) {
  return CountColumns(item) + NameOrStandBy(AssocIndex(), item.key, NamedString<CAssoc>);
}

void CAssocList::AddPeal(const CPeal& peal) {
  CountPeal(peal, peal.association);
  CountConductorRule(peal, peal.association);
}

void CAssocList::BeginLookups() { AssocIndex().OpenForUpdate(); }
void CAssocList::EndLookups() { AssocIndex().CloseAfterUpdate(); }

// --- towers ---

int CTowerList::CompareItems(const CAnalItem& a, const CAnalItem& b) {
  if (const int byCounts = CompareCounts(a, b); byCounts != 0) return byCounts;
  return CompareKeyObjects(TowerIndex(), a.key, b.key);
}

std::string CTowerList::ItemLine(const CAnalItem& item) {
  return CountColumns(item) + NameOrStandBy(TowerIndex(), item.key, StandByTower);
}

void CTowerList::AddPeal(const CPeal& peal) {
  const auto tower = static_cast<int32_t>(peal.tower);
  CountPeal(peal, tower);
  if (Selection().kind != kSelectedByRinger) return;
  const CEquivalences& equivalences = PersonIndex().equivalences;
  std::set<int32_t> seen;
  for (int32_t person = Selection().key; person != 0 && seen.insert(person).second;
       person = equivalences.NextInGroup(person)) {
    if (static_cast<int32_t>(peal.conductor) == person) {
      AddToItem(tower, 0, 0, 0, peal.handbell, true, 1);
    }
    const auto* object = static_cast<const CTower*>(TowerIndex().Lookup(tower));
    bellSlots = object ? object->bellCount : 0;
    ForEachBell(peal, [&](int position, int bell, int bells) {
      if (static_cast<int32_t>(peal.ringers[static_cast<size_t>(position)]) == person) {
        AddBell(tower, bell, bells, 1);
      }
    });
  }
}

bool CTowerList::BuildAlternative(std::vector<std::string>& lines) {
  CCountyList counties({.showChanges = Options().showChanges, .showTime = Options().showTime},
                       Selection(), TodayDate());
  for (const CAnalItem* row : Listed()) {
    if (const auto* tower = static_cast<const CTower*>(TowerIndex().Lookup(row->key))) {
      counties.MergeItem(tower->county, *row);
    }
  }
  lines = counties.BuildReport();
  return true;
}

void CTowerList::BeginLookups() { TowerIndex().OpenForUpdate(); }
void CTowerList::EndLookups() { TowerIndex().CloseAfterUpdate(); }

// --- counties ---

int CCountyList::CompareItems(const CAnalItem& a, const CAnalItem& b) {
  return CompareKeyObjects(CountyIndex(), a.key, b.key);
}

std::string CCountyList::ItemLine(const CAnalItem& item) {
  return CountColumns(item) + NameOrStandBy(CountyIndex(), item.key, NamedString<CCounty>);
}

void CCountyList::BeginLookups() { CountyIndex().OpenForUpdate(); }
void CCountyList::EndLookups() { CountyIndex().CloseAfterUpdate(); }

}  // namespace tv
