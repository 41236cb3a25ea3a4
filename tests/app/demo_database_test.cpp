// The demonstration database: its contents through the libraries, and its determinism.
#include "app/demo_database.h"

#include <gtest/gtest.h>

#include <map>

#include "core/memory_file_system.h"
#include "core/services.h"
#include "peals/ledger_file.h"
#include "peals/peal_ledger.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/person.h"
#include "refdb/tower.h"
#include "tests/support/scripted_platform.h"

namespace tv {
namespace {

class DemoDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override { files.CreateDirectory("/demo"); }
  void TearDown() override { CloseIndexSet(); }
  MemoryFileSystem files{"/"};
  FixedClock clock{{9, 12, 2026}};
  testing::ScriptedPlatform platform;
  ScopedServices services{&files, &clock, &platform};
};

TEST_F(DemoDatabaseTest, HoldsWhatANewcomerExpects) {
  DemoSummary summary;
  ASSERT_TRUE(WriteDemoDatabase("/demo", 600, &summary).ok());
  EXPECT_EQ(summary.associations, 12);
  EXPECT_EQ(summary.towers, 200);
  CloseIndexSet();
  OpenIndexSet("/demo/");

  CPealLedger peals;
  LedgerReadResult read;
  ASSERT_TRUE(ReadLedgerFile("/demo/demo.tv3", peals, &read).ok());
  EXPECT_EQ(read.pealsRead, 600u);
  CPealLedger quarters;
  ASSERT_TRUE(ReadLedgerFile("/demo/demo.qv3", quarters).ok());
  EXPECT_EQ(quarters.lastPealNumber, 300u);

  // Peals per association: every association and all three standings appear.
  std::map<int, int> perAssociation;
  int handbell = 0, withdrawn = 0, footnoted = 0;
  std::set<int> standings;
  for (uint32_t n = 1; n <= peals.lastPealNumber; ++n) {
    const CPeal* peal = peals.PealAt(n);
    ++perAssociation[peal->association];
    handbell += peal->handbell;
    withdrawn += !peal->extras[kValidity].empty();
    footnoted += !peal->extras[kFootnote].empty();
    EXPECT_GE(peal->date, MakeDate(1, 1, 1986));
    EXPECT_LE(peal->date, MakeDate(31, 12, 2025));
    EXPECT_EQ(peal->changes >= 5000, true);
  }
  EXPECT_EQ(perAssociation.size(), 12u);
  for (const auto& [key, count] : perAssociation) {
    EXPECT_GT(count, 0);
    standings.insert(static_cast<CAssoc*>(AssocIndex().Lookup(key))->kind);
  }
  EXPECT_EQ(standings, (std::set<int>{0, 1, 2}));
  EXPECT_GT(handbell, 0);
  EXPECT_GT(footnoted, 0);
  EXPECT_GT(withdrawn, 0);

  // The recast tower answers by date.
  const int32_t recast = TowerIndex().FindEntry(kDemoRecastTowerNow, 0);
  const auto* tower = static_cast<CTower*>(TowerIndex().Lookup(recast));
  ASSERT_NE(tower, nullptr);
  EXPECT_EQ(tower->PlaceAt(MakeDate(31, 12, kDemoRecastYear)), kDemoRecastTowerBefore);
  EXPECT_EQ(tower->PlaceAt(MakeDate(1, 1, kDemoRecastYear + 1)), kDemoRecastTowerNow);
  EXPECT_EQ(tower->BellsAt(MakeDate(1, 6, 1990)), 6);
  EXPECT_EQ(tower->BellsAt(MakeDate(1, 6, 2010)), 8);

  // The married couple: the maiden name is counted as the married one, once the ledger's
  // equivalences are read.
  CPersonIndex& persons = PersonIndex();
  persons.equivalences.LoadEquivalences("/demo/demo.tv3");
  const int32_t maiden = FindOrAddPerson(kDemoMaidenName, false, nullptr);
  const int32_t married = FindOrAddPerson(kDemoMarriedName, false, nullptr);
  ASSERT_NE(maiden, 0);
  ASSERT_NE(married, 0);
  EXPECT_EQ(persons.equivalences.EquivalentOf(maiden), married);
  bool maidenRang = false, marriedRang = false;
  for (uint32_t n = 1; n <= peals.lastPealNumber; ++n) {
    for (uint32_t key : peals.PealAt(n)->ringers) {
      maidenRang |= key == static_cast<uint32_t>(maiden);
      marriedRang |= key == static_cast<uint32_t>(married);
    }
  }
  EXPECT_TRUE(maidenRang || marriedRang);
}

TEST_F(DemoDatabaseTest, SameCountGivesTheSameFiles) {
  ASSERT_TRUE(WriteDemoDatabase("/demo", 200).ok());
  CloseIndexSet();
  files.CreateDirectory("/again");
  ASSERT_TRUE(WriteDemoDatabase("/again", 200).ok());
  for (const char* name : {"demo.tv3", "demo.qv3", "persons.da3", "towers.id3", "methods.da3"}) {
    EXPECT_EQ(files.Contents(std::string("/demo/") + name), files.Contents(std::string("/again/") + name))
        << name;
  }
}

TEST_F(DemoDatabaseTest, RefusesAFolderThatHoldsADatabase) {
  ASSERT_TRUE(WriteDemoDatabase("/demo", 50).ok());
  CloseIndexSet();
  EXPECT_EQ(WriteDemoDatabase("/demo", 50).code(), StatusCode::Usage);
  EXPECT_EQ(WriteDemoDatabase("/missing", 50).code(), StatusCode::Usage);
}

}  // namespace
}  // namespace tv
