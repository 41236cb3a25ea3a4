// Saves of the reference database stopped after every one of their file operations: each index
// pair, the external-record cross-reference and the equivalence file read back whole, as they
// were before the save or as it left them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "refdb/equivalence.h"
#include "refdb/index.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/steeplex.h"
#include "refdb/tower.h"
#include "tests/refdb/reference_fixture.h"
#include "tests/support/full_disk_file_system.h"
#include "tests/support/stopping_file_system.h"

namespace tv {
namespace {

using testing::RunStoppedAtEveryStep;
using testing::StopRun;

// Every entry of one index in sorted order, with its details: what a later run would see.
std::vector<std::string> Entries(CIndex& index) {
  std::vector<std::string> entries;
  for (int32_t k = index.First(); k != 0 && entries.size() <= 1000; k = index.Entry(k).next) {
    const CIndObj* object = index.Lookup(k);
    entries.push_back(std::to_string(k) + "\t" + index.NameOf(k, 0) + "\t" +
                      (object ? object->GetDetails() : std::string("(no record)")));
  }
  return entries;
}

// The whole database as the next run of the program opens it.
std::vector<std::vector<std::string>> Database() {
  CloseIndexSet();
  SteeplexXref().Clear();
  OpenIndexSet("/db/");
  std::vector<std::vector<std::string>> all;
  for (const char* name : kIndexNames) all.push_back(Entries(*IndexByName(name)));
  all.push_back({SteeplexXref().Bytes()});
  CloseIndexSet();
  SteeplexXref().Clear();
  return all;
}

// The first difference between two databases, or "" when they are the same.
std::string Difference(const std::vector<std::vector<std::string>>& a,
                       const std::vector<std::vector<std::string>>& b) {
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    const std::string name = i < kIndexCount ? kIndexNames[i] : "steeplex.xrf";
    for (size_t e = 0; e < a[i].size() || e < b[i].size(); ++e) {
      const std::string x = e < a[i].size() ? a[i][e] : "(none)";
      const std::string y = e < b[i].size() ? b[i][e] : "(none)";
      if (x != y) return name + " entry " + std::to_string(e) + ": " + x + " | " + y;
    }
  }
  return a.size() == b.size() ? "" : "sizes differ";
}

class InterruptedIndexSave : public ReferenceTest {
 protected:
  static std::unique_ptr<CPerson> Person(const std::string& first, const std::string& surname) {
    auto person = std::make_unique<CPerson>();
    person->firstNames = first;
    person->surname = surname;
    return person;
  }
  static std::unique_ptr<CTower> Tower(const std::string& place, uint16_t tenor) {
    auto tower = std::make_unique<CTower>();
    tower->place = place;
    tower->tenorWeight = tenor;
    return tower;
  }
  static std::unique_ptr<CMethod> Method(const std::string& name, uint8_t stage) {
    auto method = std::make_unique<CMethod>();
    method->name = name;
    method->stage = stage;
    return method;
  }
  static std::unique_ptr<CSteeplex> Record(int32_t key, const std::string& location) {
    auto record = std::make_unique<CSteeplex>();
    record->key = key;
    record->location = location;
    return record;
  }

