// Marking the entries that the peals of ledgers name.
#include "peals/mark_used.h"

#include <algorithm>
#include <iterator>

#include "peals/ledger_file.h"
#include "peals/peal_ledger.h"
#include "peals/peal_record.h"
#include "refdb/equivalence.h"
#include "refdb/index.h"
#include "refdb/index_set.h"
#include "refdb/person.h"
#include "refdb/tower.h"

namespace tv {
namespace {

constexpr const char* kNamedByPeals[] = {"persons", "towers", "methods", "assocs",
                                         "comps",   "counts", "saints"};

}  // namespace

bool PealsNameIndex(std::string_view name) {
  return std::find(std::begin(kNamedByPeals), std::end(kNamedByPeals), name) != std::end(kNamedByPeals);
}

void MarkNamedBy(const CPeal& peal, CIndex& index) {
  const std::string& name = index.Name();
  const auto mark = [&index](uint32_t key) {
    if (key != 0) index.MarkUsed(static_cast<int32_t>(key));
  };
  if (name == "persons") {
    peal.MarkPersonsUsed();
  } else if (name == "towers") {
    mark(peal.tower);
  } else if (name == "methods") {
    mark(peal.method);
  } else if (name == "assocs") {
    mark(peal.association);
  } else if (name == "comps") {
    mark(peal.composition);
  } else if (name == "counts" || name == "saints") {
    const auto* tower = dynamic_cast<const CTower*>(TowerIndex().Lookup(static_cast<int32_t>(peal.tower)));
    for (int depth = 0; tower && depth < 1000; ++depth, tower = tower->earlier.get()) {
      mark(name == "counts" ? tower->county : static_cast<uint32_t>(tower->dedication));
    }
  }
}

Status MarkUsedByLedgers(CIndex& index, const std::vector<std::string>& ledgers) {
  for (const std::string& path : ledgers) {
    CPealLedger ledger;
    const Status read = ReadLedgerFile(path, ledger);
    if (!read.ok()) return read;
    for (uint32_t n = 1; n <= ledger.lastPealNumber; ++n) {
      if (const CPeal* peal = ledger.PealAt(n)) MarkNamedBy(*peal, index);
    }
    if (index.Name() == "persons") {
      CEquivalences equivalences;
      equivalences.LoadEquivalences(path);
      for (const auto& [from, to] : equivalences.CountedAs()) {
        index.MarkUsed(from);
        index.MarkUsed(to);
      }
    }
  }
  return Status::Ok();
}

}  // namespace tv
