// A ledger document over a fresh in-memory index set with a fixed today and a scripted platform,
// a few reference entries to name, and the check that every buffer of a ledger is sound.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/memory_file_system.h"
#include "core/services.h"
#include "core/text.h"
#include "peals/tolvane_doc.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/steeplex.h"
#include "refdb/tower.h"
#include "tests/support/scripted_platform.h"

namespace tv::testing {

class LedgerFixture : public ::testing::Test {
 protected:
  LedgerFixture() {
    CloseIndexSet();
    SteeplexXref().Clear();
    OpenIndexSet("/db/");
  }
  ~LedgerFixture() override { CloseIndexSet(); }

  int32_t AddAssoc(const std::string& name) {
    auto assoc = std::make_unique<CAssoc>();
    assoc->name = name;
    assoc->abbreviation = CapitalLetters(name);
    return AssocIndex().InsertNew(std::move(assoc));
  }
  int32_t AddCounty(const std::string& name) {
    auto county = std::make_unique<CCounty>();
    county->name = name;
    county->abbreviation = name;
    return CountyIndex().InsertNew(std::move(county));
  }
  int32_t AddTower(const std::string& place, uint16_t weight, int32_t county = 0) {
    auto tower = std::make_unique<CTower>();
    tower->place = place;
    tower->tenorWeight = weight;
    tower->county = static_cast<uint8_t>(county);
    return TowerIndex().InsertNew(std::move(tower));
  }
  int32_t AddMethod(const std::string& name, int methodClass, uint8_t stage, uint16_t count = 1,
                    bool spliced = false, bool little = false) {
    auto method = std::make_unique<CMethod>();
    method->name = name;
    method->methodClass = methodClass;
    method->stage = stage;
    method->methodCount = count;
    method->spliced = spliced;
    method->little = little;
    return MethodIndex().InsertNew(std::move(method));
  }
  int32_t AddPerson(const std::string& firstNames, const std::string& surname) {
    auto person = std::make_unique<CPerson>();
    person->firstNames = firstNames;
    person->surname = surname;
    person->initials = CapitalLetters(firstNames);
    return PersonIndex().InsertNew(std::move(person));
  }

  MemoryFileSystem files{"/db/"};
  FixedClock clock{{15, 6, 2024}};
  ScriptedPlatform platform;
  ScopedServices services{&files, &clock, &platform};
  CTolvaneDoc doc;
};

// Empty when every buffer of the ledger is a search tree in ledger order whose prev/next thread
// lists the same peals, and every peal is in exactly one buffer; otherwise what is wrong.
inline std::string BufferFaults(const CPealLedger& ledger) {
  if (ledger.bufferRoots.size() != ledger.bufferPositions.size()) return "buffer arrays differ";
  std::set<uint32_t> seen;
  for (int b = 0; b < ledger.BufferCount(); ++b) {
    const std::string where = "buffer " + std::to_string(b) + ": ";
    const uint32_t root = ledger.bufferRoots[b];
    if (root != 0 && ledger.Entry(root).parent != 0) return where + "root has a parent";
    std::vector<uint32_t> inOrder, stack;
    for (uint32_t n = root; n != 0 || !stack.empty();) {
      while (n != 0) {
        if (!ledger.PealAt(n)) return where + "node without a peal";
        for (const uint32_t child : {ledger.Entry(n).left, ledger.Entry(n).right}) {
          if (child != 0 && ledger.Entry(child).parent != n) return where + "bad parent link";
        }
        stack.push_back(n);
        if (stack.size() > ledger.lastPealNumber + 1) return where + "tree has a cycle";
        n = ledger.Entry(n).left;
      }
      n = stack.back();
      stack.pop_back();
      inOrder.push_back(n);
      n = ledger.Entry(n).right;
    }
    for (size_t i = 1; i < inOrder.size(); ++i) {
      if (ledger.PealAt(inOrder[i - 1])->CompareOrder(*ledger.PealAt(inOrder[i])) >= 0) {
        return where + "tree out of ledger order";
      }
    }
    std::vector<uint32_t> thread;
    uint32_t previous = 0;
    for (uint32_t n = ledger.FirstOf(b); n != 0 && thread.size() <= ledger.lastPealNumber;
         n = ledger.Entry(n).next) {
      if (ledger.Entry(n).prev != previous) return where + "prev does not match next";
      thread.push_back(n);
      previous = n;
    }
    if (thread != inOrder) return where + "thread differs from the tree";
    for (const uint32_t n : inOrder) {
      if (!seen.insert(n).second) return "peal " + std::to_string(n) + " is in two buffers";
    }
  }
  for (uint32_t n = 1; n <= ledger.lastPealNumber; ++n) {
    if (ledger.PealAt(n) && !seen.count(n)) return "peal " + std::to_string(n) + " is in no buffer";
  }
  return {};
}

}  // namespace tv::testing
