// The report of an analysis: its heading and count columns, the orders the options give, the
// recency score, the per-bell columns, and the peals that are not counted.
#include "tests/analysis/analysis_fixture.h"

#include "analysis/method_list.h"

namespace tv::testing {
namespace {

using ReportTest = AnalysisTest;

TEST_F(ReportTest, TowerPealsOnlyGiveTotalAloneAndAHandbellPealAddsTheHandColumn) {
  Add({.date = Day(1, 3, 2003), .tower = kLeeds, .association = kYorkshire}, 2);
  Add({.date = Day(2, 3, 2003), .tower = kHeadington, .association = kOxford});
  EXPECT_EQ(Report(AnalysisKind::Association), (Lines{
      "\\+2 Items",
      "",
      "Total",
      "    2 Yorkshire Association",
      "    1 Oxford Diocesan Guild",
  }));

  Add({.date = Day(3, 3, 2003), .association = kOxford, .handbell = true});
  EXPECT_EQ(Report(AnalysisKind::Association), (Lines{
      "\\+2 Items",
      "",
      "Total Hand",
      "    2    1 Oxford Diocesan Guild",
      "    2      Yorkshire Association",
  }));
}

TEST_F(ReportTest, TowerHandAndConductedPealsGiveTheTotalHandLineAboveFourColumns) {
  Add({.date = Day(1, 3, 2003), .tower = kLeeds, .association = kYorkshire, .conductor = kMary});
  Add({.date = Day(2, 3, 2003), .association = kYorkshire, .handbell = true, .conductor = kMary});
  Add({.date = Day(3, 3, 2003), .association = kYorkshire, .handbell = true});
  EXPECT_EQ(Report(AnalysisKind::Association, {}, {.kind = 7, .key = kMary}), (Lines{
      "\\+1 Items",
      "",
      "   Total     Hand",
      " Rung Cond Rung Cond",
      "    3    2    2    1 Yorkshire Association",
  }));
}

TEST_F(ReportTest, DateOptionListsTheMostRecentFirstPealFirst) {
  Add({.date = Day(1, 1, 2020), .association = kYorkshire});
  Add({.date = Day(5, 5, 2023), .association = kYorkshire});
  Add({.date = Day(3, 3, 2021), .association = kOxford});
  Add({.date = Day(10, 10, 2019), .association = kCollege});
  EXPECT_EQ(Report(AnalysisKind::Association, {.showFirst = true}), (Lines{
      "\\+3 Items",
      "",
      "Total      First",
      "    1   3/3/2021 Oxford Diocesan Guild",
      "    2   1/1/2020 Yorkshire Association",
      "    1 10/10/2019 Ancient Society of College Youths",
  }));
}

TEST_F(ReportTest, TimeOptionOrdersEqualCountsByTotalTime) {
  Add({.date = Day(1, 1, 2020), .tower = kIlkley, .time = 170});
  Add({.date = Day(2, 1, 2020), .tower = kIlkley, .time = 200});
  Add({.date = Day(3, 1, 2020), .tower = kLeeds, .time = 180});
  Add({.date = Day(4, 1, 2020), .tower = kLeeds, .time = 200});
  Add({.date = Day(5, 1, 2020), .tower = kHeadington, .time = 500});
  // Without the option equal counts go by tower name.
  EXPECT_EQ(Report(AnalysisKind::Tower), (Lines{
      "\\+3 Items",
      "",
      "Total",
      "    2 ILKLEY, W Yorks",
      "    2 LEEDS, W Yorks",
      "    1 HEADINGTON, Oxon",
  }));
  EXPECT_EQ(Report(AnalysisKind::Tower, {.showTime = true}), (Lines{
      "\\+3 Items",
      "",
      "Total  Time",
      "    1     8 HEADINGTON, Oxon",
      "    2     6 LEEDS, W Yorks",
      "    2     6 ILKLEY, W Yorks",
  }));
}

TEST_F(ReportTest, ScoreWeighsEachPealByHowRecentItIs) {
  Add({.date = Today() - 100, .tower = kLeeds});       // one peal 100 days ago: -100
  Add({.date = Today() - 100, .tower = kWitney}, 2);   // two then: about 365 more
  Add({.date = Today(), .tower = kIlkley}, 2);         // two today: about 365
  EXPECT_EQ(Report(AnalysisKind::Tower, {.showScore = true}), (Lines{
      "\\+3 Items",
      "",
      "Total   Score",
      "    2     365 ILKLEY, W Yorks",
      "    2     265 WITNEY, Oxon",
      "    1    -100 LEEDS, W Yorks",
  }));
}

TEST_F(ReportTest, PealOnMoreBellsThanTheSlotsCountsItsBackBellsInTheLastColumn) {
  // Selected by Headington (six bells): an eight-bell peal there.
  Add({.date = Day(1, 1, 2020), .tower = kHeadington,
       .ringers = {kAnn, kJohn, kMary, kPeter, kEve, kTom, kSue, kBob}});
  EXPECT_EQ(Report(AnalysisKind::Ringer, {}, {.kind = 1, .key = kHeadington}), (Lines{
      "\\+8 Items",
      "",
      " Rung Cond  Bells",
      "    1        1   0   0   0   0   0 Ann Bell",
      "    1        0   0   0   1   0   0 Peter Brown",
      "    1        0   0   0   0   1   0 Eve Fox",
      "    1        0   0   0   0   0   1 Tom Hart",
      "    1        0   0   1   0   0   0 Mary Jones",
      "    1        0   0   0   0   0   1 Bob King",
      "    1        0   0   0   0   0   1 Sue Long",
      "    1        0   1   0   0   0   0 John Smith",
  }));
}

TEST_F(ReportTest, PealOnFewerBellsThanTheSlotsKeepsTheTenorInTheLastColumn) {
  // Selected by Witney (eight bells): a six-bell peal there. Masks on the first and last
  // positions restart the count from the back, so both land on the tenor.
  const uint32_t number = Add({.date = Day(1, 1, 2020), .tower = kWitney,
                               .ringers = {kAnn, kJohn, kMary, kPeter, kEve, kTom}});
  ledger.PealAt(number)->bells = {{0, 1}, {5, 1}};
  EXPECT_EQ(Report(AnalysisKind::Ringer, {}, {.kind = 1, .key = kWitney}), (Lines{
      "\\+6 Items",
      "",
      " Rung Cond  Bells",
      "    1        0   0   0   0   0   0   0   1 Ann Bell",
      "    1        0   0   0   0   0   1   0   0 Peter Brown",
      "    1        0   0   0   0   0   0   1   0 Eve Fox",
      "    1        0   0   0   0   0   0   0   1 Tom Hart",
      "    1        0   0   0   0   1   0   0   0 Mary Jones",
      "    1        0   0   0   1   0   0   0   0 John Smith",
  }));
}

TEST_F(ReportTest, PealsWithAValidityEntryAreNotCounted) {
  Add({.date = Day(1, 1, 2020), .association = kYorkshire});
  Add({.date = Day(2, 1, 2020), .association = kOxford, .invalid = true});
  EXPECT_EQ(Report(AnalysisKind::Association), (Lines{
      "\\+1 Items", "", "Total", "    1 Yorkshire Association"}));
}

TEST_F(ReportTest, EmptyBufferOrOnlyInvalidPealsGiveNoLines) {
  EXPECT_EQ(Report(AnalysisKind::Tower), Lines{});
  Add({.date = Day(2, 1, 2020), .tower = kLeeds, .invalid = true});
  EXPECT_EQ(Report(AnalysisKind::Tower), Lines{});
  EXPECT_EQ(doc.Title(), "Analysis by Tower");
}

TEST_F(ReportTest, MissingEntriesAreListedUnderAStandByNameAndSortAfterTheOthers) {
  Add({.date = Day(1, 1, 2020), .tower = 40});
  Add({.date = Day(1, 1, 2020), .tower = kLeeds});
  EXPECT_EQ(Report(AnalysisKind::Tower), (Lines{
      "\\+2 Items", "", "Total", "    1 LEEDS, W Yorks", "    1 #40"}));
  EXPECT_EQ(TowerIndex().NameOf(40, 0), "#40");
}

TEST_F(ReportTest, CountsOfALargeLedgerDoNotWrap) {
  AddMany({.date = Day(1, 1, 2000), .association = kYorkshire, .method = kYorkshireMajor,
           .changes = 5056}, 70000);
  const Lines report = Report(AnalysisKind::Association, {.showChanges = true});
  EXPECT_EQ(report.back(), "70000353920000 Yorkshire Association");
  EXPECT_EQ(Report(AnalysisKind::Pac)[3], "\\+70000    0 ");
  // The default Major threshold comes from the same total: 70000 / 150.
  Report(AnalysisKind::Method);
  EXPECT_EQ(static_cast<const CMethodList&>(*doc.List()).Thresholds()[8], 466u);
}

}  // namespace
}  // namespace tv::testing