  // A saved database, opened again, then changed in every index kind: entries added, edited
  // (so that they sort elsewhere) and removed, and an external record tied to a tower.
  void Prepare() {
    CloseIndexSet();
    SteeplexXref().Clear();
    files = MemoryFileSystem("/db/");
    OpenIndexSet("/db/");
    for (int i = 0; i < 40; ++i) {
      const std::string n = std::to_string(i);
      PersonIndex().InsertNew(Person("Ann" + n, "Smith" + n));
      TowerIndex().InsertNew(Tower("Ashby" + n, static_cast<uint16_t>(800 + i)));
      MethodIndex().InsertNew(Method("Surprise" + n, static_cast<uint8_t>(6 + i % 4)));
    }
    for (int k = 1; k <= 5; ++k) SteeplexIndex().AddWithKey(Record(k, "Place" + std::to_string(k)), k);
    LinkSteeplex(2, 3);
    SaveAllIndexes();
    CloseIndexSet();
    SteeplexXref().Clear();
    OpenIndexSet("/db/");

    for (int32_t k : {4, 17, 33}) {
      PersonIndex().Remove(k);
      TowerIndex().Remove(k + 1);
      MethodIndex().Remove(k + 2);
    }
    for (int32_t k : {2, 20}) {
      static_cast<CPerson*>(PersonIndex().Lookup(k))->surname = "Young";
      PersonIndex().EditEntry(k, false);
      static_cast<CTower*>(TowerIndex().Lookup(k))->place = "Zeal" + std::to_string(k);
      TowerIndex().EditEntry(k, false);
      static_cast<CMethod*>(MethodIndex().Lookup(k))->name = "Aardvark" + std::to_string(k);
      MethodIndex().EditEntry(k, false);
    }
    for (int i = 0; i < 6; ++i) {
      PersonIndex().InsertNew(Person("Bob", "New" + std::to_string(i)));
      TowerIndex().InsertNew(Tower("Newton" + std::to_string(i), 500));
      MethodIndex().InsertNew(Method("Delight" + std::to_string(i), 8));
    }
    SteeplexIndex().Remove(4);
    SteeplexIndex().AddWithKey(Record(9, "Later"), 9);
    LinkSteeplex(2, 0);
    LinkSteeplex(5, 7);
  }
};

TEST_F(InterruptedIndexSave, EveryStopLeavesEachIndexAsItWasOrAsSaved) {
  Prepare();
  CloseIndexSet();  // closing without a save: what was on disk before
  const auto before = Database();
  Prepare();
  SaveAllIndexes();
  const auto after = Database();
  for (size_t i = 0; i < before.size(); ++i) {
    if (i == 1 || i == 2 || i == 5 || i == 7 || i == kIndexCount) {
      ASSERT_NE(before[i], after[i]) << "index " << i << " should change";
    }
  }

  const int runs = RunStoppedAtEveryStep(
      files, [&] { Prepare(); }, [&] { SaveAllIndexes(); },
      [&](const StopRun& run) {
        const auto now = Database();
        for (size_t i = 0; i < now.size(); ++i) {
          const bool asBefore = now[i] == before[i];
          const bool asAfter = now[i] == after[i];
          EXPECT_TRUE(asBefore || asAfter) << "stopped after " << run.allowed << " changes: "
                                           << (i < kIndexCount ? kIndexNames[i] : "steeplex.xrf");
          if (run.finished) {
            EXPECT_TRUE(asAfter);
          }
        }
      });
  EXPECT_GT(runs, 20);
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(InterruptedIndexSave, EveryStopOfACompactionKeepsEveryEntryOfEveryIndex) {
  auto prepare = [&] {
    Prepare();
    SaveAllIndexes();
  };
  prepare();
  const auto saved = Database();
  for (const char* name : kIndexNames) {
    const int runs = RunStoppedAtEveryStep(
        files, prepare, [&] { EXPECT_TRUE(IndexByName(name)->Compact()); },
        [&](const StopRun& run) {
          EXPECT_EQ(Difference(Database(), saved), "")
              << name << " stopped after " << run.allowed;
        });
    EXPECT_GT(runs, 10) << name;
  }
  EXPECT_TRUE(platform.messages.empty());
}

// Regression: a save that failed on a full disk left the unwritten records' entries pointing
// past the end of the data file, so the next save wrote an index naming records never written.
TEST_F(InterruptedIndexSave, SaveFailedOnAFullDiskLosesNoEntryAtTheNextSave) {
  Prepare();
  CloseIndexSet();
  const auto before = Database();
  Prepare();
  SaveAllIndexes();
  const auto after = Database();
  Prepare();
  {
    testing::FullDiskFileSystem full(files, ".da3", 0);
    ScopedServices disk(&full, nullptr, nullptr);
    SaveAllIndexes();
  }
  EXPECT_FALSE(platform.messages.empty());
  // Every index as it was; only the cross-reference, a file of its own, was written.
  auto failed = Database();
  failed.back() = before.back();
  EXPECT_EQ(failed, before);
  Prepare();
  {
    testing::FullDiskFileSystem full(files, ".da3", 0);
    ScopedServices disk(&full, nullptr, nullptr);
    SaveAllIndexes();
  }
  SaveAllIndexes();  // room again
  EXPECT_EQ(Database(), after);
}

TEST_F(InterruptedIndexSave, EveryStopLeavesTheEquivalenceFileWhole) {
  const std::string path = CEquivalences::FileFor("club.tv3", kEquivalenceExtension);
  CEquivalences equivalences;
  auto prepare = [&] {
    files = MemoryFileSystem("/db/");
    equivalences.Clear();
    for (int32_t k = 1; k < 40; k += 2) equivalences.AddEquivalence(k, k + 1);
    ASSERT_TRUE(equivalences.SaveEquivalences("club.tv3"));
    equivalences.AddEquivalence(2, 100);
    equivalences.AddEquivalence(41, 100);
  };
  prepare();
  const std::string before = files.Contents(path);
  ASSERT_TRUE(equivalences.SaveEquivalences("club.tv3"));
  const std::string after = files.Contents(path);
  ASSERT_NE(before, after);

  RunStoppedAtEveryStep(
      files, prepare, [&] { EXPECT_TRUE(equivalences.SaveEquivalences("club.tv3")); },
      [&](const StopRun& run) {
        const std::string now = files.Contents(path);
        EXPECT_TRUE(now == before || (now == after)) << "stopped after " << run.allowed;
        CEquivalences reread;
        reread.LoadEquivalences("club.tv3");
        EXPECT_EQ(reread.EquivalentOf(1), now == after ? 100 : 2);
      });
}

}  // namespace
}  // namespace tv
