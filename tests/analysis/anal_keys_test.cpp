// The analyses by key: what each counts a peal under, the text of its rows, and the calendar
// and year grid presentations.
#include "tests/analysis/analysis_fixture.h"

namespace tv::testing {
namespace {

using KeysTest = AnalysisTest;

std::string Blanks(size_t n) { return std::string(n, ' '); }

TEST_F(KeysTest, ComposerWhoAlsoArrangedCountsOnceInEachColumn) {
  Add({.date = Day(1, 1, 2020), .composer = kAnn, .arranger = kAnn});
  Add({.date = Day(2, 1, 2020), .composer = kJohn});
  Add({.date = Day(3, 1, 2020), .arranger = kMary});
  EXPECT_EQ(Report(AnalysisKind::Composer), (Lines{
      "\\+3 Items",
      "",
      " Rung Cond",
      "    1    1 Ann Bell",
      "    1      John Smith",
      "    0    1 Mary Jones",
  }));
}

TEST_F(KeysTest, ChangesAndTimeRowsShowTheirKeysAndGoInKeyOrder) {
  Add({.date = Day(1, 1, 2020), .changes = 5088, .time = 185});
  Add({.date = Day(2, 1, 2020), .changes = 5040, .time = 180, .conductor = kMary});
  Add({.date = Day(3, 1, 2020), .changes = 5040, .time = 240});
  EXPECT_EQ(Report(AnalysisKind::Changes, {.showTime = true}), (Lines{
      "\\+2 Items", "", "Total  Time",
      "    2     7       5040",
      "    1     3       5088",
  }));
  // Selected by the conductor: the peals she conducted are counted in the second column.
  EXPECT_EQ(Report(AnalysisKind::Time, {}, {.kind = 7, .key = kMary}), (Lines{
      "\\+3 Items", "", " Rung Cond",
      "    1    1     3h",
      "    1          3h5",
      "    1          4h",
  }));
}

TEST_F(KeysTest, DateListHasEveryDayOfTheYearAndTheCalendarMarksDaysThatDoNotExist) {
  Add({.date = Day(29, 2, 2020), .tower = kLeeds});
  const Lines report = Report(AnalysisKind::DayMonth);
  ASSERT_EQ(report.size(), 3u + 366u);
  EXPECT_EQ(report[0], "\\+366 Items");
  EXPECT_EQ(report[2], "Total");
  EXPECT_EQ(report[3], "\\+    0     Jan 1");
  EXPECT_EQ(report[3 + 31 + 28], "    1     Feb 29");
  EXPECT_EQ(report[3 + 31 + 29], "\\+    0     Mar 1");
  EXPECT_EQ(report.back(), "\\+    0     Dec 31");
  EXPECT_EQ(std::count_if(report.begin() + 3, report.end(),
                          [](const std::string& line) { return line.starts_with("\\+"); }),
            365);

  const Lines calendar = doc.AltLines();
  ASSERT_EQ(calendar.size(), 32u);
  EXPECT_EQ(calendar[0], "Day Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec");
  EXPECT_EQ(calendar[1], "  1" + Blanks(48));
  EXPECT_EQ(calendar[29], " 29" + Blanks(4) + "   1" + Blanks(40));
  EXPECT_EQ(calendar[30], " 30" + Blanks(4) + "   *" + Blanks(40));
  EXPECT_EQ(calendar[31], " 31" + Blanks(4) + "   *" + Blanks(4) + "   *" + Blanks(4) + "   *" +
                              Blanks(8) + "   *" + Blanks(4) + "   *" + Blanks(4));
}

TEST_F(KeysTest, MonthListAndItsYearGrid) {
  Add({.date = Day(3, 3, 2003)}, 2);
  Add({.date = Day(24, 12, 2003)});
  Add({.date = Day(5, 1, 2005)});
  EXPECT_EQ(Report(AnalysisKind::MonthYear), (Lines{
      "\\+3 Items", "", "Total",
      "    2     Mar 2003",
      "    1     Dec 2003",
      "    1     Jan 2005",
  }));
  EXPECT_EQ(doc.AltLines(), (Lines{
      "Year   Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec Total",
      "2003 " + Blanks(8) + "   2" + Blanks(32) + "   1" + "     3",
      "2005 " + std::string("   1") + Blanks(44) + "     1",
      "Total" + std::string("   1") + Blanks(4) + "   2" + Blanks(32) + "   1" + "     4",
  }));
}

TEST_F(KeysTest, YearGridWithoutRowsHasOneLineForYearZero) {
  EXPECT_EQ(Report(AnalysisKind::MonthYear), Lines{});
  EXPECT_EQ(doc.AltLines(), (Lines{
      "Year   Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec Total",
      "   0 " + Blanks(48) + "     0",
      "Total" + Blanks(48) + "     0",
  }));
}

TEST_F(KeysTest, FantasyPointsForMajorWithA2000PoundTenorAreTen) {
  Add({.date = Day(1, 1, 2020), .tower = kLeeds, .method = kYorkshireMajor, .tenor = 2000,
       .ringers = {kAnn, kJohn, kMary, kPeter, kEve, kTom, kSue, kBob}, .conductor = kMary});
  // A handbell peal earns nothing: Jane gets no row.
  Add({.date = Day(2, 1, 2020), .method = kYorkshireMajor, .tenor = 15, .handbell = true,
       .ringers = {kJane, kAnn}});
  EXPECT_EQ(Report(AnalysisKind::Ringer, {.fantasy = true}), (Lines{
      "\\+8 Items",
      "",
      " Rung Cond  Bells",
      "   10   10   0   0  10   0   0   0   0   0   0   0   0   0 Mary Jones",
      "   10       10   0   0   0   0   0   0   0   0   0   0   0 Ann Bell",
      "   10        0   0   0  10   0   0   0   0   0   0   0   0 Peter Brown",
      "   10        0   0   0   0  10   0   0   0   0   0   0   0 Eve Fox",
      "   10        0   0   0   0   0  10   0   0   0   0   0   0 Tom Hart",
      "   10        0   0   0   0   0   0   0  10   0   0   0   0 Bob King",
      "   10        0   0   0   0   0   0  10   0   0   0   0   0 Sue Long",
      "   10        0  10   0   0   0   0   0   0   0   0   0   0 John Smith",
  }));
}

TEST_F(KeysTest, TowersOfARingerSelectionCountWhatTheRingerConductedAndTheBellsRung) {
  PersonIndex().equivalences.AddEquivalence(kJane, kMary);  // Jane is counted as Mary
  Add({.date = Day(1, 1, 2020), .tower = kLeeds,
       .ringers = {kAnn, kJohn, kMary, kPeter, kEve, kTom, kSue, kBob}, .conductor = kMary});
  Add({.date = Day(2, 1, 2020), .tower = kLeeds,
       .ringers = {kAnn, kJohn, kBob, kPeter, kEve, kTom, kSue, kMary}, .conductor = kMary});
  Add({.date = Day(3, 1, 2020), .tower = kIlkley,
       .ringers = {kMary, kJohn, kAnn, kJane, kPeter, kEve, kTom, kSue}, .conductor = kJane});
  EXPECT_EQ(Report(AnalysisKind::Tower, {}, {.kind = 7, .key = kMary}), (Lines{
      "\\+2 Items",
      "",
      " Rung Cond  Bells",
      "    2    2   0   0   0   0   0   0   1   0   0   0   0   1 LEEDS, W Yorks",
      "    1    1   1   0   0   1   0   0   0   0 ILKLEY, W Yorks",
  }));
  // By county, the rows of each county's towers together.
  EXPECT_EQ(doc.AltLines(), (Lines{
      "\\+1 Items",
      "",
      " Rung Cond  Bells",
      "    3    3   1   0   0   1   0   0   1   0   0   0   0   1 West Yorkshire",
  }));
}

TEST_F(KeysTest, PersonCountedAsAnotherIsCountedInThatPersonsRow) {
  PersonIndex().equivalences.AddEquivalence(kJane, kAnn);
  Add({.date = Day(1, 1, 2020), .tower = kLeeds, .ringers = {kJane, kJohn}});
  Add({.date = Day(2, 1, 2020), .tower = kLeeds, .ringers = {kAnn, kJohn}});
  Add({.date = Day(3, 1, 2020), .tower = kLeeds, .ringers = {kAnn}});
  EXPECT_EQ(Report(AnalysisKind::Ringer), (Lines{
      "\\+2 Items", "", " Rung Cond",
      "    3      Ann Bell",
      "    2      John Smith",
  }));
  EXPECT_TRUE(doc.HasRungTowerPeals(kJane));
  EXPECT_TRUE(doc.HasRungTowerPeals(kJohn));
  EXPECT_FALSE(doc.HasRungTowerPeals(kMary));
}

TEST_F(KeysTest, RingerAlternativeListsTheSameRowsByName) {
  Add({.date = Day(1, 1, 2020), .tower = kLeeds, .ringers = {kJohn, kAnn}}, 2);
  Add({.date = Day(2, 1, 2020), .handbell = true, .ringers = {kJohn, kMary}});
  EXPECT_EQ(Report(AnalysisKind::Ringer), (Lines{
      "\\+3 Items", "", "   Total     Hand", " Rung Cond Rung Cond",
      "    3         1      John Smith",
      "    2                Ann Bell",
      "    1         1      Mary Jones",
  }));
  EXPECT_EQ(doc.AltLines(), (Lines{
      "\\+3 Items", "", "   Total     Hand", " Rung Cond Rung Cond",
      "    2                Ann Bell",
      "    1         1      Mary Jones",
      "    3         1      John Smith",
  }));
}

// Person 30 has an entry without a name; 31 has none (an entry with a person sorts after a
// missing one in person order).
TEST_F(KeysTest, PersonWithoutANameShowsItsKey) {
  PersonIndex().AddWithKey(std::make_unique<CPerson>(), 30);
  Add({.date = Day(1, 1, 2020), .tower = kLeeds, .ringers = {30, 31}});
  EXPECT_EQ(Report(AnalysisKind::Ringer), (Lines{
      "\\+2 Items", "", " Rung Cond", "    1      #31", "    1      #30"}));
}

}  // namespace
}  // namespace tv::testing
