// tolvane-cli analyse: the Export text of every analysis, main and alternative, the selection
// it runs under, and its statuses.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "peals/ledger_file.h"
#include "tests/analysis/analysis_fixture.h"

namespace tv::cli {
namespace {

using namespace tv::testing;

class AnalyseCommandLine : public AnalysisTest {
 protected:
  AnalyseCommandLine() {
    Add({.date = Day(1, 3, 2003), .tower = kLeeds, .association = kYorkshire,
         .method = kYorkshireMajor, .changes = 5056, .time = 190, .tenor = 2000,
         .ringers = {kAnn, kJohn, kMary, kPeter, kEve, kTom, kSue, kBob}, .conductor = kMary,
         .composer = kAnn});
    Add({.date = Day(29, 2, 2004), .tower = kHeadington, .association = kOxford,
         .method = kPlainBobMinor, .changes = 5040, .time = 170,
         .ringers = {kMary, kJane, kAnn, kJohn, kEve, kTom}, .conductor = kJane,
         .composer = kJohn, .arranger = kAnn});
    Add({.date = Day(2, 4, 2005), .association = kCollege, .method = kSpliced23,
         .changes = 5024, .time = 150, .handbell = true, .ringers = {kAnn, kMary, kJohn, kEve}});
    Add({.date = Day(3, 4, 2005), .tower = kIlkley, .method = kStedmanTriples, .ringers = {kAnn},
         .invalid = true});
    const int buffers[] = {kMainBuffer};
    EXPECT_TRUE(WriteLedgerFile("/work/club.tv3", ledger, buffers).ok());
  }

  int Run(std::vector<std::string> args) {
    out.str("");
    err.str("");
    return RunCli(args, out, err);
  }

  // What the analysis document exports for the ledger file.
  std::string LibraryText(AnalysisKind kind, bool alternative, const CAnalOptions& ticked = {}) {
    CPealLedger read;
    EXPECT_TRUE(ReadLedgerFile("/work/club.tv3", read).ok());
    CAnalDoc analysis;
    analysis.showAlternative = alternative;
    analysis.Run(read, kMainBuffer, kind, ticked, {.kind = 14, .key = 0});
    return analysis.ExportText();
  }

  std::ostringstream out, err;
};

TEST_F(AnalyseCommandLine, PrintsTheExportTextOfEveryAnalysisMainAndAlternative) {
  for (int i = 0; i < kAnalysisKindCount; ++i) {
    const auto kind = static_cast<AnalysisKind>(i);
    const std::string by(AnalysisName(kind));
    for (const bool alternative : {false, true}) {
      SCOPED_TRACE(by + (alternative ? " --alternative" : ""));
      std::vector<std::string> args = {"analyse", "/work/club.tv3", by, "--changes", "--time"};
      if (alternative) args.emplace_back("--alternative");
      ASSERT_EQ(Run(args), kExitOk) << err.str();
      EXPECT_EQ(out.str(), LibraryText(kind, alternative, {.showChanges = true, .showTime = true}));
      EXPECT_TRUE(out.str().starts_with("Sat Jun 1 2024\r\n\r\n"));
      EXPECT_EQ(err.str(), "");
    }
  }
}

TEST_F(AnalyseCommandLine, AssociationsWithEveryOptionLineByLine) {
  ASSERT_EQ(Run({"analyse", "/work/club.tv3", "association", "--changes", "--time", "--date",
                 "--recent", "--fantasy"}),
            kExitOk);
  EXPECT_EQ(out.str(),
            "Sat Jun 1 2024\r\n"
            "\r\n"
            "3 Items\r\n"
            "\r\n"
            "Total Hand      First   Score   Changes  Time\r\n"
            "    1    1   2/4/2005   -7000     5024     2 Ancient Society of College Youths\r\n"
            "    1       29/2/2004   -7398     5040     2 Oxford Diocesan Guild\r\n"
            "    1        1/3/2003   -7763     5056     3 Yorkshire Association\r\n");
}

TEST_F(AnalyseCommandLine, TowersUnderARingerSelectionCountWhatTheRingerConducted) {
  ASSERT_EQ(Run({"analyse", "/work/club.tv3", "tower", "--select", "ringer=MJ"}), kExitOk)
      << err.str();
  EXPECT_EQ(out.str(),
            "Sat Jun 1 2024\r\n"
            "\r\n"
            "2 Items\r\n"
            "\r\n"
            "   Total     Hand\r\n"
            " Rung Cond Rung Cond  Bells\r\n"
            "    1    1             0   0   0   0   0   0   1   0   0   0   0   0 LEEDS, W Yorks\r\n"
            "    1                  1   0   0   0   0   0 HEADINGTON, Oxon\r\n");
  // The handbell peal at no tower has no row; its bells have no tower to go to.
}

TEST_F(AnalyseCommandLine, UnknownAnalysisIsAUsageErrorAndAMissingLedgerBadData) {
  EXPECT_EQ(Run({"analyse", "/work/club.tv3", "county"}), kExitUsage);
  EXPECT_EQ(err.str(), "tolvane-cli: unknown analysis 'county'; the choices are: association "
                       "tower changes time composer method ringer pac day month\n");
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(Run({"analyse", "/work/none.tv3", "tower"}), kExitData);
  EXPECT_EQ(out.str(), "");
}

TEST_F(AnalyseCommandLine, SelectionThatFindsNothingPrintsNothing) {
  EXPECT_EQ(Run({"analyse", "/work/club.tv3", "tower", "--select", "changes=9000.."}), kExitData);
  EXPECT_EQ(out.str(), "");
  EXPECT_NE(err.str().find("No Match Found"), std::string::npos);
}

}  // namespace
}  // namespace tv::cli
