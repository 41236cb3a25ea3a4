// The ringer analysis counted from the ledger's columns against the same analysis counted peal
// by peal from the records: the same rows, parents, counts and report lines under every option
// the column pass takes, and the record pass for the options it does not.
#include <gtest/gtest.h>

#include <random>

#include "analysis/person_list.h"
#include "tests/analysis/analysis_fixture.h"

namespace tv::testing {
namespace {

class ColumnCounts : public AnalysisTest {
 protected:
  // Peals of every kind: tower and hand, invalid ones, vacant positions, a person in two
  // places, conductors and composers who ring and who do not, a key with no person entry, and
  // an equivalence so that one ringer is counted in another's row.
  void AddVaried() {
    PersonIndex().equivalences.AddEquivalence(kSue, kAnn);
    std::mt19937 random(7);
    for (int i = 0; i < 400; ++i) {
      TestPeal peal;
      peal.date = i % 37 == 0 ? 0 : Day(1 + i % 28, 1 + i % 12, 1980 + i % 40);
      peal.handbell = i % 5 == 0;
      peal.changes = static_cast<int32_t>(5000 + random() % 100);
      peal.time = static_cast<uint16_t>(150 + random() % 60);
      peal.tower = kLeeds + i % 4;
      peal.association = static_cast<uint8_t>(i % 5);
      // Methods with entries: the report of a missing one makes a stand-by entry, and a
      // second report then orders it among them.
      constexpr uint32_t kMethods[] = {1, 2, 3, 4, 5, 6, 8, 9};
      peal.method = kMethods[i % 8];
      peal.tenor = static_cast<uint16_t>(random() % 3000);
      for (int position = 0; position < 8; ++position) {
        peal.ringers.push_back(random() % 6 == 0 ? 0 : 1 + random() % 10);
      }
      peal.conductor = random() % 4 == 0 ? 0 : 1 + random() % 10;
      peal.composer = random() % 3 == 0 ? 0 : 1 + random() % 12;
      peal.arranger = random() % 5 == 0 ? 20 + random() % 3 : 0;
      peal.invalid = i % 11 == 0;
      Add(peal);
    }
  }

  // The rows the analysis of buffer 1 made, counted peal by peal from the records.
  static std::string Rows(const CAnalList& list) {
    std::string text;
    for (const auto& [key, item] : list.Items()) {
      text += std::to_string(key) + "<" + std::to_string(item->parentKey) + ":" +
              std::to_string(item->rungTower) + "," + std::to_string(item->rungHand) + "," +
              std::to_string(item->conductedTower) + "," + std::to_string(item->conductedHand) +
              "," + std::to_string(item->changes) + "," + std::to_string(item->minutes) + "," +
              std::to_string(item->firstDate) + ";";
    }
    return text;
  }
};

TEST_F(ColumnCounts, RingerAnalysisFromTheColumnsEqualsTheRecordsUnderEveryOption) {
  AddVaried();
  const std::vector<uint32_t> peals = ledger.PealsOf(kMainBuffer);
  for (const CAnalOptions options :
       {CAnalOptions{}, CAnalOptions{.showFirst = true}, CAnalOptions{.showChanges = true, .showTime = true},
        CAnalOptions{.showChanges = true, .showFirst = true}}) {
    CPersonList byColumns(options, {}, Today());
    ASSERT_TRUE(byColumns.AddPealsFromColumns(ledger.Columns(), peals));
    CPersonList byRecords(options, {}, Today());
    for (const uint32_t n : peals) {
      if (ledger.PealAt(n)->extras[kValidity].empty()) byRecords.AddPeal(*ledger.PealAt(n));
    }
    EXPECT_EQ(Rows(byColumns), Rows(byRecords));
    EXPECT_EQ(byColumns.BuildReport(), byRecords.BuildReport());
    std::vector<std::string> a, b;
    byColumns.BuildAlternative(a);
    byRecords.BuildAlternative(b);
    EXPECT_EQ(a, b);
    EXPECT_EQ(byColumns.SawHand(), byRecords.SawHand());
    EXPECT_EQ(byColumns.SawConducted(), byRecords.SawConducted());
  }
}

TEST_F(ColumnCounts, OptionsThatNeedTheRecordsAreLeftToThem) {
  AddVaried();
  const std::vector<uint32_t> peals = ledger.PealsOf(kMainBuffer);
  EXPECT_FALSE(CPersonList({.showScore = true}, {}, Today()).AddPealsFromColumns(ledger.Columns(), peals));
  EXPECT_FALSE(CPersonList({.fantasy = true}, {}, Today()).AddPealsFromColumns(ledger.Columns(), peals));
  EXPECT_FALSE(CPersonList({}, {.kind = kSelectedByTower, .key = static_cast<int32_t>(kLeeds)}, Today())
                   .AddPealsFromColumns(ledger.Columns(), peals));
  // And the document still gives their reports, from the records.
  EXPECT_FALSE(Report(AnalysisKind::Ringer, {.showScore = true}).empty());
}

TEST_F(ColumnCounts, OnlyInvalidOrNoPealsGiveNoRows) {
  CPersonList empty({}, {}, Today());
  ASSERT_TRUE(empty.AddPealsFromColumns(ledger.Columns(), {}));
  EXPECT_TRUE(empty.BuildReport().empty());
  Add({.date = Day(1, 1, 2000), .ringers = {kAnn}, .conductor = kAnn, .invalid = true});
  EXPECT_TRUE(Report(AnalysisKind::Ringer).empty());
}

// Every analysis that is given peals made from the columns reports what it reports from the
// records, under selections by tower and by ringer too.
TEST_F(ColumnCounts, EveryAnalysisFromTheColumnsReportsWhatTheRecordsGive) {
  AddVaried();
  const std::vector<uint32_t> peals = ledger.PealsOf(kMainBuffer);
  for (int k = 0; k < kAnalysisKindCount; ++k) {
    const auto kind = static_cast<AnalysisKind>(k);
    for (const CAnalSelection selection :
         {CAnalSelection{}, CAnalSelection{.kind = kSelectedByTower, .key = static_cast<int32_t>(kLeeds)},
          CAnalSelection{.kind = kSelectedByRinger, .key = static_cast<int32_t>(kAnn)}}) {
      for (const CAnalOptions options : {CAnalOptions{}, CAnalOptions{.showFirst = true, .showScore = true}}) {
        SCOPED_TRACE(std::string(AnalysisName(kind)) + " selection " + std::to_string(selection.kind));
        std::unique_ptr<CAnalList> byRecords = MakeAnalysis(kind, options, selection, Today());
        for (const uint32_t n : peals) {
          if (ledger.PealAt(n)->extras[kValidity].empty()) byRecords->AddPeal(*ledger.PealAt(n));
        }
        doc.Run(ledger, kMainBuffer, kind, options, selection);
        EXPECT_EQ(Rows(*doc.List()), Rows(*byRecords));
        EXPECT_EQ(doc.MainLines(), byRecords->BuildReport());
      }
    }
  }
}

}  // namespace
}  // namespace tv::testing
