// The association-and-stage analysis with its society table, and the method analysis's table
// by stage with its thresholds.
#include "tests/analysis/analysis_fixture.h"

#include "analysis/method_list.h"

namespace tv::testing {
namespace {

using StageTest = AnalysisTest;

// A society name padded to the table's name column (the longest name, 33 characters here).
std::string Name(const std::string& name) { return name + std::string(33 - name.size(), ' '); }

class PacTest : public AnalysisTest {
 protected:
  PacTest() {
    Add({.date = Day(1, 1, 2020), .association = kYorkshire, .method = kYorkshireMajor}, 2);
    Add({.date = Day(2, 1, 2020), .association = kYorkshire, .method = kPlainBobMinor});
    Add({.date = Day(3, 1, 2020), .association = kYorkshire, .method = kNoStage});
    Add({.date = Day(4, 1, 2020), .association = kOxford, .method = kStedmanTriples});
    Add({.date = Day(5, 1, 2020), .association = kOxford, .method = kYorkshireMajor,
         .handbell = true});
    Add({.date = Day(6, 1, 2020), .association = kCollege, .method = kCambridgeMajor});
    Add({.date = Day(7, 1, 2020), .association = kLocal, .method = kBristolMajor});
    Add({.date = Day(8, 1, 2020), .method = kPlainBobMinor});  // no association
  }
};

TEST_F(PacTest, RowsByAssociationAndStageWithTheTotalsFirst) {
  EXPECT_EQ(Report(AnalysisKind::Pac), (Lines{
      "\\+16 Items",
      "",
      "Total Hand",
      "\\+    9    1 ",
      "\\+    2    0 Minor",
      "\\+    1    0 Triples",
      "\\+    5    1 Major",
      "\\+    1    0 Non-Attributed",
      "    1    0 Minor",
      "\\+    1    0 Ancient Society of College Youths",
      "    1    0 Major",
      "\\+    1    0 Local Society",
      "    1    0 Major",
      "\\+    2    1 Oxford Diocesan Guild",
      "    1    0 Triples",
      "    1    1 Major",
      // The peal without a stage is in the association's total and the grand total only.
      "\\+    4    0 Yorkshire Association",
      "    1    0 Minor",
      "    2    0 Major",
  }));
}

TEST_F(PacTest, SocietyTableGroupsAffiliatedNonAffiliatedAndTheRest) {
  EXPECT_EQ(Alternative(AnalysisKind::Pac), (Lines{
      Name("") + "TOWER" + "    " + "  HAND",
      Name("") + "            " + "  Total  Total",
      Name("SOCIETY") + "  8  7  6" + "  8" + "  tower   hand" + "  Total",
      " ",
      Name("Oxford Diocesan Guild") + "     1     1" + "      1      1      2",
      Name("Yorkshire Association") + "  2     1   " + "      4       " + "      4",
      "\\+" + Name("Affiliated Societies") + "  2  1  1  1" + "      5      1      6",
      Name("Ancient Society of College Youths") + "  1         " + "      1       " + "      1",
      "\\+" + Name("Non-Affiliated Societies") + "  1         " + "      1       " + "      1",
      Name("Non-Attributed") + "        1   " + "      1       " + "      1",
      Name("Local Society") + "  1         " + "      1       " + "      1",
      "\\+" + Name("Totals") + "  4  1  2  1" + "      8      1      9",
  }));
}

TEST_F(StageTest, TwoStageMethodsHeadTheirColumnsWithBothStages) {
  AddMethod(20, "Grandsire", 0, 0x86);  // Doubles and Minor
  Add({.date = Day(1, 1, 2020), .association = kYorkshire, .method = 20}, 12);
  const Lines table = Alternative(AnalysisKind::Pac);
  ASSERT_GE(table.size(), 4u);
  EXPECT_EQ(table[0], std::string(24, ' ') + "TOWER");
  EXPECT_EQ(table[1], std::string(24, ' ') + "  5");
  EXPECT_EQ(table[2], "SOCIETY" + std::string(17, ' ') + "  6" + "  Total");
  EXPECT_EQ(table[4], "Yorkshire Association   " + std::string(" 12") + "     12");
}

class MethodTableTest : public AnalysisTest {
 protected:
  // 300 peals of Major and a few of Minor and Triples.
  MethodTableTest() {
    AddMany({.date = Day(1, 1, 2020), .method = kYorkshireMajor}, 150);
    AddMany({.date = Day(2, 1, 2020), .method = kCambridgeMajor}, 146);
    Add({.date = Day(3, 1, 2020), .method = kBristolMajor});
    Add({.date = Day(4, 1, 2020), .method = kPlainBobMajor});
    Add({.date = Day(5, 1, 2020), .method = kSpliced23}, 2);
    Add({.date = Day(6, 1, 2020), .method = kPlainBobMinor}, 5);
    Add({.date = Day(7, 1, 2020), .method = kStedmanTriples});
  }

