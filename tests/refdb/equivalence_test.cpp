// Ringer equivalences: groups made by AddEquivalence, and the equivalence files of a ledger.
#include "refdb/equivalence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "core/memory_file_system.h"
#include "core/services.h"

namespace tv {
namespace {

std::set<int32_t> Group(const CEquivalences& eq, int32_t target) {
  const std::vector<int32_t> keys = eq.EquivalentKeys(target);
  return {keys.begin(), keys.end()};
}

// Every person counted as some target is threaded from it, and nobody else is.
void ExpectThreadsMatchCountedAs(const CEquivalences& eq) {
  std::map<int32_t, std::set<int32_t>> expected;
  for (const auto& [from, to] : eq.CountedAs()) expected[to].insert(from);
  for (const auto& [target, members] : expected) {
    EXPECT_EQ(Group(eq, target), members) << "group of " << target;
    EXPECT_EQ(eq.EquivalentOf(target), 0) << target << " is a target and counted as another";
  }
}

struct Steps {
  const char* name;
  std::vector<std::pair<int32_t, int32_t>> adds;
  std::map<int32_t, int32_t> countedAs;
};

class EquivalenceGroups : public ::testing::TestWithParam<Steps> {};

TEST_P(EquivalenceGroups, EveryoneEndsCountedAsTheLastTarget) {
  CEquivalences eq;
  for (const auto& [from, to] : GetParam().adds) eq.AddEquivalence(from, to);
  EXPECT_EQ(eq.CountedAs(), GetParam().countedAs);
  ExpectThreadsMatchCountedAs(eq);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EquivalenceGroups,
    ::testing::Values(
        Steps{"One", {{5, 9}}, {{5, 9}}},
        Steps{"TargetLaterCountedAsAnother", {{5, 9}, {9, 12}}, {{5, 12}, {9, 12}}},
        // A person counted as 9 and now as 12 takes 9 along.
        Steps{"MemberRetargetedTakesItsTargetAlong", {{5, 9}, {5, 12}}, {{5, 12}, {9, 12}}},
        Steps{"MemberOfAGroupBecomesItsTarget", {{5, 12}, {9, 12}, {20, 5}},
              {{9, 5}, {12, 5}, {20, 5}}},
        // Both sides already have members: the whole group of 2 joins 4.
        Steps{"TwoGroupsMerge", {{1, 2}, {3, 4}, {2, 4}}, {{1, 4}, {2, 4}, {3, 4}}},
        Steps{"Reversed", {{5, 9}, {9, 5}}, {{9, 5}}},
        Steps{"SelfAndZeroAddNothing", {{5, 5}, {0, 5}, {5, 0}}, {}},
        // A member in the middle of the thread counted as itself again: the members after it
        // stay in the group and move with it later.
        Steps{"MemberCountedAsItselfLeavesTheRestThreaded", {{3, 9}, {4, 9}, {5, 9}, {4, 4}},
              {{3, 9}, {5, 9}}},
        Steps{"GroupMovesWholeAfterAMemberLeft", {{3, 9}, {4, 9}, {5, 9}, {4, 4}, {9, 12}},
              {{3, 12}, {5, 12}, {9, 12}}},
        // The bytes a fuzzed older-form file held: 2 joins 257, that group joins 1 and then 4,
        // and 2 leaves.
        Steps{"FuzzedOlderFile", {{2, 257}, {1024, 0}, {2, 1}, {1, 4}, {2, 2}}, {{1, 4}, {257, 4}}}),
    [](const auto& param) { return std::string(param.param.name); });

class EquivalenceFiles : public ::testing::Test {
 protected:
  MemoryFileSystem files{"/work/"};
  ScopedServices services{&files, nullptr, nullptr};
};

TEST_F(EquivalenceFiles, SaveAndReloadKeepTheGroups) {
  CEquivalences eq;
  for (const auto& [from, to] : std::vector<std::pair<int32_t, int32_t>>{
           {5, 9}, {9, 12}, {70000, 3}, {1, 3}, {3, 12}}) {
    eq.AddEquivalence(from, to);
  }
  ASSERT_TRUE(eq.SaveEquivalences("/ledgers/club.tv3"));
  EXPECT_EQ(files.Contents("/work/club.eq3").size(), eq.CountedAs().size() * 8);
  CEquivalences reloaded;
  reloaded.AddEquivalence(40, 41);  // replaced by the load
  reloaded.LoadEquivalences("D:\\other\\club.tv3");
  EXPECT_EQ(reloaded.CountedAs(), eq.CountedAs());
  ExpectThreadsMatchCountedAs(reloaded);
}

TEST_F(EquivalenceFiles, OlderFormIsReadOnlyWhenThereIsNoCurrentOne) {
  const std::string old = {5, 0, 9, 0, 7, 0, 9, 0, 1};  // a trailing part is ignored
  files.SetContents("/work/club.eqv", old);
  CEquivalences eq;
  eq.LoadEquivalences("/x/club.tv3");
  EXPECT_EQ(eq.CountedAs(), (std::map<int32_t, int32_t>{{5, 9}, {7, 9}}));
  files.SetContents("/work/club.eq3", std::string{2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0});
  eq.LoadEquivalences("/x/club.tv3");
  EXPECT_EQ(eq.CountedAs(), (std::map<int32_t, int32_t>{{2, 3}}));
  eq.LoadEquivalences("/x/none.tv3");
  EXPECT_TRUE(eq.Empty());
}

TEST_F(EquivalenceFiles, DamagedFileWithACycleStillLoads) {
  files.SetContents("/work/loop.eq3", std::string{5, 0, 0, 0, 9, 0, 0, 0, 9, 0, 0, 0, 5, 0, 0, 0,
                                                  5, 0, 0, 0, 5, 0, 0, 0});
  CEquivalences eq;
  eq.LoadEquivalences("loop.tv3");
  EXPECT_EQ(eq.CountedAs(), (std::map<int32_t, int32_t>{{9, 5}}));
  ExpectThreadsMatchCountedAs(eq);
}

TEST(EquivalenceLines, OneQuotedLinePerEquivalence) {
  CEquivalences eq;
  eq.AddEquivalence(5, 9);
  eq.AddEquivalence(7, 9);
  std::string out;
  eq.WriteEquivalenceLines(out, [](int32_t key) { return key == 9 ? "J Smith" : std::string(); });
  EXPECT_EQ(out, "5,9,\"\",\"J Smith\"\n7,9,\"\",\"J Smith\"\n");
}

}  // namespace
}  // namespace tv
