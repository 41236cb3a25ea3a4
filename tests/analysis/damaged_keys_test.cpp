// Analyses of a ledger whose peals hold keys far beyond any index, as a damaged file gives them:
// each row is named by its stand-by text and no index grows to the size of the key.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/analysis/analysis_fixture.h"

namespace tv::testing {
namespace {

using DamagedKeysTest = AnalysisTest;

// Regression: the stand-by entry for such a key was added to its index under that key, sizing
// the index's table for two thousand million entries.
TEST_F(DamagedKeysTest, KeysBeyondAnyIndexAreNamedWithoutGrowingIt) {
  constexpr uint32_t kHuge = 0x7FFFFFF0;
  Add({.date = Day(1, 2, 2020), .tower = kHuge, .association = kYorkshire, .method = kHuge,
       .changes = 5040, .ringers = {kHuge, kAnn}, .conductor = kHuge, .composer = kHuge});
  Add({.date = Day(2, 2, 2020), .tower = kLeeds, .association = kYorkshire, .method = kCambridgeMajor,
       .changes = 5056, .ringers = {kAnn, kJohn}});
  for (int kind = 0; kind < kAnalysisKindCount; ++kind) {
    Report(static_cast<AnalysisKind>(kind));
    Alternative(static_cast<AnalysisKind>(kind));
  }
  for (const AnalysisKind kind : {AnalysisKind::Tower, AnalysisKind::Method, AnalysisKind::Ringer,
                                  AnalysisKind::Composer}) {
    const std::vector<std::string> lines = Report(kind);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
      return line.find("#2147483632") != std::string::npos;
    })) << static_cast<int>(kind);
  }
  for (CIndex* index : {static_cast<CIndex*>(&TowerIndex()), static_cast<CIndex*>(&MethodIndex()),
                        static_cast<CIndex*>(&PersonIndex())}) {
    EXPECT_LT(index->Count(), 100) << index->Name();
  }
}

}  // namespace
}  // namespace tv::testing