  void SetAllThresholdsTo(const std::string& value) {
    platform.QueueDialog([value](DialogModel& dialog) {
      auto& thresholds = static_cast<CThreshDialog&>(dialog);
      thresholds.Choose(CThreshDialog::kAll);
      thresholds.SetText("threshold", value);
      return DialogAction::Ok;
    });
    doc.Threshold();
  }
};

TEST_F(MethodTableTest, DefaultThresholdsNameMajorMethodsRungTwiceAndGatherTheRest) {
  EXPECT_EQ(Alternative(AnalysisKind::Method), (Lines{
      "\\+3 Items", "", "Total",
      "  300 Major",
      "    1 Triples",
      "    5 Minor",
      "",
      "Major",
      "  150    Yorkshire Surprise ",
      "  146    Cambridge Surprise ",
      "    1    Single S.",
      "    2    Spliced S.(23m)",
      "    1    Single Method",
      "",
      "Triples",
      "    1    Single Method",
      "",
      "Minor",
      "    5    Plain Bob ",
      "",
      "Totals",
      "  150    Yorkshire Surprise ",
      "  146    Cambridge Surprise ",
      // Plain Bob Major joins the total of Plain Bob named at Minor.
      "    6    Plain Bob ",
      "    1    Single S.",
      "    2    Spliced S.",
      "    1    Single Method",
  }));
  const auto& list = static_cast<const CMethodList&>(*doc.List());
  EXPECT_EQ(list.Thresholds()[8], 2u);   // 300 / 150
  EXPECT_EQ(list.Thresholds()[6], 2u);   // 5 / 20, raised to 2
  EXPECT_EQ(list.Thresholds()[13], 2u);
  EXPECT_EQ(list.Thresholds()[24], 2u);  // spread from Fourteen+
}

TEST_F(MethodTableTest, ThresholdAllSetToOneNamesEverySingleMethod) {
  Report(AnalysisKind::Method);
  SetAllThresholdsTo("1");
  EXPECT_EQ(platform.dialogTitles, Lines{"Analysis Threshold"});
  const Lines& table = doc.AltLines();
  const Lines sections(table.begin() + 6, table.end());
  EXPECT_EQ(sections, (Lines{
      "",
      "Major",
      "  150    Yorkshire Surprise ",
      "  146    Cambridge Surprise ",
      "    1    Bristol Surprise ",
      "    1    Plain Bob ",
      "    2    Spliced S.(23m)",
      "",
      "Triples",
      "    1    Stedman ",
      "",
      "Minor",
      "    5    Plain Bob ",
      "",
      "Totals",
      "  150    Yorkshire Surprise ",
      "  146    Cambridge Surprise ",
      "    1    Bristol Surprise ",
      "    6    Plain Bob ",
      "    1    Stedman ",
      "    2    Spliced S.",
  }));
}

TEST_F(StageTest, GatheredRowsKeepTheScoreOfTheirPeals) {
  Add({.date = Today(), .method = kYorkshireMajor}, 2);
  Add({.date = Today() - 100, .method = kBristolMajor});
  Alternative(AnalysisKind::Method, {.showScore = true});
  const Lines& table = doc.AltLines();
  // One peal 100 days ago scores -100 in its category as in its own row.
  EXPECT_EQ(Lines(table.begin() + 5, table.begin() + 9), (Lines{
      "Major",
      "    2     365    Yorkshire Surprise ",
      "    1    -100    Single S.",
      "",
  }));
}

TEST(ThreshDialogTest, AllThenAnotherStageSetsEveryValueAndShowsIt) {
  std::array<uint32_t, CThreshDialog::kChoices> values{};
  values.fill(2);
  CThreshDialog dialog(values);
  EXPECT_EQ(dialog.Text("threshold"), "1");
  EXPECT_EQ(dialog.CheckedRadio("Stage"), "");
  dialog.Choose(CThreshDialog::kAll);
  EXPECT_EQ(dialog.Text("threshold"), "1");
  dialog.SetText("threshold", "5");
  dialog.Choose(4);  // Major
  EXPECT_EQ(dialog.Text("threshold"), "5");
  dialog.SetText("threshold", "7");
  dialog.Choose(0);  // Minimus: Major keeps 7
  EXPECT_EQ(dialog.Text("threshold"), "5");
  dialog.SetText("threshold", "2000");
  EXPECT_TRUE(dialog.Validate().has_value());
  dialog.SetText("threshold", "9");
  const auto result = dialog.Result();
  EXPECT_EQ(result[0], 9u);
  EXPECT_EQ(result[4], 7u);
  EXPECT_EQ(result[10], 5u);
}

}  // namespace
}  // namespace tv::testing
