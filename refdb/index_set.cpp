// The global index set.
#include "refdb/index_set.h"

#include <array>
#include <memory>

#include "core/services.h"
#include "refdb/assoc.h"
#include "refdb/composition.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/saint.h"
#include "refdb/steeplex.h"
#include "refdb/tower.h"

namespace tv {
namespace {

struct IndexSet {
  std::string directory;
  std::array<std::unique_ptr<CIndex>, kIndexCount> indexes;
};

std::unique_ptr<IndexSet>& TheSet() {
  static std::unique_ptr<IndexSet> set;
  return set;
}

template <typename T>
T& Get(int position) {
  if (!TheSet()) OpenIndexSet();
  return static_cast<T&>(*TheSet()->indexes[position]);
}

}  // namespace

void OpenIndexSet(const std::string& directory) {
  if (TheSet()) return;
  auto set = std::make_unique<IndexSet>();
  set->directory = directory.empty() ? Files().CurrentDirectory() : directory;
  const std::string& d = set->directory;
  set->indexes[0] = std::make_unique<CAssocIndex>("assocs", d);
  set->indexes[1] = std::make_unique<CMethodIndex>("methods", d);
  set->indexes[2] = std::make_unique<CPersonIndex>("persons", d);
  set->indexes[3] = std::make_unique<CSaintIndex>("saints", d);
  set->indexes[4] = std::make_unique<CCountyIndex>("counts", d);
  set->indexes[5] = std::make_unique<CTowerIndex>("towers", d);
  set->indexes[6] = std::make_unique<CCompIndex>("comps", d);
  set->indexes[7] = std::make_unique<CSteeplexIndex>("steeplex", d);
  for (int n = 0; n < kSteeplexStringCount; ++n) {
    set->indexes[8 + n] = std::make_unique<CStrIndex>(kIndexNames[8 + n], d);
  }
  // The tower, association and composition indexes rebuild themselves from their backup when
  // they open empty.
  for (int i = 0; i < kIndexCount; ++i) set->indexes[i]->Open(i == 0 || i == 5 || i == 6);
  // The ties between external records and towers belong to this directory's indexes.
  LoadSteeplexXref(d);
  TheSet() = std::move(set);
}

bool IndexSetIsOpen() { return TheSet() != nullptr; }

void SaveAllIndexes() {
  if (!TheSet()) return;
  for (int position : {0, 1, 2, 5, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13}) {
    TheSet()->indexes[position]->Save();
  }
  SaveSteeplexXref(TheSet()->directory);
}

void CloseIndexSet() { TheSet().reset(); }

const std::string& IndexDirectory() {
  if (!TheSet()) OpenIndexSet();
  return TheSet()->directory;
}

CAssocIndex& AssocIndex() { return Get<CAssocIndex>(0); }
CMethodIndex& MethodIndex() { return Get<CMethodIndex>(1); }
CPersonIndex& PersonIndex() { return Get<CPersonIndex>(2); }
CSaintIndex& SaintIndex() { return Get<CSaintIndex>(3); }
CCountyIndex& CountyIndex() { return Get<CCountyIndex>(4); }
CTowerIndex& TowerIndex() { return Get<CTowerIndex>(5); }
CCompIndex& CompIndex() { return Get<CCompIndex>(6); }
CSteeplexIndex& SteeplexIndex() { return Get<CSteeplexIndex>(7); }
CStrIndex& SteeplexStrings(int n) { return Get<CStrIndex>(8 + n); }

CIndex* IndexByName(std::string_view name) {
  for (int i = 0; i < kIndexCount; ++i) {
    if (name == kIndexNames[i]) {
      if (!TheSet()) OpenIndexSet();
      return TheSet()->indexes[i].get();
    }
  }
  return nullptr;
}

}  // namespace tv
